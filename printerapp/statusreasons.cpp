#include "statusreasons.h"
#include "printersetup.h"

#include <zantoquiller/destination.h>
#include <zantoquiller/printerlanguage.h>

namespace ZantoApp {

namespace {

// Long enough for a serial or network printer to answer, short enough
// not to hold up the IPP request that asked.
constexpr int kStatusTimeoutMs = 1500;

bool mentions(const Zanto::PrinterStatus &status, QLatin1StringView words)
{
    for (const QString &reason : status.reasons)
        if (reason.contains(words, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

pappl_preason_t reasonsFor(const Zanto::PrinterStatus &status)
{
    using Zanto::PrinterState;
    pappl_preason_t reasons = PAPPL_PREASON_NONE;
    if (!status.reachable)
        return PAPPL_PREASON_OFFLINE;
    if (mentions(status, QLatin1StringView("cover is open")))
        reasons |= PAPPL_PREASON_COVER_OPEN;
    if (mentions(status, QLatin1StringView("paper jam")))
        reasons |= PAPPL_PREASON_MEDIA_JAM;
    if (mentions(status, QLatin1StringView("nearly out")))
        reasons |= PAPPL_PREASON_MEDIA_LOW;
    switch (status.state) {
    case PrinterState::PaperOut:
        reasons |= PAPPL_PREASON_MEDIA_EMPTY;
        reasons &= ~PAPPL_PREASON_MEDIA_LOW;
        break;
    case PrinterState::OffLine:
        // An open cover is the reason the printer is off line.
        if (!(reasons & PAPPL_PREASON_COVER_OPEN))
            reasons |= PAPPL_PREASON_OFFLINE;
        break;
    case PrinterState::Error:
        if (!(reasons & (PAPPL_PREASON_COVER_OPEN | PAPPL_PREASON_MEDIA_JAM)))
            reasons |= PAPPL_PREASON_OTHER;
        break;
    case PrinterState::Ready:
    case PrinterState::Printing:
    case PrinterState::Unknown:
        break;
    }
    return reasons;
}

bool updateStatus(pappl_printer_t *printer)
{
    const PrinterSetup *setup = printerSetup(printer);
    const char *uri = papplPrinterGetDeviceURI(printer);
    if (!setup || !setup->language || !uri)
        return false;
    if (papplPrinterGetState(printer) == IPP_PSTATE_PROCESSING)
        return true;
    const Zanto::StatusProtocol protocol = setup->language->model().status;
    Zanto::PrinterStatus status;
    try {
        const Zanto::Destination destination = Zanto::Destination::parse(QString::fromUtf8(uri));
        if (destination.isSpoolerQueue())
            return false;
        // A network printer is asked in its own protocol only: a query
        // it does not know would be printed.
        if (destination.kind() == Zanto::Destination::Kind::Socket
            && protocol != Zanto::StatusProtocol::Pjl
            && protocol != Zanto::StatusProtocol::RealTime)
            return true;
        status = Zanto::printerStatus(
            destination, kStatusTimeoutMs, protocol == Zanto::StatusProtocol::RealTime);
    } catch (...) {
        // A URI of another scheme (PAPPL's own usb://) or a refused one:
        // nothing is known.
        return false;
    }
    const pappl_preason_t reasons = reasonsFor(status);
    papplPrinterSetReasons(printer, reasons, StatusReasons & ~reasons);
    return true;
}

void watchStoppedPrinters(pappl_system_t *system)
{
    constexpr int IntervalSeconds = 5;
    papplSystemAddTimerCallback(
        system, 0, IntervalSeconds,
        [](pappl_system_t *system, void *) {
            papplSystemIteratePrinters(
                system,
                [](pappl_printer_t *printer, void *) {
                    // Stopped with jobs waiting: nothing prints, the device
                    // is free to be asked.
                    if (papplPrinterGetState(printer) == IPP_PSTATE_STOPPED
                        && papplPrinterGetNumberOfActiveJobs(printer) > 0)
                        updateStatus(printer);
                },
                nullptr);
            return true;
        },
        nullptr);
}

} // namespace ZantoApp

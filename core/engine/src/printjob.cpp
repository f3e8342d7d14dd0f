#include "printjob.h"
#include "directoutput.h"
#include "outputchannel.h"
#include "platformerrors.h"
#include "zantoquiller_p.h"

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/zantoquiller.h>

#include <QCoreApplication>

#include <chrono>

namespace Zanto {

namespace {

const QString DriverRefusesRawData = QStringLiteral(
    "The selected printer driver does not allow direct communications. Please use the "
    "Generic/Text only driver for this printer");

std::string jobTitle()
{
    const QString application = QCoreApplication::applicationName();
    return application.isEmpty() ? std::string("Zantoquiller") : application.toStdString();
}

} // namespace

struct PrintJob::Private
{
    explicit Private(TZantoquiller &component)
        : settings(TZantoquillerPrivate::get(component)), output(settings)
    { }

    TZantoquillerPrivate &settings;
    DirectOutput output;
    bool spooler = false;
    bool firstLine = true;
    bool ended = false;
};

PrintJob::PrintJob(TZantoquiller &component, bool wholeText) : d(new Private(component))
{
    try {
        const std::optional<QString> queue = wholeText ? spoolerQueueOf(d->settings) : std::nullopt;
        d->spooler = queue.has_value();
        const std::chrono::milliseconds timeout(component.Timeout());
        if (d->spooler && !onPrinter([&] {
                return Platform::printer().acceptsRawOn(queue->toStdString(), timeout);
            })) {
            d->spooler = false;
            throw eZantoquillError(DriverRefusesRawData, ErrorKind::Format);
        }
        d->firstLine = true;
        if (d->spooler)
            onPrinter(
                [&] { Platform::printer().beginDocOn(queue->toStdString(), jobTitle(), timeout); });
    } catch (...) {
        delete d;
        throw;
    }
}

PrintJob::~PrintJob()
{
    if (!d->ended) {
        // An exception left the print. An interrupt cancels the job, so that
        // half a job is never released; otherwise what was sent is printed.
        d->settings.appendToFile = false;
        const bool interrupted = Platform::interruptSignal() != 0;
        if (d->spooler && interrupted) {
            Platform::printer().abortDoc();
        } else if (d->spooler) {
            // A job that cannot be ended is dropped.
            try {
                Platform::printer().endDoc();
            } catch (...) {
                Platform::printer().abortDoc();
            }
        } else if (interrupted) {
            d->output.abandon();
        } else {
            try {
                d->output.finish();
            } catch (...) {
                // The error that left the print is the one reported.
            }
        }
    }
    delete d;
}

bool PrintJob::spoolerMode() const
{
    return d->spooler;
}

void PrintJob::sendLine(const TTextBuffer &line)
{
    const int count = line.Count;
    if (count > TTextBuffer::Capacity)
        throw eZantoquillError(
            QStringLiteral("Line too long for buffer!  Printing Aborted"), ErrorKind::Format);
    sendBytes(line.Data, count);
}

void PrintJob::sendBytes(const char *data, qsizetype count)
{
    d->settings.appendToFile = !d->firstLine;
    d->firstLine = false;
    if (d->spooler) {
        onPrinter([&] { Platform::printer().write(data, std::size_t(count)); });
        return;
    }
    try {
        d->output.send(data, count);
    } catch (...) {
        d->settings.appendToFile = false;
        throw;
    }
}

void PrintJob::newPage()
{
    if (d->spooler)
        onPrinter([] { Platform::printer().newPage(); });
}

void PrintJob::end()
{
    d->ended = true;
    d->settings.appendToFile = false;
    if (d->spooler)
        onPrinter([] { Platform::printer().endDoc(); });
    else
        d->output.finish();
}

} // namespace Zanto

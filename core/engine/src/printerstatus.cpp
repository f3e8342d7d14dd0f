// The printer's state, the jobs of a queue and waiting for one: the platform
// layer's answers in the library's types.
#include "outputchannel.h"
#include "platformerrors.h"
#include "zantoquiller_p.h"

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/outputdevice.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/platform/printqueue.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>

namespace Zanto {

namespace {

using Milliseconds = std::chrono::milliseconds;

Milliseconds budget(int timeoutMs)
{
    return timeoutMs > 0 ? Milliseconds(timeoutMs) : Platform::Printer::DefaultTimeout;
}

PrinterStatus converted(const Platform::PrinterStatus &from)
{
    return from.convertedBy<QString, QStringList>(fromPlatform);
}

PrinterStatus unreachable(const QString &destination, const QString &why)
{
    PrinterStatus status;
    status.destination = destination;
    status.state = PrinterState::Error;
    status.reachable = false;
    status.reasons.append(why);
    return status;
}

// A queue is named by a plain name or an IPP URI; anything with a slash, a
// URI scheme or a device name of the map is a device.
bool namesQueue(const QString &destination)
{
    if (destination.startsWith(u"ipp://") || destination.startsWith(u"ipps://"))
        return true;
    return !destination.contains(u'/') && !destination.contains(u':')
        && !Platform::deviceMap().path(destination.toStdString());
}

PrinterStatus queueStatusOf(QString queue, Milliseconds timeout)
{
    try {
        if (queue.isEmpty())
            queue = fromPlatform(Platform::printer().currentName(timeout));
        return converted(Platform::queueStatus(queue.toStdString(), timeout));
    } catch (const Platform::ServerUnreachable &error) {
        return unreachable(queue, fromPlatform(error.what()));
    } catch (const Platform::PrinterError &error) {
        throwPrinterError(error);
    }
}

PrinterStatus deviceStatusOf(const QString &device, Milliseconds timeout, bool escPos)
{
    try {
        PrinterStatus status = converted(
            Platform::deviceStatus(QFile::encodeName(device).toStdString(), timeout, escPos));
        status.destination = device;
        return status;
    } catch (const std::exception &error) {
        return unreachable(device, fromPlatform(error.what()));
    }
}

PrinterStatus statusOf(const QString &destination, Milliseconds timeout, bool escPos)
{
    return namesQueue(destination) ? queueStatusOf(destination, timeout)
                                   : deviceStatusOf(destination, timeout, escPos);
}

std::string queueName(const QString &queue)
{
    return queue.isEmpty() ? Platform::printer().currentName() : queue.toStdString();
}

} // namespace

QString printerStateName(PrinterState state)
{
    return QString::fromLatin1(printerStateText(state));
}

PrinterStatus printerStatus(const QString &destination, int timeoutMs, bool escPos)
{
    return statusOf(destination, budget(timeoutMs), escPos);
}

PrinterStatus TZantoquiller::QueryStatus(bool EscPos) const
{
    const Milliseconds timeout = budget(d->timeout);
    if (d->useSpooler && d->port != poDisk)
        return queueStatusOf({}, timeout);
    Platform::Failure why;
    const std::optional<QString> device = deviceNameOf(d->port, d->outputFile, timeout, why);
    if (!device)
        return unreachable({}, fromPlatform(why.reason));
    return deviceStatusOf(*device, timeout, EscPos);
}

PrinterStatus TZantoquiller::QueryStatus(const QString &Destination, bool EscPos) const
{
    return statusOf(Destination, budget(d->timeout), EscPos);
}

void setPrinterStallReport(const std::function<void(const QString &printer)> &report)
{
    if (!report) {
        Platform::setStallReport({});
        return;
    }
    Platform::setStallReport([report](const std::string &name) { report(fromPlatform(name)); });
}

QString jobStateName(JobState state)
{
    return QString::fromLatin1(jobStateText(state));
}

QList<PrintJobInfo> printJobs(const QString &queue)
{
    const auto jobs = onPrinter(
        [&] { return Platform::queueJobs(queueName(queue), Platform::printer().timeout()); });
    const auto time = [](std::time_t created) {
        return created > 0 ? QDateTime::fromSecsSinceEpoch(created) : QDateTime();
    };
    QList<PrintJobInfo> result;
    for (const Platform::JobInfo &job : jobs)
        result.append(job.convertedBy<QString, QDateTime>(fromPlatform, time));
    return result;
}

void cancelPrintJob(int id)
{
    onPrinter([&] { Platform::cancelJob(id, Platform::printer().timeout()); });
}

void cancelPrintJob(int id, const QString &queue)
{
    onPrinter([&] { Platform::cancelJob(id, queueName(queue), Platform::printer().timeout()); });
}

QList<int> cancelAllPrintJobs(const QString &queue)
{
    const auto ids = onPrinter(
        [&] { return Platform::cancelAllJobs(queueName(queue), Platform::printer().timeout()); });
    return QList<int>(ids.begin(), ids.end());
}

void setPrintJobTitle(const QString &title)
{
    Platform::printer().setJobTitle(title.toStdString());
}

void setPrintJobCopies(int copies)
{
    Platform::printer().setJobCopies(copies);
}

int lastPrintJobId()
{
    return Platform::printer().jobId();
}

PrintJobEnd waitForPrintJob(int id, const QString &queue)
{
    const Platform::JobEnd end = onPrinter(
        [&] { return Platform::waitForJob(id, queueName(queue), Platform::printer().timeout()); });
    return end.convertedBy<QString>(fromPlatform);
}

PrintJobEnd waitForPrintJobEnd(int id, const QString &queue, int limitMs,
    const std::function<void(const QString &why)> &waiting)
{
    std::optional<Milliseconds> limit;
    if (limitMs >= 0)
        limit = Milliseconds(limitMs);
    Platform::JobWaitReport report;
    if (waiting)
        report = [&](const std::string &why) { waiting(fromPlatform(why)); };
    const Platform::JobEnd end = onPrinter([&] {
        return Platform::waitForJobEnd(
            id, queueName(queue), Platform::printer().timeout(), limit, report);
    });
    return end.convertedBy<QString>(fromPlatform);
}

} // namespace Zanto

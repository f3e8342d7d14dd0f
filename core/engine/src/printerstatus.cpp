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

PrinterStatus deviceStatusOf(
    const OpenTarget &target, const QString &shown, Milliseconds timeout, bool escPos)
{
    try {
        PrinterStatus status
            = converted(Platform::deviceStatus(target.name, timeout, escPos, target.map()));
        status.destination = shown;
        return status;
    } catch (const std::exception &error) {
        return unreachable(shown, fromPlatform(error.what()));
    }
}

// shown: how the answer names the destination.
PrinterStatus statusOf(
    const Destination &destination, const QString &shown, Milliseconds timeout, bool escPos)
{
    if (destination.isSpoolerQueue())
        return queueStatusOf(destination.queueName(), timeout);
    Platform::Failure why;
    const std::optional<OpenTarget> target = openTargetOf(destination, timeout, why);
    if (!target)
        return unreachable(shown, fromPlatform(why.reason));
    return deviceStatusOf(*target, shown, timeout, escPos);
}

PrinterStatus statusOf(const QString &destination, Milliseconds timeout, bool escPos)
{
    Destination parsed;
    try {
        parsed = Destination::parse(destination);
    } catch (const EConvertError &) {
        // The device layer tells why it cannot be opened, as a print would.
        return deviceStatusOf(OpenTarget {QFile::encodeName(destination).toStdString(), {}},
            destination, timeout, escPos);
    }
    return statusOf(parsed, destination, timeout, escPos);
}

// The queue a job call is about: a name, an IPP printer's URI, or empty for
// the current printer.
QString jobQueueOf(const Destination &destination)
{
    if (!destination.isSpoolerQueue())
        throw EPrinter(QStringLiteral("%1 is not a print queue: it holds no jobs")
                           .arg(destination.toString()));
    return destination.queueName();
}

// The queue that text names, read as Destination::queue() reads it (empty:
// the current printer); EPrinter for a text that names no queue.
std::string queueName(const QString &text)
{
    if (text.isEmpty())
        return Platform::printer().currentName();
    try {
        return Destination::queue(text).queueName().toStdString();
    } catch (const EConvertError &error) {
        throw EPrinter(error.Message());
    }
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

PrinterStatus printerStatus(const Destination &destination, int timeoutMs, bool escPos)
{
    return statusOf(destination, destination.toString(), budget(timeoutMs), escPos);
}

PrinterStatus TZantoquiller::QueryStatus(bool EscPos) const
{
    const Milliseconds timeout = budget(d->timeout);
    if (const std::optional<QString> queue = spoolerQueueOf(*d))
        return queueStatusOf(*queue, timeout);
    // A device or file destination is named as it was given.
    if (d->destination && !d->destination->isSpoolerQueue())
        return statusOf(*d->destination, d->destination->toString(), timeout, EscPos);
    Platform::Failure why;
    const std::optional<OpenTarget> target = openTargetOf(*d, timeout, why);
    if (!target)
        return unreachable({}, fromPlatform(why.reason));
    return deviceStatusOf(*target, fromPlatform(target->name), timeout, EscPos);
}

PrinterStatus TZantoquiller::QueryStatus(const QString &Destination, bool EscPos) const
{
    return statusOf(Destination, budget(d->timeout), EscPos);
}

PrinterStatus TZantoquiller::queryStatus(const Destination &destination, bool escPos) const
{
    return statusOf(destination, destination.toString(), budget(d->timeout), escPos);
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

QList<PrintJobInfo> printJobs(const Destination &queue)
{
    return printJobs(jobQueueOf(queue));
}

void cancelPrintJob(int id, const Destination &queue)
{
    cancelPrintJob(id, jobQueueOf(queue));
}

QList<int> cancelAllPrintJobs(const Destination &queue)
{
    return cancelAllPrintJobs(jobQueueOf(queue));
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

QString lastPrintJobQueue()
{
    return QString::fromStdString(Platform::printer().jobQueue());
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

#include "spoolercommands.h"
#include "componentoptions.h"
#include "exitstatus.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>

#include <cstdio>
#include <limits>
#include <unistd.h>

namespace Zanto::Cli {

QCommandLineOption queryTimeoutOption()
{
    return QCommandLineOption(QStringLiteral("timeout"),
        QStringLiteral("Wait at most MS milliseconds for each answer (default 10000)."),
        QStringLiteral("MS"));
}

int applyQueryTimeout(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return 0;
    const int timeout = integerValue<quint16>(parser, option);
    setPrinterTimeout(timeout);
    return timeout;
}

QCommandLineOption waitTimeoutOption()
{
    return QCommandLineOption(QStringLiteral("wait-timeout"),
        QStringLiteral("With --wait: give up after TIME (seconds, or with the unit ms, s, m or h: "
                       "90s, 5m) and cancel the job. Default: no limit, as a paused queue or a "
                       "printer out of paper may be seen to hours later."),
        QStringLiteral("TIME"));
}

int waitTimeoutMs(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return -1;
    const QString text = parser.value(option).trimmed();
    static const std::pair<QStringView, long long> units[]
        = {{u"ms", 1}, {u"s", 1000}, {u"m", 60'000}, {u"h", 3'600'000}};
    QStringView number = text;
    long long unit = 1000;
    for (const auto &[suffix, factor] : units) {
        if (text.endsWith(suffix) && (suffix != u"s" || !text.endsWith(u"ms"))) {
            number = QStringView(text).chopped(suffix.size());
            unit = factor;
            break;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    const double ms = value * double(unit);
    if (!ok || number.isEmpty() || !number.front().isDigit() || !(ms >= 0)
        || ms > double(std::numeric_limits<int>::max()))
        throw UsageError(QStringLiteral("wait-timeout"), text,
            QStringLiteral("'%1' is not a time (give seconds, or a number with ms, s, m or h, up "
                           "to 596 h)")
                .arg(text));
    return int(ms);
}

int waitForSpooledJob(int jobBefore, int limitMs)
{
    const int job = lastPrintJobId();
    if (job == jobBefore)
        return ExitSuccess; // printed directly: done when the print returned
    std::fprintf(stderr, "zanto print: waiting for job %d\n", job);
    // Why the job does not go on is shown only to someone watching.
    const bool terminal = isatty(STDERR_FILENO) == 1;
    const auto waiting = [terminal](const QString &why) {
        if (terminal && !why.isEmpty())
            std::fprintf(stderr, "zanto print: waiting: %s\n", why.toLocal8Bit().constData());
    };
    PrintJobEnd end;
    QString queue;
    try {
        queue = lastPrintJobQueue();
        end = waitForPrintJobEnd(job, queue, limitMs, waiting);
        if (end.state <= JobState::Stopped) {
            // Given up: the job must not print later, after a script has
            // been told that it failed and perhaps printed it again.
            cancelPrintJob(job, queue);
            // The messages are English: a decimal point in any locale.
            std::fprintf(stderr,
                "zanto print: gave up waiting for %s-%d after %s s; the job was cancelled\n",
                queue.toLocal8Bit().constData(), job,
                QString::number(limitMs / 1000.0, 'g', 10).toLatin1().constData());
            return ExitJobNotCompleted;
        }
    } catch (const EPrinterUnreachable &error) {
        report(error.Message());
        return exitCodeFor(error);
    }
    const QString reason = end.reason.isEmpty() ? QString() : QStringLiteral(": ") + end.reason;
    std::fprintf(stderr, "zanto print: job %d %s%s\n", job,
        jobStateName(end.state).toLocal8Bit().constData(), reason.toLocal8Bit().constData());
    return end.state == JobState::Completed ? ExitSuccess : ExitJobNotCompleted;
}

} // namespace Zanto::Cli

#include "spoolercommands.h"
#include "componentoptions.h"
#include "exitcodes.h"
#include "warning.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>

#include <cstdio>

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

int waitForSpooledJob(int jobBefore)
{
    const int job = lastPrintJobId();
    if (job == jobBefore)
        return ExitSuccess; // printed directly: done when the print returned
    std::fprintf(stderr, "zanto print: waiting for job %d\n", job);
    PrintJobEnd end;
    try {
        end = waitForPrintJob(job);
    } catch (const EPrinterUnreachable &error) {
        report(error.Message());
        return ExitUnreachable;
    }
    const QString reason = end.reason.isEmpty() ? QString() : QStringLiteral(": ") + end.reason;
    std::fprintf(stderr, "zanto print: job %d %s%s\n", job,
        jobStateName(end.state).toLocal8Bit().constData(), reason.toLocal8Bit().constData());
    return end.state == JobState::Completed ? ExitSuccess : ExitJobNotCompleted;
}

} // namespace Zanto::Cli

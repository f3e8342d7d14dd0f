// zanto jobs: the jobs of a spooler queue that have not ended.
#include "commands.h"
#include "componentoptions.h"
#include "exitstatus.h"
#include "spoolercommands.h"
#include "warning.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/printerstatus.h>

#include <cstdio>

namespace Zanto::Cli {

int runJobs(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the jobs of QUEUE (the current printer when absent) that have not ended: id, "
        "user, size, state, time queued and title."));
    const QCommandLineOption timeoutOption = queryTimeoutOption();
    parser.addOption(timeoutOption);
    parser.addPositionalArgument(QStringLiteral("QUEUE"),
        QStringLiteral("queue name or ipp:// URI"), QStringLiteral("[QUEUE]"));
    if (!parseCommandLine(parser, QStringLiteral("jobs"), arguments))
        return ExitSuccess;
    const QStringList queues = parser.positionalArguments();
    if (queues.size() > 1)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(queues[1]));
    Destination queue;
    if (!queues.value(0).isEmpty()) {
        try {
            queue = Destination::queue(queues.constFirst());
        } catch (const EConvertError &error) {
            throw UsageError(error.Message());
        }
    }
    applyQueryTimeout(parser, timeoutOption);

    QList<PrintJobInfo> jobs;
    try {
        jobs = printJobs(queue);
    } catch (const EPrinterUnreachable &error) {
        report(error.Message());
        return exitCodeFor(error);
    }
    if (jobs.isEmpty())
        return ExitSuccess;
    std::printf(
        "%-7s %-12s %8s %-10s %-19s %s\n", "ID", "USER", "SIZE", "STATE", "QUEUED", "TITLE");
    for (const PrintJobInfo &job : jobs) {
        std::printf("%-7d %-12s %7lldk %-10s %-19s %s\n", job.id,
            job.user.toLocal8Bit().constData(), static_cast<long long>(job.sizeKilobytes),
            jobStateName(job.state).toLocal8Bit().constData(),
            job.created.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLocal8Bit().constData(),
            job.title.toLocal8Bit().constData());
    }
    return ExitSuccess;
}

} // namespace Zanto::Cli

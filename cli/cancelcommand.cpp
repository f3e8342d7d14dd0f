// zanto cancel: cancels spooler jobs by id, or every job of a queue.
#include "commands.h"
#include "componentoptions.h"
#include "exitstatus.h"
#include "spoolercommands.h"
#include "warning.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/printerstatus.h>

#include <cstdio>

namespace Zanto::Cli {

namespace {

void report(const Exception &error)
{
    Cli::report(error.Message());
}

// A job as zanto jobs shows it (42) or as lp and print -d tell it
// (QUEUE-42): the print server's job ids are unique across its queues.
int jobId(const QString &job)
{
    const qsizetype dash = job.lastIndexOf(u'-');
    bool ok = false;
    const int id = job.mid(dash + 1).toInt(&ok);
    if (!ok || id <= 0 || dash == 0 || job.mid(dash + 1).startsWith(u'+'))
        throw UsageError(QStringLiteral("'%1' is not a job id (ID or QUEUE-ID)").arg(job));
    return id;
}

} // namespace

int runCancel(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Cancels the spooler jobs JOB... (ids as zanto jobs shows them, or QUEUE-ID as lp and "
        "zanto print -d tell them), or with --all every job of QUEUE that has not ended."));
    const QCommandLineOption allOption(QStringLiteral("all"),
        QStringLiteral("Cancel every job of QUEUE."), QStringLiteral("QUEUE"));
    const QCommandLineOption timeoutOption = queryTimeoutOption();
    parser.addOptions({allOption, timeoutOption});
    parser.addPositionalArgument(QStringLiteral("JOB"), QStringLiteral("job id: ID or QUEUE-ID"),
        QStringLiteral("[JOB...]"));
    if (!parseCommandLine(parser, QStringLiteral("cancel"), arguments))
        return ExitSuccess;
    const QStringList jobs = parser.positionalArguments();
    if (parser.isSet(allOption) == !jobs.isEmpty())
        throw UsageError(QStringLiteral("give job ids or --all QUEUE"));
    QList<int> ids;
    for (const QString &job : jobs)
        ids.append(jobId(job));
    Destination queue;
    // An empty name is the current printer, as with zanto jobs.
    if (!parser.value(allOption).isEmpty()) {
        try {
            queue = Destination::queue(parser.value(allOption));
        } catch (const EConvertError &error) {
            throw UsageError(QStringLiteral("--all: ") + error.Message());
        }
    }
    applyQueryTimeout(parser, timeoutOption);

    if (parser.isSet(allOption)) {
        try {
            ids = cancelAllPrintJobs(queue);
        } catch (const EPrinterUnreachable &error) {
            report(error);
            return exitCodeFor(error);
        }
        for (const int id : ids)
            std::printf("cancelled job %d\n", id);
        return ExitSuccess;
    }
    int status = ExitSuccess;
    for (const int id : ids) {
        try {
            cancelPrintJob(id);
            std::printf("cancelled job %d\n", id);
        } catch (const EPrinterUnreachable &error) {
            report(error);
            return exitCodeFor(error);
        } catch (const EPrinter &error) {
            report(error); // the other jobs are still cancelled
            status = exitCodeFor(error);
        }
    }
    return status;
}

} // namespace Zanto::Cli

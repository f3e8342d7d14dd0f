// The zanto subcommands. Each lives in a file of its own and is listed in
// main.cpp.
#pragma once

#include <QStringList>

namespace Zanto::Cli {

// Every command gets its arguments (after the command name) and returns the
// exit status. A component failure is thrown and reported by main; a usage
// mistake is thrown as UsageError.
using CommandFunction = int (*)(const QStringList &arguments);

struct Command
{
    enum Interruption {
        Default, // signals act as the system's defaults say
        Interruptible, // a signal stops the print cleanly (signalhandlers.h)
    };

    const char *name;
    const char *synopsis;
    CommandFunction run;
    Interruption interruptible = Default;
};

int runCodes(const QStringList &arguments);
int runDump(const QStringList &arguments);
int runPrint(const QStringList &arguments);
int runTranslation(const QStringList &arguments);
int runSend(const QStringList &arguments);
int runPorts(const QStringList &arguments);
int runPrinters(const QStringList &arguments);
int runCheckDriver(const QStringList &arguments);
int runPalette(const QStringList &arguments);
int runPreview(const QStringList &arguments);
int runStatus(const QStringList &arguments);
int runJobs(const QStringList &arguments);
int runLanguages(const QStringList &arguments);
int runCancel(const QStringList &arguments);
int runProfiles(const QStringList &arguments);

} // namespace Zanto::Cli

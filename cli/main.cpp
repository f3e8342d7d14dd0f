// zanto: prints plain text to character printers from the command line.
#include "commands.h"
#include "exitcodes.h"
#include "exitstatus.h"
#include "failuremessage.h"
#include "previewoutput.h"
#include "profiles.h"
#include "standardstreams.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/interrupts.h>

#include <QCoreApplication>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

using namespace Zanto;
using namespace Zanto::Cli;

namespace {

const std::array commands {
    Command {"codes", "codes [show|save FILE]      show or save the printer code table", runCodes},
    Command {"translation", "translation show|save FILE  show or write a translation table",
        runTranslation},
    Command {"print", "print [options] [FILE]      print a text file (standard input: - or none)",
        runPrint, Command::Interruptible},
    Command {"profiles", "profiles [ACTION NAME]      list, show, save or delete printer profiles",
        runProfiles},
    Command {"preview",
        "preview [options] [FILE]    show how the printer lays a job's bytes out (text, PDF, PNG)",
        runPreview, Command::Interruptible},
    Command {"languages", "languages [--names]         list the printer languages and their fonts",
        runLanguages},
    Command {"send",
        "send [options] [FILE]       send a file's bytes unchanged (standard input: - or none)",
        runSend, Command::Interruptible},
    Command {
        "ports", "ports [options]             list the ports and the devices they open", runPorts},
    Command {"printers", "printers [options]          list the printers, the current one marked",
        runPrinters},
    Command {
        "status", "status [options] [DEST]     is the printer ready? its state and why", runStatus},
    Command {
        "jobs", "jobs [options] [QUEUE]      list a queue's jobs that have not ended", runJobs},
    Command {"cancel", "cancel JOB... | --all QUEUE cancel spooler jobs", runCancel},
    Command {"check-driver",
        "check-driver                exit 0 when the current printer takes raw data",
        runCheckDriver},
    Command {
        "dump", "dump [FILE]                 show bytes readably (<ESC>, <CR>, <LF> ...)", runDump},
    Command {"palette", "palette LIBRARY...          load component packages, list the palette",
        runPalette},
};

void printUsage(std::FILE *to)
{
    std::fputs("Usage: zanto COMMAND [options] [arguments]\n"
               "       zanto help [COMMAND] | --help | --version\n\n"
               "Commands:\n",
        to);
    for (const Command &command : commands)
        std::fprintf(to, "  zanto %s\n", command.synopsis);
    std::fputs("\n'zanto help COMMAND' lists the options of a command.\n\n"
               "Exit status:\n"
               "  0  success\n"
               "  1  failure: a file could not be read, the printer reported an error ...\n"
               "  2  usage error: the command line or a profile file is wrong; nothing was done\n"
               "  3  the printer, its device or the print server cannot be reached\n"
               "  4  a spooler job waited for (print --wait) did not complete\n"
               "  128+N  stopped by signal N\n",
        to);
}

// A command stopped by a signal ends with 128 + the signal's number, as a
// program killed by it would, whether it failed or got to its end.
int statusAfter(int status)
{
    if (const int sig = interruptSignal())
        return 128 + sig;
    return status;
}

int runCommand(const Command &command, const QStringList &arguments)
{
    setCommandName(command.name);
    if (command.interruptible == Command::Interruptible)
        installInterruptHandlers();
    try {
        return statusAfter(command.run(arguments));
    } catch (const UsageError &error) {
        report(QString::fromStdString(error.what()));
        return statusAfter(ExitUsage);
    } catch (const Exception &error) {
        // Printing to a pipe that the reader has left (| head) ends as cat
        // ends, without a message.
        if (dynamic_cast<const EInOutError *>(&error) && standardOutputReaderGone())
            endByBrokenPipe();
        report(failureMessage(error));
        return statusAfter(exitCodeFor(error));
    } catch (const std::exception &error) {
        // Not the component's: named as the program's own failure.
        report(QString::fromStdString(error.what()));
        return statusAfter(ExitFailure);
    }
}

const Command *findCommand(const QString &name)
{
    for (const Command &command : commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

int runCommandLine(QStringList arguments)
{
    if (arguments.isEmpty()) {
        printUsage(stderr);
        return ExitUsage;
    }
    const QString name = arguments.takeFirst();
    if (name == u"help" && !arguments.isEmpty()) {
        const Command *command = findCommand(arguments.constFirst());
        if (command && arguments.size() == 1)
            return runCommand(*command, {QStringLiteral("--help")});
        std::fprintf(
            stderr, "zanto help: unknown command '%s'\n\n", qPrintable(arguments.join(u' ')));
        printUsage(stderr);
        return ExitUsage;
    }
    if (name == u"--help" || name == u"-h" || name == u"help") {
        printUsage(stdout);
        return ExitSuccess;
    }
    if (name == u"--version") {
        std::printf("zanto %s\n", ZANTO_VERSION);
        return ExitSuccess;
    }
    if (const Command *command = findCommand(name))
        return runCommand(*command, arguments);
    std::fprintf(stderr, "zanto: unknown command '%s'\n\n", qPrintable(name));
    printUsage(stderr);
    return ExitUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit then fails the write with EFBIG, which is told as a
    // full disk, rather than ending zanto without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return finishStandardStreams(runCommandLine(arguments));
}

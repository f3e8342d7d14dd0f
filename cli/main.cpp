// zanto: prints plain text to character printers from the command line.
#include "commands.h"
#include "previewoutput.h"
#include "standardstreams.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/interrupts.h>

#include <QCoreApplication>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace Zanto;
using namespace Zanto::Cli;

namespace {

const std::array commands {
    Command {"codes", "codes [show|save FILE]      show or save the printer code table", runCodes},
    Command {"translation", "translation show|save FILE  show or write a translation table",
        runTranslation},
    Command {"print", "print [options] [FILE]      print a text file (standard input: - or none)",
        runPrint, Command::Interruptible},
    Command {"preview",
        "preview [options] [FILE]    show how the printer lays a job's bytes out (text, PDF, PNG)",
        runPreview},
    Command {"send",
        "send [options] TEXT         send TEXT's bytes to the port (--bytes LIST: a code list)",
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
               "       zanto --help | --version\n\n"
               "Commands:\n",
        to);
    for (const Command &command : commands)
        std::fprintf(to, "  zanto %s\n", command.synopsis);
    std::fputs("\n'zanto COMMAND --help' lists the options of a command.\n", to);
}

void printError(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
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
    if (command.interruptible == Command::Interruptible)
        installInterruptHandlers();
    try {
        return statusAfter(command.run(arguments));
    } catch (const UsageError &error) {
        std::fprintf(stderr, "zanto %s: %s\n", command.name, error.what());
        return statusAfter(2);
    } catch (const EInOutError &error) {
        printError(error.Message());
        if (!error.Reason().isEmpty())
            printError(error.Reason());
        return statusAfter(1);
    } catch (const Exception &error) {
        printError(error.Message());
        return statusAfter(1);
    } catch (const std::exception &error) {
        // Not the component's: named as the program's own failure.
        std::fprintf(stderr, "zanto %s: %s\n", command.name, error.what());
        return statusAfter(1);
    }
}

int runCommandLine(QStringList arguments)
{
    if (arguments.isEmpty()) {
        printUsage(stderr);
        return 2;
    }
    const QString name = arguments.takeFirst();
    if (name == u"--help" || name == u"-h" || name == u"help") {
        printUsage(stdout);
        return 0;
    }
    if (name == u"--version") {
        std::printf("zanto %s\n", ZANTO_VERSION);
        return 0;
    }
    for (const Command &command : commands) {
        if (name == QLatin1String(command.name))
            return runCommand(command, arguments);
    }
    std::fprintf(stderr, "zanto: unknown command '%s'\n\n", qPrintable(name));
    printUsage(stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return finishStandardStreams(runCommandLine(arguments));
}

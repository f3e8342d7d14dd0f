// zanto: prints plain text to character printers from the command line.
#include "commands.h"
#include "previewoutput.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>

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
        runPrint},
    Command {"preview",
        "preview [options] [FILE]    show how the printer lays a job's bytes out (text, PDF, PNG)",
        runPreview},
    Command {"send",
        "send [options] TEXT         send TEXT's bytes to the port (--bytes LIST: a code list)",
        runSend},
    Command {
        "ports", "ports [options]             list the ports and the devices they open", runPorts},
    Command {"printers", "printers [options]          list the printers, the current one marked",
        runPrinters},
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

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

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
        if (name != QLatin1String(command.name))
            continue;
        try {
            return command.run(arguments);
        } catch (const UsageError &error) {
            std::fprintf(stderr, "zanto %s: %s\n", command.name, error.what());
            return 2;
        } catch (const EInOutError &error) {
            printError(error.Message());
            if (!error.Reason().isEmpty())
                printError(error.Reason());
            return 1;
        } catch (const Exception &error) {
            printError(error.Message());
            return 1;
        }
    }
    std::fprintf(stderr, "zanto: unknown command '%s'\n\n", qPrintable(name));
    printUsage(stderr);
    return 2;
}

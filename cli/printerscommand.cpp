// zanto printers: the print server's printers, the current one marked with
// "*", and whether each takes raw data.
#include "commands.h"
#include "componentoptions.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <cstdio>

namespace Zanto::Cli {

int runPrinters(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the printers: the current one marked with *, whether it takes raw data, its "
        "device URI."));
    ComponentOptions options;
    options.addTo(parser, ComponentOptions::Printer);
    if (!parseCommandLine(parser, QStringLiteral("printers"), arguments))
        return 0;
    expectNoArguments(parser);

    TZantoquiller component;
    options.applyTo(parser, component);
    for (const PrinterInfo &printer : printerList()) {
        std::printf("%c %-24s %-6s %s%s\n", printer.isCurrent ? '*' : ' ',
            printer.name.toLocal8Bit().constData(), printer.acceptsRaw ? "raw" : "no-raw",
            printer.deviceUri.toLocal8Bit().constData(), printer.isDefault ? "  (default)" : "");
    }
    return 0;
}

} // namespace Zanto::Cli

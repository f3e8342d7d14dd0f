// zanto check-driver: the driver check on its own. Exit status 0 when the
// current printer takes raw data, 1 when it does not (or cannot be asked).
#include "commands.h"
#include "componentoptions.h"
#include "warning.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <cstdio>

namespace Zanto::Cli {

int runCheckDriver(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tells whether the current printer takes raw data (DriverCompatible)."));
    ComponentOptions options;
    options.addTo(parser, ComponentOptions::Printer);
    if (!parseCommandLine(parser, QStringLiteral("check-driver"), arguments))
        return 0;
    expectNoArguments(parser);

    TZantoquiller component;
    options.applyTo(parser, component);
    const QString printer = currentPrinterName();
    if (!component.DriverCompatible()) {
        report(printer + QStringLiteral(": does not take raw data"));
        report(QStringLiteral("The selected printer driver does not allow direct communications. "
                              "Please use the Generic/Text only driver for this printer"));
        return 1;
    }
    std::printf("%s: takes raw data\n", printer.toLocal8Bit().constData());
    return 0;
}

} // namespace Zanto::Cli

// zanto ports: every port value, its device name, and where a device name
// leads on this system.
#include "commands.h"
#include "componentoptions.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QMetaEnum>

#include <cstdio>

namespace Zanto::Cli {

int runPorts(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists each port value with its device name (PortToString); a device "
                       "name is followed by the path it opens."));
    ComponentOptions options;
    options.addTo(parser, ComponentOptions::Devices | ComponentOptions::Printer);
    const QCommandLineOption outputOption(
        QStringList {QStringLiteral("o"), QStringLiteral("output"), QStringLiteral("output-file")},
        QStringLiteral("The file that the disk port FILE names."), QStringLiteral("FILE"));
    parser.addOption(outputOption);
    if (!parseCommandLine(parser, QStringLiteral("ports"), arguments))
        return 0;
    expectNoArguments(parser);

    TZantoquiller component;
    options.applyTo(parser, component);
    component.SetOutputFile(parser.value(outputOption));
    const QMetaEnum ports = QMetaEnum::fromType<TIOPortName>();
    for (int value = 0; value < PortNameCount; ++value) {
        const auto port = TIOPortName(value);
        QString line = QStringLiteral("%1 ").arg(QLatin1String(ports.valueToKey(value)), -10);
        try {
            const QString name = component.PortToString(port);
            line += name;
            const QString path = devicePath(name);
            if (!path.isEmpty())
                line += QStringLiteral("  %1").arg(path);
        } catch (const EConvertError &error) {
            line += error.Message();
            if (port == poCurrent) {
                try {
                    currentPrinterName();
                } catch (const EPrinter &why) {
                    line += QStringLiteral(" (%1)").arg(why.Message());
                }
            }
        }
        std::printf("%s\n", line.toLocal8Bit().constData());
    }
    return 0;
}

} // namespace Zanto::Cli

#include "componentoptions.h"
#include "usageerror.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QCoreApplication>
#include <QMetaEnum>

#include <cstdio>

namespace Zanto::Cli {

namespace {

const QCommandLineOption portOption(QStringLiteral("port"),
    QStringLiteral("Output device: LPT1, LPT2, COM1-COM4, CURRENT "
                   "or FILE."),
    QStringLiteral("NAME"));
const QCommandLineOption outputFileOption(
    QStringList {QStringLiteral("o"), QStringLiteral("output-file")},
    QStringLiteral("File written when the port is FILE."), QStringLiteral("PATH"));
const QCommandLineOption printerTypeOption(QStringLiteral("printer-type"),
    QStringLiteral("Printer family: hppcl, epson, ibm, diablo, plain, user1, user2."),
    QStringLiteral("NAME"));
const QCommandLineOption pitchOption(QStringLiteral("pitch"),
    QStringLiteral("Characters per inch: 10, 12 or 15."), QStringLiteral("N"));
const QCommandLineOption leftOffsetOption(QStringLiteral("left-offset"),
    QStringLiteral("Spaces before every line."), QStringLiteral("N"));
const QCommandLineOption linesPerPageOption(QStringLiteral("lines-per-page"),
    QStringLiteral("Lines per page; 0 for no paging."), QStringLiteral("N"));
const QCommandLineOption lineWidthOption(QStringLiteral("line-width"),
    QStringLiteral("Characters per line; 0 for no wrap."), QStringLiteral("N"));
const QCommandLineOption lineSpacingOption(QStringLiteral("line-spacing"),
    QStringLiteral("Line advances per line, 0-255."), QStringLiteral("N"));
const QCommandLineOption timeoutOption(QStringLiteral("timeout"),
    QStringLiteral("Write time-out in milliseconds; 0 for "
                   "none."),
    QStringLiteral("MS"));
const QCommandLineOption noLineFeedOption(
    QStringLiteral("no-line-feed"), QStringLiteral("End ordinary lines with CR only."));
const QCommandLineOption spoolerOption(
    QStringLiteral("spooler"), QStringLiteral("Print whole texts through the spooler."));
const QCommandLineOption printerOption(QStringLiteral("printer"),
    QStringLiteral("Select the current printer: a print queue "
                   "or an ipp:// printer URI."),
    QStringLiteral("NAME"));
const QCommandLineOption deviceOption(QStringLiteral("device"),
    QStringLiteral("Map a device name (LPT1, LPT2, COM1-COM4) "
                   "to a path or device URI; repeatable."),
    QStringLiteral("NAME=PATH"));

// --device NAME=PATH, each applied to the process-wide device map.
void applyDevices(const QCommandLineParser &parser)
{
    for (const QString &mapping : parser.values(deviceOption)) {
        const qsizetype equals = mapping.indexOf(u'=');
        const QString name = mapping.left(equals);
        const QString path = equals < 0 ? QString() : mapping.mid(equals + 1);
        if (equals < 0 || path.isEmpty())
            throw UsageError(
                QStringLiteral("--device: '%1' is not of the form NAME=PATH").arg(mapping));
        if (!setDevicePath(name, path))
            throw UsageError(QStringLiteral("--device: '%1' is not a device name (one of: %2)")
                                 .arg(name, deviceNames().join(u", ")));
    }
}

// Looks name up among the enumeration's keys without their prefix, ignoring
// case: "epson" for ptEpson, "FILE" for poDisk through the alias table.
template<typename Enum>
Enum enumValue(const QCommandLineParser &parser, const QCommandLineOption &option,
    std::initializer_list<std::pair<const char *, Enum>> names)
{
    const QString text = parser.value(option);
    for (const auto &[name, value] : names) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    }
    QStringList known;
    for (const auto &entry : names)
        known << QLatin1String(entry.first);
    throw UsageError(QStringLiteral("--%1: unknown value '%2' (one of: %3)")
                         .arg(option.names().constLast(), text, known.join(u", ")));
}

} // namespace

void ComponentOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({portOption, outputFileOption, printerTypeOption, pitchOption,
        leftOffsetOption, linesPerPageOption, lineWidthOption, lineSpacingOption, timeoutOption,
        noLineFeedOption, spoolerOption, printerOption, deviceOption});
}

void ComponentOptions::applyTo(const QCommandLineParser &parser, TZantoquiller &component) const
{
    applyDevices(parser);
    // The printer choice and listing wait for the print server as long as
    // the component's own calls do.
    if (parser.isSet(timeoutOption))
        setPrinterTimeout(integerValue<quint16>(parser, timeoutOption));
    if (parser.isSet(printerOption))
        selectPrinter(parser.value(printerOption));
    if (parser.isSet(printerTypeOption))
        component.SetPrinterType(enumValue<TPrinterType>(parser, printerTypeOption,
            {{"hppcl", ptHPPCL}, {"epson", ptEpson}, {"ibm", ptIBM}, {"diablo", ptDiablo},
                {"plain", ptPlain}, {"user1", ptUser1}, {"user2", ptUser2}}));
    if (parser.isSet(portOption))
        component.SetPort(enumValue<TIOPortName>(parser, portOption,
            {{"LPT1", poLPT1}, {"LPT2", poLPT2}, {"COM1", poCOM1}, {"COM2", poCOM2},
                {"COM3", poCOM3}, {"COM4", poCOM4}, {"CURRENT", poCurrent}, {"FILE", poDisk}}));
    if (parser.isSet(spoolerOption))
        component.SetUseSpooler(true);
    if (parser.isSet(leftOffsetOption))
        component.SetOffset(integerValue<qint32>(parser, leftOffsetOption));
    if (parser.isSet(linesPerPageOption))
        component.SetLinesPerPage(integerValue<qint32>(parser, linesPerPageOption));
    if (parser.isSet(lineWidthOption))
        component.SetLineWidth(integerValue<qint32>(parser, lineWidthOption));
    if (parser.isSet(outputFileOption))
        component.SetOutputFile(parser.value(outputFileOption));
    if (parser.isSet(pitchOption))
        component.SetPitch(
            enumValue<TPitch>(parser, pitchOption, {{"10", cpi10}, {"12", cpi12}, {"15", cpi15}}));
    if (parser.isSet(noLineFeedOption))
        component.SetSendLineFeed(false);
    if (parser.isSet(lineSpacingOption))
        component.SetLineSpacing(integerValue<quint8>(parser, lineSpacingOption));
    if (parser.isSet(timeoutOption))
        component.SetTimeout(integerValue<quint16>(parser, timeoutOption));
}

bool parseCommandLine(
    QCommandLineParser &parser, const QString &command, const QStringList &arguments)
{
    const QCommandLineOption helpOption(QStringList {QStringLiteral("h"), QStringLiteral("help")},
        QStringLiteral("Show this help."));
    parser.addOption(helpOption);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList all = arguments;
    all.prepend(QStringLiteral("zanto ") + command);
    if (!parser.parse(all))
        throw UsageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return false;
    }
    return true;
}

void expectNoArguments(const QCommandLineParser &parser)
{
    const QStringList arguments = parser.positionalArguments();
    if (!arguments.isEmpty())
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(arguments.constFirst()));
}

} // namespace Zanto::Cli

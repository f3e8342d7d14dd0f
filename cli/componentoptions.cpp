#include "componentoptions.h"
#include "standardstreams.h"
#include "usageerror.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QCoreApplication>

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
        component.SetPrinterType(enumValue<TPrinterType>(
            QStringLiteral("printer-type"), parser.value(printerTypeOption), NameCase::Lower));
    if (parser.isSet(portOption))
        component.SetPort(enumValue<TIOPortName>(
            QStringLiteral("port"), parser.value(portOption), NameCase::Upper, {{"FILE", poDisk}}));
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
            enumValue<TPitch>(QStringLiteral("pitch"), parser.value(pitchOption), NameCase::Upper));
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
        // Written as the other output is, so that a failed write keeps its
        // reason: a help text may be longer than the stream's buffer.
        const QByteArray help = parser.helpText().toLocal8Bit();
        writeStandardOutput(help.constData(), static_cast<std::size_t>(help.size()));
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

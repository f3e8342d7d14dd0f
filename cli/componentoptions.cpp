#include "componentoptions.h"
#include "standardstreams.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/destination.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QCoreApplication>

#include <cstdio>
#include <optional>

namespace Zanto::Cli {

namespace {

QString portName(TIOPortName port)
{
    return port == poDisk ? QStringLiteral("FILE") : enumName(port, NameCase::Upper);
}

QCommandLineOption option(QStringList names, QString help, QString value = {})
{
    return QCommandLineOption(std::move(names), std::move(help), std::move(value));
}

// The options, their help telling the defaults of a new component.
struct Options
{
    const TZantoquiller defaults;

    const QCommandLineOption destination
        = option({QStringLiteral("d"), QStringLiteral("destination")},
            QStringLiteral("Print through the print spooler's queue QUEUE, as lp -d does."),
            QStringLiteral("QUEUE"));
    const QCommandLineOption output
        = option({QStringLiteral("o"), QStringLiteral("output"), QStringLiteral("output-file")},
            QStringLiteral("Print to FILE; - is standard output."), QStringLiteral("FILE"));
    const QCommandLineOption to = option({QStringLiteral("to")},
        QStringLiteral("Print straight to TARGET: socket://HOST[:PORT], "
                       "serial:DEVICE[?baud=N+...], parallel:DEVICE, or the path of a device "
                       "or of a file that exists."),
        QStringLiteral("TARGET"));
    const QCommandLineOption port = option({QStringLiteral("port")},
        QStringLiteral("Older way to choose the output: LPT1, LPT2, COM1-COM4 (see --device), "
                       "CURRENT (the current printer's device) or FILE (named by -o) (default "
                       "%1: %2).")
            .arg(portName(defaults.Port()), devicePath(portName(defaults.Port()))),
        QStringLiteral("NAME"));
    const QCommandLineOption spooler = option({QStringLiteral("spooler")},
        QStringLiteral("Older way to print through the current printer's queue (see -d)."));
    const QCommandLineOption printer = option({QStringLiteral("printer")},
        QStringLiteral("Select the current printer: a print queue or an ipp:// printer URI "
                       "(default: the print server's default printer)."),
        QStringLiteral("NAME"));
    const QCommandLineOption device = option({QStringLiteral("device")},
        QStringLiteral("Map a device name (LPT1, LPT2, COM1-COM4) to a path or device URI; "
                       "repeatable."),
        QStringLiteral("NAME=PATH"));
    const QCommandLineOption timeout = option({QStringLiteral("timeout")},
        QStringLiteral("Time-out of writes and of the print server in milliseconds; 0 for none "
                       "(default %1).")
            .arg(defaults.Timeout()),
        QStringLiteral("MS"));
    const QCommandLineOption printerType = option({QStringLiteral("printer-type")},
        QStringLiteral("Printer family: %1 (default %2).")
            .arg(printerTypeNames().join(u", "), enumName(defaults.PrinterType(), NameCase::Lower)),
        QStringLiteral("NAME"));
    const QCommandLineOption pitch = option({QStringLiteral("pitch")},
        QStringLiteral("Characters per inch: 10, 12 or 15 (default %1).")
            .arg(enumName(defaults.Pitch(), NameCase::Upper)),
        QStringLiteral("N"));
    const QCommandLineOption leftOffset = option({QStringLiteral("left-offset")},
        QStringLiteral("Spaces before every line (default %1).").arg(defaults.LeftOffset()),
        QStringLiteral("N"));
    const QCommandLineOption linesPerPage = option({QStringLiteral("lines-per-page")},
        QStringLiteral("Lines per page; 0 for no paging (default %1).")
            .arg(defaults.LinesPerPage()),
        QStringLiteral("N"));
    const QCommandLineOption lineWidth = option({QStringLiteral("line-width")},
        QStringLiteral("Characters per line; 0 for no wrap (default %1).")
            .arg(defaults.LineWidth()),
        QStringLiteral("N"));
    const QCommandLineOption wrapRule = option({QStringLiteral("wrap-rule")},
        QStringLiteral("How a line wider than --line-width breaks: fold (as fold -w does: only "
                       "before a character that would pass the width, tabs to tab stops, a form "
                       "feed ends the page) or memo (the component's rule: a line that fills the "
                       "width breaks there, at its last space when a word goes on) (default "
                       "fold)."),
        QStringLiteral("RULE"));
    const QCommandLineOption tabStops = option({QStringLiteral("tab-stops")},
        QStringLiteral("Columns from one tab stop to the next, for the fold rule (default %1).")
            .arg(defaults.tabStops()),
        QStringLiteral("N"));
    const QCommandLineOption lineSpacing = option({QStringLiteral("line-spacing")},
        QStringLiteral("Line advances per line, 0-255 (default %1).").arg(defaults.LineSpacing()),
        QStringLiteral("N"));
    const QCommandLineOption noLineFeed = option(
        {QStringLiteral("no-line-feed")}, QStringLiteral("End ordinary lines with CR only."));

    static QStringList printerTypeNames()
    {
        QStringList names;
        for (const auto &[name, value] : enumNames<TPrinterType>(NameCase::Lower))
            names.append(name);
        return names;
    }
};

const Options &options()
{
    static const Options all;
    return all;
}

// --device NAME=PATH, in the order given; a UsageError for a malformed one.
QList<std::pair<QString, QString>> deviceMappings(const QCommandLineParser &parser)
{
    QList<std::pair<QString, QString>> mappings;
    for (const QString &mapping : parser.values(options().device)) {
        const qsizetype equals = mapping.indexOf(u'=');
        const QString name = mapping.left(equals);
        const QString path = equals < 0 ? QString() : mapping.mid(equals + 1);
        if (equals < 0 || path.isEmpty())
            throw UsageError(QStringLiteral("device"), mapping,
                QStringLiteral("'%1' is not of the form NAME=PATH").arg(mapping));
        if (!deviceNames().contains(name.toUpper()))
            throw UsageError(QStringLiteral("device"), mapping,
                QStringLiteral("'%1' is not a device name (one of: %2)")
                    .arg(name, deviceNames().join(u", ")));
        mappings.append({name.toUpper(), path});
    }
    return mappings;
}

// --device NAME=PATH for a command that lists the devices: applied to the
// process's device map.
void applyDevices(const QCommandLineParser &parser)
{
    for (const auto &[name, path] : deviceMappings(parser))
        setDevicePath(name, path);
}

// What -o FILE names: standard output for "-", a device URI, device name or
// network printer as written, else the file as given (created when printed).
Destination outputDestination(const QString &text)
{
    if (text == u"-")
        return Destination::standardOutput();
    if (text.isEmpty())
        return Destination::file(text); // which the print refuses
    const Destination parsed = Destination::parse(text);
    switch (parsed.kind()) {
    case Destination::Kind::Queue:
    case Destination::Kind::DevicePath:
        return Destination::file(text);
    case Destination::Kind::File:
        return parsed.path() == text ? Destination::file(text) : parsed;
    default:
        return parsed;
    }
}

// The destination an option's value names; a UsageError with the reason
// when it names none.
// option: the long name of the option that gave value.
template<typename Read>
Destination readDestination(const QString &option, const QString &value, Read read)
{
    try {
        return read();
    } catch (const EConvertError &error) {
        throw UsageError(option, value, error.Message());
    }
}

// Where the print goes: one of -d, -o, --to and the older --port (with
// --spooler: the current printer's queue), made into one destination of
// this component. No option changes the process-wide printer or device
// map: -d checks its queue without selecting it, and --device mappings
// change only where this command's device name leads.
void applyDestination(const QCommandLineParser &parser, TZantoquiller &component,
    bool selectPrinters, QString &mappedDevice)
{
    const Options &o = options();
    const bool queue = parser.isSet(o.destination);
    const bool file = parser.isSet(o.output);
    const bool target = parser.isSet(o.to);
    const bool spooler = parser.isSet(o.spooler);
    std::optional<TIOPortName> port;
    if (parser.isSet(o.port))
        port = enumValue<TIOPortName>(
            QStringLiteral("port"), parser.value(o.port), NameCase::Upper, {{"FILE", poDisk}});
    // --port FILE only says that -o names the file.
    const bool portChosen = port && !(file && *port == poDisk);
    QStringList given;
    if (queue)
        given << QStringLiteral("-d/--destination");
    if (file)
        given << QStringLiteral("-o/--output");
    if (target)
        given << QStringLiteral("--to");
    if (portChosen)
        given << QStringLiteral("--port ") + portName(*port);
    if (spooler && (file || target))
        given << QStringLiteral("--spooler");
    if (given.size() > 1)
        throw UsageError(QStringLiteral("give one destination: -d/--destination, -o/--output, "
                                        "--to or --port (given: %1)")
                             .arg(given.join(QStringLiteral(", "))));

    const TIOPortName used = port.value_or(component.Port());
    const bool older = !queue && !file && !target;
    const QString chosen = !older ? given.constFirst() : QStringLiteral("--port ") + portName(used);
    const auto refuse = [&](bool given, const QString &option, const QString &why = {}) {
        if (given)
            throw UsageError(QStringLiteral("%1 does nothing with %2").arg(option, chosen) + why);
    };
    // --printer chooses the current printer, which only the older options
    // print to.
    refuse(!older && parser.isSet(o.printer), QStringLiteral("--printer"));
    refuse(older && parser.isSet(o.printer) && !spooler && used != poCurrent,
        QStringLiteral("--printer"),
        QStringLiteral(" (it serves --spooler and --port CURRENT; -d QUEUE prints through a "
                       "queue)"));
    refuse(older && spooler && used == poDisk, QStringLiteral("--spooler"));

    std::optional<Destination> destination;
    if (queue) {
        const QString name = parser.value(o.destination);
        destination = readDestination(
            QStringLiteral("destination"), name, [&] { return Destination::queue(name); });
        if (selectPrinters)
            checkPrinter(name);
    } else if (file) {
        const QString name = parser.value(o.output);
        destination = readDestination(
            QStringLiteral("output"), name, [&] { return outputDestination(name); });
        // The reader of standard output (a pager, a pipe) takes its time, as
        // cat lets it; the time-out is there for printers.
        if (name == u"-" && !parser.isSet(o.timeout))
            component.SetTimeout(0);
    } else if (target) {
        if (parser.value(o.to).isEmpty())
            throw UsageError(
                QStringLiteral("to"), parser.value(o.to), QStringLiteral("no target given"));
        destination = readDestination(QStringLiteral("to"), parser.value(o.to),
            [&] { return Destination::existingTarget(parser.value(o.to)); });
    } else if (port) {
        component.SetPort(*port);
    }

    // The device name this command prints to, which --device may lead
    // elsewhere.
    const QString deviceName = destination ? destination->deviceName()
        : used <= poCOM4                   ? portName(used)
                                           : QString();
    for (const auto &[name, path] : deviceMappings(parser)) {
        if (name != deviceName)
            refuse(true,
                deviceName.isEmpty() && !older ? QStringLiteral("--device")
                                               : QStringLiteral("--device ") + name);
        destination = readDestination(QStringLiteral("device"), name + u'=' + path,
            [&] { return Destination::existingTarget(path); });
        mappedDevice = name;
    }
    if (destination)
        component.setDestination(*destination);
    if (older && parser.isSet(o.printer) && selectPrinters)
        selectPrinter(parser.value(o.printer));
    if (older && spooler)
        component.SetUseSpooler(true);
}

void applyLayout(const QCommandLineParser &parser, TZantoquiller &component)
{
    const Options &o = options();
    if (parser.isSet(o.printerType))
        component.SetPrinterType(enumValue<TPrinterType>(
            QStringLiteral("printer-type"), parser.value(o.printerType), NameCase::Lower));
    if (parser.isSet(o.leftOffset))
        component.SetOffset(integerValue<qint32>(parser, o.leftOffset));
    // A negative length or width would end a page after every line or give
    // every character a line of its own: paper wasted, never meant.
    const auto notNegative = [&](const QCommandLineOption &option) {
        const qint32 value = integerValue<qint32>(parser, option);
        if (value < 0)
            throw UsageError(option.names().constFirst(), parser.value(option),
                QStringLiteral("'%1' is negative (0 turns it off)").arg(value));
        return value;
    };
    if (parser.isSet(o.linesPerPage))
        component.SetLinesPerPage(notNegative(o.linesPerPage));
    if (parser.isSet(o.lineWidth))
        component.SetLineWidth(notNegative(o.lineWidth));
    // zanto prints forms as fold and pr lay them out, unless told otherwise.
    component.setWrapRule(parser.isSet(o.wrapRule)
            ? enumValue<WrapRule>(
                QStringLiteral("wrap-rule"), parser.value(o.wrapRule), NameCase::Lower)
            : WrapRule::Fold);
    if (parser.isSet(o.tabStops)) {
        const qint32 stops = integerValue<qint32>(parser, o.tabStops);
        if (stops < 1)
            throw UsageError(QStringLiteral("tab-stops"), parser.value(o.tabStops),
                QStringLiteral("'%1' is not a number from 1 on").arg(stops));
        component.setTabStops(stops);
    }
    if (parser.isSet(o.pitch))
        component.SetPitch(
            enumValue<TPitch>(QStringLiteral("pitch"), parser.value(o.pitch), NameCase::Upper));
    if (parser.isSet(o.noLineFeed))
        component.SetSendLineFeed(false);
    if (parser.isSet(o.lineSpacing))
        component.SetLineSpacing(integerValue<quint8>(parser, o.lineSpacing));
}

} // namespace

void ComponentOptions::addTo(QCommandLineParser &parser, int groups)
{
    m_groups = groups;
    const Options &o = options();
    if (groups & Destination) {
        QCommandLineOption destination = o.destination;
        QCommandLineOption spooler = o.spooler;
        if (!(groups & Spooler)) {
            destination.setFlags(QCommandLineOption::HiddenFromHelp);
            spooler.setFlags(QCommandLineOption::HiddenFromHelp);
        }
        parser.addOptions({destination, o.output, o.to, o.port, spooler});
    }
    if (groups & Printer)
        parser.addOptions({o.printer, o.timeout});
    if (groups & Devices)
        parser.addOption(o.device);
    if (groups & Layout)
        parser.addOptions({o.printerType, o.pitch, o.leftOffset, o.linesPerPage, o.lineWidth,
            o.wrapRule, o.tabStops, o.lineSpacing, o.noLineFeed});
}

void ComponentOptions::applyTo(const QCommandLineParser &parser, TZantoquiller &component) const
{
    const Options &o = options();
    // The printer choice and listing wait for the print server as long as
    // the component's own calls do.
    if ((m_groups & Printer) && parser.isSet(o.timeout)) {
        const quint16 timeout = integerValue<quint16>(parser, o.timeout);
        setPrinterTimeout(timeout);
        component.SetTimeout(timeout);
    }
    if (m_groups & Layout)
        applyLayout(parser, component);
    if (m_groups & Destination) {
        if (!(m_groups & Spooler)) {
            for (const QCommandLineOption *spooled : {&o.destination, &o.spooler}) {
                if (parser.isSet(*spooled))
                    throw UsageError(
                        QStringLiteral("--%1 does nothing with %2, which writes "
                                       "straight to the port (--port CURRENT: the "
                                       "current printer's device)")
                            .arg(spooled->names().constLast(), QLatin1String(commandName())));
            }
        }
        m_mappedDevice.clear();
        applyDestination(parser, component, m_selectPrinters, m_mappedDevice);
        return;
    }
    if (m_groups & Devices)
        applyDevices(parser);
    if ((m_groups & Printer) && parser.isSet(o.printer) && m_selectPrinters)
        selectPrinter(parser.value(o.printer));
}

QString commandHelpText(const QCommandLineParser &parser, const QString &command)
{
    QString text = parser.helpText();
    const QString program = QCoreApplication::arguments().value(0);
    const QString usage = QStringLiteral("Usage: ");
    if (text.startsWith(usage + program))
        text.replace(usage.size(), program.size(), QStringLiteral("zanto ") + command);
    return text;
}

void printCommandHelp(const QCommandLineParser &parser, const QString &command)
{
    const QByteArray text = commandHelpText(parser, command).toLocal8Bit();
    writeStandardOutput(text.constData(), std::size_t(text.size()));
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
        printCommandHelp(parser, command);
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

// The options that set up a component for a print, shared by the commands
// that print.
#pragma once

#include "usageerror.h"

#include <QCommandLineParser>
#include <QList>
#include <QMetaEnum>
#include <QStringList>

#include <initializer_list>
#include <limits>
#include <utility>

namespace Zanto {
class TZantoquiller;
}

namespace Zanto::Cli {

class ComponentOptions
{
public:
    // Devices: --device; Printer: --printer, --timeout; Destination: -o,
    // --to and the older --port; Spooler: -d and the older --spooler, for
    // commands that print through the spooler (without it they are refused
    // with the reason); Layout: the printer type, pitch, margins, paging and
    // line ends.
    enum Group { Devices = 1, Printer = 2, Destination = 4, Spooler = 8, Layout = 16, All = 31 };

    // Adds the options of the groups to parser, each with its default.
    void addTo(QCommandLineParser &parser, int groups = All);

    // Applies the options given on the command line to component, in the
    // component's property order. A value that does not fit the property's
    // type, more than one destination, or an option that does nothing with
    // the others is a UsageError; the component's own checks apply
    // otherwise. The destination options give the component its own
    // destination (Destination), and --device leads this command's device
    // name elsewhere; neither changes the process-wide device map or
    // printer. --printer selects the current printer; an unknown printer or
    // queue raises EPrinter. Commands without a destination (ports) apply
    // --device to the process's device map.
    void applyTo(const QCommandLineParser &parser, TZantoquiller &component) const;
    // applyTo() then leaves a queue's or printer's name unchecked: the
    // print server is not asked.
    void leavePrintersUnselected() { m_selectPrinters = false; }
    // The device name that --device led elsewhere in the last applyTo(),
    // as messages name the output; empty when none was.
    const QString &mappedDeviceName() const { return m_mappedDevice; }

private:
    int m_groups = 0;
    bool m_selectPrinters = true;
    mutable QString m_mappedDevice;
};

// The value of an integer option, which must fit Int; a UsageError otherwise.
template<typename Int>
Int integerValue(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    const QString text = parser.value(option);
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        // One arg() call: a "%1" in the user's text is not substituted.
        throw UsageError(option.names().constLast(), text,
            QStringLiteral("'%1' is not a number from %2 to %3")
                .arg(text, QString::number(qlonglong(std::numeric_limits<Int>::min())),
                    QString::number(qlonglong(std::numeric_limits<Int>::max()))));
    return static_cast<Int>(value);
}

// Parses arguments with parser, turning its errors, --help and stray
// arguments into UsageError or a printed help text. Returns false when the
// command should stop with status 0 (help shown).
bool parseCommandLine(
    QCommandLineParser &parser, const QString &command, const QStringList &arguments);

// The parser's help text, its usage line naming the command ("Usage: zanto
// print [options] [FILE]") rather than the program's path.
QString commandHelpText(const QCommandLineParser &parser, const QString &command);
// Writes that help text to standard output, a failed write told once.
void printCommandHelp(const QCommandLineParser &parser, const QString &command);

// A UsageError naming the first positional argument, if there is one.
void expectNoArguments(const QCommandLineParser &parser);

// The command line's names of an enumeration's values: the keys of its
// meta-object without their lower-case prefix ("ptEpson" is "epson",
// "cpi10" is "10"), shown in the case given; an alias renames a value
// ("FILE" for poDisk).
enum class NameCase { Lower, Upper };
template<typename Enum>
QList<std::pair<QString, Enum>> enumNames(
    NameCase shown, std::initializer_list<std::pair<const char *, Enum>> aliases = {})
{
    const QMetaEnum meta = QMetaEnum::fromType<Enum>();
    QList<std::pair<QString, Enum>> names;
    for (int i = 0; i < meta.keyCount(); ++i) {
        const auto value = static_cast<Enum>(meta.value(i));
        QString name;
        for (const auto &[alias, aliased] : aliases) {
            if (aliased == value)
                name = QLatin1String(alias);
        }
        if (name.isEmpty()) {
            const QString key = QLatin1String(meta.key(i));
            qsizetype prefix = 0;
            while (prefix < key.size() && key[prefix].isLower())
                ++prefix;
            name = shown == NameCase::Lower ? key.mid(prefix).toLower() : key.mid(prefix).toUpper();
        }
        names.append({name, value});
    }
    return names;
}

// The name of value, as enumNames() gives it.
template<typename Enum> QString enumName(Enum value, NameCase shown)
{
    for (const auto &[name, named] : enumNames<Enum>(shown)) {
        if (named == value)
            return name;
    }
    return {};
}

// The value that text names, compared without regard to case; a UsageError
// "--OPTION: unknown value ..." listing the names otherwise.
template<typename Enum>
Enum enumValue(const QString &option, const QString &text, NameCase shown,
    std::initializer_list<std::pair<const char *, Enum>> aliases = {})
{
    QStringList known;
    for (const auto &[name, value] : enumNames<Enum>(shown, aliases)) {
        if (text.compare(name, Qt::CaseInsensitive) == 0)
            return value;
        known << name;
    }
    throw UsageError(option, text,
        QStringLiteral("unknown value '%1' (one of: %2)").arg(text, known.join(u", ")));
}

} // namespace Zanto::Cli

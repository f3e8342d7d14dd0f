// The options that set up a component for a print, shared by the commands
// that print.
#pragma once

#include "usageerror.h"

#include <QCommandLineParser>

#include <limits>

namespace Zanto {
class TZantoquiller;
}

namespace Zanto::Cli {

class ComponentOptions
{
public:
    // Adds the property options to parser.
    void addTo(QCommandLineParser &parser);

    // Applies the options given on the command line to component, in the
    // component's property order. A value that does not fit the property's
    // type is a UsageError; the component's own checks apply otherwise.
    // --device and --printer change the process-wide device map and printer
    // object; an unknown printer raises EPrinter.
    void applyTo(const QCommandLineParser &parser, TZantoquiller &component) const;
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
        throw UsageError(QStringLiteral("--%1: '%2' is not a number from %3 to %4")
                             .arg(option.names().constLast(), text,
                                 QString::number(qlonglong(std::numeric_limits<Int>::min())),
                                 QString::number(qlonglong(std::numeric_limits<Int>::max()))));
    return static_cast<Int>(value);
}

// Parses arguments with parser, turning its errors, --help and stray
// arguments into UsageError or a printed help text. Returns false when the
// command should stop with status 0 (help shown).
bool parseCommandLine(
    QCommandLineParser &parser, const QString &command, const QStringList &arguments);

// A UsageError naming the first positional argument, if there is one.
void expectNoArguments(const QCommandLineParser &parser);

} // namespace Zanto::Cli

#include "formoptions.h"
#include "usageerror.h"

#include <zantoquiller/jobcodes.h>
#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/zantoquiller.h>

#include <cmath>
#include <optional>

namespace Zanto::Cli {

namespace {

const QCommandLineOption condensedOption(QStringLiteral("condensed"),
    QStringLiteral("Start the job with the language's condensed print command (with --language)."));
const QCommandLineOption lpiOption(QStringLiteral("lpi"),
    QStringLiteral("Start the job with the language's command for N lines per inch (with "
                   "--language; e.g. 6 or 8)."),
    QStringLiteral("N"));
const QCommandLineOption formLengthOption(QStringLiteral("form-length"),
    QStringLiteral("Start the job with the language's command that makes the form LINES lines "
                   "long (with --language; 66 is 11 inches at 6 lines per inch)."),
    QStringLiteral("LINES"));

const LanguageCommand *commandFor(const PrinterLanguage &language, CommandAction action)
{
    for (const LanguageCommand &command : language.model().commands) {
        if (command.action == action)
            return &command;
    }
    return nullptr;
}

// A PCL parameterised command with its value: ESC, the parameterised and
// group characters, the value, the parameter character.
QByteArray pclCommand(const LanguageCommand &command, int value)
{
    QByteArray bytes("\x1B");
    bytes += command.bytes[0];
    if (command.bytes[1] != '\0')
        bytes += command.bytes[1];
    return bytes + QByteArray::number(value) + command.bytes[2];
}

int positiveValue(const QCommandLineParser &parser, const QCommandLineOption &option, int maximum)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 1 || value > maximum)
        throw UsageError(option.names().constFirst(), parser.value(option),
            QStringLiteral("'%1' is not a number from 1 to %2")
                .arg(parser.value(option))
                .arg(maximum));
    return value;
}

[[noreturn]] void refuse(
    const QCommandLineOption &option, const PrinterLanguage &language, const QString &what)
{
    throw UsageError(
        QStringLiteral("--%1: language %2 (%3) has no command for %4")
            .arg(option.names().constFirst(), language.name(), language.displayName(), what));
}

std::optional<QByteArray> condensed(const PrinterLanguage &language)
{
    if (const LanguageCommand *on = commandFor(language, CommandAction::CondensedOn))
        return on->bytes.toByteArray();
    if (const LanguageCommand *mode = commandFor(language, CommandAction::PclPitchMode))
        return pclCommand(*mode, 2); // 16.67 characters per inch
    return std::nullopt;
}

// A spacing of exactly 1/lpi inch where the language has one.
std::optional<QByteArray> lineSpacing(const PrinterLanguage &language, int lpi)
{
    for (const LanguageCommand &command : language.model().commands) {
        const qint64 value = command.value == 0 ? 1 : command.value;
        switch (command.action) {
        case CommandAction::LineSpacing:
            if (command.parameters == 0 && value * lpi == command.unit)
                return command.bytes.toByteArray();
            break;
        case CommandAction::LineSpacingUnits:
        case CommandAction::VerticalIndex: {
            // n times value/unit inch; the motion index counts from 1.
            if (command.parameters != 1 || command.unit % (value * lpi) != 0)
                break;
            const qint64 n = command.unit / (value * lpi)
                + (command.action == CommandAction::VerticalIndex ? 1 : 0);
            if (n >= 1 && n <= 255)
                return command.bytes.toByteArray() + char(n);
            break;
        }
        case CommandAction::PclLinesPerInch:
            return pclCommand(command, lpi);
        default:
            break;
        }
    }
    // Else the nearest spacing in the finest unit counted in dots (ESC/POS's
    // n/203 inch): within half a dot of 1/lpi inch.
    const LanguageCommand *finest = nullptr;
    for (const LanguageCommand &command : language.model().commands) {
        if (command.action == CommandAction::LineSpacingUnits && command.parameters == 1
            && (!finest
                || command.unit * (finest->value ? finest->value : 1)
                    > finest->unit * (command.value ? command.value : 1)))
            finest = &command;
    }
    if (!finest)
        return std::nullopt;
    const double perDot = double(finest->value ? finest->value : 1) / finest->unit;
    const qint64 n = std::llround(1.0 / lpi / perDot);
    if (n < 1 || n > 255)
        return std::nullopt;
    return finest->bytes.toByteArray() + char(n);
}

std::optional<QByteArray> formLength(const PrinterLanguage &language, int lines)
{
    if (const LanguageCommand *length = commandFor(language, CommandAction::PageLengthLines))
        return length->bytes.toByteArray() + char(lines);
    if (const LanguageCommand *length = commandFor(language, CommandAction::PclPageLength))
        return pclCommand(*length, lines);
    return std::nullopt;
}

} // namespace

void FormOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({condensedOption, lpiOption, formLengthOption});
}

QByteArray FormOptions::commands(
    const QCommandLineParser &parser, const PrinterLanguage *language) const
{
    QByteArray bytes;
    for (const QCommandLineOption *option : {&condensedOption, &lpiOption, &formLengthOption}) {
        if (parser.isSet(*option) && !language)
            throw UsageError(QStringLiteral("--%1 needs --language: the command comes from the "
                                            "printer's language")
                                 .arg(option->names().constFirst()));
    }
    if (parser.isSet(lpiOption)) {
        const int lpi = positiveValue(parser, lpiOption, 360);
        const std::optional<QByteArray> command = lineSpacing(*language, lpi);
        if (!command)
            refuse(lpiOption, *language, QStringLiteral("%1 lines per inch").arg(lpi));
        bytes += *command;
    }
    if (parser.isSet(formLengthOption)) {
        // ESC C n and ESC FF n take up to 127 lines.
        const int lines = positiveValue(parser, formLengthOption, 127);
        const std::optional<QByteArray> command = formLength(*language, lines);
        if (!command)
            refuse(formLengthOption, *language, QStringLiteral("a form length in lines"));
        bytes += *command;
    }
    return bytes;
}

QByteArray FormOptions::condensedCommand(
    const QCommandLineParser &parser, const PrinterLanguage *language) const
{
    if (!parser.isSet(condensedOption))
        return {};
    commands(parser, language); // refuses the option without a language
    const std::optional<QByteArray> command = condensed(*language);
    if (!command)
        refuse(condensedOption, *language, QStringLiteral("condensed print"));
    return *command;
}

void FormOptions::applyTo(const QCommandLineParser &parser, const PrinterLanguage *language,
    TZantoquiller &component) const
{
    // Condensed print follows the pitch code, which would end it (ESC P,
    // DC2, PCL's (s#H) were it sent before.
    const QByteArray condensedBytes = condensedCommand(parser, language);
    if (!condensedBytes.isEmpty()) {
        TCodeTable table = component.CodeTable();
        TPrinterCodes &codes = table[static_cast<std::size_t>(component.PrinterType())];
        TCodeString &pitch = component.Pitch() == cpi12 ? codes.Set12cpi
            : component.Pitch() == cpi15                ? codes.Set15cpi
                                                        : codes.Set10cpi;
        const QByteArray code = pitch.toByteArray() + condensedBytes;
        if (code.size() > TCodeString::Capacity)
            throw UsageError(QStringLiteral("--condensed: the pitch code and the condensed "
                                            "command are more than %1 bytes")
                                 .arg(TCodeString::Capacity));
        pitch.assign(code);
        component.SetCodeTable(table);
    }
    const QByteArray bytes = commands(parser, language);
    if (bytes.isEmpty())
        return;
    JobCodes codes = jobCodes(component);
    codes.start += bytes;
    setJobCodes(component, codes);
}

} // namespace Zanto::Cli

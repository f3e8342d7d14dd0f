#include "languageoption.h"
#include "usageerror.h"

#include <zantoquiller/printerlanguage.h>

#include <algorithm>

namespace Zanto::Cli {

const QCommandLineOption &languageOption()
{
    static const QCommandLineOption option(QStringLiteral("language"),
        QStringLiteral("The printer's language: %1 (default: the one the printer type speaks; "
                       "'zanto languages' lists them).")
            .arg(PrinterLanguage::names().join(u", ")),
        QStringLiteral("NAME"));
    return option;
}

const PrinterLanguage *chosenLanguage(const QCommandLineParser &parser)
{
    if (!parser.isSet(languageOption()))
        return nullptr;
    const QString name = parser.value(languageOption());
    const PrinterLanguage *language = PrinterLanguage::find(name);
    if (!language)
        throw UsageError(QStringLiteral("language"), name,
            QStringLiteral("unknown language '%1' (one of: %2)")
                .arg(name, PrinterLanguage::names().join(u", ")));
    return language;
}

TPrinterCodes codesBesidesLanguage(const PrinterLanguage &language, TPrinterCodes codes)
{
    for (int index = 0; index < TPrinterCodes::FieldCount; ++index) {
        const QByteArrayView code = codes.field(index).view();
        if (code.isEmpty())
            continue;
        const CommandMatch match = language.read(code, true);
        if (match.result == CommandMatch::Found && match.length == code.size())
            codes.field(index) = TCodeString();
    }
    return codes;
}

std::optional<QList<int>> languagePitches(const PrinterLanguage &language)
{
    // The pitches a print can ask for.
    static constexpr int printable[] {10, 12, 15};
    const LanguageModel &model = language.model();
    QList<int> pitches;
    const auto add = [&](int cpi) {
        if (cpi > 0 && !pitches.contains(cpi))
            pitches.append(cpi);
    };
    for (const LanguageFont &font : model.fonts) {
        if (font.cpi == 0)
            return std::nullopt;
        add(font.cpi);
    }
    for (const LanguageCommand &command : model.commands) {
        switch (command.action) {
        case CommandAction::PclPitch:
            return std::nullopt;
        case CommandAction::Pitch:
            add(command.value);
            break;
        case CommandAction::HorizontalIndex:
        case CommandAction::CellWidth:
            // A cell of a whole number of units.
            for (const int cpi : printable) {
                if (command.unit > 0 && command.unit % cpi == 0)
                    add(cpi);
            }
            break;
        default:
            break;
        }
    }
    std::sort(pitches.begin(), pitches.end());
    return pitches;
}

} // namespace Zanto::Cli

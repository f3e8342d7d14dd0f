#include "languageoption.h"
#include "usageerror.h"

#include <zantoquiller/printerlanguage.h>

#include <zantoquiller/codepage.h>

#include <algorithm>
#include <iconv.h>

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

namespace {

// Whether glibc's table encoding has page's characters above 127; a byte the
// table leaves undefined matches only a control or an undefined (private-use)
// byte of page.
bool sameCharacters(const char *encoding, const AnsiCodePage &page)
{
    const iconv_t converter = iconv_open("UTF-16LE", encoding);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    bool same = true;
    for (int byte = 128; byte < 256 && same; ++byte) {
        char in = char(byte);
        char16_t out = 0;
        char *inPointer = &in;
        char *outPointer = reinterpret_cast<char *>(&out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        const char16_t wanted = page.toUnicode(static_cast<unsigned char>(byte));
        if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != std::size_t(-1)
            && outLeft == 0)
            same = out == wanted;
        else
            same = wanted < 0xA0 || wanted == 0xFFFD || (wanted >= 0xE000 && wanted < 0xF900);
    }
    iconv_close(converter);
    return same;
}

// The command that does action, with its own bytes.
const LanguageCommand *commandFor(const PrinterLanguage &language, CommandAction action)
{
    for (const LanguageCommand &command : language.model().commands) {
        if (command.action == action)
            return &command;
    }
    return nullptr;
}

} // namespace

std::optional<QByteArray> codeTableSelection(
    const PrinterLanguage &language, const AnsiCodePage &page)
{
    const LanguageCommand *select = commandFor(language, CommandAction::CodeTable);
    const LanguageCommand *assign = commandFor(language, CommandAction::AssignCodeTable);
    const LanguageCommand *symbolSet = commandFor(language, CommandAction::PclSymbolSet);
    for (const LanguageCodeTable &table : language.model().codeTables) {
        if (!sameCharacters(table.encoding, page))
            continue;
        if (symbolSet) {
            // ESC ( value letter.
            return QByteArray("\x1B(") + QByteArray::number(table.number / 32)
                + char('@' + table.number % 32);
        }
        if (select && assign) {
            // Slot 1 gets the registered table (d2 d3), then is selected.
            const char assignBytes[] {3, 0, 1, char(table.number / 256), char(table.number % 256)};
            return assign->bytes.toByteArray() + QByteArray(assignBytes, sizeof assignBytes)
                + select->bytes.toByteArray() + char(1);
        }
        if (select)
            return select->bytes.toByteArray() + char(table.number);
    }
    return std::nullopt;
}

} // namespace Zanto::Cli

// --language NAME, the printer language that zanto print, preview and
// status read from the language models: the option, the language it names
// and the pitches that language can print.
#pragma once

#include <QCommandLineParser>
#include <QList>

#include <optional>

#include <zantoquiller/types.h>

namespace Zanto {
class PrinterLanguage;
} // namespace Zanto

namespace Zanto::Cli {

// --language NAME; made when first asked for, as the languages' list is.
const QCommandLineOption &languageOption();

// The language --language names, or null when it is not given; an unknown
// name is a UsageError about the option (so a profile's is told with its
// FILE:LINE).
const PrinterLanguage *chosenLanguage(const QCommandLineParser &parser);

// The pitches (characters per inch) the language prints: its fonts', those
// of its pitch commands and those its motion index reaches. None where it
// takes any pitch (PCL's primary pitch) or its fonts are counted in dots
// (receipt printers, whose codes file picks a font for each pitch).
std::optional<QList<int>> languagePitches(const PrinterLanguage &language);

// codes without those the language reads as commands of its own: a codes
// file that holds the language's commands (ESC M 0 as 10 cpi for ESC/POS's
// font A) is read as the language means them, not as the code's pitch.
TPrinterCodes codesBesidesLanguage(const PrinterLanguage &language, TPrinterCodes codes);

} // namespace Zanto::Cli

namespace Zanto {
class AnsiCodePage;
} // namespace Zanto

namespace Zanto::Cli {

// The bytes that make the language's printer use a character table of its
// own whose characters above 127 are those of page (ESC t n, ESC ( t with
// ESC t, ESC GS t n, PCL's ESC ( ID), or none where the language cannot
// select such a table.
std::optional<QByteArray> codeTableSelection(
    const PrinterLanguage &language, const AnsiCodePage &page);

} // namespace Zanto::Cli

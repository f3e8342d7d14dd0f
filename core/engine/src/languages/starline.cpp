// Star Line mode (and the text commands StarPRNT shares with it) for
// receipt printers at 203 dpi: font A 12 dots, font B 9.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {

using namespace std::literals;

constexpr LanguageCommand commands[] {
    {"ESC @ Initialize printer", "\x1B@"sv, 0, L::Fixed, A::Reset},
    {"CAN Cancel print data", "\x18"sv, 0, L::Fixed, A::NoEffect},
    {"ESC E Select emphasized printing",
        "\x1B"
        "E"sv,
        0, L::Fixed, A::BoldOn},
    {"ESC F Cancel emphasized printing",
        "\x1B"
        "F"sv,
        0, L::Fixed, A::BoldOff},
    {"ESC - Underline mode", "\x1B-"sv, 1, L::Fixed, A::UnderlineSwitch},
    {"ESC _ Upperline mode", "\x1B_"sv, 1, L::Fixed, A::NoEffect},
    {"ESC 4 Select highlight printing",
        "\x1B"
        "4"sv,
        0, L::Fixed, A::NoEffect},
    {"ESC 5 Cancel highlight printing",
        "\x1B"
        "5"sv,
        0, L::Fixed, A::NoEffect},
    // 12 dots a character: Font A's cell.
    {"ESC M Select 12 dot pitch", "\x1BM"sv, 0, L::Fixed, A::Font},
    {"ESC i Set character expansion", "\x1Bi"sv, 2, L::Fixed, A::CharacterExpansion},
    {"SO Set double-wide expanded characters", "\x0E"sv, 0, L::Fixed, A::DoubleWidthLine},
    {"DC4 Cancel double-wide expanded characters", "\x14"sv, 0, L::Fixed, A::DoubleWidthOff},
    {"ESC RS F Select font",
        "\x1B\x1E"
        "F"sv,
        1, L::Fixed, A::Font},
    {"ESC GS a Set alignment position",
        "\x1B\x1D"
        "a"sv,
        1, L::Fixed, A::Align},
    {"ESC GS t Select code page", "\x1B\x1Dt"sv, 1, L::Fixed, A::CodeTable},
    {"ESC R Select international character set", "\x1BR"sv, 1, L::Fixed, A::InternationalSet},
    // A thermal printer's: 3 mm and 4 mm (1/8 and 1/6 inch on slip printers).
    {"ESC 0 Set 3 mm line spacing",
        "\x1B"
        "0"sv,
        0, L::Fixed, A::LineSpacing, 30, 254},
    {"ESC z 1 Set 4 mm line spacing", "\x1Bz\x01"sv, 0, L::Fixed, A::LineSpacing, 40, 254},
    {"ESC 3 Set n/4 mm line spacing",
        "\x1B"
        "3"sv,
        1, L::Fixed, A::LineSpacingUnits, 10, 1016},
    {"ESC J Paper feed n/4 mm", "\x1BJ"sv, 1, L::Fixed, A::FeedUnits, 10, 1016},
    {"ESC a Feed n lines",
        "\x1B"
        "a"sv,
        1, L::Fixed, A::FeedLines},
    {"ESC l Set left margin", "\x1Bl"sv, 1, L::Fixed, A::LeftMarginColumns},
    {"ESC Q Set right margin", "\x1BQ"sv, 1, L::Fixed, A::RightMarginColumns},
    {"ESC D Set horizontal tab",
        "\x1B"
        "D"sv,
        0, L::UntilNul, A::SetTabs},
    {"ESC d Cut paper",
        "\x1B"
        "d"sv,
        1, L::Fixed, A::Cut},
    {"ESC b Print bar code",
        "\x1B"
        "b"sv,
        4, L::UntilRecordSeparator, A::Ignore},
    {"ESC GS y S 0 Set QR code model", "\x1B\x1DyS0"sv, 1, L::Fixed, A::NoEffect},
    {"ESC GS y S 1 Set QR code mistake correction level", "\x1B\x1DyS1"sv, 1, L::Fixed,
        A::NoEffect},
    {"ESC GS y S 2 Set QR code cell size", "\x1B\x1DyS2"sv, 1, L::Fixed, A::NoEffect},
    {"ESC GS y D 1 Set QR code data", "\x1B\x1DyD1"sv, 3, L::CountedData, A::Ignore},
    {"ESC GS y P Print QR code", "\x1B\x1DyP"sv, 0, L::Fixed, A::Ignore},
    {"ESC K Print normal density graphics", "\x1BK"sv, 2, L::CountedData, A::Ignore},
    {"ESC L Print high density graphics", "\x1BL"sv, 2, L::CountedData, A::Ignore},
    {"ESC X Print fine density graphics", "\x1BX"sv, 2, L::ColumnImage3, A::Ignore},
    // Raster mode: its rows and settings are read by the preview until
    // ESC * r B.
    {"ESC * r A Enter raster mode", "\x1B*rA"sv, 0, L::Fixed, A::Ignore},
    {"ESC * r B Quit raster mode", "\x1B*rB"sv, 0, L::Fixed, A::NoEffect},
    {"ESC RS a Set status transmission conditions",
        "\x1B\x1E"
        "a"sv,
        1, L::Fixed, A::NoEffect},
    {"BEL Drive drawer 1", "\x07"sv, 0, L::Fixed, A::Ignore},
    {"FS Drive drawer 2", "\x1C"sv, 0, L::Fixed, A::Ignore},
};

constexpr LanguageFont fonts[] {{"Font A", 0, 12}, {"Font B", 0, 9}};

constexpr LanguagePaperWidth widths[] {{"roll80", 576}, {"roll58", 384}};

// ESC GS t n.
constexpr LanguageCodeTable tables[] {
    {1, "IBM437"},
    {3, "IBM437"},
    {4, "IBM858"},
    {5, "IBM852"},
    {6, "IBM860"},
    {7, "IBM861"},
    {8, "IBM863"},
    {9, "IBM865"},
    {10, "IBM866"},
    {32, "CP1252"},
    {33, "CP1250"},
    {34, "CP1251"},
};

} // namespace

const LanguageModel starLine {"star-line", "Star Line mode", ptUser1, commands, 203, fonts, widths,
    "roll80", tables, true, false, true, 1, 6, StatusProtocol::StarAsb, true};

} // namespace Zanto::Languages

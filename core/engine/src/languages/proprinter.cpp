// IBM Proprinter. Text past the right margin goes on the next line.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {

using namespace std::literals;

constexpr LanguageCommand commands[] {
    {"ESC E Emphasized printing on",
        "\x1B"
        "E"sv,
        0, L::Fixed, A::BoldOn},
    {"ESC F Emphasized printing off",
        "\x1B"
        "F"sv,
        0, L::Fixed, A::BoldOff},
    {"ESC G Double-strike printing on", "\x1BG"sv, 0, L::Fixed, A::BoldOn},
    {"ESC H Double-strike printing off", "\x1BH"sv, 0, L::Fixed, A::BoldOff},
    {"ESC % G Italics on", "\x1B%G"sv, 0, L::Fixed, A::ItalicOn},
    {"ESC % H Italics off", "\x1B%H"sv, 0, L::Fixed, A::ItalicOff},
    {"ESC - Select/cancel underlining", "\x1B-"sv, 1, L::Fixed, A::UnderlineSwitch},
    {"ESC S Superscript/subscript printing", "\x1BS"sv, 1, L::Fixed, A::ScriptSwitch},
    {"ESC T Cancel superscript/subscript", "\x1BT"sv, 0, L::Fixed, A::ScriptOff},
    {"DC2 Select 10 characters per inch", "\x12"sv, 0, L::Fixed, A::Pitch, 10},
    {"ESC : Select 12 characters per inch", "\x1B:"sv, 0, L::Fixed, A::Pitch, 12},
    {"SI Select condensed printing", "\x0F"sv, 0, L::Fixed, A::CondensedOn},
    {"ESC SI Select condensed printing", "\x1B\x0F"sv, 0, L::Fixed, A::CondensedOn},
    {"SO Double-wide printing for the current line", "\x0E"sv, 0, L::Fixed, A::DoubleWidthLine},
    {"ESC SO Double-wide printing for the current line", "\x1B\x0E"sv, 0, L::Fixed,
        A::DoubleWidthLine},
    {"DC4 Cancel double-wide printing", "\x14"sv, 0, L::Fixed, A::DoubleWidthOff},
    {"ESC W Continuous double-wide printing", "\x1BW"sv, 1, L::Fixed, A::DoubleWidthSwitch},
    {"ESC 0 Set line spacing to 1/8 inch",
        "\x1B"
        "0"sv,
        0, L::Fixed, A::LineSpacing, 1, 8},
    {"ESC 1 Set line spacing to 7/72 inch",
        "\x1B"
        "1"sv,
        0, L::Fixed, A::LineSpacing, 7, 72},
    {"ESC A Store n/72-inch line spacing",
        "\x1B"
        "A"sv,
        1, L::Fixed, A::StoreSpacing, 0, 72},
    {"ESC 2 Activate line spacing set by ESC A",
        "\x1B"
        "2"sv,
        0, L::Fixed, A::ApplyStoredSpacing},
    {"ESC 3 Set line spacing to n/216 inch",
        "\x1B"
        "3"sv,
        1, L::Fixed, A::LineSpacingUnits, 0, 216},
    {"ESC J Line feed of n/216 inch", "\x1BJ"sv, 1, L::Fixed, A::FeedUnits, 0, 216},
    {"ESC ] Reverse line feed", "\x1B]"sv, 0, L::Fixed, A::ReverseLineFeed},
    {"ESC C Set form length in lines",
        "\x1B"
        "C"sv,
        1, L::Fixed, A::PageLengthLines},
    {"ESC C NUL Set form length in inches",
        "\x1B"
        "C\0"sv,
        1, L::Fixed, A::PageLengthInches},
    {"ESC X Set horizontal margins", "\x1BX"sv, 2, L::Fixed, A::MarginsColumns},
    {"ESC D Set horizontal tab stops",
        "\x1B"
        "D"sv,
        0, L::UntilNul, A::SetTabs},
    {"ESC B Set vertical tab stops",
        "\x1B"
        "B"sv,
        0, L::UntilNul, A::NoEffect},
    {"ESC N Set skip-perforation", "\x1BN"sv, 1, L::Fixed, A::NoEffect},
    {"ESC O Cancel skip-perforation", "\x1BO"sv, 0, L::Fixed, A::NoEffect},
    {"ESC 5 Automatic line feed on/off",
        "\x1B"
        "5"sv,
        1, L::Fixed, A::NoEffect},
    {"ESC 6 Select character set 2",
        "\x1B"
        "6"sv,
        0, L::Fixed, A::NoEffect},
    {"ESC 7 Select character set 1",
        "\x1B"
        "7"sv,
        0, L::Fixed, A::NoEffect},
    {"ESC U Unidirectional printing", "\x1BU"sv, 1, L::Fixed, A::NoEffect},
    {"ESC K Normal-density bit image", "\x1BK"sv, 2, L::CountedData, A::Ignore},
    {"ESC L Dual-density bit image", "\x1BL"sv, 2, L::CountedData, A::Ignore},
    {"ESC Y Dual-density bit image, double speed", "\x1BY"sv, 2, L::CountedData, A::Ignore},
    {"ESC Z Quadruple-density bit image", "\x1BZ"sv, 2, L::CountedData, A::Ignore},
    {"CAN Cancel", "\x18"sv, 0, L::Fixed, A::NoEffect},
    {"DC1 Select printer", "\x11"sv, 0, L::Fixed, A::NoEffect},
    {"DC3 Deselect printer", "\x13"sv, 0, L::Fixed, A::NoEffect},
};

constexpr LanguageFont fonts[] {{"10 cpi", 10, 0}, {"12 cpi", 12, 0}};

} // namespace

const LanguageModel proprinter {"proprinter", "IBM Proprinter", ptIBM, commands, 120, fonts, {},
    nullptr, {}, true, false, true, 1, 6, StatusProtocol::None, false};

} // namespace Zanto::Languages

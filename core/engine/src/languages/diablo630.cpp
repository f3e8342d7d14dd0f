// Diablo 630 daisy wheel. The carriage stops at the right margin: text
// past it is lost.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {

using namespace std::literals;

constexpr LanguageCommand commands[] {
    {"ESC CR P Remote reset", "\x1B\rP"sv, 0, L::Fixed, A::Reset},
    {"ESC SUB I Initialize", "\x1B\x1AI"sv, 0, L::Fixed, A::Reset},
    {"ESC O Start bold printing", "\x1BO"sv, 0, L::Fixed, A::BoldOn},
    {"ESC W Start shadow printing", "\x1BW"sv, 0, L::Fixed, A::BoldOn},
    {"ESC & End bold/shadow printing", "\x1B&"sv, 0, L::Fixed, A::BoldOff},
    {"ESC E Start auto underscore",
        "\x1B"
        "E"sv,
        0, L::Fixed, A::UnderlineOn},
    {"ESC R End auto underscore", "\x1BR"sv, 0, L::Fixed, A::UnderlineOff},
    {"ESC X End word-processing modes", "\x1BX"sv, 0, L::Fixed, A::EndAttributes},
    {"ESC US Set horizontal motion index", "\x1B\x1F"sv, 1, L::Fixed, A::HorizontalIndex, 0, 120},
    {"ESC RS Set vertical motion index", "\x1B\x1E"sv, 1, L::Fixed, A::VerticalIndex, 0, 48},
    {"ESC FF Set lines per page", "\x1B\x0C"sv, 1, L::Fixed, A::PageLengthLines},
    {"ESC LF Negative line feed", "\x1B\n"sv, 0, L::Fixed, A::ReverseLineFeed},
    {"ESC D Negative half line feed",
        "\x1B"
        "D"sv,
        0, L::Fixed, A::ReverseHalfLineFeed},
    {"ESC U Half line feed", "\x1BU"sv, 0, L::Fixed, A::HalfLineFeed},
    {"ESC 9 Set left margin",
        "\x1B"
        "9"sv,
        0, L::Fixed, A::LeftMarginHere},
    {"ESC 0 Set right margin",
        "\x1B"
        "0"sv,
        0, L::Fixed, A::RightMarginHere},
    {"ESC 1 Set horizontal tab stop",
        "\x1B"
        "1"sv,
        0, L::Fixed, A::TabStopHere},
    {"ESC 2 Clear all horizontal tab stops",
        "\x1B"
        "2"sv,
        0, L::Fixed, A::ClearTabs},
    {"ESC 8 Clear horizontal tab stop",
        "\x1B"
        "8"sv,
        0, L::Fixed, A::NoEffect},
    {"ESC HT Absolute horizontal tab", "\x1B\t"sv, 1, L::Fixed, A::TabToColumn},
    {"ESC VT Absolute vertical tab", "\x1B\x0B"sv, 1, L::Fixed, A::NoEffect},
    {"ESC 5 Forward print",
        "\x1B"
        "5"sv,
        0, L::Fixed, A::NoEffect},
    {"ESC 6 Backward print",
        "\x1B"
        "6"sv,
        0, L::Fixed, A::NoEffect},
};

constexpr LanguageFont fonts[] {{"10 pitch wheel", 10, 0}};

} // namespace

const LanguageModel diablo630 {"diablo630", "Diablo 630", ptDiablo, commands, 120, fonts, {},
    nullptr, {}, false, false, false, 1, 6, StatusProtocol::None, false};

} // namespace Zanto::Languages

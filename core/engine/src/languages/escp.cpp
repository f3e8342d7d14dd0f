// Epson ESC/P for 9-pin printers (FX, LX) and 24-pin ones (LQ) with the
// ESC/P 2 commands that extend them. Units follow Epson's reference: 9-pin
// line spacing counts 1/216 inch, 24-pin 1/180 inch.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {

using namespace std::literals;

// The commands both heads share.
#define ZANTO_ESCP_COMMON                                                                          \
    {"ESC @ Initialize printer", "\x1B@"sv, 0, L::Fixed, A::Reset},                                \
        {"ESC E Select bold font",                                                                 \
            "\x1B"                                                                                 \
            "E"sv,                                                                                 \
            0, L::Fixed, A::BoldOn},                                                               \
        {"ESC F Cancel bold font",                                                                 \
            "\x1B"                                                                                 \
            "F"sv,                                                                                 \
            0, L::Fixed, A::BoldOff},                                                              \
        {"ESC G Select double-strike printing", "\x1BG"sv, 0, L::Fixed, A::BoldOn},                \
        {"ESC H Cancel double-strike printing", "\x1BH"sv, 0, L::Fixed, A::BoldOff},               \
        {"ESC 4 Select italic font",                                                               \
            "\x1B"                                                                                 \
            "4"sv,                                                                                 \
            0, L::Fixed, A::ItalicOn},                                                             \
        {"ESC 5 Cancel italic font",                                                               \
            "\x1B"                                                                                 \
            "5"sv,                                                                                 \
            0, L::Fixed, A::ItalicOff},                                                            \
        {"ESC - Turn underline on/off", "\x1B-"sv, 1, L::Fixed, A::UnderlineSwitch},               \
        {"ESC S Select superscript/subscript printing", "\x1BS"sv, 1, L::Fixed, A::ScriptSwitch},  \
        {"ESC T Cancel superscript/subscript printing", "\x1BT"sv, 0, L::Fixed, A::ScriptOff},     \
        {"ESC P Select 10 cpi", "\x1BP"sv, 0, L::Fixed, A::Pitch, 10},                             \
        {"ESC M Select 12 cpi", "\x1BM"sv, 0, L::Fixed, A::Pitch, 12},                             \
        {"ESC g Select 15 cpi", "\x1Bg"sv, 0, L::Fixed, A::Pitch, 15},                             \
        {"SI Select condensed mode", "\x0F"sv, 0, L::Fixed, A::CondensedOn},                       \
        {"ESC SI Select condensed mode", "\x1B\x0F"sv, 0, L::Fixed, A::CondensedOn},               \
        {"DC2 Cancel condensed mode", "\x12"sv, 0, L::Fixed, A::CondensedOff},                     \
        {"SO Select double-width printing (one line)", "\x0E"sv, 0, L::Fixed, A::DoubleWidthLine}, \
        {"ESC SO Select double-width printing (one line)", "\x1B\x0E"sv, 0, L::Fixed,              \
            A::DoubleWidthLine},                                                                   \
        {"DC4 Cancel double-width printing (one line)", "\x14"sv, 0, L::Fixed, A::DoubleWidthOff}, \
        {"ESC W Turn double-width printing on/off", "\x1BW"sv, 1, L::Fixed, A::DoubleWidthSwitch}, \
        {"ESC w Turn double-height printing on/off", "\x1Bw"sv, 1, L::Fixed,                       \
            A::DoubleHeightSwitch},                                                                \
        {"ESC ! Master select", "\x1B!"sv, 1, L::Fixed, A::DotMatrixPrintMode},                    \
        {"ESC 0 Select 1/8-inch line spacing",                                                     \
            "\x1B"                                                                                 \
            "0"sv,                                                                                 \
            0, L::Fixed, A::LineSpacing, 1, 8},                                                    \
        {"ESC 2 Select 1/6-inch line spacing",                                                     \
            "\x1B"                                                                                 \
            "2"sv,                                                                                 \
            0, L::Fixed, A::LineSpacing, 1, 6},                                                    \
        {"ESC C Set page length in lines",                                                         \
            "\x1B"                                                                                 \
            "C"sv,                                                                                 \
            1, L::Fixed, A::PageLengthLines},                                                      \
        {"ESC C NUL Set page length in inches",                                                    \
            "\x1B"                                                                                 \
            "C\0"sv,                                                                               \
            1, L::Fixed, A::PageLengthInches},                                                     \
        {"ESC N Set bottom margin", "\x1BN"sv, 1, L::Fixed, A::NoEffect},                          \
        {"ESC O Cancel bottom margin", "\x1BO"sv, 0, L::Fixed, A::NoEffect},                       \
        {"ESC l Set left margin", "\x1Bl"sv, 1, L::Fixed, A::LeftMarginColumns},                   \
        {"ESC Q Set right margin", "\x1BQ"sv, 1, L::Fixed, A::RightMarginColumns},                 \
        {"ESC D Set horizontal tabs",                                                              \
            "\x1B"                                                                                 \
            "D"sv,                                                                                 \
            0, L::UntilNul, A::SetTabs},                                                           \
        {"ESC B Set vertical tabs",                                                                \
            "\x1B"                                                                                 \
            "B"sv,                                                                                 \
            0, L::UntilNul, A::NoEffect},                                                          \
        {"ESC $ Set absolute horizontal print position", "\x1B$"sv, 2, L::Fixed, A::AbsoluteX, 0,  \
            60},                                                                                   \
        {"ESC a Select justification",                                                             \
            "\x1B"                                                                                 \
            "a"sv,                                                                                 \
            1, L::Fixed, A::Align},                                                                \
        {"ESC x Select LQ or draft", "\x1Bx"sv, 1, L::Fixed, A::NoEffect},                         \
        {"ESC k Select typeface", "\x1Bk"sv, 1, L::Fixed, A::NoEffect},                            \
        {"ESC p Turn proportional mode on/off", "\x1Bp"sv, 1, L::Fixed, A::NoEffect},              \
        {"ESC q Select character style", "\x1Bq"sv, 1, L::Fixed, A::NoEffect},                     \
        {"ESC t Select character table", "\x1Bt"sv, 1, L::Fixed, A::CodeTable},                    \
        {"ESC ( t Assign character table", "\x1B(t"sv, 2, L::CountedParameters,                    \
            A::AssignCodeTable},                                                                   \
        {"ESC R Select an international character set", "\x1BR"sv, 1, L::Fixed,                    \
            A::InternationalSet},                                                                  \
        {"ESC ( - Select line/score", "\x1B(-"sv, 2, L::CountedParameters, A::NoEffect},           \
        {"ESC U Turn unidirectional mode on/off", "\x1BU"sv, 1, L::Fixed, A::NoEffect},            \
        {"ESC < Unidirectional mode (one line)", "\x1B<"sv, 0, L::Fixed, A::NoEffect},             \
        {"ESC 8 Disable paper-out detector",                                                       \
            "\x1B"                                                                                 \
            "8"sv,                                                                                 \
            0, L::Fixed, A::NoEffect},                                                             \
        {"ESC 9 Enable paper-out detector",                                                        \
            "\x1B"                                                                                 \
            "9"sv,                                                                                 \
            0, L::Fixed, A::NoEffect},                                                             \
        {"ESC 6 Enable printing of upper control codes",                                           \
            "\x1B"                                                                                 \
            "6"sv,                                                                                 \
            0, L::Fixed, A::NoEffect},                                                             \
        {"ESC 7 Cancel ESC 6",                                                                     \
            "\x1B"                                                                                 \
            "7"sv,                                                                                 \
            0, L::Fixed, A::NoEffect},                                                             \
        {"ESC s Select low-speed mode", "\x1Bs"sv, 1, L::Fixed, A::NoEffect},                      \
        {"ESC r Select printing color", "\x1Br"sv, 1, L::Fixed, A::NoEffect},                      \
        {"ESC EM Control paper loading/ejecting", "\x1B\x19"sv, 1, L::Fixed, A::NoEffect},         \
        {"ESC / Select vertical tab channel", "\x1B/"sv, 1, L::Fixed, A::NoEffect},                \
        {"ESC % Select user-defined set", "\x1B%"sv, 1, L::Fixed, A::NoEffect},                    \
        {"ESC : Copy ROM to RAM", "\x1B:"sv, 3, L::Fixed, A::NoEffect},                            \
        {"CAN Cancel line", "\x18"sv, 0, L::Fixed, A::NoEffect},                                   \
        {"ESC * Select bit image", "\x1B*"sv, 3, L::ColumnImage, A::Ignore},                       \
        {"ESC K Select 60-dpi graphics", "\x1BK"sv, 2, L::CountedData, A::Ignore},                 \
        {"ESC L Select 120-dpi graphics", "\x1BL"sv, 2, L::CountedData, A::Ignore},                \
        {"ESC Y Select 120-dpi, double-speed graphics", "\x1BY"sv, 2, L::CountedData, A::Ignore},  \
        {"ESC Z Select 240-dpi graphics", "\x1BZ"sv, 2, L::CountedData, A::Ignore},                \
    {                                                                                              \
        "ESC ? Reassign bit-image mode", "\x1B?"sv, 2, L::Fixed, A::NoEffect                       \
    }

constexpr LanguageCommand nine[] {
    ZANTO_ESCP_COMMON,
    {"ESC 1 Select 7/72-inch line spacing",
        "\x1B"
        "1"sv,
        0, L::Fixed, A::LineSpacing, 7, 72},
    {"ESC 3 Set n/216-inch line spacing",
        "\x1B"
        "3"sv,
        1, L::Fixed, A::LineSpacingUnits, 0, 216},
    {"ESC A Set n/72-inch line spacing",
        "\x1B"
        "A"sv,
        1, L::Fixed, A::LineSpacingUnits, 0, 72},
    {"ESC J Advance print position vertically", "\x1BJ"sv, 1, L::Fixed, A::FeedUnits, 0, 216},
    {"ESC j Reverse paper feed", "\x1Bj"sv, 1, L::Fixed, A::ReverseFeedUnits, 0, 216},
    {"ESC \\ Set relative horizontal print position", "\x1B\\"sv, 2, L::Fixed, A::RelativeX, 0,
        120},
    {"ESC SP Set intercharacter space", "\x1B "sv, 1, L::Fixed, A::CharacterSpacing, 0, 120},
    {"ESC ^ Select 9-pin graphics mode", "\x1B^"sv, 3, L::ColumnImage2, A::Ignore},
    {"ESC I Enable printing of control codes", "\x1BI"sv, 1, L::Fixed, A::NoEffect},
    {"ESC i Immediate print", "\x1Bi"sv, 1, L::Fixed, A::NoEffect},
};

constexpr LanguageCommand twentyFour[] {
    ZANTO_ESCP_COMMON,
    {"ESC 3 Set n/180-inch line spacing",
        "\x1B"
        "3"sv,
        1, L::Fixed, A::LineSpacingUnits, 0, 180},
    {"ESC A Set n/60-inch line spacing",
        "\x1B"
        "A"sv,
        1, L::Fixed, A::LineSpacingUnits, 0, 60},
    {"ESC + Set n/360-inch line spacing", "\x1B+"sv, 1, L::Fixed, A::LineSpacingUnits, 0, 360},
    {"ESC J Advance print position vertically", "\x1BJ"sv, 1, L::Fixed, A::FeedUnits, 0, 180},
    {"ESC \\ Set relative horizontal print position", "\x1B\\"sv, 2, L::Fixed, A::RelativeX, 0,
        180},
    {"ESC SP Set intercharacter space", "\x1B "sv, 1, L::Fixed, A::CharacterSpacing, 0, 180},
    {"ESC c Set horizontal motion index (HMI)",
        "\x1B"
        "c"sv,
        2, L::Fixed, A::CellWidth, 0, 360},
    {"ESC X Select font by pitch and point", "\x1BX"sv, 3, L::Fixed, A::NoEffect},
    {"ESC ( U Set unit", "\x1B(U"sv, 2, L::CountedParameters, A::SetDefinedUnit},
    {"ESC ( C Set page length in defined unit", "\x1B(C"sv, 2, L::CountedParameters,
        A::PageLengthDefined},
    {"ESC ( c Set page format", "\x1B(c"sv, 2, L::CountedParameters, A::NoEffect},
    {"ESC ( V Set absolute vertical print position", "\x1B(V"sv, 2, L::CountedParameters,
        A::AbsoluteYDefined},
    {"ESC ( v Set relative vertical print position", "\x1B(v"sv, 2, L::CountedParameters,
        A::RelativeYDefined},
    {"ESC ( $ Set absolute horizontal print position", "\x1B($"sv, 2, L::CountedParameters,
        A::AbsoluteXDefined},
    {"ESC ( G Select graphics mode", "\x1B(G"sv, 2, L::CountedParameters, A::Ignore},
    {"ESC ( i Select microweave print mode", "\x1B(i"sv, 2, L::CountedParameters, A::NoEffect},
    {"ESC ( e Select score type", "\x1B(e"sv, 2, L::CountedParameters, A::NoEffect},
    {"ESC ( B Bar code setup and print", "\x1B(B"sv, 2, L::CountedParameters, A::Ignore},
    {"ESC ( ^ Print data as characters", "\x1B(^"sv, 2, L::CountedData, A::Ignore},
    {"ESC . Print raster graphics", "\x1B."sv, 6, L::EscpRaster, A::Ignore},
};

#undef ZANTO_ESCP_COMMON

constexpr LanguageFont fonts[] {{"Pica", 10, 0}, {"Elite", 12, 0}, {"15 cpi", 15, 0}};

// ESC t selects one of four slots that ESC ( t fills with a registered table,
// numbered here d2 * 256 + d3 as ESC ( t names them.
constexpr LanguageCodeTable tables[] {
    {1 * 256, "IBM437"},
    {3 * 256, "IBM850"},
    {7 * 256, "IBM860"},
    {8 * 256, "IBM863"},
    {9 * 256, "IBM865"},
    {10 * 256, "IBM852"},
    {11 * 256, "IBM857"},
    {14 * 256, "IBM866"},
    {24 * 256, "IBM861"},
    {44 * 256, "IBM858"},
};

} // namespace

const LanguageModel escp9Pin {"escp-9pin", "Epson ESC/P, 9-pin", ptEpson, nine, 120, fonts, {},
    nullptr, tables, true, false, true, 1, 6, StatusProtocol::None, false};

const LanguageModel escp24Pin {"escp-24pin", "Epson ESC/P and ESC/P 2, 24-pin", ptEpson, twentyFour,
    180, fonts, {}, nullptr, tables, true, false, true, 1, 6, StatusProtocol::None, false};

} // namespace Zanto::Languages

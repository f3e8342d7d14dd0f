// Epson ESC/POS for receipt printers. Dots are 1/203 inch (8 a millimetre);
// font A is 12 dots wide, font B 9: 48 and 64 columns across the 576 dots
// of 80 mm paper, 32 and 42 across the 384 of 58 mm. The 180-dpi models
// (TM-T88 and its kind) count 1/180 inch and reach 512 dots.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {

using namespace std::literals;

#define ZANTO_ESCPOS_COMMANDS(dpi)                                                                 \
    {"ESC @ Initialize printer", "\x1B@"sv, 0, L::Fixed, A::Reset},                                \
        {"ESC ! Select print mode(s)", "\x1B!"sv, 1, L::Fixed, A::ReceiptPrintMode},               \
        {"ESC - Turn underline mode on/off", "\x1B-"sv, 1, L::Fixed, A::UnderlineSwitch},          \
        {"ESC E Turn emphasized mode on/off",                                                      \
            "\x1B"                                                                                 \
            "E"sv,                                                                                 \
            1, L::Fixed, A::BoldSwitch},                                                           \
        {"ESC G Turn double-strike mode on/off", "\x1BG"sv, 1, L::Fixed, A::BoldSwitch},           \
        {"ESC M Select character font", "\x1BM"sv, 1, L::Fixed, A::Font},                          \
        {"ESC a Select justification",                                                             \
            "\x1B"                                                                                 \
            "a"sv,                                                                                 \
            1, L::Fixed, A::Align},                                                                \
        {"ESC t Select character code table", "\x1Bt"sv, 1, L::Fixed, A::CodeTable},               \
        {"ESC R Select an international character set", "\x1BR"sv, 1, L::Fixed,                    \
            A::InternationalSet},                                                                  \
        {"ESC SP Set right-side character spacing", "\x1B "sv, 1, L::Fixed, A::CharacterSpacing,   \
            0, dpi},                                                                               \
        {"ESC $ Set absolute print position", "\x1B$"sv, 2, L::Fixed, A::AbsoluteX, 0, dpi},       \
        {"ESC \\ Set relative print position", "\x1B\\"sv, 2, L::Fixed, A::RelativeX, 0, dpi},     \
        {"ESC 2 Select default line spacing",                                                      \
            "\x1B"                                                                                 \
            "2"sv,                                                                                 \
            0, L::Fixed, A::LineSpacing, 1, 6},                                                    \
        {"ESC 3 Set line spacing",                                                                 \
            "\x1B"                                                                                 \
            "3"sv,                                                                                 \
            1, L::Fixed, A::LineSpacingUnits, 0, dpi},                                             \
        {"ESC J Print and feed paper", "\x1BJ"sv, 1, L::Fixed, A::FeedUnits, 0, dpi},              \
        {"ESC K Print and reverse feed", "\x1BK"sv, 1, L::Fixed, A::ReverseFeedUnits, 0, dpi},     \
        {"ESC d Print and feed n lines",                                                           \
            "\x1B"                                                                                 \
            "d"sv,                                                                                 \
            1, L::Fixed, A::FeedLines},                                                            \
        {"ESC e Print and reverse feed n lines",                                                   \
            "\x1B"                                                                                 \
            "e"sv,                                                                                 \
            1, L::Fixed, A::ReverseFeedLines},                                                     \
        {"ESC D Set horizontal tab positions",                                                     \
            "\x1B"                                                                                 \
            "D"sv,                                                                                 \
            0, L::UntilNul, A::SetTabs},                                                           \
        {"ESC V Turn 90 degree clockwise rotation mode on/off", "\x1BV"sv, 1, L::Fixed,            \
            A::NoEffect},                                                                          \
        {"ESC { Turn upside-down print mode on/off", "\x1B{"sv, 1, L::Fixed, A::NoEffect},         \
        {"ESC c 3 Select paper sensor(s) to output paper-end signals",                             \
            "\x1B"                                                                                 \
            "c3"sv,                                                                                \
            1, L::Fixed, A::NoEffect},                                                             \
        {"ESC c 4 Select paper sensor(s) to stop printing",                                        \
            "\x1B"                                                                                 \
            "c4"sv,                                                                                \
            1, L::Fixed, A::NoEffect},                                                             \
        {"ESC c 5 Enable/disable panel buttons",                                                   \
            "\x1B"                                                                                 \
            "c5"sv,                                                                                \
            1, L::Fixed, A::NoEffect},                                                             \
        {"ESC = Select peripheral device", "\x1B="sv, 1, L::Fixed, A::NoEffect},                   \
        {"ESC r Select print color", "\x1Br"sv, 1, L::Fixed, A::NoEffect},                         \
        {"ESC U Turn unidirectional print mode on/off", "\x1BU"sv, 1, L::Fixed, A::NoEffect},      \
        {"ESC % Select/cancel user-defined character set", "\x1B%"sv, 1, L::Fixed, A::NoEffect},   \
        {"ESC p Generate pulse", "\x1Bp"sv, 3, L::Fixed, A::Ignore},                               \
        {"ESC * Select bit-image mode", "\x1B*"sv, 3, L::ColumnImage, A::Ignore},                  \
        {"ESC i Partial cut (one point left uncut)", "\x1Bi"sv, 0, L::Fixed, A::Cut},              \
        {"ESC m Partial cut (three points left uncut)", "\x1Bm"sv, 0, L::Fixed, A::Cut},           \
        {"GS V Select cut mode and cut paper", "\x1DV"sv, 1, L::CutMode, A::Cut},                  \
        {"GS ! Select character size", "\x1D!"sv, 1, L::Fixed, A::CharacterSize},                  \
        {"GS B Turn white/black reverse print mode on/off",                                        \
            "\x1D"                                                                                 \
            "B"sv,                                                                                 \
            1, L::Fixed, A::NoEffect},                                                             \
        {"GS b Turn smoothing mode on/off",                                                        \
            "\x1D"                                                                                 \
            "b"sv,                                                                                 \
            1, L::Fixed, A::NoEffect},                                                             \
        {"GS L Set left margin", "\x1DL"sv, 2, L::Fixed, A::LeftMarginUnits, 0, dpi},              \
        {"GS W Set print area width", "\x1DW"sv, 2, L::Fixed, A::PrintWidthUnits, 0, dpi},         \
        {"GS P Set horizontal and vertical motion units", "\x1DP"sv, 2, L::Fixed, A::NoEffect},    \
        {"GS H Select print position of HRI characters", "\x1DH"sv, 1, L::Fixed, A::NoEffect},     \
        {"GS f Select font for HRI characters",                                                    \
            "\x1D"                                                                                 \
            "f"sv,                                                                                 \
            1, L::Fixed, A::NoEffect},                                                             \
        {"GS h Set bar code height", "\x1Dh"sv, 1, L::Fixed, A::NoEffect},                         \
        {"GS w Set bar code width", "\x1Dw"sv, 1, L::Fixed, A::NoEffect},                          \
        {"GS k Print bar code", "\x1Dk"sv, 1, L::Barcode, A::Ignore},                              \
        {"GS ( k Two-dimensional symbols", "\x1D(k"sv, 2, L::CountedParameters, A::Ignore},        \
        {"GS ( L Graphics", "\x1D(L"sv, 2, L::CountedParameters, A::Ignore},                       \
        {"GS ( Extended function", "\x1D("sv, 3, L::CountedParameters, A::NoEffect},               \
        {"GS 8 L Graphics (large data)",                                                           \
            "\x1D"                                                                                 \
            "8L"sv,                                                                                \
            4, L::CountedData4, A::Ignore},                                                        \
        {"GS v 0 Print raster bit image", "\x1Dv0"sv, 5, L::RasterImage, A::Ignore},               \
        {"GS * Define downloaded bit image", "\x1D*"sv, 2, L::RasterImageBlocks, A::Ignore},       \
        {"GS / Print downloaded bit image", "\x1D/"sv, 1, L::Fixed, A::Ignore},                    \
        {"GS a Enable/disable Automatic Status Back",                                              \
            "\x1D"                                                                                 \
            "a"sv,                                                                                 \
            1, L::Fixed, A::NoEffect},                                                             \
        {"GS r Transmit status", "\x1Dr"sv, 1, L::Fixed, A::NoEffect},                             \
        {"GS I Transmit printer ID", "\x1DI"sv, 1, L::Fixed, A::NoEffect},                         \
        {"DLE EOT Transmit real-time status", "\x10\x04"sv, 1, L::Fixed, A::NoEffect},             \
        {"DLE ENQ Send real-time request", "\x10\x05"sv, 1, L::Fixed, A::NoEffect},                \
        {"DLE DC4 Generate pulse in real-time", "\x10\x14"sv, 3, L::Fixed, A::Ignore},             \
        {"FS . Cancel Kanji character mode", "\x1C."sv, 0, L::Fixed, A::NoEffect},                 \
        {"FS & Select Kanji character mode", "\x1C&"sv, 0, L::Fixed, A::NoEffect},                 \
        {"FS ! Select print mode(s) for Kanji characters", "\x1C!"sv, 1, L::Fixed, A::NoEffect},   \
        {"FS - Turn underline mode on/off for Kanji characters", "\x1C-"sv, 1, L::Fixed,           \
            A::NoEffect},                                                                          \
        {"FS C Select Kanji character code system",                                                \
            "\x1C"                                                                                 \
            "C"sv,                                                                                 \
            1, L::Fixed, A::NoEffect},                                                             \
        {"FS p Print NV bit image", "\x1Cp"sv, 2, L::Fixed, A::Ignore},                            \
    {                                                                                              \
        "CAN Cancel print data in page mode", "\x18"sv, 0, L::Fixed, A::NoEffect                   \
    }

constexpr LanguageCommand commands203[] {ZANTO_ESCPOS_COMMANDS(203)};
constexpr LanguageCommand commands180[] {ZANTO_ESCPOS_COMMANDS(180)};

#undef ZANTO_ESCPOS_COMMANDS

constexpr LanguageFont fonts[] {{"Font A", 0, 12}, {"Font B", 0, 9}};

constexpr LanguagePaperWidth widths203[] {{"roll80", 576}, {"roll58", 384}};
constexpr LanguagePaperWidth widths180[] {{"roll80", 512}, {"roll58", 360}};

// ESC t n.
constexpr LanguageCodeTable tables[] {
    {0, "IBM437"},
    {2, "IBM850"},
    {3, "IBM860"},
    {4, "IBM863"},
    {5, "IBM865"},
    {16, "CP1252"},
    {17, "IBM866"},
    {18, "IBM852"},
    {19, "IBM858"},
};

} // namespace

const LanguageModel escPos {"escpos", "Epson ESC/POS, 203 dpi", ptUser1, commands203, 203, fonts,
    widths203, "roll80", tables, true, false, true, 1, 6, StatusProtocol::RealTime, true};

const LanguageModel escPos180 {"escpos-180dpi", "Epson ESC/POS, 180 dpi", ptUser1, commands180, 180,
    fonts, widths180, "roll80", tables, true, false, true, 1, 6, StatusProtocol::RealTime, true};

} // namespace Zanto::Languages

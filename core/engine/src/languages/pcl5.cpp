// HP PCL 5 for text: page control, cursor positioning, fonts and symbol
// sets; PJL around the job. Parameterised commands name their
// parameterised character, group character and parameter character (NUL:
// any). Text past the right margin is cut unless wrap is switched on.
#include "languagetables.h"

namespace Zanto::Languages {

namespace {

using namespace std::literals;

constexpr LanguageCommand commands[] {
    {"ESC E Printer reset",
        "\x1B"
        "E"sv,
        0, L::Fixed, A::Reset, 1},
    {"ESC 9 Clear horizontal margins",
        "\x1B"
        "9"sv,
        0, L::Fixed, A::PclClearMargins},
    {"ESC = Half-line feed", "\x1B="sv, 0, L::Fixed, A::HalfLineFeed},
    {"ESC Y Display functions on", "\x1BY"sv, 0, L::Fixed, A::NoEffect},
    {"ESC Z Display functions off", "\x1BZ"sv, 0, L::Fixed, A::NoEffect},
    {"@PJL Printer job language command", "@PJL"sv, 0, L::UntilLineFeed, A::NoEffect},
    {"ESC % -12345 X Universal exit language", "%\0X"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC % # A Enter PCL mode", "%\0A"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & a # C Horizontal cursor position (columns)", "&aC"sv, 0, L::PclParameterised,
        A::PclColumn},
    {"ESC & a # R Vertical cursor position (rows)", "&aR"sv, 0, L::PclParameterised, A::PclRow},
    {"ESC & a # H Horizontal cursor position (decipoints)", "&aH"sv, 0, L::PclParameterised,
        A::PclHorizontalDecipoints},
    {"ESC & a # V Vertical cursor position (decipoints)", "&aV"sv, 0, L::PclParameterised,
        A::PclVerticalDecipoints},
    {"ESC & a # L Left margin", "&aL"sv, 0, L::PclParameterised, A::PclLeftMargin},
    {"ESC & a # M Right margin", "&aM"sv, 0, L::PclParameterised, A::PclRightMargin},
    {"ESC & a # P Print direction", "&aP"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC * p # X Horizontal cursor position (PCL units)", "*pX"sv, 0, L::PclParameterised,
        A::PclHorizontalDots},
    {"ESC * p # Y Vertical cursor position (PCL units)", "*pY"sv, 0, L::PclParameterised,
        A::PclVerticalDots},
    {"ESC & u # D Unit of measure", "&uD"sv, 0, L::PclParameterised, A::PclUnitOfMeasure},
    {"ESC & l # D Line spacing (lines per inch)", "&lD"sv, 0, L::PclParameterised,
        A::PclLinesPerInch},
    {"ESC & l # C Vertical motion index", "&lC"sv, 0, L::PclParameterised,
        A::PclVerticalMotionIndex},
    {"ESC & l # P Page length", "&lP"sv, 0, L::PclParameterised, A::PclPageLength},
    {"ESC & l # E Top margin", "&lE"sv, 0, L::PclParameterised, A::PclTopMargin},
    {"ESC & l # F Text length", "&lF"sv, 0, L::PclParameterised, A::PclTextLength},
    {"ESC & l # O Orientation", "&lO"sv, 0, L::PclParameterised, A::PclOrientation},
    {"ESC & l # H Paper source", "&lH"sv, 0, L::PclParameterised, A::PclPaperSource},
    {"ESC & l # A Page size", "&lA"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # X Number of copies", "&lX"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # L Perforation skip", "&lL"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # S Simplex/duplex print", "&lS"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # U Left offset registration", "&lU"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # Z Top offset registration", "&lZ"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # T Job separation", "&lT"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # G Output bin", "&lG"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & l # M Media type", "&lM"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & s # C End-of-line wrap", "&sC"sv, 0, L::PclParameterised, A::PclWrap},
    {"ESC & d # D Underline on", "&dD"sv, 0, L::PclParameterised, A::PclUnderline, 1},
    {"ESC & d @ Underline off", "&d@"sv, 0, L::PclParameterised, A::PclUnderline, 0},
    {"ESC & k # S Pitch mode", "&kS"sv, 0, L::PclParameterised, A::PclPitchMode},
    {"ESC & k # H Horizontal motion index", "&kH"sv, 0, L::PclParameterised,
        A::PclHorizontalMotionIndex},
    {"ESC & k # W Print mode (DeskJet)", "&kW"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC & k # G Line termination", "&kG"sv, 0, L::PclParameterised, A::PclLineTermination},
    {"ESC & f # S Push/pop cursor position", "&fS"sv, 0, L::PclParameterised, A::PclPushPop},
    {"ESC & f Macro control", "&f\0"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC ( s # H Primary pitch", "(sH"sv, 0, L::PclParameterised, A::PclPitch},
    {"ESC ( s # B Primary stroke weight", "(sB"sv, 0, L::PclParameterised, A::PclStrokeWeight},
    {"ESC ( s # S Primary style", "(sS"sv, 0, L::PclParameterised, A::PclStyle},
    {"ESC ( s Primary font characteristics", "(s\0"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC ( # ID Primary symbol set", "(\0\0"sv, 0, L::PclParameterised, A::PclSymbolSet},
    {"ESC ) s Secondary font characteristics", ")s\0"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC ) # ID Secondary symbol set", ")\0\0"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC * t # R Raster resolution", "*t\0"sv, 0, L::PclParameterised, A::Ignore},
    {"ESC * r Raster graphics", "*r\0"sv, 0, L::PclParameterised, A::Ignore},
    {"ESC * b Raster data", "*b\0"sv, 0, L::PclParameterised, A::Ignore},
    {"ESC * c Rectangles, fonts and patterns", "*c\0"sv, 0, L::PclParameterised, A::Ignore},
    {"ESC * v Colour and transparency", "*v\0"sv, 0, L::PclParameterised, A::Ignore},
    {"ESC * o Print quality", "*o\0"sv, 0, L::PclParameterised, A::NoEffect},
    {"ESC * g Configure raster data", "*g\0"sv, 0, L::PclParameterised, A::Ignore},
    {"ESC & p # X Transparent print data", "&pX"sv, 0, L::PclParameterised, A::Ignore},
};

constexpr LanguageFont fonts[] {{"Courier 10 pitch", 10, 0}};

// Symbol sets, numbered value * 32 + the letter's place (A = 1).
constexpr int set(int value, char letter)
{
    return value * 32 + (letter - '@');
}

constexpr LanguageCodeTable tables[] {
    {set(0, 'U'), "ASCII"},
    {set(8, 'U'), "HP-ROMAN8"},
    {set(10, 'U'), "IBM437"},
    {set(12, 'U'), "IBM850"},
    {set(17, 'U'), "IBM852"},
    {set(19, 'U'), "CP1252"},
    {set(9, 'E'), "CP1250"},
    {set(0, 'N'), "ISO-8859-1"},
    {set(2, 'N'), "ISO-8859-2"},
    {set(9, 'N'), "ISO-8859-15"},
};

} // namespace

const LanguageModel pcl5 {"pcl5", "HP PCL 5", ptHPPCL, commands, 300, fonts, {}, nullptr, tables,
    false, false, false, 1, 6, StatusProtocol::Pjl, false};

} // namespace Zanto::Languages

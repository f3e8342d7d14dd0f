#include "familysequences.h"

#include <zantoquiller/preview/paper.h>

namespace Zanto::Preview {

namespace {

using namespace std::literals;

constexpr qint32 U = UnitsPerInch;

// Epson ESC/P, with the ESC/POS sequences of Epson's receipt printers that
// do not clash with it. Text past the right margin goes on the next line.
constexpr Sequence epson[] {
    {"ESC @ Initialize printer", "\x1B@"sv, 0, Action::Reset},
    {"ESC E Select bold font",
        "\x1B"
        "E"sv,
        0, Action::BoldOn},
    {"ESC F Cancel bold font",
        "\x1B"
        "F"sv,
        0, Action::BoldOff},
    {"ESC G Select double-strike printing", "\x1BG"sv, 0, Action::BoldOn},
    {"ESC H Cancel double-strike printing", "\x1BH"sv, 0, Action::BoldOff},
    {"ESC 4 Select italic font",
        "\x1B"
        "4"sv,
        0, Action::ItalicOn},
    {"ESC 5 Cancel italic font",
        "\x1B"
        "5"sv,
        0, Action::ItalicOff},
    {"ESC - Turn underline on/off", "\x1B-"sv, 1, Action::UnderlineSwitch},
    {"ESC S Select superscript/subscript printing", "\x1BS"sv, 1, Action::ScriptSwitch},
    {"ESC T Cancel superscript/subscript printing", "\x1BT"sv, 0, Action::ScriptOff},
    {"ESC P Select 10.5-point, 10-cpi character pitch", "\x1BP"sv, 0, Action::Pitch10},
    {"ESC M Select 10.5-point, 12-cpi character pitch", "\x1BM"sv, 0, Action::Pitch12},
    {"ESC g Select 10.5-point, 15-cpi character pitch", "\x1Bg"sv, 0, Action::Pitch15},
    {"SI Select condensed mode", "\x0F"sv, 0, Action::CondensedOn},
    {"ESC SI Select condensed mode", "\x1B\x0F"sv, 0, Action::CondensedOn},
    {"DC2 Cancel condensed mode", "\x12"sv, 0, Action::CondensedOff},
    {"SO Select double-width printing (one line)", "\x0E"sv, 0, Action::DoubleWidthLine},
    {"ESC SO Select double-width printing (one line)", "\x1B\x0E"sv, 0, Action::DoubleWidthLine},
    {"DC4 Cancel double-width printing (one line)", "\x14"sv, 0, Action::DoubleWidthOff},
    {"ESC W Turn double-width printing on/off", "\x1BW"sv, 1, Action::DoubleWidthSwitch},
    {"ESC 0 Select 1/8-inch line spacing",
        "\x1B"
        "0"sv,
        0, Action::LineSpacing, U / 8},
    {"ESC 2 Select 1/6-inch line spacing",
        "\x1B"
        "2"sv,
        0, Action::LineSpacing, U / 6},
    {"ESC 3 Set n/180-inch line spacing",
        "\x1B"
        "3"sv,
        1, Action::LineSpacingParameter, U / 180},
    {"ESC A Set n/60-inch line spacing",
        "\x1B"
        "A"sv,
        1, Action::LineSpacingParameter, U / 60},
    {"ESC J Advance print position vertically (n/180 inch)", "\x1BJ"sv, 1, Action::FeedParameter,
        U / 180},
    {"ESC C Set page length in lines",
        "\x1B"
        "C"sv,
        1, Action::PageLengthLines},
    {"ESC C NUL Set page length in inches",
        "\x1B"
        "C\0"sv,
        1, Action::PageLengthInches},
    {"ESC l Set left margin", "\x1Bl"sv, 1, Action::LeftMarginColumns},
    {"ESC Q Set right margin", "\x1BQ"sv, 1, Action::RightMarginColumns},
    {"ESC D Set horizontal tabs",
        "\x1B"
        "D"sv,
        UntilZero, Action::SetTabs},
    {"ESC x Select LQ or draft", "\x1Bx"sv, 1, Action::Ignore},
    {"ESC k Select typeface", "\x1Bk"sv, 1, Action::Ignore},
    {"ESC t Select character table", "\x1Bt"sv, 1, Action::Ignore},
    {"ESC R Select an international character set", "\x1BR"sv, 1, Action::Ignore},
    {"ESC N Set bottom margin", "\x1BN"sv, 1, Action::Ignore},
    {"ESC O Cancel bottom margin", "\x1BO"sv, 0, Action::Ignore},
    {"ESC U Turn unidirectional mode on/off", "\x1BU"sv, 1, Action::Ignore},
    {"ESC 6 Enable printing of upper control codes",
        "\x1B"
        "6"sv,
        0, Action::Ignore},
    {"ESC 7 Cancel ESC 6",
        "\x1B"
        "7"sv,
        0, Action::Ignore},
    {"CAN Cancel line", "\x18"sv, 0, Action::Ignore},
    {"ESC/POS ESC d Print and feed n lines",
        "\x1B"
        "d"sv,
        1, Action::FeedLines},
    {"ESC/POS ESC i Partial cut (one point left uncut)", "\x1Bi"sv, 0, Action::Cut},
    {"ESC/POS ESC m Partial cut (three points left uncut)", "\x1Bm"sv, 0, Action::Cut},
    {"ESC/POS GS V Select cut mode and cut paper", "\x1DV"sv, 1, Action::Cut},
    {"ESC/POS GS V A Feed paper and cut",
        "\x1DV"
        "A"sv,
        1, Action::Cut},
    {"ESC/POS GS V B Feed paper and partial cut",
        "\x1DV"
        "B"sv,
        1, Action::Cut},
    {"ESC/POS GS ! Select character size", "\x1D!"sv, 1, Action::Ignore},
};

// IBM Proprinter. Text past the right margin goes on the next line.
constexpr Sequence ibm[] {
    {"ESC E Emphasized printing on",
        "\x1B"
        "E"sv,
        0, Action::BoldOn},
    {"ESC F Emphasized printing off",
        "\x1B"
        "F"sv,
        0, Action::BoldOff},
    {"ESC G Double-strike printing on", "\x1BG"sv, 0, Action::BoldOn},
    {"ESC H Double-strike printing off", "\x1BH"sv, 0, Action::BoldOff},
    {"ESC % G Italics on", "\x1B%G"sv, 0, Action::ItalicOn},
    {"ESC % H Italics off", "\x1B%H"sv, 0, Action::ItalicOff},
    {"ESC - Select/cancel underlining", "\x1B-"sv, 1, Action::UnderlineSwitch},
    {"ESC S Superscript/subscript printing", "\x1BS"sv, 1, Action::ScriptSwitch},
    {"ESC T Cancel superscript/subscript", "\x1BT"sv, 0, Action::ScriptOff},
    {"DC2 Select 10 characters per inch", "\x12"sv, 0, Action::Pitch10},
    {"ESC : Select 12 characters per inch", "\x1B:"sv, 0, Action::Pitch12},
    {"SI Select condensed printing", "\x0F"sv, 0, Action::CondensedOn},
    {"ESC SI Select condensed printing", "\x1B\x0F"sv, 0, Action::CondensedOn},
    {"SO Double-wide printing for the current line", "\x0E"sv, 0, Action::DoubleWidthLine},
    {"ESC SO Double-wide printing for the current line", "\x1B\x0E"sv, 0, Action::DoubleWidthLine},
    {"DC4 Cancel double-wide printing", "\x14"sv, 0, Action::DoubleWidthOff},
    {"ESC W Continuous double-wide printing", "\x1BW"sv, 1, Action::DoubleWidthSwitch},
    {"ESC 0 Set line spacing to 1/8 inch",
        "\x1B"
        "0"sv,
        0, Action::LineSpacing, U / 8},
    {"ESC 1 Set line spacing to 7/72 inch",
        "\x1B"
        "1"sv,
        0, Action::LineSpacing, 7 * U / 72},
    {"ESC A Store n/72-inch line spacing",
        "\x1B"
        "A"sv,
        1, Action::StoreSpacing, U / 72},
    {"ESC 2 Activate line spacing set by ESC A",
        "\x1B"
        "2"sv,
        0, Action::ApplyStoredSpacing},
    {"ESC 3 Set line spacing to n/216 inch",
        "\x1B"
        "3"sv,
        1, Action::LineSpacingParameter, U / 216},
    {"ESC J Line feed of n/216 inch", "\x1BJ"sv, 1, Action::FeedParameter, U / 216},
    {"ESC ] Reverse line feed", "\x1B]"sv, 0, Action::ReverseFeed},
    {"ESC C Set form length in lines",
        "\x1B"
        "C"sv,
        1, Action::PageLengthLines},
    {"ESC C NUL Set form length in inches",
        "\x1B"
        "C\0"sv,
        1, Action::PageLengthInches},
    {"ESC X Set horizontal margins", "\x1BX"sv, 2, Action::MarginsColumns},
    {"ESC D Set horizontal tab stops",
        "\x1B"
        "D"sv,
        UntilZero, Action::SetTabs},
    {"ESC B Set vertical tab stops",
        "\x1B"
        "B"sv,
        UntilZero, Action::Ignore},
    {"ESC N Set skip-perforation", "\x1BN"sv, 1, Action::Ignore},
    {"ESC O Cancel skip-perforation", "\x1BO"sv, 0, Action::Ignore},
    {"ESC 5 Automatic line feed on/off",
        "\x1B"
        "5"sv,
        1, Action::Ignore},
    {"ESC 6 Select character set 2",
        "\x1B"
        "6"sv,
        0, Action::Ignore},
    {"ESC 7 Select character set 1",
        "\x1B"
        "7"sv,
        0, Action::Ignore},
    {"ESC U Unidirectional printing", "\x1BU"sv, 1, Action::Ignore},
    {"CAN Cancel", "\x18"sv, 0, Action::Ignore},
};

// Diablo 630. The carriage stops at the right margin: text past it is lost.
constexpr Sequence diablo[] {
    {"ESC CR P Remote reset", "\x1B\rP"sv, 0, Action::Reset},
    {"ESC SUB I Initialize", "\x1B\x1AI"sv, 0, Action::Reset},
    {"ESC O Start bold printing", "\x1BO"sv, 0, Action::BoldOn},
    {"ESC W Start shadow printing", "\x1BW"sv, 0, Action::BoldOn},
    {"ESC & End bold/shadow printing", "\x1B&"sv, 0, Action::BoldOff},
    {"ESC E Start auto underscore",
        "\x1B"
        "E"sv,
        0, Action::UnderlineOn},
    {"ESC R End auto underscore", "\x1BR"sv, 0, Action::UnderlineOff},
    {"ESC X End word-processing modes", "\x1BX"sv, 0, Action::EndAttributes},
    {"ESC US Set horizontal motion index", "\x1B\x1F"sv, 1, Action::HorizontalIndex},
    {"ESC RS Set vertical motion index", "\x1B\x1E"sv, 1, Action::VerticalIndex},
    {"ESC FF Set lines per page", "\x1B\x0C"sv, 1, Action::FormLengthLines},
    {"ESC LF Negative line feed", "\x1B\n"sv, 0, Action::ReverseFeed},
    {"ESC D Negative half line feed",
        "\x1B"
        "D"sv,
        0, Action::ReverseFeed, -1},
    {"ESC U Half line feed", "\x1BU"sv, 0, Action::FeedParameter, -1},
    {"ESC 9 Set left margin",
        "\x1B"
        "9"sv,
        0, Action::LeftMarginHere},
    {"ESC 0 Set right margin",
        "\x1B"
        "0"sv,
        0, Action::RightMarginHere},
    {"ESC 1 Set horizontal tab stop",
        "\x1B"
        "1"sv,
        0, Action::TabStopHere},
    {"ESC 2 Clear all horizontal tab stops",
        "\x1B"
        "2"sv,
        0, Action::ClearTabs},
    {"ESC 8 Clear horizontal tab stop",
        "\x1B"
        "8"sv,
        0, Action::Ignore},
    {"ESC HT Absolute horizontal tab", "\x1B\t"sv, 1, Action::TabToColumn},
    {"ESC VT Absolute vertical tab", "\x1B\x0B"sv, 1, Action::Ignore},
    {"ESC 5 Forward print",
        "\x1B"
        "5"sv,
        0, Action::Ignore},
    {"ESC 6 Backward print",
        "\x1B"
        "6"sv,
        0, Action::Ignore},
};

// HP PCL 5: the two-character sequences; the parameterised ones follow the
// grammar (pclgrammar.cpp). Text past the right margin is cut unless end-
// of-line wrap is switched on (ESC & s 0 C).
constexpr Sequence pcl[] {
    {"ESC E Printer reset",
        "\x1B"
        "E"sv,
        0, Action::Reset},
    {"ESC 9 Clear horizontal margins",
        "\x1B"
        "9"sv,
        0, Action::Ignore},
    {"ESC = Half-line feed", "\x1B="sv, 0, Action::FeedParameter, -1},
    {"ESC Y Display functions on", "\x1BY"sv, 0, Action::Ignore},
    {"ESC Z Display functions off", "\x1BZ"sv, 0, Action::Ignore},
};

constexpr Family families[PrinterTypeCount] {
    {"HP PCL", Overflow::Cut, pcl, true, false},
    {"Epson", Overflow::Wrap, epson, false, true},
    {"IBM", Overflow::Wrap, ibm, false, true},
    {"Diablo", Overflow::Cut, diablo, false, false},
    {"plain text", Overflow::Wrap, {}, false, false},
    {"user 1", Overflow::Wrap, {}, false, false},
    {"user 2", Overflow::Wrap, {}, false, false},
};

} // namespace

const Family &family(TPrinterType type)
{
    const int index = type >= 0 && type < PrinterTypeCount ? type : ptPlain;
    return families[index];
}

} // namespace Zanto::Preview

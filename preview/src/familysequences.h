// The printer sequences that each family's printers share, besides the
// thirteen codes of the component's code table: the ones that change what
// lands on the page (initialise, pitch, double width, line spacing, page
// length, margins, tabs, the cut of a receipt printer). Each is named as in
// its maker's manual.
#pragma once

#include <zantoquiller/types.h>

#include <QByteArrayView>

#include <span>

namespace Zanto::Preview {

enum class Action : quint8 {
    Ignore, // known, changes nothing on the page
    Reset,
    BoldOn,
    BoldOff,
    ItalicOn,
    ItalicOff,
    UnderlineOn,
    UnderlineOff,
    UnderlineSwitch, // parameter: 0 or '0' off, 1 or '1' on
    SuperscriptOn,
    SubscriptOn,
    ScriptOff,
    ScriptSwitch, // parameter: 0 or '0' superscript, 1 or '1' subscript
    Pitch10,
    Pitch12,
    Pitch15,
    CondensedOn,
    CondensedOff,
    DoubleWidthLine, // until the line ends
    DoubleWidthOff,
    DoubleWidthSwitch, // parameter as UnderlineSwitch
    LineSpacing, // value: the spacing in units
    LineSpacingParameter, // value: units per parameter step
    StoreSpacing, // value: units per step; applied by ApplyStoredSpacing
    ApplyStoredSpacing,
    FeedParameter, // value: units per step
    FeedLines, // parameter: lines
    ReverseFeed, // value: units, 0 for the line spacing
    PageLengthLines,
    PageLengthInches,
    LeftMarginColumns,
    RightMarginColumns,
    MarginsColumns, // two parameters: left and right
    SetTabs, // parameters: columns, up to a 0
    LeftMarginHere,
    RightMarginHere,
    TabStopHere,
    ClearTabs,
    TabToColumn, // parameter: column + 1
    HorizontalIndex, // parameter: cell width (n - 1) / 120 inch
    VerticalIndex, // parameter: line spacing (n - 1) / 48 inch
    FormLengthLines, // parameter: lines
    EndAttributes, // bold and underline off
    Cut,
};

// What overflowing the printable width does.
enum class Overflow : quint8 { Wrap, Cut };

inline constexpr int UntilZero = -1;

struct Sequence
{
    const char *name;
    QByteArrayView bytes;
    int parameters; // bytes that follow, or UntilZero
    Action action;
    qint32 value = 0;
};

struct Family
{
    const char *name;
    Overflow overflow;
    std::span<const Sequence> sequences;
    // HP PCL's parameterised sequences (ESC & l 6 D ...) are read by their
    // grammar rather than listed.
    bool pclGrammar;
    // A line feed also returns the carriage to the left margin.
    bool lineFeedReturns;
};

const Family &family(TPrinterType type);

} // namespace Zanto::Preview

#include "familysequences.h"
#include "pclgrammar.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/byteinterpreter.h>

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string_view>

namespace Zanto::Preview {

namespace {

constexpr unsigned char NUL = 0;
constexpr unsigned char BS = 8;
constexpr unsigned char HT = 9;
constexpr unsigned char LF = 10;
constexpr unsigned char VT = 11;
constexpr unsigned char FF = 12;
constexpr unsigned char CR = 13;
constexpr unsigned char ESC = 27;
constexpr unsigned char DEL = 127;

constexpr qint32 Pitch10Width = UnitsPerInch / 10;
constexpr qint32 SixLinesAnInch = UnitsPerInch / 6;
constexpr int DefaultTabColumns = 8;
// A list of tab stops, or a sequence of unknown length, longer than this is
// not waited for.
constexpr int LongestList = 64;
// What a character cell and a line spacing may be: a cell from 1/120 inch
// (HP's smallest motion index) to ten inches, a spacing up to ten inches.
// A value beyond is cut to the bound and reported.
constexpr qint32 NarrowestCell = UnitsPerInch / 120;
constexpr qint32 WidestCell = 10 * UnitsPerInch;
constexpr qint32 LargestSpacing = 10 * UnitsPerInch;

// How the bytes at the start of the pending ones read.
struct Reading
{
    enum Kind { NeedMore, Found, Unknown, Plain } kind = Plain;
    int length = 1;
    int code = -1; // a field of the code record
    const Sequence *sequence = nullptr;
    bool pcl = false;
    qint64 dataBytes = 0;
};

// The value of a switch parameter: 0 or '0' off, 1 or '1' on.
bool switchedOn(unsigned char parameter)
{
    return parameter == 1 || parameter == '1';
}

// value rounded and cut to [low, high]; clamped is set when it was cut.
qint32 within(double value, qint32 low, qint32 high, bool &clamped)
{
    const double rounded = std::round(value);
    if (!(rounded >= low)) {
        clamped = true;
        return low;
    }
    if (rounded > high) {
        clamped = true;
        return high;
    }
    return static_cast<qint32>(rounded);
}

} // namespace

PageSink::~PageSink() = default;

struct Q_DECL_HIDDEN ByteInterpreter::Private
{
    Private(const PrinterSetup &setup, PageSink &sink);

    void feed(const unsigned char *bytes, qsizetype size);
    void resolve(bool final);
    Reading read(bool final) const;
    void apply(const Reading &reading, qint64 offset);
    void applyAction(const Sequence &sequence, QByteArrayView parameters);
    void applyCode(int field);
    void applyPcl(QByteArrayView bytes, qint64 offset);
    void plainByte(unsigned char byte, qint64 offset);
    void printCharacter(unsigned char byte);
    void mark(QByteArrayView bytes, qint64 offset, bool clamped = false);
    void sheetIsFull();

    void reset();
    qint32 cellWidth() const;
    qint32 columnWidth() const; // without double width
    void carriageReturn() { x = leftMargin; }
    void lineFeed(qint32 amount);
    void lineEnded();
    void endPage(bool fed);
    void horizontalTab();
    Line &currentLine();
    // Glyphs over the sheet's limit are counted, not kept.
    bool roomForGlyph();

    const PrinterSetup setup;
    const Family &fam;
    const Paper &paper;
    PageSink &sink;
    std::array<bool, 256> startsSequence {};

    // The job.
    QByteArray pending;
    qint64 offset = 0; // of the next byte fed
    qint64 skip = 0; // data bytes of a sequence still to pass over
    int pagesOut = 0;
    int sheetLimit = ByteInterpreter::DefaultSheetLimit;
    bool stopped = false;
    std::vector<UnknownSequence> unknown;
    qint64 unknownCount = 0;
    LeftOut leftOut;

    // The printer.
    quint8 style = 0;
    bool doubleWidthLine = false;
    bool condensed = false;
    qint32 pitchWidth = Pitch10Width;
    qint32 lineSpacing = SixLinesAnInch;
    qint32 storedSpacing = SixLinesAnInch;
    qint32 pageLength = 0;
    qint32 leftMargin = 0;
    qint32 rightLimit = 0;
    bool wrap = true;
    bool tabsSet = false;
    std::vector<qint32> tabs;

    // The sheet.
    Page page;
    std::map<qint32, std::size_t> lineAt; // the index of the line at a y
    qint64 glyphsOnSheet = 0;
    bool sheetFull = false; // a limit of the sheet was reached
    qint32 x = 0;
    qint32 y = 0;
    qint32 row = 0;
};

ByteInterpreter::Private::Private(const PrinterSetup &setup_, PageSink &sink_)
    : setup(setup_)
    , fam(family(setup_.type))
    , paper(setup_.paper ? *setup_.paper : defaultPaper())
    , sink(sink_)
{
    startsSequence[ESC] = true;
    for (int i = 0; i < TPrinterCodes::FieldCount; ++i) {
        const TCodeString &code = setup.codes.field(i);
        if (!code.isEmpty())
            startsSequence[static_cast<unsigned char>(code.data()[0])] = true;
    }
    for (const Sequence &sequence : fam.sequences)
        startsSequence[static_cast<unsigned char>(sequence.bytes[0])] = true;
    page.paper = &paper;
    page.codePage = setup.codePage ? setup.codePage : AnsiCodePage::find(u"cp437");
    page.height = paper.height;
    reset();
}

void ByteInterpreter::Private::reset()
{
    style = 0;
    doubleWidthLine = false;
    condensed = false;
    pitchWidth = Pitch10Width;
    lineSpacing = SixLinesAnInch;
    storedSpacing = SixLinesAnInch;
    pageLength = paper.printableLength;
    leftMargin = 0;
    rightLimit = paper.printableWidth;
    wrap = fam.overflow == Overflow::Wrap;
    tabsSet = false;
    tabs.clear();
}

qint32 ByteInterpreter::Private::columnWidth() const
{
    if (!condensed)
        return pitchWidth;
    // Condensed print: 17.1 characters an inch from pica, 20 from elite.
    if (pitchWidth == Pitch10Width)
        return UnitsPerInch * 7 / 120;
    if (pitchWidth == UnitsPerInch / 12)
        return UnitsPerInch / 20;
    return pitchWidth;
}

qint32 ByteInterpreter::Private::cellWidth() const
{
    const bool wide = doubleWidthLine || (style & DoubleWidth);
    return columnWidth() * (wide ? 2 : 1);
}

void ByteInterpreter::Private::feed(const unsigned char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size && !stopped; ++i) {
        const unsigned char byte = bytes[i];
        ++offset;
        if (skip > 0) {
            --skip;
            continue;
        }
        if (pending.isEmpty() && !startsSequence[byte]) {
            plainByte(byte, offset - 1);
            continue;
        }
        pending.append(static_cast<char>(byte));
        resolve(false);
    }
}

void ByteInterpreter::Private::resolve(bool final)
{
    while (!pending.isEmpty() && !stopped) {
        const Reading reading = read(final);
        if (reading.kind == Reading::NeedMore)
            return;
        const qint64 start = offset - pending.size();
        switch (reading.kind) {
        case Reading::Found:
            apply(reading, start);
            break;
        case Reading::Unknown:
            mark(QByteArrayView(pending).first(reading.length), start);
            break;
        default:
            plainByte(static_cast<unsigned char>(pending[0]), start);
            break;
        }
        skip += reading.dataBytes;
        // What follows the sequence is read anew: it may start another one.
        const QByteArray rest = pending.mid(reading.length);
        pending.clear();
        for (qsizetype i = 0; i < rest.size() && !stopped; ++i) {
            const auto byte = static_cast<unsigned char>(rest[i]);
            if (skip > 0) {
                --skip;
            } else if (pending.isEmpty() && !startsSequence[byte]) {
                plainByte(byte, offset - rest.size() + i);
            } else {
                pending.append(static_cast<char>(byte));
            }
        }
    }
}

Reading ByteInterpreter::Private::read(bool final) const
{
    const QByteArrayView p(pending);
    bool more = false;
    Reading best;
    best.kind = Reading::Plain;
    best.length = 0;

    // The component's codes first: on equal length they win.
    for (int i = 0; i < TPrinterCodes::FieldCount; ++i) {
        const QByteArrayView code = setup.codes.field(i).view();
        if (code.isEmpty())
            continue;
        if (code.size() > p.size()) {
            more = more || code.startsWith(p);
        } else if (p.startsWith(code) && code.size() > best.length) {
            best.kind = Reading::Found;
            best.length = static_cast<int>(code.size());
            best.code = i;
        }
    }
    for (const Sequence &sequence : fam.sequences) {
        const qsizetype size = sequence.bytes.size();
        if (p.size() < size) {
            more = more || sequence.bytes.startsWith(p);
            continue;
        }
        if (!p.startsWith(sequence.bytes))
            continue;
        qsizetype length = size + sequence.parameters;
        if (sequence.parameters == UntilZero) {
            const qsizetype zero = p.sliced(size).indexOf('\0');
            if (zero < 0) {
                more = more || p.size() - size < LongestList;
                continue;
            }
            length = size + zero + 1;
        }
        if (p.size() < length) {
            more = true;
        } else if (length > best.length) {
            best = Reading {Reading::Found, static_cast<int>(length), -1, &sequence};
        }
    }
    if (fam.pclGrammar && p[0] == char(ESC)) {
        const PclSequence pcl = readPclSequence(p);
        if (pcl.result == PclSequence::NeedMore) {
            more = true;
        } else if (pcl.result != PclSequence::NotParameterised && pcl.length > best.length) {
            best = Reading {Reading::Found, pcl.length, -1, nullptr, true, pcl.dataBytes};
        }
    }
    if (more && !final)
        return Reading {Reading::NeedMore};
    if (best.kind == Reading::Found)
        return best;
    if (p[0] == char(ESC))
        return Reading {Reading::Unknown, static_cast<int>(std::min<qsizetype>(2, p.size()))};
    return Reading {Reading::Plain, 1};
}

void ByteInterpreter::Private::apply(const Reading &reading, qint64 start)
{
    if (reading.code >= 0) {
        applyCode(reading.code);
    } else if (reading.sequence) {
        const Sequence &sequence = *reading.sequence;
        const QByteArrayView all = QByteArrayView(pending).first(reading.length);
        applyAction(sequence, all.sliced(sequence.bytes.size()));
    } else if (reading.pcl) {
        applyPcl(QByteArrayView(pending).first(reading.length), start);
    }
}

void ByteInterpreter::Private::applyCode(int field)
{
    // The order of the code record.
    static constexpr std::array<Action, TPrinterCodes::FieldCount> actions {Action::BoldOn,
        Action::BoldOff, Action::ItalicOn, Action::ItalicOff, Action::UnderlineOn,
        Action::UnderlineOff, Action::SuperscriptOn, Action::ScriptOff, Action::SubscriptOn,
        Action::ScriptOff, Action::Pitch10, Action::Pitch12, Action::Pitch15};
    const Sequence sequence {"", {}, 0, actions[static_cast<std::size_t>(field)]};
    applyAction(sequence, {});
}

void ByteInterpreter::Private::applyAction(const Sequence &sequence, QByteArrayView parameters)
{
    const auto parameter = [&](qsizetype i) {
        return i < parameters.size() ? static_cast<unsigned char>(parameters[i]) : 0;
    };
    const auto setStyle = [this](quint8 bit, bool on) {
        style = on ? static_cast<quint8>(style | bit) : static_cast<quint8>(style & ~bit);
    };
    switch (sequence.action) {
    case Action::Ignore:
        break;
    case Action::Reset:
        reset();
        break;
    case Action::BoldOn:
    case Action::BoldOff:
        setStyle(Bold, sequence.action == Action::BoldOn);
        break;
    case Action::ItalicOn:
    case Action::ItalicOff:
        setStyle(Italic, sequence.action == Action::ItalicOn);
        break;
    case Action::UnderlineOn:
    case Action::UnderlineOff:
        setStyle(Underline, sequence.action == Action::UnderlineOn);
        break;
    case Action::UnderlineSwitch:
        setStyle(Underline, switchedOn(parameter(0)));
        break;
    case Action::SuperscriptOn:
        setStyle(Subscript, false);
        setStyle(Superscript, true);
        break;
    case Action::SubscriptOn:
        setStyle(Superscript, false);
        setStyle(Subscript, true);
        break;
    case Action::ScriptOff:
        setStyle(Superscript | Subscript, false);
        break;
    case Action::ScriptSwitch:
        setStyle(Superscript | Subscript, false);
        setStyle(switchedOn(parameter(0)) ? Subscript : Superscript, true);
        break;
    case Action::Pitch10:
        pitchWidth = Pitch10Width;
        condensed = false;
        break;
    case Action::Pitch12:
        pitchWidth = UnitsPerInch / 12;
        condensed = false;
        break;
    case Action::Pitch15:
        pitchWidth = UnitsPerInch / 15;
        condensed = false;
        break;
    case Action::CondensedOn:
        condensed = true;
        break;
    case Action::CondensedOff:
        condensed = false;
        break;
    case Action::DoubleWidthLine:
        doubleWidthLine = true;
        break;
    case Action::DoubleWidthOff:
        doubleWidthLine = false;
        break;
    case Action::DoubleWidthSwitch:
        setStyle(DoubleWidth, switchedOn(parameter(0)));
        break;
    case Action::LineSpacing:
        lineSpacing = sequence.value;
        break;
    case Action::LineSpacingParameter:
        lineSpacing = sequence.value * parameter(0);
        break;
    case Action::StoreSpacing:
        storedSpacing = sequence.value * parameter(0);
        break;
    case Action::ApplyStoredSpacing:
        lineSpacing = storedSpacing;
        break;
    case Action::FeedParameter:
        lineFeed(sequence.value < 0 ? lineSpacing / 2 : sequence.value * parameter(0));
        break;
    case Action::FeedLines:
        for (int i = 0; i < parameter(0); ++i)
            lineFeed(lineSpacing);
        break;
    case Action::ReverseFeed: {
        const qint32 amount = sequence.value < 0 ? lineSpacing / 2 : lineSpacing;
        y = std::max(0, y - amount);
        row = std::max(0, row - 1);
        break;
    }
    case Action::PageLengthLines:
    case Action::FormLengthLines:
        if (parameter(0) > 0)
            pageLength = std::min(paper.printableLength, lineSpacing * parameter(0));
        break;
    case Action::PageLengthInches:
        if (parameter(0) > 0)
            pageLength = std::min(paper.printableLength, UnitsPerInch * parameter(0));
        break;
    case Action::LeftMarginColumns:
        if (columnWidth() * parameter(0) < rightLimit)
            leftMargin = columnWidth() * parameter(0);
        break;
    case Action::RightMarginColumns:
        if (columnWidth() * parameter(0) > leftMargin)
            rightLimit = std::min(paper.printableWidth, columnWidth() * parameter(0));
        break;
    case Action::MarginsColumns: {
        const qint32 left = columnWidth() * std::max(0, parameter(0) - 1);
        const qint32 right = std::min(paper.printableWidth, columnWidth() * parameter(1));
        if (parameter(0) > 0 && left < rightLimit)
            leftMargin = left;
        if (parameter(1) > 0 && right > leftMargin)
            rightLimit = right;
        break;
    }
    case Action::SetTabs:
        tabsSet = true;
        tabs.clear();
        for (qsizetype i = 0; i + 1 < parameters.size(); ++i)
            tabs.push_back(leftMargin + columnWidth() * parameter(i));
        std::sort(tabs.begin(), tabs.end());
        break;
    case Action::LeftMarginHere:
        leftMargin = std::min(x, rightLimit - 1);
        break;
    case Action::RightMarginHere:
        // A character wider than the line may have carried the carriage
        // past the paper's edge: the margin stays on the paper.
        if (x > leftMargin)
            rightLimit = std::min(x, paper.printableWidth);
        break;
    case Action::TabStopHere:
        if (!tabsSet)
            tabs.clear();
        tabsSet = true;
        tabs.insert(std::upper_bound(tabs.begin(), tabs.end(), x), x);
        break;
    case Action::ClearTabs:
        tabsSet = true;
        tabs.clear();
        break;
    case Action::TabToColumn:
        if (parameter(0) > 0)
            x = std::min(rightLimit, leftMargin + columnWidth() * (parameter(0) - 1));
        break;
    case Action::HorizontalIndex:
        if (parameter(0) > 1) {
            pitchWidth = (parameter(0) - 1) * UnitsPerInch / 120;
            condensed = false;
        }
        break;
    case Action::VerticalIndex:
        if (parameter(0) > 1)
            lineSpacing = (parameter(0) - 1) * UnitsPerInch / 48;
        break;
    case Action::EndAttributes:
        setStyle(Bold | Underline, false);
        break;
    case Action::Cut:
        carriageReturn();
        endPage(true);
        break;
    }
}

void ByteInterpreter::Private::applyPcl(QByteArrayView bytes, qint64 start)
{
    const PclSequence sequence = readPclSequence(bytes);
    bool known = sequence.result == PclSequence::Complete;
    bool clamped = sequence.clamped;
    const auto setStyle = [this](quint8 bit, bool on) {
        style = on ? static_cast<quint8>(style | bit) : static_cast<quint8>(style & ~bit);
    };
    for (const PclCommand &command : sequence.commands) {
        const double v = command.value;
        const int n = static_cast<int>(std::lround(v));
        const char p = command.parameterised;
        const char g = command.group;
        const char c = command.parameter;
        if (p == '&' && g == 'l' && c == 'D' && n > 0 && n <= 48) {
            lineSpacing = UnitsPerInch / n;
        } else if (p == '&' && g == 'l' && c == 'C' && v > 0) {
            lineSpacing = within(v * UnitsPerInch / 48, 0, LargestSpacing, clamped);
        } else if (p == '&' && g == 'l' && c == 'P' && n > 0) {
            pageLength = std::min<qint64>(paper.printableLength, qint64(n) * lineSpacing);
        } else if (p == '&' && g == 'l'
            && std::string_view("EFOAHXLS").find(c) != std::string_view::npos) {
            // margins and page set-up of a page printer: the sheet stays
        } else if (p == '&' && g == 'a' && (c == 'L' || c == 'M') && n >= 0) {
            const qint64 at = qint64(columnWidth()) * n + (c == 'M' ? columnWidth() : 0);
            if (c == 'L' && at < rightLimit)
                leftMargin = static_cast<qint32>(at);
            else if (c == 'M' && at > leftMargin)
                rightLimit = static_cast<qint32>(std::min<qint64>(paper.printableWidth, at));
        } else if (p == '&' && g == 'a' && c == 'C') {
            const double to
                = (command.signedValue ? (x - leftMargin) / double(columnWidth()) : 0) + v;
            x = std::clamp<qint32>(
                leftMargin + static_cast<qint32>(std::lround(to * columnWidth())), 0,
                paper.printableWidth);
        } else if (p == '&' && g == 's' && c == 'C') {
            wrap = n == 0;
        } else if (p == '&' && g == 'd' && c == 'D') {
            setStyle(Underline, true);
        } else if (p == '&' && g == 'd' && c == '@') {
            setStyle(Underline, false);
        } else if (p == '&' && g == 'k' && c == 'S') {
            condensed = false;
            pitchWidth = n == 2 ? 130 : n == 4 ? UnitsPerInch / 12 : Pitch10Width;
        } else if (p == '&' && g == 'k' && c == 'H' && v > 0) {
            condensed = false;
            pitchWidth = within(v * UnitsPerInch / 120, NarrowestCell, WidestCell, clamped);
        } else if (p == '(' && g == 's' && c == 'H' && v > 0) {
            condensed = false;
            pitchWidth = within(UnitsPerInch / v, NarrowestCell, WidestCell, clamped);
        } else if (p == '(' && g == 's' && c == 'B') {
            setStyle(Bold, v > 0);
        } else if (p == '(' && g == 's' && c == 'S') {
            setStyle(Italic, (n & 1) != 0);
        } else if ((p == '(' || p == ')') && (g == 's' || g == 0)) {
            // font selection: point size, typeface, symbol set, spacing
        } else if (p == '*' || (p == '&' && (g == 'f' || g == 'p' || g == 'u'))) {
            // graphics, macros and unit of measure: nothing for the text page
        } else {
            known = false;
        }
    }
    if (!known || clamped)
        mark(bytes, start, known && clamped);
}

void ByteInterpreter::Private::plainByte(unsigned char byte, qint64 at)
{
    if (byte >= 32 && byte != DEL) {
        printCharacter(byte);
        return;
    }
    switch (byte) {
    case CR:
        carriageReturn();
        break;
    case LF:
    case VT:
        if (fam.lineFeedReturns)
            carriageReturn();
        lineFeed(lineSpacing);
        break;
    case FF:
        carriageReturn();
        endPage(true);
        break;
    case HT:
        horizontalTab();
        break;
    case BS:
        x = std::max(leftMargin, x - cellWidth());
        break;
    case NUL:
        break;
    default:
        mark(QByteArrayView(reinterpret_cast<const char *>(&byte), 1), at);
        break;
    }
}

void ByteInterpreter::Private::printCharacter(unsigned char byte)
{
    const qint32 width = cellWidth();
    if (x + width > rightLimit && x > leftMargin) {
        if (!wrap)
            return;
        carriageReturn();
        lineFeed(lineSpacing);
    }
    if (roomForGlyph())
        currentLine().glyphs.push_back(Glyph {
            x, width, byte, static_cast<quint8>(style | (doubleWidthLine ? DoubleWidth : 0))});
    x += width;
}

bool ByteInterpreter::Private::roomForGlyph()
{
    if (glyphsOnSheet < ByteInterpreter::MostCharactersPerSheet) {
        ++glyphsOnSheet;
        return true;
    }
    ++leftOut.characters;
    sheetIsFull();
    return false;
}

void ByteInterpreter::Private::sheetIsFull()
{
    if (sheetFull)
        return;
    sheetFull = true;
    if (leftOut.sheets++ == 0)
        leftOut.firstPage = pagesOut + 1;
}

void ByteInterpreter::Private::horizontalTab()
{
    if (!tabsSet) {
        const qint32 step = columnWidth() * DefaultTabColumns;
        const qint32 next = leftMargin + ((x - leftMargin) / step + 1) * step;
        if (next < rightLimit)
            x = next;
        return;
    }
    const auto next = std::upper_bound(tabs.begin(), tabs.end(), x);
    if (next != tabs.end() && *next < rightLimit)
        x = *next;
}

Line &ByteInterpreter::Private::currentLine()
{
    // One line for each height: a job that goes up and down the sheet
    // adds to the lines it printed before.
    const auto [at, added] = lineAt.try_emplace(y, page.lines.size());
    if (added)
        page.lines.push_back(Line {y, lineSpacing, row, {}});
    return page.lines[at->second];
}

void ByteInterpreter::Private::lineFeed(qint32 amount)
{
    doubleWidthLine = false;
    if (amount <= 0)
        return;
    y += amount;
    ++row;
    if (y + lineSpacing > pageLength)
        endPage(true);
}

void ByteInterpreter::Private::endPage(bool fed)
{
    doubleWidthLine = false;
    if (stopped)
        return;
    if ((fed || !page.isEmpty()) && pagesOut >= sheetLimit) {
        // A sheet past the limit: the job stops here.
        stopped = true;
    } else if (fed || !page.isEmpty()) {
        page.number = ++pagesOut;
        if (paper.roll) {
            qint32 bottom = 0;
            for (const Line &line : page.lines)
                bottom = std::max(bottom, line.y + line.height);
            for (const Marker &marker : page.markers)
                bottom = std::max(bottom, marker.y + lineSpacing);
            page.height
                = std::min(paper.height, paper.top + std::max(y, bottom) + UnitsPerInch / 4);
        }
        sink.addPage(page);
    }
    page.lines.clear();
    page.markers.clear();
    lineAt.clear();
    glyphsOnSheet = 0;
    sheetFull = false;
    page.height = paper.height;
    y = 0;
    row = 0;
}

void ByteInterpreter::Private::mark(QByteArrayView bytes, qint64 at, bool clamped)
{
    if (page.markers.size() < std::size_t(ByteInterpreter::MostMarkersPerSheet)) {
        page.markers.push_back(Marker {at, x, y, row, bytes.toByteArray()});
    } else {
        ++leftOut.markers;
        sheetIsFull();
    }
    if (unknown.size() < ListedUnknown)
        unknown.push_back(UnknownSequence {at, pagesOut + 1, bytes.toByteArray(), clamped});
    ++unknownCount;
}

ByteInterpreter::ByteInterpreter(const PrinterSetup &setup, PageSink &sink)
    : d(std::make_unique<Private>(setup, sink))
{ }

ByteInterpreter::~ByteInterpreter() = default;

void ByteInterpreter::feed(QByteArrayView bytes)
{
    d->feed(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
}

void ByteInterpreter::finish()
{
    d->resolve(true);
    d->skip = 0;
    if (!d->stopped && (!d->page.isEmpty() || d->pagesOut == 0))
        d->endPage(true);
    d->sink.finish();
}

void ByteInterpreter::setSheetLimit(int sheets)
{
    d->sheetLimit = std::max(1, sheets);
}

bool ByteInterpreter::stoppedAtSheetLimit() const
{
    return d->stopped;
}

const LeftOut &ByteInterpreter::leftOut() const
{
    return d->leftOut;
}

int ByteInterpreter::pageCount() const
{
    return d->pagesOut;
}

const std::vector<UnknownSequence> &ByteInterpreter::unknownSequences() const
{
    return d->unknown;
}

qint64 ByteInterpreter::unknownSequenceCount() const
{
    return d->unknownCount;
}

bool interpretAll(QIODevice &input, ByteInterpreter &interpreter)
{
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const qint64 count = input.read(buffer.data(), static_cast<qint64>(buffer.size()));
        if (count <= 0)
            return count == 0;
        interpreter.feed(QByteArrayView(buffer.data(), count));
    }
}

} // namespace Zanto::Preview

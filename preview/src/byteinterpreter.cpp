#include "barcodedrawing.h"
#include "charactertables.h"
#include "landscape.h"
#include "pclraster.h"
#include "starraster.h"
#include "starsymbols.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/printerlanguage.h>

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace Zanto::Preview {

namespace {

using Action = CommandAction;

constexpr unsigned char NUL = 0;
constexpr unsigned char BS = 8;
constexpr unsigned char HT = 9;
constexpr unsigned char LF = 10;
constexpr unsigned char VT = 11;
constexpr unsigned char FF = 12;
constexpr unsigned char CR = 13;
constexpr unsigned char DEL = 127;

constexpr int DefaultTabColumns = 8;
// What a character cell and a line spacing may be: a cell from 1/120 inch
// (HP's smallest motion index) to ten inches, a spacing up to ten inches.
// A value beyond is cut to the bound and reported.
constexpr qint32 NarrowestCell = UnitsPerInch / 120;
constexpr qint32 WidestCell = 10 * UnitsPerInch;
constexpr qint32 LargestSpacing = 10 * UnitsPerInch;
// What a job's stored graphics (GS ( L, GS 8 L, GS *) may hold in all:
// more than any receipt printer's memory.
constexpr qint64 MostStoredBytes = 16 * 1024 * 1024;
// Cursor positions PCL keeps with ESC & f 0 S.
constexpr std::size_t DeepestPush = 20;

enum class Alignment : quint8 { Left, Centre, Right };

// The value of a switch parameter: 0 or '0' off, 1 or '1' on.
bool switchedOn(unsigned char parameter)
{
    return (parameter & 1) != 0;
}

// A number given as a byte or as its digit ('0' to '9').
int digitOrByte(unsigned char parameter)
{
    return parameter >= '0' && parameter <= '9' ? parameter - '0' : parameter;
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

// n units of 1/unit inch (times scale) in preview units.
qint64 toUnits(qint64 n, qint32 unit, qint32 scale = 1)
{
    if (unit <= 0)
        return 0;
    return (n * std::max(1, scale) * UnitsPerInch + unit / 2) / unit;
}

// A graphics command whose data bytes are being read.
struct Graphics
{
    enum Layout : quint8 {
        None,
        Columns, // a byte or more per column, the top dot in the highest bit
        Rows, // rows of bytes, the leftmost dot in the highest bit
        Body, // the body of a counted command (GS 8 L), read whole
    };
    Layout layout = None;
    int bytesPerColumn = 1; // Columns: 1, 2 (the 9th dot in the second's top bit) or 3
    int pins = 8; // Columns: dots down a column
    qint32 columns = 0;
    qint32 rows = 0;
    double dotsPerInchX = 60;
    double dotsPerInchY = 72;
    bool feeds = false; // the paper moves on by the image (raster), else the head
    bool download = false; // Columns: kept for GS / to print (GS *), not printed
    bool keep = false; // the dots fit the sheet
    qint32 x = 0;
    qint32 y = 0;
    qint64 remaining = 0;
    bool coded = false; // the data comes run-length coded
    bool pclPlane = false; // a PCL raster row or plane
    bool pclLastPlane = false; // W: the row is complete
    qint64 expected = 0; // bytes of data the image holds
    qint64 declared = 0; // Body: bytes the command counts, kept or not
    qint64 start = 0; // Body: the command's offset in the job
    QByteArray header; // Body: the command's bytes before its data
    QByteArray data;

    // Decoded data, kept up to what the image holds.
    void add(unsigned char byte, qint64 times)
    {
        if (!keep)
            return;
        const qint64 room = expected - data.size();
        if (room > 0)
            data.append(static_cast<qsizetype>(std::min(room, times)), static_cast<char>(byte));
    }
};

} // namespace

PageSink::~PageSink() = default;

struct Q_DECL_HIDDEN ByteInterpreter::Private
{
    Private(const PrinterSetup &setup, PageSink &sink);

    void feed(const unsigned char *bytes, qsizetype size);
    bool passOver(unsigned char byte);
    void resolve(bool final);
    int componentCode(bool &more) const;
    void applyCode(int field);
    void apply(const LanguageCommand &command, QByteArrayView parameters, qint64 start);
    void applyPcl(const CommandMatch &match, QByteArrayView bytes, qint64 start);
    void plainByte(unsigned char byte, qint64 offset);
    void printCharacter(unsigned char byte);
    void mark(QByteArrayView bytes, qint64 offset, bool clamped = false);
    void listIgnored(QByteArrayView bytes, qint64 offset, const QString &reason = {});
    bool readSymbol(const LanguageCommand &command, QByteArrayView parameters, qint64 start);
    void starRasterByte(unsigned char byte, qint64 at);
    void flushRaster();
    SymbolStep symbolStep(QByteArrayView command, QByteArrayView parameters);
    bool starLine() const
    {
        return QLatin1StringView(model.name) == QLatin1StringView("star-line");
    }
    void placeSymbol(SymbolStep step, QByteArrayView listed, qint64 start);
    void startGraphics(const LanguageCommand &command, QByteArrayView parameters, qint64 start);
    void finishGraphics();
    qint32 alignedLeft(qint64 width) const;
    void feedPast(qint32 height);
    void placeDots(DotImage image, bool feeds);
    void undrawn(QByteArrayView listed, qint64 start, const QString &label, qint32 columns = 0,
        qint32 rows = 0, double dpiX = 0, double dpiY = 0, bool feeds = false);
    bool undrawnCommand(const LanguageCommand &command, QByteArrayView parameters,
        QByteArrayView listed, qint64 start);
    void storedGraphics(QByteArrayView header, QByteArrayView body, qint64 declared, qint64 start);
    bool pclGraphics(const LanguageCommand &command, char parameter, double value,
        QByteArrayView bytes, qint64 start);
    void pclPlaneRead(const Graphics &plane);
    void endPclRaster();
    void sheetIsFull();
    void selectTable(const char *encoding);
    unsigned char sheetByte(unsigned char byte);

    void reset();
    void turnSheet(bool landscape);
    void setStyle(quint8 bit, bool on)
    {
        style = on ? static_cast<quint8>(style | bit) : static_cast<quint8>(style & ~bit);
    }
    qint32 cellWidth() const;
    qint32 columnWidth() const; // without double width and spacing
    qint32 fontWidth(const LanguageFont &font) const;
    void carriageReturn() { x = leftMargin; }
    // A margin set at the start of a line holds for that line.
    void setLeftMargin(qint32 margin)
    {
        if (x == leftMargin)
            x = margin;
        leftMargin = margin;
    }
    void lineFeed(qint32 amount);
    void lowerTallLine();
    void alignLine();
    void endPage(bool fed);
    void horizontalTab();
    Line &currentLine();
    // Glyphs over the sheet's limit are counted, not kept.
    bool roomForGlyph();
    void moveX(qint64 to);

    const PrinterSetup setup;
    const PrinterLanguage &language;
    const LanguageModel &model;
    const Paper &portrait; // as loaded
    const Paper *sheet; // as the page printer's orientation turns it
    qint32 portraitWidth; // the printable width, as the language's head reaches it
    qint32 paperWidth; // the same across the sheet as it is turned
    PageSink &sink;
    std::array<bool, 256> startsCode {};
    bool slottedTables = false;

    // The job.
    QByteArray pending;
    qint64 offset = 0; // of the next byte fed
    qint64 skip = 0; // data bytes of a sequence still to pass over
    // Run-length coded data still to pass over: decoded bytes, bytes of the
    // literal run under way, and whether a repeated byte comes next.
    qint64 runLength = 0;
    qint64 literal = 0;
    bool repeatedByte = false;
    qint64 repeats = 0; // times the repeated byte stands
    int pagesOut = 0;
    int sheetLimit = ByteInterpreter::DefaultSheetLimit;
    bool stopped = false;
    std::vector<UnknownSequence> unknown;
    qint64 unknownCount = 0;
    std::vector<UnknownSequence> ignored;
    qint64 ignoredCount = 0;
    LeftOut leftOut;

    // The graphics command whose data is being read: its dots are kept
    // while they fit the sheet.
    Graphics graphics;
    qint64 imageDotsOnSheet = 0;
    // PCL's raster: the block being transferred, row by row.
    struct PclRaster
    {
        bool started = false;
        int resolution = 75;
        int method = 0;
        qint32 width = 0; // *r#S, dots; 0 for as wide as the rows
        qint32 left = 0;
        qint32 top = 0;
        qint32 rows = 0;
        qsizetype stride = 0; // bytes of the widest row so far
        int plane = 0; // of the row under way
        QByteArray bits;
        QByteArray row; // the planes of the row under way, ORed
        std::vector<QByteArray> seeds; // each plane's row before
        qint64 dots = 0; // counted against the sheet
        bool full = false; // the sheet has no room for more
    } pclRaster;
    // A raster block's rows that came in a compression method the preview
    // does not decode: the first of them, and the method.
    qint32 pclUndecodedFrom = -1;
    int pclUndecodedMethod = 0;
    qint64 pclUndecodedStart = 0;
    QByteArray pclUndecodedBytes;
    int pclRectangleWidth = 0; // *c#A, PCL units
    int pclRectangleHeight = 0; // *c#B
    EscPosSymbols symbols; // barcode and QR code settings; receipt printers only
    StarSymbols starSymbols; // Star Line mode's
    // A counted barcode (GS k m n) or Star's QR code data (ESC GS y D 1)
    // whose data is being read.
    struct CountedSymbol
    {
        QByteArray header;
        QByteArray data;
        qint64 start = 0;
        qsizetype commandLength = 2; // of header
    };
    std::optional<CountedSymbol> countedSymbol;
    // Receipt printers' stored graphics (GS ( L, GS 8 L, GS *): each a
    // picture of rows of bits, or only its size where its data is in
    // columns.
    struct StoredPicture
    {
        QByteArray bits;
        qint32 columns = 0;
        qint32 rows = 0;
        bool columnData = false;
    };
    std::array<StoredPicture, 4> printBuffer; // function 112's colours
    int bufferScaleX = 1;
    int bufferScaleY = 1;
    std::map<int, StoredPicture> nvGraphics; // by key code
    std::map<int, StoredPicture> downloadGraphics;
    qint64 storedBytes = 0; // of all of them, against MostStoredBytes
    std::optional<StoredPicture> downloadedImage; // GS *, for GS /
    // Star's raster mode (ESC * r A to ESC * r B) and the rows it has
    // read since the paper last moved: drawn as one picture.
    std::optional<StarRasterReader> starRaster;
    std::vector<QByteArray> rasterRows;
    bool rasterRowOpen = false; // k: the next row goes on the same dots
    qint32 rasterTop = 0;
    qint64 rasterBytes = 0;
    // Star's bit images in the line being printed (indexes into
    // page.images): the alignment moves them with the line's characters.
    std::vector<std::size_t> lineImages;

    // The printer.
    quint8 style = 0;
    bool doubleWidthLine = false;
    bool condensed = false;
    qint32 pitchWidth = UnitsPerInch / 10;
    int widthScale = 1;
    qint32 spacing = 0; // added after each character
    qint32 lineSpacing = UnitsPerInch / 6;
    qint32 storedSpacing = UnitsPerInch / 6;
    qint32 pageLength = 0;
    qint32 topMargin = 0;
    qint32 leftMargin = 0;
    qint32 rightLimit = 0;
    bool wrap = true;
    bool lineFeedReturns = false;
    bool carriageReturnFeeds = false;
    bool tabsSet = false;
    std::vector<qint32> tabs;
    Alignment alignment = Alignment::Left;
    double definedUnit = UnitsPerInch / 360.0; // ESC/P 2's ESC ( U
    qint32 pclUnit = 300; // PCL's unit of measure
    std::vector<std::pair<qint32, qint32>> pushed;
    std::array<int, 4> tableSlots {0, 256, 0, 256}; // ESC/P's ESC ( t assignments
    const CharacterTable *table = nullptr; // chosen in the job; null for the sheet's own
    const CharacterTable *national = nullptr; // ESC R's variant of ASCII

    // The sheet.
    Page page;
    const AnsiCodePage *initialCodePage = nullptr; // the printer's own, after a reset
    const AnsiCodePage *jobCodePage = nullptr; // fixed by the first character printed
    std::map<qint32, std::size_t> lineAt; // the index of the line at a y
    std::set<std::size_t> lowered; // lines of double-height characters moved down
    qint64 glyphsOnSheet = 0;
    bool sheetFull = false; // a limit of the sheet was reached
    qint32 x = 0;
    qint32 y = 0;
    qint32 row = 0;
};

namespace {

const Paper &paperFor(const PrinterSetup &setup, const LanguageModel &model)
{
    if (setup.paper)
        return *setup.paper;
    if (model.defaultPaper) {
        if (const Paper *paper = findPaper(QString::fromLatin1(model.defaultPaper)))
            return *paper;
    }
    return defaultPaper();
}

} // namespace

ByteInterpreter::Private::Private(const PrinterSetup &setup_, PageSink &sink_)
    : setup(setup_)
    , language(setup_.language ? *setup_.language : PrinterLanguage::forPrinterType(setup_.type))
    , model(language.model())
    , portrait(paperFor(setup_, model))
    , sheet(&portrait)
    , paperWidth(portrait.printableWidth)
    , sink(sink_)
{
    for (const LanguagePaperWidth &width : model.paperWidths) {
        // A row of whole cells, each rounded down, ends short of the true
        // edge: the edge is rounded down one unit further so that a cell
        // one too many does not fit.
        if (QLatin1StringView(width.paper) == QLatin1StringView(portrait.name))
            paperWidth = UnitsPerInch * width.dots / model.dotsPerInch - 1;
    }
    portraitWidth = paperWidth;
    for (int i = 0; i < TPrinterCodes::FieldCount; ++i) {
        const TCodeString &code = setup.codes.field(i);
        if (!code.isEmpty())
            startsCode[static_cast<unsigned char>(code.data()[0])] = true;
    }
    for (const LanguageCommand &command : model.commands)
        slottedTables = slottedTables || command.action == Action::AssignCodeTable;
    page.paper = sheet;
    page.codePage = setup.codePage ? setup.codePage : AnsiCodePage::find(u"cp437");
    initialCodePage = page.codePage;
    page.height = sheet->height;
    reset();
}

void ByteInterpreter::Private::reset()
{
    // A page printer's reset brings back portrait sheets.
    if (sheet != &portrait && page.isEmpty())
        turnSheet(false);
    style = 0;
    doubleWidthLine = false;
    condensed = false;
    pitchWidth = fontWidth(model.fonts.front());
    widthScale = 1;
    spacing = 0;
    lineSpacing = static_cast<qint32>(toUnits(model.lineSpacing, model.lineSpacingUnit));
    storedSpacing = lineSpacing;
    pageLength = sheet->printableLength;
    topMargin = 0;
    leftMargin = 0;
    rightLimit = paperWidth;
    wrap = model.wraps;
    lineFeedReturns = model.lineFeedReturns;
    carriageReturnFeeds = model.carriageReturnFeeds;
    tabsSet = false;
    tabs.clear();
    alignment = Alignment::Left;
    symbols.reset();
    starSymbols.reset();
    // The print buffer and GS *'s image go; graphics stored by key stay.
    printBuffer = {};
    bufferScaleX = 1;
    bufferScaleY = 1;
    downloadedImage.reset();
    definedUnit = UnitsPerInch / 360.0;
    pclUnit = 300;
    pushed.clear();
    tableSlots = {0, 256, 0, 256};
    // Back to the printer's own table, which the sheet may no longer be in.
    table = page.codePage == initialCodePage ? nullptr : characterTable(initialCodePage->name());
    national = nullptr;
}

// A cell of dots is rounded down: a row of them never reaches past the
// paper's edge.
qint32 ByteInterpreter::Private::fontWidth(const LanguageFont &font) const
{
    return font.cpi > 0 ? UnitsPerInch / font.cpi : UnitsPerInch * font.width / model.dotsPerInch;
}

qint32 ByteInterpreter::Private::columnWidth() const
{
    if (!condensed)
        return pitchWidth;
    // Condensed print: 17.1 characters an inch from pica, 20 from elite.
    if (pitchWidth == UnitsPerInch / 10)
        return UnitsPerInch * 7 / 120;
    if (pitchWidth == UnitsPerInch / 12)
        return UnitsPerInch / 20;
    return pitchWidth;
}

qint32 ByteInterpreter::Private::cellWidth() const
{
    const bool wide = doubleWidthLine || (style & DoubleWidth);
    return columnWidth() * std::max(widthScale, wide ? 2 : 1) + spacing;
}

void ByteInterpreter::Private::feed(const unsigned char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size && !stopped; ++i) {
        const unsigned char byte = bytes[i];
        ++offset;
        if (passOver(byte))
            continue;
        if (starRaster) {
            starRasterByte(byte, offset - 1);
            continue;
        }
        if (pending.isEmpty() && !startsCode[byte] && !language.startsCommand(byte)) {
            plainByte(byte, offset - 1);
            continue;
        }
        pending.append(static_cast<char>(byte));
        resolve(false);
    }
}

// PCL's orientation: a page with print on it goes out; the next is turned
// (cut sheets only), with the margins, text length and cursor of a new page.
void ByteInterpreter::Private::turnSheet(bool landscape)
{
    const Paper *turned = landscape ? landscapeOf(portrait) : &portrait;
    if (!turned)
        return;
    if (!page.isEmpty()) {
        carriageReturn();
        endPage(true);
    }
    sheet = turned;
    page.paper = sheet;
    page.height = sheet->height;
    paperWidth = sheet == &portrait ? portraitWidth : sheet->printableWidth;
    pageLength = sheet->printableLength;
    topMargin = 0;
    leftMargin = 0;
    rightLimit = paperWidth;
    x = 0;
    y = 0;
}

// A receipt printer prints a line of double-height characters below the
// one before, not over it: the line moves down by a line, and so does
// everything after it.
void ByteInterpreter::Private::lowerTallLine()
{
    const auto found = lineAt.find(y);
    if (found == lineAt.end())
        return;
    const std::size_t index = found->second;
    // Once: the paper may come back to the line after it was lowered.
    if (lowered.count(index))
        return;
    const auto &glyphs = page.lines[index].glyphs;
    const bool tall = std::any_of(glyphs.begin(), glyphs.end(),
        [](const Glyph &glyph) { return glyph.style & DoubleHeight; });
    const qint32 below = y + lineSpacing;
    if (!tall || lineAt.count(below) || below + lineSpacing > pageLength)
        return;
    lineAt.erase(found);
    page.lines[index].y = below;
    lineAt.emplace(below, index);
    lowered.insert(index);
    y = below;
}

// Whether byte belongs to the data of a command read before.
bool ByteInterpreter::Private::passOver(unsigned char byte)
{
    if (graphics.remaining > 0) {
        graphics.add(byte, 1);
        if (--graphics.remaining == 0)
            finishGraphics();
        return true;
    }
    if (skip > 0) {
        --skip;
        if (countedSymbol) {
            countedSymbol->data += static_cast<char>(byte);
            if (skip == 0) {
                const CountedSymbol counted = *std::exchange(countedSymbol, std::nullopt);
                placeSymbol(symbolStep(counted.header.first(counted.commandLength),
                                counted.header.sliced(counted.commandLength) + counted.data),
                    counted.header, counted.start);
            }
        }
        return true;
    }
    // Run-length coded graphics are decoded into their image as they come.
    const bool decoding = graphics.layout != Graphics::None && graphics.coded;
    if (literal > 0) {
        --literal;
        if (decoding) {
            graphics.add(byte, 1);
            if (literal == 0 && runLength <= 0)
                finishGraphics();
        }
        return true;
    }
    if (repeatedByte) {
        repeatedByte = false;
        if (decoding) {
            graphics.add(byte, repeats);
            if (runLength <= 0)
                finishGraphics();
        }
        return true;
    }
    if (runLength <= 0)
        return false;
    // A count: count + 1 bytes as they are, or one byte 257 - count times.
    const qint64 decoded = byte < 128 ? byte + 1 : 257 - byte;
    runLength -= decoded;
    if (byte < 128) {
        literal = decoded;
    } else {
        repeatedByte = true;
        repeats = decoded;
    }
    return true;
}

// The longest of the component's codes at the start of pending, or -1;
// more is set when pending may be the start of a longer one.
int ByteInterpreter::Private::componentCode(bool &more) const
{
    const QByteArrayView p(pending);
    int found = -1;
    qsizetype length = 0;
    for (int i = 0; i < TPrinterCodes::FieldCount; ++i) {
        const QByteArrayView code = setup.codes.field(i).view();
        if (code.isEmpty())
            continue;
        if (code.size() > p.size()) {
            more = more || code.startsWith(p);
        } else if (p.startsWith(code) && code.size() > length) {
            found = i;
            length = code.size();
        }
    }
    return found;
}

void ByteInterpreter::Private::resolve(bool final)
{
    while (!pending.isEmpty() && !stopped) {
        const qint64 start = offset - pending.size();
        bool more = false;
        const int code = componentCode(more);
        const CommandMatch match = language.read(pending, final);
        if (!final && (more || match.result == CommandMatch::NeedMore))
            return;
        qsizetype length = 1;
        const qsizetype codeLength = code >= 0 ? setup.codes.field(code).view().size() : 0;
        // The component's codes first: on equal length they win.
        if (code >= 0 && (match.result != CommandMatch::Found || codeLength >= match.length)) {
            applyCode(code);
            length = codeLength;
        } else if (match.result == CommandMatch::Found) {
            length = match.length;
            const QByteArrayView all = QByteArrayView(pending).first(length);
            if (match.command)
                apply(*match.command, all.sliced(match.command->bytes.size()), start);
            else
                applyPcl(match, all, start);
            if (graphics.layout != Graphics::None) {
                graphics.remaining = match.dataBytes;
                graphics.coded = match.runLengthBytes > 0;
                if (graphics.remaining <= 0 && !graphics.coded)
                    finishGraphics();
            } else {
                skip += match.dataBytes;
            }
            runLength = match.runLengthBytes;
        } else if (match.result == CommandMatch::Unknown) {
            length = match.length;
            mark(QByteArrayView(pending).first(length), start);
            skip += match.dataBytes;
        } else {
            plainByte(static_cast<unsigned char>(pending[0]), start);
        }
        // What follows is read anew: it may start another command.
        const QByteArray rest = pending.mid(length);
        pending.clear();
        for (qsizetype i = 0; i < rest.size() && !stopped; ++i) {
            const auto byte = static_cast<unsigned char>(rest[i]);
            if (passOver(byte)) {
            } else if (starRaster) {
                starRasterByte(byte, offset - rest.size() + i);
            } else if (pending.isEmpty() && !startsCode[byte] && !language.startsCommand(byte)) {
                plainByte(byte, offset - rest.size() + i);
            } else {
                pending.append(static_cast<char>(byte));
            }
        }
    }
}

void ByteInterpreter::Private::applyCode(int field)
{
    // The order of the code record.
    static constexpr std::array<Action, TPrinterCodes::FieldCount> actions {Action::BoldOn,
        Action::BoldOff, Action::ItalicOn, Action::ItalicOff, Action::UnderlineOn,
        Action::UnderlineOff, Action::SuperscriptOn, Action::ScriptOff, Action::SubscriptOn,
        Action::ScriptOff, Action::Pitch, Action::Pitch, Action::Pitch};
    static constexpr std::array<qint32, 3> pitches {10, 12, 15};
    LanguageCommand command {"", {}, 0, CommandLength::Fixed, actions[std::size_t(field)]};
    if (field >= TPrinterCodes::FieldCount - 3)
        command.value = pitches[std::size_t(field - (TPrinterCodes::FieldCount - 3))];
    apply(command, {}, 0);
}

void ByteInterpreter::Private::moveX(qint64 to)
{
    if (to >= leftMargin && to <= rightLimit)
        x = static_cast<qint32>(to);
}

void ByteInterpreter::Private::selectTable(const char *encoding)
{
    if (const CharacterTable *found = characterTable(encoding)) {
        table = found;
        // Before anything is printed, the sheet takes the job's table as
        // its own where the library has it.
        if (!jobCodePage) {
            if (const AnsiCodePage *codePage = AnsiCodePage::find(QString::fromLatin1(encoding)))
                page.codePage = codePage;
        }
    }
}

unsigned char ByteInterpreter::Private::sheetByte(unsigned char byte)
{
    if (!jobCodePage)
        jobCodePage = page.codePage;
    const CharacterTable *from = byte < 128 && national ? national : table;
    if (!from)
        return byte;
    const char16_t character = (*from)[byte];
    if (character == 0)
        return '?';
    if (jobCodePage->toUnicode(byte) == character)
        return byte;
    return static_cast<unsigned char>(jobCodePage->fromUnicode(character));
}

void ByteInterpreter::Private::apply(
    const LanguageCommand &command, QByteArrayView parameters, qint64 start)
{
    // The arguments of a counted command start after its count.
    const qsizetype first
        = command.length == CommandLength::CountedParameters ? command.parameters : 0;
    const auto parameter = [&](qsizetype i) -> int {
        i += first;
        return i < parameters.size() ? static_cast<unsigned char>(parameters[i]) : 0;
    };
    const auto word = [&](qsizetype i) { return parameter(i) + 256 * parameter(i + 1); };
    const auto signedWord = [&](qsizetype i) {
        const int value = word(i);
        return value >= 32768 ? value - 65536 : value;
    };
    const qint32 unit = command.unit;
    const qint32 scale = command.value;
    switch (command.action) {
    case Action::Ignore: {
        if (starLine() && command.bytes == QByteArrayView("\x1b*rA", 4)) {
            // What the line holds is printed first, then rows come.
            alignLine();
            const auto found = lineAt.find(y);
            if (x != leftMargin
                || (found != lineAt.end() && !page.lines[found->second].glyphs.empty())) {
                carriageReturn();
                lineFeed(lineSpacing);
            }
            starRaster.emplace();
            break;
        }
        if (readSymbol(command, parameters, start))
            break;
        const QByteArrayView listed
            = QByteArrayView(pending).first(command.bytes.size() + parameters.size());
        if (command.bytes == QByteArrayView("\x1d(L", 3)
            && QLatin1StringView(model.name).startsWith(QLatin1StringView("escpos"))) {
            // pL pH, then the function and its data.
            storedGraphics(listed.first(std::min<qsizetype>(listed.size(), 15)),
                parameters.sliced(std::min<qsizetype>(2, parameters.size())),
                std::max<qsizetype>(0, parameters.size() - 2), start);
            break;
        }
        startGraphics(command, parameters, start);
        if (graphics.layout == Graphics::None
            && !undrawnCommand(command, parameters, listed, start))
            listIgnored(listed, start);
        break;
    }
    case Action::NoEffect:
        readSymbol(command, parameters, start);
        break;
    case Action::Reset:
        // A page printer's reset prints the page it holds.
        if (command.value == 1 && (!page.isEmpty() || pclRaster.rows > 0))
            endPage(true);
        reset();
        break;
    case Action::BoldOn:
    case Action::BoldOff:
        setStyle(Bold, command.action == Action::BoldOn);
        break;
    case Action::BoldSwitch:
        setStyle(Bold, switchedOn(parameter(0)));
        break;
    case Action::ItalicOn:
    case Action::ItalicOff:
        setStyle(Italic, command.action == Action::ItalicOn);
        break;
    case Action::UnderlineOn:
    case Action::UnderlineOff:
        setStyle(Underline, command.action == Action::UnderlineOn);
        break;
    case Action::UnderlineSwitch: {
        const int n = digitOrByte(parameter(0));
        setStyle(Underline, n == 1 || n == 2);
        break;
    }
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
    case Action::Pitch:
        pitchWidth = UnitsPerInch / command.value;
        condensed = false;
        break;
    case Action::CondensedOn:
    case Action::CondensedOff:
        condensed = command.action == Action::CondensedOn;
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
    case Action::DoubleHeightSwitch:
        setStyle(DoubleHeight, switchedOn(parameter(0)));
        break;
    case Action::DotMatrixPrintMode: {
        const int n = parameter(0);
        pitchWidth = UnitsPerInch / (n & 1 ? 12 : 10);
        condensed = n & 4;
        setStyle(Bold, n & (8 | 16));
        setStyle(DoubleWidth, n & 32);
        setStyle(Italic, n & 64);
        setStyle(Underline, n & 128);
        break;
    }
    case Action::ReceiptPrintMode: {
        const int n = parameter(0);
        pitchWidth = fontWidth(model.fonts[n & 1 && model.fonts.size() > 1 ? 1 : 0]);
        setStyle(Bold, n & 8);
        setStyle(DoubleHeight, n & 16);
        setStyle(DoubleWidth, n & 32);
        widthScale = 1;
        setStyle(Underline, n & 128);
        break;
    }
    case Action::CharacterSize:
    case Action::CharacterExpansion: {
        // GS ! n: width times 1 + the high nibble, height 1 + the low one;
        // Star's ESC i: height, then width, each 0 for once.
        const int n = parameter(0);
        const int wide = command.action == Action::CharacterSize ? (n >> 4 & 7) : parameter(1) & 7;
        const int high = command.action == Action::CharacterSize ? (n & 7) : n & 7;
        widthScale = wide + 1;
        setStyle(DoubleWidth, wide > 0);
        setStyle(DoubleHeight, high > 0);
        break;
    }
    case Action::Font: {
        const auto index = static_cast<std::size_t>(digitOrByte(parameter(0)));
        if (index < model.fonts.size()) {
            pitchWidth = fontWidth(model.fonts[index]);
            condensed = false;
        }
        break;
    }
    case Action::Align: {
        const int n = digitOrByte(parameter(0));
        alignment = n == 1 ? Alignment::Centre : n == 2 ? Alignment::Right : Alignment::Left;
        break;
    }
    case Action::LineSpacing:
        lineSpacing = static_cast<qint32>(toUnits(command.value, unit));
        break;
    case Action::LineSpacingUnits:
        lineSpacing = static_cast<qint32>(toUnits(parameter(0), unit, scale));
        break;
    case Action::StoreSpacing:
        storedSpacing = static_cast<qint32>(toUnits(parameter(0), unit, scale));
        break;
    case Action::ApplyStoredSpacing:
        lineSpacing = storedSpacing;
        break;
    case Action::FeedUnits:
        alignLine();
        lineFeed(static_cast<qint32>(toUnits(parameter(0), unit, scale)));
        break;
    case Action::ReverseFeedUnits:
        y = std::max(topMargin, y - static_cast<qint32>(toUnits(parameter(0), unit, scale)));
        break;
    case Action::FeedLines:
        alignLine();
        for (int i = 0; i < parameter(0) && !stopped; ++i)
            lineFeed(lineSpacing);
        break;
    case Action::ReverseFeedLines:
        y = std::max(topMargin, y - lineSpacing * parameter(0));
        row = std::max(0, row - parameter(0));
        break;
    case Action::HalfLineFeed:
        lineFeed(lineSpacing / 2);
        break;
    case Action::ReverseLineFeed:
    case Action::ReverseHalfLineFeed: {
        const qint32 amount
            = command.action == Action::ReverseHalfLineFeed ? lineSpacing / 2 : lineSpacing;
        y = std::max(0, y - amount);
        row = std::max(0, row - 1);
        break;
    }
    case Action::PageLengthLines:
        if (parameter(0) > 0)
            pageLength = std::min(sheet->printableLength, lineSpacing * parameter(0));
        break;
    case Action::PageLengthInches:
        if (parameter(0) > 0)
            pageLength = std::min(sheet->printableLength, UnitsPerInch * parameter(0));
        break;
    case Action::LeftMarginColumns:
        if (columnWidth() * parameter(0) < rightLimit)
            setLeftMargin(columnWidth() * parameter(0));
        break;
    case Action::RightMarginColumns:
        if (columnWidth() * parameter(0) > leftMargin)
            rightLimit = std::min(paperWidth, columnWidth() * parameter(0));
        break;
    case Action::MarginsColumns: {
        const qint32 left = columnWidth() * std::max(0, parameter(0) - 1);
        const qint32 right = std::min(paperWidth, columnWidth() * parameter(1));
        if (parameter(0) > 0 && left < rightLimit)
            setLeftMargin(left);
        if (parameter(1) > 0 && right > leftMargin)
            rightLimit = right;
        break;
    }
    case Action::LeftMarginUnits: {
        const auto left = toUnits(word(0), unit);
        if (left < rightLimit)
            setLeftMargin(static_cast<qint32>(left));
        break;
    }
    case Action::PrintWidthUnits: {
        const auto right = std::min<qint64>(paperWidth, leftMargin + toUnits(word(0), unit));
        if (right > leftMargin)
            rightLimit = static_cast<qint32>(right);
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
            rightLimit = std::min(x, paperWidth);
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
            pitchWidth = static_cast<qint32>(toUnits(parameter(0) - 1, unit));
            condensed = false;
        }
        break;
    case Action::VerticalIndex:
        if (parameter(0) > 1)
            lineSpacing = static_cast<qint32>(toUnits(parameter(0) - 1, unit));
        break;
    case Action::EndAttributes:
        setStyle(Bold | Underline, false);
        break;
    case Action::Cut:
        alignLine();
        carriageReturn();
        endPage(true);
        break;
    case Action::AbsoluteX:
        moveX(leftMargin + toUnits(word(0), unit));
        break;
    case Action::RelativeX:
        moveX(x
            + (signedWord(0) < 0 ? -toUnits(-signedWord(0), unit) : toUnits(signedWord(0), unit)));
        break;
    case Action::CharacterSpacing:
        spacing = static_cast<qint32>(toUnits(parameter(0), unit));
        break;
    case Action::CellWidth:
        if (word(0) > 0) {
            bool clamped = false;
            pitchWidth = within(double(toUnits(word(0), unit)), NarrowestCell, WidestCell, clamped);
            condensed = false;
        }
        break;
    case Action::SetDefinedUnit:
        if (parameter(0) > 0)
            definedUnit = double(UnitsPerInch) * parameter(0) / 3600;
        break;
    case Action::PageLengthDefined:
        if (word(0) > 0)
            pageLength = std::min<qint32>(
                sheet->printableLength, static_cast<qint32>(std::lround(word(0) * definedUnit)));
        break;
    case Action::AbsoluteYDefined:
    case Action::RelativeYDefined: {
        const double to = command.action == Action::AbsoluteYDefined
            ? topMargin + word(0) * definedUnit
            : y + signedWord(0) * definedUnit;
        if (to >= 0 && to < pageLength) {
            if (to > y)
                ++row;
            y = static_cast<qint32>(std::lround(to));
        }
        break;
    }
    case Action::AbsoluteXDefined:
        moveX(leftMargin + std::llround(word(0) * definedUnit));
        break;
    case Action::CodeTable: {
        int number = parameter(0);
        // ESC/P selects one of four slots that ESC ( t fills.
        if (slottedTables)
            number = tableSlots[std::size_t(digitOrByte(number) & 3)];
        for (const LanguageCodeTable &entry : model.codeTables) {
            if (entry.number == number)
                selectTable(entry.encoding);
        }
        break;
    }
    case Action::AssignCodeTable: {
        // d1 the slot (0-3 or '0'-'3'), d2 d3 the registered table.
        const int slot = digitOrByte(parameter(0));
        if (slot >= 0 && slot < 4)
            tableSlots[std::size_t(slot)] = parameter(1) * 256 + parameter(2);
        break;
    }
    case Action::InternationalSet: {
        const char *set = internationalSet(parameter(0));
        national = set ? characterTable(set) : nullptr;
        break;
    }
    default:
        // PCL's commands come with a value field (applyPcl).
        break;
    }
}

void ByteInterpreter::Private::applyPcl(
    const CommandMatch &match, QByteArrayView bytes, qint64 start)
{
    bool known = true;
    bool clamped = match.clamped;
    bool drawn = true;
    bool listed = false;
    for (const CommandMatch::PclField &field : match.pclFields) {
        if (!field.command) {
            known = false;
            continue;
        }
        const double v = field.value;
        const int n = static_cast<int>(std::clamp<double>(std::lround(v), -32767, 32767));
        const bool relative = field.relative;
        const auto position = [&](qint64 current, double unitsPerValue, qint64 origin) {
            return relative ? current + std::llround(v * unitsPerValue)
                            : origin + std::llround(v * unitsPerValue);
        };
        switch (field.command->action) {
        case Action::Ignore:
            if (field.command->bytes.startsWith("&p")) {
                undrawn(bytes, start,
                    QStringLiteral("ESC & p %1 X: %1 bytes of transparent print data, printed as "
                                   "characters")
                        .arg(n));
                listed = true;
            } else if (!pclGraphics(*field.command, field.parameter, v, bytes, start)) {
                drawn = false;
            }
            break;
        case Action::PclColumn: {
            // Columns count from the page's left edge, not the margin.
            const qint64 to = position(x, columnWidth(), 0);
            if (to < 0 || to > paperWidth)
                clamped = true;
            x = static_cast<qint32>(std::clamp<qint64>(to, 0, paperWidth));
            break;
        }
        case Action::PclHorizontalDecipoints:
        case Action::PclHorizontalDots: {
            const double per = field.command->action == Action::PclHorizontalDots
                ? double(UnitsPerInch) / pclUnit
                : UnitsPerInch / 720.0;
            const qint64 to = position(x, per, 0);
            if (to < 0 || to > paperWidth)
                clamped = true;
            x = static_cast<qint32>(std::clamp<qint64>(to, 0, paperWidth));
            break;
        }
        case Action::PclRow:
        case Action::PclVerticalDecipoints:
        case Action::PclVerticalDots: {
            const double per = field.command->action == Action::PclRow ? lineSpacing
                : field.command->action == Action::PclVerticalDots ? double(UnitsPerInch) / pclUnit
                                                                   : UnitsPerInch / 720.0;
            const qint64 to = position(y, per, topMargin);
            if (to < 0 || to >= pageLength)
                clamped = true;
            const qint32 at = static_cast<qint32>(std::clamp<qint64>(to, 0, pageLength - 1));
            if (at != y) {
                row = std::max(0, row + (at > y ? 1 : -1));
                y = at;
            }
            break;
        }
        case Action::PclUnitOfMeasure:
            pclUnit = within(v, 96, 7200, clamped);
            break;
        case Action::PclLinesPerInch:
            if (n > 0 && n <= 48)
                lineSpacing = UnitsPerInch / n;
            break;
        case Action::PclVerticalMotionIndex:
            if (v < 0)
                known = false;
            else if (v > 0)
                lineSpacing = within(v * UnitsPerInch / 48, 0, LargestSpacing, clamped);
            break;
        case Action::PclHorizontalMotionIndex:
            if (v > 0) {
                condensed = false;
                pitchWidth = within(v * UnitsPerInch / 120, NarrowestCell, WidestCell, clamped);
            }
            break;
        case Action::PclPageLength:
            if (n > 0)
                pageLength = std::min<qint64>(sheet->printableLength, qint64(n) * lineSpacing);
            break;
        case Action::PclTopMargin:
            if (n >= 0 && qint64(n) * lineSpacing < pageLength) {
                topMargin = n * lineSpacing;
                if (page.isEmpty())
                    y = std::max(y, topMargin);
            }
            break;
        case Action::PclTextLength:
            if (n > 0)
                pageLength
                    = std::min<qint64>(sheet->printableLength, topMargin + qint64(n) * lineSpacing);
            break;
        case Action::PclOrientation:
            if (n == 0 || n == 1)
                turnSheet(n == 1);
            break;
        case Action::PclPaperSource:
            if (n == 0 && !page.isEmpty()) {
                carriageReturn();
                endPage(true);
            }
            break;
        case Action::PclLeftMargin:
        case Action::PclRightMargin: {
            if (n < 0)
                break;
            const bool left = field.command->action == Action::PclLeftMargin;
            const qint64 at = qint64(columnWidth()) * n + (left ? 0 : columnWidth());
            if (left && at < rightLimit)
                leftMargin = static_cast<qint32>(at);
            else if (!left && at > leftMargin)
                rightLimit = static_cast<qint32>(std::min<qint64>(paperWidth, at));
            break;
        }
        case Action::PclClearMargins:
            leftMargin = 0;
            rightLimit = paperWidth;
            break;
        case Action::PclWrap:
            wrap = n == 0;
            break;
        case Action::PclUnderline:
            setStyle(Underline, field.command->value == 1);
            break;
        case Action::PclPitchMode:
            condensed = false;
            pitchWidth = n == 2 ? 130 : n == 4 ? UnitsPerInch / 12 : UnitsPerInch / 10;
            break;
        case Action::PclPitch:
            if (v > 0) {
                condensed = false;
                pitchWidth = within(UnitsPerInch / v, NarrowestCell, WidestCell, clamped);
            }
            break;
        case Action::PclStrokeWeight:
            setStyle(Bold, v > 0);
            break;
        case Action::PclStyle:
            setStyle(Italic, (n & 1) != 0);
            break;
        case Action::PclSymbolSet: {
            const int id = n * 32 + (field.parameter - '@');
            for (const LanguageCodeTable &entry : model.codeTables) {
                if (entry.number == id)
                    selectTable(entry.encoding);
            }
            break;
        }
        case Action::PclLineTermination:
            if (n >= 0 && n <= 3) {
                carriageReturnFeeds = n == 1 || n == 3;
                lineFeedReturns = n == 2 || n == 3;
            }
            break;
        case Action::PclPushPop:
            if (n == 0 && pushed.size() < DeepestPush) {
                pushed.emplace_back(x, y);
            } else if (n == 1 && !pushed.empty()) {
                x = std::min(pushed.back().first, paperWidth);
                y = std::min(pushed.back().second, pageLength - 1);
                pushed.pop_back();
            }
            break;
        default:
            apply(*field.command, {}, start);
            break;
        }
    }
    if (!known || clamped)
        mark(bytes, start, known && clamped);
    else if (!drawn && !listed)
        listIgnored(bytes, start);
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
        if (carriageReturnFeeds) {
            alignLine();
            lineFeed(lineSpacing);
        }
        break;
    case LF:
    case VT:
        alignLine();
        if (lineFeedReturns)
            carriageReturn();
        lineFeed(lineSpacing);
        break;
    case FF:
        alignLine();
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
        alignLine();
        carriageReturn();
        lineFeed(lineSpacing);
    }
    if (roomForGlyph())
        currentLine().glyphs.push_back(Glyph {x, width, sheetByte(byte),
            static_cast<quint8>(style | (doubleWidthLine || widthScale > 1 ? DoubleWidth : 0))});
    x += width;
}

// A receipt printer centres or right-aligns each line as it prints it.
void ByteInterpreter::Private::alignLine()
{
    const std::vector<std::size_t> images = std::exchange(lineImages, {});
    if (alignment == Alignment::Left)
        return;
    const auto found = lineAt.find(y);
    std::vector<Glyph> *glyphs
        = found == lineAt.end() ? nullptr : &page.lines[found->second].glyphs;
    qint32 end = 0;
    bool any = false;
    if (glyphs) {
        for (const Glyph &glyph : *glyphs)
            end = std::max(end, glyph.x + glyph.width);
        any = !glyphs->empty();
    }
    for (const std::size_t index : images) {
        const DotImage &image = page.images[index];
        end = std::max(end,
            image.x
                + static_cast<qint32>(
                    std::lround(image.columns * double(UnitsPerInch) / image.dotsPerInchX)));
        any = true;
    }
    if (!any)
        return;
    const qint32 free = rightLimit - end;
    const qint32 shift = alignment == Alignment::Centre ? free / 2 : free;
    if (shift <= 0)
        return;
    if (glyphs) {
        for (Glyph &glyph : *glyphs)
            glyph.x += shift;
    }
    for (const std::size_t index : images)
        page.images[index].x += shift;
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
    lineImages.clear();
    if (model.tallLinesFeedFurther && amount > 0)
        lowerTallLine();
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
    } else if (fed || !page.isEmpty() || pclRaster.rows > 0) {
        endPclRaster();
        page.number = ++pagesOut;
        if (sheet->roll) {
            qint32 bottom = 0;
            for (const Line &line : page.lines)
                bottom = std::max(bottom, line.y + line.height);
            for (const Marker &marker : page.markers)
                bottom = std::max(bottom, marker.y + lineSpacing);
            for (const UndrawnGraphics &box : page.undrawn)
                bottom = std::max(bottom, box.y + std::max(box.height, lineSpacing));
            for (const DotImage &image : page.images)
                bottom = std::max(bottom,
                    image.y
                        + static_cast<qint32>(
                            std::lround(image.rows * UnitsPerInch / image.dotsPerInchY)));
            page.height
                = std::min(sheet->height, sheet->top + std::max(y, bottom) + UnitsPerInch / 4);
        }
        sink.addPage(page);
    }
    page.lines.clear();
    page.markers.clear();
    page.images.clear();
    lineImages.clear();
    page.undrawn.clear();
    imageDotsOnSheet = 0;
    lineAt.clear();
    lowered.clear();
    glyphsOnSheet = 0;
    sheetFull = false;
    page.paper = sheet;
    page.height = sheet->height;
    y = topMargin;
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
        unknown.push_back(
            UnknownSequence {at, pagesOut + 1, bytes.toByteArray(), clamped, false, {}});
    ++unknownCount;
}

// Bit images and raster the preview draws; others stay ignored.
void ByteInterpreter::Private::startGraphics(
    const LanguageCommand &command, QByteArrayView parameters, qint64 start)
{
    const auto at = [&](qsizetype i) -> int {
        return i < parameters.size() ? static_cast<unsigned char>(parameters[i]) : 0;
    };
    const auto word = [&](qsizetype i) { return at(i) + 256 * at(i + 1); };
    const QLatin1StringView name(model.name);
    const bool receipt = name.startsWith(QLatin1StringView("escpos"));
    const bool star = name == QLatin1StringView("star-line");
    const bool dotMatrix
        = name.startsWith(QLatin1StringView("escp-")) || name == QLatin1StringView("proprinter");
    // Eight dots down a column: 1/72 inch apart on a 9-pin head, 1/60 on a
    // 24-pin one.
    const double eightPin = name == QLatin1StringView("escp-24pin") ? 60 : 72;
    Graphics g;
    const QByteArrayView bytes = command.bytes;
    if (dotMatrix && command.length == CommandLength::CountedData && bytes.size() == 2
        && QByteArrayView("KLYZ").contains(bytes[1])) {
        static constexpr std::array<double, 4> densities {60, 120, 120, 240};
        g.layout = Graphics::Columns;
        g.columns = word(0);
        g.dotsPerInchX = densities[std::size_t(QByteArrayView("KLYZ").indexOf(bytes[1]))];
        g.dotsPerInchY = eightPin;
    } else if (dotMatrix && command.length == CommandLength::ColumnImage) {
        const int m = at(0);
        static const std::map<int, double> densities {{0, 60}, {1, 120}, {2, 120}, {3, 240},
            {4, 80}, {5, 72}, {6, 90}, {7, 144}, {32, 60}, {33, 120}, {38, 90}, {39, 180},
            {40, 360}};
        const auto density = densities.find(m);
        if (density == densities.end())
            return;
        g.layout = Graphics::Columns;
        g.columns = word(1);
        g.dotsPerInchX = density->second;
        g.bytesPerColumn = m >= 32 ? 3 : 1;
        g.pins = m >= 32 ? 24 : 8;
        g.dotsPerInchY = m >= 32 ? 180 : eightPin;
    } else if (dotMatrix && command.length == CommandLength::ColumnImage2) {
        const int m = at(0);
        if (m > 1)
            return;
        g.layout = Graphics::Columns;
        g.columns = word(1);
        g.dotsPerInchX = m == 0 ? 60 : 120;
        g.bytesPerColumn = 2;
        g.pins = 9;
        g.dotsPerInchY = 72;
    } else if (receipt && command.length == CommandLength::ColumnImage) {
        // Single density halves the dots across; eight-dot modes space
        // their dots three printer dots apart.
        const int m = at(0);
        if (m != 0 && m != 1 && m != 32 && m != 33)
            return;
        g.layout = Graphics::Columns;
        g.columns = word(1);
        g.dotsPerInchX = model.dotsPerInch / ((m & 1) ? 1.0 : 2.0);
        g.bytesPerColumn = m >= 32 ? 3 : 1;
        g.pins = m >= 32 ? 24 : 8;
        g.dotsPerInchY = model.dotsPerInch / (m >= 32 ? 1.0 : 3.0);
    } else if (dotMatrix && command.length == CommandLength::EscpRaster) {
        // c v h m nL nH: m rows of n dots, v/3600 and h/3600 inch apart.
        const int v = at(1);
        const int h = at(2);
        if ((at(0) != 0 && at(0) != 1) || v == 0 || h == 0)
            return;
        g.layout = Graphics::Rows;
        g.columns = word(4);
        g.rows = at(3);
        g.dotsPerInchX = 3600.0 / h;
        g.dotsPerInchY = 3600.0 / v;
    } else if (star
        && (command.length == CommandLength::ColumnImage3
            || (command.length == CommandLength::CountedData && bytes.size() == 2
                && (bytes[1] == 'K' || bytes[1] == 'L')))) {
        // Fine density: 24 dots down at the head's density; standard and
        // high density: each dot of the data three printer dots high,
        // standard density three wide too.
        const bool fine = command.length == CommandLength::ColumnImage3;
        g.layout = Graphics::Columns;
        g.columns = word(0);
        g.dotsPerInchX = model.dotsPerInch / (bytes[1] == 'K' ? 3.0 : 1.0);
        g.bytesPerColumn = fine ? 3 : 1;
        g.pins = fine ? 24 : 8;
        g.dotsPerInchY = model.dotsPerInch / (fine ? 1.0 : 3.0);
    } else if (receipt && command.length == CommandLength::CountedData4) {
        // GS 8 L: the body is read whole, then handled as GS ( L's.
        const qint64 declared = word(0) + (qint64(word(2)) << 16);
        g.layout = Graphics::Body;
        g.keep = true;
        g.declared = declared;
        g.expected = std::min(declared, MostStoredBytes);
        g.start = start;
        g.header = QByteArrayView(pending).first(command.bytes.size() + 4).toByteArray();
        graphics = std::move(g);
        return;
    } else if (receipt && command.length == CommandLength::RasterImageBlocks) {
        // GS * x y: x * 8 columns of y bytes, kept for GS / to print.
        g.layout = Graphics::Columns;
        g.download = true;
        g.columns = at(0) * 8;
        g.bytesPerColumn = at(1);
        g.pins = at(1) * 8;
        g.dotsPerInchX = model.dotsPerInch;
        g.dotsPerInchY = model.dotsPerInch;
    } else if (receipt && command.length == CommandLength::RasterImage) {
        const int m = digitOrByte(at(0));
        if (m < 0 || m > 3)
            return;
        g.layout = Graphics::Rows;
        g.columns = word(1) * 8;
        g.rows = word(3);
        g.dotsPerInchX = model.dotsPerInch / ((m & 1) ? 2.0 : 1.0);
        g.dotsPerInchY = model.dotsPerInch / ((m & 2) ? 2.0 : 1.0);
        g.feeds = true;
    } else {
        return;
    }
    if (g.layout == Graphics::Columns)
        g.rows = g.pins;
    g.x = g.feeds ? alignedLeft(std::llround(g.columns * double(UnitsPerInch) / g.dotsPerInchX))
                  : x;
    g.y = y;
    const qint64 dots = qint64(g.columns) * g.rows;
    g.keep = dots > 0 && imageDotsOnSheet + dots <= ByteInterpreter::MostImageDotsPerSheet;
    g.expected = g.layout == Graphics::Rows ? qint64(g.rows) * ((g.columns + 7) / 8)
                                            : qint64(g.columns) * g.bytesPerColumn;
    if (g.download) {
        // Stored, not printed: counted against what the job may store.
        g.keep = dots > 0 && storedBytes + dots / 8 <= MostStoredBytes;
        if (g.keep)
            storedBytes += dots / 8;
        downloadedImage.reset();
        graphics = std::move(g);
        return;
    }
    if (g.keep) {
        imageDotsOnSheet += dots;
        g.data.reserve(static_cast<qsizetype>(g.expected));
    } else if (dots > 0) {
        leftOut.dots += dots;
        sheetIsFull();
    }
    graphics = std::move(g);
}

// The data has been read (or the job ended within it: the rest is blank).
void ByteInterpreter::Private::finishGraphics()
{
    Graphics g = std::move(graphics);
    graphics = Graphics();
    if (g.pclPlane) {
        pclPlaneRead(g);
        return;
    }
    if (g.layout == Graphics::Body) {
        storedGraphics(g.header, g.data, g.declared, g.start);
        return;
    }
    if (g.keep) {
        DotImage image {g.x, g.y, g.columns, g.rows, g.dotsPerInchX, g.dotsPerInchY, {}};
        const qsizetype stride = (g.columns + 7) / 8;
        if (g.layout == Graphics::Rows) {
            image.bits = g.data;
            image.bits.resize(stride * g.rows, '\0');
        } else {
            image.bits = QByteArray(stride * g.rows, '\0');
            const auto byteAt = [&](qsizetype i) {
                return i < g.data.size() ? static_cast<unsigned char>(g.data[i]) : 0;
            };
            char *bits = image.bits.data();
            for (qint32 column = 0; column < g.columns; ++column) {
                const qsizetype first = qsizetype(column) * g.bytesPerColumn;
                for (int pin = 0; pin < g.pins; ++pin) {
                    // 9-pin: the ninth dot is the second byte's highest bit.
                    const int byte = pin / 8;
                    if (!(byteAt(first + byte) & (0x80 >> (pin % 8))))
                        continue;
                    bits[pin * stride + column / 8] |= static_cast<char>(0x80 >> (column % 8));
                }
            }
        }
        if (g.download) {
            downloadedImage = StoredPicture {std::move(image.bits), g.columns, g.rows, false};
            return;
        }
        page.images.push_back(std::move(image));
        if (starLine() && !g.feeds)
            lineImages.push_back(page.images.size() - 1);
    }
    if (g.download)
        return;
    if (g.feeds) {
        feedPast(static_cast<qint32>(std::lround(g.rows * UnitsPerInch / g.dotsPerInchY)));
    } else {
        x = static_cast<qint32>(std::min<qint64>(
            rightLimit, std::llround(x + g.columns * UnitsPerInch / g.dotsPerInchX)));
    }
}

// Where a picture of width stands that a receipt printer places as ESC a
// aligns the line; others start at the left margin.
qint32 ByteInterpreter::Private::alignedLeft(qint64 width) const
{
    if (alignment == Alignment::Left
        || !QLatin1StringView(model.name).startsWith(QLatin1StringView("escpos")))
        return leftMargin;
    const qint64 free = std::max<qint64>(0, rightLimit - leftMargin - width);
    return leftMargin + static_cast<qint32>(alignment == Alignment::Centre ? free / 2 : free);
}

// The paper moves on below a picture of height; the head goes back.
void ByteInterpreter::Private::feedPast(qint32 height)
{
    carriageReturn();
    if (height > 0) {
        y += height;
        ++row;
        if (y > pageLength)
            endPage(true);
    }
}

// A picture made from stored data, on the sheet while it has room; the
// paper moves on below it (feeds) or the head past it.
void ByteInterpreter::Private::placeDots(DotImage image, bool feeds)
{
    const qint64 width = std::llround(image.columns * double(UnitsPerInch) / image.dotsPerInchX);
    const auto height
        = static_cast<qint32>(std::lround(image.rows * double(UnitsPerInch) / image.dotsPerInchY));
    image.x = feeds ? alignedLeft(width) : x;
    image.y = y;
    const qint64 dots = qint64(image.columns) * image.rows;
    if (imageDotsOnSheet + dots <= ByteInterpreter::MostImageDotsPerSheet) {
        imageDotsOnSheet += dots;
        page.images.push_back(std::move(image));
    } else {
        leftOut.dots += dots;
        sheetIsFull();
    }
    if (feeds)
        feedPast(height);
    else
        x = static_cast<qint32>(std::min<qint64>(rightLimit, x + width));
}

// Graphics the preview does not draw: a box of the size the command
// declares (columns by rows dots at dpiX by dpiY), else a one-line marker,
// and the command listed with the label. A box that feeds the paper (a
// raster picture) stands as the line's alignment puts it and the paper
// moves on below it; one in the line moves the head past it.
void ByteInterpreter::Private::undrawn(QByteArrayView listed, qint64 start, const QString &label,
    qint32 columns, qint32 rows, double dpiX, double dpiY, bool feeds)
{
    listIgnored(listed, start, label);
    const bool sized = columns > 0 && rows > 0 && dpiX > 0 && dpiY > 0;
    const qint32 width = sized ? static_cast<qint32>(std::min<qint64>(
                             WidestCell, std::llround(columns * double(UnitsPerInch) / dpiX)))
                               : 0;
    const qint32 height = sized ? static_cast<qint32>(std::min<qint64>(
                              LargestSpacing, std::llround(rows * double(UnitsPerInch) / dpiY)))
                                : 0;
    const qint32 left = sized && feeds ? alignedLeft(width) : x;
    if (page.undrawn.size() < std::size_t(ByteInterpreter::MostMarkersPerSheet)) {
        page.undrawn.push_back(UndrawnGraphics {
            start, left, y, row, width, height, sized ? columns : 0, sized ? rows : 0, label});
    } else {
        ++leftOut.markers;
        sheetIsFull();
    }
    if (!sized)
        return;
    if (feeds)
        feedPast(height);
    else
        x = std::min(rightLimit, x + width);
}

// Commands that print graphics the preview does not draw, each shown as
// undrawn() shows them; false for the others (drawer pulses, settings),
// which print nothing and are only listed.
bool ByteInterpreter::Private::undrawnCommand(
    const LanguageCommand &command, QByteArrayView parameters, QByteArrayView listed, qint64 start)
{
    const auto at = [&](qsizetype i) -> int {
        return i < parameters.size() ? static_cast<unsigned char>(parameters[i]) : 0;
    };
    const auto word = [&](qsizetype i) { return at(i) + 256 * at(i + 1); };
    const QLatin1StringView name(model.name);
    const bool receipt = name.startsWith(QLatin1StringView("escpos"));
    const QByteArrayView bytes = command.bytes;
    const QString title = QString::fromLatin1(command.name);
    const double dpi = model.dotsPerInch;
    // Printed one way or another, but what and how large is not known.
    const auto line = [&](const QString &what) {
        undrawn(listed.first(std::min<qsizetype>(listed.size(), 16)), start,
            QStringLiteral("%1: %2").arg(title, what));
        return true;
    };
    if (receipt && bytes == QByteArrayView("\x1d/", 2)) {
        // GS / m: GS *'s image, twice as wide (m 1, 3) or high (m 2, 3).
        const int m = digitOrByte(at(0));
        if (m < 0 || m > 3)
            return line(QStringLiteral("mode %1 is not one the printer knows").arg(at(0)));
        if (!downloadedImage)
            return line(QStringLiteral("no downloaded bit image is defined in the job"));
        placeDots(
            DotImage {0, 0, downloadedImage->columns, downloadedImage->rows,
                dpi / ((m & 1) ? 2.0 : 1.0), dpi / ((m & 2) ? 2.0 : 1.0), downloadedImage->bits},
            false);
        return true;
    }
    if (receipt && bytes == QByteArrayView("\x1cp", 2))
        return line(QStringLiteral("NV bit image %1, stored in the printer").arg(at(0)));
    if (receipt && command.length == CommandLength::RasterImage) {
        // GS v 0 in a mode the printer does not know: its size is known.
        undrawn(listed.first(std::min<qsizetype>(listed.size(), 8)), start,
            QStringLiteral("%1: mode %2 is not one the printer knows, %3 x %4 dots")
                .arg(title)
                .arg(at(0))
                .arg(word(1) * 8)
                .arg(word(3)),
            word(1) * 8, word(3), dpi, dpi, true);
        return true;
    }
    if (command.length == CommandLength::ColumnImage
        || command.length == CommandLength::ColumnImage2)
        return line(QStringLiteral("density %1 is not one the printer knows, %2 columns")
                        .arg(at(0))
                        .arg(word(1)));
    if (command.length == CommandLength::EscpRaster)
        return line(QStringLiteral("%1 x %2 dots at spacings %3 and %4 of 1/3600 inch")
                        .arg(word(4))
                        .arg(at(3))
                        .arg(at(2))
                        .arg(at(1)));
    if (bytes == QByteArrayView("\x1b(B", 3))
        return line(QStringLiteral("bar codes are not drawn"));
    if (bytes == QByteArrayView("\x1b(^", 3))
        return line(QStringLiteral("%1 bytes printed as characters").arg(word(0)));
    return false;
}

// ESC/POS's GS ( L and GS 8 L: header is the command up to its function's
// parameters (for the list), body the function and its data, of which the
// command counted declared bytes (body holds fewer where they were more
// than the preview keeps). Graphics stored in the print buffer print with
// function 50, those stored by key with 69 (NV) and 85 (download).
void ByteInterpreter::Private::storedGraphics(
    QByteArrayView header, QByteArrayView body, qint64 declared, qint64 start)
{
    const auto at = [&](qsizetype i) -> int {
        return i < body.size() ? static_cast<unsigned char>(body[i]) : 0;
    };
    const auto word = [&](qsizetype i) { return at(i) + 256 * at(i + 1); };
    const int fn = at(1);
    const QString title = header.startsWith("\x1d(") ? QStringLiteral("GS ( L function %1").arg(fn)
                                                     : QStringLiteral("GS 8 L function %1").arg(fn);
    const double dpi = model.dotsPerInch;
    const bool whole = declared == body.size();
    // Pictures in rows: [c d1...dk] after their size, k = (x + 7) / 8 * y.
    const auto rowsOf = [&](qint64 from, qint32 columns, qint32 rows) {
        const qint64 size = qint64((columns + 7) / 8) * rows;
        QByteArray bits = from < body.size()
            ? body.sliced(qsizetype(from))
                  .first(qsizetype(std::min(size, body.size() - from)))
                  .toByteArray()
            : QByteArray();
        bits.resize(static_cast<qsizetype>(size), '\0');
        return bits;
    };
    const auto fits = [&](qint32 columns, qint32 rows) {
        const qint64 size = qint64((columns + 7) / 8) * rows;
        if (storedBytes + size > MostStoredBytes)
            return false;
        storedBytes += size;
        return true;
    };
    switch (fn) {
    case 112:
    case 113: {
        // a bx by c xL xH yL yH d1...dk: into the print buffer, one colour.
        const int tone = at(2), bx = at(3), by = at(4), colour = at(5);
        const qint32 columns = word(6), rows = word(8);
        if ((tone != 48 && tone != 52) || bx < 1 || bx > 2 || by < 1 || by > 2 || colour < 49
            || colour > 52 || columns < 1 || rows < 1) {
            listIgnored(header, start, QStringLiteral("%1: parameters out of range").arg(title));
            return;
        }
        const bool columnData = fn == 113;
        if (!columnData && !whole) {
            undrawn(header, start,
                QStringLiteral("%1: %2 x %3 dots, more data than the preview keeps")
                    .arg(title)
                    .arg(columns)
                    .arg(rows),
                columns, rows, dpi / bx, dpi / by, true);
            return;
        }
        if (!columnData && !fits(columns, rows)) {
            listIgnored(header, start,
                QStringLiteral("%1: more stored graphics than the preview keeps").arg(title));
            return;
        }
        printBuffer[std::size_t(colour - 49)] = StoredPicture {
            columnData ? QByteArray() : rowsOf(10, columns, rows), columns, rows, columnData};
        bufferScaleX = bx;
        bufferScaleY = by;
        return;
    }
    case 2:
    case 50: {
        // The print buffer's colours, a dot of any colour or tone printed.
        qint32 columns = 0, rows = 0;
        bool columnData = false;
        for (const StoredPicture &plane : printBuffer) {
            columns = std::max(columns, plane.columns);
            rows = std::max(rows, plane.rows);
            columnData = columnData || plane.columnData;
        }
        const double dpiX = dpi / bufferScaleX;
        const double dpiY = dpi / bufferScaleY;
        if (columns == 0) {
            // An empty buffer prints nothing.
        } else if (qint64(columns) * rows > ByteInterpreter::MostImageDotsPerSheet) {
            // Colours of different shapes: together more than a sheet keeps.
            undrawn(header, start,
                QStringLiteral("%1: %2 x %3 dots, more than a sheet keeps")
                    .arg(title)
                    .arg(columns)
                    .arg(rows),
                columns, rows, dpiX, dpiY, true);
        } else if (columnData) {
            undrawn(header, start,
                QStringLiteral("%1: graphics stored in columns are not drawn, %2 x %3 dots")
                    .arg(title)
                    .arg(columns)
                    .arg(rows),
                columns, rows, dpiX, dpiY, true);
        } else {
            const qsizetype stride = (columns + 7) / 8;
            QByteArray bits(stride * rows, '\0');
            for (const StoredPicture &plane : printBuffer) {
                const qsizetype planeStride = (plane.columns + 7) / 8;
                for (qint32 r = 0; r < plane.rows; ++r)
                    for (qsizetype i = 0; i < planeStride; ++i)
                        bits[r * stride + i] = static_cast<char>(
                            bits[r * stride + i] | plane.bits[r * planeStride + i]);
            }
            placeDots(DotImage {0, 0, columns, rows, dpiX, dpiY, std::move(bits)}, true);
        }
        printBuffer = {};
        return;
    }
    case 67:
    case 68:
    case 83:
    case 84: {
        // a kc1 kc2 b xL xH yL yH [c d1...dk]...: b colours of a picture
        // stored by its key code.
        const int key = at(3) * 256 + at(4);
        const int colours = at(5);
        const qint32 columns = word(6), rows = word(8);
        const bool columnData = fn == 68 || fn == 84;
        std::map<int, StoredPicture> &stored = fn < 80 ? nvGraphics : downloadGraphics;
        if (colours < 1 || colours > 4 || columns < 1 || rows < 1) {
            listIgnored(header, start, QStringLiteral("%1: parameters out of range").arg(title));
            return;
        }
        StoredPicture picture {{}, columns, rows, columnData};
        if (!columnData) {
            if (!whole || !fits(columns, rows)) {
                stored.erase(key);
                listIgnored(header, start,
                    QStringLiteral("%1: more stored graphics than the preview keeps").arg(title));
                return;
            }
            const qint64 planeBytes = qint64((columns + 7) / 8) * rows;
            picture.bits = QByteArray(static_cast<qsizetype>(planeBytes), '\0');
            for (int c = 0; c < colours; ++c) {
                const QByteArray plane = rowsOf(11 + c * (planeBytes + 1), columns, rows);
                for (qsizetype i = 0; i < plane.size(); ++i)
                    picture.bits[i] = static_cast<char>(picture.bits[i] | plane[i]);
            }
        }
        stored[key] = std::move(picture);
        return;
    }
    case 69:
    case 85: {
        // kc1 kc2 x y: the picture of the key, x and y times as large.
        const int key = at(2) * 256 + at(3);
        const int sx = at(4), sy = at(5);
        const std::map<int, StoredPicture> &stored = fn == 69 ? nvGraphics : downloadGraphics;
        const auto found = stored.find(key);
        const QByteArray key2 = QByteArray(1, char(at(2))) + char(at(3));
        const bool printable = at(2) > 32 && at(2) < 127 && at(3) > 32 && at(3) < 127;
        const QString keyName = QString::fromLatin1(printable ? key2 : readableBytes(key2));
        if (sx < 1 || sx > 2 || sy < 1 || sy > 2) {
            listIgnored(header, start, QStringLiteral("%1: parameters out of range").arg(title));
        } else if (found == stored.end()) {
            undrawn(header, start,
                QStringLiteral("%1: graphics %2, not defined in the job").arg(title, keyName));
        } else if (found->second.columnData) {
            undrawn(header, start,
                QStringLiteral("%1: graphics %2 stored in columns are not drawn, %3 x %4 dots")
                    .arg(title, keyName)
                    .arg(found->second.columns)
                    .arg(found->second.rows),
                found->second.columns, found->second.rows, dpi / sx, dpi / sy, true);
        } else {
            placeDots(DotImage {0, 0, found->second.columns, found->second.rows, dpi / sx, dpi / sy,
                          found->second.bits},
                true);
        }
        return;
    }
    case 65:
        nvGraphics.clear();
        return;
    case 66:
        // kc1 kc2
        nvGraphics.erase(at(2) * 256 + at(3));
        return;
    case 81:
        downloadGraphics.clear();
        return;
    case 82:
        downloadGraphics.erase(at(2) * 256 + at(3));
        return;
    default:
        // Settings and what the printer reports: nothing printed.
        return;
    }
}

// PCL's raster and rectangle commands; false for others, which are not
// drawn.
bool ByteInterpreter::Private::pclGraphics(const LanguageCommand &command, char parameter,
    double value, QByteArrayView bytes, qint64 start)
{
    if (command.bytes.size() < 2 || command.bytes[0] != '*')
        return false;
    const char group = command.bytes[1];
    const int n = static_cast<int>(std::clamp(value, -32767.0, 32767.0));
    PclRaster &r = pclRaster;
    if (group == 't' && parameter == 'R') {
        if (n == 75 || n == 100 || n == 150 || n == 200 || n == 300 || n == 600)
            r.resolution = n;
        return true;
    }
    if (group == 'r') {
        switch (parameter) {
        case 'A':
            endPclRaster();
            r.started = true;
            r.left = n == 1 ? x : 0;
            r.top = y;
            return true;
        case 'S':
            r.width = std::clamp(n, 0, qint32(WidestPclRow * 8));
            return true;
        case 'T':
            return true;
        case 'B':
        case 'C':
            endPclRaster();
            if (parameter == 'C')
                r.method = 0;
            return true;
        default:
            return false;
        }
    }
    if (group == 'b') {
        switch (parameter) {
        case 'M':
            r.method = n;
            return true;
        case 'Y':
            // Blank rows; the seed rows start again from nothing.
            if (n > 0) {
                if (!r.started) {
                    r.started = true;
                    r.left = 0;
                    r.top = y;
                }
                r.rows += std::min(n, 32767);
                r.seeds.clear();
            }
            return true;
        case 'W':
        case 'V': {
            if (!r.started) {
                r.started = true;
                r.left = 0;
                r.top = y;
            }
            Graphics g;
            g.layout = Graphics::Rows;
            g.pclPlane = true;
            g.pclLastPlane = parameter == 'W';
            g.keep = true;
            g.expected = std::min<qint64>(std::max(n, 0), 4 * WidestPclRow);
            g.start = start;
            g.header = bytes.toByteArray();
            graphics = std::move(g);
            return true;
        }
        default:
            return false;
        }
    }
    if (group == 'c') {
        switch (parameter) {
        case 'A':
            pclRectangleWidth = std::max(n, 0);
            return true;
        case 'B':
            pclRectangleHeight = std::max(n, 0);
            return true;
        case 'P': {
            // Solid black (0) is drawn; white, shades and patterns are
            // boxes of the rectangle. The cursor stays.
            const qint64 w = toUnits(pclRectangleWidth, pclUnit);
            const qint64 h = toUnits(pclRectangleHeight, pclUnit);
            if (w <= 0 || h <= 0)
                return true;
            if (n != 0) {
                static constexpr std::array<const char *, 6> fills {
                    "", "white", "shaded", "cross-hatched", "user-defined", "current pattern"};
                const qint32 head = x;
                undrawn(bytes, start,
                    QStringLiteral("ESC * c %1 P: %2 rectangle fill, %3 x %4 dots")
                        .arg(n)
                        .arg(QLatin1StringView(n > 0 && n < 6 ? fills[std::size_t(n)] : "unknown"))
                        .arg(pclRectangleWidth)
                        .arg(pclRectangleHeight),
                    pclRectangleWidth, pclRectangleHeight, pclUnit, pclUnit);
                x = head;
                return true;
            }
            if (page.images.size() >= std::size_t(ByteInterpreter::MostMarkersPerSheet)) {
                ++leftOut.dots;
                sheetIsFull();
                return true;
            }
            // One dot as large as the rectangle.
            page.images.push_back(DotImage {x, y, 1, 1, double(UnitsPerInch) / double(w),
                double(UnitsPerInch) / double(h), QByteArray(1, '\x80')});
            return true;
        }
        default:
            return false;
        }
    }
    return false;
}

// One plane of a raster row has been read: ORed into the row, which a W
// completes.
void ByteInterpreter::Private::pclPlaneRead(const Graphics &plane)
{
    const bool last = plane.pclLastPlane;
    PclRaster &r = pclRaster;
    if (r.seeds.size() <= std::size_t(r.plane))
        r.seeds.resize(std::size_t(r.plane) + 1);
    QByteArray &seed = r.seeds[std::size_t(r.plane)];
    const bool decoded = decodePclRow(r.method, plane.data, seed);
    if (!decoded && pclUndecodedFrom < 0) {
        // Shown as a box over the rows from here when the block ends.
        pclUndecodedFrom = r.rows;
        pclUndecodedMethod = r.method;
        pclUndecodedStart = plane.start;
        pclUndecodedBytes = plane.header;
    }
    if (decoded) {
        if (r.row.size() < seed.size())
            r.row.resize(seed.size(), '\0');
        for (qsizetype i = 0; i < seed.size(); ++i)
            r.row[i] = static_cast<char>(r.row[i] | seed[i]);
    }
    r.plane = std::min(r.plane + 1, 16);
    if (!last)
        return;
    r.plane = 0;
    QByteArray row = std::move(r.row);
    r.row.clear();
    if (r.width > 0)
        row.truncate((r.width + 7) / 8);
    const qsizetype stride = std::max(r.stride, row.size());
    const qint64 dots = qint64(stride) * 8 * (r.rows + 1);
    if (r.full || imageDotsOnSheet - r.dots + dots > ByteInterpreter::MostImageDotsPerSheet) {
        if (!r.full)
            sheetIsFull();
        r.full = true;
        leftOut.dots += qint64(row.size()) * 8;
        ++r.rows;
        return;
    }
    if (stride > r.stride && r.rows > 0) {
        // Wider than the rows before: they are widened.
        QByteArray wider(stride * r.rows, '\0');
        for (qint32 i = 0; i < r.rows; ++i)
            std::copy_n(r.bits.constData() + i * r.stride, r.stride, wider.data() + i * stride);
        r.bits = std::move(wider);
    }
    r.stride = stride;
    r.bits.resize(r.stride * r.rows, '\0');
    row.resize(r.stride, '\0');
    r.bits += row;
    ++r.rows;
    imageDotsOnSheet += dots - r.dots;
    r.dots = dots;
}

// The raster block ends: its rows go on the sheet and the cursor below them.
void ByteInterpreter::Private::endPclRaster()
{
    PclRaster &r = pclRaster;
    if (r.started && r.rows > 0) {
        if (r.stride > 0 && !r.bits.isEmpty()) {
            const qint32 kept = static_cast<qint32>(r.bits.size() / r.stride);
            page.images.push_back(DotImage {r.left, r.top, static_cast<qint32>(r.stride * 8), kept,
                double(r.resolution), double(r.resolution), r.bits});
        }
        if (pclUndecodedFrom >= 0) {
            // The rows from the first undecoded one on: a box as wide as
            // the raster's width (*r#S) or its widest row.
            const qint32 head = x;
            const qint32 line = y;
            x = r.left;
            y = static_cast<qint32>(r.top + toUnits(pclUndecodedFrom, r.resolution));
            const qint32 columns = r.width > 0 ? r.width : static_cast<qint32>(r.stride * 8);
            const qint32 rows = r.rows - pclUndecodedFrom;
            undrawn(pclUndecodedBytes, pclUndecodedStart,
                QStringLiteral("ESC * b %1 M: raster rows in compression method %1 are not "
                               "decoded, %2 x %3 dots")
                    .arg(pclUndecodedMethod)
                    .arg(columns)
                    .arg(rows),
                columns, rows, r.resolution, r.resolution);
            x = head;
            y = line;
        }
        const qint64 below = r.top + toUnits(r.rows, r.resolution);
        y = static_cast<qint32>(std::clamp<qint64>(below, 0, std::max(0, pageLength - 1)));
    }
    pclUndecodedFrom = -1;
    const int resolution = r.resolution;
    const int method = r.method;
    const qint32 width = r.width;
    r = PclRaster();
    r.resolution = resolution;
    r.method = method;
    r.width = width;
}

// ESC/POS's and Star's barcodes and QR codes: settings are kept, symbols
// drawn at the start of a line as the alignment in force places them; what
// cannot be drawn is listed with the reason. False for other commands.
bool ByteInterpreter::Private::readSymbol(
    const LanguageCommand &command, QByteArrayView parameters, qint64 start)
{
    const bool star = starLine();
    if (star ? !command.bytes.startsWith('\x1b')
             : !QLatin1StringView(model.name).startsWith(QLatin1StringView("escpos"))
                || !command.bytes.startsWith('\x1d'))
        return false;
    const QByteArrayView listed
        = QByteArrayView(pending).first(command.bytes.size() + parameters.size());
    // GS k m n and ESC GS y D 1 m nL nH: the data follows; it is read as
    // it is passed over.
    if (!star && command.bytes == QByteArrayView("\x1dk", 2) && parameters.size() == 2
        && static_cast<unsigned char>(parameters[0]) >= 65 && parameters[1] != 0) {
        countedSymbol = CountedSymbol {listed.toByteArray(), {}, start, 2};
        return true;
    }
    if (star && command.bytes == QByteArrayView("\x1b\x1dyD1", 5) && parameters.size() == 3
        && (parameters[1] != 0 || parameters[2] != 0)) {
        countedSymbol = CountedSymbol {listed.toByteArray(), {}, start, 5};
        return true;
    }
    // Star prints what the line holds before the QR code.
    if (star && command.bytes == QByteArrayView("\x1b\x1dyP", 4) && x != leftMargin) {
        alignLine();
        carriageReturn();
        lineFeed(lineSpacing);
    }
    const SymbolStep step = symbolStep(command.bytes, parameters);
    if (step.kind == SymbolStep::Other)
        return false;
    placeSymbol(step, listed, start);
    return true;
}

SymbolStep ByteInterpreter::Private::symbolStep(QByteArrayView command, QByteArrayView parameters)
{
    return starLine() ? starSymbols.read(command, parameters) : symbols.read(command, parameters);
}

// A byte of Star's raster mode: rows are gathered, other steps applied.
void ByteInterpreter::Private::starRasterByte(unsigned char byte, qint64 at)
{
    const std::optional<StarRasterReader::Step> step = starRaster->feed(static_cast<char>(byte));
    if (!step)
        return;
    switch (step->kind) {
    case StarRasterReader::Step::Row: {
        // Rows a picture could not hold go as they come.
        if (rasterRows.size() >= 4096 || rasterBytes >= 4 * 1024 * 1024)
            flushRaster();
        if (rasterRows.empty())
            rasterTop = y;
        if (!rasterRowOpen)
            rasterRows.emplace_back();
        QByteArray &row = rasterRows.back();
        if (row.size() < step->data.size()) {
            rasterBytes += step->data.size() - row.size();
            row.resize(step->data.size(), '\0');
        }
        for (qsizetype i = 0; i < step->data.size(); ++i)
            row[i] = static_cast<char>(row[i] | step->data[i]);
        rasterRowOpen = !step->advance;
        break;
    }
    case StarRasterReader::Step::BlankRows:
        flushRaster();
        if (step->count > 0) {
            y += static_cast<qint32>(std::min<qint64>(LargestSpacing,
                std::llround(step->count * double(UnitsPerInch) / model.dotsPerInch)));
            ++row;
            if (y > pageLength)
                endPage(true);
        }
        break;
    case StarRasterReader::Step::Quit:
        flushRaster();
        starRaster.reset();
        break;
    case StarRasterReader::Step::Setting:
        break;
    case StarRasterReader::Step::Unknown:
        mark(step->data, at + 1 - step->data.size());
        break;
    }
}

// The raster rows gathered: one picture at the left margin, the paper
// moved on below it.
void ByteInterpreter::Private::flushRaster()
{
    rasterRowOpen = false;
    rasterBytes = 0;
    if (rasterRows.empty())
        return;
    const std::vector<QByteArray> rows = std::exchange(rasterRows, {});
    qsizetype stride = 0;
    for (const QByteArray &r : rows)
        stride = std::max(stride, r.size());
    const qint32 count = static_cast<qint32>(rows.size());
    const qint64 dots = qint64(stride) * 8 * count;
    if (dots > 0 && imageDotsOnSheet + dots <= ByteInterpreter::MostImageDotsPerSheet) {
        imageDotsOnSheet += dots;
        DotImage image {leftMargin, rasterTop, static_cast<qint32>(stride * 8), count,
            double(model.dotsPerInch), double(model.dotsPerInch), {}};
        image.bits.reserve(stride * count);
        for (const QByteArray &r : rows)
            image.bits += r + QByteArray(stride - r.size(), '\0');
        page.images.push_back(std::move(image));
    } else if (dots > 0) {
        leftOut.dots += dots;
        sheetIsFull();
    }
    carriageReturn();
    y = rasterTop
        + static_cast<qint32>(std::lround(count * double(UnitsPerInch) / model.dotsPerInch));
    ++row;
    if (y > pageLength)
        endPage(true);
}

void ByteInterpreter::Private::placeSymbol(SymbolStep step, QByteArrayView listed, qint64 start)
{
    if (step.kind == SymbolStep::Draw && x != leftMargin) {
        step.kind = SymbolStep::Refused;
        step.reason = QStringLiteral("a symbol prints only at the start of a line");
    }
    std::optional<DotImage> image;
    if (step.kind == SymbolStep::Draw) {
        static constexpr GraphicsAlignment alignments[] {
            GraphicsAlignment::Left, GraphicsAlignment::Center, GraphicsAlignment::Right};
        image = symbolImage(
            step.bitmap, model.dotsPerInch, leftMargin, rightLimit, alignments[int(alignment)], y);
        if (!image) {
            step.kind = SymbolStep::Refused;
            step.reason = QStringLiteral("the symbol is %1 dots wide, wider than the line")
                              .arg(step.bitmap.width());
        }
    }
    // A symbol the printer prints and the preview does not draw is a
    // one-line box where it starts.
    if (step.kind == SymbolStep::Refused && step.printed && x == leftMargin)
        undrawn(listed.first(std::min<qsizetype>(listed.size(), 16)), start, step.reason);
    else if (step.kind == SymbolStep::Refused)
        listIgnored(listed, start, step.reason);
    if (!image)
        return;
    const qint64 dots = qint64(image->columns) * image->rows;
    if (imageDotsOnSheet + dots <= ByteInterpreter::MostImageDotsPerSheet) {
        imageDotsOnSheet += dots;
        page.images.push_back(*image);
    } else {
        leftOut.dots += dots;
        sheetIsFull();
    }
    // The paper moves on below the symbol.
    carriageReturn();
    y += static_cast<qint32>(std::lround(image->rows * double(UnitsPerInch) / model.dotsPerInch));
    ++row;
    if (!step.belowText.isEmpty()) {
        // A line of the first font's characters, centred under the bars.
        const qint32 cell = fontWidth(model.fonts.front());
        const qint32 width = static_cast<qint32>(
            std::lround(image->columns * double(UnitsPerInch) / model.dotsPerInch));
        qint32 left = image->x + (width - cell * qint32(step.belowText.size())) / 2;
        left = std::max(
            leftMargin, std::min(left, rightLimit - cell * qint32(step.belowText.size())));
        for (const char byte : std::as_const(step.belowText)) {
            if (roomForGlyph())
                currentLine().glyphs.push_back(
                    Glyph {left, cell, sheetByte(static_cast<unsigned char>(byte)), 0});
            left += cell;
        }
        y += lineSpacing;
        ++row;
    }
    if (y > pageLength)
        endPage(true);
}

void ByteInterpreter::Private::listIgnored(QByteArrayView bytes, qint64 at, const QString &reason)
{
    if (ignored.size() < ListedUnknown)
        ignored.push_back(
            UnknownSequence {at, pagesOut + 1, bytes.toByteArray(), false, true, reason});
    ++ignoredCount;
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
    if (d->graphics.layout != Graphics::None)
        d->finishGraphics();
    // Raster mode to the end of the job: its rows are printed.
    if (d->starRaster) {
        if (!d->starRaster->pending().isEmpty())
            d->mark(d->starRaster->pending(), d->offset - d->starRaster->pending().size());
        d->flushRaster();
        d->starRaster.reset();
    }
    // A barcode whose data the job cut short is not printed.
    if (d->countedSymbol) {
        d->listIgnored(d->countedSymbol->header, d->countedSymbol->start,
            QStringLiteral("bar code data ends early"));
        d->countedSymbol.reset();
    }
    d->skip = 0;
    d->runLength = 0;
    d->literal = 0;
    d->repeatedByte = false;
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

const std::vector<UnknownSequence> &ByteInterpreter::ignoredCommands() const
{
    return d->ignored;
}

qint64 ByteInterpreter::ignoredCommandCount() const
{
    return d->ignoredCount;
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

// A printer language as data: the commands a printer reads, how long each
// is, what it does to the page, and the dot geometry it counts in. One table
// per language (src/languages/); readers such as the preview look commands
// up here instead of knowing each language themselves.
#pragma once

#include <zantoquiller/core_export.h>
#include <zantoquiller/types.h>

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <span>
#include <vector>

namespace Zanto {

/// What a command does to the page. The number it acts on comes from its
/// parameter bytes (see LanguageCommand::value and LanguageCommand::unit for
/// the scale).
enum class CommandAction : quint8 {
    Ignore, ///< Known but not drawn (graphics, barcodes, cutter, drawer): listed as ignored.
    NoEffect, ///< Known; changes nothing on the laid-out page (print quality, status).
    Reset, ///< Back to the power-on state; value 1: a page printer's, which prints the page first.
    BoldOn, ///< Emphasis on.
    BoldOff, ///< Emphasis off.
    BoldSwitch, ///< Emphasis on when bit 0 of the first parameter is set.
    ItalicOn, ///< Italic on.
    ItalicOff, ///< Italic off.
    UnderlineOn, ///< Underline on.
    UnderlineOff, ///< Underline off.
    UnderlineSwitch, ///< Underline on when the first parameter is 1, 2, '1' or '2'.
    SuperscriptOn, ///< Superscript on.
    SubscriptOn, ///< Subscript on.
    ScriptOff, ///< Superscript and subscript off.
    ScriptSwitch, ///< Parameter 0 or '0' superscript, 1 or '1' subscript.
    Pitch, ///< value characters per inch.
    CondensedOn, ///< Condensed print on.
    CondensedOff, ///< Condensed print off.
    DoubleWidthLine, ///< Double width until the line ends.
    DoubleWidthOff, ///< Double width off.
    DoubleWidthSwitch, ///< Double width on when bit 0 of the parameter is set.
    DoubleHeightSwitch, ///< Double height on when bit 0 of the parameter is set.
    DotMatrixPrintMode, ///< ESC/P's ESC ! bit field (12 cpi, condensed, bold, double width ...).
    ReceiptPrintMode, ///< ESC/POS's ESC ! bit field (font B, bold, double height and width ...).
    CharacterSize, ///< ESC/POS's GS ! n: width and height each 1 to 8 times.
    CharacterExpansion, ///< Two parameters: height and width expansion, 0 for none (Star).
    Font, ///< The parameter (0 or '0', 1 or '1' ...) selects one of the language's fonts.
    Align, ///< Parameter 0 left, 1 centre, 2 right (or '0', '1', '2').
    LineSpacing, ///< value/unit inch.
    LineSpacingUnits, ///< The parameter times value/unit inch (value 0 counts as 1).
    StoreSpacing, ///< The parameter times value/unit inch, kept for ApplyStoredSpacing.
    ApplyStoredSpacing, ///< The spacing kept by StoreSpacing.
    FeedUnits, ///< Advance the paper by the parameter times value/unit inch.
    ReverseFeedUnits, ///< Back the paper by the parameter times value/unit inch.
    FeedLines, ///< Advance the paper by the parameter times the line spacing.
    ReverseFeedLines, ///< Back the paper by the parameter times the line spacing.
    HalfLineFeed, ///< Advance by half the line spacing.
    ReverseLineFeed, ///< Back by one line spacing.
    ReverseHalfLineFeed, ///< Back by half the line spacing.
    PageLengthLines, ///< Form length: the parameter times the line spacing.
    PageLengthInches, ///< Form length: the parameter in inches.
    LeftMarginColumns, ///< Left margin at the parameter's column.
    RightMarginColumns, ///< Right margin after the parameter's column.
    MarginsColumns, ///< Two parameters: the left and right margins' columns, from 1.
    LeftMarginUnits, ///< Two bytes, low first, times 1/unit inch.
    PrintWidthUnits, ///< Two bytes, low first, times 1/unit inch from the left margin.
    SetTabs, ///< Parameters: tab stop columns, up to a 0.
    LeftMarginHere, ///< Left margin where the carriage is.
    RightMarginHere, ///< Right margin where the carriage is.
    TabStopHere, ///< A tab stop where the carriage is.
    ClearTabs, ///< No tab stops.
    TabToColumn, ///< Parameter: column + 1.
    HorizontalIndex, ///< Parameter: cell width (n - 1)/unit inch.
    VerticalIndex, ///< Parameter: line spacing (n - 1)/unit inch.
    EndAttributes, ///< Bold and underline off.
    Cut, ///< The paper is cut (a receipt ends) or ejected.
    AbsoluteX, ///< Two bytes, low first, times 1/unit inch from the left margin.
    RelativeX, ///< Two bytes, low first, signed, times 1/unit inch.
    CharacterSpacing, ///< The parameter times 1/unit inch is added after each character.
    CellWidth, ///< Two bytes, low first, times 1/unit inch: the character cell.
    SetDefinedUnit, ///< ESC/P 2: the unit of later positions is the parameter/3600 inch.
    PageLengthDefined, ///< ESC/P 2: two bytes in the defined unit.
    AbsoluteYDefined, ///< ESC/P 2: two bytes in the defined unit from the top.
    RelativeYDefined, ///< ESC/P 2: two signed bytes in the defined unit.
    AbsoluteXDefined, ///< ESC/P 2: two bytes in the defined unit from the left margin.
    CodeTable, ///< The parameter selects a character table from LanguageModel::codeTables.
    AssignCodeTable, ///< ESC/P's ESC ( t: a table number and the table's two-byte id.
    InternationalSet, ///< The parameter selects a national variant of ASCII.
    // PCL's parameterised commands: the value field is the argument.
    PclColumn, ///< &a#C: column from the page's left edge (signed: relative).
    PclRow, ///< &a#R: row (signed: relative).
    PclHorizontalDecipoints, ///< &a#H: 1/720 inch from the left edge.
    PclVerticalDecipoints, ///< &a#V: 1/720 inch from the top margin.
    PclHorizontalDots, ///< `*p#X`: in PCL units from the left edge.
    PclVerticalDots, ///< `*p#Y`: in PCL units from the top margin.
    PclUnitOfMeasure, ///< &u#D: PCL units per inch.
    PclLinesPerInch, ///< &l#D.
    PclVerticalMotionIndex, ///< &l#C: 1/48 inch.
    PclHorizontalMotionIndex, ///< &k#H: 1/120 inch.
    PclPageLength, ///< &l#P: lines.
    PclTopMargin, ///< &l#E: lines.
    PclTextLength, ///< &l#F: lines.
    PclOrientation, ///< &l#O: 0 portrait, 1 landscape.
    PclPaperSource, ///< &l#H: 0 ejects the page.
    PclLeftMargin, ///< &a#L: column.
    PclRightMargin, ///< &a#M: column.
    PclClearMargins, ///< ESC 9.
    PclWrap, ///< &s#C: 0 wraps at the right margin.
    PclUnderline, ///< &d#D on, &d@ off.
    PclPitchMode, ///< &k#S: 0 10 cpi, 2 16.67 cpi, 4 12 cpi.
    PclPitch, ///< (s#H: characters per inch.
    PclStrokeWeight, ///< (s#B: positive is bold.
    PclStyle, ///< (s#S: odd is italic.
    PclSymbolSet, ///< ( ID: a symbol set such as 10U (PC-8) or 0N (Latin 1).
    PclLineTermination, ///< &k#G: what CR, LF and FF also do.
    PclPushPop, ///< &f#S: 0 pushes the cursor, 1 pops it.
};

/// How many bytes follow a command's own bytes and its fixed parameters.
enum class CommandLength : quint8 {
    Fixed, ///< Only the fixed parameters.
    UntilNul, ///< Parameters up to and including a NUL (tab stop lists).
    UntilRecordSeparator, ///< Data up to and including RS (Star's barcodes).
    UntilLineFeed, ///< Data up to and including LF (PJL lines).
    CountedParameters, ///< The last two fixed parameters (low, high) count further parameters.
    CountedData, ///< The last two fixed parameters (low, high) count data bytes.
    CountedData4, ///< The last four fixed parameters (low first) count data bytes.
    ColumnImage, ///< m nL nH: n columns of 1 byte (m < 32) or 3 bytes (m >= 32).
    ColumnImage2, ///< nL nH: n columns of 2 bytes (9-pin ESC ^ m nL nH).
    ColumnImage3, ///< nL nH: n columns of 3 bytes (Star's ESC X).
    RasterImage, ///< m xL xH yL yH: x bytes by y rows (ESC/POS GS v 0).
    RasterImageBlocks, ///< x y: x times y times 8 bytes (ESC/POS GS *).
    Barcode, ///< m: data up to a NUL for m below 65, else counted by one byte.
    CutMode, ///< m: one more byte when m is 65 or above (ESC/POS GS V).
    EscpRaster, ///< c v h m nL nH: m rows of (n + 7)/8 bytes, run-length coded when c is 1.
    PclParameterised, ///< PCL's value fields up to an upper-case character; W counts data.
};

/// One command of a language.
struct ZANTOQUILLER_CORE_EXPORT LanguageCommand
{
    /// Named as in the maker's manual.
    const char *name;
    /// The command's own bytes. For PCL's parameterised commands: the
    /// parameterised character, the group character (or NUL for none) and
    /// the upper-case parameter character (NUL: any, as symbol sets end).
    QByteArrayView bytes;
    /// Parameter bytes that always follow.
    int parameters = 0;
    /// How further bytes are counted.
    CommandLength length = CommandLength::Fixed;
    /// What it does to the page.
    CommandAction action = CommandAction::Ignore;
    /// The action's constant: characters per inch (Pitch), a line spacing's
    /// numerator (LineSpacing), a multiplier of the argument (Star's n/4 mm
    /// is n times 10/1016 inch), 1 for a page printer's Reset, or PCL's
    /// underline on (1) or off (0).
    qint32 value = 0;
    /// The argument's unit, as parts of an inch (216 for n/216 inch).
    qint32 unit = 0;
};

/// A character table a language can select by number.
struct ZANTOQUILLER_CORE_EXPORT LanguageCodeTable
{
    /// The number the language selects it by (ESC t n, ESC GS t n; for
    /// PCL the symbol set's value times 32 plus its letter's place, so that
    /// 10U is 10 * 32 + 21).
    int number;
    /// The table's name as glibc's iconv knows it ("CP858", "HP-ROMAN8").
    const char *encoding;
};

/// The width of one font, in dots.
struct ZANTOQUILLER_CORE_EXPORT LanguageFont
{
    /// As the maker names it ("Font A").
    const char *name;
    /// Characters per inch; 0 when width says it in dots.
    qint32 cpi;
    /// Dots across one character cell, spacing included, when cpi is 0.
    qint32 width;
};

/// What the head reaches across one paper.
struct ZANTOQUILLER_CORE_EXPORT LanguagePaperWidth
{
    /// The preview's paper name ("roll80").
    const char *paper;
    /// Printable width in dots.
    qint32 dots;
};

/// How a printer answers questions about its state.
enum class StatusProtocol : quint8 {
    None, ///< It does not answer.
    Pjl, ///< PJL's `@PJL INFO` and USTATUS.
    RealTime, ///< ESC/POS's DLE EOT n, answered at once.
    StarAsb, ///< Star's automatic status back.
};

/// How a language's printer moves the carriage, lays out its dots and
/// reads its commands.
struct ZANTOQUILLER_CORE_EXPORT LanguageModel
{
    /// The key, as the command line takes it ("escp-9pin").
    const char *name;
    /// For people ("Epson ESC/P, 9-pin").
    const char *displayName;
    /// The stored printer type whose built-in codes this language's are;
    /// ptUser1 where none applies.
    TPrinterType printerType;
    /// The commands. ESC and the other control codes not listed print
    /// nothing; a listed one wins over a shorter one.
    std::span<const LanguageCommand> commands;
    /// Dots per inch across (and the unit of dot counts in the fonts and
    /// paper widths).
    qint32 dotsPerInch;
    /// The fonts, the first one in force after a reset.
    std::span<const LanguageFont> fonts;
    /// Printable widths of papers this language's printers take; a paper
    /// not listed keeps its own.
    std::span<const LanguagePaperWidth> paperWidths;
    /// The paper the printer is normally loaded with (a preview paper name),
    /// or null for continuous stationery.
    const char *defaultPaper;
    /// Character tables selected with CodeTable and PclSymbolSet.
    std::span<const LanguageCodeTable> codeTables;
    /// A line feed also returns the carriage.
    bool lineFeedReturns;
    /// A carriage return also feeds a line.
    bool carriageReturnFeeds;
    /// Text past the right margin goes on the next line; else it is lost.
    bool wraps;
    /// Line spacing after a reset, as 1/lineSpacingUnit inch.
    qint32 lineSpacing;
    /// See lineSpacing.
    qint32 lineSpacingUnit;
    /// How the printer answers about its state.
    StatusProtocol status;
    /// A line of enlarged characters feeds by their height where that is
    /// more than the line spacing (receipt printers); dot-matrix printers
    /// feed by the line spacing alone.
    bool tallLinesFeedFurther;
};

/// A command read from the start of a job's bytes.
struct ZANTOQUILLER_CORE_EXPORT CommandMatch
{
    /// What the bytes were found to be.
    enum Result {
        NeedMore, ///< The bytes may start a command: more are needed.
        Found, ///< A known command.
        Unknown, ///< An escape sequence the language does not define.
        Text, ///< The first byte is not a command.
    };
    /// One PCL value field and its command.
    struct PclField
    {
        /// The command, or null for a field the language does not define.
        const LanguageCommand *command;
        /// The field's value, its sign included.
        double value;
        /// A "+" or "-" stood before the value: it is relative.
        bool relative;
        /// The parameter character, in upper case.
        char parameter;
    };

    /// See Result.
    Result result = Text;
    /// The command, for a Found command that is not PCL's parameterised.
    const LanguageCommand *command = nullptr;
    /// Bytes of the command with its parameters.
    qsizetype length = 1;
    /// Bytes of data after the parameters, to be passed over unread.
    qint64 dataBytes = 0;
    /// Bytes of run-length coded data after the parameters, as they are
    /// once decoded (ESC/P 2's compressed raster): a count below 128 is
    /// followed by count + 1 bytes, one of 128 or above by one byte that
    /// stands for 257 - count.
    qint64 runLengthBytes = 0;
    /// The fields of a PCL parameterised sequence.
    std::vector<PclField> pclFields;
    /// A value was beyond what the language allows and was cut to it.
    bool clamped = false;
};

/// One printer language: its model and the reading of its commands.
class ZANTOQUILLER_CORE_EXPORT PrinterLanguage
{
public:
    /// The language known by name (ignoring case), or null.
    static const PrinterLanguage *find(QStringView name);
    /// The names of all languages, in the order of all().
    static QStringList names();
    /// Every language.
    static std::span<const PrinterLanguage> all();
    /// The language a stored printer type speaks (plain text for the user
    /// types).
    static const PrinterLanguage &forPrinterType(TPrinterType type);

    /// The model's data.
    const LanguageModel &model() const { return m_model; }
    /// The key ("escpos").
    QString name() const;
    /// For people.
    QString displayName() const;

    /// Reads the command at the start of bytes. Where bytes may be the start
    /// of a longer command, NeedMore, unless final says that no more come.
    CommandMatch read(QByteArrayView bytes, bool final) const;
    /// Whether a byte may start a command.
    bool startsCommand(unsigned char byte) const { return m_starts[byte]; }

    /// Made by the library for each table.
    explicit PrinterLanguage(const LanguageModel &model);

private:
    LanguageModel m_model;
    bool m_starts[256] {};
    bool m_introduces[256] {};
};

} // namespace Zanto

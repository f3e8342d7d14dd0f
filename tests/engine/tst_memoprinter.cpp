// The memo printer's layout, byte for byte, on an in-memory sink.
#include "memotestsupport.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/jobcodes.h>

#include <gtest/gtest.h>

using namespace Zanto;
using namespace ZantoTest;

namespace {

const QByteArray CRLF("\r\n");
const QByteArray CRFF("\r\f");
const QByteArray CR("\r");
const QString tooLong = QStringLiteral("Line too long for buffer!  Printing Aborted");

// A component without a pitch code, so that every line sent is a text line.
struct Plain : TZantoquiller
{
    Plain() { SetPrinterType(ptPlain); }
};

QByteArrayList linesOf(const QByteArray &text, qint32 from = WholeText, qint32 to = MaxIndex,
    TZantoquiller *component = nullptr)
{
    Plain plain;
    const PrintOutcome outcome = printText(component ? *component : plain, text, from, to);
    EXPECT_FALSE(outcome.error.has_value()) << outcome.error->toStdString();
    return outcome.lines();
}

} // namespace

TEST(MemoPrinter, NoPagingAndNoWrapByDefault)
{
    Plain z;
    const QByteArray longLine(300, 'w');
    const QByteArrayList lines = linesOf(longLine + "\r\nb\r\nc\r\nd", WholeText, MaxIndex, &z);
    EXPECT_EQ(lines, QByteArrayList({longLine + CRLF, "b" + CRLF, "c" + CRLF, "d" + CRLF}));
}

TEST(MemoPrinter, PagesEndWithCarriageReturnAndFormFeedInDirectMode)
{
    Plain z;
    z.SetLinesPerPage(3);
    const PrintOutcome outcome = printText(z, "a\r\nb\r\nc\r\nd\r\ne");
    const std::vector<SinkEvent> expected {
        {SinkEvent::Line, "a" + CRLF},
        {SinkEvent::Line, "b" + CRLF},
        {SinkEvent::Line, "c" + CRFF},
        {SinkEvent::Line, "d" + CRLF},
        {SinkEvent::Line, "e" + CRLF},
        {SinkEvent::JobEnd, {}},
    };
    EXPECT_EQ(outcome.events, expected) << describe(outcome.events);
}

TEST(MemoPrinter, PagesEndWithCarriageReturnAndANewPageInSpoolerMode)
{
    Plain z;
    z.SetLinesPerPage(3);
    const PrintOutcome outcome = printText(z, "a\r\nb\r\nc\r\nd\r\ne", WholeText, MaxIndex, true);
    const std::vector<SinkEvent> expected {
        {SinkEvent::Line, "a" + CRLF},
        {SinkEvent::Line, "b" + CRLF},
        {SinkEvent::Line, "c" + CR},
        {SinkEvent::NewPage, {}},
        {SinkEvent::Line, "d" + CRLF},
        {SinkEvent::Line, "e" + CRLF},
        {SinkEvent::JobEnd, {}},
    };
    EXPECT_EQ(outcome.events, expected) << describe(outcome.events);
}

TEST(MemoPrinter, WithoutLineFeedsOrdinaryLinesEndWithCarriageReturnOnly)
{
    Plain z;
    z.SetLinesPerPage(3);
    z.SetSendLineFeed(false);
    EXPECT_EQ(linesOf("a\r\nb\r\nc\r\nd", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + CR, "b" + CR, "c" + CRFF, "d" + CR}));
}

TEST(MemoPrinter, LineSpacingTwoAdvancesTwice)
{
    Plain z;
    z.SetLineSpacing(2);
    EXPECT_EQ(linesOf("a\r\nb", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + CRLF + CRLF, "b" + CRLF + CRLF}));
}

TEST(MemoPrinter, LineSpacingTwoCountsBothAdvancesOnThePage)
{
    Plain z;
    z.SetLineSpacing(2);
    z.SetLinesPerPage(5);
    // a: 2 advances, b: 2 more (4), c: page end at count 4 = 5 - 1.
    EXPECT_EQ(linesOf("a\r\nb\r\nc\r\nd", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + CRLF + CRLF, "b" + CRLF + CRLF, "c" + CRFF, "d" + CRLF + CRLF}));
}

TEST(MemoPrinter, LineSpacingTwoStopsAdvancingAtThePageLength)
{
    Plain z;
    z.SetLineSpacing(3);
    z.SetLinesPerPage(5);
    // a: 3 advances; b: only 2 more fit on the page; c ends the page.
    EXPECT_EQ(linesOf("a\r\nb\r\nc", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + CRLF + CRLF + CRLF, "b" + CRLF + CRLF, "c" + CRFF}));
}

TEST(MemoPrinter, LineSpacingZeroSendsNoLineEndAndNeverEndsAPage)
{
    Plain z;
    z.SetLineSpacing(0);
    z.SetLinesPerPage(3);
    EXPECT_EQ(linesOf("a\r\nb\r\nc\r\nd\r\ne", WholeText, MaxIndex, &z),
        QByteArrayList({"a", "b", "c", "d", "e"}));
}

TEST(MemoPrinter, LinesPerPageOneEndsEveryLineWithAPageEnd)
{
    Plain z;
    z.SetLinesPerPage(1);
    EXPECT_EQ(linesOf("a\r\nb\r\nc", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + CRFF, "b" + CRFF, "c" + CRFF}));
}

TEST(MemoPrinter, NegativeLinesPerPageEndsEveryLineWithAPageEnd)
{
    for (qint32 value : {-1, -66, std::numeric_limits<qint32>::min()}) {
        Plain z;
        z.SetLinesPerPage(value);
        EXPECT_EQ(
            linesOf("a\r\nb", WholeText, MaxIndex, &z), QByteArrayList({"a" + CRFF, "b" + CRFF}))
            << value;
    }
}

TEST(MemoPrinter, ThePageCountGoesOnAcrossWrappedAndEmptyLines)
{
    Plain z;
    z.SetLinesPerPage(3);
    z.SetLineWidth(4);
    EXPECT_EQ(linesOf("abcdefgh\r\n\r\nij", WholeText, MaxIndex, &z),
        QByteArrayList({"abcd" + CRLF, "efgh" + CRLF, CRFF, CRLF, "ij" + CRLF}));
}

TEST(MemoPrinter, ATabIsOneByteAndOneColumn)
{
    Plain z;
    z.SetLineWidth(4);
    EXPECT_EQ(
        linesOf("a\tbcde", WholeText, MaxIndex, &z), QByteArrayList({"a\tbc" + CRLF, "de" + CRLF}));
}

TEST(MemoPrinter, TheLeftOffsetStartsEveryLineButNotThePitchCode)
{
    TZantoquiller z;
    z.SetPrinterType(ptEpson);
    z.SetOffset(5);
    z.SetLineWidth(4);
    const PrintOutcome outcome = printText(z, "abcdef\r\n\r\ng");
    EXPECT_EQ(outcome.lines(),
        QByteArrayList({bytes({27, 80}), "     abcd" + CRLF, "     ef" + CRLF, "     " + CRLF,
            "     g" + CRLF}));
}

TEST(MemoPrinter, WrapBreaksAfterTheSpaceBeforeTheWordAtTheLimit)
{
    Plain z;
    z.SetLineWidth(10);
    EXPECT_EQ(linesOf("aaaa bbbb cccc", WholeText, MaxIndex, &z),
        QByteArrayList({"aaaa " + CRLF, "bbbb cccc" + CRLF}));
}

TEST(MemoPrinter, WrapBreaksHardInAWordWithoutSpaces)
{
    Plain z;
    z.SetLineWidth(10);
    EXPECT_EQ(linesOf("abcdefghijklmno", WholeText, MaxIndex, &z),
        QByteArrayList({"abcdefghij" + CRLF, "klmno" + CRLF}));
}

TEST(MemoPrinter, WrapBreaksHardAtTheSecondToLastCharacter)
{
    Plain z;
    z.SetLineWidth(10);
    EXPECT_EQ(linesOf("hello world", WholeText, MaxIndex, &z),
        QByteArrayList({"hello worl" + CRLF, "d" + CRLF}));
}

TEST(MemoPrinter, WrapAtTheLastCharacterLeavesAnEmptyLastLine)
{
    Plain z;
    z.SetLineWidth(10);
    EXPECT_EQ(linesOf("abcdefghij", WholeText, MaxIndex, &z),
        QByteArrayList({"abcdefghij" + CRLF, CRLF}));
}

TEST(MemoPrinter, WrapBreaksHardWhenASpaceFollowsTheLimit)
{
    Plain z;
    z.SetLineWidth(5);
    // The sixth character is a space: the line ends after "ab cd" and the
    // next line begins with the space, which is kept.
    EXPECT_EQ(linesOf("ab cd efg", WholeText, MaxIndex, &z),
        QByteArrayList({"ab cd" + CRLF, " efg" + CRLF}));
}

TEST(MemoPrinter, WrapKeepsSpacesAndMovesTranslatedBytesWithTheWord)
{
    Plain z;
    z.SetLineWidth(8);
    z.TransIn() << "~";
    z.TransOut() << bytes({27, 71});
    EXPECT_EQ(linesOf("ab  ~cdef g", WholeText, MaxIndex, &z),
        QByteArrayList({"ab  " + CRLF, bytes({27, 71}) + "cdef g" + CRLF}));
}

TEST(MemoPrinter, WrapAtATranslatedSpaceKeepsItForTheNextBreak)
{
    Plain z;
    z.SetLineWidth(6);
    z.TransIn() << " ";
    z.TransOut() << "_";
    // The limit falls on the second space, which moves with "cd" and then
    // serves as the break of the next line.
    EXPECT_EQ(linesOf("ab cd efghi", WholeText, MaxIndex, &z),
        QByteArrayList({"ab_" + CRLF, "cd_" + CRLF, "efghi" + CRLF}));
}

TEST(MemoPrinter, WrapRuleDoesNotBreakAtTheLeftOffset)
{
    Plain z;
    z.SetOffset(2);
    z.SetLineWidth(4);
    EXPECT_EQ(linesOf("abcdef", WholeText, MaxIndex, &z),
        QByteArrayList({"  abcd" + CRLF, "  ef" + CRLF}));
}

TEST(MemoPrinter, NegativeLineWidthBreaksAfterEveryCharacter)
{
    Plain z;
    z.SetLineWidth(-3);
    EXPECT_EQ(linesOf("a b", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + CRLF, " " + CRLF, "b" + CRLF, CRLF}));
}

TEST(MemoPrinter, ATextEndingWithALineBreakPrintsAnEmptyLastLine)
{
    EXPECT_EQ(linesOf("a\r\n"), QByteArrayList({"a" + CRLF, CRLF}));
}

TEST(MemoPrinter, AnEmptyTextPrintsOneEmptyLineWhole)
{
    Plain z;
    z.SetOffset(3);
    EXPECT_EQ(linesOf("", WholeText, MaxIndex, &z), QByteArrayList({"   " + CRLF}));
}

TEST(MemoPrinter, AnEmptyTextPrintsOnlyThePitchCodeAsARange)
{
    TZantoquiller z;
    const PrintOutcome outcome = printText(z, "", 0, MaxIndex);
    const std::vector<SinkEvent> expected {
        {SinkEvent::Line, bytes({27, 40, 115, 49, 48, 72})},
        {SinkEvent::JobEnd, {}},
    };
    EXPECT_EQ(outcome.events, expected) << describe(outcome.events);
}

TEST(MemoPrinter, ALoneLineFeedIsDroppedAndALoneCarriageReturnEndsALine)
{
    EXPECT_EQ(linesOf("a\nb\rc"), QByteArrayList({"ab" + CRLF, "c" + CRLF}));
}

TEST(MemoPrinter, CarriageReturnAndLineFeedAreOrdinaryCharactersInARange)
{
    Plain z;
    z.SetLineWidth(0);
    MemoryText text("a\rb\nc\r\nd");
    MemorySink sink;
    MemoPrinter(z).print(text, 0, MaxIndex, sink, [] {});
    ASSERT_EQ(sink.events.size(), 2u);
    // Inside a line of the list they are sent as they are.
    EXPECT_EQ(sink.events[0].bytes, "a\rb\nc" + CRLF);
    EXPECT_EQ(sink.events[1].bytes, "d" + CRLF);
}

TEST(MemoPrinter, TranslationReplacesEveryTildeAndNothingElse)
{
    Plain z;
    z.TransIn() << "~";
    z.TransOut() << bytes({27, 71});
    EXPECT_EQ(linesOf("a~b~~c", WholeText, MaxIndex, &z),
        QByteArrayList({"a" + bytes({27, 71}) + "b" + bytes({27, 71, 27, 71}) + "c" + CRLF}));
}

TEST(MemoPrinter, AnEmptyReplacementDeletesTheCharacterWhichStillCountsAsAColumn)
{
    Plain z;
    z.SetLineWidth(4);
    z.TransIn() << "~";
    z.TransOut() << "";
    EXPECT_EQ(
        linesOf("~a~bcd", WholeText, MaxIndex, &z), QByteArrayList({"ab" + CRLF, "cd" + CRLF}));
}

TEST(MemoPrinter, TranslationIgnoresLetterCaseAndTheFirstEntryWins)
{
    Plain z;
    z.TransIn() << "x"
                << "X"
                << "x";
    z.TransOut() << "1"
                 << "2"
                 << "3";
    EXPECT_EQ(linesOf("xXy", WholeText, MaxIndex, &z), QByteArrayList({"11y" + CRLF}));
}

TEST(MemoPrinter, TranslationIgnoresCaseInTheAnsiCodePage)
{
    const AnsiCodePage &before = ansiCodePage();
    Plain z;
    z.TransIn() << bytes({0xE9}); // é in Windows-1252
    z.TransOut() << "e";
    EXPECT_EQ(linesOf(bytes({0xE9, 0xC9, 0x82, 0x90}), WholeText, MaxIndex, &z),
        QByteArrayList({"ee" + bytes({0x82, 0x90}) + CRLF}));

    // In CP437 é is 0x82 and É 0x90.
    setAnsiCodePage(*AnsiCodePage::find(u"cp437"));
    z.SetTransIn(QByteArrayList {bytes({0x82})});
    EXPECT_EQ(linesOf(bytes({0xE9, 0xC9, 0x82, 0x90}), WholeText, MaxIndex, &z),
        QByteArrayList({bytes({0xE9, 0xC9}) + "ee" + CRLF}));
    setAnsiCodePage(before);
}

TEST(MemoPrinter, EntriesOfOtherThanOneCharacterNeverMatch)
{
    Plain z;
    z.TransIn() << "~~"
                << ""
                << "~";
    z.TransOut() << "A"
                 << "B"
                 << "C";
    EXPECT_EQ(linesOf("~", WholeText, MaxIndex, &z), QByteArrayList({"C" + CRLF}));
}

TEST(MemoPrinter, AnEntryWithoutAPartnerIsIgnored)
{
    Plain z;
    z.TransIn() << "~"
                << "x";
    z.TransOut() << "T";
    EXPECT_EQ(linesOf("~x", WholeText, MaxIndex, &z), QByteArrayList({"Tx" + CRLF}));
}

TEST(MemoPrinter, TranslatedBytesAreNeverTranslatedAgain)
{
    Plain z;
    z.TransIn() << "a"
                << "b";
    z.TransOut() << "b"
                 << "c";
    EXPECT_EQ(linesOf("ab", WholeText, MaxIndex, &z), QByteArrayList({"bc" + CRLF}));
}

TEST(MemoPrinter, ChangedListsTakeEffectAtTheNextPrint)
{
    Plain z;
    z.TransIn() << "~";
    z.TransOut() << "1";
    EXPECT_EQ(linesOf("~", WholeText, MaxIndex, &z), QByteArrayList({"1" + CRLF}));
    z.TransOut()[0] = "2";
    EXPECT_EQ(linesOf("~", WholeText, MaxIndex, &z), QByteArrayList({"2" + CRLF}));
    z.TransIn().clear();
    EXPECT_EQ(linesOf("~", WholeText, MaxIndex, &z), QByteArrayList({"~" + CRLF}));
}

TEST(MemoPrinter, ADeletedLineFeedNeverDropsAnEarlierByte)
{
    Plain z;
    z.TransIn() << "\n";
    z.TransOut() << "";
    EXPECT_EQ(linesOf("\n\nab\ncd", WholeText, MaxIndex, &z), QByteArrayList({"abcd" + CRLF}));
}

TEST(MemoPrinter, RangePrintsTheSelectedLinesOnly)
{
    const QByteArray text = "one\r\ntwo\r\nthree\r\nfour\r\nfive";
    EXPECT_EQ(linesOf(text, 1, 2), QByteArrayList({"two" + CRLF, "three" + CRLF}));
    EXPECT_EQ(linesOf(text, 3, 99), QByteArrayList({"four" + CRLF, "five" + CRLF}));
    EXPECT_EQ(linesOf(text, -5, 0), QByteArrayList({"one" + CRLF}));
    EXPECT_EQ(linesOf(text, 3, 2), QByteArrayList());
    EXPECT_EQ(linesOf(text, 7, 9), QByteArrayList());
    EXPECT_EQ(linesOf(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::min()),
        QByteArrayList());
}

TEST(MemoPrinter, RangeAfterItsEndSendsOnlyThePitchCode)
{
    TZantoquiller z;
    z.SetPrinterType(ptEpson);
    z.SetPitch(cpi15);
    const PrintOutcome outcome = printText(z, "a\r\nb", 1, 0);
    EXPECT_EQ(outcome.lines(), QByteArrayList({bytes({27, 103})}));
}

TEST(MemoPrinter, RangeJoinsTheLinesOfAParagraphWhenWrapping)
{
    Plain z;
    z.SetLineWidth(40);
    const QByteArray text = "one \r\ntwo\r\n\r\nfour";
    EXPECT_EQ(linesOf(text, 0, 2, &z), QByteArrayList({"one two" + CRLF, CRLF}));
    // two is the last line of the range though not of the memo.
    EXPECT_EQ(linesOf(text, 0, 1, &z), QByteArrayList({"one two" + CRLF}));
}

TEST(MemoPrinter, RangeJoinedLinesAreWrappedAnewAndCarriedSpacesDoNotCount)
{
    Plain z;
    z.SetLineWidth(10);
    // The space that ends "aaa " belongs to the earlier line: the limit in
    // the b's breaks hard.
    EXPECT_EQ(linesOf("aaa \r\nbbbbbbbbbbbb", 0, MaxIndex, &z),
        QByteArrayList({"aaa bbbbbb" + CRLF, "bbbbbb" + CRLF}));
    // A space of the line itself does count.
    EXPECT_EQ(linesOf("aaa \r\nbb bbbbbbbbb", 0, MaxIndex, &z),
        QByteArrayList({"aaa bb " + CRLF, "bbbbbbbbb" + CRLF}));
}

TEST(MemoPrinter, RangeWithoutWrapPrintsEveryLineAsItIs)
{
    Plain z;
    EXPECT_EQ(linesOf("one \r\n\r\ntwo", 0, MaxIndex, &z),
        QByteArrayList({"one " + CRLF, CRLF, "two" + CRLF}));
}

TEST(MemoPrinter, RangeEmptyLineWithNothingOpenPrintsOneEmptyLine)
{
    Plain z;
    z.SetLineWidth(20);
    EXPECT_EQ(linesOf("a\r\n\r\n\r\nb", 1, MaxIndex, &z), QByteArrayList({CRLF, CRLF, "b" + CRLF}));
}

TEST(MemoPrinter, LineTooLongAbortsBeforeThe3951stByteWithNothingOfThatLineSent)
{
    TZantoquiller z;
    z.SetLinesPerPage(0);
    const PrintOutcome outcome = printText(z, "first\r\n" + QByteArray(4000, 'x') + "\r\nlast");
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(*outcome.error, tooLong);
    const std::vector<SinkEvent> expected {
        {SinkEvent::Line, bytes({27, 40, 115, 49, 48, 72})},
        {SinkEvent::Line, "first" + CRLF},
        {SinkEvent::JobEnd, {}},
    };
    EXPECT_EQ(outcome.events, expected) << describe(outcome.events);
}

TEST(MemoPrinter, ALineOf3950BytesStillPrints)
{
    Plain z;
    const QByteArrayList lines = linesOf(QByteArray(3950, 'x'), WholeText, MaxIndex, &z);
    EXPECT_EQ(lines, QByteArrayList({QByteArray(3950, 'x') + CRLF}));
}

TEST(MemoPrinter, TheLineLimitCountsTheLeftOffset)
{
    Plain z;
    z.SetOffset(3800);
    EXPECT_EQ(linesOf(QByteArray(150, 'x'), WholeText, MaxIndex, &z),
        QByteArrayList({QByteArray(3800, ' ') + QByteArray(150, 'x') + CRLF}));
    const PrintOutcome outcome = printText(z, QByteArray(151, 'x'));
    EXPECT_EQ(outcome.error, tooLong);
    EXPECT_TRUE(outcome.lines().isEmpty());
}

TEST(MemoPrinter, ALongTranslationThatWouldPassTheBufferEndAborts)
{
    Plain z;
    z.TransIn() << "~";
    z.TransOut() << QByteArray(100, 'T');
    // 3940 bytes, then "~" would need positions 3941 to 4040.
    const PrintOutcome outcome = printText(z, "ok\r\n" + QByteArray(3940, 'x') + "~");
    EXPECT_EQ(outcome.error, tooLong);
    const std::vector<SinkEvent> expected {{SinkEvent::Line, "ok" + CRLF}, {SinkEvent::JobEnd, {}}};
    EXPECT_EQ(outcome.events, expected) << describe(outcome.events);

    // Translation and line end that reach the buffer's very end fit.
    z.TransOut()[0] = QByteArray(59, 'T');
    EXPECT_EQ(linesOf(QByteArray(3939, 'x') + "~", WholeText, MaxIndex, &z),
        QByteArrayList({QByteArray(3939, 'x') + QByteArray(59, 'T') + CRLF}));
}

TEST(MemoPrinter, LineSpacing255WhoseLineEndWouldPassTheBufferEndAborts)
{
    Plain z;
    z.SetLineSpacing(255);
    QByteArray manyAdvances;
    for (int k = 0; k < 255; ++k)
        manyAdvances += CRLF;
    // A short line takes all 510 bytes of its line end.
    EXPECT_EQ(linesOf("a", WholeText, MaxIndex, &z), QByteArrayList({"a" + manyAdvances}));
    // 3490 + 510 = 4000 fits; 3491 does not.
    EXPECT_EQ(linesOf(QByteArray(3490, 'x'), WholeText, MaxIndex, &z),
        QByteArrayList({QByteArray(3490, 'x') + manyAdvances}));
    const PrintOutcome outcome = printText(z, "a\r\n" + QByteArray(3491, 'x'));
    EXPECT_EQ(outcome.error, tooLong);
    const std::vector<SinkEvent> expected {
        {SinkEvent::Line, "a" + manyAdvances}, {SinkEvent::JobEnd, {}}};
    EXPECT_EQ(outcome.events, expected) << describe(outcome.events);
}

TEST(MemoPrinter, PitchCodeOfTheSelectedFamilyIsTheFirstLine)
{
    TZantoquiller z;
    z.SetPrinterType(ptEpson);
    z.SetPitch(cpi12);
    PrintOutcome outcome = printText(z, "a");
    EXPECT_EQ(outcome.lines(), QByteArrayList({bytes({27, 77}), "a" + CRLF}));
    z.SetPrinterType(ptIBM);
    z.SetPitch(cpi10);
    outcome = printText(z, "a");
    EXPECT_EQ(outcome.lines(), QByteArrayList({bytes({18}), "a" + CRLF}));
    z.SetPrinterType(ptPlain);
    outcome = printText(z, "a");
    EXPECT_EQ(outcome.lines(), QByteArrayList({"a" + CRLF}));
}

TEST(MemoPrinter, PrinterTypeOrPitchOutsideTheirValuesSendNoPitchCode)
{
    TZantoquiller z;
    z.SetPrinterType(static_cast<TPrinterType>(9));
    EXPECT_EQ(printText(z, "a").lines(), QByteArrayList({"a" + CRLF}));
    z.SetPrinterType(ptEpson);
    z.SetPitch(static_cast<TPitch>(3));
    EXPECT_EQ(printText(z, "a").lines(), QByteArrayList({"a" + CRLF}));
}

TEST(MemoPrinter, EachPrintStartsAgainWithThePitchCodeAndAFreshPageCount)
{
    TZantoquiller z;
    z.SetPrinterType(ptEpson);
    z.SetLinesPerPage(2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(printText(z, "a\r\nb\r\nc").lines(),
            QByteArrayList({bytes({27, 80}), "a" + CRLF, "b" + CRFF, "c" + CRLF}));
    }
}

TEST(MemoPrinter, ProgressCountsLinesAndPageEnds)
{
    Plain z;
    z.SetLinesPerPage(2);
    MemoryText text("a\r\nb\r\nc\r\nd\r\ne");
    MemorySink sink;
    MemoPrinter(z).print(text, WholeText, MaxIndex, sink, [] {});
    EXPECT_EQ(text.lastProgress, (std::pair<qint64, qint64>(5, 2)));
}

TEST(MemoPrinter, TextHandedOutInSmallPiecesPrintsTheSame)
{
    Plain z;
    z.SetLineWidth(7);
    z.TransIn() << "~";
    z.TransOut() << bytes({27, 71});
    const QByteArray text = "The ~quick~ brown fox\r\njumps over\nthe lazy dog. ";
    const PrintOutcome whole = printText(z, text);
    for (qsizetype piece : {1, 2, 3, 5}) {
        const PrintOutcome pieces = printText(z, text, WholeText, MaxIndex, false, {piece});
        EXPECT_EQ(pieces.events, whole.events) << piece;
    }
}

TEST(MemoPrinter, JobCodesAreSentAroundTheLinesButNotAfterAnAbortedPrint)
{
    Plain z;
    z.SetLinesPerPage(2);
    setJobCodes(z, {"S", "E", true});
    // The spooler's new page completes a page as the form feed does.
    const PrintOutcome paged = printText(z, "a\r\nb", WholeText, MaxIndex, true);
    const std::vector<SinkEvent> expected {
        {SinkEvent::Line, "S"},
        {SinkEvent::Line, "a" + CRLF},
        {SinkEvent::Line, "b" + CR},
        {SinkEvent::NewPage, {}},
        {SinkEvent::Line, "E"},
        {SinkEvent::JobEnd, {}},
    };
    EXPECT_EQ(paged.events, expected) << describe(paged.events);
    const PrintOutcome aborted = printText(z, "a\r\n" + QByteArray(4000, 'x'));
    EXPECT_EQ(aborted.error, tooLong);
    EXPECT_EQ(aborted.lines(), QByteArrayList({"S", "a" + CRLF}));
    EXPECT_EQ(jobCodes(TZantoquiller()), JobCodes());
}

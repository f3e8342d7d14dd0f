// The byte interpreter: the component's codes of every family, the
// families' own sequences, unknown sequences, pages, and the text form.
#include "collectedpages.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/textpagewriter.h>
#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/types.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QRandomGenerator>

using namespace Zanto;
using namespace Zanto::Preview;
using namespace PreviewTest;

namespace {

constexpr qint32 Cpi10 = UnitsPerInch / 10;
constexpr qint32 Line6 = UnitsPerInch / 6;

PrinterSetup setupFor(TPrinterType type, const Paper *paper = nullptr)
{
    PrinterSetup setup;
    setup.type = type;
    setup.codes = builtInCodeTable()[type];
    setup.paper = paper;
    return setup;
}

std::vector<qint32> xs(const Line &line)
{
    std::vector<qint32> positions;
    for (const Glyph &glyph : line.glyphs)
        positions.push_back(glyph.x);
    return positions;
}

// Made-up codes of a user family: printable starts, shared prefixes, a
// control byte.
TPrinterCodes madeUpCodes()
{
    TPrinterCodes codes;
    codes.BoldOn = QByteArrayView("~B");
    codes.BoldOff = QByteArrayView("~b");
    codes.ItalicOn = QByteArrayView("\x01I");
    codes.ItalicOff = QByteArrayView("\x01i");
    codes.UnderOn = QByteArrayView("{u");
    codes.UnderOff = QByteArrayView("}u");
    codes.SuperOn = QByteArrayView("##^");
    codes.SuperOff = QByteArrayView("##.");
    codes.SubOn = QByteArrayView("##_");
    codes.SubOff = QByteArrayView("##.");
    codes.Set10cpi = QByteArrayView("#10");
    codes.Set12cpi = QByteArrayView("#12");
    codes.Set15cpi = QByteArrayView("#15");
    return codes;
}

} // namespace

TEST(PreviewInterpreter, EachFamilysCodesSetTheAttributesOfTheirCells)
{
    PrinterSetup user = setupFor(ptUser1);
    user.codes = madeUpCodes();
    for (const PrinterSetup &setup :
        {setupFor(ptHPPCL), setupFor(ptEpson), setupFor(ptIBM), user}) {
        const TPrinterCodes &c = setup.codes;
        const QByteArray job = "a" + c.BoldOn.toByteArray() + "b" + c.BoldOff.toByteArray()
            + c.ItalicOn.toByteArray() + "c" + c.ItalicOff.toByteArray() + c.UnderOn.toByteArray()
            + "d" + c.UnderOff.toByteArray() + c.SuperOn.toByteArray() + "e"
            + c.SuperOff.toByteArray() + c.SubOn.toByteArray() + "f" + c.SubOff.toByteArray() + "g"
            + c.Set12cpi.toByteArray() + "hh" + c.Set15cpi.toByteArray() + "i"
            + c.Set10cpi.toByteArray() + "j~#";
        for (const int chunk : {0, 1, 2, 5}) {
            SCOPED_TRACE(testing::Message() << "type " << setup.type << ", chunk " << chunk);
            const CollectedPages pages = interpret(setup, job, chunk);
            ASSERT_EQ(pages.pages.size(), 1u);
            const Page &page = pages.pages[0];
            ASSERT_EQ(page.lines.size(), 1u);
            EXPECT_TRUE(page.markers.empty());
            const Line &line = page.lines[0];
            EXPECT_EQ(lineText(page, line), QStringLiteral("abcdefghhij~#"));
            EXPECT_EQ(styleText(line), QByteArray(".BIU^_......."));
            const qint32 p12 = UnitsPerInch / 12;
            const qint32 p15 = UnitsPerInch / 15;
            const qint32 h = 7 * Cpi10;
            EXPECT_EQ(xs(line),
                (std::vector<qint32> {0, Cpi10, 2 * Cpi10, 3 * Cpi10, 4 * Cpi10, 5 * Cpi10,
                    6 * Cpi10, h, h + p12, h + 2 * p12, h + 2 * p12 + p15,
                    h + 2 * p12 + p15 + Cpi10, h + 2 * p12 + p15 + 2 * Cpi10}));
        }
    }
}

TEST(PreviewInterpreter, UnknownSequencesAreMarkedInPlaceAndListedWithOffsets)
{
    // An Epson job: ESC v is no Epson sequence, BEL is no printing byte,
    // and the job ends inside a sequence.
    const QByteArray job("ab\x1bv"
                         "cd\x07"
                         "e\f"
                         "x\x1b",
        11);
    for (const int chunk : {0, 1, 3}) {
        SCOPED_TRACE(chunk);
        CollectedPages pages;
        ByteInterpreter interpreter(setupFor(ptEpson), pages);
        for (qsizetype at = 0; at < job.size(); at += chunk ? chunk : job.size())
            interpreter.feed(QByteArrayView(job).sliced(
                at, std::min<qsizetype>(chunk ? chunk : job.size(), job.size() - at)));
        interpreter.finish();
        ASSERT_EQ(interpreter.unknownSequenceCount(), 3);
        const auto &unknown = interpreter.unknownSequences();
        EXPECT_EQ(unknown[0].offset, 2);
        EXPECT_EQ(unknown[0].bytes, QByteArray("\x1bv"));
        EXPECT_EQ(unknown[0].page, 1);
        EXPECT_EQ(unknown[1].offset, 6);
        EXPECT_EQ(unknown[1].bytes, QByteArray("\x07"));
        EXPECT_EQ(unknown[2].offset, 10);
        EXPECT_EQ(unknown[2].bytes, QByteArray("\x1b"));
        EXPECT_EQ(unknown[2].page, 2);
        ASSERT_EQ(pages.pages.size(), 2u);
        const Page &first = pages.pages[0];
        ASSERT_EQ(first.markers.size(), 2u);
        EXPECT_EQ(first.markers[0].x, 2 * Cpi10);
        EXPECT_EQ(first.markers[1].x, 4 * Cpi10);
        // Markers take no room: the characters keep their columns.
        EXPECT_EQ(lineText(first, first.lines[0]), QStringLiteral("abcde"));
        EXPECT_EQ(
            xs(first.lines[0]), (std::vector<qint32> {0, Cpi10, 2 * Cpi10, 3 * Cpi10, 4 * Cpi10}));
    }
    EXPECT_EQ(readableBytes("\x1b(s3B\x80 "), QByteArray("ESC ( s 3 B 128 SP"));
}

TEST(PreviewInterpreter, PclSequencesFollowTheirGrammar)
{
    // Bold and italic in one sequence, 8 lines an inch, a raster row whose
    // data is passed over, and an unknown parameterised sequence.
    const QByteArray job("\x1b(s3b1Sab\x1b&l8D\r\n\x1b*b3W\x1b\x1b\x1b"
                         "c\x1b&z5Qd",
        32);
    for (const int chunk : {0, 1}) {
        CollectedPages pages;
        ByteInterpreter interpreter(setupFor(ptHPPCL), pages);
        interpreter.feed(job.first(chunk ? 7 : job.size()));
        if (chunk)
            interpreter.feed(job.sliced(7));
        interpreter.finish();
        ASSERT_EQ(pages.pages.size(), 1u);
        const Page &page = pages.pages[0];
        ASSERT_EQ(page.lines.size(), 2u);
        EXPECT_EQ(lineText(page, page.lines[0]), QStringLiteral("ab"));
        EXPECT_EQ(page.lines[0].glyphs[0].style, Bold | Italic);
        EXPECT_EQ(lineText(page, page.lines[1]), QStringLiteral("cd"));
        EXPECT_EQ(page.lines[1].y, UnitsPerInch / 8);
        ASSERT_EQ(interpreter.unknownSequenceCount(), 1);
        EXPECT_EQ(interpreter.unknownSequences()[0].offset, 25);
        EXPECT_EQ(interpreter.unknownSequences()[0].bytes, QByteArray("\x1b&z5Q"));
    }
}

TEST(PreviewInterpreter, FamilySequencesChangeWidthSpacingMarginsAndTabs)
{
    struct Case
    {
        TPrinterType type;
        QByteArray job;
        std::vector<qint32> x; // of the characters of the last line
        qint32 y; // of the last line
    };
    const qint32 condensed = UnitsPerInch * 7 / 120;
    const std::vector<Case> cases {
        {ptEpson,
            "\x0f"
            "ab\x12"
            "c",
            {0, condensed, 2 * condensed}, 0},
        {ptEpson,
            "\x0e"
            "ab\n"
            "c",
            {0}, Line6},
        {ptEpson,
            "\x0e"
            "ab",
            {0, 2 * Cpi10}, 0},
        {ptEpson,
            "\x1b"
            "0\na\n"
            "b",
            {0}, UnitsPerInch / 4},
        {ptEpson,
            QByteArray("\x1b"
                       "3\x5a\n"
                       "b",
                5),
            {0}, 90 * UnitsPerInch / 180},
        {ptEpson, "a\tb\tc", {0, 8 * Cpi10, 16 * Cpi10}, 0},
        {ptEpson,
            QByteArray("\x1b"
                       "D\x05\x14\x00"
                       "a\tb\tc\td",
                12),
            {0, 5 * Cpi10, 20 * Cpi10, 21 * Cpi10}, 0},
        {ptEpson, "ab\bc", {0, Cpi10, Cpi10}, 0},
        {ptEpson,
            "\x1bl\x05xx\r\n"
            "a",
            {5 * Cpi10}, Line6},
        {ptEpson, "\x1bGa\x1b@\x1bMb", {0, Cpi10}, 0},
        {ptIBM,
            "\x1b"
            "A\x18\x1b"
            "2\na",
            {0}, UnitsPerInch / 3},
        {ptIBM,
            "\x1bX\x03\x50\r"
            "a",
            {2 * Cpi10}, 0},
        {ptHPPCL, "\x1b&k2Sab", {0, 130}, 0},
        {ptDiablo,
            "\x1b\x1f\x0b"
            "ab",
            {0, UnitsPerInch / 12}, 0},
        {ptDiablo,
            "\x1b\x1e\x05\n"
            "a",
            {0}, UnitsPerInch / 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(
            testing::Message() << "type " << c.type << ": " << readableBytes(c.job).constData());
        const CollectedPages pages = interpret(setupFor(c.type), c.job);
        ASSERT_EQ(pages.pages.size(), 1u);
        const Page &page = pages.pages[0];
        EXPECT_TRUE(page.markers.empty());
        ASSERT_FALSE(page.lines.empty());
        EXPECT_EQ(xs(page.lines.back()), c.x);
        EXPECT_EQ(page.lines.back().y, c.y);
    }
}

TEST(PreviewInterpreter, TextPastTheWidthWrapsOrIsCutAsTheFamilyDoes)
{
    const QByteArray line(85, 'x');
    const CollectedPages epson = interpret(setupFor(ptEpson), line);
    ASSERT_EQ(epson.pages[0].lines.size(), 2u);
    EXPECT_EQ(epson.pages[0].lines[0].glyphs.size(), 80u);
    EXPECT_EQ(epson.pages[0].lines[1].glyphs.size(), 5u);
    EXPECT_EQ(epson.pages[0].lines[1].row, 1);
    const CollectedPages pcl = interpret(setupFor(ptHPPCL), line);
    ASSERT_EQ(pcl.pages[0].lines.size(), 1u);
    EXPECT_EQ(pcl.pages[0].lines[0].glyphs.size(), 80u);
    // End-of-line wrap switched on.
    const CollectedPages wrapped = interpret(setupFor(ptHPPCL), "\x1b&s0C" + line);
    EXPECT_EQ(wrapped.pages[0].lines.size(), 2u);
    // A 58 mm roll holds 18 columns at 10 characters an inch.
    const CollectedPages roll
        = interpret(setupFor(ptEpson, findPaper(u"roll58")), QByteArray(20, 'x'));
    EXPECT_EQ(roll.pages[0].lines[0].glyphs.size(), 18u);
}

TEST(PreviewInterpreter, SheetsEndAtFormFeedsCutsAndTheEndOfThePaper)
{
    struct Case
    {
        const char *paper;
        QByteArray job;
        std::vector<std::size_t> linesPerPage;
    };
    QByteArray lines66;
    for (int i = 0; i < 66; ++i)
        lines66 += "line\r\n";
    QByteArray lines30;
    for (int i = 0; i < 30; ++i)
        lines30 += "line\r\n";
    const std::vector<Case> cases {
        {"fanfold", "", {0}},
        {"fanfold", "a\fb", {1, 1}},
        {"fanfold", "a\f", {1}},
        {"fanfold", "a\f\f", {1, 0}},
        {"fanfold", lines66, {66}},
        {"fanfold", lines66 + "x", {66, 1}},
        {"fanfold12", lines66 + "x", {67}},
        {"letter", lines66, {60, 6}},
        {"fanfold",
            QByteArray("\x1b"
                       "C\x0a",
                3)
                + lines30,
            {10, 10, 10}},
        {"roll80",
            "a\r\n\x1dV\x01"
            "b\r\n\x1dV\x41\x03",
            {1, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(
            testing::Message() << c.paper << ": " << readableBytes(c.job.left(40)).constData());
        const Paper *paper = findPaper(QString::fromLatin1(c.paper));
        ASSERT_NE(paper, nullptr);
        PrinterSetup setup = setupFor(ptEpson, paper);
        // A receipt printer cuts its roll.
        if (paper->roll)
            setup.language = PrinterLanguage::find(u"escpos");
        const CollectedPages pages = interpret(setup, c.job);
        EXPECT_TRUE(pages.finished);
        std::vector<std::size_t> counts;
        for (std::size_t i = 0; i < pages.pages.size(); ++i) {
            counts.push_back(pages.pages[i].lines.size());
            EXPECT_EQ(pages.pages[i].number, int(i + 1));
            if (paper->roll)
                EXPECT_LT(pages.pages[i].height, paper->height);
            else
                EXPECT_EQ(pages.pages[i].height, paper->height);
        }
        EXPECT_EQ(counts, c.linesPerPage);
    }
}

TEST(PreviewInterpreter, AnySplitOfTheBytesGivesTheSameSheets)
{
    // Random jobs of text, controls and sequences of every family.
    QRandomGenerator random(20261207);
    const QByteArrayList pieces {"text ", "\r\n", "\f", "\t", "\b", "\x1bG", "\x1bH", "\x1b-1",
        "\x1b(s3B", "\x1b&l8D", "\x1b\x1f\x0b", "\x1bq", "\x0e", "\x0f", "\x12",
        "\x1b"
        "D\x05",
        QByteArray("\x00", 1), "~B", "##^", "#1", "\x1dV", "\x1b*b2W", "\x80\xff"};
    for (int round = 0; round < 40; ++round) {
        QByteArray job;
        for (int i = 0; i < 200; ++i)
            job += pieces[random.bounded(pieces.size())];
        const TPrinterType type = static_cast<TPrinterType>(random.bounded(PrinterTypeCount));
        PrinterSetup setup = setupFor(type);
        if (type == ptUser1)
            setup.codes = madeUpCodes();
        const CollectedPages whole = interpret(setup, job);
        const CollectedPages split = interpret(setup, job, 1 + random.bounded(7));
        ASSERT_EQ(whole.pages.size(), split.pages.size());
        for (std::size_t p = 0; p < whole.pages.size(); ++p) {
            const Page &a = whole.pages[p];
            const Page &b = split.pages[p];
            ASSERT_EQ(a.lines.size(), b.lines.size());
            ASSERT_EQ(a.markers.size(), b.markers.size());
            for (std::size_t l = 0; l < a.lines.size(); ++l) {
                EXPECT_EQ(lineText(a, a.lines[l]), lineText(b, b.lines[l]));
                EXPECT_EQ(styleText(a.lines[l]), styleText(b.lines[l]));
                EXPECT_EQ(xs(a.lines[l]), xs(b.lines[l]));
            }
            for (std::size_t m = 0; m < a.markers.size(); ++m)
                EXPECT_EQ(a.markers[m].offset, b.markers[m].offset);
        }
    }
}

TEST(PreviewTextForm, RowsColumnsAttributesAndPageLines)
{
    PrinterSetup setup = setupFor(ptEpson);
    setup.codePage = AnsiCodePage::find(u"cp437");
    QBuffer plain;
    QBuffer styled;
    plain.open(QIODevice::WriteOnly);
    styled.open(QIODevice::WriteOnly);
    TextPageWriter plainWriter(plain, false);
    TextPageWriter styledWriter(styled, true);
    const QByteArray job("\r\n\r\n  \x1bGbo\x1bHx \x1b-1u\x1b-0\xc4\x1bv\fp2");
    for (TextPageWriter *writer : {&plainWriter, &styledWriter}) {
        ByteInterpreter interpreter(setup, *writer);
        interpreter.feed(job);
        interpreter.finish();
    }
    EXPECT_EQ(plain.data(), QByteArray("\n\n  box u\xe2\x94\x80\n--- page 2 ---\np2\n"));
    EXPECT_EQ(styled.data(),
        QByteArray("\n\n  \x1b[0;1mbo\x1b[0mx \x1b[0;4mu\x1b[0m\xe2\x94\x80 "
                   "\x1b[7mESC v @22\x1b[0m\n--- page 2 ---\np2\n"));
}

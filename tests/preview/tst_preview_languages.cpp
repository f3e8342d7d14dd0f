// The printer languages as the preview reads them: receipts and driver
// output made by other software, each command's effect on the page in the
// language's own units, and the character tables a job selects.
#include "collectedpages.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/printerlanguage.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Zanto;
using namespace Zanto::Preview;
using namespace PreviewTest;

namespace {

QString foreign(const QString &path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/tests/fixtures/foreign/")
        + path;
}

struct Result
{
    CollectedPages pages;
    qint64 unknown = 0;
    qint64 ignored = 0;
    std::string firstUnknown; // readable, for the failure message
};

Result preview(const char *language, const QByteArray &job, const char *paper = nullptr)
{
    PrinterSetup setup;
    setup.language = PrinterLanguage::find(QString::fromLatin1(language));
    EXPECT_NE(setup.language, nullptr) << language;
    if (paper)
        setup.paper = findPaper(QString::fromLatin1(paper));
    Result result;
    ByteInterpreter interpreter(setup, result.pages);
    interpreter.feed(job);
    interpreter.finish();
    result.unknown = interpreter.unknownSequenceCount();
    result.ignored = interpreter.ignoredCommandCount();
    if (!interpreter.unknownSequences().empty())
        result.firstUnknown = readableBytes(interpreter.unknownSequences()[0].bytes).toStdString()
            + " @" + std::to_string(interpreter.unknownSequences()[0].offset);
    return result;
}

// The glyph that prints 'X' on the first sheet.
const Glyph *findX(const Page &page, const Line **line = nullptr)
{
    for (const Line &l : page.lines) {
        for (const Glyph &glyph : l.glyphs) {
            if (glyph.byte == 'X') {
                if (line)
                    *line = &l;
                return &glyph;
            }
        }
    }
    return nullptr;
}

QByteArray bytes(const char *text, std::size_t size)
{
    return QByteArray(text, qsizetype(size - 1));
}

} // namespace

TEST(PreviewLanguages, EveryReceiptShowsItsTextInItsColumns)
{
    QFile list(foreign(u"receipts/receipts.json"_qs));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QJsonArray receipts = QJsonDocument::fromJson(list.readAll()).array();
    ASSERT_GE(receipts.size(), 20);
    for (const QJsonValue &value : receipts) {
        const QJsonObject receipt = value.toObject();
        const QString file = receipt[u"file"].toString();
        SCOPED_TRACE(file.toStdString());
        QFile input(foreign(QStringLiteral("receipts/") + file));
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        const QString kind = receipt[u"language"].toString();
        const QString paperName = receipt[u"paper"].toString();
        // StarPRNT's text commands are Star Line mode's.
        const char *language = kind == u"esc-pos"
            ? (receipt[u"dpi"].toInt() == 180 ? "escpos-180dpi" : "escpos")
            : "star-line";
        const char *paper = paperName.startsWith(u"58") ? "roll58" : "roll80";
        const Result result = preview(language, input.readAll(), paper);
        // node-thermal-printer sends its QR code's data without the
        // ESC GS y D 1 that announces it: a Star printer prints it too.
        const bool malformed = file == u"node-thermal-printer/star-line.bin";
        if (!malformed) {
            EXPECT_EQ(result.unknown, 0) << result.firstUnknown;
        }
        QStringList lines;
        int rightColumn = -1;
        for (const Page &page : result.pages.pages) {
            for (const Line &line : page.lines) {
                lines << lineText(page, line);
                if (lines.back().endsWith(u"right") && line.glyphs.back().style == 0)
                    rightColumn = line.glyphs.back().x / line.glyphs.back().width;
            }
        }
        const QJsonArray texts = receipt[u"text"].toArray();
        for (const QJsonValue &text : texts)
            EXPECT_TRUE(lines.contains(text.toString())) << text.toString().toStdString() << " in\n"
                                                         << lines.join(u'\n').toStdString();
        // The right-aligned line ends in the last column.
        if (receipt.contains(u"columns") && texts.size() > 0 && rightColumn >= 0) {
            EXPECT_EQ(rightColumn, receipt[u"columns"].toInt() - 1);
        }
        // Barcodes, QR codes and images are drawn: none of their data is
        // printed as text.
        std::size_t images = 0;
        for (const Page &page : result.pages.pages)
            images += page.images.size();
        if (!malformed && receipt.contains(u"qrcode")) {
            // Those wider than the paper are listed, not drawn.
            EXPECT_GE(images + std::size_t(result.ignored),
                std::size_t(receipt[u"barcodes"].toArray().size() + 1));
            EXPECT_FALSE(lines.join(u'\n').contains(u"example.org"));
        }
        if (receipt.contains(u"image")) {
            EXPECT_GT(images, 0u);
        }
    }
}

TEST(PreviewLanguages, DriverOutputHoldsNothingUnknown)
{
    const std::vector<std::pair<QString, const char *>> cases {
        {u"cups/epson9-text.prn.gz"_qs, "escp-9pin"},
        {u"cups/epson24-text.prn.gz"_qs, "escp-24pin"},
        {u"cups/laserjet-text.prn.gz"_qs, "pcl5"},
        {u"cups/epson9-page.prn.gz"_qs, "escp-9pin"},
        {u"cups/epson24-page.prn.gz"_qs, "escp-24pin"},
        {u"cups/laserjet-page.prn.gz"_qs, "pcl5"},
        {u"cups/deskjet-text.prn.gz"_qs, "pcl5"},
        {u"cups/deskjet-page.prn.gz"_qs, "pcl5"},
        {u"ghostscript/eps9mid.prn.gz"_qs, "escp-9pin"},
        {u"ghostscript/deskjet.prn.gz"_qs, "pcl5"},
        {u"ghostscript/epson.prn.gz"_qs, "escp-9pin"},
        {u"ghostscript/eps9high.prn.gz"_qs, "escp-9pin"},
        {u"ghostscript/lq850.prn.gz"_qs, "escp-24pin"},
        {u"ghostscript/escp.prn.gz"_qs, "escp-24pin"},
        {u"ghostscript/ibmpro.prn.gz"_qs, "proprinter"},
        {u"ghostscript/laserjet.prn.gz"_qs, "pcl5"},
        {u"ghostscript/ljet4.prn.gz"_qs, "pcl5"},
    };
    for (const auto &[file, language] : cases) {
        SCOPED_TRACE(file.toStdString());
        QProcess gunzip;
        gunzip.start(u"gzip"_qs, {u"-dc"_qs, foreign(file)});
        ASSERT_TRUE(gunzip.waitForFinished(60000));
        const QByteArray job = gunzip.readAllStandardOutput();
        ASSERT_FALSE(job.isEmpty());
        const Result result = preview(language, job);
        EXPECT_EQ(result.unknown, 0) << result.firstUnknown;
        // Only graphics, drawn or passed over: no character of their data
        // is printed.
        qint64 glyphs = 0;
        qint64 images = 0;
        for (const Page &page : result.pages.pages) {
            images += qint64(page.images.size());
            for (const Line &line : page.lines)
                glyphs += qint64(line.glyphs.size());
        }
        EXPECT_GT(result.ignored + images, 0);
        EXPECT_EQ(glyphs, 0);
    }
}

TEST(PreviewLanguages, CommandsMoveAndStyleAsTheMakersSay)
{
    constexpr qint32 U = UnitsPerInch;
    struct Case
    {
        const char *language;
        QByteArray job;
        qint32 x; // of the X
        qint32 y;
        qint32 width;
        quint8 style;
    };
    const std::vector<Case> cases {
        // ESC/P: ESC $ in 1/60 inch, ESC \ in 1/120 (9-pin) or 1/180 (24-pin).
        {"escp-24pin", bytes("\x1b$\x3c\x00X", sizeof "\x1b$\x3c\x00X"), U, 0, U / 10, 0},
        {"escp-24pin", bytes("AB\x1b\\\x5a\x00X", sizeof "AB\x1b\\\x5a\x00X"), 2 * U / 10 + U / 2,
            0, U / 10, 0},
        {"escp-9pin", bytes("\x1b\\\x78\x00X", sizeof "\x1b\\\x78\x00X"), U, 0, U / 10, 0},
        {"escp-9pin", "\x1b\x33\x24\nX", 0, U / 6, U / 10, 0},
        {"escp-24pin", "\x1b\x33\x24\nX", 0, U / 5, U / 10, 0},
        {"escp-24pin", "\x1b+\x48\nX", 0, U / 5, U / 10, 0},
        {"escp-24pin",
            bytes("\x1b(U\x01\x00\x0a\x1b(V\x02\x00\xb4\x00X",
                sizeof "\x1b(U\x01\x00\x0a\x1b(V\x02\x00\xb4\x00X"),
            0, U / 2, U / 10, 0},
        {"escp-24pin", "\x1b \x12\x41X", U / 10 + U / 10, 0, U / 10 + U / 10, 0},
        {"escp-24pin", "\x1b!\x20X", 0, 0, U / 5, DoubleWidth},
        {"escp-24pin", "\x1b!\x01X", 0, 0, U / 12, 0},
        {"escp-24pin", "\x1b!\xc8X", 0, 0, U / 10, Bold | Italic | Underline},
        {"escp-24pin", "\x1bl\x05X", U / 2, 0, U / 10, 0},
        {"escp-9pin", "\x1bM\x1bW\x01X", 0, 0, U / 6, DoubleWidth},
        // ESC/P 2's raster: counted data, or run-length coded (two rows of
        // 16 dots: a literal run of two bytes, then one byte three times);
        // the head ends after the image's 16 dots at 360 an inch.
        {"escp-24pin",
            bytes("\x1b.\x00\x0a\x0a\x01\x10\x00\x41\x42X",
                sizeof "\x1b.\x00\x0a\x0a\x01\x10\x00\x41\x42X"),
            16 * U / 360, 0, U / 10, 0},
        {"escp-24pin",
            bytes("\x1b.\x01\x0a\x0a\x02\x10\x00\x01\x1b\x45\xfe\x1bX",
                sizeof "\x1b.\x01\x0a\x0a\x02\x10\x00\x01\x1b\x45\xfe\x1bX"),
            16 * U / 360, 0, U / 10, 0},
        // Proprinter: ESC A n/72 is applied by ESC 2.
        {"proprinter", "\x1b\x41\x0c\x1b\x32\nX", 0, U / 6, U / 10, 0},
        {"proprinter", "\x1b\x33\x24\nX", 0, U / 6, U / 10, 0},
        // PCL: columns from the page's edge, decipoints, PCL units.
        {"pcl5", "\x1b&a5L\x1b&a10CX", U, 0, U / 10, 0},
        {"pcl5", "\x1b&a720HX", U, 0, U / 10, 0},
        {"pcl5", "\x1b*p300XX", U, 0, U / 10, 0},
        {"pcl5", "\x1b&u600D\x1b*p300XX", U / 2, 0, U / 10, 0},
        {"pcl5", "\x1b&a2RX", 0, U / 3, U / 10, 0},
        {"pcl5", "\x1b&a720VX", 0, U, U / 10, 0},
        {"pcl5", "AB\x1b&f0S\x1b&a720V\x1b&a0C\x1b&f1SX", U / 5, 0, U / 10, 0},
        {"pcl5", "A\x1b&k2G\nX", 0, U / 6, U / 10, 0},
        {"pcl5", "\x1b%-12345X@PJL ENTER LANGUAGE=PCL\r\nX", 0, 0, U / 10, 0},
        {"pcl5", "\x1b(s3B\x1b&dDX", 0, 0, U / 10, Bold | Underline},
        // ESC/POS at 203 dpi: font A 12 dots, B 9; GS ! up to eight times.
        {"escpos", "\x1b\x61\x01X\n", (6127 - 127) / 2, 0, 127, 0},
        {"escpos", "\x1d!\x11X", 0, 0, 254, DoubleWidth | DoubleHeight},
        {"escpos", "\x1d!\x70X", 0, 0, 8 * 127, DoubleWidth},
        {"escpos", "\x1bM\x01X", 0, 0, 95, 0},
        {"escpos", "\x1b!\x89X", 0, 0, 95, Bold | Underline},
        {"escpos", bytes("\x1b\x45\x00X", sizeof "\x1b\x45\x00X"), 0, 0, 127, 0},
        {"escpos", "\x1b\x45\x01X", 0, 0, 127, Bold},
        {"escpos", bytes("\x1b$\xcb\x00X", sizeof "\x1b$\xcb\x00X"), U, 0, 127, 0},
        {"escpos", "\x1b\x33\x40\nX", 0, 681, 127, 0},
        {"escpos", bytes("\x1d(k\x03\x00\x31\x43\x06X", sizeof "\x1d(k\x03\x00\x31\x43\x06X"), 0, 0,
            127, 0},
        // A bar code (162 dots high unless GS h says otherwise) moves the
        // paper on below it.
        {"escpos", bytes("\x1dk\x04ZANTO\x00X", sizeof "\x1dk\x04ZANTO\x00X"), 0, 1724, 127, 0},
        // Star Line mode.
        {"star-line", "\x1b\x1d\x61\x02X\n", 6127 - 127, 0, 127, 0},
        {"star-line", "\x1bi\x01\x01X", 0, 0, 254, DoubleWidth | DoubleHeight},
        {"star-line", "\x1b\x1e\x46\x01X", 0, 0, 95, 0},
        // Diablo: ESC US n sets a cell of (n - 1)/120 inch.
        {"diablo630", "\x1b\x1f\x07\x41X", U / 20, 0, U / 20, 0},
        // Plain text: LF alone, or LF that also returns.
        {"plain", "A\nX", U / 10, U / 6, U / 10, 0},
        {"plain-newline", "A\nX", 0, U / 6, U / 10, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.language << ": " << readableBytes(c.job).constData());
        const Result result = preview(c.language, c.job);
        EXPECT_EQ(result.unknown, 0) << result.firstUnknown;
        ASSERT_FALSE(result.pages.pages.empty());
        const Line *line = nullptr;
        const Glyph *x = findX(result.pages.pages[0], &line);
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(x->x, c.x);
        EXPECT_EQ(line->y, c.y);
        EXPECT_EQ(x->width, c.width);
        EXPECT_EQ(x->style, c.style);
    }
}

TEST(PreviewLanguages, ReceiptColumnsFollowFontAndPaper)
{
    const std::vector<std::tuple<const char *, const char *, QByteArray, int>> cases {
        {"escpos", "roll80", "", 48},
        {"escpos", "roll80", "\x1bM\x01", 64},
        {"escpos", "roll58", "", 32},
        {"escpos", "roll58", "\x1bM\x01", 42},
        {"escpos-180dpi", "roll80", "", 42},
        {"star-line", "roll80", "", 48},
    };
    for (const auto &[language, paper, font, columns] : cases) {
        SCOPED_TRACE(testing::Message() << language << " " << paper << " " << font.size());
        const Result result = preview(language, font + QByteArray(100, 'x'), paper);
        ASSERT_FALSE(result.pages.pages.empty());
        EXPECT_EQ(result.pages.pages[0].lines.at(0).glyphs.size(), std::size_t(columns));
    }
}

TEST(PreviewLanguages, TheJobsCharacterTablesReachTheSheet)
{
    const std::vector<std::tuple<const char *, QByteArray, char16_t>> cases {
        {"escpos", "\x1bt\x13\xd5", u'€'},
        {"escpos", "\x1bt\x10\x80", u'€'},
        {"star-line", "\x1b\x1dt\x04\xd5", u'€'},
        {"escp-24pin",
            bytes("\x1b(t\x03\x00\x01\x2c\x00\x1bt\x01\xd5",
                sizeof "\x1b(t\x03\x00\x01\x2c\x00\x1bt\x01\xd5"),
            u'€'},
        {"pcl5", "\x1b(19U\x80", u'€'},
        {"pcl5", "\x1b(10U\xc4", u'─'},
        {"escp-24pin", "\x1bR\x02[", u'Ä'},
        // A reset brings back the printer's own table (CP437's ¢, not
        // CP858's ø), on a sheet that stays in CP858.
        {"escpos", "\x1bt\x13\xd5\x1b@\x9b", u'¢'},
    };
    for (const auto &[language, job, expected] : cases) {
        SCOPED_TRACE(testing::Message() << language << ": " << readableBytes(job).constData());
        const Result result = preview(language, job);
        EXPECT_EQ(result.unknown, 0) << result.firstUnknown;
        const Page &page = result.pages.pages.at(0);
        const Glyph &glyph = page.lines.at(0).glyphs.back();
        EXPECT_EQ(page.codePage->toUnicode(glyph.byte), expected);
    }
}

TEST(PreviewLanguages, ParametersNeverPrintAndPageEndsFollowTheLanguage)
{
    // ESC/POS parameters read as ESC/P would have printed or switched styles.
    const Result pos = preview("escpos",
        bytes("\x1b\x45\x00\x1b\x4d\x00\x1b\x34\x00\x1b\x61\x02\x1b!\x00ok\n",
            sizeof "\x1b\x45\x00\x1b\x4d\x00\x1b\x34\x00\x1b\x61\x02\x1b!\x00ok\n"));
    EXPECT_EQ(pos.pages.pages.at(0).lines.at(0).glyphs.size(), 2u);
    EXPECT_EQ(pos.pages.pages.at(0).lines.at(0).glyphs.at(0).style, 0);
    // PCL's ESC E ejects the page it holds; ESC & l 0 H too.
    EXPECT_EQ(preview("pcl5",
                  "A\x1b"
                  "EB")
                  .pages.pages.size(),
        2u);
    EXPECT_EQ(preview("pcl5", "A\x1b&l0HB").pages.pages.size(), 2u);
    // A cut ends a receipt.
    EXPECT_EQ(preview("escpos",
                  bytes("A\n\x1dV\x00"
                        "B\n",
                      sizeof "A\n\x1dV\x00"
                             "B\n"))
                  .pages.pages.size(),
        2u);
}

// A line of double-height characters comes below the line before it on a
// receipt printer, and the next line below it; ESC/P leaves spacing to the
// job.
TEST(PreviewLanguages, DoubleHeightLinesTakeTwoLinesOnReceipts)
{
    constexpr qint32 Six = UnitsPerInch / 6;
    const auto ys = [](const char *language, QByteArrayView job) {
        std::vector<qint32> positions;
        const Result result = preview(language, job.toByteArray());
        for (const Line &line : result.pages.pages.at(0).lines)
            positions.push_back(line.y);
        return positions;
    };
    using namespace std::literals;
    EXPECT_EQ(ys("escpos",
                  "a\n\x1d!\x11"
                  "Big\n\x1d!\0c\n"sv),
        (std::vector<qint32> {0, 2 * Six, 3 * Six}));
    EXPECT_EQ(ys("star-line",
                  "a\n\x1bi\x01\0"
                  "Big\n\x1bi\0\0c\n"sv),
        (std::vector<qint32> {0, 2 * Six, 3 * Six}));
    EXPECT_EQ(ys("escpos",
                  "\x1b!\x10"
                  "Big\n\x1b"
                  "d\x02"
                  "c"sv),
        (std::vector<qint32> {Six, 4 * Six}));
    // ESC/P leaves the spacing to the job.
    EXPECT_EQ(ys("escp-24pin",
                  "a\r\n\x1bw\x01"
                  "Big\r\n\x1bw\0c"sv),
        (std::vector<qint32> {0, Six, 2 * Six}));
}

TEST(PreviewLanguages, PclLandscapeTurnsCutSheets)
{
    const Paper *letter = findPaper(u"letter");
    ASSERT_NE(letter, nullptr);
    // A marked page goes out first; the next lies across: 10.5 inches of
    // print at 10 characters an inch.
    const Result turned = preview("pcl5", "A\x1b&l1O" + QByteArray(120, 'x'), "letter");
    ASSERT_EQ(turned.pages.pages.size(), 2u);
    EXPECT_EQ(turned.pages.pages[0].paper->width, letter->width);
    const Page &across = turned.pages.pages[1];
    EXPECT_EQ(across.paper->width, letter->height);
    EXPECT_EQ(across.height, letter->width);
    EXPECT_EQ(across.lines.at(0).glyphs.size(), 105u);
    // ESC E brings portrait back; continuous paper is not turned.
    const Result back = preview("pcl5",
        "\x1b&l1OA\x1b"
        "EB",
        "letter");
    ASSERT_EQ(back.pages.pages.size(), 2u);
    EXPECT_EQ(back.pages.pages[1].paper->width, letter->width);
    const Result fanfold = preview("pcl5", "\x1b&l1O" + QByteArray(120, 'x'));
    EXPECT_EQ(fanfold.pages.pages.at(0).lines.at(0).glyphs.size(), 80u);
}

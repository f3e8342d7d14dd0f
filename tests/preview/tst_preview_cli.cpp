// zanto preview and zanto print --preview, as processes: the grid of a
// printed text, the PDF's text, faces and pages, PNG pages, unknown
// sequences on standard error, and usage mistakes.
#include "processrunner.h"
#include "tempdir.h"

#include <zantoquiller/preview/textpagewriter.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <map>
#include <vector>

using namespace ZantoTest;
using namespace Zanto;

namespace {

const QStringList noAttributes {QStringLiteral("--no-attributes")};

// The sheets of printed bytes by the plain rules of a character printer on
// 66-line, 80-column stationery: CR to column 0, LF one row down, FF a new
// sheet, a full sheet or line goes on on the next. Text only, no sequences
// but a leading pitch code.
QByteArray expectedGrid(QByteArray bytes)
{
    if (bytes.startsWith("\x1bP"))
        bytes.remove(0, 2);
    std::vector<std::map<int, QByteArray>> pages(1);
    int row = 0;
    int column = 0;
    const auto down = [&] {
        if (++row >= 66) {
            pages.emplace_back();
            row = 0;
        }
    };
    for (const char c : bytes) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            down();
        } else if (c == '\f') {
            pages.emplace_back();
            row = 0;
            column = 0;
        } else {
            if (column >= 80) {
                column = 0;
                down();
            }
            QByteArray &line = pages.back()[row];
            if (line.size() <= column)
                line += QByteArray(column + 1 - line.size(), ' ');
            line[column++] = c;
        }
    }
    if (pages.size() > 1 && pages.back().empty())
        pages.pop_back();
    QByteArray text;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            text += Preview::TextPageWriter::separator(int(p + 1)) + '\n';
        int next = 0;
        for (const auto &[r, line] : pages[p]) {
            text += QByteArray(r - next, '\n') + line + '\n';
            next = r + 1;
        }
    }
    return text;
}

QByteArray randomText(QRandomGenerator &random)
{
    static const QByteArrayList words {"a", "form", "column", "invoice", "12.50", "--------",
        "Zantoquiller", "x", "total:", "supercalifragilistic"};
    QByteArray text;
    const int lines = random.bounded(1, 150);
    for (int l = 0; l < lines; ++l) {
        const int count = random.bounded(0, 25);
        for (int w = 0; w < count; ++w)
            text += words[random.bounded(words.size())] + QByteArray(random.bounded(1, 3), ' ');
        text += '\n';
    }
    return text;
}

QByteArray run(const QStringList &arguments, const QByteArray &input = {})
{
    const ProcessResult result = runZanto(arguments, input);
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    return result.out;
}

QByteArray tool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << qPrintable(program);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    return process.readAllStandardOutput();
}

// The lines of text, without trailing blanks, empty ones left out; one list
// per form-feed-separated page.
std::string nonEmptyLines(const QByteArrayList &pages)
{
    // Without the indent that all lines share: the PDF's has the margin.
    qsizetype indent = 1000;
    for (const QByteArray &page : pages) {
        for (const QByteArray &line : page.split('\n')) {
            const qsizetype text
                = line.size() - line.trimmed().size() > 0 ? line.indexOf(line.trimmed()) : 0;
            if (!line.trimmed().isEmpty())
                indent = std::min(indent, text);
        }
    }
    std::string result;
    for (const QByteArray &page : pages) {
        for (QByteArray line : page.split('\n')) {
            while (line.endsWith(' '))
                line.chop(1);
            if (!line.isEmpty())
                result += line.mid(indent).toStdString() + '\n';
        }
        result += "<page end>\n";
    }
    return result;
}

} // namespace

TEST(PreviewCli, PrintedTextsComeBackAsTheGridOfTheirLayout)
{
    QRandomGenerator random(4711);
    for (int round = 0; round < 12; ++round) {
        TempDir dir;
        const QString job = dir.filePath(QStringLiteral("job.prn"));
        const QString text = dir.filePath(QStringLiteral("text.txt"));
        dir.write(QStringLiteral("text.txt"), randomText(random));
        QStringList settings {QStringLiteral("--printer-type"),
            random.bounded(2) ? QStringLiteral("epson") : QStringLiteral("plain")};
        if (random.bounded(2))
            settings << QStringLiteral("--left-offset") << QString::number(random.bounded(6));
        if (random.bounded(3))
            settings << QStringLiteral("--line-width") << QString::number(random.bounded(10, 75));
        if (random.bounded(2))
            settings << QStringLiteral("--lines-per-page")
                     << QString::number(random.bounded(5, 67));
        if (random.bounded(3) == 0)
            settings << QStringLiteral("--line-spacing") << QStringLiteral("2");
        SCOPED_TRACE(qPrintable(settings.join(u' ')));

        run(QStringList {QStringLiteral("print"), QStringLiteral("--port"), QStringLiteral("FILE"),
                QStringLiteral("-o"), job, text}
            + settings);
        const QByteArray grid = expectedGrid(dir.read(QStringLiteral("job.prn")));
        const QString type = settings[1];
        EXPECT_EQ(run(QStringList {QStringLiteral("preview"), QStringLiteral("--format"),
                          QStringLiteral("text"), QStringLiteral("--printer-type"), type, job}
                      + noAttributes),
            grid);
        // The same layout rendered straight from print.
        const QString previewed = dir.filePath(QStringLiteral("previewed.txt"));
        run(QStringList {QStringLiteral("print"), QStringLiteral("--preview"), previewed, text}
            + settings);
        EXPECT_EQ(readFile(previewed), grid);
    }
}

TEST(PreviewCli, PdfHasTheSameLinesPagesAndTheBoldFaceOnlyWhereUsed)
{
    TempDir dir;
    QByteArray job;
    for (int i = 0; i < 100; ++i)
        job += "Line " + QByteArray::number(i) + QByteArray(i % 37, ' ') + "end|\r\n";
    job += "\fafter a form feed\r\n";
    for (const bool bold : {false, true}) {
        SCOPED_TRACE(bold);
        const QByteArray bytes = bold ? "\x1bGBold\x1bH " + job : "Plain " + job;
        dir.write(QStringLiteral("job.prn"), bytes);
        const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
        run({QStringLiteral("preview"), QStringLiteral("--printer-type"), QStringLiteral("epson"),
            QStringLiteral("-o"), pdf, QStringLiteral("--background"), QStringLiteral("greenbar"),
            dir.filePath(QStringLiteral("job.prn"))});
        const QByteArray text = run(
            {QStringLiteral("preview"), QStringLiteral("--printer-type"), QStringLiteral("epson"),
                QStringLiteral("--no-attributes"), dir.filePath(QStringLiteral("job.prn"))})
                                    .replace("--- page 2 ---\n", "\f")
                                    .replace("--- page 3 ---\n", "\f");
        // Columns of 7.2 points, 10 characters an inch: without it pdftotext
        // guesses the width of blanks from the gaps and shortens runs of them.
        const QByteArray layout = tool(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-fixed"), QStringLiteral("7.2"), pdf,
                QStringLiteral("-")});
        QByteArrayList pdfPages = layout.split('\f');
        if (pdfPages.size() > 1 && pdfPages.back().trimmed().isEmpty())
            pdfPages.removeLast();
        EXPECT_EQ(nonEmptyLines(pdfPages), nonEmptyLines(text.split('\f')));
        EXPECT_EQ(pdfPages.size(), 3);
        EXPECT_TRUE(tool(QStringLiteral("pdfinfo"), {pdf}).contains("Pages:           3\n"));
        const QByteArray fonts = tool(QStringLiteral("pdffonts"), {pdf});
        EXPECT_TRUE(fonts.contains("LiberationMono-Regular")) << fonts.constData();
        EXPECT_EQ(fonts.contains("LiberationMono-Bold"), bold) << fonts.constData();
    }
}

TEST(PreviewCli, UserFamilyCodesFromAPrinterCodesFile)
{
    TempDir dir;
    TZantoquiller component;
    TCodeTable table = component.CodeTable();
    table[ptUser1].BoldOn = QByteArrayView("~B");
    table[ptUser1].BoldOff = QByteArrayView("~b");
    table[ptUser1].UnderOn = QByteArrayView("\x01U");
    table[ptUser1].UnderOff = QByteArrayView("\x01u");
    component.SetCodeTable(table);
    const QString codes = dir.filePath(QStringLiteral("made-up.PCC"));
    component.SavePrinterCodes(codes);
    EXPECT_EQ(run({QStringLiteral("preview"), QStringLiteral("--printer-type"),
                      QStringLiteral("user1"), QStringLiteral("--codes"), codes},
                  "a~Bbc~b\x01U"
                  "d\x01u~\r\n"),
        QByteArray("a\x1b[0;1mbc\x1b[0;4md\x1b[0m~\n"));
    // Without the file the same bytes are text.
    EXPECT_EQ(run({QStringLiteral("preview"), QStringLiteral("--printer-type"),
                      QStringLiteral("user1"), QStringLiteral("--no-attributes")},
                  "a~Bb~b\r\n"),
        QByteArray("a~Bb~b\n"));
}

TEST(PreviewCli, UnknownSequencesAreListedWithTheirOffsets)
{
    const ProcessResult result = runZanto(
        {QStringLiteral("preview"), QStringLiteral("--no-attributes")}, "ok\x1bv\r\n\fx\x1b[2J");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QByteArray("ok\n--- page 2 ---\nx2J\n"));
    EXPECT_TRUE(result.err.contains("zanto preview: unknown sequence at byte 2 (page 1): ESC v\n"))
        << result.err.constData();
    EXPECT_TRUE(result.err.contains("zanto preview: unknown sequence at byte 8 (page 2): ESC [\n"))
        << result.err.constData();
}

// A receipt as a receipt library sends it: ESC/POS on an 80 mm roll, 48
// columns; its parameters neither print nor act, its cut ends the sheet.
TEST(PreviewCli, TheChosenLanguageReadsTheJob)
{
    QFile receipt(qEnvironmentVariable("ZANTO_SOURCE_DIR")
        + QStringLiteral("/tests/fixtures/foreign/receipts/receipt-printer-encoder/"
                         "esc-pos-80mm-text.bin"));
    ASSERT_TRUE(receipt.open(QIODevice::ReadOnly));
    const QByteArray job = receipt.readAll();
    const ProcessResult result
        = runZanto({QStringLiteral("preview"), QStringLiteral("--language"),
                       QStringLiteral("escpos"), QStringLiteral("--no-attributes")},
            job);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, QByteArray()) << result.err.constData();
    const QList<QByteArray> lines = result.out.split('\n');
    EXPECT_TRUE(lines.contains("Price: 4,70 \xe2\x82\xac")) << result.out.constData();
    EXPECT_TRUE(lines.contains("Coffee            2.80")) << result.out.constData();
    EXPECT_TRUE(lines.contains(QByteArray(43, ' ') + "right")) << result.out.constData();
    // Read as ESC/P, the same bytes print their parameters.
    const ProcessResult escp
        = runZanto({QStringLiteral("preview"), QStringLiteral("--language"),
                       QStringLiteral("escp-24pin"), QStringLiteral("--no-attributes")},
            job);
    EXPECT_NE(escp.out, result.out);
    // Help names every language.
    const ProcessResult help = runZanto({QStringLiteral("preview"), QStringLiteral("--help")}, "");
    for (const char *name : {"--language", "escp-9pin", "escp-24pin", "proprinter", "pcl5",
             "diablo630", "escpos", "escpos-180dpi", "star-line", "plain-newline"})
        EXPECT_TRUE(help.out.contains(name)) << name;
    // Without --printer-type the codes are the receipt language's type's
    // (user1, none built in), not HP PCL's: ESC ( s 3 B is no bold here.
    const ProcessResult pclCode
        = runZanto({QStringLiteral("preview"), QStringLiteral("--language"),
                       QStringLiteral("escpos"), QStringLiteral("--no-attributes")},
            "\x1b(s3BX\n");
    EXPECT_TRUE(pclCode.err.contains("unknown sequence at byte 0 (page 1): ESC (\n"))
        << pclCode.err.constData();
    // A barcode the preview does not draw is passed over and listed with
    // the reason; one it draws is not listed.
    const ProcessResult barcode
        = runZanto({QStringLiteral("preview"), QStringLiteral("--language"),
                       QStringLiteral("escpos"), QStringLiteral("--no-attributes")},
            QByteArray("A\n\x1dk\x01"
                       "0123456\x00"
                       "B\n\x1dk\x04ZANTO\x00",
                24));
    EXPECT_EQ(barcode.out.left(4), QByteArray("A\nB\n"));
    EXPECT_TRUE(barcode.err.contains("ignored (not drawn) at byte 2 (page 1): GS k SOH 0 1 2 3 4 5 "
                                     "6 NUL (UPC-E bar codes are not drawn)\n"))
        << barcode.err.constData();
    EXPECT_FALSE(barcode.err.contains("ZANTO")) << barcode.err.constData();
}

// A picture the preview does not draw (GS v 0 in an unknown mode, 128 by
// 100 dots) is a labelled box in the text, the PDF and the PNG pages, and
// is listed with its label.
TEST(PreviewCli, UndrawnGraphicsAreLabelledBoxesInEveryOutput)
{
    TempDir dir;
    const QByteArray job
        = QByteArray("A\n\x1dv0\x05\x10\x00\x64\x00", 10) + QByteArray(1600, '\xff') + "B\n";
    const QString label = QStringLiteral(
        "GS v 0 Print raster bit image: mode 5 is not one the printer knows, 128 x 100 dots");
    const QStringList escpos {
        QStringLiteral("preview"), QStringLiteral("--language"), QStringLiteral("escpos")};
    const ProcessResult text = runZanto(escpos, job);
    EXPECT_TRUE(text.out.contains("[" + label.toLatin1() + "] @2")) << text.out.constData();
    EXPECT_TRUE(
        text.err.contains("ignored (not drawn) at byte 2 (page 1): GS v 0 ENQ DLE NUL d NUL ("
            + label.toLatin1() + ")\n"))
        << text.err.constData();
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    EXPECT_EQ(runZanto(escpos + QStringList {QStringLiteral("-o"), pdf}, job).exitCode, 0);
    QFile pdfFile(pdf);
    ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdfFile.readAll().contains("/Contents (" + label.toLatin1() + ")"));
    const QString png = dir.filePath(QStringLiteral("sheet.png"));
    EXPECT_EQ(runZanto(escpos
                      + QStringList {QStringLiteral("-o"), png, QStringLiteral("--dpi"),
                          QStringLiteral("72")},
                  job)
                  .exitCode,
        0);
    const QImage sheet(dir.filePath(QStringLiteral("sheet-1.png")));
    ASSERT_FALSE(sheet.isNull());
    // The box, tinted orange, of 128 by 100 dots of 203 an inch at 72.
    int tinted = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            const QRgb pixel = sheet.pixel(x, y);
            tinted += qRed(pixel) - qBlue(pixel) > 20;
        }
    const double area = (128 * 72 / 203.0) * (100 * 72 / 203.0);
    EXPECT_GT(tinted, 0.85 * area);
    EXPECT_LT(tinted, 1.2 * area);
}

TEST(PreviewCli, PngPagesAtTheChosenResolution)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("sheet.png"));
    run({QStringLiteral("preview"), QStringLiteral("-o"), out, QStringLiteral("--dpi"),
            QStringLiteral("50"), QStringLiteral("--paper"), QStringLiteral("a4")},
        "one\fthree\r\n");
    EXPECT_EQ(QImageReader(dir.filePath(QStringLiteral("sheet-1.png"))).size(), QSize(413, 585));
    EXPECT_EQ(QImageReader(dir.filePath(QStringLiteral("sheet-2.png"))).size(), QSize(413, 585));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sheet-3.png"))));
}

TEST(PreviewCli, PrintPreviewOpensNoPort)
{
    TempDir dir;
    const QString device = dir.filePath(QStringLiteral("lpt1"));
    EXPECT_EQ(run({QStringLiteral("print"), QStringLiteral("--port"), QStringLiteral("LPT1"),
                      QStringLiteral("--device"), QStringLiteral("LPT1=") + device,
                      QStringLiteral("--preview"), QStringLiteral("-"),
                      QStringLiteral("--printer-type"), QStringLiteral("epson")},
                  "hello\n"),
        QByteArray("hello\n"));
    EXPECT_FALSE(QFile::exists(device));
}

TEST(PreviewCli, UsageMistakesAreRefused)
{
    const std::vector<std::pair<QStringList, QByteArray>> cases {
        {{QStringLiteral("--paper"), QStringLiteral("a5")},
            "zanto preview: --paper: unknown paper 'a5' (one of: fanfold, fanfold12, a4, letter, "
            "roll80, roll58)\n"},
        {{QStringLiteral("--format"), QStringLiteral("tiff")},
            "zanto preview: --format: unknown format 'tiff' (one of: pdf, png, text)\n"},
        {{QStringLiteral("--printer-type"), QStringLiteral("laser")},
            "zanto preview: --printer-type: unknown value 'laser' (one of: hppcl, epson, ibm, "
            "diablo, plain, user1, user2)\n"},
        {{QStringLiteral("--format"), QStringLiteral("png")},
            "zanto preview: PNG pages need an output name: -o NAME.png\n"},
        {{QStringLiteral("--dpi"), QStringLiteral("5")},
            "zanto preview: --dpi: 5 is not from 10 to 1200\n"},
        {{QStringLiteral("--language"), QStringLiteral("postscript")},
            "zanto preview: --language: unknown language 'postscript' (one of: escp-9pin, "
            "escp-24pin, proprinter, pcl5, diablo630, escpos, escpos-180dpi, star-line, plain, "
            "plain-newline)\n"},
        {{QStringLiteral("--background"), QStringLiteral("blue")},
            "zanto preview: --background: unknown value 'blue' (one of: none, tractor, "
            "greenbar)\n"},
    };
    for (const auto &[arguments, message] : cases) {
        const ProcessResult result
            = runZanto(QStringList {QStringLiteral("preview")} + arguments, "x");
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.endsWith(message)) << result.err.constData();
    }
}

// The labels of marked sequences are notes on the page, not text: the PDF's
// text is what was printed, and each marker's note names its bytes.
TEST(PreviewCli, PdfMarkerLabelsAreNotesOutsideTheText)
{
    struct Case
    {
        const char *language;
        QByteArray job;
        const char *label;
    };
    const Case cases[] {
        {"escp-9pin",
            "abc\x1b\x7f"
            "def\r\nghi\r\n",
            "(ESC 127)"},
        {"escpos",
            "abc\x1b\x7f"
            "def\nghi\n",
            "(ESC 127)"},
        {"pcl5",
            "abc\x1b\x7f"
            "def\r\nghi\r\n",
            "(ESC 127)"},
    };
    TempDir dir;
    for (const Case &test : cases) {
        SCOPED_TRACE(test.language);
        dir.write(QStringLiteral("job.prn"), test.job);
        const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
        run({QStringLiteral("preview"), QStringLiteral("--language"),
            QLatin1StringView(test.language), QStringLiteral("-o"), pdf,
            dir.filePath(QStringLiteral("job.prn"))});
        const QByteArray text = tool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        EXPECT_EQ(text.simplified(), QByteArray("abcdef ghi")) << text.constData();
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count("/Subtype /Text "), 1);
        EXPECT_TRUE(bytes.contains(QByteArray("/Contents ") + test.label)) << test.label;
    }
}

// Where each language's positioning commands put the next character, as
// measured in the PDF's text (pdftotext -bbox): the distance from word A to
// word B, in points, is what the maker's manual says the command means,
// within half a dot.
TEST(PreviewCli, PdfPositionsFollowEachLanguagesCommands)
{
    struct Case
    {
        const char *language;
        QByteArray job; // prints "A", then after the command "B"
        double points; // B's left edge right of A's
        double dotsPerInch; // of the tolerance's half dot
    };
    const Case cases[] {
        // ESC $ nL nH: n/60 inch from the left margin.
        {"escp-24pin",
            QByteArray("A\x1b$\x78\x00"
                       "B\r\n",
                7),
            144, 360},
        {"escp-9pin",
            QByteArray("A\x1b$\x3c\x00"
                       "B\r\n",
                7),
            72, 120},
        // ESC/POS ESC $ nL nH: dots at 203 dpi from the line's start.
        {"escpos",
            QByteArray("A\x1b$\x96\x01"
                       "B\n",
                6),
            406 * 72.0 / 203, 203},
        {"escpos-180dpi",
            QByteArray("A\x1b$\x68\x01"
                       "B\n",
                6),
            360 * 72.0 / 180, 180},
        // PCL: &a#C columns of 1/10 inch, &a#H decipoints, *p#X PCL units.
        {"pcl5", "A\x1b&a20CB\r\n", 144, 300},
        {"pcl5", "A\x1b&a1080HB\r\n", 108, 300},
        {"pcl5", "A\x1b*p450XB\r\n", 108, 300},
        // Diablo: ESC US n sets the cell to (n - 1)/120 inch; a space is one cell.
        {"diablo630",
            "\x1b\x1f\x19"
            "A B\r\n",
            2 * 24 * 72.0 / 120, 120},
    };
    const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([0-9.]+)"[^>]*>([AB])</word>)re"));
    TempDir dir;
    for (const Case &test : cases) {
        SCOPED_TRACE(std::string(test.language) + " " + test.job.toHex(' ').toStdString());
        dir.write(QStringLiteral("job.prn"), test.job);
        const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
        run({QStringLiteral("preview"), QStringLiteral("--language"),
            QLatin1StringView(test.language), QStringLiteral("-o"), pdf,
            dir.filePath(QStringLiteral("job.prn"))});
        const QString boxes = QString::fromUtf8(
            tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
        std::map<QString, double> left;
        for (const QRegularExpressionMatch &match : word.globalMatch(boxes))
            left[match.captured(2)] = match.captured(1).toDouble();
        ASSERT_EQ(left.size(), 2u) << boxes.toStdString();
        EXPECT_NEAR(left[QStringLiteral("B")] - left[QStringLiteral("A")], test.points,
            0.5 * 72 / test.dotsPerInch);
    }
}

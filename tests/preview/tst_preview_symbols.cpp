// ESC/POS and Star Line mode barcodes and QR codes drawn by the preview
// read back with ZXing: every symbol zanto print --markup sends, and every
// one in the receipt libraries' streams; what the preview cannot draw is
// listed with a reason.
#define ZX_USE_UTF8
#include "collectedpages.h"

#include <zantoquiller/graphics.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/paper.h>
#include <zantoquiller/printerlanguage.h>

#include <gtest/gtest.h>

#include <ZXing/ReadBarcode.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

using namespace Zanto;
using namespace Zanto::Preview;
using namespace PreviewTest;

namespace {

constexpr int QuietZone = 40; // dots of white around a symbol for the reader

struct Read
{
    std::string format;
    std::string text;
};

// The symbol's dots as drawn on the sheet, with white around them.
Read decode(const DotImage &image)
{
    const int width = image.columns + 2 * QuietZone;
    const int height = image.rows + 2 * QuietZone;
    std::vector<uint8_t> grey(std::size_t(width) * height, 255);
    for (qint32 row = 0; row < image.rows; ++row)
        for (qint32 column = 0; column < image.columns; ++column)
            if (image.dot(column, row))
                grey[std::size_t(row + QuietZone) * width + column + QuietZone] = 0;
    const ZXing::Result result
        = ZXing::ReadBarcode(ZXing::ImageView(grey.data(), width, height, ZXing::ImageFormat::Lum),
            ZXing::DecodeHints().setTryHarder(true).setReturnCodabarStartEnd(true));
    return {ZXing::ToString(result.format()), result.text()};
}

struct Job
{
    std::vector<DotImage> images;
    std::vector<UnknownSequence> ignored;
    std::vector<std::pair<qint32, QByteArray>> lines; // each line's y and characters
};

Job preview(const char *language, const QByteArray &bytes, const char *paper = "roll80")
{
    PrinterSetup setup;
    setup.language = PrinterLanguage::find(QString::fromLatin1(language));
    setup.paper = findPaper(QString::fromLatin1(paper));
    CollectedPages pages;
    ByteInterpreter interpreter(setup, pages);
    interpreter.feed(bytes);
    interpreter.finish();
    Job job {{}, interpreter.ignoredCommands(), {}};
    for (const Page &page : pages.pages) {
        job.images.insert(job.images.end(), page.images.begin(), page.images.end());
        for (const Line &line : page.lines) {
            QByteArray text;
            for (const Glyph &glyph : line.glyphs)
                text += char(glyph.byte);
            job.lines.emplace_back(line.y, text);
        }
    }
    return job;
}

// ZXing's name of each symbology, in BarcodeType's order.
const char *const formats[] = {"EAN-13", "UPC-A", "Code39", "Code128", "ITF", "Codabar"};

// Symbols of the receipt streams the printer does not print, and why.
struct Refused
{
    const char *format;
    const char *why;
};
const Refused refusedOn58mm[] = {
    {"Code39", "ZANTO-39 at 3 dots a module is 387 dots wide"},
    {"Code128", "{BZanto-128 at 3 dots a module is 402 dots wide"},
};

QString fixture(const QString &path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/tests/fixtures/foreign/")
        + path;
}

} // namespace

// What zanto print --markup sends for each symbology and the QR code, at
// several sizes, alignments and in both resolutions, decodes from the
// preview's dots to the data given.
TEST(PreviewSymbols, MarkupSymbolsDecodeToTheirData)
{
    struct Row
    {
        std::optional<BarcodeType> type; // none: a QR code
        const char *data;
        const char *decoded; // check digits added
        int module;
        GraphicsAlignment alignment;
    } rows[] = {
        {BarcodeType::Ean13, "400638133393", "4006381333931", 2, GraphicsAlignment::Left},
        {BarcodeType::Ean13, "4006381333931", "4006381333931", 3, GraphicsAlignment::Center},
        {BarcodeType::UpcA, "03600029145", "036000291452", 2, GraphicsAlignment::Right},
        {BarcodeType::Code39, "ZANTO-42", "ZANTO-42", 2, GraphicsAlignment::Center},
        {BarcodeType::Code128, "Receipt {No} 0815", "Receipt {No} 0815", 2,
            GraphicsAlignment::Left},
        {BarcodeType::Code128, "Save 100% now", "Save 100% now", 2, GraphicsAlignment::Right},
        {BarcodeType::Itf, "12345670", "12345670", 4, GraphicsAlignment::Left},
        {BarcodeType::Codabar, "A40156B", "A40156B", 3, GraphicsAlignment::Right},
        {std::nullopt, "https://example.org/receipt?id=4711", "https://example.org/receipt?id=4711",
            3, GraphicsAlignment::Center},
        {std::nullopt, "Grüße 42", "Grüße 42", 6, GraphicsAlignment::Left},
    };
    for (const char *language : {"escpos", "escpos-180dpi", "star-line"}) {
        const PrinterLanguage &escpos = *PrinterLanguage::find(QString::fromLatin1(language));
        for (const Row &row : rows) {
            SCOPED_TRACE(testing::Message() << language << ": " << row.data);
            const GraphicsBytes bytes = row.type
                ? barcodeBytes(escpos, *row.type, row.data, {row.module, 80, true}, row.alignment)
                : qrCodeBytes(escpos, QByteArray(row.data), {row.module, QrErrorLevel::Medium},
                    row.alignment);
            ASSERT_FALSE(bytes.error);
            // Text before and after: the symbol stands on a line of its own.
            const Job job = preview(language, "before\n" + bytes.bytes + "after\n");
            EXPECT_TRUE(job.ignored.empty()) << job.ignored.front().reason.toStdString();
            ASSERT_EQ(job.images.size(), 1u);
            const DotImage &image = job.images.front();
            const Read read = decode(image);
            EXPECT_EQ(read.text, row.decoded);
            EXPECT_EQ(read.format, row.type ? formats[int(*row.type)] : "QRCode");
            if (row.type) {
                EXPECT_EQ(image.rows, 80);
            }
            // Where the alignment puts it across the line.
            const double width = image.columns * double(UnitsPerInch) / image.dotsPerInchX;
            double line = findPaper(u"roll80")->printableWidth;
            for (const LanguagePaperWidth &paper : escpos.model().paperWidths)
                if (QLatin1StringView(paper.paper) == QLatin1StringView("roll80"))
                    line = double(UnitsPerInch) * paper.dots / escpos.model().dotsPerInch;
            const double expected = row.alignment == GraphicsAlignment::Left ? 0
                : row.alignment == GraphicsAlignment::Center                 ? (line - width) / 2
                                                                             : line - width;
            EXPECT_NEAR(image.x, expected, UnitsPerInch / image.dotsPerInchX); // a dot
        }
    }
}

// Every barcode and QR code in the receipt libraries' ESC/POS streams, in
// the order they come, decodes to the value the library was given.
// Star's ESC b draws the bars its mode n3 gives: Code 39, NW-7 and ITF in
// nine pairs of narrow and wide bars, the others in modules of 2 to 4 dots.
TEST(PreviewSymbols, StarBarcodeModesSetTheBarWidths)
{
    struct Row
    {
        char type;
        const char *data;
        const char *decoded;
        const char *format;
        // narrow and wide bars of n3 1 to 9 (one width: modes 1 to 3)
        std::vector<std::pair<int, int>> widths;
    } rows[] = {
        {'4', "Z-39", "Z-39", "Code39",
            {{2, 6}, {3, 9}, {4, 12}, {2, 5}, {3, 8}, {4, 10}, {2, 4}, {3, 6}, {4, 8}}},
        {'8', "A40156B", "A40156B", "Codabar",
            {{2, 6}, {3, 9}, {4, 12}, {2, 5}, {3, 8}, {4, 10}, {2, 4}, {3, 6}, {4, 8}}},
        {'5', "1234567", "01234567", "ITF",
            {{2, 5}, {4, 10}, {6, 15}, {2, 4}, {4, 8}, {6, 12}, {2, 6}, {3, 9}, {4, 12}}},
        // The check digit given is the printer's to make.
        {'3', "4006381333930", "4006381333931", "EAN-13", {{2, 8}, {3, 12}, {4, 16}}},
        {'1', "03600029145", "036000291452", "UPC-A", {{2, 8}, {3, 12}, {4, 16}}},
        {'6', "%0 %I%6", "% \t", "Code128", {{2, 8}, {3, 12}, {4, 16}}},
    };
    for (const Row &row : rows) {
        for (std::size_t mode = 0; mode < row.widths.size(); ++mode) {
            SCOPED_TRACE(testing::Message() << row.format << " mode " << mode + 1);
            QByteArray job("\x1b"
                           "b");
            job += row.type;
            job += '1';
            job += char('1' + mode);
            job += char(60);
            job += row.data;
            job += '\x1e';
            const Job drawn = preview("star-line", job);
            EXPECT_TRUE(drawn.ignored.empty()) << drawn.ignored.front().reason.toStdString();
            ASSERT_EQ(drawn.images.size(), 1u);
            const DotImage &image = drawn.images.front();
            EXPECT_EQ(image.rows, 60);
            const Read read = decode(image);
            EXPECT_EQ(read.format, row.format);
            EXPECT_EQ(read.text, row.decoded);
            // The narrowest and widest runs of dots across the bars.
            int narrowest = image.columns, widest = 0, run = 0;
            for (qint32 column = 0; column <= image.columns; ++column) {
                if (column > 0
                    && (column == image.columns
                        || image.dot(column, 0) != image.dot(column - 1, 0))) {
                    narrowest = std::min(narrowest, run);
                    widest = std::max(widest, run);
                    run = 0;
                }
                ++run;
            }
            EXPECT_EQ(narrowest, row.widths[mode].first);
            EXPECT_LE(widest, row.widths[mode].second);
            if (row.type == '4' || row.type == '5' || row.type == '8') {
                EXPECT_EQ(widest, row.widths[mode].second);
            }
        }
    }
    // n2 2: the data, check digit made, in a line of characters centred
    // below the bars (n4 '0': 48 dots high); the next line below that.
    const Job below = preview("star-line",
        QByteArray("\x1b\x1d"
                   "a\x01\x1b"
                   "b3220400638133393\x1e"
                   "next\n"));
    ASSERT_EQ(below.images.size(), 1u);
    const DotImage &bars = below.images.front();
    ASSERT_EQ(below.lines.size(), 2u);
    const qint32 barsEnd = bars.y + qint32(std::lround(48.0 * UnitsPerInch / 203));
    EXPECT_EQ(below.lines[0], std::make_pair(barsEnd, QByteArray("4006381333931")));
    EXPECT_GT(below.lines[1].first, barsEnd);
    EXPECT_EQ(below.lines[1].second, "next");
}

TEST(PreviewSymbols, ReceiptLibrarySymbolsDecodeToTheirValues)
{
    QFile list(fixture(QStringLiteral("receipts/receipts.json")));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QJsonArray receipts = QJsonDocument::fromJson(list.readAll()).array();
    const std::map<QString, const char *> names {{u"ean13"_qs, "EAN-13"}, {u"upca"_qs, "UPC-A"},
        {u"code39"_qs, "Code39"}, {u"code128"_qs, "Code128"}, {u"itf"_qs, "ITF"},
        {u"codabar"_qs, "Codabar"}};
    int checked = 0;
    for (const QJsonValue &value : receipts) {
        const QJsonObject receipt = value.toObject();
        if (!receipt.contains(u"barcodes") && !receipt.contains(u"qrcode"))
            continue;
        const QString file = receipt[u"file"].toString();
        SCOPED_TRACE(file.toStdString());
        QFile input(fixture(QStringLiteral("receipts/") + file));
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        // StarPRNT's symbol commands are Star Line mode's.
        const QString kind = receipt[u"language"].toString();
        const char *language = kind != u"esc-pos" ? "star-line"
            : receipt[u"dpi"].toInt() == 180      ? "escpos-180dpi"
                                                  : "escpos";
        const Job job = preview(language, input.readAll(),
            receipt[u"paper"].toString().startsWith(u"58") ? "roll58" : "roll80");
        // node-thermal-printer sends its QR code's data without the
        // ESC GS y D 1 that stores it: the printer has nothing to print.
        const bool unstored = file == u"node-thermal-printer/star-line.bin";
        std::vector<Read> expected;
        for (const QJsonValue &barcode : receipt[u"barcodes"].toArray())
            expected.push_back({names.at(barcode[u"symbology"].toString()),
                barcode[u"value"].toString().toStdString()});
        if (receipt.contains(u"qrcode") && !unstored)
            expected.push_back({"QRCode", receipt[u"qrcode"].toString().toStdString()});
        // On 58 mm paper (384 dots) two bar codes at three dots a module
        // are wider than the line: the printer prints nothing for them.
        for (const Refused &refused : refusedOn58mm) {
            if (file.endsWith(u"58mm-codes.bin")) {
                std::erase_if(
                    expected, [&](const Read &symbol) { return symbol.format == refused.format; });
            }
        }
        for (const UnknownSequence &ignored : job.ignored) {
            const bool known = (file.endsWith(u"58mm-codes.bin")
                                   && ignored.reason.contains(u"wider than the line"))
                || (unstored && ignored.reason == u"no QR code data is stored");
            EXPECT_TRUE(known) << "not drawn: " << ignored.reason.toStdString();
        }
        EXPECT_EQ(job.ignored.size(), file.endsWith(u"58mm-codes.bin") ? 2u : unstored ? 1u : 0u);
        // The streams hold pictures too: the symbols are the images that
        // decode.
        std::vector<Read> read;
        for (const DotImage &image : job.images) {
            const Read symbol = decode(image);
            if (!symbol.text.empty())
                read.push_back(symbol);
        }
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].format, expected[i].format);
            EXPECT_EQ(read[i].text, expected[i].text);
        }
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

// Symbols the preview cannot draw as the printer would are listed as
// ignored with the reason, and nothing is drawn for them.
TEST(PreviewSymbols, WhatCannotBeDrawnIsListedWithItsReason)
{
    const auto b = [](const char *bytes, std::size_t size) {
        return QByteArray(bytes, qsizetype(size - 1));
    };
#define BYTES(s) b(s, sizeof s)
    struct Row
    {
        QByteArray job;
        const char *reason;
        const char *language = "escpos";
    } rows[] = {
        {BYTES("\x1dk\x01"
               "0123456\x00"),
            "UPC-E bar codes are not drawn"},
        {BYTES("\x1dk\x44\x08"
               "40063813"),
            "EAN-8 bar codes are not drawn"},
        {BYTES("\x1dk\x48\x03"
               "ABC"),
            "Code 93 bar codes are not drawn"},
        {BYTES("\x1dk\x07"
               "1\x00"),
            "bar code type 7 is not one the printer knows"},
        {BYTES("\x1dk\x02"
               "12ab\x00"),
            "EAN-13:"},
        {BYTES("\x1dk\x49\x03"
               "abc"),
            "Code 128 data does not start with a code set"},
        {BYTES("\x1dk\x49\x04{B{1"), "Code 128 function {1 is not drawn"},
        {BYTES("\x1dk\x49\x05{Bab"), "bar code data ends early"},
        {BYTES("x\x1dk\x04"
               "AB\x00"),
            "a symbol prints only at the start of a line"},
        {BYTES("\x1dw\x06\x1dk\x04"
               "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x00"),
            "wider than the line"},
        {BYTES("\x1d(k\x03\x00"
               "1Q0"),
            "no QR code data is stored"},
        {BYTES("\x1d(k\x04\x00"
               "1A1\x00\x1d(k\x04\x00"
               "1P0A\x1d(k\x03\x00"
               "1Q0"),
            "QR code model 1 is not drawn"},
        {BYTES("\x1d(k\x03\x00"
               "2Q0"),
            "two-dimensional code 50 is not drawn"},
        {BYTES("\x1b"
               "b7220ABC\x1e"),
            "Code 93 bar codes are not drawn", "star-line"},
        {BYTES("\x1b"
               "b\x03\x05\x01\x50"
               "400638133393\x1e"),
            "EAN-13: parameters out of range", "star-line"},
        {BYTES("\x1b"
               "b\x03\x01\x01\x50"
               "40063813339X\x1e"),
            "EAN-13: data the printer does not take", "star-line"},
        {BYTES("\x1b"
               "b\x06\x01\x01\x50%1AB\x1e"),
            "Code 128 function %1 is not drawn", "star-line"},
        {BYTES("\x1b\x1dyP"), "no QR code data is stored", "star-line"},
        {BYTES("\x1b\x1dyS0\x01\x1b\x1dyD1\x00\x01\x00"
               "A\x1b\x1dyP"),
            "QR code model 1 is not drawn", "star-line"},
    };
#undef BYTES
    for (const Row &row : rows) {
        SCOPED_TRACE(row.reason);
        const Job job = preview(row.language, row.job);
        EXPECT_TRUE(job.images.empty());
        ASSERT_EQ(job.ignored.size(), 1u);
        EXPECT_TRUE(job.ignored.front().reason.contains(QLatin1StringView(row.reason)))
            << job.ignored.front().reason.toStdString();
    }
    // A reset brings back the default height, and the stored QR data is
    // gone.
    const Job reset = preview("escpos",
        QByteArray("\x1dh\x20\x1d(k\x04\x00"
                   "1P0A\x1b@\x1dk\x04"
                   "AB\x00\x1d(k\x03\x00"
                   "1Q0",
            28));
    ASSERT_EQ(reset.images.size(), 1u);
    EXPECT_EQ(reset.images.front().rows, 162);
    ASSERT_EQ(reset.ignored.size(), 1u);
    EXPECT_EQ(reset.ignored.front().reason, u"no QR code data is stored");
    // A new module size takes effect on the data stored before.
    const Job twice = preview("escpos",
        QByteArray("\x1d(k\x04\x00"
                   "1P0A\x1d(k\x03\x00"
                   "1Q0\x1d(k\x03\x00"
                   "1C\x06\x1d(k\x03\x00"
                   "1Q0",
            33));
    ASSERT_EQ(twice.images.size(), 2u);
    EXPECT_EQ(twice.images[0].columns, 21 * 3);
    EXPECT_EQ(twice.images[1].columns, 21 * 6);
    EXPECT_EQ(decode(twice.images[1]).text, "A");
    // Star: QR code data out of range is passed over, and the data stored
    // before stays.
    const Job kept = preview("star-line",
        QByteArray("\x1b\x1dyD1\x00\x01\x00"
                   "A\x1b\x1dyD1\x01\x01\x00"
                   "B\x1b\x1dyP",
            22));
    ASSERT_EQ(kept.images.size(), 1u);
    EXPECT_EQ(decode(kept.images.front()).text, "A");
    ASSERT_EQ(kept.ignored.size(), 1u);
    EXPECT_EQ(kept.ignored.front().reason, u"QR code data: parameters out of range");
}

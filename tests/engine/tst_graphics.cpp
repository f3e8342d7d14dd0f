// Barcodes, QR codes and pictures as printer bytes: the receipt printers'
// own commands byte for byte, and every drawn symbol read back by ZXing
// from the dots each language's bytes carry.
#define ZX_USE_UTF8
#include <zantoquiller/graphics.h>
#include <zantoquiller/printerlanguage.h>

#include <ZXing/ReadBarcode.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Zanto;

namespace {

const PrinterLanguage &language(const char *name)
{
    const PrinterLanguage *found = PrinterLanguage::find(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

int word(QByteArrayView bytes, qsizetype at)
{
    return uchar(bytes[at]) | uchar(bytes[at + 1]) << 8;
}

// The dots of a picture sent as ESC/POS GS v 0 bands, stacked.
MonoBitmap fromEscPos(QByteArrayView bytes)
{
    if (bytes.startsWith("\x1b"
                         "a"))
        bytes = bytes.sliced(3);
    std::vector<QByteArray> rows;
    int widthBytes = 0;
    while (!bytes.isEmpty()) {
        EXPECT_TRUE(bytes.startsWith(QByteArrayView("\x1dv0\0", 4)));
        widthBytes = word(bytes, 4);
        const int height = word(bytes, 6);
        bytes = bytes.sliced(8);
        for (int y = 0; y < height; ++y, bytes = bytes.sliced(widthBytes))
            rows.push_back(bytes.first(widthBytes).toByteArray());
    }
    MonoBitmap bitmap(widthBytes * 8, int(rows.size()));
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            bitmap.setDot(x, y, (uchar(rows[y][x / 8]) >> (7 - x % 8)) & 1);
    return bitmap;
}

// The dots of ESC/P column bit images, one band per ESC * line.
MonoBitmap fromEscp(QByteArrayView bytes)
{
    EXPECT_TRUE(bytes.startsWith("\x1b"
                                 "3\x18"));
    EXPECT_TRUE(bytes.endsWith("\x1b"
                               "2"));
    bytes = bytes.sliced(3).chopped(2);
    MonoBitmap bitmap(3000, 3000);
    int top = 0, width = 0;
    while (!bytes.isEmpty()) {
        EXPECT_TRUE(bytes.startsWith("\x1b*"));
        const int perColumn = bytes[2] == 39 ? 3 : 1;
        width = word(bytes, 3);
        bytes = bytes.sliced(5);
        for (int x = 0; x < width; ++x)
            for (int bit = 0; bit < perColumn * 8; ++bit)
                bitmap.setDot(
                    x, top + bit, (uchar(bytes[x * perColumn + bit / 8]) >> (7 - bit % 8)) & 1);
        bytes = bytes.sliced(width * perColumn);
        EXPECT_TRUE(bytes.startsWith("\r\n"));
        bytes = bytes.sliced(2);
        top += perColumn * 8;
    }
    MonoBitmap cut(width, top);
    for (int y = 0; y < top; ++y)
        for (int x = 0; x < width; ++x)
            cut.setDot(x, y, bitmap.dot(x, y));
    return cut;
}

// The dots of Star's fine density bit images (ESC X), one stripe of 24
// dots per line, fed 3 mm (ESC 0) and the spacing back to 4 mm after.
MonoBitmap fromStar(QByteArrayView bytes)
{
    EXPECT_TRUE(bytes.startsWith("\x1b\x1d"
                                 "a\x00"
                                 "\x1b"
                                 "0"));
    EXPECT_TRUE(bytes.endsWith("\x1bz\x01"));
    bytes = bytes.sliced(6).chopped(3);
    std::vector<std::vector<bool>> rows;
    int width = 0;
    while (!bytes.isEmpty()) {
        EXPECT_TRUE(bytes.startsWith("\x1bX"));
        width = word(bytes, 2);
        bytes = bytes.sliced(4);
        const std::size_t top = rows.size();
        rows.resize(top + 24, std::vector<bool>(std::size_t(width)));
        for (int x = 0; x < width; ++x)
            for (std::size_t bit = 0; bit < 24; ++bit)
                rows[top + bit][std::size_t(x)]
                    = (uchar(bytes[x * 3 + bit / 8]) >> (7 - bit % 8)) & 1;
        bytes = bytes.sliced(width * 3);
        EXPECT_TRUE(bytes.startsWith("\n"));
        bytes = bytes.sliced(1);
    }
    MonoBitmap bitmap(width, int(rows.size()));
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setDot(x, y, rows[std::size_t(y)][std::size_t(x)]);
    return bitmap;
}

// The dots of PCL raster rows.
MonoBitmap fromPcl(QByteArrayView bytes)
{
    EXPECT_TRUE(bytes.startsWith("\x1b*t300R\x1b*r1A"));
    EXPECT_TRUE(bytes.endsWith("\x1b*rB"));
    bytes = bytes.sliced(12).chopped(4);
    std::vector<QByteArray> rows;
    int width = 0;
    while (!bytes.isEmpty()) {
        EXPECT_TRUE(bytes.startsWith("\x1b*b"));
        const qsizetype w = bytes.indexOf('W');
        const int count = bytes.sliced(3, w - 3).toInt();
        rows.push_back(bytes.sliced(w + 1, count).toByteArray());
        width = std::max(width, count * 8);
        bytes = bytes.sliced(w + 1 + count);
    }
    MonoBitmap bitmap(width, int(rows.size()));
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < int(rows[y].size()) * 8; ++x)
            bitmap.setDot(x, y, (uchar(rows[y][x / 8]) >> (7 - x % 8)) & 1);
    return bitmap;
}

std::string decode(const MonoBitmap &bitmap)
{
    std::vector<uint8_t> grey(size_t(bitmap.width()) * bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            grey[size_t(y) * bitmap.width() + x] = bitmap.dot(x, y) ? 0 : 255;
    const ZXing::ImageView view(
        grey.data(), bitmap.width(), bitmap.height(), ZXing::ImageFormat::Lum);
    return ZXing::ReadBarcode(
        view, ZXing::DecodeHints().setTryHarder(true).setReturnCodabarStartEnd(true))
        .text();
}

struct Symbol
{
    std::optional<BarcodeType> type; // none: a QR code
    const char *data;
    const char *decoded; // what a reader gives back (check digits added)
};

const Symbol symbols[] = {
    {BarcodeType::Ean13, "4006381333931", "4006381333931"},
    {BarcodeType::Ean13, "400638133393", "4006381333931"},
    {BarcodeType::UpcA, "03600029145", "036000291452"},
    {BarcodeType::Code39, "ZANTO-42", "ZANTO-42"},
    {BarcodeType::Code128, "Receipt {No} 0815", "Receipt {No} 0815"},
    {BarcodeType::Itf, "12345670", "12345670"},
    {BarcodeType::Codabar, "A40156B", "A40156B"},
    {std::nullopt, "https://example.org/receipt?id=4711", "https://example.org/receipt?id=4711"},
};

GraphicsBytes bytesFor(
    const PrinterLanguage &printer, const Symbol &symbol, GraphicsAlignment alignment)
{
    if (symbol.type)
        return barcodeBytes(printer, *symbol.type, symbol.data, {2, 60, true}, alignment);
    return qrCodeBytes(printer, symbol.data, {3, QrErrorLevel::Medium}, alignment);
}

} // namespace

// One row of the Epson ESC/POS reference for each command: GS h, GS w and
// GS H before GS k m n (format 2); GS ( k functions 165, 167, 169, 180, 181.
TEST(Graphics, EscPosCommandsAsTheReferenceGivesThem)
{
    const PrinterLanguage &escpos = language("escpos");
    struct Row
    {
        GraphicsBytes bytes;
        QByteArray expected;
    } rows[] = {
        {barcodeBytes(
             escpos, BarcodeType::Ean13, "4006381333931", {3, 80, true}, GraphicsAlignment::Center),
            hex("1b6101"
                "1d6850"
                "1d7703"
                "1d4802"
                "1d6b430d")
                + "4006381333931"},
        {barcodeBytes(
             escpos, BarcodeType::UpcA, "036000291452", {2, 162, false}, GraphicsAlignment::Left),
            hex("1b6100"
                "1d68a2"
                "1d7702"
                "1d4800"
                "1d6b410c")
                + "036000291452"},
        {barcodeBytes(
             escpos, BarcodeType::Code39, "AB-12", {2, 80, true}, GraphicsAlignment::Right),
            hex("1b6102"
                "1d6850"
                "1d7702"
                "1d4802"
                "1d6b4505")
                + "AB-12"},
        {barcodeBytes(escpos, BarcodeType::Code128, "a{1", {2, 80, true}, GraphicsAlignment::Left),
            hex("1b6100"
                "1d6850"
                "1d7702"
                "1d4802"
                "1d6b4906")
                + "{Ba{{1"},
        {barcodeBytes(escpos, BarcodeType::Itf, "1234", {2, 80, true}, GraphicsAlignment::Left),
            hex("1b6100"
                "1d6850"
                "1d7702"
                "1d4802"
                "1d6b4604")
                + "1234"},
        {barcodeBytes(
             escpos, BarcodeType::Codabar, "A123B", {2, 80, true}, GraphicsAlignment::Left),
            hex("1b6100"
                "1d6850"
                "1d7702"
                "1d4802"
                "1d6b4705")
                + "A123B"},
        {qrCodeBytes(escpos, "ABC", {4, QrErrorLevel::Medium}, GraphicsAlignment::Center),
            hex("1b6101"
                "1d286b0400314132 00"
                "1d286b03003143 04"
                "1d286b03003145 31"
                "1d286b0600315030 414243"
                "1d286b0300315130")},
        {qrCodeBytes(escpos, "1", {8, QrErrorLevel::High}, GraphicsAlignment::Left),
            hex("1b6100"
                "1d286b0400314132 00"
                "1d286b03003143 08"
                "1d286b03003145 33"
                "1d286b0400315030 31"
                "1d286b0300315130")},
        // Star's ESC b n1 n2 n3 n4 data RS: Code 39 and ITF with wide bars
        // three times the narrow (modes 2 and 7), Code 128's % and control
        // codes as pairs.
        {barcodeBytes(language("star-line"), BarcodeType::Code39, "AB", {3, 50, true},
             GraphicsAlignment::Left),
            hex("1b1d6100"
                "1b62 34 32 32 32")
                + "AB\x1e"},
        {barcodeBytes(language("star-line"), BarcodeType::Itf, "1234", {2, 255, false},
             GraphicsAlignment::Right),
            hex("1b1d6102"
                "1b62 35 31 37 ff")
                + "1234\x1e"},
        {barcodeBytes(language("star-line"), BarcodeType::Code128, "5%\x1e\x7f", {4, 1, true},
             GraphicsAlignment::Center),
            hex("1b1d6101"
                "1b62 36 32 33 01")
                + "5%0%^%5\x1e"},
        // Star's ESC GS y: model 2, level, cell size, the data, print.
        {qrCodeBytes(
             language("star-line"), "ABC", {4, QrErrorLevel::Medium}, GraphicsAlignment::Center),
            hex("1b1d6101"
                "1b1d7953 30 02"
                "1b1d7953 31 01"
                "1b1d7953 32 04"
                "1b1d7944 31 00 0300 414243"
                "1b1d7950")},
    };
    for (const Row &row : rows) {
        EXPECT_FALSE(row.bytes.error) << row.bytes.error->message.toStdString();
        EXPECT_EQ(row.bytes.bytes.toHex(' '), row.expected.toHex(' '));
    }
}

// Every symbol, drawn for each language that takes pictures, decodes from
// the dots its bytes carry to the data given.
TEST(Graphics, DrawnSymbolsReadBackFromEachLanguagesBytes)
{
    struct Printer
    {
        const char *name;
        MonoBitmap (*read)(QByteArrayView);
    } printers[] = {{"escp-9pin", fromEscp}, {"escp-24pin", fromEscp}, {"pcl5", fromPcl}};
    for (const Printer &printer : printers)
        for (const Symbol &symbol : symbols) {
            SCOPED_TRACE(std::string(printer.name) + " " + symbol.data);
            const GraphicsBytes bytes
                = bytesFor(language(printer.name), symbol, GraphicsAlignment::Center);
            ASSERT_FALSE(bytes.error) << bytes.error->message.toStdString();
            const MonoBitmap dots = printer.read(bytes.bytes);
            EXPECT_EQ(decode(dots), symbol.decoded);
            // Centred: as much white on the left as is left over on the right.
            int left = 0;
            while (left < dots.width() && [&] {
                for (int y = 0; y < dots.height(); ++y)
                    if (dots.dot(left, y))
                        return false;
                return true;
            }())
                ++left;
            const int symbolWidth = dots.width() - left;
            EXPECT_NEAR(left, (graphicsLineWidth(language(printer.name)) - symbolWidth) / 2.0, 30);
        }
    for (const Symbol &symbol : symbols) {
        SCOPED_TRACE(symbol.data);
        const MonoBitmap drawn = symbol.type ? barcodeBitmap(*symbol.type, symbol.data, {})
                                             : qrBitmap(symbol.data, {});
        EXPECT_EQ(decode(drawn), symbol.decoded);
        const GraphicsBytes raster
            = bitmapBytes(language("escpos"), drawn, GraphicsAlignment::Left);
        const MonoBitmap back = fromEscPos(raster.bytes);
        EXPECT_EQ(decode(back), symbol.decoded);
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                ASSERT_EQ(back.dot(x, y), drawn.dot(x, y)) << x << "," << y;
        // Star: the stripes hold the same dots, blank below the last row.
        const GraphicsBytes stripes
            = bitmapBytes(language("star-line"), drawn, GraphicsAlignment::Left);
        ASSERT_FALSE(stripes.error);
        const MonoBitmap star = fromStar(stripes.bytes);
        ASSERT_EQ(star.width(), drawn.width());
        ASSERT_EQ(star.height(), (drawn.height() + 23) / 24 * 24);
        for (int y = 0; y < star.height(); ++y)
            for (int x = 0; x < star.width(); ++x)
                ASSERT_EQ(star.dot(x, y), drawn.dot(x, y)) << x << "," << y;
    }
}

// Data a symbology cannot carry, a picture wider than the paper and a
// language without pictures are refused with a reason, no bytes.
TEST(Graphics, RefusedWithAReason)
{
    struct Row
    {
        GraphicsBytes bytes;
        const char *mentions;
    } rows[] = {
        {barcodeBytes(language("escpos"), BarcodeType::Ean13, "12ab", {}, GraphicsAlignment::Left),
            "ean13"},
        {barcodeBytes(
             language("escpos"), BarcodeType::Code39, "lower case?", {}, GraphicsAlignment::Left),
            "code39"},
        {barcodeBytes(language("escpos"), BarcodeType::Itf, "", {}, GraphicsAlignment::Left),
            "no data"},
        {qrCodeBytes(language("plain"), "text", {}, GraphicsAlignment::Left), "no pictures"},
        {barcodeBytes(
             language("star-line"), BarcodeType::Code128, "caf\xe9", {}, GraphicsAlignment::Left),
            "characters the printer does not take"},
        {bitmapBytes(language("escpos"), MonoBitmap(577, 8), GraphicsAlignment::Left), "577"},
    };
    for (const Row &row : rows) {
        ASSERT_TRUE(row.bytes.error) << row.mentions;
        EXPECT_TRUE(row.bytes.bytes.isEmpty());
        EXPECT_TRUE(row.bytes.error->message.contains(QLatin1String(row.mentions)))
            << row.bytes.error->message.toStdString();
    }
}

TEST(Graphics, BarcodeTypeNamesRoundTrip)
{
    for (const Symbol &symbol : symbols) {
        if (symbol.type) {
            EXPECT_EQ(barcodeTypeFromName(barcodeTypeName(*symbol.type).toUpper()), symbol.type);
        }
    }
    EXPECT_EQ(barcodeTypeFromName(u"ean"), BarcodeType::Ean13);
    EXPECT_FALSE(barcodeTypeFromName(u"qr"));
}

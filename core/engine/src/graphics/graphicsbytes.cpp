// Barcodes, QR codes and pictures in each language's own commands.
#include <zantoquiller/graphics.h>
#include <zantoquiller/printerlanguage.h>

#include <algorithm>
#include <cstring>

namespace Zanto {

namespace {

enum class Family { EscPos, StarLine, Escp9, Escp24, Pcl, None };

Family familyOf(const PrinterLanguage &language)
{
    const char *name = language.model().name;
    if (std::strcmp(name, "escpos") == 0 || std::strcmp(name, "escpos-180dpi") == 0)
        return Family::EscPos;
    if (std::strcmp(name, "star-line") == 0)
        return Family::StarLine;
    if (std::strcmp(name, "escp-9pin") == 0)
        return Family::Escp9;
    if (std::strcmp(name, "escp-24pin") == 0)
        return Family::Escp24;
    if (std::strcmp(name, "pcl5") == 0)
        return Family::Pcl;
    return Family::None;
}

// Rows of a receipt printer's raster sent in one GS v 0: small enough for
// the receive buffer of the smallest printers (72 bytes by 64 rows).
constexpr int kRasterBandRows = 64;

QByteArray littleEndian16(int value)
{
    const char bytes[] = {char(value & 0xff), char((value >> 8) & 0xff)};
    return QByteArray(bytes, 2);
}

GraphicsBytes failure(QString message)
{
    return GraphicsBytes {{}, GraphicsError {std::move(message)}};
}

QByteArray escPosRaster(const MonoBitmap &bitmap)
{
    QByteArray bytes;
    for (int top = 0; top < bitmap.height(); top += kRasterBandRows) {
        const int rows = std::min(kRasterBandRows, bitmap.height() - top);
        bytes += QByteArrayView("\x1dv0\x00", 4);
        bytes += littleEndian16(bitmap.bytesPerRow());
        bytes += littleEndian16(rows);
        for (int y = top; y < top + rows; ++y)
            bytes += bitmap.row(y);
    }
    return bytes;
}

// ESC/P's column bit images: one pass per band of 8 (9-pin, mode 5, 72 by
// 72 dpi) or 24 dots (24-pin, mode 39, 180 by 180 dpi), the line spacing
// set to the band's height for the passes and back to 1/6 inch after.
QByteArray escpColumns(const MonoBitmap &bitmap, bool twentyFourPin)
{
    const int pins = twentyFourPin ? 24 : 8;
    const int bytesPerColumn = pins / 8;
    QByteArray bytes("\x1b"
                     "3",
        2);
    bytes += char(24); // 24/216 inch (9-pin) or 24/180 inch (24-pin): one band
    for (int top = 0; top < bitmap.height(); top += pins) {
        bytes += QByteArrayView("\x1b*", 2);
        bytes += char(twentyFourPin ? 39 : 5);
        bytes += littleEndian16(bitmap.width());
        for (int x = 0; x < bitmap.width(); ++x)
            for (int part = 0; part < bytesPerColumn; ++part) {
                uchar byte = 0;
                for (int bit = 0; bit < 8; ++bit)
                    if (bitmap.dot(x, top + part * 8 + bit))
                        byte |= uchar(0x80 >> bit);
                bytes += char(byte);
            }
        bytes += "\r\n";
    }
    bytes += QByteArrayView("\x1b"
                            "2",
        2);
    return bytes;
}

// Star Line mode's fine density bit image (ESC X nL nH, 24 dots down a
// column, 8 dots a millimetre both ways) in stripes fed 3 mm (ESC 0: 24
// dots) apart; the line spacing goes back to 4 mm (ESC z 1) after.
QByteArray starColumns(const MonoBitmap &bitmap)
{
    QByteArray bytes("\x1b"
                     "0",
        2);
    for (int top = 0; top < bitmap.height(); top += 24) {
        bytes += QByteArrayView("\x1bX", 2);
        bytes += littleEndian16(bitmap.width());
        for (int x = 0; x < bitmap.width(); ++x)
            for (int part = 0; part < 3; ++part) {
                uchar byte = 0;
                for (int bit = 0; bit < 8; ++bit)
                    if (bitmap.dot(x, top + part * 8 + bit))
                        byte |= uchar(0x80 >> bit);
                bytes += char(byte);
            }
        bytes += '\n';
    }
    bytes += QByteArrayView("\x1bz\x01", 3);
    return bytes;
}

QByteArray pclRaster(const MonoBitmap &bitmap)
{
    QByteArray bytes("\x1b*t300R\x1b*r1A");
    for (int y = 0; y < bitmap.height(); ++y) {
        QByteArrayView row = bitmap.row(y);
        while (!row.isEmpty() && row.back() == '\0')
            row.chop(1);
        bytes += "\x1b*b" + QByteArray::number(row.size()) + 'W';
        bytes += row;
    }
    bytes += "\x1b*rB";
    return bytes;
}

} // namespace

QString barcodeTypeName(BarcodeType type)
{
    switch (type) {
    case BarcodeType::Ean13:
        return QStringLiteral("ean13");
    case BarcodeType::UpcA:
        return QStringLiteral("upca");
    case BarcodeType::Code39:
        return QStringLiteral("code39");
    case BarcodeType::Code128:
        return QStringLiteral("code128");
    case BarcodeType::Itf:
        return QStringLiteral("itf");
    case BarcodeType::Codabar:
        return QStringLiteral("codabar");
    }
    return {};
}

std::optional<BarcodeType> barcodeTypeFromName(QStringView name)
{
    for (BarcodeType type : {BarcodeType::Ean13, BarcodeType::UpcA, BarcodeType::Code39,
             BarcodeType::Code128, BarcodeType::Itf, BarcodeType::Codabar})
        if (name.compare(barcodeTypeName(type), Qt::CaseInsensitive) == 0)
            return type;
    if (name.compare(u"ean", Qt::CaseInsensitive) == 0)
        return BarcodeType::Ean13;
    if (name.compare(u"upc", Qt::CaseInsensitive) == 0)
        return BarcodeType::UpcA;
    return std::nullopt;
}

bool supportsGraphics(const PrinterLanguage &language)
{
    const Family family = familyOf(language);
    return family != Family::None;
}

int graphicsDotsPerInch(const PrinterLanguage &language)
{
    switch (familyOf(language)) {
    case Family::Escp9:
        return 72;
    case Family::Escp24:
        return 180;
    case Family::Pcl:
        return 300;
    default:
        return language.model().dotsPerInch;
    }
}

int graphicsLineWidth(const PrinterLanguage &language)
{
    const LanguageModel &model = language.model();
    if (model.defaultPaper)
        for (const LanguagePaperWidth &paper : model.paperWidths)
            if (std::strcmp(paper.paper, model.defaultPaper) == 0)
                return paper.dots;
    // Continuous stationery and page printers: 8 inches across (80 columns
    // at 10 characters per inch), 7.5 on a page printer's A4 or letter.
    return familyOf(language) == Family::Pcl ? graphicsDotsPerInch(language) * 15 / 2
                                             : graphicsDotsPerInch(language) * 8;
}

QByteArray alignmentBytes(const PrinterLanguage &language, GraphicsAlignment alignment)
{
    switch (familyOf(language)) {
    case Family::EscPos:
        return QByteArray("\x1b"
                          "a",
                   2)
            + char(alignment);
    case Family::StarLine:
        return QByteArray("\x1b\x1d"
                          "a",
                   3)
            + char(alignment);
    default:
        return {};
    }
}

GraphicsBytes bitmapBytes(
    const PrinterLanguage &language, const MonoBitmap &bitmap, GraphicsAlignment alignment)
{
    const Family family = familyOf(language);
    if (!supportsGraphics(language))
        return failure(QStringLiteral("%1 printers take no pictures").arg(language.name()));
    if (bitmap.isEmpty())
        return {};
    const int lineWidth = graphicsLineWidth(language);
    if (bitmap.width() > lineWidth)
        return failure(QStringLiteral("the picture is %1 dots wide; the paper takes %2")
                           .arg(bitmap.width())
                           .arg(lineWidth));
    switch (family) {
    case Family::EscPos: {
        // The raster is whole bytes across and the printer aligns all of
        // it: the spare dots of the last byte go where they keep the
        // picture centred or flush right.
        const int spare = (8 - bitmap.width() % 8) % 8;
        const int shift = alignment == GraphicsAlignment::Left ? 0
            : alignment == GraphicsAlignment::Center           ? spare / 2
                                                               : spare;
        const MonoBitmap placed
            = shift > 0 ? bitmap.aligned(GraphicsAlignment::Right, bitmap.width() + shift) : bitmap;
        return {alignmentBytes(language, alignment) + escPosRaster(placed), std::nullopt};
    }
    case Family::StarLine:
        // The printer aligns the line the stripes are printed in.
        return {alignmentBytes(language, alignment) + starColumns(bitmap), std::nullopt};
    case Family::Escp9:
    case Family::Escp24:
        return {escpColumns(bitmap.aligned(alignment, lineWidth), family == Family::Escp24),
            std::nullopt};
    case Family::Pcl:
        return {pclRaster(bitmap.aligned(alignment, lineWidth)), std::nullopt};
    default:
        return failure(QStringLiteral("%1 printers take no pictures").arg(language.name()));
    }
}

namespace {

QByteArray escPosBarcode(BarcodeType type, QByteArrayView data, const BarcodeOptions &options)
{
    static constexpr char functions[] = {67, 65, 69, 73, 70, 71}; // in BarcodeType's order
    QByteArray payload = data.toByteArray();
    if (type == BarcodeType::Code128) // code set B, a brace doubled
        payload = "{B" + payload.replace("{", "{{");
    QByteArray bytes;
    bytes += QByteArray("\x1dh", 2) + char(std::clamp(options.height, 1, 255));
    bytes += QByteArray("\x1dw", 2) + char(std::clamp(options.moduleWidth, 2, 6));
    bytes += QByteArray("\x1dH", 2) + char(options.humanReadable ? 2 : 0);
    bytes += QByteArray("\x1dk", 2) + functions[int(type)] + char(payload.size());
    bytes += payload;
    return bytes;
}

// Star's ESC b n1 n2 n3 n4 data RS: n1 the symbology, n2 the characters
// below (with a line feed after), n3 the mode (the narrowest bar: 2, 3 or
// 4 dots; for Code 39, NW-7 and ITF the narrow and wide bars in the ratio
// 1:3), n4 the height in dots. Modules wider than 4 dots are printed at 4.
QByteArray starBarcode(BarcodeType type, QByteArrayView data, const BarcodeOptions &options)
{
    static constexpr char symbologies[] = {'3', '1', '4', '6', '5', '8'}; // in BarcodeType's order
    const int narrow = std::clamp(options.moduleWidth, 2, 4);
    // Modes 1 to 3 (Code 39 and NW-7: 2:6, 3:9, 4:12); ITF's 1:3 modes
    // are 7 to 9 (2:6, 3:9, 4:12).
    const int mode = narrow - 1 + (type == BarcodeType::Itf ? 6 : 0);
    QByteArray bytes("\x1b"
                     "b",
        2);
    bytes += symbologies[int(type)];
    bytes += options.humanReadable ? '2' : '1';
    bytes += char('0' + mode);
    bytes += char(std::clamp(options.height, 1, 255));
    if (type == BarcodeType::Code128) {
        // % starts a pair that stands for what cannot be sent as it is:
        // %0 for %, %@ to %_ for the control codes, %5 for DEL.
        for (const char byte : data) {
            if (byte == '%')
                bytes += "%0";
            else if (uchar(byte) < 0x20)
                bytes += '%' + QByteArray(1, char(byte + 0x40));
            else if (byte == '\x7f')
                bytes += "%5";
            else
                bytes += byte;
        }
    } else {
        bytes += data;
    }
    bytes += '\x1e';
    return bytes;
}

// Whether the printer's ESC b takes the data: it prints nothing for bytes
// outside each symbology's set (libzint is more lenient, and Code 128
// runs to 127 only).
bool starTakes(BarcodeType type, QByteArrayView data)
{
    const auto all = [&](QByteArrayView allowed) {
        return std::all_of(
            data.begin(), data.end(), [&](char byte) { return allowed.contains(byte); });
    };
    switch (type) {
    case BarcodeType::Ean13:
    case BarcodeType::UpcA:
    case BarcodeType::Itf:
        return all("0123456789");
    case BarcodeType::Code39:
        return all("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%+-./");
    case BarcodeType::Codabar:
        return all("0123456789ABCDabcd$+-./:");
    case BarcodeType::Code128:
        return std::all_of(data.begin(), data.end(), [](char byte) { return uchar(byte) < 128; });
    }
    return false;
}

// Star's QR code: model 2, level and cell size (ESC GS y S 0, 1, 2), the
// data stored (ESC GS y D 1 0 nL nH) and printed (ESC GS y P). Cells
// wider than 8 dots are printed at 8.
QByteArray starQr(QByteArrayView data, const QrOptions &options)
{
    QByteArray bytes;
    const auto setting = [&](char which, int value) {
        bytes += QByteArrayView("\x1b\x1dyS", 4);
        bytes += which;
        bytes += char(value);
    };
    setting('0', 2);
    setting('1', int(options.errorLevel));
    setting('2', std::clamp(options.moduleSize, 1, 8));
    bytes += QByteArrayView("\x1b\x1dyD1\x00", 6);
    bytes += littleEndian16(int(data.size()));
    bytes += data;
    bytes += QByteArrayView("\x1b\x1dyP", 4);
    return bytes;
}

QByteArray escPosQr(QByteArrayView data, const QrOptions &options)
{
    auto function = [](char code, QByteArrayView parameters) {
        QByteArray bytes("\x1d(k", 3);
        bytes += littleEndian16(int(parameters.size()) + 2);
        bytes += '1';
        bytes += code;
        bytes += parameters;
        return bytes;
    };
    QByteArray bytes;
    bytes += function('A', QByteArrayView("2\0", 2)); // model 2
    bytes += function('C', QByteArray(1, char(std::clamp(options.moduleSize, 1, 16))));
    bytes += function('E', QByteArray(1, char('0' + int(options.errorLevel))));
    bytes += function('P', "0" + data.toByteArray());
    bytes += function('Q', "0");
    return bytes;
}

} // namespace

GraphicsBytes barcodeBytes(const PrinterLanguage &language, BarcodeType type, QByteArrayView data,
    const BarcodeOptions &options, GraphicsAlignment alignment)
{
    // Drawn first in any case: libzint's refusal tells bad data before a
    // printer silently prints nothing.
    GraphicsError error;
    const MonoBitmap bitmap = barcodeBitmap(type, data, options, &error);
    if (bitmap.isEmpty())
        return failure(QStringLiteral("%1 barcode: %2").arg(barcodeTypeName(type), error.message));
    switch (familyOf(language)) {
    case Family::EscPos:
        if (data.size() > 253)
            return failure(QStringLiteral("%1 barcode: too much data").arg(barcodeTypeName(type)));
        return {
            alignmentBytes(language, alignment) + escPosBarcode(type, data, options), std::nullopt};
    case Family::StarLine:
        if (!starTakes(type, data))
            return failure(QStringLiteral("%1 barcode: characters the printer does not take")
                               .arg(barcodeTypeName(type)));
        return {
            alignmentBytes(language, alignment) + starBarcode(type, data, options), std::nullopt};
    default:
        return bitmapBytes(language, bitmap, alignment);
    }
}

GraphicsBytes qrCodeBytes(const PrinterLanguage &language, QByteArrayView data,
    const QrOptions &options, GraphicsAlignment alignment)
{
    GraphicsError error;
    const MonoBitmap bitmap = qrBitmap(data, options, &error);
    if (bitmap.isEmpty())
        return failure(QStringLiteral("QR code: %1").arg(error.message));
    if (familyOf(language) == Family::EscPos) {
        if (data.size() > 7089)
            return failure(QStringLiteral("QR code: too much data"));
        return {alignmentBytes(language, alignment) + escPosQr(data, options), std::nullopt};
    }
    if (familyOf(language) == Family::StarLine) {
        if (data.size() > 7089)
            return failure(QStringLiteral("QR code: too much data"));
        return {alignmentBytes(language, alignment) + starQr(data, options), std::nullopt};
    }
    return bitmapBytes(language, bitmap, alignment);
}

} // namespace Zanto

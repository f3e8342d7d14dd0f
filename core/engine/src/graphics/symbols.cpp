// Barcodes and QR codes encoded by libzint and drawn module by module at
// whole dots, so that every bar is as wide as the printer's own would be.
#include <zantoquiller/graphics.h>

#include <zint.h>

#include <algorithm>
#include <memory>

namespace Zanto {

namespace {

struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

int zintSymbology(BarcodeType type)
{
    switch (type) {
    case BarcodeType::Ean13:
        return BARCODE_EANX;
    case BarcodeType::UpcA:
        return BARCODE_UPCA;
    case BarcodeType::Code39:
        return BARCODE_CODE39;
    case BarcodeType::Code128:
        return BARCODE_CODE128;
    case BarcodeType::Itf:
        return BARCODE_C25INTER;
    case BarcodeType::Codabar:
        return BARCODE_CODABAR;
    }
    return BARCODE_CODE128;
}

bool moduleSet(const zint_symbol &symbol, int row, int column)
{
    return (symbol.encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

// Encodes data; null with the reason in error when libzint refuses it.
Symbol encode(int symbology, QByteArrayView data, int option1, GraphicsError *error)
{
    Symbol symbol(ZBarcode_Create());
    symbol->symbology = symbology;
    symbol->option_1 = option1;
    if (data.isEmpty() || data.size() > 4000) {
        if (error)
            error->message
                = data.isEmpty() ? QStringLiteral("no data") : QStringLiteral("too much data");
        return nullptr;
    }
    const int result = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
    if (result >= ZINT_ERROR) {
        if (error)
            error->message = QString::fromUtf8(symbol->errtxt);
        return nullptr;
    }
    return symbol;
}

} // namespace

MonoBitmap barcodeBitmap(
    BarcodeType type, QByteArrayView data, const BarcodeOptions &options, GraphicsError *error)
{
    // Only 1-D codes here: every row of the encoding is the same bars.
    const Symbol symbol = encode(zintSymbology(type), data, -1, error);
    if (!symbol)
        return {};
    const int module = std::clamp(options.moduleWidth, 1, 16);
    const int height = std::clamp(options.height, 1, 2000);
    const int quiet = 10 * module;
    MonoBitmap bitmap(symbol->width * module + 2 * quiet, height);
    for (int column = 0; column < symbol->width; ++column)
        if (moduleSet(*symbol, 0, column))
            bitmap.fillRect(quiet + column * module, 0, module, height);
    return bitmap;
}

MonoBitmap qrBitmap(QByteArrayView data, const QrOptions &options, GraphicsError *error)
{
    const Symbol symbol = encode(BARCODE_QRCODE, data, int(options.errorLevel) + 1, error);
    if (!symbol)
        return {};
    const int module = std::clamp(options.moduleSize, 1, 16);
    const int quiet = 4 * module;
    MonoBitmap bitmap(symbol->width * module + 2 * quiet, symbol->rows * module + 2 * quiet);
    for (int row = 0; row < symbol->rows; ++row)
        for (int column = 0; column < symbol->width; ++column)
            if (moduleSet(*symbol, row, column))
                bitmap.fillRect(quiet + column * module, quiet + row * module, module, module);
    return bitmap;
}

} // namespace Zanto

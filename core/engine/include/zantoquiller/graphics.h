// Barcodes, QR codes and pictures as printer bytes: the language's own
// barcode command where it has one, else the symbol drawn in dots and sent
// as the language's bit image or raster, in bands the printer's buffer
// takes. The bytes go inside a job (SendBytes or the component's print)
// beside the text.
#pragma once

#include <zantoquiller/core_export.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace Zanto {

class PrinterLanguage;

/// A barcode symbology.
enum class BarcodeType : quint8 {
    Ean13, ///< EAN-13: 12 or 13 digits (the check digit is added when 12 are given).
    UpcA, ///< UPC-A: 11 or 12 digits.
    Code39, ///< Code 39: digits, upper-case letters, space and - . $ / + %.
    Code128, ///< Code 128: printable ASCII.
    Itf, ///< Interleaved 2 of 5: an even number of digits.
    Codabar, ///< Codabar (NW-7): A-D, digits, - $ : / . + and A-D again.
};

/// Where a barcode, QR code or picture stands across the paper.
enum class GraphicsAlignment : quint8 {
    Left, ///< At the left margin.
    Center, ///< Centred on the printable width.
    Right, ///< Against the right edge of the printable width.
};

/// A QR code's error correction level.
enum class QrErrorLevel : quint8 {
    Low, ///< L: about 7 % can be restored.
    Medium, ///< M: about 15 %.
    Quartile, ///< Q: about 25 %.
    High, ///< H: about 30 %.
};

/// How a barcode is drawn.
struct ZANTOQUILLER_CORE_EXPORT BarcodeOptions
{
    /// Dots across the narrowest bar (2 to 6).
    int moduleWidth = 2;
    /// Dots from the top of the bars to their foot.
    int height = 80;
    /// The data is printed in characters below the bars, where the
    /// printer's own command can do it.
    bool humanReadable = true;
};

/// How a QR code is drawn.
struct ZANTOQUILLER_CORE_EXPORT QrOptions
{
    /// Dots across one module (1 to 16).
    int moduleSize = 4;
    /// How much of the symbol may be lost and restored.
    QrErrorLevel errorLevel = QrErrorLevel::Medium;
};

/// A picture of black and white dots: rows of (width + 7) / 8 bytes, the
/// leftmost dot in the highest bit, a set bit black.
class ZANTOQUILLER_CORE_EXPORT MonoBitmap
{
public:
    /// An empty picture.
    MonoBitmap() = default;
    /// A white picture of width by height dots.
    MonoBitmap(int width, int height);

    /// Dots across.
    int width() const { return m_width; }
    /// Dots down.
    int height() const { return m_height; }
    /// Whether it has no dots.
    bool isEmpty() const { return m_width <= 0 || m_height <= 0; }
    /// Bytes in one row.
    int bytesPerRow() const { return (m_width + 7) / 8; }
    /// Whether the dot at x, y is black; false outside the picture.
    bool dot(int x, int y) const;
    /// Makes the dot at x, y black or white; outside the picture nothing.
    void setDot(int x, int y, bool black = true);
    /// Blackens a rectangle, cut to the picture.
    void fillRect(int x, int y, int width, int height);
    /// One row's bytes.
    QByteArrayView row(int y) const;
    /// The same picture with white columns before it so that it stands
    /// where alignment puts it on a line of lineWidth dots.
    MonoBitmap aligned(GraphicsAlignment alignment, int lineWidth) const;

    /// Two pictures are equal when they have the same size and dots.
    friend bool operator==(const MonoBitmap &, const MonoBitmap &) = default;

private:
    int m_width = 0;
    int m_height = 0;
    QByteArray m_bits;
};

/// Why a symbol could not be made.
struct ZANTOQUILLER_CORE_EXPORT GraphicsError
{
    /// For people, in English.
    QString message;
};

/// Bytes for the printer, or why there are none.
struct ZANTOQUILLER_CORE_EXPORT GraphicsBytes
{
    /// The bytes to send; empty when error is set.
    QByteArray bytes;
    /// Set when the symbol or picture cannot be printed.
    std::optional<GraphicsError> error;
};

/// The name a barcode type is known by ("ean13", "upca", "code39",
/// "code128", "itf", "codabar").
ZANTOQUILLER_CORE_EXPORT QString barcodeTypeName(BarcodeType type);
/// The barcode type of a name (ignoring case; "ean" and "upc" too).
ZANTOQUILLER_CORE_EXPORT std::optional<BarcodeType> barcodeTypeFromName(QStringView name);

/// Whether a language can print pictures (bit images or raster).
ZANTOQUILLER_CORE_EXPORT bool supportsGraphics(const PrinterLanguage &language);
/// Dots per inch, across and down, of the pictures sent to a language.
ZANTOQUILLER_CORE_EXPORT int graphicsDotsPerInch(const PrinterLanguage &language);
/// Dots of a picture across the language's printable width.
ZANTOQUILLER_CORE_EXPORT int graphicsLineWidth(const PrinterLanguage &language);

/// The barcode drawn as dots, a quiet zone of ten modules on either side.
ZANTOQUILLER_CORE_EXPORT MonoBitmap barcodeBitmap(BarcodeType type, QByteArrayView data,
    const BarcodeOptions &options, GraphicsError *error = nullptr);
/// The QR code (model 2) drawn as dots, a quiet zone of four modules
/// around it.
ZANTOQUILLER_CORE_EXPORT MonoBitmap qrBitmap(
    QByteArrayView data, const QrOptions &options, GraphicsError *error = nullptr);

/// The command that aligns what follows on the line (ESC/POS ESC a, Star
/// ESC GS a); empty for languages without one.
ZANTOQUILLER_CORE_EXPORT QByteArray alignmentBytes(
    const PrinterLanguage &language, GraphicsAlignment alignment);
/// A picture in the language's bit image or raster commands, in bands,
/// ending on a new line. Languages with an alignment command get it in
/// force (alignmentBytes); for the others the picture is moved across.
ZANTOQUILLER_CORE_EXPORT GraphicsBytes bitmapBytes(
    const PrinterLanguage &language, const MonoBitmap &bitmap, GraphicsAlignment alignment);
/// A barcode: the language's own command (ESC/POS GS k, Star ESC b), else
/// drawn and sent as bitmapBytes.
ZANTOQUILLER_CORE_EXPORT GraphicsBytes barcodeBytes(const PrinterLanguage &language,
    BarcodeType type, QByteArrayView data, const BarcodeOptions &options,
    GraphicsAlignment alignment);
/// A QR code: ESC/POS's GS ( k or Star's ESC GS y (model 2, size, level,
/// store, print), else drawn and sent as bitmapBytes.
ZANTOQUILLER_CORE_EXPORT GraphicsBytes qrCodeBytes(const PrinterLanguage &language,
    QByteArrayView data, const QrOptions &options, GraphicsAlignment alignment);

} // namespace Zanto

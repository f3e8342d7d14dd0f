#include "barcodedrawing.h"

#include <zantoquiller/preview/paper.h>

#include <array>
#include <cmath>

namespace Zanto::Preview {

MonoBitmap withoutQuietZone(const MonoBitmap &drawn, int side, int topAndBottom)
{
    MonoBitmap bitmap(drawn.width() - 2 * side, drawn.height() - 2 * topAndBottom);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (drawn.dot(x + side, y + topAndBottom))
                bitmap.setDot(x, y);
    return bitmap;
}

SymbolStep refusedSymbol(const QString &reason)
{
    return SymbolStep {SymbolStep::Refused, {}, reason};
}

SymbolStep undrawnSymbol(const QString &reason)
{
    return SymbolStep {SymbolStep::Refused, {}, reason, true};
}

namespace {

SymbolStep refused(const QString &reason)
{
    return refusedSymbol(reason);
}

SymbolStep notDrawn(const QString &reason)
{
    return undrawnSymbol(reason);
}

// Code 128's data as the printer reads it: {A, {B and {C choose the code
// set, {{ is a brace; in code set C each byte is two digits. The
// function characters ({1 to {4) and the shift ({S) are not drawn.
std::optional<QByteArray> code128Text(QByteArrayView data, SymbolStep &failure)
{
    QByteArray text;
    char set = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char byte = data[i];
        if (byte == '{' && i + 1 < data.size()) {
            const char next = data[++i];
            if (next == 'A' || next == 'B' || next == 'C') {
                set = next;
                continue;
            }
            if (next != '{') {
                failure = notDrawn(
                    QStringLiteral("Code 128 function {%1 is not drawn").arg(QChar(next)));
                return std::nullopt;
            }
        }
        if (set == 0) {
            failure = refused(
                QStringLiteral("Code 128 data does not start with a code set ({A, {B or {C)"));
            return std::nullopt;
        }
        if (set == 'C') {
            const auto pair = static_cast<unsigned char>(byte);
            if (pair > 99) {
                failure = refused(QStringLiteral("Code 128 code set C takes bytes 0 to 99"));
                return std::nullopt;
            }
            text += QByteArray::number(pair / 10) + QByteArray::number(pair % 10);
        } else {
            text += byte;
        }
    }
    return text;
}

} // namespace

SymbolStep EscPosSymbols::read(QByteArrayView command, QByteArrayView parameters)
{
    const int n = parameters.isEmpty() ? -1 : static_cast<unsigned char>(parameters[0]);
    if (command == QByteArrayView("\x1dh", 2)) {
        if (n >= 1)
            m_height = n;
        return {SymbolStep::Setting, {}, {}};
    }
    if (command == QByteArrayView("\x1dw", 2)) {
        if (n >= 1 && n <= 6)
            m_moduleWidth = n;
        return {SymbolStep::Setting, {}, {}};
    }
    if (command == QByteArrayView("\x1dH", 2))
        return {SymbolStep::Setting, {}, {}}; // the characters are not drawn
    if (command == QByteArrayView("\x1dk", 2))
        return barcode(parameters);
    if (command == QByteArrayView("\x1d(k", 3))
        return qrFunction(parameters);
    return {};
}

SymbolStep EscPosSymbols::barcode(QByteArrayView parameters) const
{
    if (parameters.isEmpty())
        return refused(QStringLiteral("bar code without its type"));
    const int m = static_cast<unsigned char>(parameters[0]);
    QByteArrayView data;
    if (m < 65) {
        data = parameters.sliced(1);
        if (data.endsWith('\0'))
            data.chop(1);
    } else {
        const qsizetype count
            = parameters.size() > 1 ? static_cast<unsigned char>(parameters[1]) : 0;
        data = parameters.sliced(std::min<qsizetype>(2, parameters.size()));
        if (data.size() < count)
            return refused(QStringLiteral("bar code data ends early"));
        data = data.first(count);
    }
    // In the order of m 0 to 6 and 65 to 73.
    static constexpr std::array<std::optional<BarcodeType>, 9> types {BarcodeType::UpcA,
        std::nullopt, BarcodeType::Ean13, std::nullopt, BarcodeType::Code39, BarcodeType::Itf,
        BarcodeType::Codabar, std::nullopt, BarcodeType::Code128};
    static constexpr std::array<const char *, 9> names {
        "UPC-A", "UPC-E", "EAN-13", "EAN-8", "Code 39", "ITF", "Codabar", "Code 93", "Code 128"};
    const int index = m <= 6 ? m : m >= 65 && m <= 73 ? m - 65 : -1;
    if (index < 0)
        return refused(QStringLiteral("bar code type %1 is not one the printer knows").arg(m));
    if (!types[std::size_t(index)])
        return notDrawn(QStringLiteral("%1 bar codes are not drawn")
                            .arg(QLatin1StringView(names[std::size_t(index)])));
    const BarcodeType type = *types[std::size_t(index)];
    QByteArray text = data.toByteArray();
    if (type == BarcodeType::Code128) {
        SymbolStep failure;
        const std::optional<QByteArray> plain = code128Text(data, failure);
        if (!plain)
            return failure;
        text = *plain;
    } else if (type == BarcodeType::Code39 && text.size() >= 2 && text.startsWith('*')
        && text.endsWith('*')) {
        text = text.sliced(1).chopped(1); // the start and stop characters given
    }
    BarcodeOptions options;
    options.moduleWidth = m_moduleWidth;
    options.height = m_height;
    options.humanReadable = false;
    GraphicsError error;
    const MonoBitmap drawn = barcodeBitmap(type, text, options, &error);
    if (drawn.isEmpty())
        return refused(QStringLiteral("%1: %2").arg(
            QLatin1StringView(names[std::size_t(index)]), error.message));
    return {SymbolStep::Draw, withoutQuietZone(drawn, 10 * m_moduleWidth, 0), {}};
}

// pL pH cn fn ...: cn 49 is the QR code.
SymbolStep EscPosSymbols::qrFunction(QByteArrayView parameters)
{
    if (parameters.size() < 4)
        return refused(QStringLiteral("two-dimensional code command ends early"));
    const auto at = [&](qsizetype i) {
        return i < parameters.size() ? static_cast<unsigned char>(parameters[i]) : -1;
    };
    if (at(2) != 49) {
        // Function 81 prints the symbol; the others set it up.
        const QString reason
            = QStringLiteral("two-dimensional code %1 is not drawn (only QR codes are)").arg(at(2));
        return at(3) == 81 ? notDrawn(reason) : refused(reason);
    }
    switch (at(3)) {
    case 65: // model: 49 model 1, 50 model 2, 51 micro QR
        if (at(4) >= 49 && at(4) <= 51)
            m_qrModel = at(4);
        return {SymbolStep::Setting, {}, {}};
    case 67: // module size
        if (at(4) >= 1 && at(4) <= 16)
            m_qrModule = at(4);
        return {SymbolStep::Setting, {}, {}};
    case 69: // error correction level
        if (at(4) >= 48 && at(4) <= 51)
            m_qrLevel = static_cast<QrErrorLevel>(at(4) - 48);
        return {SymbolStep::Setting, {}, {}};
    case 80: // store the data
        m_qrData = parameters.sliced(std::min<qsizetype>(5, parameters.size())).toByteArray();
        return {SymbolStep::Setting, {}, {}};
    case 81: { // print the stored data
        if (m_qrModel != 50)
            return notDrawn(m_qrModel == 49 ? QStringLiteral("QR code model 1 is not drawn")
                                            : QStringLiteral("micro QR codes are not drawn"));
        if (m_qrData.isEmpty())
            return refused(QStringLiteral("no QR code data is stored"));
        QByteArray key;
        key += char(m_qrModule);
        key += char(m_qrLevel);
        key += m_qrData;
        if (key == m_lastQrKey)
            return m_lastQr;
        GraphicsError error;
        const MonoBitmap drawn = qrBitmap(m_qrData, QrOptions {m_qrModule, m_qrLevel}, &error);
        m_lastQr = drawn.isEmpty() ? refused(QStringLiteral("QR code: %1").arg(error.message))
                                   : SymbolStep {SymbolStep::Draw,
                                       withoutQuietZone(drawn, 4 * m_qrModule, 4 * m_qrModule), {}};
        m_lastQrKey = key;
        return m_lastQr;
    }
    case 82: // the size is sent back, nothing printed
        return {SymbolStep::Setting, {}, {}};
    default:
        return refused(QStringLiteral("QR code function %1 is not drawn").arg(at(3)));
    }
}

std::optional<DotImage> symbolImage(const MonoBitmap &bitmap, double dotsPerInch, qint32 left,
    qint32 right, GraphicsAlignment alignment, qint32 y)
{
    const auto width
        = static_cast<qint32>(std::lround(bitmap.width() * double(UnitsPerInch) / dotsPerInch));
    const qint32 free = right - left - width;
    if (free < 0)
        return std::nullopt;
    const qint32 shift = alignment == GraphicsAlignment::Center ? free / 2
        : alignment == GraphicsAlignment::Right                 ? free
                                                                : 0;
    DotImage image {left + shift, y, bitmap.width(), bitmap.height(), dotsPerInch, dotsPerInch, {}};
    image.bits.reserve(qsizetype(bitmap.bytesPerRow()) * bitmap.height());
    for (int row = 0; row < bitmap.height(); ++row)
        image.bits += bitmap.row(row);
    return image;
}

} // namespace Zanto::Preview

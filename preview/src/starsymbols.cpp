#include "starsymbols.h"

#include <array>
#include <optional>

namespace Zanto::Preview {

namespace {

// A parameter given as a byte or as its digit.
int digitOrByte(int parameter)
{
    return parameter >= '0' && parameter <= '9' ? parameter - '0' : parameter;
}

struct NarrowWide
{
    int narrow;
    int wide;
};

// n3 1 to 9: the narrow and wide bars of Code 39 and NW-7, and of ITF.
constexpr std::array<NarrowWide, 9> codeThirtyNineWidths {
    {{2, 6}, {3, 9}, {4, 12}, {2, 5}, {3, 8}, {4, 10}, {2, 4}, {3, 6}, {4, 8}}};
constexpr std::array<NarrowWide, 9> interleavedWidths {
    {{2, 5}, {4, 10}, {6, 15}, {2, 4}, {4, 8}, {6, 12}, {2, 6}, {3, 9}, {4, 12}}};

// The symbol in bars of narrow and wide dots: each run of modules of the
// one-dot drawing is one bar or space, narrow where it is one module.
MonoBitmap twoWidthBars(const MonoBitmap &modules, NarrowWide widths, int height)
{
    std::vector<std::pair<bool, int>> runs;
    for (int x = 0; x < modules.width(); ++x) {
        const bool black = modules.dot(x, 0);
        if (runs.empty() || runs.back().first != black)
            runs.emplace_back(black, 0);
        ++runs.back().second;
    }
    int width = 0;
    for (const auto &[black, length] : runs)
        width += length == 1 ? widths.narrow : widths.wide;
    MonoBitmap bitmap(width, height);
    int x = 0;
    for (const auto &[black, length] : runs) {
        const int dots = length == 1 ? widths.narrow : widths.wide;
        if (black)
            bitmap.fillRect(x, 0, dots, height);
        x += dots;
    }
    return bitmap;
}

// UPC's and EAN's check digit of the digits before it.
char checkDigit(QByteArrayView digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int weight = (digits.size() - i) % 2 == 1 ? 3 : 1;
        sum += (digits[i] - '0') * weight;
    }
    return char('0' + (10 - sum % 10) % 10);
}

bool allIn(QByteArrayView data, QByteArrayView allowed)
{
    for (const char byte : data)
        if (!allowed.contains(byte))
            return false;
    return true;
}

constexpr QByteArrayView digits("0123456789");

// Code 128's data as the printer reads it: % and a character stand for
// what the host cannot send (%0 a %, %@ to %_ the control codes, %5 DEL);
// %6 to %8 choose a code set, %1 to %4 are the function characters.
std::optional<QByteArray> code128Text(QByteArrayView data, SymbolStep &failure)
{
    QByteArray text;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte > 127) {
            failure = refusedSymbol(QStringLiteral("Code 128 takes bytes 0 to 127"));
            return std::nullopt;
        }
        if (byte != '%') {
            text += char(byte);
            continue;
        }
        if (++i == data.size()) {
            failure = refusedSymbol(QStringLiteral("Code 128 data ends in %"));
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(data[i]);
        if (next == '0') {
            text += '%';
        } else if (next == '5') {
            text += '\x7f';
        } else if (next >= 0x40 && next <= 0x5f) {
            text += char(next - 0x40);
        } else if (next >= '6' && next <= '8') {
            // The code set changes the bars, not what they read.
        } else if (next >= '1' && next <= '4') {
            failure = undrawnSymbol(QStringLiteral("Code 128 function %") + QChar(next)
                + QStringLiteral(" is not drawn"));
            return std::nullopt;
        } else {
            failure = refusedSymbol(QStringLiteral("Code 128 %") + QChar(next)
                + QStringLiteral(" is not one the printer knows"));
            return std::nullopt;
        }
    }
    return text;
}

} // namespace

SymbolStep starBarcode(QByteArrayView parameters)
{
    if (parameters.size() < 5 || parameters.back() != '\x1e')
        return refusedSymbol(QStringLiteral("bar code command ends early"));
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(parameters[i]); };
    const int n1 = digitOrByte(at(0));
    const int n2 = digitOrByte(at(1));
    const int n3 = digitOrByte(at(2));
    const int n4 = at(3);
    const QByteArrayView data = parameters.sliced(4).chopped(1);
    static constexpr std::array<const char *, 9> names {
        "UPC-E", "UPC-A", "EAN-8", "EAN-13", "Code 39", "ITF", "Code 128", "Code 93", "NW-7"};
    if (n1 < 0 || n1 > 8)
        return refusedSymbol(
            QStringLiteral("bar code type %1 is not one the printer knows").arg(at(0)));
    const QLatin1StringView name(names[std::size_t(n1)]);
    const bool twoWidths = n1 == 4 || n1 == 5 || n1 == 8;
    if (n2 < 1 || n2 > 4 || n3 < 1 || n3 > (twoWidths ? 9 : 3) || n4 < 1)
        return refusedSymbol(QStringLiteral("%1: parameters out of range (%2 %3 %4 %5)")
                                 .arg(name)
                                 .arg(at(0))
                                 .arg(at(1))
                                 .arg(at(2))
                                 .arg(at(3)));
    if (n1 == 0 || n1 == 2 || n1 == 7)
        return undrawnSymbol(
            QStringLiteral("%1 bar codes are not drawn, %2 dots high").arg(name).arg(n4));
    const auto outOfRange = [&] {
        return refusedSymbol(QStringLiteral("%1: data the printer does not take").arg(name));
    };
    BarcodeType type = BarcodeType::Code128;
    QByteArray text = data.toByteArray();
    QByteArray below = text;
    switch (n1) {
    case 1:
    case 3: {
        // The check digit is the printer's own: one given is left out.
        const qsizetype length = n1 == 1 ? 11 : 12;
        if (!allIn(data, digits) || data.size() < length || data.size() > length + 1)
            return outOfRange();
        type = n1 == 1 ? BarcodeType::UpcA : BarcodeType::Ean13;
        text = text.first(length);
        below = text + checkDigit(text);
        break;
    }
    case 4:
        if (data.isEmpty() || !allIn(data, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%+-./"))
            return outOfRange();
        type = BarcodeType::Code39;
        break;
    case 5:
        if (data.isEmpty() || !allIn(data, digits))
            return outOfRange();
        type = BarcodeType::Itf;
        if (text.size() % 2 == 1)
            text.prepend('0');
        below = text;
        break;
    case 6: {
        SymbolStep failure;
        const std::optional<QByteArray> plain = code128Text(data, failure);
        if (!plain)
            return failure;
        if (plain->isEmpty())
            return outOfRange();
        text = *plain;
        below = text;
        break;
    }
    case 8:
        if (data.isEmpty() || !allIn(data, "0123456789ABCDabcd$+-./:"))
            return outOfRange();
        type = BarcodeType::Codabar;
        text = text.toUpper();
        break;
    default:
        break;
    }
    GraphicsError error;
    BarcodeOptions options;
    options.moduleWidth = twoWidths ? 1 : n3 + 1;
    options.height = n4;
    options.humanReadable = false;
    const MonoBitmap drawn = barcodeBitmap(type, text, options, &error);
    if (drawn.isEmpty())
        return refusedSymbol(QStringLiteral("%1: %2").arg(name, error.message));
    MonoBitmap bars = withoutQuietZone(drawn, 10 * options.moduleWidth, 0);
    if (twoWidths)
        bars = twoWidthBars(
            bars, (n1 == 5 ? interleavedWidths : codeThirtyNineWidths)[std::size_t(n3 - 1)], n4);
    SymbolStep step {SymbolStep::Draw, std::move(bars), {}};
    // n2 2 and 4: the data in characters below the bars.
    if (n2 == 2 || n2 == 4) {
        for (char &byte : below)
            if (static_cast<unsigned char>(byte) < 32 || byte == '\x7f')
                byte = ' ';
        step.belowText = below;
    }
    return step;
}

SymbolStep StarSymbols::read(QByteArrayView command, QByteArrayView parameters)
{
    const int n = parameters.isEmpty() ? -1 : static_cast<unsigned char>(parameters[0]);
    if (command
        == QByteArrayView("\x1b"
                          "b",
            2))
        return starBarcode(parameters);
    // A setting out of the printer's range leaves the one before.
    if (command == QByteArrayView("\x1b\x1dyS0", 5)) {
        if (n == 1 || n == 2)
            m_qrModel = n;
        return {SymbolStep::Setting, {}, {}};
    }
    if (command == QByteArrayView("\x1b\x1dyS1", 5)) {
        if (n >= 0 && n <= 3)
            m_qrLevel = static_cast<QrErrorLevel>(n);
        return {SymbolStep::Setting, {}, {}};
    }
    if (command == QByteArrayView("\x1b\x1dyS2", 5)) {
        if (n >= 1 && n <= 8)
            m_qrCell = n;
        return {SymbolStep::Setting, {}, {}};
    }
    if (command == QByteArrayView("\x1b\x1dyD1", 5)) {
        // m nL nH data: m is 0, 1 to 7089 bytes; others are passed over
        // and the data stored before stays.
        if (parameters.size() < 3)
            return refusedSymbol(QStringLiteral("QR code data command ends early"));
        const qsizetype count = static_cast<unsigned char>(parameters[1])
            + 256 * static_cast<unsigned char>(parameters[2]);
        if (parameters[0] != 0 || count < 1 || count > 7089)
            return refusedSymbol(QStringLiteral("QR code data: parameters out of range"));
        m_qrData = parameters.sliced(3).first(std::min(count, parameters.size() - 3)).toByteArray();
        return {SymbolStep::Setting, {}, {}};
    }
    if (command == QByteArrayView("\x1b\x1dyP", 4))
        return qrCode();
    return {};
}

SymbolStep StarSymbols::qrCode()
{
    if (m_qrData.isEmpty())
        return refusedSymbol(QStringLiteral("no QR code data is stored"));
    if (m_qrModel != 2)
        return undrawnSymbol(QStringLiteral("QR code model 1 is not drawn"));
    QByteArray key;
    key += char(m_qrCell);
    key += char(m_qrLevel);
    key += m_qrData;
    if (key == m_lastQrKey)
        return m_lastQr;
    GraphicsError error;
    const MonoBitmap drawn = qrBitmap(m_qrData, QrOptions {m_qrCell, m_qrLevel}, &error);
    // The printer leaves no margin around the symbol: the job does.
    m_lastQr = drawn.isEmpty()
        ? refusedSymbol(QStringLiteral("QR code: %1").arg(error.message))
        : SymbolStep {SymbolStep::Draw, withoutQuietZone(drawn, 4 * m_qrCell, 4 * m_qrCell), {}};
    m_lastQrKey = key;
    return m_lastQr;
}

} // namespace Zanto::Preview

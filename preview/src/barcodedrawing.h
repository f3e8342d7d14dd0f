// ESC/POS's barcode (GS k) and QR code (GS ( k) commands as the printer
// keeps their settings and draws their symbols: the settings they read
// (GS h, GS w, GS H, the QR code's model, size and level), the QR code's
// stored data, and the symbol a print command makes, in printer dots.
#pragma once

#include <zantoquiller/graphics.h>
#include <zantoquiller/preview/page.h>

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <utility>

namespace Zanto::Preview {

// What one command does to the symbols.
struct SymbolStep
{
    enum Kind : quint8 {
        Other, // not a barcode or QR code command
        Setting, // a setting or the stored data, nothing printed
        Draw, // bitmap is printed
        Refused, // the printer would print nothing or something else: reason says why
    };
    SymbolStep() = default;
    SymbolStep(Kind kind_, MonoBitmap bitmap_, QString reason_ = {}, bool printed_ = false)
        : kind(kind_), bitmap(std::move(bitmap_)), reason(std::move(reason_)), printed(printed_)
    { }

    Kind kind = Other;
    // Printer dots without a quiet zone: the bars or modules from the
    // symbol's first dot to its last.
    MonoBitmap bitmap;
    QString reason;
    // Refused: the printer prints a symbol here that the preview does not
    // draw (another symbology, QR code model 1).
    bool printed = false;
    // Draw: the characters the printer prints centred below the bars.
    QByteArray belowText;
};

// A step for a symbol the printer does not print, and why.
SymbolStep refusedSymbol(const QString &reason);
// A step for a symbol the printer prints that the preview does not draw.
SymbolStep undrawnSymbol(const QString &reason);
// The symbol without the quiet zone the drawing leaves around it.
MonoBitmap withoutQuietZone(const MonoBitmap &drawn, int side, int topAndBottom);

class EscPosSymbols
{
public:
    // The printer's settings after a reset (ESC @).
    void reset() { *this = EscPosSymbols(); }
    // command: the command's own bytes ("\x1dk", "\x1d(k", "\x1dh" ...);
    // parameters: every byte after them.
    SymbolStep read(QByteArrayView command, QByteArrayView parameters);

private:
    SymbolStep barcode(QByteArrayView parameters) const;
    SymbolStep qrFunction(QByteArrayView parameters);

    int m_height = 162;
    int m_moduleWidth = 3;
    int m_qrModel = 50; // '2'
    int m_qrModule = 3;
    QrErrorLevel m_qrLevel = QrErrorLevel::Low;
    QByteArray m_qrData;
    // The last QR code drawn: a job that prints the stored data again and
    // again is not encoded each time.
    SymbolStep m_lastQr;
    QByteArray m_lastQrKey;
};

// The symbol's dots on the sheet at dotsPerInch, top at y, placed between
// left and right (sheet units) as alignment says; nullopt when it is wider.
std::optional<DotImage> symbolImage(const MonoBitmap &bitmap, double dotsPerInch, qint32 left,
    qint32 right, GraphicsAlignment alignment, qint32 y);

} // namespace Zanto::Preview

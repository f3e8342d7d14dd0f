// Star Line mode's bar code (ESC b n1 n2 n3 n4 data RS) and QR code
// (ESC GS y S, ESC GS y D 1, ESC GS y P) commands as the printer reads
// them: the QR code's settings and stored data, and the symbol a print
// command makes, in printer dots.
#pragma once

#include "barcodedrawing.h"

namespace Zanto::Preview {

class StarSymbols
{
public:
    // The printer's settings after a reset (ESC @).
    void reset() { *this = StarSymbols(); }
    // command: the command's own bytes ("\x1b" "b", "\x1b\x1dyS0",
    // "\x1b\x1dyD1", "\x1b\x1dyP" ...); parameters: every byte after them
    // (for ESC b up to and with the RS, for ESC GS y D 1 m nL nH and the
    // data).
    SymbolStep read(QByteArrayView command, QByteArrayView parameters);

private:
    SymbolStep qrCode();

    int m_qrModel = 2;
    QrErrorLevel m_qrLevel = QrErrorLevel::Low;
    int m_qrCell = 3;
    QByteArray m_qrData;
    // The last QR code drawn, not encoded again for the same data.
    SymbolStep m_lastQr;
    QByteArray m_lastQrKey;
};

// The bars of ESC b's parameters (n1 n2 n3 n4 data RS).
SymbolStep starBarcode(QByteArrayView parameters);

} // namespace Zanto::Preview

#include <zantoquiller/preview/page.h>

#include <array>

namespace Zanto::Preview {

QByteArray readableBytes(QByteArrayView bytes)
{
    static constexpr std::array<const char *, 32> controlNames {"NUL", "SOH", "STX", "ETX", "EOT",
        "ENQ", "ACK", "BEL", "BS", "HT", "LF", "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2",
        "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};
    // Spaced like a manual writes sequences: "ESC ( s 3 B".
    QByteArray text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!text.isEmpty())
            text += ' ';
        if (byte < 32)
            text += controlNames[byte];
        else if (byte == ' ')
            text += "SP";
        else if (byte >= 127)
            text += QByteArray::number(byte);
        else
            text += c;
    }
    return text;
}

} // namespace Zanto::Preview

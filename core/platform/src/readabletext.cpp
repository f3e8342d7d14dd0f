#include <zantoquiller/platform/readabletext.h>

#include <array>

namespace Zanto::Platform {

namespace {

constexpr std::array<const char *, 32> ControlNames {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ",
    "ACK", "BEL", "BS", "HT", "LF", "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4",
    "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};

void appendNamed(std::string &out, unsigned char byte)
{
    out += '<';
    if (const char *name = controlByteName(byte))
        out += name;
    else
        out += std::to_string(byte);
    out += '>';
}

// The length of the well-formed UTF-8 sequence that starts text, or 0.
// Overlong forms, surrogates and C1 controls (U+0080 to U+009F, which a
// terminal obeys like ESC sequences) do not count as well formed.
std::size_t utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    std::size_t length = 0;
    char32_t code = 0;
    if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
        code = first & 0x1f;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        code = first & 0x0f;
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        code = first & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3f);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)
        || code < 0xa0)
        return 0;
    return length;
}

} // namespace

const char *controlByteName(unsigned char byte)
{
    if (byte < ControlNames.size())
        return ControlNames[byte];
    return byte == 127 ? "DEL" : nullptr;
}

void appendReadableBytes(std::string &out, std::string_view bytes, HighBytes high, bool lineBreaks)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 32 && byte < 127) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        if (byte >= 128 && high == HighBytes::KeepUtf8) {
            if (const std::size_t length = utf8Length(bytes.substr(i))) {
                out.append(bytes.substr(i, length));
                i += length;
                continue;
            }
        }
        appendNamed(out, byte);
        if (lineBreaks && (byte == '\n' || byte == '\f'))
            out += '\n';
        ++i;
    }
}

std::string readableText(std::string_view text, std::size_t limit)
{
    std::size_t shown = std::min(text.size(), limit);
    // Not through the middle of a character.
    while (shown > 0 && shown < text.size()
        && (static_cast<unsigned char>(text[shown]) & 0xc0) == 0x80 && limit - shown < 3)
        --shown;
    std::string out;
    appendReadableBytes(out, text.substr(0, shown), HighBytes::KeepUtf8);
    if (shown < text.size())
        out += "... (" + std::to_string(text.size() - shown) + " more bytes)";
    return out;
}

} // namespace Zanto::Platform

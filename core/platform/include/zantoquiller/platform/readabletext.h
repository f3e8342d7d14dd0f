// Bytes made safe to show on a terminal or in a message: printable
// characters stand as they are, every control byte is named in angle
// brackets by its ASCII name (<ESC>, <CR>, <LF>, <DEL>), other bytes by
// their decimal value (<233>). zanto dump shows bytes this way, and text
// that comes from a printer or a print server reaches the user this way.
#pragma once

#include <zantoquiller/platform/privateexport.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace Zanto::Platform {

// The ASCII name of a control byte (0 to 31 and 127: "NUL", "ESC", "DEL"),
// or nullptr for any other byte.
ZANTOQUILLER_CORE_PRIVATE_EXPORT const char *controlByteName(unsigned char byte);

enum class HighBytes {
    Numbered, // every byte from 128 up as <233>, as zanto dump shows bytes
    KeepUtf8 // well-formed UTF-8 stays, but C1 controls and stray bytes are numbered
};

// Appends bytes to out readably; with lineBreaks a new line follows every
// <LF> and <FF>.
ZANTOQUILLER_CORE_PRIVATE_EXPORT void appendReadableBytes(
    std::string &out, std::string_view bytes, HighBytes high, bool lineBreaks = false);

// At most this many bytes of a text from a printer or a print server are
// shown; the rest is counted.
constexpr std::size_t ForeignTextLimit = 256;

// A text from a printer or a print server, fit for a terminal or a message:
// UTF-8 kept, controls named, and cut after limit bytes with the number of
// bytes left out ("... (1234 more bytes)").
ZANTOQUILLER_CORE_PRIVATE_EXPORT std::string readableText(
    std::string_view text, std::size_t limit = ForeignTextLimit);

} // namespace Zanto::Platform

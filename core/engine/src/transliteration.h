// Plain-text stand-ins for common typographic characters, for code pages
// that lack them: typographic quotes become ' and ", dashes -, the ellipsis
// ..., the euro sign EUR, wide and non-breaking spaces a space.
#pragma once

#include <QByteArrayView>

namespace Zanto {

// The ASCII stand-in for character; empty when there is none.
QByteArrayView transliteration(char32_t character);

} // namespace Zanto

// The characters of a printer's character tables, read from glibc's iconv:
// the code pages that ESC t, ESC GS t and PCL's symbol sets select, and
// the national variants of ASCII that ESC R selects.
#pragma once

#include <array>

namespace Zanto::Preview {

// Each byte's character; 0 where the table has none.
using CharacterTable = std::array<char16_t, 256>;

// The table of an encoding iconv knows ("IBM858"), or null. Read once and
// kept.
const CharacterTable *characterTable(const char *encoding);

// The iconv name of the national variant of ASCII that ESC R n selects, or
// null for the USA's and unknown ones.
const char *internationalSet(int number);

} // namespace Zanto::Preview

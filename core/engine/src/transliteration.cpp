#include "transliteration.h"

#include <algorithm>
#include <array>

namespace Zanto {

namespace {

struct StandIn
{
    char32_t character;
    const char *text;
};

// In code point order, for a binary search.
constexpr std::array standIns {
    StandIn {0x00A0, " "}, // no-break space
    StandIn {0x00A9, "(C)"}, StandIn {0x00AB, "<<"}, StandIn {0x00AE, "(R)"},
    StandIn {0x00B7, "."}, // middle dot
    StandIn {0x00BB, ">>"}, StandIn {0x2002, " "}, // en space ... hair space
    StandIn {0x2003, " "}, StandIn {0x2004, " "}, StandIn {0x2005, " "}, StandIn {0x2006, " "},
    StandIn {0x2007, " "}, StandIn {0x2008, " "}, StandIn {0x2009, " "}, StandIn {0x200A, " "},
    StandIn {0x2010, "-"}, // hyphen, non-breaking hyphen, figure dash
    StandIn {0x2011, "-"}, StandIn {0x2012, "-"}, StandIn {0x2013, "-"}, // en dash
    StandIn {0x2014, "-"}, // em dash
    StandIn {0x2015, "-"}, StandIn {0x2018, "'"}, StandIn {0x2019, "'"}, StandIn {0x201A, "'"},
    StandIn {0x201B, "'"}, StandIn {0x201C, "\""}, StandIn {0x201D, "\""}, StandIn {0x201E, "\""},
    StandIn {0x201F, "\""}, StandIn {0x2022, "*"}, // bullet
    StandIn {0x2026, "..."}, StandIn {0x202F, " "}, // narrow no-break space
    StandIn {0x2032, "'"}, // prime, double prime
    StandIn {0x2033, "\""}, StandIn {0x2039, "<"}, StandIn {0x203A, ">"}, StandIn {0x20AC, "EUR"},
    StandIn {0x2122, "(TM)"}, StandIn {0x2212, "-"}, // minus sign
};
static_assert(std::is_sorted(standIns.begin(), standIns.end(),
    [](const StandIn &a, const StandIn &b) { return a.character < b.character; }));

} // namespace

QByteArrayView transliteration(char32_t character)
{
    const auto found = std::lower_bound(standIns.begin(), standIns.end(), character,
        [](const StandIn &standIn, char32_t c) { return standIn.character < c; });
    if (found == standIns.end() || found->character != character)
        return {};
    return QByteArrayView(found->text);
}

} // namespace Zanto

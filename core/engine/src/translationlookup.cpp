#include "translationlookup.h"

#include <zantoquiller/codepage.h>

#include <utility>

namespace Zanto {

TranslationLookup::TranslationLookup(
    const QByteArrayList &transIn, const QByteArrayList &transOut, const AnsiCodePage &codePage)
    : m_replacements(transOut)
{
    // The first entry for each folded byte decides, partnered or not.
    constexpr qsizetype none = -1;
    std::array<qsizetype, 256> firstEntry;
    firstEntry.fill(none);
    for (qsizetype k = 0; k < transIn.size(); ++k) {
        if (transIn[k].size() != 1)
            continue;
        const unsigned char folded = codePage.foldCase(static_cast<unsigned char>(transIn[k][0]));
        if (firstEntry[folded] == none)
            firstEntry[folded] = k;
    }
    for (int byte = 0; byte < 256; ++byte) {
        const qsizetype k = firstEntry[codePage.foldCase(static_cast<unsigned char>(byte))];
        if (k != none && k < m_replacements.size())
            m_entry[static_cast<std::size_t>(byte)] = &std::as_const(m_replacements)[k];
    }
}

} // namespace Zanto

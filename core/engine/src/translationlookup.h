// The translation table as the memo printer looks it up: one entry per byte
// value, built once at the start of a print from TransIn and TransOut.
#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <array>

namespace Zanto {

class AnsiCodePage;

class TranslationLookup
{
public:
    // Byte b is translated by the first TransIn entry that holds exactly one
    // character equal to b regardless of letter case in codePage, provided
    // that entry has a TransOut partner at the same index; an empty partner
    // deletes the character. Entries of any other length never match.
    TranslationLookup(const QByteArrayList &transIn, const QByteArrayList &transOut,
        const AnsiCodePage &codePage);

    // The replacement bytes of byte, or null when byte stays unchanged.
    const QByteArray *replacement(unsigned char byte) const { return m_entry[byte]; }

private:
    QByteArrayList m_replacements; // own copies: the lists may change later
    std::array<const QByteArray *, 256> m_entry {};
};

} // namespace Zanto

/// \file
/// The translation table file: the bytes "ZantoquillerTranslationTable", then
/// one record per entry, in list order: the character, one byte holding the
/// replacement's length, and the replacement, raw.
#pragma once

#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>
#include <zantoquiller/core_export.h>

#include <optional>

namespace Zanto {

/// The bytes a translation table file begins with.
inline constexpr QByteArrayView TranslationTableMagic("ZantoquillerTranslationTable");

/// A replacement's length is stored in one byte.
inline constexpr qsizetype MaxStoredReplacement = 255;

/// A translation table as a file holds it.
struct TranslationTable
{
    QByteArrayList transIn; ///< the characters, one per entry
    QByteArrayList transOut; ///< their replacements, parallel to transIn

    friend bool operator==(const TranslationTable &, const TranslationTable &) = default;
};

/// The writes that store the table, in order: the magic, then one record for
/// every TransIn entry that is not empty, made of its first character and
/// the TransOut entry of the same index. Empty TransIn entries are left out
/// with their partners.
///
/// A table the file cannot hold exactly raises EConvertError instead, so that
/// the caller can refuse it before it touches any file: a TransOut entry longer
/// than 255 bytes (a cut replacement would print something else), or a TransIn
/// entry without a TransOut partner (it would come back with a partner).
ZANTOQUILLER_CORE_EXPORT QByteArrayList translationTableFileWrites(
    const QByteArrayList &transIn, const QByteArrayList &transOut);
/// The writes of translationTableFileWrites() joined: the whole file.
ZANTOQUILLER_CORE_EXPORT QByteArray translationTableFileBytes(
    const QByteArrayList &transIn, const QByteArrayList &transOut);

/// The table held in content, one entry per record, both lists equally long.
/// nullopt when content does not begin with the magic, or when its end cuts
/// a record short (its length byte or its replacement), so that a file cut
/// off never passes for a whole one; problem (if given) then receives why,
/// e.g. "the file ends at byte 812 inside the replacement of entry 5",
/// entries counted from 0 as in the lists. The records end with the content:
/// the format has no count of them.
ZANTOQUILLER_CORE_EXPORT std::optional<TranslationTable> parseTranslationTableFile(
    QByteArrayView content, QString *problem = nullptr);

} // namespace Zanto

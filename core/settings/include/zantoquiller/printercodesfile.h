/// \file
/// The printer codes file: the bytes "ZantoquillerControlCodes", then entries
/// of a key length byte, the key (a TPrinterCodes field name), a value length
/// byte and the value, raw. A writer stores seven groups of thirteen entries,
/// one group per printer type in TPrinterType order, each opened by "BoldOn".
#pragma once

#include <zantoquiller/core_export.h>
#include <zantoquiller/types.h>

#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace Zanto {

/// The bytes a printer codes file begins with.
inline constexpr QByteArrayView PrinterCodesMagic("ZantoquillerControlCodes");

/// The writes that store codes, in order: the magic, then four for every code
/// of every printer type (key length, key, value length, value). Joined they
/// are the file: 871 bytes plus the length of all codes.
ZANTOQUILLER_CORE_EXPORT QByteArrayList printerCodesFileWrites(const TCodeTable &codes);
/// The writes of printerCodesFileWrites() joined: the whole file.
ZANTOQUILLER_CORE_EXPORT QByteArray printerCodesFileBytes(const TCodeTable &codes);

/// The code table held in content. nullopt when content does not begin with
/// the magic, or when its end cuts an entry short (its key, its value length
/// or its value), so that a file cut off never passes for a whole one;
/// problem (if given) then receives why, e.g. "the file ends at byte 812
/// inside the value of entry 40", entries counted from 0. Otherwise:
/// - each "BoldOn" moves on to the next printer type (from ptUser2 back to
///   ptHPPCL), so the first group is ptHPPCL's and entries before it are
///   ptUser2's; a key that comes twice keeps the later value;
/// - values are cut to their first 20 bytes; unknown keys are skipped;
/// - reading stops at a key length of 0, ignoring what follows, and at the
///   end of content after a whole entry: the format has no count of entries;
/// - codes that no entry sets are empty.
ZANTOQUILLER_CORE_EXPORT std::optional<TCodeTable> parsePrinterCodesFile(
    QByteArrayView content, QString *problem = nullptr);

} // namespace Zanto

/// \file
/// The code list: the text form of a byte string as comma-separated decimal
/// byte values, e.g. "27,69" for ESC E. Used wherever a user sees or types codes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <zantoquiller/core_export.h>

namespace Zanto {

/// "27,69" for the bytes 27 and 69; empty for an empty input. Never fails.
ZANTOQUILLER_CORE_EXPORT QString StrToASCIIList(QByteArrayView bytes);

/// The bytes of a code list. Spaces are ignored anywhere; one empty item in a
/// row and trailing commas are skipped. Raises EConvertError
/// "Invalid character code: " + the item for an item that is not 0 to 255.
ZANTOQUILLER_CORE_EXPORT QByteArray ASCIIListToStr(const QString &list);

/// The framework's string-to-integer conversion: optional sign, then decimal
/// digits or a hexadecimal number after "$", "x", "X", "0x" or "0X". Returns
/// false for anything else, including a value outside 32-bit signed range.
ZANTOQUILLER_CORE_EXPORT bool parseInteger(QStringView text, qint32 &value);

} // namespace Zanto

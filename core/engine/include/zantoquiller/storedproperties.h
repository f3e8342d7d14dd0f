/// \file
/// Stores a component's published properties the way a form file does: one
/// "Name = Value" line per property, in declaration order.
///
/// Ordinal and Boolean properties are always written; strings and lists only
/// when they are not empty. Enumerations are written by name, Booleans as
/// True/False. Strings are quoted, with a quote doubled and every byte outside
/// printable ASCII written as \#N, so every byte 0-255 round-trips:
///
///     OutputFile = 'C:\out''s.txt'
///     TransOut = (#27'G', #27'H', '')
#pragma once

#include <QByteArray>
#include <zantoquiller/core_export.h>

class QObject;

namespace Zanto {

/// Writes the properties that the object's own class declares.
ZANTOQUILLER_CORE_EXPORT QByteArray writeStoredProperties(const QObject &object);

/// Sets the properties named in text, in text order; properties not named keep
/// their values. Raises EConvertError naming the line for anything unreadable,
/// after which the properties set by earlier lines stay set.
ZANTOQUILLER_CORE_EXPORT void readStoredProperties(QObject &object, const QByteArray &text);

} // namespace Zanto

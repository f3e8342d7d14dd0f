/// \file
/// Reading and writing a settings file as a whole, with the messages the
/// component raises: EInOutError "File Not Found: " + the name as given,
/// "Permission Denied", "Invalid File Format" or "Disk Full", each with the
/// system's reason where there is one. Also for the application's own files
/// that must be replaced safely, such as zanto's profiles.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <zantoquiller/core_export.h>

namespace Zanto {

/// The content of the file at path. givenName is the name the caller passed,
/// for the "File Not Found: " message.
ZANTOQUILLER_CORE_EXPORT QByteArray readSettingsFile(const QString &givenName, const QString &path);

/// Writes each of writes in turn to a new file that replaces the one at path
/// once all of it is stored. A failed save leaves the old file as it was.
ZANTOQUILLER_CORE_EXPORT void writeSettingsFile(const QString &path, const QByteArrayList &writes);

} // namespace Zanto

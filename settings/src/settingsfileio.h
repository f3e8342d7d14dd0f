// Reading and writing a settings file as a whole, with the messages the
// component raises: EInOutError "File Not Found: " + the name as given,
// "Permission Denied", "Invalid File Format" or "Disk Full", each with the
// system's reason where there is one.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace Zanto {

// The content of the file at path. givenName is the name the caller passed,
// for the "File Not Found: " message.
QByteArray readSettingsFile(const QString &givenName, const QString &path);

// Creates the file at path with exclusive access and writes each of writes in
// turn. A failed write leaves what was written so far.
void writeSettingsFile(const QString &path, const QByteArrayList &writes);

// The "Invalid File Format" error for a file whose content is not of the
// kind named by magic.
[[noreturn]] void raiseInvalidFormat(const QString &path, QByteArrayView magic);

} // namespace Zanto

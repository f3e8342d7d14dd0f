/// \file
/// Where a settings file named by the application lies.
#pragma once

#include <QString>
#include <QStringView>
#include <zantoquiller/core_export.h>

namespace Zanto {

/// The running program's folder, ending in '/'; empty if it cannot be found.
ZANTOQUILLER_CORE_EXPORT QString programDirectory();

/// name with defaultExtension (".PCC", ".CTT") appended when it has no
/// extension, i.e. no "." after its last '/'; a name ending in "." has one.
/// A name without a folder part then gets directory (ending in '/') put in
/// front of it.
ZANTOQUILLER_CORE_EXPORT QString resolveSettingsFileName(
    const QString &name, QStringView defaultExtension, const QString &directory);

} // namespace Zanto

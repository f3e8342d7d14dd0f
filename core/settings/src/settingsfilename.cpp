#include <zantoquiller/platform/process.h>
#include <zantoquiller/settingsfilename.h>

#include <QFile>

namespace Zanto {

QString programDirectory()
{
    return QFile::decodeName(QByteArray::fromStdString(Platform::executableDirectory()));
}

QString resolveSettingsFileName(
    const QString &name, QStringView defaultExtension, const QString &directory)
{
    QString resolved = name;
    const qsizetype lastSeparator = resolved.lastIndexOf(u'/');
    if (resolved.lastIndexOf(u'.') <= lastSeparator)
        resolved += defaultExtension;
    if (lastSeparator < 0)
        resolved.prepend(directory);
    return resolved;
}

} // namespace Zanto

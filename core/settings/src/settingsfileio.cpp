#include "settingsfileio.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/datafile.h>

#include <QFile>

namespace Zanto {

namespace {

// Settings files are a few kilobytes; a bigger file is refused rather than
// read into memory whole.
constexpr qint64 MaxSettingsFileSize = qint64(64) << 20;

QString fromSystem(const std::string &text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

EInOutError invalidFormat(const QString &path, const QString &why)
{
    return EInOutError(QStringLiteral("Invalid File Format"), path + QStringLiteral(": ") + why,
        ErrorKind::Format);
}

EInOutError failed(const QString &message, const Platform::Failure &failure)
{
    return EInOutError(message, fromSystem(failure.reason), failure.kind, failure.systemError);
}

bool refused(const Platform::Failure &failure)
{
    return failure.kind == ErrorKind::Permission || failure.kind == ErrorKind::Busy;
}

} // namespace

QByteArray readSettingsFile(const QString &givenName, const QString &path)
{
    const std::string systemPath = QFile::encodeName(path).toStdString();
    Platform::Failure missing;
    if (!Platform::fileExists(systemPath, &missing))
        throw failed(QStringLiteral("File Not Found: ") + givenName, missing);

    Platform::DataFile file = Platform::DataFile::openForReading(systemPath);
    if (!file.isOpen())
        throw failed(QStringLiteral("Permission Denied"), file.failure());
    if (file.size() > MaxSettingsFileSize)
        throw invalidFormat(path, QStringLiteral("larger than %1 bytes").arg(MaxSettingsFileSize));

    // Read to the end rather than to the size seen at opening, which files
    // of /proc and the like do not tell.
    QByteArray content;
    char buffer[16384];
    for (;;) {
        const std::ptrdiff_t count = file.read(buffer, sizeof buffer);
        if (count < 0)
            throw failed(QStringLiteral("Invalid File Format"), file.failure());
        if (count == 0)
            break;
        content.append(buffer, count);
        if (content.size() > MaxSettingsFileSize)
            throw invalidFormat(
                path, QStringLiteral("larger than %1 bytes").arg(MaxSettingsFileSize));
    }
    file.close();
    return content;
}

void writeSettingsFile(const QString &path, const QByteArrayList &writes)
{
    // The old file stays as it is until the new one is wholly stored; a
    // failure on the way leaves nothing of the new one behind.
    Platform::FileReplacement file
        = Platform::FileReplacement::begin(QFile::encodeName(path).toStdString());
    // A file that cannot be made is refused, unless for want of room.
    if (!file.isOpen())
        throw failed(file.failure().kind == ErrorKind::NoSpace
                ? QStringLiteral("Disk Full")
                : QStringLiteral("Permission Denied"),
            file.failure());
    for (const QByteArray &bytes : writes) {
        if (!file.writeAll(bytes.constData(), static_cast<std::size_t>(bytes.size())))
            throw failed(QStringLiteral("Disk Full"), file.failure());
    }
    // Data that cannot be stored after all is a full disk as well.
    if (!file.commit())
        throw failed(refused(file.failure()) ? QStringLiteral("Permission Denied")
                                             : QStringLiteral("Disk Full"),
            file.failure());
}

void raiseInvalidFormat(const QString &path, const QString &problem)
{
    throw invalidFormat(path, problem);
}

} // namespace Zanto

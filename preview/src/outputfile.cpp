#include <zantoquiller/preview/outputfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace Zanto::Preview {

namespace {

// A hidden name beside the file's own, with a random tail.
QString temporaryName(const QFileInfo &info)
{
    static constexpr char letters[]
        = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString tail;
    for (int i = 0; i < 8; ++i)
        tail += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return info.dir().filePath(QStringLiteral(".%1.%2").arg(info.fileName(), tail));
}

} // namespace

struct Q_DECL_HIDDEN OutputFile::Private
{
    QString name;
    QFile file;
    bool inPlace = false;
    bool committed = false;
    QString error;

    bool fail(const QString &reason)
    {
        error = reason;
        return false;
    }
};

OutputFile::OutputFile(const QString &name) : d(std::make_unique<Private>())
{
    d->name = name;
}

OutputFile::~OutputFile()
{
    if (d->file.isOpen())
        d->file.close();
    if (!d->inPlace && !d->committed && !d->file.fileName().isEmpty())
        QFile::remove(d->file.fileName());
}

bool OutputFile::open()
{
    const QFileInfo info(d->name);
    if (info.exists() && !info.isSymLink() && !info.isFile() && !info.isDir()) {
        d->inPlace = true;
        d->file.setFileName(d->name);
        return d->file.open(QIODevice::WriteOnly) || d->fail(d->file.errorString());
    }
    // Created anew (never through a link), with the mode a new file gets.
    constexpr QFileDevice::Permissions everyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner
        | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString temporary = temporaryName(info);
        d->file.setFileName(temporary);
        if (d->file.open(QIODevice::WriteOnly | QIODevice::NewOnly, everyone)) {
            // A file replaced keeps its mode.
            if (info.isFile() && !info.isSymLink() && !d->file.setPermissions(info.permissions()))
                return d->fail(d->file.errorString());
            return true;
        }
        const QString reason = d->file.errorString();
        const bool taken = QFileInfo(temporary).isSymLink() || QFileInfo::exists(temporary);
        d->file.setFileName(QString());
        if (!taken)
            return d->fail(reason);
    }
    return d->fail(QStringLiteral("no free temporary name"));
}

bool OutputFile::isOpen() const
{
    return d->file.isOpen();
}

QIODevice &OutputFile::device()
{
    return d->file;
}

bool OutputFile::commit()
{
    if (!d->file.isOpen())
        return false;
    const bool flushed = d->file.flush();
    d->file.close();
    if (!flushed || d->file.error() != QFileDevice::NoError)
        return d->fail(d->file.errorString());
    if (d->inPlace)
        return true;
    // rename replaces whatever is at the name, a link included, in one step.
    if (std::rename(QFile::encodeName(d->file.fileName()).constData(),
            QFile::encodeName(d->name).constData())
        != 0)
        return d->fail(QString::fromStdString(std::system_category().message(errno)));
    d->committed = true;
    return true;
}

QString OutputFile::errorString() const
{
    return d->error.isEmpty() ? d->file.errorString() : d->error;
}

} // namespace Zanto::Preview

#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ZantoTest {

// A temporary folder removed with the object, with shortcuts for the files
// tests write and read back.
class TempDir
{
public:
    TempDir();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace ZantoTest

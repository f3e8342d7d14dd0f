#include "tempdir.h"

#include <QFile>

#include <stdexcept>

namespace ZantoTest {

TempDir::TempDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

void TempDir::write(const QString &name, const QByteArray &bytes) const
{
    writeFile(filePath(name), bytes);
}

QByteArray TempDir::read(const QString &name) const
{
    return readFile(filePath(name));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace ZantoTest

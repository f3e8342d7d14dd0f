// Where the package tests find the built libraries.
#pragma once

#include <QString>

#include <ostream>

namespace ZantoTest {

inline QString zantopackLibrary()
{
    return QStringLiteral(ZANTOPACK_LIBRARY);
}

// A library of tests/package/fixtures, e.g. fixtureLibrary("notapackage").
inline QString fixtureLibrary(const QString &name)
{
    return QStringLiteral(ZANTO_FIXTURE_DIR "/lib%1.so").arg(name);
}

} // namespace ZantoTest

// Readable failure output for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

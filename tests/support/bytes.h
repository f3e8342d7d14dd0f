// Byte strings written as numbers, for expectations on printer output.
#pragma once

#include <QByteArray>

#include <initializer_list>

namespace ZantoTest {

// bytes({27, 'E', 0, 255}): each value is one byte.
QByteArray bytes(std::initializer_list<int> values);

} // namespace ZantoTest

#include "bytes.h"

namespace ZantoTest {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result += static_cast<char>(v);
    return result;
}

} // namespace ZantoTest

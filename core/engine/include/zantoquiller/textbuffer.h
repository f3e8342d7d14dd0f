// The line buffer of the memo printer, which is also the pass-through block
// handed to the spooler: a little-endian 16-bit byte count followed at once by
// the data.
#pragma once

#include <QtGlobal>

namespace Zanto {

struct TTextBuffer
{
    static constexpr int Capacity = 4000;

    quint16 Count = 0;
    // Data position 1 is Data[0].
    char Data[Capacity];
};
static_assert(sizeof(TTextBuffer) == 2 + TTextBuffer::Capacity, "count word then data, unpadded");

} // namespace Zanto

// PCL's raster rows as they come, compressed in one of its methods.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace Zanto::Preview {

// The widest row kept, in bytes: 65536 dots.
inline constexpr qsizetype WidestPclRow = 8192;

// Decodes one row of data in compression method (0 unencoded, 1 run-length,
// 2 TIFF PackBits, 3 delta row, 9 replacement delta row) onto seed, the
// plane's row before (which methods 3 and 9 change and the others replace).
// Rows are cut to WidestPclRow bytes. False for a method it does not know.
bool decodePclRow(int method, QByteArrayView data, QByteArray &seed);

} // namespace Zanto::Preview

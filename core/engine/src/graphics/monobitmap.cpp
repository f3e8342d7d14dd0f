// A picture of black and white dots, packed as printers take them.
#include <zantoquiller/graphics.h>

#include <algorithm>

namespace Zanto {

MonoBitmap::MonoBitmap(int width, int height)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
    , m_bits(qsizetype((m_width + 7) / 8) * m_height, '\0')
{ }

bool MonoBitmap::dot(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    return (uchar(m_bits[qsizetype(y) * bytesPerRow() + x / 8]) >> (7 - x % 8)) & 1;
}

void MonoBitmap::setDot(int x, int y, bool black)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    char &byte = m_bits[qsizetype(y) * bytesPerRow() + x / 8];
    const char bit = char(0x80 >> (x % 8));
    byte = black ? char(byte | bit) : char(byte & ~bit);
}

void MonoBitmap::fillRect(int x, int y, int width, int height)
{
    const int left = std::max(x, 0), right = std::min(x + width, m_width);
    const int top = std::max(y, 0), bottom = std::min(y + height, m_height);
    for (int row = top; row < bottom; ++row)
        for (int column = left; column < right; ++column)
            setDot(column, row);
}

QByteArrayView MonoBitmap::row(int y) const
{
    if (y < 0 || y >= m_height)
        return {};
    return QByteArrayView(m_bits).sliced(qsizetype(y) * bytesPerRow(), bytesPerRow());
}

MonoBitmap MonoBitmap::aligned(GraphicsAlignment alignment, int lineWidth) const
{
    const int room = std::max(lineWidth - m_width, 0);
    const int shift = alignment == GraphicsAlignment::Left ? 0
        : alignment == GraphicsAlignment::Center           ? room / 2
                                                           : room;
    if (shift == 0)
        return *this;
    MonoBitmap moved(m_width + shift, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (dot(x, y))
                moved.setDot(x + shift, y);
    return moved;
}

} // namespace Zanto

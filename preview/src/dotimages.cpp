#include "dotimages.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Zanto::Preview {

namespace {

// The pixel edges of count dots from start, density dots an inch.
std::vector<int> edges(double start, qint32 count, double density, double pixelsPerInch)
{
    std::vector<int> at(static_cast<std::size_t>(count) + 1);
    for (qint32 i = 0; i <= count; ++i)
        at[std::size_t(i)] = static_cast<int>(std::lround(start + i * pixelsPerInch / density));
    return at;
}

} // namespace

void inkDots(QImage &sheet, const DotImage &image, double left, double top, double pixelsPerInchX,
    double pixelsPerInchY)
{
    if (image.columns <= 0 || image.rows <= 0 || image.dotsPerInchX <= 0 || image.dotsPerInchY <= 0
        || image.bits.size() < qsizetype(image.rows) * ((image.columns + 7) / 8))
        return;
    const std::vector<int> across = edges(left, image.columns, image.dotsPerInchX, pixelsPerInchX);
    const std::vector<int> down = edges(top, image.rows, image.dotsPerInchY, pixelsPerInchY);
    const bool grey = sheet.format() == QImage::Format_Grayscale8;
    const int width = sheet.width();
    const int height = sheet.height();
    for (qint32 row = 0; row < image.rows; ++row) {
        const int y0 = std::max(0, down[std::size_t(row)]);
        const int y1 = std::min(height, std::max(down[std::size_t(row) + 1], y0 + 1));
        if (y0 >= y1)
            continue;
        for (qint32 column = 0; column < image.columns; ++column) {
            if (!image.dot(column, row))
                continue;
            const int x0 = std::max(0, across[std::size_t(column)]);
            const int x1 = std::min(width, std::max(across[std::size_t(column) + 1], x0 + 1));
            for (int y = y0; y < y1; ++y) {
                uchar *line = sheet.scanLine(y);
                if (grey)
                    std::fill(line + x0, line + std::max(x0, x1), uchar(0));
                else
                    std::fill(reinterpret_cast<QRgb *>(line) + x0,
                        reinterpret_cast<QRgb *>(line) + std::max(x0, x1), qRgb(0, 0, 0));
            }
        }
    }
}

} // namespace Zanto::Preview

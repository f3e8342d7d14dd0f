#include "glyphmasks.h"

#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Zanto::Preview {

namespace {

// Enough for a sheet's shapes at a few zoom levels, even large ones; beyond
// it the masks are drawn afresh.
constexpr qsizetype MaximumBytes = 16 * 1024 * 1024;

// d * m / 255, rounded, for 8-bit values.
inline uchar multiply(uint d, uint m)
{
    const uint product = d * m + 128;
    return static_cast<uchar>((product + (product >> 8)) >> 8);
}

int phaseOf(double position, int *whole)
{
    *whole = static_cast<int>(std::floor(position));
    int phase = static_cast<int>(std::lround((position - *whole) * GlyphPhases));
    if (phase == GlyphPhases) {
        ++*whole;
        phase = 0;
    }
    return phase;
}

GlyphMask drawMask(const QRawFont &font, quint32 glyph, double scale, int phaseX, int phaseY)
{
    GlyphMask mask;
    const QRectF box = font.boundingRect(glyph);
    if (box.isEmpty())
        return mask;
    // A margin for antialiasing and hinting around the outline's box.
    constexpr int Margin = 2;
    const double x = static_cast<double>(phaseX) / GlyphPhases;
    const double y = static_cast<double>(phaseY) / GlyphPhases;
    mask.left = static_cast<int>(std::floor(box.left() * scale + x)) - Margin;
    mask.top = static_cast<int>(std::floor(box.top() + y)) - Margin;
    const int right = static_cast<int>(std::ceil(box.right() * scale + x)) + Margin;
    const int bottom = static_cast<int>(std::ceil(box.bottom() + y)) + Margin;
    QImage image(right - mask.left, bottom - mask.top, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.translate(x - mask.left, y - mask.top);
    painter.scale(scale, 1);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF(0, 0)});
    painter.drawGlyphRun(QPointF(0, 0), run);
    painter.end();
    mask.image = image.convertToFormat(QImage::Format_Grayscale8);
    return mask;
}

} // namespace

const GlyphMask &GlyphMasks::mask(
    const QRawFont &font, quint32 fontKey, quint32 glyph, double scale, QPointF at, QPoint *pen)
{
    int x, y;
    const int phaseX = phaseOf(at.x(), &x);
    const int phaseY = phaseOf(at.y(), &y);
    *pen = QPoint(x, y);
    const quint64 scaleKey = static_cast<quint64>(std::lround(scale * 1000)) & 0xffff;
    const quint64 key = (static_cast<quint64>(fontKey) << 40) | (scaleKey << 24)
        | (static_cast<quint64>(glyph & 0xffff) << 8)
        | static_cast<quint64>(phaseX * GlyphPhases + phaseY);
    auto found = m_masks.find(key);
    if (found == m_masks.end()) {
        if (m_bytes > MaximumBytes) {
            m_masks.clear();
            m_bytes = 0;
        }
        found = m_masks.emplace(key, drawMask(font, glyph, scale, phaseX, phaseY)).first;
        m_bytes += found->second.image.sizeInBytes();
    }
    return found->second;
}

void inkMask(QImage &sheet, const QImage &mask, int x, int y)
{
    const int left = std::max(0, -x);
    const int top = std::max(0, -y);
    const int right = std::min(mask.width(), sheet.width() - x);
    const int bottom = std::min(mask.height(), sheet.height() - y);
    const bool grey = sheet.format() == QImage::Format_Grayscale8;
    // Rows through the pointers: scanLine() checks for sharing each time.
    const uchar *masks = mask.constBits();
    uchar *sheets = sheet.bits();
    for (int row = top; row < bottom; ++row) {
        const uchar *from = masks + row * mask.bytesPerLine();
        uchar *to = sheets + (y + row) * sheet.bytesPerLine();
        for (int column = left; column < right; ++column) {
            const uint m = from[column];
            if (m == 255)
                continue;
            if (grey) {
                to[x + column] = multiply(to[x + column], m);
            } else {
                QRgb &pixel = reinterpret_cast<QRgb *>(to)[x + column];
                pixel = qRgb(multiply(qRed(pixel), m), multiply(qGreen(pixel), m),
                    multiply(qBlue(pixel), m));
            }
        }
    }
}

void inkBar(QImage &sheet, double x0, double x1, double y0, double y1)
{
    const int left = std::max(0, static_cast<int>(std::lround(x0)));
    const int right = std::min(sheet.width(), static_cast<int>(std::lround(x1)));
    const int top = std::max(0, static_cast<int>(std::floor(y0)));
    const int bottom = std::min(sheet.height(), static_cast<int>(std::ceil(y1)));
    if (left >= right)
        return;
    QImage row(right - left, 1, QImage::Format_Grayscale8);
    for (int y = top; y < bottom; ++y) {
        const double covered = std::min(y1, y + 1.0) - std::max(y0, static_cast<double>(y));
        row.fill(static_cast<uint>(std::lround(255 * (1 - std::clamp(covered, 0.0, 1.0)))));
        inkMask(sheet, row, left, y);
    }
}

} // namespace Zanto::Preview

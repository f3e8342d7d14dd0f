// Characters drawn once and copied many times. A sheet holds thousands of
// characters from a few dozen shapes: each shape is rasterised once per
// face, size, width and position within a pixel, and kept as a mask that is
// inked onto every sheet it appears on.
#pragma once

#include <QImage>
#include <QRawFont>

#include <unordered_map>

namespace Zanto::Preview {

// Positions within a pixel told apart along each axis.
inline constexpr int GlyphPhases = 4;

struct GlyphMask
{
    // Grayscale8: 255 where the paper shows, 0 under full ink; null for a
    // blank character.
    QImage image;
    // The image's top left corner from the pen's whole-pixel position.
    int left = 0;
    int top = 0;
};

class GlyphMasks
{
public:
    // The glyph of font (set to its pixel size; fontKey tells it apart from
    // other faces and sizes), stretched by scale, for a pen at x, y in
    // pixels; pen receives its whole-pixel position.
    const GlyphMask &mask(const QRawFont &font, quint32 fontKey, quint32 glyph, double scale,
        QPointF at, QPoint *pen);

private:
    std::unordered_map<quint64, GlyphMask> m_masks;
    qsizetype m_bytes = 0; // of the masks' pictures
};

// Multiplies the sheet (Grayscale8 or RGB32) by the mask placed at x, y:
// black ink on whatever is there.
void inkMask(QImage &sheet, const QImage &mask, int x, int y);
// Inks a bar from x0 to x1 and y0 to y1 in pixels; rows it covers in part
// get part of the ink.
void inkBar(QImage &sheet, double x0, double x1, double y0, double y1);

} // namespace Zanto::Preview

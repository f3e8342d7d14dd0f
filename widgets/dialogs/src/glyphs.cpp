#include "glyphs.h"

#include "glyphbutton.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace Zanto {

namespace {

constexpr int Size = TGlyphButton::GlyphSize;

QPainterPath checkMark()
{
    QPainterPath path;
    path.moveTo(3.5, 9.5);
    path.lineTo(7.5, 13.5);
    path.lineTo(14.5, 4.5);
    return path;
}

QPixmap drawCheck(const QColor &outline, const QColor &fill, const QColor &shadow)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = checkMark();
    if (shadow.isValid())
        painter.strokePath(
            path.translated(1, 1), QPen(shadow, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (outline.isValid())
        painter.strokePath(path, QPen(outline, 4.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(path, QPen(fill, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    return pixmap;
}

QPixmap centred(const QPixmap &picture)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.drawPixmap((Size - picture.width()) / 2, (Size - picture.height()) / 2, picture);
    return pixmap;
}

QPixmap stockCancel(const QStyle *style, QIcon::Mode mode)
{
    const QIcon icon = style->standardIcon(QStyle::SP_DialogCancelButton);
    return centred(icon.pixmap(QSize(16, 16), mode));
}

} // namespace

QPixmap okGlyph()
{
    return drawCheck(QColor(0, 96, 0), QColor(0, 176, 0), QColor());
}

QPixmap okGlyphDisabled()
{
    // Embossed grey, the usual look of a disabled picture.
    return drawCheck(QColor(), QColor(128, 128, 128), QColor(255, 255, 255));
}

QPixmap cancelGlyph(const QStyle *style)
{
    return stockCancel(style, QIcon::Normal);
}

QPixmap cancelGlyphDisabled(const QStyle *style)
{
    return stockCancel(style, QIcon::Disabled);
}

} // namespace Zanto

#include "glyphbutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace Zanto {

TGlyphButton::TGlyphButton(QWidget *parent) : QPushButton(parent) { }

void TGlyphButton::setGlyph(const QPixmap &normal, const QPixmap &disabled)
{
    m_normal = normal;
    m_disabled = disabled;
    update();
}

void TGlyphButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    // The style draws the frame (and the default-button border); glyph,
    // caption and focus frame are placed here.
    QStyleOptionButton bevel = option;
    bevel.text.clear();
    bevel.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, bevel);

    QRect content = rect();
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        content.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
            style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));

    const QPixmap &glyph = isEnabled() ? m_normal : m_disabled;
    if (!glyph.isNull()) {
        const QRect glyphRect(content.left() + GlyphMargin,
            content.top() + (content.height() - GlyphSize) / 2, GlyphSize, GlyphSize);
        painter.drawPixmap(glyphRect, glyph);
    }

    QRect captionRect = content;
    if (!glyph.isNull())
        captionRect.setLeft(content.left() + GlyphMargin + GlyphSize);
    painter.drawItemText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic, option.palette,
        isEnabled(), option.text, QPalette::ButtonText);

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace Zanto

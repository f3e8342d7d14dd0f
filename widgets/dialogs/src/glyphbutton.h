// A push button with a small picture beside its caption: the glyph stands
// 2 pixels from the left edge and the caption is centred in the space to
// its right. Two images: one for the enabled and one for the disabled state.
#pragma once

#include <QPixmap>
#include <QPushButton>

namespace Zanto {

class TGlyphButton : public QPushButton
{
    Q_OBJECT

public:
    static constexpr int GlyphSize = 18;
    static constexpr int GlyphMargin = 2;

    explicit TGlyphButton(QWidget *parent = nullptr);

    void setGlyph(const QPixmap &normal, const QPixmap &disabled);
    const QPixmap &glyph() const { return m_normal; }
    const QPixmap &disabledGlyph() const { return m_disabled; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_normal;
    QPixmap m_disabled;
};

} // namespace Zanto

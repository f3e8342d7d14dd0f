// The pictures of the dialogs' OK and Cancel buttons.
#pragma once

#include <QPixmap>

class QStyle;

namespace Zanto {

// The green check mark of an OK button, 18 x 18 pixels, and its grey image
// for the disabled state.
QPixmap okGlyph();
QPixmap okGlyphDisabled();

// The style's stock Cancel picture, centred in 18 x 18 pixels.
QPixmap cancelGlyph(const QStyle *style);
QPixmap cancelGlyphDisabled(const QStyle *style);

} // namespace Zanto

// Graphics dots on a drawn sheet.
#pragma once

#include <zantoquiller/preview/page.h>

#include <QImage>

namespace Zanto::Preview {

// Inks the image's dots black on the sheet (Grayscale8 or RGB32), its top
// left corner at left, top in pixels, the sheet's density pixelsPerInchX by pixelsPerInchY.
// Each dot covers the whole pixels between its edges rounded, and at least
// one, so that a picture at the image's own density matches it dot for dot.
void inkDots(QImage &sheet, const DotImage &image, double left, double top, double pixelsPerInchX,
    double pixelsPerInchY);

} // namespace Zanto::Preview

/// \file
/// Pictures (PNG and whatever else Qt Gui reads) made into the printer's
/// black and white dots: scaled to the paper and dithered, ready for
/// Zanto::bitmapBytes.
#pragma once

#include <zantoquiller/graphics.h>
#include <zantoquiller/preview_export.h>

#include <QImage>

namespace Zanto {
class PrinterLanguage;
}

namespace Zanto::Preview {

/// image as black and white dots: one dot per pixel, or width dots across
/// when width is above 0, and never more than lineWidth across (the height
/// follows in proportion). Transparent parts are white; greys are spread
/// by Floyd-Steinberg error diffusion. Empty for a null image.
ZANTOQUILLER_PREVIEW_EXPORT MonoBitmap ditheredBitmap(
    const QImage &image, int lineWidth, int width = 0);

/// image as bytes of language: ditheredBitmap on the language's printable
/// width (graphicsLineWidth), sent by bitmapBytes.
ZANTOQUILLER_PREVIEW_EXPORT GraphicsBytes imageBytes(const PrinterLanguage &language,
    const QImage &image, GraphicsAlignment alignment, int width = 0);

} // namespace Zanto::Preview

// Pictures as printer dots: scaled with smoothing, flattened on white, and
// dithered so that greys keep their share of black dots.
#include <zantoquiller/preview/imagedots.h>

#include <zantoquiller/printerlanguage.h>

#include <QPainter>

#include <algorithm>
#include <vector>

namespace Zanto::Preview {

MonoBitmap ditheredBitmap(const QImage &image, int lineWidth, int width)
{
    if (image.isNull() || lineWidth <= 0)
        return {};
    int targetWidth = width > 0 ? width : image.width();
    targetWidth = std::min(targetWidth, lineWidth);
    const int targetHeight = std::max(
        1, int((qint64(image.height()) * targetWidth + image.width() / 2) / image.width()));

    // Flattened on white first: a transparent pixel is paper.
    QImage flat(targetWidth, targetHeight, QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, targetWidth, targetHeight), image);
    }
    const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8);

    // Floyd-Steinberg: each dot's error goes 7/16 right, 3/16 below left,
    // 5/16 below and 1/16 below right. Two rows of errors are enough.
    MonoBitmap bitmap(targetWidth, targetHeight);
    std::vector<int> current(size_t(targetWidth) + 2, 0), next(size_t(targetWidth) + 2, 0);
    for (int y = 0; y < targetHeight; ++y) {
        const uchar *line = grey.constScanLine(y);
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < targetWidth; ++x) {
            const int value = std::clamp(line[x] * 16 + current[size_t(x) + 1], 0, 255 * 16);
            const bool black = value < 128 * 16;
            const int error = (value - (black ? 0 : 255 * 16)) / 16;
            if (black)
                bitmap.setDot(x, y);
            current[size_t(x) + 2] += error * 7;
            next[size_t(x)] += error * 3;
            next[size_t(x) + 1] += error * 5;
            next[size_t(x) + 2] += error;
        }
        std::swap(current, next);
    }
    return bitmap;
}

GraphicsBytes imageBytes(
    const PrinterLanguage &language, const QImage &image, GraphicsAlignment alignment, int width)
{
    if (image.isNull())
        return {{}, GraphicsError {QStringLiteral("the picture cannot be read")}};
    return bitmapBytes(
        language, ditheredBitmap(image, graphicsLineWidth(language), width), alignment);
}

} // namespace Zanto::Preview

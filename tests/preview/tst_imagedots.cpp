// Pictures made into printer dots: exact where the picture is black and
// white already, greys kept as a share of dots, scaled to the paper, and
// sent to a receipt printer as raster bands that carry the same dots.
#include <zantoquiller/preview/imagedots.h>
#include <zantoquiller/printerlanguage.h>

#include <QPainter>

#include <gtest/gtest.h>

using namespace Zanto;
using namespace Zanto::Preview;

namespace {

QImage filled(int width, int height, QColor colour, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

QImage pattern()
{
    QImage image = filled(40, 24, Qt::white, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x / 3 + y / 2) % 2 == 0 || x == y)
                image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

double blackShare(const MonoBitmap &bitmap)
{
    qint64 black = 0;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            black += bitmap.dot(x, y);
    return double(black) / (qint64(bitmap.width()) * bitmap.height());
}

} // namespace

TEST(ImageDots, ScaledAndDithered)
{
    struct Row
    {
        const char *what;
        QImage image;
        int lineWidth;
        int width;
        QSize size;
        double lowShare;
        double highShare;
    } rows[] = {
        {"black", filled(30, 10, Qt::black), 576, 0, {30, 10}, 1.0, 1.0},
        {"white", filled(30, 10, Qt::white), 576, 0, {30, 10}, 0.0, 0.0},
        {"transparent black is paper", filled(30, 10, QColor(0, 0, 0, 0)), 576, 0, {30, 10}, 0.0,
            0.0},
        {"half grey", filled(100, 100, QColor(128, 128, 128)), 576, 0, {100, 100}, 0.45, 0.55},
        {"quarter grey", filled(100, 100, QColor(192, 192, 192)), 576, 0, {100, 100}, 0.2, 0.3},
        {"wider than the paper", filled(1000, 500, Qt::black), 576, 0, {576, 288}, 1.0, 1.0},
        {"asked width", filled(200, 100, Qt::black), 576, 64, {64, 32}, 1.0, 1.0},
        {"asked width beyond the paper", filled(200, 100, Qt::black), 384, 1000, {384, 192}, 1.0,
            1.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const MonoBitmap dots = ditheredBitmap(row.image, row.lineWidth, row.width);
        EXPECT_EQ(QSize(dots.width(), dots.height()), row.size);
        EXPECT_GE(blackShare(dots), row.lowShare);
        EXPECT_LE(blackShare(dots), row.highShare);
    }
    EXPECT_TRUE(ditheredBitmap(QImage(), 576).isEmpty());
}

TEST(ImageDots, BlackAndWhiteKeepsEveryDot)
{
    const QImage image = pattern();
    const MonoBitmap dots = ditheredBitmap(image, 576);
    ASSERT_EQ(dots.width(), image.width());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(dots.dot(x, y), qGray(image.pixel(x, y)) < 128) << x << "," << y;
}

// A picture for a receipt printer: aligned by ESC a, then GS v 0 bands
// whose rows, stacked, are the dithered dots, centred in their whole bytes.
TEST(ImageDots, ReceiptPrinterRasterCarriesTheDots)
{
    const PrinterLanguage &escpos = *PrinterLanguage::find(u"escpos");
    QImage image = filled(150, 130, Qt::white, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 150, 0);
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, Qt::white);
        painter.fillRect(0, 0, 150, 80, gradient);
        painter.fillRect(20, 90, 60, 30, Qt::black);
    }
    // 150 dots in 19 bytes: of the two spare dots, one goes before the
    // picture so that the printer's centring centres the picture.
    const MonoBitmap dithered = ditheredBitmap(image, graphicsLineWidth(escpos));
    const MonoBitmap expected = dithered.aligned(GraphicsAlignment::Right, dithered.width() + 1);
    const GraphicsBytes sent = imageBytes(escpos, image, GraphicsAlignment::Center);
    ASSERT_FALSE(sent.error);
    QByteArrayView bytes = sent.bytes;
    ASSERT_TRUE(bytes.startsWith("\x1b"
                                 "a\x01"));
    bytes = bytes.sliced(3);
    int row = 0;
    while (!bytes.isEmpty()) {
        ASSERT_TRUE(bytes.startsWith(QByteArrayView("\x1dv0\0", 4)));
        const int widthBytes = uchar(bytes[4]) | uchar(bytes[5]) << 8;
        const int height = uchar(bytes[6]) | uchar(bytes[7]) << 8;
        ASSERT_EQ(widthBytes, expected.bytesPerRow());
        ASSERT_LE(height, 64); // a band the smallest buffers take
        bytes = bytes.sliced(8);
        for (int y = 0; y < height; ++y, ++row, bytes = bytes.sliced(widthBytes))
            ASSERT_EQ(bytes.first(widthBytes), expected.row(row)) << row;
    }
    EXPECT_EQ(row, expected.height());
    EXPECT_TRUE(imageBytes(escpos, QImage(), GraphicsAlignment::Left).error);
}

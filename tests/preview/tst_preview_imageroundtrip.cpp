// A picture printed by zanto print --markup (the centred --logo, and an
// {image} flush right) with each shipped profile whose language takes
// pictures, read back by the preview: the same dots as the dithered bitmap
// the library made, where the alignment puts them.
#include "processrunner.h"
#include "tempdir.h"

#include <zantoquiller/graphics.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/imagedots.h>
#include <zantoquiller/preview/paper.h>
#include <zantoquiller/printerlanguage.h>

#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Zanto;
using namespace Zanto::Preview;
using namespace ZantoTest;

namespace {

class Pages : public PageSink
{
public:
    void addPage(const Page &page) override { pages.push_back(page); }
    std::vector<Page> pages;
};

// A framed picture with greys inside: the frame marks its bounds in the
// dots, the greys are dithered.
QImage picture()
{
    QImage image(90, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 90, 0);
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(QRect(4, 4, 82, 30), gradient);
    painter.fillRect(QRect(10, 38, 20, 8), Qt::black);
    painter.setPen(Qt::black);
    painter.drawRect(QRect(0, 0, 89, 49));
    return image;
}

// The sheet's graphics as dots of dpi from the printable area's corner: a
// dot at each address (the pictures sent are at that density).
struct Grid
{
    int width = 0;
    int height = 0;
    std::vector<bool> dots;
    bool at(int x, int y) const
    {
        return dots[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

Grid addressed(const Page &page, int dpi)
{
    Grid grid;
    for (const DotImage &image : page.images) {
        grid.width = std::max(grid.width,
            int(std::lround(
                image.x * double(dpi) / UnitsPerInch + image.columns * dpi / image.dotsPerInchX))
                + 1);
        grid.height = std::max(grid.height,
            int(std::lround(
                image.y * double(dpi) / UnitsPerInch + image.rows * dpi / image.dotsPerInchY))
                + 1);
    }
    grid.dots.resize(std::size_t(grid.width) * std::size_t(grid.height));
    for (const DotImage &image : page.images) {
        const double left = image.x * double(dpi) / UnitsPerInch;
        const double top = image.y * double(dpi) / UnitsPerInch;
        for (qint32 row = 0; row < image.rows; ++row)
            for (qint32 column = 0; column < image.columns; ++column)
                if (image.dot(column, row)) {
                    const long x = std::lround(left + column * dpi / image.dotsPerInchX);
                    const long y = std::lround(top + row * dpi / image.dotsPerInchY);
                    grid.dots[std::size_t(y) * std::size_t(grid.width) + std::size_t(x)] = true;
                }
    }
    return grid;
}

QString profileLanguage(const QString &profile)
{
    const ProcessResult shown
        = runZanto({QStringLiteral("profiles"), QStringLiteral("show"), profile});
    for (const QByteArray &line : shown.out.split('\n'))
        if (line.startsWith("language "))
            return QString::fromLatin1(line.simplified().split(' ').value(1));
    return {};
}

} // namespace

TEST(ImageRoundTrip, EveryGraphicsProfilePrintsTheDitheredDotsInPlace)
{
    TempDir dir;
    ASSERT_TRUE(picture().save(dir.filePath(QStringLiteral("picture.png"))));
    const QStringList profiles = QString::fromLatin1(ZANTO_PROFILE_NAMES).split(u',');
    int tried = 0;
    for (const QString &profile : profiles) {
        const QString languageName = profileLanguage(profile);
        const PrinterLanguage *language = PrinterLanguage::find(languageName);
        ASSERT_NE(language, nullptr) << profile.toStdString() << ": " << languageName.toStdString();
        if (!supportsGraphics(*language))
            continue;
        const MonoBitmap expected = ditheredBitmap(picture(), graphicsLineWidth(*language));
        const int dpi = graphicsDotsPerInch(*language);
        // The line the alignment measures: the printer's own paper for a
        // receipt printer (ESC a), else the width the library aligns on.
        const bool roll58 = profile.contains(u"58mm");
        int line = graphicsLineWidth(*language);
        for (const LanguagePaperWidth &paper : language->model().paperWidths)
            if (QLatin1StringView(paper.paper) == QLatin1StringView(roll58 ? "roll58" : "roll80"))
                line = paper.dots;
        struct Job
        {
            const char *what;
            QStringList arguments;
            QByteArray input;
            int left; // of the picture, in dots
            int top;
        } jobs[] = {
            {"--logo", {QStringLiteral("--logo"), QStringLiteral("picture.png")}, "",
                (line - expected.width()) / 2, 0},
            // A line of text first: the picture stands a line spacing (1/6
            // inch) below the top.
            {"{image} on the right", {}, "Before\n{right}\n{image picture.png}\n",
                line - expected.width(), int(std::lround(dpi / 6.0))},
        };
        for (const Job &job : jobs) {
            SCOPED_TRACE(profile.toStdString() + ": " + job.what);
            ++tried;
            const QString out = dir.filePath(profile + QStringLiteral(".prn"));
            const ProcessResult printed
                = runZanto(QStringList {QStringLiteral("print"), QStringLiteral("-P"), profile,
                               QStringLiteral("--markup"), QStringLiteral("--port"),
                               QStringLiteral("FILE"), QStringLiteral("-o"), out}
                        + job.arguments,
                    job.input, QProcessEnvironment::systemEnvironment(), dir.path());
            ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
            QFile file(out);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));

            PrinterSetup setup;
            setup.language = language;
            if (roll58)
                setup.paper = findPaper(u"roll58"_qs);
            Pages pages;
            ByteInterpreter interpreter(setup, pages);
            interpreter.feed(file.readAll());
            interpreter.finish();
            EXPECT_EQ(interpreter.unknownSequenceCount(), 0);
            EXPECT_EQ(interpreter.ignoredCommandCount(), 0);
            ASSERT_FALSE(pages.pages.empty());
            ASSERT_FALSE(pages.pages.front().images.empty());
            for (const DotImage &image : pages.pages.front().images) {
                EXPECT_DOUBLE_EQ(image.dotsPerInchX, dpi);
                EXPECT_DOUBLE_EQ(image.dotsPerInchY, dpi);
            }
            const Grid grid = addressed(pages.pages.front(), dpi);
            int x0 = grid.width, y0 = grid.height, x1 = -1, y1 = -1;
            for (int y = 0; y < grid.height; ++y)
                for (int x = 0; x < grid.width; ++x)
                    if (grid.at(x, y)) {
                        x0 = std::min(x0, x);
                        x1 = std::max(x1, x);
                        y0 = std::min(y0, y);
                        y1 = std::max(y1, y);
                    }
            ASSERT_EQ(x1 - x0 + 1, expected.width());
            ASSERT_EQ(y1 - y0 + 1, expected.height());
            // Within a dot: a receipt printer's place is reckoned in the
            // preview's units.
            EXPECT_NEAR(x0, job.left, 1);
            EXPECT_EQ(y0, job.top);
            int differing = 0;
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x)
                    differing += grid.at(x0 + x, y0 + y) != expected.dot(x, y);
            EXPECT_EQ(differing, 0);
        }
    }
    // ESC/POS at 80 and 58 mm, Star Line mode, ESC/P 9 and 24 pin, PCL.
    EXPECT_EQ(tried, 2 * 6);
}

// The preview widget: sheets shown one at a time, page buttons, zoom and
// fit to width, driven as a user does; and the sheets as the painter draws
// them for the widget and the PNG pages.
#include "collectedpages.h"
#include "guidriver.h"
#include "sheetgeometry.h"

#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/pagepainter.h>
#include <zantoquiller/printerlanguage.h>

#include <zantoquiller/preview/previewwidget.h>

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

using namespace Zanto;
using namespace Zanto::Preview;
using namespace PreviewTest;

class TestPreviewWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesZoomAndFitToWidth()
    {
        PreviewWidget widget;
        PrinterSetup setup;
        setup.codes = builtInCodeTable()[ptEpson];
        ByteInterpreter interpreter(setup, widget);
        interpreter.feed("first\fsecond\fthird");
        interpreter.finish();
        widget.resize(700, 600);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));

        auto *label = widget.findChild<QLabel *>(QStringLiteral("pageLabel"));
        auto *next = widget.findChild<QToolButton *>(QStringLiteral("nextPage"));
        auto *previous = widget.findChild<QToolButton *>(QStringLiteral("previousPage"));
        QCOMPARE(widget.pageCount(), 3);
        QCOMPARE(label->text(), QStringLiteral("Sheet 1 of 3"));
        QVERIFY(!previous->isEnabled());
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(widget.currentPage(), 2);
        QCOMPARE(label->text(), QStringLiteral("Sheet 3 of 3"));
        QVERIFY(!next->isEnabled());

        // Fit to width: the sheet fills the width the scroll area offers.
        QVERIFY(widget.fitsWidth());
        const int fitted = widget.sheetPixmap().deviceIndependentSize().toSize().width();
        QVERIFY2(fitted > 550 && fitted <= 700, qPrintable(QString::number(fitted)));
        widget.resize(500, 600);
        QTRY_VERIFY(widget.sheetPixmap().deviceIndependentSize().width() < 500);

        // A chosen zoom: 8.5 inches at 96 dots an inch, halved.
        auto *zoom = widget.findChild<QComboBox *>(QStringLiteral("zoom"));
        zoom->setCurrentIndex(zoom->findText(QStringLiteral("50%")));
        Q_EMIT zoom->activated(zoom->currentIndex());
        QVERIFY(!widget.fitsWidth());
        QCOMPARE(widget.sheetPixmap().deviceIndependentSize().toSize(), QSize(408, 528));
        widget.zoomIn();
        QCOMPARE(widget.zoom(), 0.625);
        QTest::mouseClick(
            widget.findChild<QToolButton *>(QStringLiteral("fitWidth")), Qt::LeftButton);
        QVERIFY(widget.fitsWidth());
    }

    // Each character is inked inside its own cell, in grey and on a coloured
    // background alike, and an underline runs under the whole run.
    void charactersAreInkedInTheirCells()
    {
        PrinterSetup setup;
        setup.codes = builtInCodeTable()[ptEpson];
        const Page page = interpret(setup, "H H\r\n\x1b-1I  I\x1b-0 E").pages.at(0);
        constexpr double Dpi = 120;
        const double scale = Dpi / 72;
        const auto dark
            = [](const QImage &sheet, int x, int y) { return qGray(sheet.pixel(x, y)) < 128; };
        for (const Background background : {Background::None, Background::Tractor}) {
            PagePainter painter(background);
            const QImage sheet = painter.paint(page, Dpi);
            const SheetGeometry geometry(page, background);
            for (const Line &line : page.lines) {
                const int top = qRound((geometry.lineBaseline(line) - 9) * scale);
                const int bottom = qRound((geometry.lineBaseline(line) + 3) * scale);
                const int underline = qRound(geometry.underlineY(line) * scale);
                for (const Glyph &glyph : line.glyphs) {
                    const int left = qRound((geometry.originX + glyph.x * PointsPerUnit) * scale);
                    const int right = qRound(
                        (geometry.originX + (glyph.x + glyph.width) * PointsPerUnit) * scale);
                    int ink = 0;
                    for (int y = top; y < bottom; ++y)
                        for (int x = left; x < right; ++x)
                            ink += std::abs(y - underline) > 1 && dark(sheet, x, y);
                    QCOMPARE(ink > 0, glyph.byte != ' ');
                    // The underline is a bar a pixel or so high, maybe split
                    // over two rows.
                    int underlineInk = 0;
                    for (int y = underline - 1; y <= underline + 1; ++y)
                        underlineInk += 255 - qGray(sheet.pixel((left + right) / 2, y));
                    const bool underlined = underlineInk > 128;
                    QCOMPARE(underlined, bool(glyph.style & Underline));
                }
            }
        }
    }

    // A double-height character (ESC/POS GS ! 1) reaches twice as high above
    // its baseline as the one beside it, in the same width.
    void doubleHeightGrowsUpward()
    {
        PrinterSetup setup;
        setup.language = PrinterLanguage::find(u"escpos");
        const Page page = interpret(setup, "H\x1d!\x01H").pages.at(0);
        constexpr double Dpi = 200;
        const double scale = Dpi / 72;
        const QImage sheet = PagePainter(Background::None).paint(page, Dpi);
        const SheetGeometry geometry(page, Background::None);
        const Line &line = page.lines.at(0);
        QCOMPARE(line.glyphs.size(), std::size_t(2));
        QCOMPARE(line.glyphs[0].width, line.glyphs[1].width);
        // The band from 10 to 7 points above the baseline: over a character
        // of 7 points, under one of 14.
        const int top = qRound((geometry.lineBaseline(line) - 10) * scale);
        const int bottom = qRound((geometry.lineBaseline(line) - 7) * scale);
        std::vector<int> ink;
        for (const Glyph &glyph : line.glyphs) {
            const int left = qRound((geometry.originX + glyph.x * PointsPerUnit) * scale);
            const int right
                = qRound((geometry.originX + (glyph.x + glyph.width) * PointsPerUnit) * scale);
            int dark = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    dark += qGray(sheet.pixel(x, y)) < 128;
            ink.push_back(dark);
        }
        QCOMPARE(ink[0], 0);
        QVERIFY(ink[1] > 0);
    }
};

ZANTO_GUI_TEST_MAIN(TestPreviewWidget)
#include "tst_previewwidget.moc"

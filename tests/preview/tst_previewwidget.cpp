// The preview widget: sheets shown one at a time, page buttons, zoom and
// fit to width, driven as a user does.
#include "guidriver.h"

#include <zantoquiller/preview/byteinterpreter.h>

#include <previewwidget.h>

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

using namespace Zanto;
using namespace Zanto::Preview;

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
};

ZANTO_GUI_TEST_MAIN(TestPreviewWidget)
#include "tst_previewwidget.moc"

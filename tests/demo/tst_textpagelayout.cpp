// Line advance, page breaks, wrapping and tab stops of the graphics print.
#include "guidriver.h"
#include "textpagelayout.h"

#include <QFont>
#include <QImage>
#include <QTest>

using namespace Zanto;

class TextPageLayoutTest : public QObject
{
    Q_OBJECT

private:
    // Metrics of the graphics print font at a printer's 600 dots per inch.
    QImage m_device {8, 8, QImage::Format_RGB32};
    QFontMetricsF metrics()
    {
        m_device.setDotsPerMeterX(23622);
        m_device.setDotsPerMeterY(23622);
        QFont font(QStringLiteral("Liberation Mono"), 10);
        return QFontMetricsF(font, &m_device);
    }

private Q_SLOTS:
    void fontIsFixedPitchAtPrinterResolution()
    {
        const QFontMetricsF m = metrics();
        QCOMPARE(m.horizontalAdvance(u'i'), m.horizontalAdvance(u'W'));
        // 10 point at 600 dpi: a character cell of 6/10 of the size, 50 dots.
        QVERIFY(qAbs(m.horizontalAdvance(u'x') - 50.0) < 1.0);
    }

    void linesStartTopLeftAndAdvanceByTheTextHeight()
    {
        const QFontMetricsF m = metrics();
        TextPageLayout layout(m, QSizeF(5000, 6000));
        layout.writeLine(QStringLiteral("first"));
        layout.writeLine(QString());
        layout.writeLine(QStringLiteral("third"));
        QCOMPARE(layout.lineHeight(), m.height());
        QCOMPARE(layout.pieces(),
            (QList<PlacedText> {{0, QPointF(0, 0), QStringLiteral("first")},
                {0, QPointF(0, 2 * m.height()), QStringLiteral("third")}}));
        QCOMPARE(layout.pageCount(), 1);
    }

    void newPageWhenTheNextLineWouldNotFit()
    {
        const QFontMetricsF m = metrics();
        TextPageLayout layout(m, QSizeF(5000, 3.5 * m.height()));
        for (const char *line : {"a", "b", "c", "d"})
            layout.writeLine(QString::fromLatin1(line));
        const QList<PlacedText> pieces = layout.pieces();
        QCOMPARE(pieces.size(), 4);
        QCOMPARE(pieces[2], (PlacedText {0, QPointF(0, 2 * m.height()), QStringLiteral("c")}));
        QCOMPARE(pieces[3], (PlacedText {1, QPointF(0, 0), QStringLiteral("d")}));
        QCOMPARE(layout.pageCount(), 2);
    }

    void exactlyFullPageHoldsItsLastLine()
    {
        const QFontMetricsF m = metrics();
        TextPageLayout layout(m, QSizeF(5000, 3 * m.height()));
        for (const char *line : {"a", "b", "c"})
            layout.writeLine(QString::fromLatin1(line));
        QCOMPARE(layout.pageCount(), 1);
        layout.writeLine(QStringLiteral("d"));
        QCOMPARE(layout.pageCount(), 2);
    }

    void overlongLineBreaksAfterTheLastCharacterThatFits()
    {
        const QFontMetricsF m = metrics();
        const qreal cell = m.horizontalAdvance(u'x');
        TextPageLayout layout(m, QSizeF(10.5 * cell, 6000));
        layout.writeLine(QStringLiteral("0123456789abcdefghijklmno"));
        layout.writeLine(QStringLiteral("next"));
        QCOMPARE(layout.pieces(),
            (QList<PlacedText> {{0, QPointF(0, 0), QStringLiteral("0123456789")},
                {0, QPointF(0, m.height()), QStringLiteral("abcdefghij")},
                {0, QPointF(0, 2 * m.height()), QStringLiteral("klmno")},
                {0, QPointF(0, 3 * m.height()), QStringLiteral("next")}}));
    }

    void wrappedContinuationAlsoBreaksPages()
    {
        const QFontMetricsF m = metrics();
        const qreal cell = m.horizontalAdvance(u'x');
        TextPageLayout layout(m, QSizeF(4 * cell, 2 * m.height()));
        layout.writeLine(QStringLiteral("aaaabbbbcc"));
        QCOMPARE(layout.pieces().last(), (PlacedText {1, QPointF(0, 0), QStringLiteral("cc")}));
    }

    void tabAdvancesToTheNextMultipleOfEightAverageWidths()
    {
        const QFontMetricsF m = metrics();
        const qreal tab = 8 * m.averageCharWidth();
        TextPageLayout layout(m, QSizeF(100 * tab, 6000));
        layout.writeLine(QStringLiteral("ab\tc\t\td"));
        QCOMPARE(layout.tabWidth(), tab);
        QCOMPARE(layout.pieces(),
            (QList<PlacedText> {{0, QPointF(0, 0), QStringLiteral("ab")},
                {0, QPointF(tab, 0), QStringLiteral("c")},
                {0, QPointF(3 * tab, 0), QStringLiteral("d")}}));
    }

    void tabBeyondThePageEdgeContinuesOnTheNextLine()
    {
        const QFontMetricsF m = metrics();
        const qreal tab = 8 * m.averageCharWidth();
        TextPageLayout layout(m, QSizeF(1.5 * tab, 6000));
        layout.writeLine(QStringLiteral("abcdefghij\tk"));
        const QList<PlacedText> pieces = layout.pieces();
        QCOMPARE(pieces.last(), (PlacedText {0, QPointF(0, m.height()), QStringLiteral("k")}));
    }
};

ZANTO_GUI_TEST_MAIN(TextPageLayoutTest)
#include "tst_textpagelayout.moc"

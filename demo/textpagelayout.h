// Places text lines on printer pages the way a printer's text output device
// does: from the top-left corner of the printable area, one line advance per
// line, a new page when the next line would not fit, over-long lines broken
// after the last character that fits, tabs at every eighth average character
// width.
#pragma once

#include <QFontMetricsF>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

namespace Zanto {

// One piece of text to draw: its page (from 0) and the top-left corner of its
// first character, in device pixels from the printable area's corner.
struct PlacedText
{
    int page = 0;
    QPointF topLeft;
    QString text;

    friend bool operator==(const PlacedText &, const PlacedText &) = default;
};

class TextPageLayout
{
public:
    TextPageLayout(const QFontMetricsF &metrics, const QSizeF &pageSize);

    // Lays out one line of text; an empty line only advances.
    void writeLine(const QString &line);

    const QList<PlacedText> &pieces() const { return m_pieces; }
    // Pages begun so far; at least one.
    int pageCount() const { return m_page + 1; }
    qreal lineHeight() const { return m_lineHeight; }
    qreal tabWidth() const { return m_tabWidth; }

private:
    // Moves to the next output line, starting a page when it would not fit.
    void startOutputLine();
    void flushPiece();

    QFontMetricsF m_metrics;
    QSizeF m_pageSize;
    qreal m_lineHeight;
    qreal m_tabWidth;

    QList<PlacedText> m_pieces;
    int m_page = 0;
    qreal m_nextTop = 0; // where the next output line goes
    qreal m_lineTop = 0; // the current output line
    qreal m_x = 0;
    QString m_piece;
    qreal m_pieceLeft = 0;
};

} // namespace Zanto

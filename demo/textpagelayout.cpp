#include "textpagelayout.h"

#include <cmath>

namespace Zanto {

TextPageLayout::TextPageLayout(const QFontMetricsF &metrics, const QSizeF &pageSize)
    : m_metrics(metrics)
    , m_pageSize(pageSize)
    , m_lineHeight(metrics.height())
    , m_tabWidth(8 * metrics.averageCharWidth())
{ }

void TextPageLayout::startOutputLine()
{
    // A line that does not fit below the previous one starts a new page; a
    // line taller than the whole page still gets a page of its own.
    if (m_nextTop > 0 && m_nextTop + m_lineHeight > m_pageSize.height()) {
        ++m_page;
        m_nextTop = 0;
    }
    m_lineTop = m_nextTop;
    m_nextTop += m_lineHeight;
    m_x = 0;
    m_pieceLeft = 0;
}

void TextPageLayout::flushPiece()
{
    if (!m_piece.isEmpty())
        m_pieces.append({m_page, QPointF(m_pieceLeft, m_lineTop), m_piece});
    m_piece.clear();
    m_pieceLeft = m_x;
}

void TextPageLayout::writeLine(const QString &line)
{
    startOutputLine();
    for (const QChar c : line) {
        if (c == u'\t') {
            flushPiece();
            const qreal stop = (std::floor(m_x / m_tabWidth) + 1) * m_tabWidth;
            if (stop > m_pageSize.width()) {
                startOutputLine();
            } else {
                m_x = stop;
                m_pieceLeft = stop;
            }
            continue;
        }
        const qreal advance = m_metrics.horizontalAdvance(c);
        // Break after the last character that fits; a line holds at least
        // one character, however narrow the page.
        if (m_x > 0 && m_x + advance > m_pageSize.width()) {
            flushPiece();
            startOutputLine();
        }
        m_piece += c;
        m_x += advance;
    }
    flushPiece();
}

} // namespace Zanto

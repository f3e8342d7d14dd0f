// Reading a settings file held in memory: a position that never passes the
// end of the content, however the content is made.
#pragma once

#include <QByteArrayView>

#include <algorithm>

namespace Zanto {

class ByteCursor
{
public:
    ByteCursor(QByteArrayView content, qsizetype position)
        : m_content(content), m_position(std::min(position, content.size()))
    { }

    bool atEnd() const { return m_position >= m_content.size(); }
    // The next byte; only when !atEnd().
    unsigned char takeByte() { return static_cast<unsigned char>(m_content[m_position++]); }
    // The next count bytes, or fewer when the content ends first.
    QByteArrayView take(qsizetype count)
    {
        const qsizetype available = std::min(count, m_content.size() - m_position);
        const QByteArrayView bytes = m_content.sliced(m_position, available);
        m_position += available;
        return bytes;
    }

private:
    QByteArrayView m_content;
    qsizetype m_position;
};

} // namespace Zanto

// Reading a settings file held in memory: a position that never passes the
// end of the content, however the content is made.
#pragma once

#include <QByteArrayView>
#include <QString>

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

    // Why the content is not whole when a field found it ended: "the file
    // ends at byte 812 inside " + where.
    QString endsInside(const QString &where) const
    {
        return QStringLiteral("the file ends at byte %1 inside %2")
            .arg(m_content.size())
            .arg(where);
    }

private:
    QByteArrayView m_content;
    qsizetype m_position;
};

// Why content that lacks magic is not a settings file of its kind.
inline QString missingMagic(QByteArrayView magic)
{
    return QStringLiteral("does not begin with \"%1\"").arg(QString::fromLatin1(magic));
}

// Hands problem to the caller who asked for it.
inline void tell(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
}

} // namespace Zanto

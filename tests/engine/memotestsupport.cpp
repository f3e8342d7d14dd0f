#include "memotestsupport.h"

#include <cstring>
#include <sstream>

namespace ZantoTest {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result += static_cast<char>(v);
    return result;
}

std::string describe(const std::vector<SinkEvent> &events)
{
    std::ostringstream out;
    for (const SinkEvent &event : events) {
        switch (event.kind) {
        case SinkEvent::Line:
            out << "line \"";
            for (char c : event.bytes) {
                const auto b = static_cast<unsigned char>(c);
                if (b >= 32 && b < 127 && b != '\\')
                    out << c;
                else
                    out << '\\' << int(b) << ';';
            }
            out << "\"\n";
            break;
        case SinkEvent::NewPage:
            out << "new page\n";
            break;
        case SinkEvent::JobEnd:
            out << "job end\n";
            break;
        }
    }
    return out.str();
}

MemoryText::MemoryText(QByteArray text, std::vector<qsizetype> pieceSizes)
    : m_text(std::move(text)), m_pieceSizes(std::move(pieceSizes))
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype cut = m_text.indexOf("\r\n", start);
        if (cut < 0)
            break;
        m_lines << m_text.mid(start, cut - start);
        start = cut + 2;
    }
    if (start < m_text.size())
        m_lines << m_text.mid(start);
}

QByteArrayView MemoryText::readText()
{
    const qsizetype piece = m_pieceSizes[m_nextPiece++ % m_pieceSizes.size()];
    const qsizetype count = std::min(piece, m_text.size() - m_read);
    const QByteArrayView view(m_text.constData() + m_read, count);
    m_read += count;
    return view;
}

QByteArrayView MemoryText::linePiece(qint32 index, bool &lineEnds)
{
    if (index != m_pieceLine) {
        m_pieceLine = index;
        m_lineRead = 0;
    }
    const QByteArray &whole = m_lines.at(index);
    const qsizetype piece = m_pieceSizes[m_nextPiece++ % m_pieceSizes.size()];
    const qsizetype count = std::min(piece, whole.size() - m_lineRead);
    const QByteArrayView view(whole.constData() + m_lineRead, count);
    m_lineRead += count;
    lineEnds = m_lineRead == whole.size();
    return view;
}

bool MemoryText::hasLine(qint32 index)
{
    return index >= 0 && index < m_lines.size();
}

QByteArrayView MemoryText::line(qint32 index)
{
    return m_lines.at(index);
}

QByteArray PrintOutcome::bytes() const
{
    QByteArray all;
    for (const SinkEvent &event : events)
        all += event.bytes;
    return all;
}

QByteArrayList PrintOutcome::lines() const
{
    QByteArrayList all;
    for (const SinkEvent &event : events) {
        if (event.kind == SinkEvent::Line)
            all << event.bytes;
    }
    return all;
}

PrintOutcome printText(Zanto::TZantoquiller &component, const QByteArray &text, qint32 fromIndex,
    qint32 toIndex, bool spooler, std::vector<qsizetype> pieceSizes)
{
    MemoryText source(text, std::move(pieceSizes));
    MemorySink sink(spooler);
    PrintOutcome outcome;
    try {
        Zanto::MemoPrinter(component).print(source, fromIndex, toIndex, sink, [&sink] {
            sink.events.push_back({SinkEvent::JobEnd, {}});
        });
    } catch (const Zanto::eZantoquillError &error) {
        outcome.error = error.Message();
    }
    outcome.events = sink.events;
    return outcome;
}

} // namespace ZantoTest

// What the memo printer tests share: an in-memory text that hands out its
// whole text in pieces of chosen sizes, a sink that records what a print
// sends, and a way to run one print on them.
#pragma once

#include "memoprinter.h"

#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <limits>
#include <optional>
#include <vector>

namespace ZantoTest {

// One thing a print did: sent a line, started a new spooler page, or ended
// its job.
struct SinkEvent
{
    enum Kind { Line, NewPage, JobEnd };
    Kind kind;
    QByteArray bytes;

    friend bool operator==(const SinkEvent &, const SinkEvent &) = default;
};

std::string describe(const std::vector<SinkEvent> &events);

class MemorySink : public Zanto::LineSink
{
public:
    explicit MemorySink(bool spooler = false) : m_spooler(spooler) { }
    bool spoolerMode() const override { return m_spooler; }
    void sendLine(const Zanto::TTextBuffer &line) override
    {
        events.push_back({SinkEvent::Line, QByteArray(line.Data, line.Count)});
    }
    void newPage() override { events.push_back({SinkEvent::NewPage, {}}); }

    std::vector<SinkEvent> events;

private:
    bool m_spooler;
};

// A memo text held in memory. readText and linePiece hand it out in pieces
// whose sizes follow pieceSizes, round and round; the line list is the text
// cut at each CR LF, a last piece that is empty not being a line.
class MemoryText : public Zanto::TextSource
{
public:
    explicit MemoryText(QByteArray text, std::vector<qsizetype> pieceSizes = {1 << 20});

    QByteArrayView readText() override;
    bool hasLine(qint32 index) override;
    QByteArrayView line(qint32 index) override;
    QByteArrayView linePiece(qint32 index, bool &lineEnds) override;
    void progress(qint64 linesSent, qint64 pagesEnded) override
    {
        lastProgress = {linesSent, pagesEnded};
    }

    std::pair<qint64, qint64> lastProgress {0, 0};

private:
    QByteArray m_text;
    QByteArrayList m_lines;
    std::vector<qsizetype> m_pieceSizes;
    std::size_t m_nextPiece = 0;
    qsizetype m_read = 0;
    qint32 m_pieceLine = -1;
    qsizetype m_lineRead = 0;
};

struct PrintOutcome
{
    std::vector<SinkEvent> events; // the job end included
    std::optional<QString> error; // message of an eZantoquillError

    // The bytes of all lines, in order.
    QByteArray bytes() const;
    // The lines alone.
    QByteArrayList lines() const;
};

constexpr qint32 WholeText = -1;
constexpr qint32 MaxIndex = std::numeric_limits<qint32>::max();

// Runs one print of text with the component's settings on a MemorySink.
PrintOutcome printText(Zanto::TZantoquiller &component, const QByteArray &text,
    qint32 fromIndex = WholeText, qint32 toIndex = MaxIndex, bool spooler = false,
    std::vector<qsizetype> pieceSizes = {1 << 20});

QByteArray bytes(std::initializer_list<int> values);

} // namespace ZantoTest

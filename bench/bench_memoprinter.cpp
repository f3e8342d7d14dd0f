// The memo printer alone: an English-like text laid out into printer lines
// on an in-memory sink, with no device behind it.
#include "englishtext.h"
#include "memoprinter.h"

#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <limits>
#include <vector>

using namespace Zanto;

namespace {

// The text in memory, handed out in pieces of 64 KiB.
class InMemoryText : public TextSource
{
public:
    explicit InMemoryText(const QByteArray &text) : m_text(text) { }
    QByteArrayView readText() override
    {
        const qsizetype count = std::min<qsizetype>(64 * 1024, m_text.size() - m_read);
        const QByteArrayView piece(m_text.constData() + m_read, count);
        m_read += count;
        return piece;
    }
    bool hasLine(qint32) override { return false; }
    QByteArrayView line(qint32) override { return {}; }

private:
    const QByteArray &m_text;
    qsizetype m_read = 0;
};

// Keeps every line's bytes, as a device's buffer would, in a reused area.
class InMemorySink : public LineSink
{
public:
    InMemorySink() : m_area(1 << 20) { }
    bool spoolerMode() const override { return false; }
    void sendLine(const TTextBuffer &line) override
    {
        if (m_used + line.Count > m_area.size())
            m_used = 0;
        std::memcpy(m_area.data() + m_used, line.Data, line.Count);
        m_used += line.Count;
        bytes += line.Count;
        ++lines;
    }
    void newPage() override { }

    qint64 bytes = 0;
    qint64 lines = 0;

private:
    std::vector<char> m_area;
    std::size_t m_used = 0;
};

void formatter(benchmark::State &state)
{
    const QByteArray text = ZantoBench::englishText(8 << 20);
    TZantoquiller component;
    component.SetPrinterType(ptEpson);
    component.SetLineWidth(80);
    component.SetLinesPerPage(66);
    component.SetOffset(5);
    component.SetTransIn({"~", "^", "!", "|"});
    component.SetTransOut({"\x1BG", "\x1BH", "\x1B-1", "\x1B-0"});
    qint64 lines = 0;
    qint64 sent = 0;
    for (auto _ : state) {
        InMemoryText source(text);
        InMemorySink sink;
        MemoPrinter(component).print(source, -1, std::numeric_limits<qint32>::max(), sink, [] {});
        lines = sink.lines;
        sent = sink.bytes;
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["output_MB"] = static_cast<double>(sent) / 1e6;
}
BENCHMARK(formatter)->Unit(benchmark::kMillisecond);

// The yardstick: copying text, more of it than the caches hold.
void copyText(benchmark::State &state)
{
    const QByteArray text = ZantoBench::englishText(64 << 20);
    std::vector<char> target(static_cast<std::size_t>(text.size()));
    for (auto _ : state) {
        std::memcpy(target.data(), text.constData(), target.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(copyText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

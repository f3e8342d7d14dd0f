// The whole `zanto print` command, run as users run it:
//  - directToFile: a 20 MB text printed with --port FILE, against the bare
//    floor of its one-open-per-line rule, a plain loop that opens, appends,
//    writes and closes the file once per output line (the same lines);
//  - peakMemory: the command's peak resident memory for a 1 MB and a 200 MB
//    input, which it streams.
#include "englishtext.h"
#include "memoprinter.h"

#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/zantoquiller.h>

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace Zanto;

namespace {

using Clock = std::chrono::steady_clock;

// The settings of every run here, as options and as properties.
const QStringList printOptions {QStringLiteral("--printer-type"), QStringLiteral("epson"),
    QStringLiteral("--line-width"), QStringLiteral("80"), QStringLiteral("--lines-per-page"),
    QStringLiteral("66"), QStringLiteral("--left-offset"), QStringLiteral("5")};

void configure(TZantoquiller &component)
{
    component.SetPrinterType(ptEpson);
    component.SetLineWidth(80);
    component.SetLinesPerPage(66);
    component.SetOffset(5);
}

QString zantoProgram()
{
    char path[4096];
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    if (size <= 0)
        throw std::runtime_error("cannot find the running program");
    path[size] = '\0';
    return QFileInfo(QString::fromLocal8Bit(path)).absolutePath() + QStringLiteral("/zanto");
}

struct RunResult
{
    double seconds;
    long peakKilobytes;
};

// Runs zanto with arguments, waits for it; its time and peak memory.
RunResult runZanto(const QStringList &arguments)
{
    std::vector<QByteArray> storage {zantoProgram().toLocal8Bit()};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start zanto");
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("zanto print failed");
    return {std::chrono::duration<double>(Clock::now() - start).count(), usage.ru_maxrss};
}

// The lines a print of text sends, by the memo printer itself.
class LineCollector : public LineSink
{
public:
    bool spoolerMode() const override { return false; }
    void sendLine(const TTextBuffer &line) override { lines << QByteArray(line.Data, line.Count); }
    void newPage() override { }
    QByteArrayList lines;
};

// The floor: one open, append, write and close per line.
double perLineFloor(const QByteArrayList &lines, const QByteArray &path)
{
    const Clock::time_point start = Clock::now();
    bool first = true;
    for (const QByteArray &line : lines) {
        const int flags = first ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY | O_APPEND;
        first = false;
        const int fd = open(path.constData(), flags, 0644);
        if (fd < 0 || write(fd, line.constData(), static_cast<size_t>(line.size())) != line.size())
            throw std::runtime_error("floor loop cannot write");
        close(fd);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void directToFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray text = ZantoBench::englishText(20 << 20);
    const QString input = dir.filePath(QStringLiteral("text.txt"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        throw std::runtime_error("cannot write the text");
    file.close();

    // The lines zanto sends: its input read as lines, laid out in memory.
    TZantoquiller component;
    configure(component);
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    StreamTextSource lines(buffer, StreamTextSource::Breaks::Lines);
    LineCollector collector;
    MemoPrinter(component).print(lines, -1, std::numeric_limits<qint32>::max(), collector, [] {});
    const QString floorOutput = dir.filePath(QStringLiteral("floor.prn"));
    const QString zantoOutput = dir.filePath(QStringLiteral("zanto.prn"));

    double floorSeconds = 0;
    double zantoSeconds = 0;
    for (auto _ : state) {
        const double floor = perLineFloor(collector.lines, QFile::encodeName(floorOutput));
        const RunResult zanto
            = runZanto(QStringList {QStringLiteral("print"), QStringLiteral("--port"),
                           QStringLiteral("FILE"), QStringLiteral("-o"), zantoOutput}
                + printOptions + QStringList {input});
        floorSeconds += floor;
        zantoSeconds += zanto.seconds;
        state.SetIterationTime(zanto.seconds);
    }
    QFile a(floorOutput);
    QFile b(zantoOutput);
    a.open(QIODevice::ReadOnly);
    b.open(QIODevice::ReadOnly);
    if (a.readAll() != b.readAll())
        state.SkipWithError("zanto's file differs from the lines of the floor loop");
    state.counters["lines"] = static_cast<double>(collector.lines.size());
    state.counters["floor_s"] = floorSeconds / static_cast<double>(state.iterations());
    state.counters["zanto_s"] = zantoSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = zantoSeconds / floorSeconds;
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(directToFile)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void peakMemory(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto writeText = [&dir](const QString &name, qsizetype size) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the text");
        // Several different megabytes, repeated.
        const QByteArray block = ZantoBench::englishText(8 << 20, 7);
        for (qsizetype written = 0; written < size; written += block.size())
            file.write(block.left(size - written));
        return path;
    };
    const QString small = writeText(QStringLiteral("small.txt"), 1 << 20);
    const QString large = writeText(QStringLiteral("large.txt"), 200 << 20);
    const QStringList toNowhere {QStringLiteral("print"), QStringLiteral("--port"),
        QStringLiteral("FILE"), QStringLiteral("-o"), QStringLiteral("/dev/null")};
    long smallPeak = 0;
    long largePeak = 0;
    for (auto _ : state) {
        const RunResult smallRun = runZanto(toNowhere + printOptions + QStringList {small});
        const RunResult largeRun = runZanto(toNowhere + printOptions + QStringList {large});
        smallPeak = smallRun.peakKilobytes;
        largePeak = largeRun.peakKilobytes;
        state.SetIterationTime(largeRun.seconds);
    }
    state.counters["peak_1MB_KiB"] = static_cast<double>(smallPeak);
    state.counters["peak_200MB_KiB"] = static_cast<double>(largePeak);
    state.counters["growth_KiB"] = static_cast<double>(largePeak - smallPeak);
}
BENCHMARK(peakMemory)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// The cost of one direct line: open, write and close of the device for every
// PrintString call, as a memo print in direct mode does for each line.
#include <zantoquiller/zantoquiller.h>

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

const QByteArray Line = QByteArray(78, 'x') + "\r\n";

void printLines(benchmark::State &state, Zanto::TZantoquiller &component)
{
    for (auto _ : state)
        component.PrintString(Line);
    state.SetBytesProcessed(state.iterations() * Line.size());
}

void BM_PrintStringToDiskFile(benchmark::State &state)
{
    QTemporaryDir dir;
    Zanto::TZantoquiller component;
    component.SetPort(Zanto::poDisk);
    component.SetOutputFile(dir.filePath(QStringLiteral("out.prn")));
    printLines(state, component);
}
BENCHMARK(BM_PrintStringToDiskFile);

void BM_PrintStringToCharacterDevice(benchmark::State &state)
{
    Zanto::TZantoquiller component;
    component.SetPort(Zanto::poDisk);
    component.SetOutputFile(QStringLiteral("/dev/null"));
    printLines(state, component);
}
BENCHMARK(BM_PrintStringToCharacterDevice);

} // namespace

BENCHMARK_MAIN();

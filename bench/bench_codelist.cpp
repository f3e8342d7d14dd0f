// Code list conversions, as the dialogs run them for every field.
#include <zantoquiller/codelist.h>

#include <benchmark/benchmark.h>

static void textToBytes(benchmark::State &state)
{
    const QString list = QStringLiteral("27, 40, 115, 43, 49, 117, 54, 86, $1B, 0x1b, 255, 0");
    for (auto _ : state)
        benchmark::DoNotOptimize(Zanto::ASCIIListToStr(list));
}
BENCHMARK(textToBytes);

static void bytesToText(benchmark::State &state)
{
    QByteArray bytes;
    for (int i = 0; i < 20; ++i)
        bytes += static_cast<char>(i * 13);
    for (auto _ : state)
        benchmark::DoNotOptimize(Zanto::StrToASCIIList(bytes));
}
BENCHMARK(bytesToText);

BENCHMARK_MAIN();

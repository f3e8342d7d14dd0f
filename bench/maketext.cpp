// Writes the benchmarks' English-like text of the given size to standard
// output, so that other programs can be measured on the same text.
#include "englishtext.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: bench_maketext BYTES\n", stderr);
        return 2;
    }
    const QByteArray text = ZantoBench::englishText(std::atoll(argv[1]));
    return std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout)
            == static_cast<size_t>(text.size())
        ? 0
        : 1;
}

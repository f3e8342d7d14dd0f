// libFuzzer target: checkCodeList on every input.
#include "fuzzchecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string failure = ZantoFuzz::checkCodeList(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "checkCodeList: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}

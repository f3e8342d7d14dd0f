// libFuzzer target: checkTranslationTableFile on every input.
#include "fuzzchecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string failure = ZantoFuzz::checkTranslationTableFile(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "checkTranslationTableFile: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}

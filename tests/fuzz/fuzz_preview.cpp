// libFuzzer target: checkPreview on every input.
#include "previewchecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string failure = ZantoFuzz::checkPreview(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "checkPreview: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}

#include "charactertables.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace Zanto::Preview {

namespace {

std::unique_ptr<CharacterTable> readTable(const char *encoding)
{
    const iconv_t converter = iconv_open("UTF-16LE", encoding);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    auto table = std::make_unique<CharacterTable>();
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        char out[8] {};
        char *inPointer = &in;
        char *outPointer = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        const std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
        // One character of the basic plane, or none.
        if (result != static_cast<std::size_t>(-1) && sizeof out - outLeft == 2)
            (*table)[static_cast<std::size_t>(byte)] = static_cast<char16_t>(
                static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
    }
    iconv_close(converter);
    return table;
}

} // namespace

const CharacterTable *characterTable(const char *encoding)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<CharacterTable>> tables;
    const std::lock_guard lock(mutex);
    const auto [at, added] = tables.try_emplace(encoding);
    if (added)
        at->second = readTable(encoding);
    return at->second.get();
}

const char *internationalSet(int number)
{
    // Epson's and Star's numbering of ESC R n.
    static constexpr std::array<const char *, 13> sets {nullptr, "ISO646-FR", "ISO646-DE",
        "ISO646-GB", "ISO646-DK", "ISO646-SE", "ISO646-IT", "ISO646-ES", "ISO646-JP", "ISO646-NO",
        "ISO646-DK", "ISO646-ES2", nullptr};
    if (number < 0 || number >= int(sets.size()))
        return nullptr;
    return sets[static_cast<std::size_t>(number)];
}

} // namespace Zanto::Preview

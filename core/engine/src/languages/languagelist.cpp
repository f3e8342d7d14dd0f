#include "languagetables.h"

#include <array>

namespace Zanto::Languages {

std::span<const LanguageModel *const> models()
{
    static const std::array<const LanguageModel *, 10> list {&escp9Pin, &escp24Pin, &proprinter,
        &pcl5, &diablo630, &escPos, &escPos180, &starLine, &plainText, &plainNewline};
    return list;
}

} // namespace Zanto::Languages

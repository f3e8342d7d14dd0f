#include "landscape.h"

#include <cstring>
#include <deque>
#include <mutex>

namespace Zanto::Preview {

const Paper *landscapeOf(const Paper &portrait)
{
    if (portrait.continuous || portrait.roll)
        return nullptr;
    static std::mutex mutex;
    // A deque: the sheets made stay where they are.
    static std::deque<Paper> turned;
    const std::lock_guard lock(mutex);
    for (const Paper &paper : turned) {
        if (std::strcmp(paper.name, portrait.name) == 0)
            return &paper;
    }
    Paper paper = portrait;
    paper.width = portrait.height;
    paper.height = portrait.width;
    paper.printableWidth = portrait.height - 2 * portrait.left;
    paper.printableLength = portrait.width - 2 * portrait.top;
    turned.push_back(paper);
    return &turned.back();
}

} // namespace Zanto::Preview

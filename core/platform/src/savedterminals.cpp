#include "savedterminals.h"

#include <array>
#include <atomic>

namespace Zanto::Platform {

namespace {

enum State : int { Free, Filling, Ready };

struct Entry
{
    std::atomic<int> state {Free};
    int fd = -1;
    termios saved {};
};

static_assert(std::atomic<int>::is_always_lock_free);

// A print switches one terminal at a time; the room is for programs that
// hold a few.
std::array<Entry, 16> entries;

} // namespace

int rememberTerminal(int fd, const termios &saved) noexcept
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        int expected = Free;
        if (!entries[i].state.compare_exchange_strong(expected, Filling))
            continue;
        entries[i].fd = fd;
        entries[i].saved = saved;
        entries[i].state.store(Ready, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void forgetTerminal(int entry) noexcept
{
    if (entry >= 0 && static_cast<std::size_t>(entry) < entries.size())
        entries[static_cast<std::size_t>(entry)].state.store(Free, std::memory_order_release);
}

void restoreRememberedTerminals() noexcept
{
    for (Entry &entry : entries) {
        if (entry.state.load(std::memory_order_acquire) == Ready)
            ::tcsetattr(entry.fd, TCSANOW, &entry.saved);
    }
}

} // namespace Zanto::Platform

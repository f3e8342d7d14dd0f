#include "watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace ZantoTest {

Watchdog::Watchdog(std::chrono::milliseconds limit, std::string what)
{
    m_thread = std::thread([this, limit, what = std::move(what)] {
        std::unique_lock lock(m_mutex);
        if (m_done.wait_for(lock, limit, [this] { return m_cancelled; }))
            return;
        std::fprintf(stderr, "FAILED: %s did not finish within %lld ms\n", what.c_str(),
            static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(1);
    });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace ZantoTest

#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/interruption.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace Zanto::Platform {

namespace {

// Lock-free, so that a signal handler may store into it.
std::atomic<int> recordedSignal {0};
static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

int interruptSignal() noexcept
{
    return recordedSignal.load(std::memory_order_relaxed);
}

void requestInterrupt(int sig) noexcept
{
    int none = 0;
    recordedSignal.compare_exchange_strong(none, sig, std::memory_order_relaxed);
}

void clearInterrupt() noexcept
{
    recordedSignal.store(0, std::memory_order_relaxed);
}

void throwIfInterrupted(const std::string &name)
{
    if (const int sig = interruptSignal())
        throw DeviceError(
            name + ": interrupted by signal " + std::to_string(sig), ErrorKind::Interrupted, EINTR);
}

} // namespace Zanto::Platform

#include "heldsignal.h"

#include <pthread.h>

#include <ctime>

namespace Zanto::Platform {

HeldSignal::HeldSignal(int signal) : m_signal(signal)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, m_signal);
    pthread_sigmask(SIG_BLOCK, &set, &m_oldMask);
    m_wasPending = pending();
}

HeldSignal::~HeldSignal()
{
    // A signal that was pending before belongs to someone else; leave it.
    if (!m_wasPending && pending()) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, m_signal);
        const timespec noWait {0, 0};
        sigtimedwait(&set, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &m_oldMask, nullptr);
}

bool HeldSignal::pending() const
{
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, m_signal) == 1;
}

} // namespace Zanto::Platform

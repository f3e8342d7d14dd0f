#include "pipesignalguard.h"

#include <pthread.h>

#include <ctime>

namespace Zanto::Platform {

namespace {

sigset_t pipeSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool pipePending()
{
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

} // namespace

PipeSignalGuard::PipeSignalGuard()
{
    const sigset_t set = pipeSet();
    pthread_sigmask(SIG_BLOCK, &set, &m_oldMask);
    m_wasPending = pipePending();
}

PipeSignalGuard::~PipeSignalGuard()
{
    // A SIGPIPE that was pending before belongs to someone else; leave it.
    if (!m_wasPending && pipePending()) {
        const sigset_t set = pipeSet();
        const timespec noWait {0, 0};
        sigtimedwait(&set, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &m_oldMask, nullptr);
}

} // namespace Zanto::Platform

// Holds SIGPIPE off for one step, so that a vanished reader makes a write fail
// with EPIPE instead of ending the process.
#pragma once

#include <csignal>

namespace Zanto::Platform {

class PipeSignalGuard
{
public:
    PipeSignalGuard();
    // Discards a SIGPIPE that the step raised and sets the old mask back.
    ~PipeSignalGuard();

    PipeSignalGuard(const PipeSignalGuard &) = delete;
    PipeSignalGuard &operator=(const PipeSignalGuard &) = delete;

private:
    sigset_t m_oldMask;
    bool m_wasPending = false;
};

} // namespace Zanto::Platform

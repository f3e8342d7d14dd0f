// Holds a signal that a failing system call raises off for one step, so that
// the call fails with its error number instead of the signal ending the
// process: SIGPIPE (EPIPE) for a vanished reader, SIGXFSZ (EFBIG) for a
// file-size limit.
#pragma once

#include <csignal>

namespace Zanto::Platform {

class HeldSignal
{
public:
    explicit HeldSignal(int signal);
    // Discards the signal if the step raised it and sets the old mask back.
    ~HeldSignal();

    HeldSignal(const HeldSignal &) = delete;
    HeldSignal &operator=(const HeldSignal &) = delete;

private:
    bool pending() const;

    int m_signal;
    sigset_t m_oldMask;
    bool m_wasPending = false;
};

} // namespace Zanto::Platform

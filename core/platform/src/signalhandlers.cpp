#include "savedterminals.h"

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/signalhandlers.h>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

constexpr int InterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onInterruptSignal(int sig)
{
    if (interruptSignal() != 0) {
        // Asked twice: the user does not wait for the print to wind up.
        restoreRememberedTerminals();
        ::_exit(128 + sig);
    }
    const int savedErrno = errno;
    requestInterrupt(sig);
    errno = savedErrno;
}

} // namespace

void installInterruptHandlers()
{
    struct sigaction action
    {
    };
    action.sa_handler = onInterruptSignal;
    action.sa_flags = 0; // no SA_RESTART: waits return EINTR and look
    sigemptyset(&action.sa_mask);
    for (int sig : InterruptSignals)
        sigaddset(&action.sa_mask, sig);
    for (int sig : InterruptSignals) {
        struct sigaction previous
        {
        };
        if (::sigaction(sig, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(sig, &action, nullptr);
    }
}

} // namespace Zanto::Platform

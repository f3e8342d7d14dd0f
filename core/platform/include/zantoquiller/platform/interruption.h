// A print that a signal asked to stop. The program's signal handler records
// the signal; the waits of the output device and the print job look at it
// when a system call returns EINTR, and stop instead of waiting on.
#pragma once

#include <string>

namespace Zanto::Platform {

// The signal that asked the running print to stop, or 0.
int interruptSignal() noexcept;
// Records sig; the first signal wins. Safe to call from a signal handler.
void requestInterrupt(int sig) noexcept;
// Forgets a recorded signal, for a program that goes on printing afterwards.
void clearInterrupt() noexcept;
// Raises DeviceError "NAME: interrupted by signal N" when a signal was
// recorded; call it where a wait returned EINTR.
void throwIfInterrupted(const std::string &name);

} // namespace Zanto::Platform

// The settings of the terminals being written to, saved before they were
// switched, in a fixed table that a signal handler may read: a program
// ended by a signal sets its terminals back from the handler.
#pragma once

#include <termios.h>

namespace Zanto::Platform {

// Records fd's saved settings; returns the entry to forget, or -1 when the
// table is full (the terminal is then set back only by its owner).
int rememberTerminal(int fd, const termios &saved) noexcept;
void forgetTerminal(int entry) noexcept;
// Sets every recorded terminal back. Async-signal-safe.
void restoreRememberedTerminals() noexcept;

} // namespace Zanto::Platform

// The exit statuses of zanto, as its help and manual page state them. A
// command stopped by a signal ends with 128 + the signal's number.
#pragma once

namespace Zanto::Cli {

enum ExitCode : int {
    ExitSuccess = 0,
    // The command failed: a file could not be read, the printer reported an
    // error, a setting was refused.
    ExitFailure = 1,
    // The command line was wrong; nothing was done.
    ExitUsage = 2,
    // The printer, its device or the print server could not be reached.
    ExitUnreachable = 3,
    // A spooler job that was waited for ended without completing (stopped,
    // cancelled or aborted).
    ExitJobNotCompleted = 4,
};

} // namespace Zanto::Cli

#include "exitstatus.h"

#include <zantoquiller/exceptions.h>

namespace Zanto::Cli {

ExitCode exitCodeFor(ErrorKind kind)
{
    // Every kind is listed, so that a new one is given its status here.
    switch (kind) {
    case ErrorKind::Unreachable:
        return ExitUnreachable;
    case ErrorKind::Usage:
        return ExitUsage;
    case ErrorKind::Other:
    case ErrorKind::NotFound:
    case ErrorKind::Permission:
    case ErrorKind::TimedOut:
    case ErrorKind::NoSpace:
    case ErrorKind::Protocol:
    case ErrorKind::Format:
    case ErrorKind::Interrupted:
    case ErrorKind::Busy:
    case ErrorKind::ConnectionLost:
        break;
    }
    return ExitFailure;
}

ExitCode exitCodeFor(const Exception &error)
{
    return exitCodeFor(error.kind());
}

} // namespace Zanto::Cli

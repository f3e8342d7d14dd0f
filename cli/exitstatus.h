// zanto's exit status for a failure, told by its kind alone: the same in
// every language, whatever the message says.
#pragma once

#include "exitcodes.h"

#include <zantoquiller/errorkind.h>

namespace Zanto {
class Exception;
}

namespace Zanto::Cli {

// A printer, device or print server that cannot be reached ends with
// ExitUnreachable, a mistake of the caller with ExitUsage, any other
// failure with ExitFailure.
ExitCode exitCodeFor(ErrorKind kind);
ExitCode exitCodeFor(const Exception &error);

} // namespace Zanto::Cli

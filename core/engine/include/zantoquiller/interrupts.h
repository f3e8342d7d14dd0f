/// \file
/// Stopping a print from a signal. A program that wants SIGINT, SIGTERM and
/// SIGHUP to end a print cleanly installs the handlers: the running print's
/// waits then stop, the terminal settings of the device are restored and an
/// open spooler job is cancelled. A second signal ends the program at once,
/// after setting the terminals back.
#pragma once

#include <zantoquiller/core_export.h>

namespace Zanto {

/// Installs handlers of SIGINT, SIGTERM and SIGHUP that stop the running
/// print cleanly, as described for interrupts.h.
ZANTOQUILLER_CORE_EXPORT void installInterruptHandlers();
/// The signal that asked the running print to stop, or 0.
ZANTOQUILLER_CORE_EXPORT int interruptSignal();

} // namespace Zanto

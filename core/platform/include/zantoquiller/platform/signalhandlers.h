// Interrupt signals for a program that prints. SIGINT, SIGTERM and SIGHUP
// ask the running print to stop (see interruption.h): its waits return, the
// terminal it writes to is set back and an open spooler job is cancelled on
// the way out. A second signal ends the program at once, with status 128 +
// the signal's number, after setting back every terminal still switched.
#pragma once

namespace Zanto::Platform {

// Installs the handlers, without SA_RESTART so that a blocking wait returns
// EINTR. A signal the program was started with ignored stays ignored (nohup,
// background jobs).
void installInterruptHandlers();

} // namespace Zanto::Platform

// The printer application's PAPPL system, made from the options of
// `zanto-printer-app server` (each given as -o NAME=VALUE):
//   state-dir=DIR        printers, jobs and the spool folder (DIR/spool);
//                        default $XDG_STATE_HOME/zanto-printer-app
//                        (~/.local/state/...), /var/lib/zanto-printer-app for root
//   server-port=N        the IPP and web port (default 8632; 0: PAPPL picks one)
//   listen-hostname=NAME where it listens: localhost (the default, loopback
//                        only), a host name or address, or * for every address
//   log-file=FILE        the log; - (the default) is standard error
//   log-level=LEVEL      debug, info, warn (the default), error or fatal
#pragma once

#include <pappl/pappl.h>

#include <QString>

namespace ZantoApp {

/// The folder of the state when the options name none.
QString defaultStateFolder();

/// PAPPL's system callback: the system the options describe, with the
/// printers saved in its state folder loaded; null after telling why it
/// cannot be made.
pappl_system_t *createSystem(int numOptions, cups_option_t *options, void *context);

} // namespace ZantoApp

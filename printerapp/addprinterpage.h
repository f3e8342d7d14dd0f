// The web interface's Add Printer page (/addprinter), in place of PAPPL's:
// the same form (name, device, driver; a network printer by its host name),
// with the devices listed without a DNS-SD search where Avahi does not
// answer. PAPPL 1.3's own page always searches, and on a machine without
// Avahi that search ends the server or hangs every later one.
#pragma once

#include <pappl/pappl.h>

namespace ZantoApp {

/// Registers the page; before papplSystemRun, which then keeps it in place
/// of its own.
void addAddPrinterPage(pappl_system_t *system);

} // namespace ZantoApp

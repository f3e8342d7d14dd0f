// Whether Avahi, through which PAPPL advertises and looks for printers on
// the network, answers now. PAPPL 1.3 aborts the process when it looks for
// printers without a D-Bus system bus, and keeps a lock for ever when the
// bus has no avahi-daemon on it; it is asked only where Avahi answers.
#pragma once

namespace ZantoApp {

/// True when the avahi-daemon answers on the D-Bus system bus.
bool dnssdAvailable();

} // namespace ZantoApp

// Whether Avahi, through which PAPPL advertises and looks for printers on
// the network, answers now. PAPPL 1.3 aborts the process when it looks for
// printers without a D-Bus system bus, and keeps a lock for ever when the
// bus has no avahi-daemon on it; it is asked only where Avahi answers.
#pragma once

#include <pappl/pappl.h>

namespace ZantoApp {

/// True when the avahi-daemon answers on the D-Bus system bus.
bool dnssdAvailable();

/// The device types it is safe to list now: all, less DNS-SD where Avahi
/// does not answer.
pappl_devtype_t listableDeviceTypes();

/// The `devices` subcommand where Avahi does not answer (PAPPL's aborts
/// there): the URI of each device found, one a line; its exit status.
int showDevicesWithoutDnssd();

} // namespace ZantoApp

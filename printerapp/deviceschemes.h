// Device URIs that PAPPL does not have, written through zanto's own output
// devices (the same as `zanto print --to` opens):
//   file:PATH                 a file, made or emptied for each job
//   serial:DEVICE[?baud=...]  a serial port with its line settings
//   parallel:DEVICE           a parallel port
// PAPPL takes a file: URI for a new printer only when the file exists and
// may be written.
#pragma once

#include <pappl/pappl.h>

#include <optional>
#include <string>

namespace ZantoApp {

/// Registers the schemes with PAPPL, and then PAPPL's network and USB
/// schemes; once, before anything else asks PAPPL about devices.
void addDeviceSchemes();

/// The reason the last write to device failed, for a device of the
/// schemes above; nothing when none failed or the device is PAPPL's own.
std::optional<std::string> deviceFailure(pappl_device_t *device);

} // namespace ZantoApp

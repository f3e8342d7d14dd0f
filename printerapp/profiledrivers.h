// The printer application's drivers: one for each zanto profile, so that a
// printer added with the driver of a profile prints as `zanto print -P
// PROFILE` does.
#pragma once

#include "printersetup.h"

#include <pappl/pappl.h>

#include <memory>
#include <vector>

namespace ZantoApp {

/// The profiles in force, each a driver named after its profile; read once
/// (the list lives as long as the process). A profile file that cannot be
/// read raises the profile error, as zanto reports it.
const std::vector<pappl_pr_driver_t> &profileDrivers();

/// PAPPL's driver callback: fills data from the profile named driverName
/// and keeps a PrinterSetup in its extension.
bool setUpDriver(pappl_system_t *system, const char *driverName, const char *deviceUri,
    const char *deviceId, pappl_pr_driver_data_t *data, ipp_t **attributes, void *context);

/// Fills data and attributes as the driver of setup's layout does; data's
/// extension takes setup over.
void fillDriverData(
    pappl_pr_driver_data_t &data, ipp_t **attributes, std::unique_ptr<PrinterSetup> setup);

} // namespace ZantoApp

// PAPPL 1.3 takes a printer's driver data only with raster callbacks and
// raster types. These refuse every raster document with a reason, so that
// a printer whose driver has no raster setup still prints text and its own
// printer data; the raster setup replaces them with its own.
#pragma once

#include <pappl/pappl.h>

namespace ZantoApp {

/// Sets data's raster callbacks to ones that abort a raster job, telling
/// its client why, and its raster types to black and white.
void refuseRasterJobs(pappl_pr_driver_data_t &data);

} // namespace ZantoApp

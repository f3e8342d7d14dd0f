// Raster jobs (PWG raster, URF, JPEG, PNG, and so PDF from any client)
// printed through the language's graphics commands: PAPPL dithers each page
// to one bit a dot at the language's graphics resolution, and the callbacks
// set up here send it in bands (RasterBands) to the printer's device.
#pragma once

#include "printersetup.h"

#include <QByteArrayView>

#include <pappl/pappl.h>

#include <cstddef>

namespace ZantoApp {

/// Bytes for a job's PAPPL device, with what became of them. PAPPL buffers
/// writes and its flush tells nothing, so the bytes the device took are
/// checked against those handed over (the device's metrics).
class DeviceOutput
{
public:
    explicit DeviceOutput(pappl_device_t *device);
    /// Hands bytes to the device; false when it refused them.
    bool write(QByteArrayView bytes);
    /// Sends what PAPPL holds back; false when the device has not taken
    /// every byte handed to it.
    bool flush();

private:
    std::size_t written() const;

    pappl_device_t *m_device;
    std::size_t m_before; // bytes the device had taken before this job
    std::size_t m_handed = 0;
    bool m_failed = false;
};

/// Sets data's resolutions, raster type, dither arrays and raster job
/// callbacks for setup's language. Media, formats and the extension are
/// the caller's.
void setUpRaster(pappl_pr_driver_data_t &data, const PrinterSetup &setup);

/// The dither array for text and graphics: dots grown in clusters, which
/// an impact or thermal printer prints more evenly than single dots.
const pappl_dither_t &clusteredDither();
/// The dither array for photos: thresholds spread out evenly (Bayer), the
/// finest grain for the resolution.
const pappl_dither_t &dispersedDither();

} // namespace ZantoApp

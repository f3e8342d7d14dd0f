// Text jobs: a text/plain document is laid out by zanto print with the
// printer's profile, byte for byte as `zanto print -P PROFILE` lays it out,
// and the result is sent to the printer's device. The standard text
// options of IPP and CUPS that zanto has an equal of are its printers'
// vendor attributes:
//   cpi N         --pitch N (10, 12 or 15, as the language has them)
//   lpi N         --lpi N
//   page-left N   --left-offset: N points (1/72 in) as spaces at the pitch
//   wrap false    --line-width 0: lines are not broken
#pragma once

#include "printersetup.h"

#include <pappl/pappl.h>

namespace ZantoApp {

/// The printers' own format: bytes for the printer, sent as they are.
inline constexpr const char *RawFormat = "application/vnd.zantoquiller-printer";

/// PAPPL's MIME typing callback, for a document sent without its format
/// that PAPPL does not know: text/plain when its start is text (no control
/// codes but tab, line and page ends), RawFormat otherwise.
const char *documentFormat(const unsigned char *header, size_t size, void *context);

/// PAPPL's MIME filter from text/plain to RawFormat.
bool printTextFile(pappl_job_t *job, pappl_device_t *device, void *context);

/// PAPPL's print file callback: a RawFormat document goes to the device
/// unchanged.
bool printRawFile(pappl_job_t *job, pappl_pr_options_t *options, pappl_device_t *device);

/// Declares the text options above as data's vendor attributes, with their
/// supported and default values in attributes.
void addTextOptions(pappl_pr_driver_data_t &data, ipp_t **attributes, const PrinterSetup &setup);

} // namespace ZantoApp

// What the printer application needs to know of a profile's layout: its
// language, columns, lines per page, pitch and paper, as zanto print's own
// reading of the profile (with [default] under it) gives them.
#pragma once

#include "printersetup.h"

#include <QString>

#include <mutex>

namespace ZantoApp {

/// zanto print keeps some state for the process (the request it runs in
/// place of a print, the job's title): every run of it, to print or to read
/// a profile, holds this lock.
std::mutex &printCommandLock();

/// The setup of a printer that prints with profile. An unknown profile, or
/// a value zanto refuses, raises zanto's error.
PrinterSetup profileSetup(const QString &profile);

} // namespace ZantoApp

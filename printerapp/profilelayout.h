// What the printer application needs to know of a profile's layout: its
// language, columns, lines per page, pitch and paper, as zanto print's own
// reading of the profile (with [default] under it) gives them.
#pragma once

#include "printersetup.h"
#include "profiles.h"

#include <QString>

#include <mutex>

namespace ZantoApp {

/// zanto print keeps some state for the process (the request it runs in
/// place of a print, the job's title): every run of it, to print or to read
/// a profile, holds this lock.
std::mutex &printCommandLock();

/// While it lives, zanto print reads the printer's own profile file at
/// path as the last of its profile files (none when path is empty). Made
/// with printCommandLock held.
class PrinterProfileFile
{
public:
    explicit PrinterProfileFile(const QString &path);
    ~PrinterProfileFile();
    PrinterProfileFile(const PrinterProfileFile &) = delete;
    PrinterProfileFile &operator=(const PrinterProfileFile &) = delete;
};

/// The values [default] and profile give, checked by zanto print's own
/// parser, read with the printer's own profile file at printerFile when
/// given. An unknown profile raises zanto's error.
QList<Zanto::Cli::ResolvedValue> profileValues(
    const QString &profile, const QString &printerFile = {});

/// The setup of a printer that prints with profile, read with the
/// printer's own profile file at printerFile when given. An unknown
/// profile, or a value zanto refuses, raises zanto's error.
PrinterSetup profileSetup(const QString &profile, const QString &printerFile = {});

} // namespace ZantoApp

// Each printer's own profile: a copy of the profile it was added with, kept
// as STATE/printers/NAME.conf in the profile file format zanto reads (one
// section, named after the profile, with its file names made absolute).
// It is made when the printer is added (or first loaded without one), read
// whenever the printer is loaded, changed by the printer's settings page
// and removed with the printer. The printer's text jobs are laid out by
// zanto print with it as the last of the profile files, so that
// `zanto print -P PROFILE` with the same section prints the same bytes.
#pragma once

#include <pappl/pappl.h>

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace ZantoApp {

/// The profile settings a printer's page shows and changes, as the keys of
/// zanto's profiles.
inline const QStringList &printerProfileKeys()
{
    static const QStringList keys {QStringLiteral("language"), QStringLiteral("codepage"),
        QStringLiteral("line-width"), QStringLiteral("lines-per-page"), QStringLiteral("pitch"),
        QStringLiteral("lpi"), QStringLiteral("init"), QStringLiteral("finish"),
        QStringLiteral("eject")};
    return keys;
}

using ProfileSettings = QList<std::pair<QString, QString>>;

/// The printers' profile files go into stateFolder/printers.
void setPrinterProfileFolder(const QString &stateFolder);

/// The path of the profile file of the printer named printerName.
QString printerProfilePath(const QString &printerName);

/// PAPPL's printer creation callback: gives the printer its own profile
/// file (a copy of its profile when it has none yet), sets the printer up
/// from it and adds its settings page.
void setUpPrinter(pappl_printer_t *printer, void *context);

/// PAPPL's event callback: a deleted printer's profile file goes with it.
void forgetDeletedPrinter(pappl_system_t *system, pappl_printer_t *printer, pappl_job_t *job,
    pappl_event_t event, void *context);

/// The values of printerProfileKeys() that printer's jobs are laid out
/// with: its profile file's, [default]'s, or the built-in ones; empty
/// where none is in force.
ProfileSettings printerProfileSettings(pappl_printer_t *printer);

/// Puts changes (keys of printerProfileKeys(); an empty value takes the
/// key out of the printer's profile) into the printer's profile file and
/// sets the printer up anew, taking effect from its next job. Values zanto
/// print refuses leave everything as it was: the reason is returned, in
/// zanto's words but without the place in the file.
std::optional<QString> changePrinterProfile(
    pappl_printer_t *printer, const ProfileSettings &changes);

} // namespace ZantoApp

// A printer's "Profile" web page: shows the settings of the printer's own
// profile (printerprofile.h) that shape its text jobs, with the values
// zanto allows, and changes them from its form. Administrators only, as
// PAPPL's own printer pages; the form carries PAPPL's CSRF token.
#pragma once

#include <pappl/pappl.h>

namespace ZantoApp {

/// The path of printer's settings page.
inline constexpr const char *SettingsPageName = "profile";

/// Adds printer's settings page and the link to it on its pages.
void addSettingsPage(pappl_printer_t *printer);

} // namespace ZantoApp

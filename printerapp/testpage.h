// The printer's test page (the web interface's "Print Test Page"): a short
// text that names the printer and its profile and marks the width of its
// line, printed as text, so laid out as the profile lays out any text job.
#pragma once

#include "printersetup.h"

#include <pappl/pappl.h>

#include <QByteArray>

namespace ZantoApp {

/// The test page's text for a printer named name with setup.
QByteArray testPageText(const char *name, const PrinterSetup &setup);

/// The system's spool folder, where test pages are written; set once, before
/// the server runs.
void setTestPageFolder(const QByteArray &spoolFolder);

/// PAPPL's test page callback: the page written to a file of its own in the
/// spool folder (which PAPPL removes with the job); null when it cannot be.
const char *writeTestPage(pappl_printer_t *printer, char *buffer, size_t size);

} // namespace ZantoApp

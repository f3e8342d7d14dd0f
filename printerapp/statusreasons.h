// The printer's state for IPP: what the language's status query answers
// (Zanto::printerStatus), as PAPPL's printer-state-reasons.
#pragma once

#include <zantoquiller/printerstatus.h>

#include <pappl/pappl.h>

namespace ZantoApp {

/// The reasons this status callback sets and clears; others (those PAPPL
/// or an identify request sets) are left alone.
inline constexpr pappl_preason_t StatusReasons = PAPPL_PREASON_OTHER | PAPPL_PREASON_COVER_OPEN
    | PAPPL_PREASON_MEDIA_EMPTY | PAPPL_PREASON_MEDIA_JAM | PAPPL_PREASON_MEDIA_LOW
    | PAPPL_PREASON_OFFLINE;

/// The reasons a status gives: paper out is media-empty, off line (or
/// unreachable) offline, an open cover cover-open, a jam media-jam, paper
/// nearly out media-low, any other error other. An unknown state gives none.
pappl_preason_t reasonsFor(const Zanto::PrinterStatus &status);

/// PAPPL's status callback: asks the printer behind the device URI (a
/// Zanto::Destination) with the language's status protocol and a short
/// time-out, and sets its reasons. Not asked while a job prints (the
/// device is the job's then) nor over the network for a language that
/// answers no query; false when the printer could not be asked.
bool updateStatus(pappl_printer_t *printer);

/// Asks, every few seconds, the printers whose queue PAPPL stopped because
/// their device could not be opened: PAPPL asks no printer with a job in
/// hand, so an unreachable printer would show only "paused", not why.
void watchStoppedPrinters(pappl_system_t *system);

} // namespace ZantoApp

// Jobs kept across restarts. PAPPL keeps its queue in memory only: a job
// accepted and not yet printed would be gone after a restart or a crash.
// The journal keeps, for each such job, a record (printer, user, name,
// format, options) and a link to its document in a folder of the state,
// and forgets both once the job has ended; the next start submits again
// each job a previous run left.
#pragma once

#include <pappl/pappl.h>

#include <QString>

namespace ZantoApp {

/// Submits again the jobs recorded in folder by an earlier run (their
/// documents linked into spoolFolder for PAPPL), logs those that cannot be
/// (printer gone, document lost), and records the system's jobs from now
/// on, each within a second of its document's arrival. Call once, with
/// the printers loaded and before the system runs; the jobs are submitted
/// once it runs.
void keepJobs(pappl_system_t *system, const QString &folder, const QString &spoolFolder);

} // namespace ZantoApp

// What zanto status, jobs, cancel and print --wait share: the time-out
// option for the questions to the print server, and waiting for a job.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace Zanto::Cli {

// --timeout MS: how long each question to the server or printer may take.
QCommandLineOption queryTimeoutOption();
// The option's value in milliseconds (0 when not given: the default),
// applied to the printer object too. A UsageError for a bad value.
int applyQueryTimeout(const QCommandLineParser &parser, const QCommandLineOption &option);

// --wait of zanto print: waits for the spooler job that the print sent (when
// the last job id is no longer jobBefore) and tells on standard error how it
// ended. Returns the exit status: 0 completed (or no spooler job), 4 ended
// otherwise, 3 when the server cannot be reached.
int waitForSpooledJob(int jobBefore);

} // namespace Zanto::Cli

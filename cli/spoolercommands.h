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

// --wait-timeout TIME of zanto print: seconds, or a number with the unit
// ms, s, m or h. Its value in milliseconds, -1 when not given (no limit); a
// UsageError for a bad value.
QCommandLineOption waitTimeoutOption();
int waitTimeoutMs(const QCommandLineParser &parser, const QCommandLineOption &option);

// --wait of zanto print: waits for the spooler job that the print sent (when
// the last job id is no longer jobBefore), through a paused queue or a
// stopped job (why is shown when standard error is a terminal), and tells on
// standard error how it ended. When limitMs (-1: none) passes first, the job
// is cancelled. Returns the exit status: 0 completed (or no spooler job), 4
// ended otherwise or given up on, 3 when the server cannot be reached.
int waitForSpooledJob(int jobBefore, int limitMs);

} // namespace Zanto::Cli

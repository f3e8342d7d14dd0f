// A spooler queue seen from outside: its state, its jobs, cancelling them,
// and waiting for one job to end. Every call to the server is bounded by
// the timeout given, as the printer object's are, and raises PrinterError
// (ServerUnreachable when the server cannot be reached or does not answer).
#pragma once

#include <zantoquiller/platform/printerstatus.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Zanto::Platform {

using Zanto::JobState;
// created is 0 when the server does not tell.
using JobInfo = BasicJobInfo<std::string, std::time_t>;

// queue is a queue name of the server libcups finds, or an ipp:// printer.
// A missing queue raises PrinterError.
PrinterStatus queueStatus(const std::string &queue, std::chrono::milliseconds timeout);
// The jobs that have not ended, oldest first.
std::vector<JobInfo> queueJobs(const std::string &queue, std::chrono::milliseconds timeout);
// Cancels job id of the server libcups finds; raises PrinterError when the
// server refuses (no such job, not allowed, ended already).
void cancelJob(int id, std::chrono::milliseconds timeout);
// Cancels job id of queue (a CUPS queue or an IPP printer's URI).
void cancelJob(int id, const std::string &queue, std::chrono::milliseconds timeout);
// Cancels every job of queue that has not ended; returns their ids.
std::vector<int> cancelAllJobs(const std::string &queue, std::chrono::milliseconds timeout);

using JobEnd = BasicJobEnd<std::string>;

// Waits until job id of queue has ended (completed, cancelled, aborted) or
// is stopped, asking the server every quarter second; each question waits
// at most timeout. A signal recorded by requestInterrupt() ends the wait
// with PrinterError.
JobEnd waitForJob(int id, const std::string &queue, std::chrono::milliseconds timeout);

// Told why a job does not go on (its queue is paused, it is held or
// stopped), each time that changes; an empty text when it goes on again.
using JobWaitReport = std::function<void(const std::string &why)>;

// Waits until job id of queue has ended (completed, cancelled, aborted),
// through a paused queue or a stopped job, which someone may start again.
// When limit (none: no limit) passes first, returns the state the job is in
// (one that has not ended) with why it waits. Each question to the server
// waits at most timeout. A signal recorded by requestInterrupt() cancels the
// job, so that it does not print after all, and ends the wait with
// PrinterError.
JobEnd waitForJobEnd(int id, const std::string &queue, std::chrono::milliseconds timeout,
    std::optional<std::chrono::milliseconds> limit, const JobWaitReport &waiting);

} // namespace Zanto::Platform

/// \file
/// The states of a printer and of its jobs, and the records that report
/// them, written once for every layer: with Qt's strings in the library's
/// interface (zantoquiller/printerstatus.h), with the standard library's
/// below it. Needs nothing of Qt.
#pragma once

#include <zantoquiller/core_export.h>

namespace Zanto {

/// How ready a printer is, worst last but one.
enum class PrinterState {
    Ready, ///< takes a print now
    Printing, ///< busy with a job
    OffLine, ///< off line, shut down, or its queue is paused
    PaperOut, ///< out of paper
    Error, ///< in an error state, or could not be reached
    Unknown ///< the printer says nothing about its state
};

/// "ready", "printing", "off line", "paper out", "error", "unknown".
ZANTOQUILLER_CORE_EXPORT const char *printerStateText(PrinterState state) noexcept;

/// The IPP job states.
enum class JobState {
    Pending = 3, ///< waits to be printed
    Held = 4, ///< held until released
    Processing = 5, ///< being printed
    Stopped = 6, ///< stopped, or waiting on a stopped queue
    Cancelled = 7, ///< cancelled
    Aborted = 8, ///< ended by the system after an error
    Completed = 9, ///< printed
};

/// "pending", "held", "processing", "stopped", "cancelled", "aborted",
/// "completed".
ZANTOQUILLER_CORE_EXPORT const char *jobStateText(JobState state) noexcept;

/// The state of a printer as its spooler queue, its port or the printer
/// itself reports it; Text is a string type, TextList a list of them.
template<typename Text, typename TextList> struct BasicPrinterStatus
{
    /// What was asked: queue name, device path, socket URI.
    Text destination;
    PrinterState state = PrinterState::Unknown; ///< the state
    /// Why, in words, most telling first: the queue's state reasons, the
    /// port's status lines, the printer's own answer. May be empty for a
    /// ready printer.
    TextList reasons;
    /// False when the print server, the device or the network printer could
    /// not be reached at all; state is then Error and reasons say why.
    bool reachable = true;
    bool isQueue = false; ///< the destination is a spooler queue
    bool acceptingJobs = false; ///< spooler queues only: the queue accepts new jobs
    int waitingJobs = 0; ///< spooler queues only: its jobs that have not ended
    /// The device is not there (no such file, no device behind its node),
    /// so a print could not open it; reachable is then false too.
    bool absent = false;

    /// The same status with every text passed through convert.
    template<typename ToText, typename ToList, typename Convert>
    BasicPrinterStatus<ToText, ToList> convertedBy(Convert convert) const
    {
        BasicPrinterStatus<ToText, ToList> to;
        to.destination = convert(destination);
        to.state = state;
        for (const auto &reason : reasons)
            to.reasons.push_back(convert(reason));
        to.reachable = reachable;
        to.isQueue = isQueue;
        to.acceptingJobs = acceptingJobs;
        to.waitingJobs = waitingJobs;
        to.absent = absent;
        return to;
    }
};

/// A spooler job that has not ended; Time is the type of its creation time.
template<typename Text, typename Time> struct BasicJobInfo
{
    int id = 0; ///< the job's id
    Text user; ///< who sent it
    Text title; ///< its title
    long long sizeKilobytes = 0; ///< its size in kilobytes
    JobState state = JobState::Pending; ///< its state
    Time created {}; ///< when it was sent

    /// The same job with its texts passed through convertText and its time
    /// through convertTime.
    template<typename ToText, typename ToTime, typename ConvertText, typename ConvertTime>
    BasicJobInfo<ToText, ToTime> convertedBy(ConvertText convertText, ConvertTime convertTime) const
    {
        return {
            id, convertText(user), convertText(title), sizeKilobytes, state, convertTime(created)};
    }
};

/// How a job that was waited for ended.
template<typename Text> struct BasicJobEnd
{
    /// Stopped also for a job that waits on a stopped queue: it will not go
    /// on until someone starts the queue again.
    JobState state = JobState::Completed;
    /// What the server says about it; may be empty.
    Text reason;

    /// The same end with its reason passed through convert.
    template<typename ToText, typename Convert>
    BasicJobEnd<ToText> convertedBy(Convert convert) const
    {
        return {state, convert(reason)};
    }
};

} // namespace Zanto

/// \file
/// Is the printer ready? The state of a printer as its spooler queue, its port
/// or the printer itself reports it; the jobs of a spooler queue, cancelling
/// them, and waiting for a job to end.
///
/// A destination is a Destination, or named by the text Destination::parse()
/// reads: a queue name or an ipp:// printer URI (a spooler queue), a device
/// name (LPT1 ... COM4, through the device map), a device path, or a
/// parallel:, serial:, file: or socket:// URI. An empty name is the current
/// printer's queue.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <zantoquiller/core_export.h>
#include <zantoquiller/destination.h>
#include <zantoquiller/statustypes.h>

#include <functional>

namespace Zanto {

/// "ready", "printing", "off line", "paper out", "error", "unknown".
ZANTOQUILLER_CORE_EXPORT QString printerStateName(PrinterState state);

/// The state of a printer, with Qt's strings (see BasicPrinterStatus).
using PrinterStatus = BasicPrinterStatus<QString, QStringList>;

/// The state of destination. A parallel port is asked for its status lines
/// (paper out, selected, error, busy); a serial port for its modem lines (DSR,
/// CTS, DCD; "unknown" where it has none); a network printer on a socket:// URI
/// with the PJL status query. With escPos a serial or network printer is
/// asked with the ESC/POS real-time status request (DLE EOT) instead. Nothing
/// sent prints. Each question waits at most timeoutMs (0: 10 s); a printer
/// that answers nothing within it is "unknown". Raises EPrinter when the
/// server answers that there is no such queue.
ZANTOQUILLER_CORE_EXPORT PrinterStatus printerStatus(
    const QString &destination, int timeoutMs = 0, bool escPos = false);
/// The state of destination, as above. PrinterStatus::destination is the
/// destination's text (toString()), or the current printer's queue name.
/// Standard output is asked as the device or file it leads to.
ZANTOQUILLER_CORE_EXPORT PrinterStatus printerStatus(
    const Destination &destination, int timeoutMs = 0, bool escPos = false);

/// "pending", "held", "processing", "stopped", "cancelled", "aborted",
/// "completed".
ZANTOQUILLER_CORE_EXPORT QString jobStateName(JobState state);

/// A spooler job that has not ended (see BasicJobInfo); created is invalid
/// when the server does not tell.
using PrintJobInfo = BasicJobInfo<QString, QDateTime>;

/// How a job that was waited for ended (see BasicJobEnd).
using PrintJobEnd = BasicJobEnd<QString>;

/// Called when a print to a network printer has waited a whole write time-out
/// for a printer that is there but takes no data (out of paper, or slower than
/// the network), with the printer as its error messages name it; again after
/// each further time-out. Such a printer keeps the print waiting, where one
/// that cannot be reached or has gone fails it. None by default; the call
/// may come on any thread that prints.
ZANTOQUILLER_CORE_EXPORT void setPrinterStallReport(
    const std::function<void(const QString &printer)> &report);

/// \name Spooler jobs
/// The calls below reach the print server with the printer object's
/// time-out (setPrinterTimeout). They raise EPrinter when the server refuses,
/// and EPrinterUnreachable when it cannot be reached or does not answer. A
/// queue given as text is read as Destination::queue() reads it (empty: the
/// current printer); a text that names no queue raises EPrinter at once.
///@{

/// The jobs of queue (empty: the current printer) that have not ended,
/// oldest first.
ZANTOQUILLER_CORE_EXPORT QList<PrintJobInfo> printJobs(const QString &queue = {});
/// The jobs of queue (a queue, an IPP printer or the current printer), as
/// above; EPrinter for a destination that holds no jobs (a device or file).
ZANTOQUILLER_CORE_EXPORT QList<PrintJobInfo> printJobs(const Destination &queue);
/// Cancels job id of the current printer.
ZANTOQUILLER_CORE_EXPORT void cancelPrintJob(int id);
/// Cancels job id of queue (empty: the current printer), which may be an
/// IPP printer's URI.
ZANTOQUILLER_CORE_EXPORT void cancelPrintJob(int id, const QString &queue);
/// Cancels every job of queue that has not ended; returns their ids.
ZANTOQUILLER_CORE_EXPORT QList<int> cancelAllPrintJobs(const QString &queue);
/// Cancels job id of queue (a queue, an IPP printer or the current printer);
/// EPrinter for a destination that holds no jobs.
ZANTOQUILLER_CORE_EXPORT void cancelPrintJob(int id, const Destination &queue);
/// Cancels every job of queue that has not ended; returns their ids.
/// EPrinter for a destination that holds no jobs.
ZANTOQUILLER_CORE_EXPORT QList<int> cancelAllPrintJobs(const Destination &queue);
/// The title (empty: the application's name) and the number of copies of
/// the spooler jobs the printer object begins from now on.
ZANTOQUILLER_CORE_EXPORT void setPrintJobTitle(const QString &title);
/// See setPrintJobTitle().
ZANTOQUILLER_CORE_EXPORT void setPrintJobCopies(int copies);
/// The id of the last job the printer object sent to the spooler; 0 before
/// any.
ZANTOQUILLER_CORE_EXPORT int lastPrintJobId();
/// The queue that job went to: a queue name or an IPP printer's URI, also
/// when the print named it without selecting it; empty before any job.
ZANTOQUILLER_CORE_EXPORT QString lastPrintJobQueue();
/// Waits until job id of queue (empty: the current printer) has ended or is
/// stopped. An interrupting signal ends the wait with EPrinter.
ZANTOQUILLER_CORE_EXPORT PrintJobEnd waitForPrintJob(int id, const QString &queue = {});
/// Waits until job id of queue (empty: the current printer) has ended:
/// completed, cancelled or aborted. A paused queue or a stopped job is waited
/// through, as someone may start it again; waiting (may be empty) is told why
/// each time that changes (an empty text when the job goes on). When limitMs
/// (negative: no limit) passes first, returns the state the job is in, one
/// that has not ended, and why it waits. An interrupting signal cancels the
/// job and ends the wait with EPrinter.
ZANTOQUILLER_CORE_EXPORT PrintJobEnd waitForPrintJobEnd(int id, const QString &queue, int limitMs,
    const std::function<void(const QString &why)> &waiting);

///@}

} // namespace Zanto

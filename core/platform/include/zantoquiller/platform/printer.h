// The printer object: the system's printers as the CUPS scheduler knows them,
// the current printer, and raw print jobs on it.
#pragma once

#include <zantoquiller/platform/failure.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace Zanto::Platform {

// A failure of the print system: no printer, server unreachable, job refused.
// what() is a complete sentence for the user.
class PrinterError : public Error
{
public:
    using Error::Error;
};

// The print server (or a printer addressed by URI) cannot be reached, or did
// not answer within the time-out: of kind Unreachable.
class ServerUnreachable : public PrinterError
{
public:
    explicit ServerUnreachable(const std::string &reason, int systemError = 0)
        : PrinterError(reason, ErrorKind::Unreachable, systemError)
    { }
};

struct Destination
{
    std::string name; // the queue name, or the URI of a directly addressed IPP printer
    std::string deviceUri; // where the queue sends its jobs ("socket://...", "serial:/dev/...")
    bool isDefault = false;
    bool isCurrent = false;
    bool acceptsRaw = false; // takes application/vnd.cups-raw unchanged
};

class RawJob;

// The server is the one libcups finds: CUPS_SERVER, client.conf, or the local
// scheduler; a printer selected by URI is reached on its own host.
//
// Every call to a server is bounded: a connection, a request and its answer,
// or a piece of a job's data that takes longer than the time-out raises
// PrinterError "The print server NAME did not answer within N ms", and a
// signal recorded by requestInterrupt() ends the wait at once. Calls that
// take a timeout use it; a zero timeout means the object's own (timeout()).
class Printer
{
public:
    using Milliseconds = std::chrono::milliseconds;
    static constexpr Milliseconds DefaultTimeout {10000};

    Printer();
    ~Printer();
    Printer(const Printer &) = delete;
    Printer &operator=(const Printer &) = delete;

    // The time-out of calls made without one; zero sets DefaultTimeout.
    void setTimeout(Milliseconds timeout);
    Milliseconds timeout() const { return m_timeout; }

    // The server's queues, in its order, plus the current printer when it was
    // selected by URI. Raises PrinterError when the server cannot be reached.
    std::vector<Destination> destinations(Milliseconds timeout = {}) const;

    // The current printer: the one selected, else the default destination
    // (which LPDEST, PRINTER and lpoptions may name, as for lp). Raises
    // PrinterError when there is none.
    std::string currentName(Milliseconds timeout = {}) const;
    // Selects a queue by name, or an IPP printer by its ipp:// or ipps:// URI.
    // Raises PrinterError, keeping the old choice, when there is no such
    // printer.
    void select(const std::string &name, Milliseconds timeout = {});
    // Follows the default destination again.
    void selectDefault();

    // The current printer's device URI: its port name.
    std::string portName(Milliseconds timeout = {}) const;
    /// The device URI of queue (a name or an IPP printer's URI; empty: the
    /// current printer), which is not selected.
    std::string portNameOf(const std::string &queue, Milliseconds timeout = {}) const;
    // Whether the current printer accepts raw data (application/vnd.cups-raw).
    bool acceptsRaw(Milliseconds timeout = {}) const;
    /// Whether queue (empty: the current printer) accepts raw data.
    bool acceptsRawOn(const std::string &queue, Milliseconds timeout = {}) const;
    /// Raises PrinterError when there is no printer called name (a queue
    /// name or an IPP printer's URI); selects nothing.
    void check(const std::string &name, Milliseconds timeout = {}) const;

    // A raw job on the current printer; the job's later calls keep the
    // timeout given here. beginDoc raises PrinterError when the job is
    // refused; write and newPage when the server stops taking data; endDoc
    // when the server does not accept the finished job. Bytes travel
    // unchanged; newPage writes one form feed and endDoc adds nothing.
    void beginDoc(const std::string &title, Milliseconds timeout = {});
    /// As beginDoc, on queue (empty: the current printer) without selecting it.
    void beginDocOn(const std::string &queue, const std::string &title, Milliseconds timeout = {});
    // The title (empty: the one beginDoc is given) and number of copies of
    // the jobs begun from now on.
    void setJobTitle(std::string title) { m_jobTitle = std::move(title); }
    void setJobCopies(int copies) { m_jobCopies = copies; }
    void write(const char *data, std::size_t size);
    void newPage();
    void endDoc();
    // Cancels the job in progress on the server, if any, even after an
    // interrupt; never raises.
    void abortDoc() noexcept;
    bool printing() const { return m_job != nullptr; }
    // The id of the job in progress or of the last job ended; 0 before any.
    int jobId() const { return m_lastJobId; }
    /// The queue (or IPP printer's URI) of that job; empty before any.
    const std::string &jobQueue() const { return m_lastJobQueue; }

private:
    Milliseconds budget(Milliseconds timeout) const
    {
        return timeout.count() > 0 ? timeout : m_timeout;
    }

    Milliseconds m_timeout = DefaultTimeout;
    std::string m_selected; // empty: follow the default destination
    std::unique_ptr<RawJob> m_job;
    int m_lastJobId = 0;
    std::string m_lastJobQueue;
    std::string m_jobTitle;
    int m_jobCopies = 1;
};

// The process-wide printer object.
Printer &printer();

} // namespace Zanto::Platform

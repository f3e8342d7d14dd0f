// One raw print job, streamed to the printer as it is written:
// Create-Job, then one Send-Document whose data follows in pieces.
#pragma once

#include "ippendpoint.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace Zanto::Platform {

class RawJob
{
public:
    // Creates the job, of copies copies, and starts its one document. Raises
    // PrinterError when the printer refuses either. Every later exchange with
    // the server, the cancelling included, waits at most timeout.
    RawJob(IppEndpoint endpoint, const std::string &title, int copies,
        std::chrono::milliseconds timeout);
    // A job that was neither finished nor cancelled is cancelled.
    ~RawJob();

    RawJob(const RawJob &) = delete;
    RawJob &operator=(const RawJob &) = delete;

    // Adds data to the document. Data is passed on in blocks of up to
    // BlockSize bytes, the rest at the latest when the document is finished.
    void write(const char *data, std::size_t size);
    // Ends the document; raises PrinterError, and cancels the job, when the
    // server does not take it.
    void finish();
    // Asks the server to cancel the job, whatever the interrupt flag says.
    void cancel() noexcept;

    int id() const { return m_id; }

private:
    static constexpr std::size_t BlockSize = 64 * 1024;

    void sendPending();
    void send(const char *data, std::size_t size);
    // Cancels the job and raises the reason the server gave for the failure
    // of the last exchange, or that it gave up waiting.
    [[noreturn]] void fail(const std::string &what);

    IppEndpoint m_endpoint;
    std::chrono::milliseconds m_timeout;
    std::optional<ServerConnection> m_http;
    int m_id = 0;
    bool m_open = false; // the document is being sent
    std::vector<char> m_pending;
};

} // namespace Zanto::Platform

// One raw print job, streamed to the printer as it is written:
// Create-Job, then one Send-Document whose data follows in pieces.
#pragma once

#include "ippendpoint.h"

#include <string>

namespace Zanto::Platform {

class RawJob
{
public:
    // Creates the job and starts its one document. Raises PrinterError when
    // the printer refuses either.
    RawJob(IppEndpoint endpoint, const std::string &title);
    // A job that was neither finished nor cancelled is cancelled.
    ~RawJob();

    RawJob(const RawJob &) = delete;
    RawJob &operator=(const RawJob &) = delete;

    void write(const char *data, std::size_t size);
    // Ends the document; raises PrinterError when the server does not take it.
    void finish();
    void cancel() noexcept;

    int id() const { return m_id; }

private:
    IppEndpoint m_endpoint;
    HttpConnection m_http;
    int m_id = 0;
    bool m_open = false; // the document is being sent
};

} // namespace Zanto::Platform

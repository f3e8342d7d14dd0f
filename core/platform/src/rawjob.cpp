#include "rawjob.h"

#include <zantoquiller/platform/printer.h>

namespace Zanto::Platform {

RawJob::RawJob(
    IppEndpoint endpoint, const std::string &title, int copies, std::chrono::milliseconds timeout)
    : m_endpoint(std::move(endpoint)), m_timeout(timeout)
{
    m_http.emplace(m_endpoint, m_timeout);
    IppMessage create = newPrinterRequest(IPP_OP_CREATE_JOB, m_endpoint);
    ippAddString(create.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
    // One copy is the printer's default: not asked for, so that a printer
    // that knows no copies takes the job.
    if (copies > 1)
        ippAddInteger(create.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "copies", copies);
    const IppMessage created
        = doRequest(*m_http, std::move(create), m_endpoint, "refused the print job");
    m_id = ippGetInteger(ippFindAttribute(created.get(), "job-id", IPP_TAG_INTEGER), 0);
    if (m_id <= 0)
        throw PrinterError(
            "The " + m_endpoint.label + " did not say which job it created", ErrorKind::Protocol);

    IppMessage send = newPrinterRequest(IPP_OP_SEND_DOCUMENT, m_endpoint);
    ippAddInteger(send.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", m_id);
    ippAddString(
        send.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "document-name", nullptr, title.c_str());
    ippAddString(send.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
        CUPS_FORMAT_RAW);
    ippAddBoolean(send.get(), IPP_TAG_OPERATION, "last-document", 1);
    m_http->startExchange();
    const http_status_t status = cupsSendRequest(
        m_http->get(), send.get(), m_endpoint.resource.c_str(), CUPS_LENGTH_VARIABLE);
    if (status != HTTP_STATUS_CONTINUE) {
        // The answer that came instead says why.
        ippDelete(cupsGetResponse(m_http->get(), m_endpoint.resource.c_str()));
        fail("refused the print job");
    }
    m_http->endExchange();
    m_open = true;
}

RawJob::~RawJob()
{
    if (m_open)
        cancel();
}

void RawJob::write(const char *data, std::size_t size)
{
    if (!m_open)
        throw PrinterError("No document is open on the " + m_endpoint.label, ErrorKind::Usage);
    if (size == 0)
        return;
    // Lines are gathered into blocks: the server then gets a few large
    // pieces of the document instead of a small one for every line.
    if (m_pending.size() + size > BlockSize)
        sendPending();
    if (size >= BlockSize)
        send(data, size);
    else
        m_pending.insert(m_pending.end(), data, data + size);
}

void RawJob::sendPending()
{
    if (m_pending.empty())
        return;
    send(m_pending.data(), m_pending.size());
    m_pending.clear();
}

void RawJob::send(const char *data, std::size_t size)
{
    m_http->startExchange();
    if (cupsWriteRequestData(m_http->get(), data, size) != HTTP_STATUS_CONTINUE) {
        ippDelete(cupsGetResponse(m_http->get(), m_endpoint.resource.c_str()));
        fail("stopped taking job " + std::to_string(m_id));
    }
    // The application may take its time over the next piece.
    m_http->endExchange();
}

void RawJob::finish()
{
    if (!m_open)
        throw PrinterError("No document is open on the " + m_endpoint.label, ErrorKind::Usage);
    sendPending();
    m_http->startExchange();
    const IppMessage answer(cupsGetResponse(m_http->get(), m_endpoint.resource.c_str()));
    if (!answer || cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        fail("did not accept job " + std::to_string(m_id));
    m_open = false;
    m_http.reset();
}

void RawJob::fail(const std::string &what)
{
    try {
        m_http->throwIfGaveUp();
    } catch (...) {
        cancel();
        throw;
    }
    const std::string reason = lastIppError();
    const ErrorKind kind = lastIppErrorKind();
    cancel();
    throw PrinterError("The " + m_endpoint.label + " " + what + ": " + reason, kind);
}

void RawJob::cancel() noexcept
{
    m_open = false;
    m_pending.clear();
    m_http.reset(); // the half-sent document ends with the connection
    if (m_id <= 0)
        return;
    try {
        ServerConnection http(m_endpoint, m_timeout, ServerConnection::Interrupts::Ignore);
        IppMessage request = newPrinterRequest(IPP_OP_CANCEL_JOB, m_endpoint);
        ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", m_id);
        doRequest(http, std::move(request), m_endpoint, "did not cancel job");
    } catch (...) {
        // Nothing more can be done about a server that is gone.
    }
}

} // namespace Zanto::Platform

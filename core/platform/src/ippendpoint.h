// Reaching a printer over IPP: a queue of the CUPS scheduler, or an IPP
// printer addressed directly by its URI.
#pragma once

#include <zantoquiller/errorkind.h>

#include <cups/cups.h>

#include <chrono>
#include <memory>
#include <string>

namespace Zanto::Platform {

struct HttpCloser
{
    void operator()(http_t *http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

struct IppDeleter
{
    void operator()(ipp_t *message) const { ippDelete(message); }
};
using IppMessage = std::unique_ptr<ipp_t, IppDeleter>;

struct IppEndpoint
{
    std::string host; // a host name, or the path of the scheduler's socket
    int port = 0;
    http_encryption_t encryption = HTTP_ENCRYPTION_IF_REQUESTED;
    std::string printerUri; // the printer-uri operation attribute
    std::string resource; // the HTTP resource that requests go to
    std::string label; // how messages name the printer
};

// True for "ipp://..." and "ipps://...".
bool isIppUri(const std::string &name);

// The scheduler's queue name, reached through the server libcups finds.
IppEndpoint queueEndpoint(const std::string &name);
// An IPP printer by its URI. Raises PrinterError for a malformed URI.
IppEndpoint directEndpoint(const std::string &uri);
IppEndpoint endpointFor(const std::string &name);

// How messages name the server of endpoint: "HOST:PORT", or the path of a
// local socket.
std::string serverName(const IppEndpoint &endpoint);
// The name of the server libcups finds.
std::string schedulerName();

// A connection to a print server on which no wait lasts longer than the
// time-out of the exchange in progress, and no exchange brings more than
// 8 MiB. An exchange is one request and its
// answer, or one piece of a document; startExchange() begins the next one.
// A signal recorded by requestInterrupt() ends the waits at once, unless the
// connection ignores interrupts (the clean-up after an interrupted print).
class ServerConnection
{
public:
    enum class Interrupts { EndTheWait, Ignore };

    // Connects within timeout. Raises PrinterError when the server cannot be
    // reached or does not accept the connection in time.
    ServerConnection(const IppEndpoint &endpoint, std::chrono::milliseconds timeout,
        Interrupts interrupts = Interrupts::EndTheWait);
    ~ServerConnection();
    ServerConnection(ServerConnection &&) noexcept;
    ServerConnection &operator=(ServerConnection &&) noexcept;

    http_t *get() const { return m_http.get(); }
    // An exchange in progress that outlasts the time-out, even while the
    // server keeps sending, has its connection shut down; between
    // exchanges (endExchange() to the next startExchange()) the connection
    // may stay idle for any time.
    void startExchange();
    void endExchange();
    // Call after a libcups call failed: raises PrinterError ("did not
    // answer within", "interrupted") when the failure was a wait given up.
    void throwIfGaveUp() const;
    // True once the exchange in progress has run out of time or was
    // interrupted.
    bool gaveUp() const;
    // Why the last exchange brought no answer.
    void setFailure(std::string reason, ErrorKind kind = ErrorKind::Protocol);
    const std::string &failure() const;
    ErrorKind failureKind() const { return m_failureKind; }

    struct WaitState;

private:
    // One small request as the connection's first exchange: libcups waits a
    // fixed second for the first answer to each request of its own, so a
    // server that does not answer is found out here, within the time-out.
    void expectAnswer(const IppEndpoint &endpoint);

    std::unique_ptr<WaitState> m_wait; // the callback's data: a stable address
    HttpConnection m_http;
    std::string m_failure;
    ErrorKind m_failureKind = ErrorKind::Other;
};

// A request with the attributes every operation carries: the endpoint's URI
// as uriAttribute ("printer-uri", or "job-uri" for a job's endpoint) and the
// requesting user.
IppMessage newRequest(ipp_op_t operation, const char *uriAttribute, const IppEndpoint &endpoint);
// A request with the attributes every printer operation carries.
IppMessage newPrinterRequest(ipp_op_t operation, const IppEndpoint &endpoint);

// Sends request as one exchange, within the time-out, and returns the
// answer, or null (then http.throwIfGaveUp() and http.failure() say why).
IppMessage exchange(ServerConnection &http, IppMessage request, const std::string &resource);

// Sends request as one exchange and returns the answer; raises PrinterError
// with what, the printer's label and the server's reason when the answer is
// an error, and the time-out's message when none came in time.
IppMessage doRequest(ServerConnection &http, IppMessage request, const IppEndpoint &endpoint,
    const std::string &what);

// The server's last error, as a reason for a message, and its kind.
std::string lastIppError();
ErrorKind lastIppErrorKind();

} // namespace Zanto::Platform

#include "ippendpoint.h"
#include "deadline.h"
#include "receivedbytes.h"

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/platform/readabletext.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

// How often a wait looks at the clock and at the interrupt flag.
constexpr double WaitStepSeconds = 0.1;
constexpr std::chrono::milliseconds WaitStep(100);

} // namespace

bool isIppUri(const std::string &name)
{
    return name.rfind("ipp://", 0) == 0 || name.rfind("ipps://", 0) == 0;
}

IppEndpoint queueEndpoint(const std::string &name)
{
    IppEndpoint endpoint;
    endpoint.host = cupsServer();
    endpoint.port = ippPort();
    endpoint.encryption = cupsEncryption();
    endpoint.resource = "/printers/" + name;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
        "/printers/%s", name.c_str());
    endpoint.printerUri = uri;
    endpoint.label = "printer '" + name + "'";
    return endpoint;
}

IppEndpoint directEndpoint(const std::string &uri)
{
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, user, sizeof user,
            host, sizeof host, &port, resource, sizeof resource)
        < HTTP_URI_STATUS_OK)
        throw PrinterError("'" + uri + "' is not a valid printer URI", ErrorKind::Format);
    IppEndpoint endpoint;
    endpoint.host = host;
    endpoint.port = port;
    endpoint.encryption
        = std::strcmp(scheme, "ipps") == 0 ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED;
    endpoint.printerUri = uri;
    endpoint.resource = resource;
    endpoint.label = "printer " + uri;
    return endpoint;
}

std::string schedulerName()
{
    return serverName(queueEndpoint({}));
}

IppEndpoint endpointFor(const std::string &name)
{
    return isIppUri(name) ? directEndpoint(name) : queueEndpoint(name);
}

std::string serverName(const IppEndpoint &endpoint)
{
    if (endpoint.host.rfind('/', 0) == 0)
        return endpoint.host;
    return endpoint.host + ":" + std::to_string(endpoint.port);
}

namespace {

struct ConnectFailure
{
    std::string why;
    int error = 0;
};

// Why the endpoint cannot be connected to: httpConnect2 leaves no reliable
// errno, so one connection is tried again by hand, for the reason.
ConnectFailure connectFailure(const IppEndpoint &endpoint, const Deadline &deadline)
{
    const std::string port = std::to_string(endpoint.port);
    http_addrlist_t *addresses = httpAddrGetList(endpoint.host.c_str(), AF_UNSPEC, port.c_str());
    if (!addresses)
        return {"the name cannot be resolved"};
    int error = ETIMEDOUT;
    const int fd
        = ::socket(httpAddrFamily(&addresses->addr), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
    } else {
        if (::connect(fd, &addresses->addr.addr, socklen_t(httpAddrLength(&addresses->addr)))
            == 0) {
            error = 0;
        } else if (errno != EINPROGRESS) {
            error = errno;
        } else {
            pollfd entry {fd, POLLOUT, 0};
            socklen_t length = sizeof error;
            if (::poll(&entry, 1, deadline.pollTimeout()) == 1)
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        }
        ::close(fd);
    }
    httpAddrFreeList(addresses);
    if (!error)
        return {"the server did not answer"};
    return {systemText(error), error};
}

enum class GaveUp { No, TimedOut, Interrupted, TooLong };

// The most one exchange may bring from the server: far more than any answer
// about printers and jobs, and a bound on what an endless one costs.
constexpr std::uint64_t AnswerLimit = 8 << 20;

// The watcher thread's body. A type of this file alone, so that the thread's
// state type stays out of the library's exported symbols (a lambda's would not).
struct Watcher
{
    ServerConnection::WaitState *state;
    void operator()() const;
};

} // namespace

// The state of the waits on one connection, shared by the libcups callback
// (while a wait is quiet) and the watcher thread (while the server keeps
// sending: libcups then never calls back, so only the watcher can end an
// endless answer, by shutting the connection down under it).
struct ServerConnection::WaitState
{
    WaitState(std::string serverName, std::chrono::milliseconds budget, bool endOnInterrupt)
        : server(std::move(serverName)), timeout(budget), interruptible(endOnInterrupt)
    { }

    const std::string server;
    const std::chrono::milliseconds timeout;
    const bool interruptible;

    std::mutex mutex;
    std::condition_variable changed;
    Deadline deadline {timeout};
    bool inExchange = false;
    bool stopping = false;
    int fd = -1;
    std::uint64_t received = 0; // by the connection before the exchange
    GaveUp gaveUp = GaveUp::No;
    int signal = 0;
    std::thread watcher;

    // Under mutex: true while the exchange may go on.
    bool stillWithin()
    {
        if (gaveUp != GaveUp::No)
            return false;
        if (interruptible && (signal = interruptSignal()) != 0)
            gaveUp = GaveUp::Interrupted;
        else if (deadline.passed())
            gaveUp = GaveUp::TimedOut;
        return gaveUp == GaveUp::No;
    }

    // Under mutex: true once the exchange has brought more than AnswerLimit.
    bool broughtTooMuch()
    {
        const std::uint64_t now = receivedBytes(fd);
        if (now < received)
            received = 0; // libcups connected anew
        if (now - received <= AnswerLimit)
            return false;
        gaveUp = GaveUp::TooLong;
        return true;
    }

    bool keepWaiting()
    {
        const std::lock_guard lock(mutex);
        return stillWithin();
    }

    void watch()
    {
        std::unique_lock lock(mutex);
        while (!stopping) {
            if (!inExchange) {
                changed.wait(lock);
                continue;
            }
            if (stillWithin() && !broughtTooMuch()) {
                auto until = Deadline::Clock::now() + WaitStep;
                if (deadline.limited())
                    until = std::min(until, deadline.end());
                changed.wait_until(lock, until);
                continue;
            }
            // The libcups call in progress sees the end of the connection
            // and returns; throwIfGaveUp() then says why.
            inExchange = false;
            ::shutdown(fd, SHUT_RDWR);
        }
    }

    void start(int connection)
    {
        fd = connection;
        watcher = std::thread(Watcher {this});
    }

    void stop()
    {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (watcher.joinable())
            watcher.join();
    }

    [[noreturn]] void throwGaveUp() const
    {
        if (gaveUp == GaveUp::TooLong)
            throw PrinterError("The print server " + server + " sent more than "
                    + std::to_string(AnswerLimit >> 20) + " MiB in one answer",
                ErrorKind::Protocol);
        if (gaveUp == GaveUp::Interrupted)
            throw PrinterError("Waiting for the print server " + server
                    + " was interrupted by signal " + std::to_string(signal),
                ErrorKind::Interrupted, EINTR);
        throw ServerUnreachable("The print server " + server + " did not answer within "
            + std::to_string(timeout.count()) + " ms");
    }
};

namespace {

void Watcher::operator()() const
{
    state->watch();
}

// libcups calls this each time a wait has lasted WaitStepSeconds; 0 ends it.
int keepWaiting(http_t *, void *data)
{
    return static_cast<ServerConnection::WaitState *>(data)->keepWaiting() ? 1 : 0;
}

} // namespace

ServerConnection::ServerConnection(
    const IppEndpoint &endpoint, std::chrono::milliseconds timeout, Interrupts interrupts)
    : m_wait(new WaitState(serverName(endpoint), timeout, interrupts == Interrupts::EndTheWait))
{
    const int msec = int(std::min<long long>(timeout.count(), 1 << 30));
    m_http.reset(httpConnect2(endpoint.host.c_str(), endpoint.port, nullptr, AF_UNSPEC,
        endpoint.encryption, 1, msec, nullptr));
    if (!m_http) {
        if (!m_wait->keepWaiting())
            m_wait->throwGaveUp();
        const std::string who = endpoint.host == cupsServer()
            ? "the print server " + serverName(endpoint)
            : "the " + endpoint.label;
        const ConnectFailure failure = connectFailure(endpoint, m_wait->deadline);
        throw ServerUnreachable("Cannot reach " + who + ": " + failure.why, failure.error);
    }
    httpSetTimeout(m_http.get(), WaitStepSeconds, keepWaiting, m_wait.get());
    m_wait->start(httpGetFd(m_http.get()));
    try {
        expectAnswer(endpoint);
    } catch (...) {
        m_wait->stop();
        throw;
    }
}

void ServerConnection::expectAnswer(const IppEndpoint &endpoint)
{
    // Any answer will do, even a refusal: it shows that the server is there.
    startExchange();
    http_status_t status = HTTP_STATUS_ERROR;
    if (httpOptions(m_http.get(), endpoint.resource.empty() ? "/" : endpoint.resource.c_str())
        == 0) {
        do
            status = httpUpdate(m_http.get());
        while (status == HTTP_STATUS_CONTINUE);
    }
    if (status == HTTP_STATUS_ERROR) {
        throwIfGaveUp();
        const int error = httpError(m_http.get());
        throw PrinterError("The print server " + m_wait->server + " broke off the connection"
                + (error ? ": " + systemText(error) : std::string()),
            ErrorKind::ConnectionLost, error);
    }
    httpFlush(m_http.get());
    endExchange();
}

ServerConnection::~ServerConnection()
{
    // The watcher goes before the connection it may shut down.
    if (m_wait)
        m_wait->stop();
}

ServerConnection::ServerConnection(ServerConnection &&) noexcept = default;

ServerConnection &ServerConnection::operator=(ServerConnection &&other) noexcept
{
    if (this != &other) {
        if (m_wait)
            m_wait->stop();
        m_http = std::move(other.m_http);
        m_wait = std::move(other.m_wait);
        m_failure = std::move(other.m_failure);
    }
    return *this;
}

void ServerConnection::startExchange()
{
    {
        const std::lock_guard lock(m_wait->mutex);
        m_wait->deadline = Deadline(m_wait->timeout);
        m_wait->gaveUp = GaveUp::No;
        m_wait->inExchange = true;
        m_wait->received = receivedBytes(m_wait->fd);
    }
    m_wait->changed.notify_all();
}

void ServerConnection::endExchange()
{
    const std::lock_guard lock(m_wait->mutex);
    m_wait->inExchange = false;
}

bool ServerConnection::gaveUp() const
{
    const std::lock_guard lock(m_wait->mutex);
    return m_wait->gaveUp != GaveUp::No;
}

void ServerConnection::setFailure(std::string reason, ErrorKind kind)
{
    m_failure = std::move(reason);
    m_failureKind = kind;
}

const std::string &ServerConnection::failure() const
{
    return m_failure;
}

void ServerConnection::throwIfGaveUp() const
{
    const std::lock_guard lock(m_wait->mutex);
    if (m_wait->gaveUp != GaveUp::No)
        m_wait->throwGaveUp();
}

IppMessage newRequest(ipp_op_t operation, const char *uriAttribute, const IppEndpoint &endpoint)
{
    IppMessage request(ippNewRequest(operation));
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, uriAttribute, nullptr,
        endpoint.printerUri.c_str());
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
        cupsUser());
    return request;
}

IppMessage newPrinterRequest(ipp_op_t operation, const IppEndpoint &endpoint)
{
    return newRequest(operation, "printer-uri", endpoint);
}

IppMessage exchange(ServerConnection &http, IppMessage request, const std::string &resource)
{
    // As cupsDoRequest() does (authentication, encryption and a connection
    // to renew are each another try), but within the time-out and a few
    // tries: cupsDoRequest() tries again without end, and without ever
    // waiting, while a server answers with neither an IPP response nor an
    // HTTP error.
    constexpr int MostTries = 5;
    http_t *connection = http.get();
    const char *auth = httpGetAuthString(connection);
    if (auth && std::strncmp(auth, "Local ", 6) == 0)
        httpSetAuthString(connection, nullptr, nullptr); // stale by now
    http.startExchange();
    const std::size_t length = ippLength(request.get());
    IppMessage response;
    http_status_t status = HTTP_STATUS_ERROR;
    for (int tries = 0; !response && tries < MostTries && !http.gaveUp(); ++tries) {
        status = cupsSendRequest(connection, request.get(), resource.c_str(), length);
        if (status <= HTTP_STATUS_CONTINUE || status == HTTP_STATUS_OK) {
            response.reset(cupsGetResponse(connection, resource.c_str()));
            status = httpGetStatus(connection);
        }
        if (status == HTTP_STATUS_ERROR
            || (status >= HTTP_STATUS_BAD_REQUEST && status != HTTP_STATUS_UNAUTHORIZED
                && status != HTTP_STATUS_UPGRADE_REQUIRED))
            break;
        if (httpGetState(connection) != HTTP_STATE_WAITING)
            httpFlush(connection);
    }
    http.endExchange();
    if (response)
        http.setFailure({});
    else if (status >= HTTP_STATUS_BAD_REQUEST)
        http.setFailure("HTTP " + std::to_string(int(status)) + " " + httpStatus(status));
    else if (status != HTTP_STATUS_ERROR)
        http.setFailure("its answer cannot be read");
    else
        http.setFailure(lastIppError(), lastIppErrorKind());
    return response;
}

IppMessage doRequest(ServerConnection &http, IppMessage request, const IppEndpoint &endpoint,
    const std::string &what)
{
    IppMessage response = exchange(http, std::move(request), endpoint.resource);
    if (!response)
        http.throwIfGaveUp();
    if (!response)
        throw PrinterError(
            "The " + endpoint.label + " " + what + ": " + http.failure(), http.failureKind());
    if (cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        throw PrinterError(
            "The " + endpoint.label + " " + what + ": " + lastIppError(), lastIppErrorKind());
    return response;
}

std::string lastIppError()
{
    // The server's own words, which may hold any bytes.
    const char *text = cupsLastErrorString();
    return text && *text ? readableText(text) : ippErrorString(cupsLastError());
}

ErrorKind lastIppErrorKind()
{
    switch (cupsLastError()) {
    case IPP_STATUS_ERROR_NOT_FOUND:
    case IPP_STATUS_ERROR_GONE:
        return ErrorKind::NotFound;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return ErrorKind::Permission;
    case IPP_STATUS_ERROR_BUSY:
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return ErrorKind::Busy;
    case IPP_STATUS_ERROR_TIMEOUT:
        return ErrorKind::TimedOut;
    case IPP_STATUS_ERROR_BAD_REQUEST:
    case IPP_STATUS_ERROR_VERSION_NOT_SUPPORTED:
    case IPP_STATUS_ERROR_INTERNAL:
        return ErrorKind::Protocol;
    case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
    case IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES:
        return ErrorKind::Format;
    case IPP_STATUS_ERROR_CUPS_PKI:
    case IPP_STATUS_ERROR_CUPS_UPGRADE_REQUIRED:
    default:
        return ErrorKind::Other;
    }
}

} // namespace Zanto::Platform

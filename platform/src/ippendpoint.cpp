#include "ippendpoint.h"

#include <zantoquiller/platform/printer.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

constexpr int ConnectTimeoutMs = 30000;

std::string serverLabel()
{
    return std::string("the print server ") + cupsServer();
}

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
        throw PrinterError("'" + uri + "' is not a valid printer URI");
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

IppEndpoint endpointFor(const std::string &name)
{
    return isIppUri(name) ? directEndpoint(name) : queueEndpoint(name);
}

HttpConnection connectToServer()
{
    return connectTo(queueEndpoint({}));
}

namespace {

// Why the endpoint cannot be connected to: httpConnect2 leaves no reliable
// errno, so one connection is tried again by hand, briefly, for the reason.
std::string connectFailure(const IppEndpoint &endpoint)
{
    const std::string port = std::to_string(endpoint.port);
    http_addrlist_t *addresses = httpAddrGetList(endpoint.host.c_str(), AF_UNSPEC, port.c_str());
    if (!addresses)
        return "the name cannot be resolved";
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
            if (::poll(&entry, 1, 5000) == 1)
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        }
        ::close(fd);
    }
    httpAddrFreeList(addresses);
    return error ? std::strerror(error) : "the server did not answer";
}

} // namespace

HttpConnection connectTo(const IppEndpoint &endpoint)
{
    http_t *http = httpConnect2(endpoint.host.c_str(), endpoint.port, nullptr, AF_UNSPEC,
        endpoint.encryption, 1, ConnectTimeoutMs, nullptr);
    if (!http) {
        const std::string who
            = endpoint.host == cupsServer() ? serverLabel() : "the " + endpoint.label;
        throw PrinterError("Cannot reach " + who + ": " + connectFailure(endpoint));
    }
    return HttpConnection(http);
}

IppMessage newPrinterRequest(ipp_op_t operation, const IppEndpoint &endpoint)
{
    IppMessage request(ippNewRequest(operation));
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
        endpoint.printerUri.c_str());
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
        cupsUser());
    return request;
}

IppMessage doRequest(
    http_t *http, IppMessage request, const IppEndpoint &endpoint, const std::string &what)
{
    IppMessage response(cupsDoRequest(http, request.release(), endpoint.resource.c_str()));
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        throw PrinterError("The " + endpoint.label + " " + what + ": " + lastIppError());
    return response;
}

std::string lastIppError()
{
    const char *text = cupsLastErrorString();
    return text && *text ? text : ippErrorString(cupsLastError());
}

} // namespace Zanto::Platform

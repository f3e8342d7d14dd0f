// Reaching a printer over IPP: a queue of the CUPS scheduler, or an IPP
// printer addressed directly by its URI.
#pragma once

#include <cups/cups.h>

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

// The scheduler itself (the connection for listing and looking up queues).
HttpConnection connectToServer();
HttpConnection connectTo(const IppEndpoint &endpoint);

// A request with the attributes every printer operation carries.
IppMessage newPrinterRequest(ipp_op_t operation, const IppEndpoint &endpoint);

// Sends request and returns the answer; raises PrinterError with what, the
// printer's label and the server's reason when the answer is an error.
IppMessage doRequest(
    http_t *http, IppMessage request, const IppEndpoint &endpoint, const std::string &what);

// The server's last error, as a reason for a message.
std::string lastIppError();

} // namespace Zanto::Platform

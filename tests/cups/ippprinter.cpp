// zanto_ipp_printer PORTFILE FORMAT[,FORMAT...]
//
// A simulated IPP printer for the tests: listens on a free TCP port of
// 127.0.0.1, writes the port number to PORTFILE, and answers
// Get-Printer-Attributes at ipp://127.0.0.1:PORT/ipp/print with the given
// document formats. It prints nothing: every other operation is answered
// with server-error-operation-not-supported. Runs until SIGTERM or SIGINT.
//
// It stands in for an IPP Everywhere printer whose formats leave raw data
// out (ippeveprinter would do, but insists on a running DNS-SD daemon).
#include <cups/cups.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

std::vector<std::string> split(const std::string &list)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string item = list.substr(start, comma - start);
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return items;
}

ipp_t *answer(ipp_t *request, const std::string &uri, const std::vector<std::string> &formats)
{
    ipp_t *response = ippNewResponse(request);
    if (ippGetOperation(request) != IPP_OP_GET_PRINTER_ATTRIBUTES) {
        ippSetStatusCode(response, IPP_STATUS_ERROR_OPERATION_NOT_SUPPORTED);
        return response;
    }
    std::vector<const char *> values;
    for (const std::string &format : formats)
        values.push_back(format.c_str());
    ippAddString(
        response, IPP_TAG_PRINTER, IPP_TAG_URI, "printer-uri-supported", nullptr, uri.c_str());
    ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, "Zanto No Raw");
    ippAddInteger(response, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
    ippAddBoolean(response, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
    ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, "document-format-default", nullptr,
        values.front());
    ippAddStrings(response, IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, "document-format-supported",
        int(values.size()), nullptr, values.data());
    const int operations[] = {IPP_OP_GET_PRINTER_ATTRIBUTES};
    ippAddIntegers(response, IPP_TAG_PRINTER, IPP_TAG_ENUM, "operations-supported", 1, operations);
    return response;
}

// Serves the requests of one connection until it closes.
void serve(http_t *http, const std::string &uri, const std::vector<std::string> &formats)
{
    while (!stopRequested && httpWait(http, 30000)) {
        char resource[HTTP_MAX_URI];
        http_state_t state;
        while ((state = httpReadRequest(http, resource, sizeof resource)) == HTTP_STATE_WAITING)
            usleep(1000);
        if (state == HTTP_STATE_ERROR)
            return;
        http_status_t status;
        while ((status = httpUpdate(http)) == HTTP_STATUS_CONTINUE) { }
        if (status != HTTP_STATUS_OK || state != HTTP_STATE_POST
            || std::strcmp(httpGetField(http, HTTP_FIELD_CONTENT_TYPE), "application/ipp") != 0) {
            httpSetField(http, HTTP_FIELD_CONTENT_LENGTH, "0");
            httpWriteResponse(http, HTTP_STATUS_BAD_REQUEST);
            return;
        }
        if (httpGetExpect(http) == HTTP_STATUS_CONTINUE)
            httpWriteResponse(http, HTTP_STATUS_CONTINUE);

        ipp_t *request = ippNew();
        ipp_state_t ippState;
        while ((ippState = ippRead(http, request)) != IPP_STATE_DATA) {
            if (ippState == IPP_STATE_ERROR) {
                ippDelete(request);
                return;
            }
        }
        if (httpGetState(http) != HTTP_STATE_POST_SEND)
            httpFlush(http); // a document that came along is not printed
        ipp_t *response = answer(request, uri, formats);
        ippDelete(request);

        httpClearFields(http);
        httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/ipp");
        httpSetLength(http, ippLength(response));
        if (httpWriteResponse(http, HTTP_STATUS_OK) < 0) {
            ippDelete(response);
            return;
        }
        ippSetState(response, IPP_STATE_IDLE);
        while ((ippState = ippWrite(http, response)) != IPP_STATE_DATA) {
            if (ippState == IPP_STATE_ERROR)
                break;
        }
        ippDelete(response);
        if (ippState == IPP_STATE_ERROR || httpFlushWrite(http) < 0)
            return;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORTFILE FORMAT[,FORMAT...]\n", argv[0]);
        return 2;
    }
    const std::vector<std::string> formats = split(argv[2]);
    if (formats.empty()) {
        std::fprintf(stderr, "no document formats given\n");
        return 2;
    }

    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address)
        || ::listen(listener, 16)
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length)) {
        std::perror("listen on 127.0.0.1");
        return 1;
    }
    const int port = ntohs(address.sin_port);
    const std::string uri = "ipp://127.0.0.1:" + std::to_string(port) + "/ipp/print";

    const std::string portFile = argv[1];
    FILE *out = std::fopen((portFile + ".part").c_str(), "w");
    if (!out || std::fprintf(out, "%d\n", port) < 0 || std::fclose(out) != 0
        || std::rename((portFile + ".part").c_str(), portFile.c_str()) != 0) {
        std::perror(portFile.c_str());
        return 1;
    }

    while (!stopRequested) {
        http_t *http = httpAcceptConnection(listener, 1);
        if (!http)
            continue;
        serve(http, uri, formats);
        httpClose(http);
    }
    ::close(listener);
    return 0;
}

// zanto_ipp_printer PORTFILE FORMAT[,FORMAT...] [--pause-while-printing]
//
// A simulated IPP printer for the tests: listens on a free TCP port of
// 127.0.0.1, writes the port number to PORTFILE, and answers
// Get-Printer-Attributes at ipp://127.0.0.1:PORT/ipp/print with the given
// document formats. It prints nothing: every other operation is answered
// with server-error-operation-not-supported. Runs until SIGTERM or SIGINT.
//
// With --pause-while-printing it takes jobs (Create-Job, Send-Document,
// Get-Job-Attributes) and is paused by its operator as soon as a job's
// document has come: the printer stays stopped (paused) and the job
// processing-stopped, as a network printer paused mid-job reports them.
//
// It stands in for an IPP Everywhere printer whose formats leave raw data
// out (ippeveprinter would do, but insists on a running DNS-SD daemon).
#include <cups/cups.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <set>
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

struct PrinterState
{
    std::string uri;
    std::vector<std::string> formats;
    bool takesJobs = false;
    bool paused = false;
    int lastJobId = 0;
    std::set<int> cancelled;
};

void describePrinter(ipp_t *response, const PrinterState &printer)
{
    std::vector<const char *> values;
    for (const std::string &format : printer.formats)
        values.push_back(format.c_str());
    ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_URI, "printer-uri-supported", nullptr,
        printer.uri.c_str());
    ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr,
        printer.takesJobs ? "Zanto Paused Mid-Job" : "Zanto No Raw");
    ippAddInteger(response, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state",
        printer.paused ? IPP_PSTATE_STOPPED : IPP_PSTATE_IDLE);
    ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "printer-state-reasons", nullptr,
        printer.paused ? "paused" : "none");
    ippAddBoolean(response, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
    ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, "document-format-default", nullptr,
        values.front());
    ippAddStrings(response, IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, "document-format-supported",
        int(values.size()), nullptr, values.data());
    std::vector<int> operations {IPP_OP_GET_PRINTER_ATTRIBUTES};
    if (printer.takesJobs)
        operations.insert(operations.end(),
            {IPP_OP_CREATE_JOB, IPP_OP_SEND_DOCUMENT, IPP_OP_GET_JOB_ATTRIBUTES,
                IPP_OP_CANCEL_JOB});
    ippAddIntegers(response, IPP_TAG_PRINTER, IPP_TAG_ENUM, "operations-supported",
        int(operations.size()), operations.data());
}

// A job taken by the printer: pending until its document has come, then
// stopped with the printer, until it is cancelled.
void describeJob(ipp_t *response, const PrinterState &printer, int id, bool documentCame)
{
    if (printer.cancelled.count(id) != 0) {
        ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", id);
        ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_CANCELED);
        ippAddString(response, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-state-reasons", nullptr,
            "job-canceled-by-user");
        return;
    }
    ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", id);
    ippAddString(response, IPP_TAG_JOB, IPP_TAG_URI, "job-uri", nullptr,
        (printer.uri + '/' + std::to_string(id)).c_str());
    ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state",
        documentCame ? IPP_JSTATE_STOPPED : IPP_JSTATE_PENDING);
    ippAddString(response, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-state-reasons", nullptr,
        documentCame ? "printer-stopped" : "none");
}

ipp_t *answer(ipp_t *request, PrinterState &printer)
{
    ipp_t *response = ippNewResponse(request);
    const ipp_op_t operation = ippGetOperation(request);
    const int jobId = ippGetInteger(ippFindAttribute(request, "job-id", IPP_TAG_INTEGER), 0);
    if (operation == IPP_OP_GET_PRINTER_ATTRIBUTES) {
        describePrinter(response, printer);
    } else if (!printer.takesJobs
        || (operation != IPP_OP_CREATE_JOB && operation != IPP_OP_SEND_DOCUMENT
            && operation != IPP_OP_GET_JOB_ATTRIBUTES && operation != IPP_OP_CANCEL_JOB)) {
        ippSetStatusCode(response, IPP_STATUS_ERROR_OPERATION_NOT_SUPPORTED);
    } else if (operation == IPP_OP_CREATE_JOB) {
        describeJob(response, printer, ++printer.lastJobId, false);
    } else if (jobId <= 0 || jobId > printer.lastJobId) {
        ippSetStatusCode(response, IPP_STATUS_ERROR_NOT_FOUND);
    } else {
        if (operation == IPP_OP_SEND_DOCUMENT)
            printer.paused = true;
        if (operation == IPP_OP_CANCEL_JOB)
            printer.cancelled.insert(jobId);
        describeJob(response, printer, jobId, printer.paused);
    }
    return response;
}

// Serves the requests of one connection until it closes.
void serve(http_t *http, PrinterState &printer)
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
        ipp_t *response = answer(request, printer);
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
    const bool pauseWhilePrinting
        = argc == 4 && std::strcmp(argv[3], "--pause-while-printing") == 0;
    if (argc != 3 && !pauseWhilePrinting) {
        std::fprintf(
            stderr, "usage: %s PORTFILE FORMAT[,FORMAT...] [--pause-while-printing]\n", argv[0]);
        return 2;
    }
    PrinterState printer;
    printer.formats = split(argv[2]);
    printer.takesJobs = pauseWhilePrinting;
    if (printer.formats.empty()) {
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
    printer.uri = "ipp://127.0.0.1:" + std::to_string(port) + "/ipp/print";

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
        serve(http, printer);
        httpClose(http);
    }
    ::close(listener);
    return 0;
}

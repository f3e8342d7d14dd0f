#include <zantoquiller/platform/printer.h>

#include "ippendpoint.h"
#include "rawjob.h"

#include <cstring>
#include <optional>

namespace Zanto::Platform {

namespace {

struct DestsDeleter
{
    int count = 0;
    void operator()(cups_dest_t *dests) const { cupsFreeDests(count, dests); }
};
using DestList = std::unique_ptr<cups_dest_t, DestsDeleter>;

bool answeredNotFound()
{
    const ipp_status_t status = cupsLastError();
    return status <= IPP_STATUS_OK_CONFLICTING || status == IPP_STATUS_ERROR_NOT_FOUND;
}

[[noreturn]] void throwServerError(const std::string &what)
{
    throw PrinterError("The print server " + schedulerName() + " " + what + ": " + lastIppError(),
        lastIppErrorKind());
}

ServerConnection connectToServer(std::chrono::milliseconds timeout)
{
    return ServerConnection(queueEndpoint({}), timeout);
}

// The default destination, or nothing.
DestList defaultDest(ServerConnection &http)
{
    http.startExchange();
    cups_dest_t *dest = cupsGetNamedDest(http.get(), nullptr, nullptr);
    http.endExchange();
    if (!dest) {
        http.throwIfGaveUp();
        if (!answeredNotFound())
            throwServerError("did not answer");
    }
    return DestList(dest, DestsDeleter {dest ? 1 : 0});
}

// The device URI of the queue called name (empty when the server does not
// tell it), or nothing when there is no such queue. Asked of the queue itself:
// looking a missing name up with libcups would go on to search the network
// on a connection of its own, which no time-out of ours bounds.
std::optional<std::string> queueDeviceUri(ServerConnection &http, const std::string &name)
{
    const IppEndpoint endpoint = queueEndpoint(name);
    IppMessage request = newPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, endpoint);
    const char *wanted[] = {"device-uri"};
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1,
        nullptr, wanted);
    const IppMessage answer = exchange(http, std::move(request), endpoint.resource);
    if (!answer)
        http.throwIfGaveUp();
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
        return std::nullopt;
    if (!answer || cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        throwServerError("did not answer");
    const char *uri
        = ippGetString(ippFindAttribute(answer.get(), "device-uri", IPP_TAG_URI), 0, nullptr);
    return uri ? uri : std::string {};
}

std::string option(const cups_dest_t &dest, const char *name)
{
    const char *value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : std::string {};
}

IppMessage documentFormatsRequest(const IppEndpoint &endpoint)
{
    IppMessage request = newPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, endpoint);
    const char *wanted[] = {"document-format-supported"};
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1,
        nullptr, wanted);
    return request;
}

bool takesRawData(const IppMessage &answer)
{
    ipp_attribute_t *formats
        = ippFindAttribute(answer.get(), "document-format-supported", IPP_TAG_MIMETYPE);
    for (int i = 0; i < ippGetCount(formats); ++i) {
        if (std::strcmp(ippGetString(formats, i, nullptr), CUPS_FORMAT_RAW) == 0)
            return true;
    }
    return false;
}

bool acceptsRawAt(ServerConnection &http, const IppEndpoint &endpoint)
{
    return takesRawData(doRequest(http, documentFormatsRequest(endpoint), endpoint,
        "cannot be asked for its document formats"));
}

// Whether the queue called name takes raw data, or nothing when the server no
// longer knows it: removed since the server listed it.
std::optional<bool> listedQueueAcceptsRaw(ServerConnection &http, const std::string &name)
{
    const IppEndpoint endpoint = queueEndpoint(name);
    http.startExchange();
    const IppMessage answer(cupsDoRequest(
        http.get(), documentFormatsRequest(endpoint).release(), endpoint.resource.c_str()));
    if (!answer)
        http.throwIfGaveUp();
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
        return std::nullopt;
    if (!answer || cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        throw PrinterError("The " + endpoint.label
                + " cannot be asked for its document formats: " + lastIppError(),
            lastIppErrorKind());
    return takesRawData(answer);
}

} // namespace

Printer::Printer() = default;
Printer::~Printer() = default;

void Printer::setTimeout(Milliseconds timeout)
{
    m_timeout = timeout.count() > 0 ? timeout : DefaultTimeout;
}

std::vector<Destination> Printer::destinations(Milliseconds timeout) const
{
    timeout = budget(timeout);
    ServerConnection http = connectToServer(timeout);
    cups_dest_t *raw = nullptr;
    http.startExchange();
    const int count = cupsGetDests2(http.get(), &raw);
    http.endExchange();
    const DestList dests(raw, DestsDeleter {count});
    if (count == 0) {
        http.throwIfGaveUp();
        if (!answeredNotFound())
            throwServerError("did not list its printers");
    }

    const std::string current = m_selected.empty() ? std::string {} : currentName(timeout);
    std::vector<Destination> result;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t &dest = raw[i];
        if (dest.instance)
            continue; // an lpoptions instance of a queue listed already
        Destination entry;
        entry.name = dest.name;
        entry.deviceUri = option(dest, "device-uri");
        entry.isDefault = dest.is_default != 0;
        entry.isCurrent = m_selected.empty() ? entry.isDefault : entry.name == current;
        const std::optional<bool> acceptsRaw = listedQueueAcceptsRaw(http, entry.name);
        if (!acceptsRaw)
            continue; // removed while the list was made
        entry.acceptsRaw = *acceptsRaw;
        result.push_back(std::move(entry));
    }
    if (isIppUri(m_selected)) {
        Destination entry;
        entry.name = entry.deviceUri = m_selected;
        entry.isCurrent = true;
        entry.acceptsRaw = acceptsRaw(timeout);
        result.push_back(std::move(entry));
    }
    return result;
}

std::string Printer::currentName(Milliseconds timeout) const
{
    if (!m_selected.empty())
        return m_selected;
    ServerConnection http = connectToServer(budget(timeout));
    const DestList dest = defaultDest(http);
    if (!dest)
        throw PrinterError("There is no default printer currently selected", ErrorKind::NotFound);
    return dest->name;
}

void Printer::check(const std::string &name, Milliseconds timeout) const
{
    if (name.empty())
        throw PrinterError("No printer name given", ErrorKind::Usage);
    if (isIppUri(name)) {
        const IppEndpoint endpoint = directEndpoint(name);
        ServerConnection http(endpoint, budget(timeout));
        IppMessage request = newPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, endpoint);
        doRequest(http, std::move(request), endpoint, "does not answer");
    } else {
        ServerConnection http = connectToServer(budget(timeout));
        if (!queueDeviceUri(http, name))
            throw PrinterError(
                "There is no printer named '" + name + "' on the print server " + schedulerName(),
                ErrorKind::NotFound);
    }
}

void Printer::select(const std::string &name, Milliseconds timeout)
{
    check(name, timeout);
    m_selected = name;
}

void Printer::selectDefault()
{
    m_selected.clear();
}

std::string Printer::portName(Milliseconds timeout) const
{
    return portNameOf({}, timeout);
}

std::string Printer::portNameOf(const std::string &queue, Milliseconds timeout) const
{
    timeout = budget(timeout);
    const std::string name = queue.empty() ? currentName(timeout) : queue;
    if (isIppUri(name))
        return name;
    ServerConnection http = connectToServer(timeout);
    const std::optional<std::string> uri = queueDeviceUri(http, name);
    if (!uri)
        throw PrinterError("The printer '" + name + "' no longer exists", ErrorKind::NotFound);
    if (uri->empty())
        throw PrinterError("The print server does not tell the port of printer '" + name + "'",
            ErrorKind::Protocol);
    return *uri;
}

bool Printer::acceptsRaw(Milliseconds timeout) const
{
    return acceptsRawOn({}, timeout);
}

bool Printer::acceptsRawOn(const std::string &queue, Milliseconds timeout) const
{
    timeout = budget(timeout);
    const IppEndpoint endpoint = endpointFor(queue.empty() ? currentName(timeout) : queue);
    ServerConnection http(endpoint, timeout);
    return acceptsRawAt(http, endpoint);
}

void Printer::beginDoc(const std::string &title, Milliseconds timeout)
{
    beginDocOn({}, title, timeout);
}

void Printer::beginDocOn(const std::string &queue, const std::string &title, Milliseconds timeout)
{
    if (m_job)
        throw PrinterError("A print job is already in progress on this printer", ErrorKind::Usage);
    timeout = budget(timeout);
    const std::string name = queue.empty() ? currentName(timeout) : queue;
    m_job = std::make_unique<RawJob>(
        endpointFor(name), m_jobTitle.empty() ? title : m_jobTitle, m_jobCopies, timeout);
    m_lastJobId = m_job->id();
    m_lastJobQueue = name;
}

void Printer::write(const char *data, std::size_t size)
{
    if (!m_job)
        throw PrinterError("No print job has been started", ErrorKind::Usage);
    try {
        m_job->write(data, size);
    } catch (...) {
        m_job.reset();
        throw;
    }
}

void Printer::newPage()
{
    write("\f", 1);
}

void Printer::endDoc()
{
    if (!m_job)
        throw PrinterError("No print job has been started", ErrorKind::Usage);
    const std::unique_ptr<RawJob> job = std::move(m_job);
    job->finish();
}

void Printer::abortDoc() noexcept
{
    if (m_job) {
        m_job->cancel();
        m_job.reset();
    }
}

Printer &printer()
{
    static Printer object;
    return object;
}

} // namespace Zanto::Platform

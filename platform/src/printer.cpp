#include <zantoquiller/platform/printer.h>

#include "ippendpoint.h"
#include "rawjob.h"

#include <cstring>

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
    throw PrinterError(
        std::string("The print server ") + cupsServer() + " " + what + ": " + lastIppError());
}

// The queue called name (nullptr: the default destination), or nothing.
DestList namedDest(http_t *http, const char *name)
{
    cups_dest_t *dest = cupsGetNamedDest(http, name, nullptr);
    if (!dest && !answeredNotFound())
        throwServerError("did not answer");
    return DestList(dest, DestsDeleter {dest ? 1 : 0});
}

std::string option(const cups_dest_t &dest, const char *name)
{
    const char *value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : std::string {};
}

bool acceptsRawAt(http_t *http, const IppEndpoint &endpoint)
{
    IppMessage request = newPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, endpoint);
    const char *wanted[] = {"document-format-supported"};
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1,
        nullptr, wanted);
    const IppMessage answer
        = doRequest(http, std::move(request), endpoint, "cannot be asked for its document formats");
    ipp_attribute_t *formats
        = ippFindAttribute(answer.get(), "document-format-supported", IPP_TAG_MIMETYPE);
    for (int i = 0; i < ippGetCount(formats); ++i) {
        if (std::strcmp(ippGetString(formats, i, nullptr), CUPS_FORMAT_RAW) == 0)
            return true;
    }
    return false;
}

} // namespace

Printer::Printer() = default;
Printer::~Printer() = default;

std::vector<Destination> Printer::destinations() const
{
    const HttpConnection http = connectToServer();
    cups_dest_t *raw = nullptr;
    const int count = cupsGetDests2(http.get(), &raw);
    const DestList dests(raw, DestsDeleter {count});
    if (count == 0 && !answeredNotFound())
        throwServerError("did not list its printers");

    const std::string current = m_selected.empty() ? std::string {} : currentName();
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
        entry.acceptsRaw = acceptsRawAt(http.get(), queueEndpoint(entry.name));
        result.push_back(std::move(entry));
    }
    if (isIppUri(m_selected)) {
        Destination entry;
        entry.name = entry.deviceUri = m_selected;
        entry.isCurrent = true;
        entry.acceptsRaw = acceptsRaw();
        result.push_back(std::move(entry));
    }
    return result;
}

std::string Printer::currentName() const
{
    if (!m_selected.empty())
        return m_selected;
    const HttpConnection http = connectToServer();
    const DestList dest = namedDest(http.get(), nullptr);
    if (!dest)
        throw PrinterError("There is no default printer currently selected");
    return dest->name;
}

void Printer::select(const std::string &name)
{
    if (name.empty())
        throw PrinterError("No printer name given");
    if (isIppUri(name)) {
        const IppEndpoint endpoint = directEndpoint(name);
        const HttpConnection http = connectTo(endpoint);
        IppMessage request = newPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, endpoint);
        doRequest(http.get(), std::move(request), endpoint, "does not answer");
    } else {
        const HttpConnection http = connectToServer();
        if (!namedDest(http.get(), name.c_str()))
            throw PrinterError(
                "There is no printer named '" + name + "' on the print server " + cupsServer());
    }
    m_selected = name;
}

void Printer::selectDefault()
{
    m_selected.clear();
}

std::string Printer::portName() const
{
    const std::string name = currentName();
    if (isIppUri(name))
        return name;
    const HttpConnection http = connectToServer();
    const DestList dest = namedDest(http.get(), name.c_str());
    if (!dest)
        throw PrinterError("The printer '" + name + "' no longer exists");
    const std::string uri = option(*dest, "device-uri");
    if (uri.empty())
        throw PrinterError("The print server does not tell the port of printer '" + name + "'");
    return uri;
}

bool Printer::acceptsRaw() const
{
    const IppEndpoint endpoint = endpointFor(currentName());
    const HttpConnection http = connectTo(endpoint);
    return acceptsRawAt(http.get(), endpoint);
}

void Printer::beginDoc(const std::string &title)
{
    if (m_job)
        throw PrinterError("A print job is already in progress on this printer");
    m_job = std::make_unique<RawJob>(endpointFor(currentName()), title);
    m_lastJobId = m_job->id();
}

void Printer::write(const char *data, std::size_t size)
{
    if (!m_job)
        throw PrinterError("No print job has been started");
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
        throw PrinterError("No print job has been started");
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

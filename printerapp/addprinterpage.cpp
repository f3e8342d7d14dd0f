#include "addprinterpage.h"

#include "dnssdprobe.h"
#include "profiledrivers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace ZantoApp {

namespace {

struct FormValues
{
    std::string name;
    std::string device; // as chosen: a URI, "socket", or URI|device id
    std::string hostname;
    std::string driver;
};

struct Listing
{
    pappl_client_t *client;
    const std::string *chosen;
};

// One <option> per device found: its URI (with the IEEE 1284 device id
// after '|', as PAPPL's page sends it) and its description.
bool listDevice(const char *info, const char *uri, const char *id, void *data)
{
    const auto *listing = static_cast<const Listing *>(data);
    const std::string value = std::string(uri) + (id && *id ? std::string("|") + id : "");
    papplClientHTMLPrintf(listing->client, "<option value=\"%s\"%s>%s</option>", value.c_str(),
        value == *listing->chosen ? " selected" : "", info);
    return false; // all of them
}

const char *text(pappl_client_t *client, const char *key)
{
    return papplClientGetLocString(client, key);
}

// socket://HOST[:PORT] of the form's host name field; the reason when it
// names no host.
const char *socketUri(const std::string &field, std::string &uri)
{
    std::string host = field;
    int port = 0;
    const std::size_t colon = host.rfind(':');
    // "host:port", but not the colons of a bare IPv6 address.
    if (colon != std::string::npos && host.find(':') == colon) {
        char *end = nullptr;
        errno = 0;
        const long value = std::strtol(host.c_str() + colon + 1, &end, 10);
        if (errno || *end || value <= 0 || value > 65535)
            return "Bad port number.";
        port = int(value);
        host.erase(colon);
    }
    if (host.empty())
        return "Please enter a hostname or IP address for the printer.";
    http_addrlist_t *addresses = httpAddrGetList(host.c_str(), AF_UNSPEC, "9100");
    if (!addresses)
        return "Unable to lookup address.";
    httpAddrFreeList(addresses);
    char assembled[1024];
    httpAssembleURI(HTTP_URI_CODING_ALL, assembled, sizeof assembled, "socket", nullptr,
        host.c_str(), port, "/");
    uri = assembled;
    return nullptr;
}

// Adds the printer the form describes; the reason when it cannot be added.
const char *addPrinter(pappl_client_t *client, const FormValues &form, pappl_printer_t *&added)
{
    if (form.name.empty())
        return "Please enter a printer name.";
    std::string uri = form.device;
    std::string deviceId;
    if (const std::size_t bar = uri.find('|'); bar != std::string::npos) {
        deviceId = uri.substr(bar + 1);
        uri.erase(bar);
    }
    if (uri == "socket") {
        if (const char *reason = socketUri(form.hostname, uri))
            return reason;
    }
    if (uri.empty())
        return "Please select a device.";
    if (form.driver.empty())
        return "Please select a driver.";
    added = papplPrinterCreate(papplClientGetSystem(client), 0, form.name.c_str(),
        form.driver.c_str(), deviceId.empty() ? nullptr : deviceId.c_str(), uri.c_str());
    if (added) {
        // Advertised as PAPPL's own page does, where there is Avahi to
        // advertise through.
        if (dnssdAvailable()) {
            char name[256];
            papplPrinterSetDNSSDName(
                added, papplPrinterGetDNSSDName(added, name, sizeof name) ? name : nullptr);
        }
        return nullptr;
    }
    switch (errno) {
    case EEXIST:
        return "A printer with that name already exists.";
    case EIO:
        return "Unable to use that driver.";
    case EINVAL:
        return "Printer names must start with a letter or underscore and cannot contain special "
               "characters.";
    default:
        return "Unable to add the printer.";
    }
}

void showForm(pappl_client_t *client, const FormValues &form, const char *status)
{
    if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, "text/html", 0, 0))
        return;
    papplClientHTMLHeader(client, text(client, "Add Printer"), 0);
    papplClientHTMLPrintf(client,
        "    <div class=\"content\">\n"
        "      <div class=\"row\">\n"
        "        <div class=\"col-12\">\n"
        "          <h1 class=\"title\">%s</h1>\n",
        text(client, "Add Printer"));
    if (status)
        papplClientHTMLPrintf(client, "<div class=\"banner\">%s</div>\n", text(client, status));
    papplClientHTMLStartForm(client, papplClientGetURI(client), false);
    papplClientHTMLPrintf(client,
        "          <table class=\"form\">\n"
        "            <tbody>\n"
        "              <tr><th><label for=\"printer_name\">%s:</label></th><td><input "
        "type=\"text\" name=\"printer_name\" id=\"printer_name\" placeholder=\"%s\" value=\"%s\" "
        "required></td></tr>\n"
        "              <tr><th><label for=\"device_uri\">%s:</label></th><td><select "
        "name=\"device_uri\" id=\"device_uri\"><option value=\"\">%s</option>",
        text(client, "Name"), text(client, "Name of printer"), form.name.c_str(),
        text(client, "Device"), text(client, "Select Device"));
    // USB, the ports and network printers; DNS-SD only where Avahi answers.
    Listing listing {client, &form.device};
    papplDeviceList(
        listableDeviceTypes(), listDevice, &listing, papplLogDevice, papplClientGetSystem(client));
    papplClientHTMLPrintf(client,
        "<option value=\"socket\"%s>%s</option></select></td></tr>\n"
        "              <tr><th><label for=\"hostname\">%s:</label></th><td><input "
        "type=\"text\" name=\"hostname\" id=\"hostname\" placeholder=\"%s\" value=\"%s\"%s>"
        "</td></tr>\n"
        "              <tr><th><label for=\"driver_name\">%s:</label></th><td><select "
        "name=\"driver_name\" id=\"driver_name\" required><option value=\"\">%s</option>",
        form.device == "socket" ? " selected" : "", text(client, "Network Printer"),
        text(client, "Hostname/IP Address"), text(client, "IP address or hostname"),
        form.hostname.c_str(), form.device == "socket" ? " required" : " disabled",
        text(client, "Driver Name"), text(client, "Select Driver"));
    for (const pappl_pr_driver_t &driver : profileDrivers())
        papplClientHTMLPrintf(client, "<option value=\"%s\"%s>%s</option>", driver.name,
            form.driver == driver.name ? " selected" : "", driver.description);
    papplClientHTMLPrintf(client,
        "</select></td></tr>\n"
        "              <tr><th></th><td><input type=\"submit\" value=\"%s\"></td></tr>\n"
        "            </tbody>\n"
        "          </table>\n"
        "          </form>\n"
        "          <script>document.forms['form']['device_uri'].onchange = function () {\n"
        "  const host = document.forms['form']['hostname'];\n"
        "  host.disabled = this.value != 'socket';\n"
        "  host.required = this.value == 'socket';\n"
        "}</script>\n"
        "        </div>\n"
        "      </div>\n"
        "    </div>\n",
        text(client, "Add Printer"));
    papplClientHTMLFooter(client);
}

bool addPrinterPage(pappl_client_t *client, void *)
{
    if (!papplClientHTMLAuthorize(client))
        return true;
    FormValues values;
    const char *status = nullptr;
    if (papplClientGetMethod(client) == HTTP_STATE_POST) {
        cups_option_t *form = nullptr;
        const int count = papplClientGetForm(client, &form);
        if (count == 0) {
            status = "Invalid form data.";
        } else if (!papplClientIsValidForm(client, count, form)) {
            status = "Invalid form submission.";
        } else {
            auto field = [&](const char *name) {
                const char *value = cupsGetOption(name, count, form);
                return std::string(value ? value : "");
            };
            values = {field("printer_name"), field("device_uri"), field("hostname"),
                field("driver_name")};
            pappl_printer_t *added = nullptr;
            status = addPrinter(client, values, added);
            if (added) {
                cupsFreeOptions(count, form);
                char path[1024];
                papplClientRespondRedirect(client, HTTP_STATUS_FOUND,
                    papplPrinterGetPath(added, nullptr, path, sizeof path));
                return true;
            }
        }
        cupsFreeOptions(count, form);
    }
    showForm(client, values, status);
    return true;
}

} // namespace

void addAddPrinterPage(pappl_system_t *system)
{
    papplSystemAddResourceCallback(system, "/addprinter", "text/html", addPrinterPage, nullptr);
}

} // namespace ZantoApp

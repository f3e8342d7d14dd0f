#include "deviceschemes.h"

#include <zantoquiller/platform/outputdevice.h>

#include <QByteArray>
#include <QDir>
#include <QStringList>

#include <chrono>
#include <cstring>
#include <exception>
#include <mutex>
#include <set>

namespace ZantoApp {

namespace {

using namespace std::chrono_literals;
using Zanto::Platform::OutputDevice;

// How long a device may take no data before the job fails: a printer out
// of paper holds a parallel or serial port that long.
constexpr std::chrono::milliseconds WriteTimeout = 5min;
constexpr std::chrono::milliseconds OpenTimeout = 30s;

const char *const schemes[] {"file", "serial", "parallel"};

struct OpenDevice
{
    OutputDevice output;
    std::string failure; // of the last write; empty while all went well
};

// The devices open through these schemes: PAPPL's own devices keep other
// data, which is never one of them.
std::mutex liveGuard;
std::set<const OpenDevice *> live;

const OpenDevice *openDevice(pappl_device_t *device)
{
    const auto *open = static_cast<const OpenDevice *>(papplDeviceGetData(device));
    const std::lock_guard lock(liveGuard);
    return live.contains(open) ? open : nullptr;
}

bool openUri(pappl_device_t *device, const char *uri, const char *)
{
    try {
        auto *open = new OpenDevice {
            OutputDevice::open(uri, Zanto::Platform::OpenMode::Create, OpenTimeout), {}};
        papplDeviceSetData(device, open);
        const std::lock_guard lock(liveGuard);
        live.insert(open);
        return true;
    } catch (const std::exception &error) {
        papplDeviceError(device, "%s", error.what());
        return false;
    }
}

void closeUri(pappl_device_t *device)
{
    auto *open = static_cast<OpenDevice *>(papplDeviceGetData(device));
    if (!open)
        return;
    try {
        open->output.finish(WriteTimeout);
        open->output.close();
    } catch (const std::exception &error) {
        open->output.abort();
        papplDeviceError(device, "%s", error.what());
    }
    papplDeviceSetData(device, nullptr);
    {
        const std::lock_guard lock(liveGuard);
        live.erase(open);
    }
    delete open;
}

ssize_t readUri(pappl_device_t *, void *, size_t)
{
    return -1; // these devices tell nothing back
}

ssize_t writeUri(pappl_device_t *device, const void *buffer, size_t bytes)
{
    auto *open = static_cast<OpenDevice *>(papplDeviceGetData(device));
    if (!open) {
        // PAPPL 1.3 may run two jobs of a printer at once when one is
        // canceled as the next arrives; the one that ends first closes the
        // device under the other.
        papplDeviceError(device, "the device was closed under the job");
        return -1;
    }
    try {
        open->output.write(static_cast<const char *>(buffer), bytes, WriteTimeout);
        return ssize_t(bytes);
    } catch (const std::exception &error) {
        open->failure = error.what();
        papplDeviceError(device, "%s", error.what());
        return -1;
    }
}

pappl_preason_t statusOfUri(pappl_device_t *)
{
    return PAPPL_PREASON_NONE;
}

// The ports of /dev whose names match patterns, each as scheme:/dev/NAME;
// true when cb asked to stop.
bool listPorts(const char *scheme, const QStringList &patterns, const char *kind,
    pappl_device_cb_t cb, void *data)
{
    const QDir devices(QStringLiteral("/dev"));
    for (const QString &name : devices.entryList(patterns, QDir::System, QDir::Name)) {
        const QByteArray path = devices.filePath(name).toLocal8Bit();
        const QByteArray uri = QByteArray(scheme) + ':' + path;
        const QByteArray info = QByteArray(kind) + ' ' + path;
        if (cb(info.constData(), uri.constData(), "", data))
            return true;
    }
    return false;
}

// USB and PCI serial adapters; the motherboard's ttyS ports are there
// whether or not a UART is, so they are named by URI only.
bool listSerial(pappl_device_cb_t cb, void *data, pappl_deverror_cb_t, void *)
{
    return listPorts(
        "serial", {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")}, "Serial port", cb, data);
}

bool listParallel(pappl_device_cb_t cb, void *data, pappl_deverror_cb_t, void *)
{
    return listPorts("parallel", {QStringLiteral("lp[0-9]*")}, "Parallel port", cb, data);
}

bool listNone(pappl_device_cb_t, void *, pappl_deverror_cb_t, void *)
{
    return false; // files are named, not found
}

} // namespace

} // namespace ZantoApp

// PAPPL 1.3 adds its own schemes (file, socket, dnssd, snmp, usb) only to a
// scheme list it makes itself, and finds the first scheme of a name. To have
// file: written here, these schemes go in first and PAPPL's network and USB
// schemes after them, by the functions PAPPL itself adds them with; its
// file scheme is left out. PAPPL has no public call for either.
extern "C" {
void _papplDeviceAddNetworkSchemes(void);
void _papplDeviceAddUSBScheme(void);
}

namespace ZantoApp {

void addDeviceSchemes()
{
    for (const char *scheme : schemes) {
        const bool file = std::strcmp(scheme, "file") == 0;
        const pappl_devlist_cb_t list = file     ? listNone
            : std::strcmp(scheme, "serial") == 0 ? listSerial
                                                 : listParallel;
        papplDeviceAddScheme(scheme, file ? PAPPL_DEVTYPE_FILE : PAPPL_DEVTYPE_CUSTOM_LOCAL, list,
            openUri, closeUri, readUri, writeUri, statusOfUri, nullptr);
    }
    _papplDeviceAddNetworkSchemes();
    _papplDeviceAddUSBScheme();
}

std::optional<std::string> deviceFailure(pappl_device_t *device)
{
    const OpenDevice *open = openDevice(device);
    if (!open || open->failure.empty())
        return std::nullopt;
    return open->failure;
}

} // namespace ZantoApp

// What a device name stands for: a mapped device, a device URI of the CUPS
// form, a TCP printer or an ordinary path.
#pragma once

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/failure.h>

#include <optional>
#include <string>

namespace Zanto::Platform {

// A device or file that cannot be opened or written. what() is the operating
// system's reason, naming the device: "/dev/usb/lp0: Permission denied".
class DeviceError : public Error
{
public:
    using Error::Error;
};

// Line settings of a serial device URI, e.g.
// serial:/dev/ttyS0?baud=9600+bits=8+parity=none+flow=soft+stop=1.
// Settings that the URI leaves out keep the device's own value.
struct SerialSettings
{
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class Flow { None, Soft, Hard };

    std::optional<unsigned> baud;
    std::optional<int> bits;
    std::optional<Parity> parity;
    std::optional<Flow> flow;
    std::optional<int> stopBits;
};

struct DeviceTarget
{
    enum class Kind {
        File, // an ordinary path or a file: URI; created when opened for printing
        Device, // a mapped device name or a parallel:/serial: URI; never created
        Socket, // socket://host:port, a TCP connection
    };

    Kind kind = Kind::File;
    std::string path; // File and Device
    std::string host; // Socket
    std::string port; // Socket, "9100" unless the URI names another
    std::optional<SerialSettings> serial;

    // How the target is named in error reasons: the path, or the socket URI.
    std::string displayName() const;
};

// Resolves name through map. Raises DeviceError for an empty name, a
// malformed URI or a URI scheme that cannot be written to directly (usb:,
// ipp: and the like reach their printer only through the spooler).
DeviceTarget resolveDevice(const std::string &name, const DeviceMap &map = deviceMap());

} // namespace Zanto::Platform

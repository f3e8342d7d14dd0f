// A device or file opened for one write: the printer port, a TCP printer or a
// disk file. Opening never hangs on a device that is not ready, and a write
// delivers every byte unchanged or fails with the operating system's reason.
#pragma once

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/devicetarget.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace Zanto::Platform {

enum class OpenMode {
    Create, // a file is emptied or made; a device or a TCP printer is opened
    AppendExisting, // a file must exist and is written at its end
    // As AppendExisting, for a file that was found to be a regular file when
    // it was created for the same print: its type is not checked again.
    AppendRegularFile,
};

class OutputDevice
{
public:
    OutputDevice() = default;
    ~OutputDevice();
    OutputDevice(OutputDevice &&other) noexcept;
    OutputDevice &operator=(OutputDevice &&other) noexcept;
    OutputDevice(const OutputDevice &) = delete;
    OutputDevice &operator=(const OutputDevice &) = delete;

    // Opens name as resolveDevice() reads it. Devices are opened non-blocking,
    // so one that is not ready (no reader, no carrier, off line) fails at once
    // or later times out in write(). connectTimeout bounds the connection to
    // a TCP printer; zero leaves it to the system. Raises DeviceError.
    static OutputDevice open(const std::string &name, OpenMode mode,
        std::chrono::milliseconds connectTimeout, const DeviceMap &map = deviceMap());

    // Writes all size bytes, or raises DeviceError. timeout is the total time
    // the write may take (zero: no limit); disk files are never held up.
    // For the write a terminal is switched to raw output (and to the line
    // settings of a serial URI) and SIGPIPE is held off; both are set back
    // before write() returns or raises. A TCP printer's data stream ends with
    // the write: it returns once the printer has acknowledged every byte.
    void write(const char *data, std::size_t size, std::chrono::milliseconds timeout);

    // Releases the handle; a no-op when nothing is open.
    void close() noexcept;

    bool isOpen() const { return m_fd >= 0; }
    // A regular disk file, written without the device steps.
    bool isRegularFile() const { return m_regularFile; }
    // The path or socket URI that was opened, as error reasons name it.
    const std::string &displayName() const { return m_displayName; }

private:
    void writeRegularFile(const char *data, std::size_t size);

    int m_fd = -1;
    bool m_socket = false;
    bool m_regularFile = false;
    std::optional<SerialSettings> m_serial;
    std::string m_displayName;
};

} // namespace Zanto::Platform

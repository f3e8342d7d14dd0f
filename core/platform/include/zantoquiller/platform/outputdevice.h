// A device or file opened for output: the printer port or a disk file for one
// write, a TCP printer for the writes of one job. Opening never hangs on a device that is not
// ready, and a write delivers every byte unchanged or fails with the operating system's reason.
#pragma once

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/privateexport.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace Zanto::Platform {

class Deadline;

enum class OpenMode {
    Create, // a file is emptied or made; a device or a TCP printer is opened
    AppendExisting, // a file must exist and is written at its end
    // As AppendExisting, for a file that was found to be a regular file when
    // it was created for the same print: its type is not checked again.
    AppendRegularFile,
};

// How an idle connection to a network printer is watched: probed after
// idle, then every interval; after probes unanswered probes it fails, so a
// printer that vanished is found even by a job without a time-out. Set once
// before connections are made (it holds for those made after).
struct KeepAlive
{
    std::chrono::seconds idle {10};
    std::chrono::seconds interval {5};
    int probes = 4;
};
void setKeepAlive(const KeepAlive &timing);
KeepAlive keepAlive();

// Called when a write or the end of a job has waited a whole time-out for a
// network printer that is there but takes no data (a closed window), with
// the printer's name; again after each further time-out. Set by the program,
// for example to tell someone watching; none by default. It may be called on
// any thread that prints.
using StallReport = std::function<void(const std::string &displayName)>;
void setStallReport(StallReport report);

class ZANTOQUILLER_CORE_PRIVATE_EXPORT OutputDevice
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
    // the write may take (zero: no limit); disk files are never held up. For
    // a TCP printer it is the longest wait without progress, and a printer
    // that is there but takes nothing (peerAnswers()) is waited for.
    // For the write a terminal is switched to raw output (and to the line
    // settings of a serial URI) and SIGPIPE is held off; both are set back
    // before write() returns or raises. A TCP printer's data stream goes on
    // until finish(), so that one job's writes reach it as one stream.
    void write(const char *data, std::size_t size, std::chrono::milliseconds timeout);

    // Ends the output after the last write. A TCP printer's data stream is
    // ended and finish() returns once the printer has acknowledged every
    // byte; timeout (zero: none) is the longest the printer may go without
    // taking any of them. Nothing to do for other devices. Raises DeviceError.
    void finish(std::chrono::milliseconds timeout);

    // Releases the handle; a no-op when nothing is open.
    void close() noexcept;
    // Releases the handle after a failure or an interruption: what a TCP
    // printer has not taken yet is dropped and its connection reset, so no
    // rest of the output reaches it later.
    void abort() noexcept;

    bool isOpen() const { return m_fd >= 0; }
    // A regular disk file, written without the device steps.
    bool isRegularFile() const { return m_regularFile; }
    // A TCP printer, whose connection is one job's data stream.
    bool isSocket() const { return m_socket; }
    // The path or socket URI that was opened, as error reasons name it.
    const std::string &displayName() const { return m_displayName; }

private:
    void writeRegularFile(const char *data, std::size_t size);
    void writeWithin(
        const char *data, std::size_t size, Deadline &deadline, std::chrono::milliseconds timeout);

    int m_fd = -1;
    bool m_socket = false;
    bool m_regularFile = false;
    std::optional<SerialSettings> m_serial;
    std::string m_displayName;
};

} // namespace Zanto::Platform

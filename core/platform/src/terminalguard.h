// Switches a terminal device to raw output for one write, so that no byte is
// altered (no LF -> CR LF, no tab expansion), applies the line settings of a
// serial device URI, and sets the terminal back afterwards. For a status
// query the input is made raw as well, so that the printer's answer bytes
// arrive as they are sent.
#pragma once

#include <zantoquiller/platform/devicetarget.h>

#include <optional>
#include <string>
#include <termios.h>

namespace Zanto::Platform {

class Deadline;

class TerminalGuard
{
public:
    // Does nothing for a handle that is not a terminal, unless serial
    // settings are asked for: then it raises DeviceError, as it does when the
    // settings cannot be applied.
    enum class Input { Unchanged, Raw };

    TerminalGuard(int fd, const std::string &name, const std::optional<SerialSettings> &serial,
        Input input = Input::Unchanged);
    // Sets the saved settings back. After a failed write the bytes still
    // queued are dropped first, so that closing cannot wait for a device
    // that does not take them.
    ~TerminalGuard();

    TerminalGuard(const TerminalGuard &) = delete;
    TerminalGuard &operator=(const TerminalGuard &) = delete;

    // Waits until the device has sent what is queued, when line settings were
    // changed (the bytes must leave at those settings). Returns false when
    // the deadline passes first; raises DeviceError naming name when a
    // signal asked the print to stop.
    bool drain(const Deadline &deadline, const std::string &name) const;
    void discardQueuedOutput() { m_discard = true; }

private:
    int m_fd;
    bool m_active = false;
    bool m_lineSettings = false;
    bool m_discard = false;
    int m_remembered = -1; // entry in the table a signal handler restores from
    termios m_saved {};
};

} // namespace Zanto::Platform

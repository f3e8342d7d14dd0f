#include "terminalguard.h"
#include "deadline.h"
#include "savedterminals.h"
#include "systemerror.h"

#include <zantoquiller/platform/interruption.h>

#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace Zanto::Platform {

namespace {

constexpr std::array<std::pair<unsigned, speed_t>, 30> speeds {{
    {50, B50},
    {75, B75},
    {110, B110},
    {134, B134},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
    {500000, B500000},
    {576000, B576000},
    {921600, B921600},
    {1000000, B1000000},
    {1152000, B1152000},
    {1500000, B1500000},
    {2000000, B2000000},
    {2500000, B2500000},
    {3000000, B3000000},
    {3500000, B3500000},
    {4000000, B4000000},
}};

void applySerial(termios &t, const SerialSettings &s, const std::string &name)
{
    // The printer is written to whatever the modem lines say.
    t.c_cflag |= CLOCAL | CREAD;
    if (s.baud) {
        speed_t speed = 0;
        bool found = false;
        for (const auto &[baud, constant] : speeds) {
            if (baud == *s.baud) {
                speed = constant;
                found = true;
            }
        }
        if (!found)
            throw DeviceError(
                name + ": " + std::to_string(*s.baud) + " baud is not a rate this system supports",
                ErrorKind::Format);
        cfsetospeed(&t, speed);
        cfsetispeed(&t, speed);
    }
    if (s.bits) {
        t.c_cflag &= ~CSIZE;
        t.c_cflag |= *s.bits == 5 ? CS5 : *s.bits == 6 ? CS6 : *s.bits == 7 ? CS7 : CS8;
    }
    if (s.parity) {
        using P = SerialSettings::Parity;
        t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
        switch (*s.parity) {
        case P::None:
            break;
        case P::Even:
            t.c_cflag |= PARENB;
            break;
        case P::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case P::Mark:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case P::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        }
    }
    if (s.stopBits) {
        if (*s.stopBits == 2)
            t.c_cflag |= CSTOPB;
        else
            t.c_cflag &= ~CSTOPB;
    }
    if (s.flow) {
        using F = SerialSettings::Flow;
        t.c_cflag &= ~CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (*s.flow == F::Soft)
            t.c_iflag |= IXON | IXOFF;
        else if (*s.flow == F::Hard)
            t.c_cflag |= CRTSCTS;
    }
}

} // namespace

TerminalGuard::TerminalGuard(
    int fd, const std::string &name, const std::optional<SerialSettings> &serial, Input input)
    : m_fd(fd)
{
    if (::tcgetattr(fd, &m_saved) != 0) {
        if (serial)
            throwSystemError(name, errno);
        return; // not a terminal: nothing to switch
    }
    termios raw = m_saved;
    raw.c_oflag &= ~OPOST;
    if (input == Input::Raw) {
        raw.c_lflag &= ~(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
        raw.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
    }
    if (serial)
        applySerial(raw, *serial, name);
    // Remembered first, so that a program ended by a signal at any moment
    // from now on sets the terminal back.
    m_remembered = rememberTerminal(fd, m_saved);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) {
        const int error = errno;
        ::tcsetattr(fd, TCSANOW, &m_saved);
        forgetTerminal(m_remembered);
        throwSystemError(name, error);
    }
    m_active = true;
    m_lineSettings = serial.has_value();
}

TerminalGuard::~TerminalGuard()
{
    if (!m_active)
        return;
    if (m_discard)
        ::tcflush(m_fd, TCOFLUSH);
    ::tcsetattr(m_fd, TCSANOW, &m_saved);
    forgetTerminal(m_remembered);
}

bool TerminalGuard::drain(const Deadline &deadline, const std::string &name) const
{
    if (!m_lineSettings)
        return true;
    if (!deadline.limited()) {
        while (::tcdrain(m_fd) != 0 && errno == EINTR)
            throwIfInterrupted(name);
        return true;
    }
    for (;;) {
        int queued = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued == 0)
            return true;
        if (deadline.passed())
            return false;
        if (::poll(nullptr, 0, deadline.pollTimeout(5)) < 0 && errno == EINTR)
            throwIfInterrupted(name);
    }
}

} // namespace Zanto::Platform

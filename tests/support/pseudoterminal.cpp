#include "pseudoterminal.h"

#include <QDir>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

namespace ZantoTest {

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    m_path = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        throw std::runtime_error("cannot open the pseudo-terminal's terminal side");
}

PseudoTerminal::~PseudoTerminal()
{
    ::close(m_slave);
    ::close(m_master);
}

termios PseudoTerminal::settings() const
{
    termios result {};
    if (::tcgetattr(m_slave, &result) != 0)
        throw std::runtime_error("tcgetattr() failed");
    return result;
}

int PseudoTerminal::unread() const
{
    int count = 0;
    if (::ioctl(m_master, FIONREAD, &count) != 0)
        throw std::runtime_error("ioctl(FIONREAD) failed");
    return count;
}

QByteArray PseudoTerminal::read(int count, std::chrono::milliseconds limit) const
{
    QByteArray result;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (result.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd entry {m_master, POLLIN, 0};
        if (::poll(&entry, 1, int(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(m_master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        result.append(buffer, got);
    }
    return result;
}

void PseudoTerminal::write(const QByteArray &data) const
{
    if (::write(m_master, data.constData(), std::size_t(data.size())) != data.size())
        throw std::runtime_error("cannot write to the pseudo-terminal");
}

bool sameSettings(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag
        && a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0
        && cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

} // namespace ZantoTest

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/outputdevice.h>
#include <zantoquiller/platform/printerstatus.h>

#include "deadline.h"
#include "pipesignalguard.h"
#include "systemerror.h"
#include "tcpconnect.h"
#include "terminalguard.h"

#include <zantoquiller/platform/interruption.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Zanto::Platform {

namespace {

// Standard output that is a regular file is written through the descriptor
// the program was given, at its offset: opened anew by name it would be
// emptied, and the offset it shares with the shell and the commands after
// this one would not move past what was written. -1 for any other target.
int standardOutputFile(const DeviceTarget &target)
{
    struct stat status
    {
    };
    if (target.path != "/dev/stdout" || ::fstat(STDOUT_FILENO, &status) != 0
        || !S_ISREG(status.st_mode))
        return -1;
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        throwSystemError(target.path, errno);
    return fd;
}

int openPath(const DeviceTarget &target, OpenMode mode)
{
    if (const int fd = standardOutputFile(target); fd >= 0)
        return fd;
    int flags = O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    // Appending moves to the end of the file; O_APPEND does so without a
    // seek of its own.
    if (mode != OpenMode::Create)
        flags |= O_APPEND;
    if (mode == OpenMode::Create) {
        flags |= O_TRUNC;
        // A missing device is an error, never a reason to make a file.
        if (target.kind == DeviceTarget::Kind::File)
            flags |= O_CREAT;
    }
    int fd;
    for (;;) {
        fd = ::open(target.path.c_str(), flags, 0666);
        if (fd >= 0 || errno != EINTR)
            break;
        throwIfInterrupted(target.path);
    }
    if (fd < 0) {
        Failure failure = systemFailure(target.path, errno);
        // A device node that is not there: the printer is not plugged in or
        // switched on. A missing folder of a disk file is no such case.
        if (failure.systemError == ENOENT && target.path.starts_with("/dev/"))
            failure.kind = ErrorKind::Unreachable;
        throw DeviceError(failure);
    }
    return fd;
}

[[noreturn]] void throwTimeout(const std::string &name, std::chrono::milliseconds timeout,
    std::size_t written, std::size_t size)
{
    throw DeviceError(name + ": the device took " + std::to_string(written) + " of "
            + std::to_string(size) + " bytes within the time-out of "
            + std::to_string(timeout.count()) + " ms",
        ErrorKind::TimedOut);
}

} // namespace

OutputDevice::~OutputDevice()
{
    close();
}

OutputDevice::OutputDevice(OutputDevice &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_socket(other.m_socket)
    , m_regularFile(other.m_regularFile)
    , m_serial(std::move(other.m_serial))
    , m_displayName(std::move(other.m_displayName))
{ }

OutputDevice &OutputDevice::operator=(OutputDevice &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_socket = other.m_socket;
        m_regularFile = other.m_regularFile;
        m_serial = std::move(other.m_serial);
        m_displayName = std::move(other.m_displayName);
    }
    return *this;
}

OutputDevice OutputDevice::open(const std::string &name, OpenMode mode,
    std::chrono::milliseconds connectTimeout, const DeviceMap &map)
{
    const DeviceTarget target = resolveDevice(name, map);
    OutputDevice device;
    device.m_displayName = target.displayName();
    device.m_serial = target.serial;
    if (target.kind == DeviceTarget::Kind::Socket) {
        device.m_fd
            = connectTcp(target.host, target.port, device.m_displayName, Deadline(connectTimeout));
        device.m_socket = true;
    } else {
        device.m_fd = openPath(target, mode);
        struct stat status
        {
        };
        device.m_regularFile
            = (mode == OpenMode::AppendRegularFile && target.kind == DeviceTarget::Kind::File)
            || (::fstat(device.m_fd, &status) == 0 && S_ISREG(status.st_mode));
        // A parallel port that reports paper out or off line would only take
        // the job into the time-out: say why at once. Other devices (a
        // terminal line by line) are spared the question.
        if (!device.m_regularFile && S_ISCHR(status.st_mode) && isPrinterPort(status.st_rdev)) {
            const std::string problem = parallelPortProblem(device.m_fd);
            if (!problem.empty())
                throw DeviceError(device.m_displayName + ": " + problem, ErrorKind::Unreachable);
        }
    }
    return device;
}

void OutputDevice::write(const char *data, std::size_t size, std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        throw DeviceError(m_displayName + ": not open");
    if (size == 0)
        return;
    if (m_regularFile && !m_serial) {
        // A disk file takes every byte at once: no terminal, no time-out,
        // no SIGPIPE. One line of a memo print in direct mode is one such
        // write, so this path is kept to the write itself.
        writeRegularFile(data, size);
        return;
    }
    Deadline deadline(timeout);
    if (m_socket) {
        // send() is told not to raise SIGPIPE; a socket is no terminal.
        writeWithin(data, size, deadline, timeout);
        return;
    }
    TerminalGuard terminal(m_fd, m_displayName, m_serial);
    PipeSignalGuard pipeSignal;
    try {
        writeWithin(data, size, deadline, timeout);
        if (!terminal.drain(deadline, m_displayName))
            throwTimeout(m_displayName, timeout, size, size);
    } catch (...) {
        // Closing must not wait for a device that does not take the rest.
        terminal.discardQueuedOutput();
        throw;
    }
}

void OutputDevice::writeWithin(
    const char *data, std::size_t size, Deadline &deadline, std::chrono::milliseconds timeout)
{
    std::size_t written = 0;
    pollfd entry {m_fd, POLLOUT, 0};
    while (written < size) {
        // A signal that came between two waits is not missed.
        throwIfInterrupted(m_displayName);
        const int ready = ::poll(&entry, 1, deadline.pollTimeout());
        if (ready < 0 && errno == EINTR) {
            throwIfInterrupted(m_displayName);
            continue;
        }
        if (ready < 0)
            throwSystemError(m_displayName, errno);
        if (ready == 0 && m_socket && peerAnswers(m_fd)) {
            // A network printer that is there but takes no data (out of
            // paper, or slower than the network) is waited for, a time-out
            // at a time; one that has gone fails.
            reportStall(m_displayName);
            deadline = Deadline(timeout);
            continue;
        }
        if (ready == 0)
            throwTimeout(m_displayName, timeout, written, size);
        const ssize_t count = m_socket ? ::send(m_fd, data + written, size - written, MSG_NOSIGNAL)
                                       : ::write(m_fd, data + written, size - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            // A network printer's time-out bounds a wait without progress,
            // as at the end of the job.
            if (m_socket)
                deadline = Deadline(timeout);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            throwIfInterrupted(m_displayName);
            continue;
        }
        if (count == 0 || errno == EAGAIN) {
            // Said to be writable but took nothing (a parallel port that is
            // busy does this): try again a little later.
            if (deadline.passed())
                throwTimeout(m_displayName, timeout, written, size);
            ::poll(nullptr, 0, deadline.pollTimeout(5));
            continue;
        }
        throwSystemError(m_displayName, errno);
    }
}

void OutputDevice::finish(std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        throw DeviceError(m_displayName + ": not open");
    if (m_socket)
        finishTcp(m_fd, timeout, m_displayName);
}

void OutputDevice::writeRegularFile(const char *data, std::size_t size)
{
    std::size_t written = 0;
    while (written < size) {
        const ssize_t count = ::write(m_fd, data + written, size - written);
        if (count > 0)
            written += static_cast<std::size_t>(count);
        else if (count < 0 && errno == EINTR)
            throwIfInterrupted(m_displayName);
        else
            throwSystemError(m_displayName, count == 0 ? ENOSPC : errno);
    }
}

void OutputDevice::abort() noexcept
{
    if (m_fd >= 0 && m_socket) {
        const linger reset {1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    close();
}

void OutputDevice::close() noexcept
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

} // namespace Zanto::Platform

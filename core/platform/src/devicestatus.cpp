// Asking a device for its state: the port's status lines, the modem lines,
// or the printer itself over the same connection that a print would use.
#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/printerstatus.h>

#include "deadline.h"
#include "systemerror.h"
#include "tcpconnect.h"
#include "terminalguard.h"

#include <zantoquiller/platform/interruption.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/lp.h>
#include <linux/major.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

// The character device major number of USB printers (/dev/usb/lp*).
constexpr unsigned UsbPrinterMajor = USB_CHAR_MAJOR;

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The most of an answer that is read: a status report is a few lines, so a
// printer that sends more is cut off here.
constexpr std::size_t AnswerLimit = 64 * 1024;

struct Answer
{
    enum class End { Complete, TimedOut, Closed, Failed, TooLong };
    std::string bytes;
    End end = End::TimedOut;
    int error = 0; // why reading failed
};

// Sends the whole request, or returns false when the deadline passes first
// or the printer has closed the connection (failure then says which).
bool sendAll(int fd, std::string_view data, const Deadline &deadline, const std::string &name,
    Answer &failure)
{
    pollfd entry {fd, POLLOUT, 0};
    while (!data.empty()) {
        const int ready = ::poll(&entry, 1, deadline.pollTimeout());
        if (ready == 0)
            return false;
        if (ready < 0) {
            if (errno != EINTR)
                throwSystemError(name, errno);
            throwIfInterrupted(name);
            continue;
        }
        const ssize_t count = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        const ssize_t written
            = count < 0 && errno == ENOTSOCK ? ::write(fd, data.data(), data.size()) : count;
        if (written > 0) {
            data.remove_prefix(std::size_t(written));
        } else if (written < 0 && (errno == EPIPE || errno == ECONNRESET)) {
            failure.end = Answer::End::Closed;
            return false;
        } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
            throwSystemError(name, errno);
        }
    }
    return true;
}

// Reads until complete(answer, from) holds, the other side ends the
// connection, the answer reaches AnswerLimit or the deadline passes, however
// much the printer keeps sending. complete() is given the offset of the
// bytes that are new, so that each byte is looked at once.
template<typename Complete>
Answer receive(int fd, const Deadline &deadline, const std::string &name, Complete complete)
{
    Answer answer;
    pollfd entry {fd, POLLIN, 0};
    for (;;) {
        if (deadline.passed())
            return answer;
        const int ready = ::poll(&entry, 1, deadline.pollTimeout());
        if (ready == 0)
            return answer;
        if (ready < 0) {
            if (errno != EINTR)
                throwSystemError(name, errno);
            throwIfInterrupted(name);
            continue;
        }
        char buffer[4096];
        const std::size_t room = std::min(sizeof buffer, AnswerLimit - answer.bytes.size());
        const ssize_t count = ::read(fd, buffer, room);
        if (count > 0) {
            const std::size_t from = answer.bytes.size();
            answer.bytes.append(buffer, std::size_t(count));
            if (complete(answer.bytes, from)) {
                answer.end = Answer::End::Complete;
                return answer;
            }
            if (answer.bytes.size() >= AnswerLimit) {
                answer.end = Answer::End::TooLong;
                return answer;
            }
        } else if (count == 0 || errno == ECONNRESET) {
            // The printer hung up (a reset: it had not read the request).
            answer.end = Answer::End::Closed;
            return answer;
        } else if (errno != EAGAIN && errno != EINTR) {
            answer.end = Answer::End::Failed;
            answer.error = errno;
            return answer;
        }
    }
}

// Why no answer came to query.
std::string noAnswer(const Answer &answer, std::chrono::milliseconds timeout, const char *query)
{
    if (answer.end == Answer::End::Closed)
        return std::string("the printer closed the connection before it answered the ") + query;
    if (answer.end == Answer::End::Failed)
        return std::string("the printer's answer to the ") + query
            + " cannot be read: " + systemText(answer.error);
    return std::string("the printer did not answer the ") + query + " within "
        + std::to_string(timeout.count()) + " ms";
}

// DLE EOT 1, 2 and 4 in one go; the printer answers each with one byte.
PrinterStatus askEscPos(
    int fd, const Deadline &deadline, std::chrono::milliseconds timeout, const std::string &name)
{
    const std::string request
        = escPosStatusRequest(1) + escPosStatusRequest(2) + escPosStatusRequest(4);
    Answer answer;
    if (sendAll(fd, request, deadline, name, answer))
        answer = receive(fd, deadline, name,
            [](const std::string &got, std::size_t) { return got.size() >= 3; });
    const std::string &bytes = answer.bytes;
    if (bytes.size() < 3) {
        PrinterStatus status;
        status.reasons.push_back(noAnswer(answer, timeout, "ESC/POS status request (DLE EOT)"));
        return status;
    }
    return escPosStatus(static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1]),
        static_cast<unsigned char>(bytes[2]));
}

PrinterStatus askPjl(
    int fd, const Deadline &deadline, std::chrono::milliseconds timeout, const std::string &name)
{
    Answer answer;
    if (sendAll(fd, PjlStatusQuery, deadline, name, answer))
        answer = receive(fd, deadline, name, [](const std::string &got, std::size_t from) {
            return got.find('\f', from) != std::string::npos;
        });
    if (answer.end != Answer::End::Complete && answer.bytes.find("CODE") == std::string::npos) {
        PrinterStatus status;
        status.reasons.push_back(answer.end == Answer::End::TooLong
                ? "the printer's answer to the PJL status query holds no status code in its first "
                    + std::to_string(AnswerLimit) + " bytes"
                : noAnswer(answer, timeout, "PJL status query"));
        return status;
    }
    PrinterStatus status = pjlStatus(answer.bytes);
    if (answer.end == Answer::End::TooLong)
        status.reasons.push_back(
            "the printer's answer was cut off after " + std::to_string(AnswerLimit) + " bytes");
    return status;
}

PrinterStatus socketStatus(
    const DeviceTarget &target, std::chrono::milliseconds timeout, bool escPos)
{
    const std::string name = target.displayName();
    const Deadline deadline(timeout);
    const Descriptor fd(connectTcp(target.host, target.port, name, deadline));
    PrinterStatus status = escPos ? askEscPos(fd.get(), deadline, timeout, name)
                                  : askPjl(fd.get(), deadline, timeout, name);
    // Reset rather than end in order: the printer must not wait for more of
    // what it might take for a job.
    const linger reset {1, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    return status;
}

PrinterStatus fileStatus(const std::string &path)
{
    PrinterStatus status;
    std::string folder = path.substr(0, path.rfind('/') + 1);
    const bool exists = ::access(path.c_str(), F_OK) == 0;
    if (::access(exists ? path.c_str() : (folder.empty() ? "." : folder.c_str()), W_OK) != 0) {
        status.state = PrinterState::Error;
        status.reasons.push_back(systemReason(path, errno));
        return status;
    }
    status.state = PrinterState::Ready;
    status.reasons.push_back(
        path + (exists ? " is a file that can be written" : " is a file that can be made"));
    return status;
}

PrinterStatus terminalStatus(
    int fd, const DeviceTarget &target, std::chrono::milliseconds timeout, bool escPos)
{
    if (escPos) {
        const TerminalGuard terminal(fd, target.path, target.serial, TerminalGuard::Input::Raw);
        ::tcflush(fd, TCIFLUSH); // an old answer is not this one
        return askEscPos(fd, Deadline(timeout), timeout, target.path);
    }
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != 0) {
        PrinterStatus status;
        status.reasons.push_back(target.path + " has no modem lines to tell the printer's state");
        return status;
    }
    return modemStatus(
        {(lines & TIOCM_DSR) != 0, (lines & TIOCM_CTS) != 0, (lines & TIOCM_CAR) != 0});
}

// A device that a print could not open because it is not there.
PrinterStatus absentStatus(const std::string &path, int error)
{
    PrinterStatus status;
    status.state = PrinterState::Error;
    status.absent = true;
    status.reasons.push_back(systemReason(path, error));
    return status;
}

bool isAbsence(int error)
{
    return error == ENOENT || error == ENODEV || error == ENXIO;
}

bool readParallelStatus(int fd, unsigned char &status)
{
    int value = 0;
    if (::ioctl(fd, LPGETSTATUS, &value) != 0)
        return false;
    status = static_cast<unsigned char>(value);
    return true;
}

PrinterStatus askDevice(
    const std::string &name, std::chrono::milliseconds timeout, bool escPos, const DeviceMap &map)
{
    const DeviceTarget target = resolveDevice(name, map);
    if (target.kind == DeviceTarget::Kind::Socket)
        return socketStatus(target, timeout, escPos);

    struct stat info
    {
    };
    const bool found = ::stat(target.path.c_str(), &info) == 0;
    // Nothing under /dev is made by a print: a missing name there is a
    // device that is not plugged in or has no driver.
    if (!found && target.path.starts_with("/dev/"))
        return absentStatus(target.path, ENOENT);
    if (target.kind == DeviceTarget::Kind::File && (!found || S_ISREG(info.st_mode)))
        return fileStatus(target.path);
    if (found && S_ISREG(info.st_mode))
        return fileStatus(target.path);

    // Opened as a print opens it, without waiting for a device that is not
    // ready; read access only where the printer is to answer.
    const int flags = (escPos ? O_RDWR : O_WRONLY) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    int raw;
    while ((raw = ::open(target.path.c_str(), flags)) < 0 && errno == EINTR)
        throwIfInterrupted(target.path);
    if (raw < 0 && isAbsence(errno))
        return absentStatus(target.path, errno);
    if (raw < 0)
        throwSystemError(target.path, errno);
    const Descriptor fd(raw);

    unsigned char parallel = 0;
    if (readParallelStatus(fd.get(), parallel)) {
        ParallelLines lines = decodeParallelStatus(parallel);
        // A USB printer (usblp) answers with the port status of the USB
        // printer class, which has no busy line: that bit is always clear.
        if (S_ISCHR(info.st_mode) && major(info.st_rdev) == UsbPrinterMajor)
            lines.busy = false;
        return parallelStatus(lines);
    }
    if (::isatty(fd.get()))
        return terminalStatus(fd.get(), target, timeout, escPos);
    PrinterStatus status;
    status.reasons.push_back(target.path + " tells nothing of the printer's state");
    return status;
}

} // namespace

PrinterStatus deviceStatus(
    const std::string &name, std::chrono::milliseconds timeout, bool escPos, const DeviceMap &map)
{
    PrinterStatus status = askDevice(name, timeout, escPos, map);
    status.destination = name;
    status.reachable = !status.absent;
    return status;
}

bool isPrinterPort(unsigned long long device)
{
    return major(device) == LP_MAJOR || major(device) == UsbPrinterMajor;
}

std::string parallelPortProblem(int fd)
{
    unsigned char value = 0;
    if (!readParallelStatus(fd, value))
        return {};
    const PrinterStatus status = parallelStatus(decodeParallelStatus(value));
    if (status.state != PrinterState::PaperOut && status.state != PrinterState::OffLine)
        return {};
    return status.reasons.front();
}

} // namespace Zanto::Platform

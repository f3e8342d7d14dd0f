#include "tcpconnect.h"
#include "deadline.h"
#include "systemerror.h"

#include <zantoquiller/platform/interruption.h>

#include <zantoquiller/platform/outputdevice.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <linux/sockios.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

// A connection that has been idle this long is probed; after this many
// unanswered probes, one interval apart, it fails with ETIMEDOUT. So a
// printer that vanished is found within half a minute by default even
// without a time-out, while a job's connection waits for the next line.
std::atomic<int> keepAliveIdleSeconds = 10;
std::atomic<int> keepAliveIntervalSeconds = 5;
std::atomic<int> keepAliveProbes = 4;

// Steps between looks at the acknowledged bytes while finishing.
constexpr int FinishStepMs = 5;

void enableKeepAlive(int fd)
{
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    const int idle = keepAliveIdleSeconds, interval = keepAliveIntervalSeconds,
              probes = keepAliveProbes;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
}

// 0 when connected, else the error; ETIMEDOUT when the deadline passed.
int connectOne(int fd, const addrinfo &address, const Deadline &deadline, const std::string &name)
{
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    pollfd entry {fd, POLLOUT, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, deadline.pollTimeout());
        if (ready > 0)
            break;
        if (ready == 0)
            return ETIMEDOUT;
        if (errno != EINTR)
            return errno;
        throwIfInterrupted(name);
    }
    return pendingSocketError(fd);
}

struct AddressListDeleter
{
    void operator()(addrinfo *list) const { ::freeaddrinfo(list); }
};

int unacknowledgedBytes(int fd, const std::string &name)
{
    int count = 0;
    if (::ioctl(fd, SIOCOUTQ, &count) != 0)
        throwSystemError(name, errno);
    return count;
}

// A host name that does not resolve names a printer that cannot be reached.
ErrorKind nameLookupKind(int status)
{
    switch (status) {
    case EAI_NONAME:
    case EAI_AGAIN:
    case EAI_FAIL:
        return ErrorKind::Unreachable;
    default:
        return ErrorKind::Other;
    }
}

} // namespace

void setKeepAlive(const KeepAlive &timing)
{
    // The system takes 1 to 32767 seconds and 1 to 127 probes.
    const auto clamped
        = [](long long value, int most) { return int(std::clamp<long long>(value, 1, most)); };
    keepAliveIdleSeconds = clamped(timing.idle.count(), 32767);
    keepAliveIntervalSeconds = clamped(timing.interval.count(), 32767);
    keepAliveProbes = clamped(timing.probes, 127);
}

KeepAlive keepAlive()
{
    return {std::chrono::seconds(keepAliveIdleSeconds),
        std::chrono::seconds(keepAliveIntervalSeconds), keepAliveProbes};
}

int connectTcp(const std::string &host, const std::string &port, const std::string &displayName,
    const Deadline &deadline)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    if (status != 0) {
        const int error = status == EAI_SYSTEM ? errno : 0;
        throw DeviceError(displayName + ": " + ::gai_strerror(status),
            error ? errorKindOf(error) : nameLookupKind(status), error);
    }
    const std::unique_ptr<addrinfo, AddressListDeleter> addresses(found);

    int error = EHOSTUNREACH;
    for (const addrinfo *address = addresses.get(); address; address = address->ai_next) {
        const int fd = ::socket(address->ai_family,
            address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        try {
            error = connectOne(fd, *address, deadline, displayName);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (error == 0) {
            enableKeepAlive(fd);
            return fd;
        }
        ::close(fd);
        if (error == ETIMEDOUT)
            break;
    }
    // A printer that does not answer the connection cannot be reached.
    Failure failure = systemFailure(displayName, error);
    if (failure.kind == ErrorKind::TimedOut)
        failure.kind = ErrorKind::Unreachable;
    throw DeviceError(failure);
}

bool peerAnswers(int fd)
{
    tcp_info info {};
    socklen_t length = sizeof info;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return false;
    switch (info.tcpi_state) {
    case TCP_ESTABLISHED:
    case TCP_CLOSE_WAIT:
    case TCP_FIN_WAIT1: // our end of data sent, the printer still reading
    case TCP_FIN_WAIT2:
    case TCP_CLOSING:
    case TCP_LAST_ACK:
        break;
    default:
        return false;
    }
    // One probe may be on its way; a second means the first went unanswered.
    return info.tcpi_retransmits == 0 && info.tcpi_probes <= 1;
}

namespace {

std::mutex stallReportMutex;
StallReport stallReport;

} // namespace

void setStallReport(StallReport report)
{
    const std::lock_guard lock(stallReportMutex);
    stallReport = std::move(report);
}

void reportStall(const std::string &displayName)
{
    StallReport report;
    {
        const std::lock_guard lock(stallReportMutex);
        report = stallReport;
    }
    if (report)
        report(displayName);
}

int pendingSocketError(int fd)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

void finishTcp(int fd, std::chrono::milliseconds timeout, const std::string &displayName)
{
    // A connection that was reset says so, not merely that it is gone.
    if (const int error = pendingSocketError(fd))
        throwSystemError(displayName, error);
    if (::shutdown(fd, SHUT_WR) != 0) {
        const int error = errno;
        const int pending = pendingSocketError(fd);
        throwSystemError(displayName, pending ? pending : error);
    }
    Deadline deadline(timeout);
    int unacknowledged = unacknowledgedBytes(fd, displayName);
    bool peerClosed = false;
    while (unacknowledged != 0) {
        throwIfInterrupted(displayName);
        // A reset or the system's own retries running out end the wait at
        // once; the count of unacknowledged bytes alone would never change.
        if (const int error = pendingSocketError(fd))
            throwSystemError(displayName, error);
        if (deadline.passed() && peerAnswers(fd)) {
            // There, but taking nothing for now: out of paper, or slow.
            reportStall(displayName);
            deadline = Deadline(timeout);
        }
        if (deadline.passed())
            throw DeviceError(displayName + ": the printer did not take the last "
                    + std::to_string(unacknowledged) + " bytes within the time-out of "
                    + std::to_string(timeout.count()) + " ms",
                ErrorKind::TimedOut);
        // Wake up for the printer's answer (status bytes, its end of data)
        // or an error; otherwise look again after a short step.
        pollfd entry {fd, short(peerClosed ? 0 : POLLIN), 0};
        const int ready = ::poll(&entry, 1, deadline.pollTimeout(FinishStepMs));
        if (ready < 0) {
            if (errno != EINTR)
                throwSystemError(displayName, errno);
            throwIfInterrupted(displayName);
        }
        if (ready > 0 && (entry.revents & POLLIN)) {
            char discard[512];
            const ssize_t count = ::recv(fd, discard, sizeof discard, MSG_DONTWAIT);
            // recv() reports (and so clears) a reset itself.
            if (count < 0 && errno != EAGAIN && errno != EINTR)
                throwSystemError(displayName, errno);
            peerClosed = count == 0;
        } else if (ready > 0 && (entry.revents & POLLHUP) && !(entry.revents & POLLERR)) {
            // Both directions are shut; only acknowledgements can still come.
            ::poll(nullptr, 0, deadline.pollTimeout(FinishStepMs));
        }
        const int now = unacknowledgedBytes(fd, displayName);
        if (now < unacknowledged)
            deadline = Deadline(timeout); // the printer is taking data
        unacknowledged = now;
    }
    // Read what the printer sent back, so that closing with unread data does
    // not reset the connection.
    char discard[512];
    while (::recv(fd, discard, sizeof discard, MSG_DONTWAIT) > 0) { }
}

} // namespace Zanto::Platform

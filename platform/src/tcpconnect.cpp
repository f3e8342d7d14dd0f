#include "tcpconnect.h"
#include "deadline.h"
#include "systemerror.h"

#include <cerrno>
#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

// 0 when connected, else the error; ETIMEDOUT when the deadline passed.
int connectOne(int fd, const addrinfo &address, const Deadline &deadline)
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
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

} // namespace

int connectTcp(const std::string &host, const std::string &port, const std::string &displayName,
    const Deadline &deadline)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    const int status = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses);
    if (status != 0)
        throw DeviceError(displayName + ": " + ::gai_strerror(status));

    int error = EHOSTUNREACH;
    for (const addrinfo *address = addresses; address; address = address->ai_next) {
        const int fd = ::socket(address->ai_family,
            address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        error = connectOne(fd, *address, deadline);
        if (error == 0) {
            ::freeaddrinfo(addresses);
            return fd;
        }
        ::close(fd);
        if (error == ETIMEDOUT)
            break;
    }
    ::freeaddrinfo(addresses);
    throwSystemError(displayName, error);
}

int finishTcp(int fd, const Deadline &deadline)
{
    if (::shutdown(fd, SHUT_WR) != 0)
        return errno;
    for (;;) {
        int unacknowledged = 0;
        if (::ioctl(fd, SIOCOUTQ, &unacknowledged) != 0)
            return errno;
        if (unacknowledged == 0)
            break;
        if (deadline.passed())
            return ETIMEDOUT;
        ::poll(nullptr, 0, deadline.pollTimeout(5));
    }
    // Read what the printer sent back (status bytes), so that closing with
    // unread data does not reset the connection.
    char discard[512];
    while (::recv(fd, discard, sizeof discard, MSG_DONTWAIT) > 0) { }
    return 0;
}

} // namespace Zanto::Platform

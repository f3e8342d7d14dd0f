// The kernel's own tcp_info: the C library's copy ends before the byte
// counts, and the two cannot be included together.
#include "receivedbytes.h"

#include <cstddef>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace Zanto::Platform {

std::uint64_t receivedBytes(int fd)
{
    tcp_info info {};
    socklen_t length = sizeof info;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0
        || length < offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
        return 0;
    return info.tcpi_bytes_received;
}

} // namespace Zanto::Platform

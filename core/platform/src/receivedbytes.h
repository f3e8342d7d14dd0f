// How much a TCP connection has received, as the kernel counts it.
#pragma once

#include <cstdint>

namespace Zanto::Platform {

// The bytes the TCP connection on fd has received so far; 0 for a socket of
// another kind or a kernel that does not count them.
std::uint64_t receivedBytes(int fd);

} // namespace Zanto::Platform

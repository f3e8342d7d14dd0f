// A TCP connection to a network printer (socket://host:port).
#pragma once

#include <chrono>
#include <string>

namespace Zanto::Platform {

class Deadline;

// Connects to host:port and returns a non-blocking socket. Tries every address
// the name resolves to until one connects or the deadline passes. Raises
// DeviceError naming displayName.
int connectTcp(const std::string &host, const std::string &port, const std::string &displayName,
    const Deadline &deadline);

// Ends the data stream after a complete write: sends the end of data and waits
// until the printer has acknowledged every byte. Returns 0, or the error that
// stopped it (ETIMEDOUT when the deadline passed).
int finishTcp(int fd, const Deadline &deadline);

} // namespace Zanto::Platform

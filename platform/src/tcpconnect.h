// A TCP connection to a network printer (socket://host:port).
#pragma once

#include <chrono>
#include <string>

namespace Zanto::Platform {

class Deadline;

// Connects to host:port and returns a non-blocking socket with keep-alive
// probes on. Tries every address the name resolves to until one connects or
// the deadline passes. Raises DeviceError naming displayName.
int connectTcp(const std::string &host, const std::string &port, const std::string &displayName,
    const Deadline &deadline);

// The error the connection has met (a reset, a time-out of the system's own
// retries), or 0. Reading it clears it.
int pendingSocketError(int fd);

// Ends the data stream after the last byte has been sent: sends the end of
// data and waits until the printer has acknowledged every byte. timeout
// (zero: none) is the longest the printer may go without taking any of the
// bytes still unacknowledged, so a slow printer that keeps taking data is
// waited for. Raises DeviceError naming displayName.
void finishTcp(int fd, std::chrono::milliseconds timeout, const std::string &displayName);

} // namespace Zanto::Platform

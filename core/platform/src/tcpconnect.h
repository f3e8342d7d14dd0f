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

// Whether the printer at the other end of a connection is there, as the
// connection's state in the system tells: it is open, nothing sent waits for
// a retransmission for want of an acknowledgement, and every probe of a
// closed receive window has been answered. A printer that is slow or out of
// paper closes its window and answers the probes; one that was switched off
// or unplugged answers nothing, and the system's retries show.
bool peerAnswers(int fd);

// Calls the report set by setStallReport(), if any.
void reportStall(const std::string &displayName);

// Ends the data stream after the last byte has been sent: sends the end of
// data and waits until the printer has acknowledged every byte. timeout
// (zero: none) is the longest the printer may go without taking any of the
// bytes still unacknowledged, so a slow printer that keeps taking data is
// waited for, and so is one that is there but takes nothing (peerAnswers()).
// Raises DeviceError naming displayName.
void finishTcp(int fd, std::chrono::milliseconds timeout, const std::string &displayName);

} // namespace Zanto::Platform

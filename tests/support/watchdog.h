// Ends the test program with a message when a step that must finish in
// seconds hangs instead, so that such a fault fails the test at once rather
// than when the test runner's own time-out strikes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ZantoTest {

class Watchdog
{
public:
    Watchdog(std::chrono::milliseconds limit, std::string what);
    // Called off in time: nothing happens.
    ~Watchdog();

    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_cancelled = false;
    std::thread m_thread;
};

} // namespace ZantoTest

// A print server that is not answering: a Unix socket that accepts every
// connection and never reads or writes on it, until the object goes.
#pragma once

#include <QString>

#include <thread>
#include <vector>

namespace ZantoTest::Cups {

class SilentServer
{
public:
    // Listens on a socket in folder (a short path: Unix socket paths are
    // limited to 108 bytes).
    explicit SilentServer(const QString &folder);
    ~SilentServer();

    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    // The socket's path, for CUPS_SERVER.
    const QString &path() const { return m_path; }

private:
    void run();

    QString m_path;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

} // namespace ZantoTest::Cups

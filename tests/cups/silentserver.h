// A print server that is not answering: a Unix socket that listens and never
// accepts, reads or writes. Clients connect (the connection waits in the
// socket's backlog) and then wait for an answer that never comes.
#pragma once

#include <QString>

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
    QString m_path;
    int m_listener = -1;
};

} // namespace ZantoTest::Cups

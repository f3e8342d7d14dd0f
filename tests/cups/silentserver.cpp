#include "silentserver.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace ZantoTest::Cups {

SilentServer::SilentServer(const QString &folder) : m_path(folder + QStringLiteral("/silent.sock"))
{
    const QByteArray path = QFile::encodeName(m_path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (std::size_t(path.size()) >= sizeof address.sun_path)
        throw std::runtime_error("socket path too long: " + path.toStdString());
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address)
        || ::listen(m_listener, 16) || ::pipe2(m_wake, O_CLOEXEC))
        throw std::runtime_error("cannot listen on " + path.toStdString());
    m_thread = std::thread([this] { run(); });
}

SilentServer::~SilentServer()
{
    const char stop = 'x';
    [[maybe_unused]] const auto ignored = ::write(m_wake[1], &stop, 1);
    m_thread.join();
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    ::close(m_listener);
    QFile::remove(m_path);
}

void SilentServer::run()
{
    // Connections are held open, unread, so that clients wait for an answer.
    std::vector<int> connections;
    for (;;) {
        pollfd entries[] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0 || entries[1].revents)
            break;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0)
            connections.push_back(connection);
    }
    for (const int connection : connections)
        ::close(connection);
}

} // namespace ZantoTest::Cups

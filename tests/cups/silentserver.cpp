#include "silentserver.h"

#include <QFile>

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
    // The backlog holds every connection a test makes, ended ones included.
    if (m_listener < 0
        || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 1024) != 0)
        throw std::runtime_error("cannot listen on " + path.toStdString());
}

SilentServer::~SilentServer()
{
    ::close(m_listener);
    QFile::remove(m_path);
}

} // namespace ZantoTest::Cups

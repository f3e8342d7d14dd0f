#include "loopbackprinter.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <stdexcept>

namespace ZantoTest {

namespace {

int loopbackListener(int receiveBuffer, quint16 &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket() failed");
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

LoopbackPrinter::LoopbackPrinter(Mode mode, qsizetype resetAfter, quint16 port)
    : m_mode(mode), m_resetAfter(resetAfter), m_port(port)
{
    // An off-line printer takes little before it stops reading, and so does
    // one that is about to be switched off; a served connection takes what
    // its service reads, little more.
    const bool small
        = mode == Mode::AcceptNeverRead || mode == Mode::ResetAfter || mode == Mode::Serve;
    m_listener = loopbackListener(small ? 4096 : 0, m_port);
    if (::pipe2(m_wake, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2() failed");
    m_thread = std::thread([this] { run(); });
}

LoopbackPrinter::LoopbackPrinter(const QByteArray &requestEnd, const QByteArray &reply)
    : LoopbackPrinter(Mode::Answer)
{
    // Set before the first connection can send anything to answer.
    std::lock_guard lock(m_mutex);
    m_requestEnd = requestEnd;
    m_reply = reply;
}

LoopbackPrinter::LoopbackPrinter(Service service) : LoopbackPrinter(Mode::Serve)
{
    std::lock_guard lock(m_mutex);
    m_service = std::move(service);
}

LoopbackPrinter::~LoopbackPrinter()
{
    m_stopped = true;
    const char stop = 'x';
    [[maybe_unused]] const auto ignored = ::write(m_wake[1], &stop, 1);
    m_thread.join();
    for (std::thread &server : m_servers)
        server.join();
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    if (m_listener >= 0)
        ::close(m_listener);
}

QString LoopbackPrinter::uri() const
{
    return QStringLiteral("socket://127.0.0.1:%1").arg(m_port);
}

void LoopbackPrinter::run()
{
    std::map<int, QByteArray> open; // connection -> bytes so far
    for (;;) {
        // A closed listener (-1) is left out by poll().
        std::vector<pollfd> entries {{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        if (m_mode != Mode::AcceptNeverRead) {
            for (const auto &entry : open)
                entries.push_back({entry.first, POLLIN, 0});
        }
        if (::poll(entries.data(), entries.size(), -1) < 0)
            continue;
        if (entries[0].revents)
            break;
        if (entries[1].revents & POLLIN) {
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0 && m_mode == Mode::Serve) {
                Service service;
                {
                    std::lock_guard lock(m_mutex);
                    ++m_accepted;
                    service = m_service;
                }
                m_servers.emplace_back([this, connection, service] {
                    service(connection, m_stopped);
                    ::close(connection);
                    std::lock_guard lock(m_mutex);
                    m_received.append(QByteArray());
                    m_endings.append(Ending::InOrder);
                    m_changed.notify_all();
                });
            } else if (connection >= 0) {
                open[connection];
                std::lock_guard lock(m_mutex);
                ++m_accepted;
                m_changed.notify_all();
            }
            if (m_mode == Mode::SingleConnection) {
                // Any further connection is refused.
                ::close(m_listener);
                m_listener = -1;
            }
        }
        for (std::size_t i = 2; i < entries.size(); ++i) {
            if (!entries[i].revents)
                continue;
            char buffer[65536];
            const ssize_t count = ::read(entries[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                QByteArray &bytes = open[entries[i].fd];
                bytes.append(buffer, count);
                if (m_mode == Mode::Answer) {
                    std::lock_guard lock(m_mutex);
                    if (bytes.endsWith(m_requestEnd))
                        ::send(entries[i].fd, m_reply.constData(), std::size_t(m_reply.size()),
                            MSG_NOSIGNAL);
                    continue;
                }
                if (m_mode != Mode::ResetAfter || bytes.size() < m_resetAfter)
                    continue;
                const linger reset {1, 0};
                ::setsockopt(entries[i].fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            }
            const bool reset = count < 0 && errno == ECONNRESET;
            std::lock_guard lock(m_mutex);
            m_received.append(open[entries[i].fd]);
            m_endings.append(reset ? Ending::Reset : Ending::InOrder);
            open.erase(entries[i].fd);
            ::close(entries[i].fd);
            m_changed.notify_all();
        }
    }
    for (const auto &entry : open)
        ::close(entry.first);
}

bool LoopbackPrinter::waitForConnections(int count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [&] { return m_received.size() >= count; });
}

QByteArrayList LoopbackPrinter::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

QList<LoopbackPrinter::Ending> LoopbackPrinter::endings() const
{
    std::lock_guard lock(m_mutex);
    return m_endings;
}

int LoopbackPrinter::accepted() const
{
    std::lock_guard lock(m_mutex);
    return m_accepted;
}

bool sendAll(int connection, const QByteArray &bytes, const std::atomic<bool> &stopped)
{
    qsizetype sent = 0;
    while (sent < bytes.size() && !stopped) {
        pollfd entry {connection, POLLOUT, 0};
        if (::poll(&entry, 1, 1000) <= 0)
            continue;
        const ssize_t count = ::send(connection, bytes.constData() + sent,
            std::size_t(bytes.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (count > 0)
            sent += count;
    }
    return !stopped;
}

QByteArray readSome(int connection, std::chrono::milliseconds wait)
{
    pollfd entry {connection, POLLIN, 0};
    if (::poll(&entry, 1, int(wait.count())) <= 0)
        return {};
    char buffer[65536];
    const ssize_t count = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
    return count > 0 ? QByteArray(buffer, count) : QByteArray();
}

quint16 refusingLoopbackPort()
{
    quint16 port = 0;
    ::close(loopbackListener(0, port));
    return port;
}

LoopbackPrinter::Service LoopbackPrinter::answeringRealTimeStatus(const RealTimeAnswers &answers)
{
    return [answers](int connection, const std::atomic<bool> &stopped) {
        QByteArray request;
        while (!stopped) {
            pollfd ready {connection, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0)
                continue;
            char buffer[64];
            const ssize_t count = ::read(connection, buffer, sizeof buffer);
            if (count <= 0)
                return;
            request.append(buffer, count);
            for (qsizetype at;
                 (at = request.indexOf("\x10\x04")) >= 0 && request.size() > at + 2;) {
                const char n = request[at + 2];
                const unsigned char reply = n == 1 ? answers.printer
                    : n == 2                       ? answers.offlineCause
                                                   : answers.paper;
                if (::write(connection, &reply, 1) != 1)
                    return;
                request.remove(0, at + 3);
            }
        }
    };
}

bool LoopbackPrinter::onlyStatusRequests(const QByteArray &sent)
{
    if (sent.isEmpty() || sent.size() % 3 != 0)
        return false;
    for (qsizetype at = 0; at < sent.size(); at += 3) {
        if (sent[at] != '\x10' || sent[at + 1] != '\x04')
            return false;
    }
    return true;
}

} // namespace ZantoTest

#include "hostileippserver.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace ZantoTest::Cups {

using namespace std::chrono_literals;

const QByteArray HostileIppServer::StateMessage
    = "\x1b]0;owned\x07\x1b[2K\rFAKE: ready\x1b[5m" + QByteArray(5000, 'A');
const QByteArray HostileIppServer::StateReason = "\x1b[31mevil-reason\x1b[0m-error";
const QByteArray HostileIppServer::JobName = "\x1b[2J\x1b[Hinvoice\x07" + QByteArray(3000, 'B');

namespace {

// The IPP value tags and group tags that the replies use.
enum : char {
    OperationGroup = 0x01,
    JobGroup = 0x02,
    EndOfAttributes = 0x03,
    PrinterGroup = 0x04,
    Integer = 0x21,
    Boolean = 0x22,
    Enum = 0x23,
    Text = 0x41,
    Name = 0x42,
    Keyword = 0x44,
    Charset = 0x47,
    Language = 0x48,
};

QByteArray bigEndian16(int value)
{
    QByteArray bytes;
    bytes.append(char(value >> 8)).append(char(value & 0xff));
    return bytes;
}

QByteArray bigEndian32(int value)
{
    return bigEndian16(value >> 16) + bigEndian16(value & 0xffff);
}

QByteArray attribute(char tag, const QByteArray &name, const QByteArray &value)
{
    return tag + bigEndian16(int(name.size())) + name + bigEndian16(int(value.size())) + value;
}

QByteArray replyStart(const QByteArray &request)
{
    const QByteArray id = request.size() >= 8 ? request.mid(4, 4) : bigEndian32(1);
    return QByteArray("\x02\x00\x00\x00", 4) + id + OperationGroup
        + attribute(Charset, "attributes-charset", "utf-8")
        + attribute(Language, "attributes-natural-language", "en");
}

// A complete reply to request, whose texts hold escape sequences.
QByteArray escapesReply(const QByteArray &request)
{
    const int operation = request.size() >= 4 ? (uchar(request[2]) << 8) | uchar(request[3]) : 0;
    QByteArray reply = replyStart(request);
    if (operation == 0x000a) { // Get-Jobs
        reply += JobGroup + attribute(Integer, "job-id", bigEndian32(7))
            + attribute(Name, "job-originating-user-name", "mallory\x1b[5m")
            + attribute(Name, "job-name", HostileIppServer::JobName)
            + attribute(Integer, "job-k-octets", bigEndian32(1))
            + attribute(Enum, "job-state", bigEndian32(3))
            + attribute(Integer, "time-at-creation", bigEndian32(0));
    } else {
        reply += PrinterGroup + attribute(Enum, "printer-state", bigEndian32(3))
            + attribute(Keyword, "printer-state-reasons", HostileIppServer::StateReason)
            + attribute(Text, "printer-state-message", HostileIppServer::StateMessage)
            + attribute(Boolean, "printer-is-accepting-jobs", QByteArray(1, '\x01'))
            + attribute(Integer, "queued-job-count", bigEndian32(0));
    }
    return reply + EndOfAttributes;
}

QByteArray chunk(const QByteArray &data)
{
    return QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
}

// Reads one HTTP request (headers and body of its Content-Length); false
// when the client has gone.
bool readRequest(int connection, QByteArray &pending, QByteArray &method, QByteArray &body,
    const std::atomic<bool> &stopped)
{
    const auto end = std::chrono::steady_clock::now() + 30s;
    qsizetype headerEnd = -1;
    while ((headerEnd = pending.indexOf("\r\n\r\n")) < 0) {
        if (stopped || std::chrono::steady_clock::now() > end)
            return false;
        pollfd entry {connection, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
            return false; // the client has gone
        if (count > 0)
            pending.append(buffer, count);
    }
    const QByteArray headers = pending.left(headerEnd);
    pending.remove(0, headerEnd + 4);
    method = headers.left(headers.indexOf(' '));
    qsizetype length = 0;
    for (const QByteArray &line : headers.split('\n')) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
        if (line.toLower().startsWith("expect:"))
            sendAll(connection, "HTTP/1.1 100 Continue\r\n\r\n", stopped);
    }
    while (pending.size() < length) {
        if (stopped || std::chrono::steady_clock::now() > end)
            return false;
        const QByteArray more = readSome(connection, 100ms);
        if (more.isEmpty())
            return false; // a client sends its request without pausing
        pending += more;
    }
    body = pending.left(length);
    pending.remove(0, length);
    return true;
}

void serve(HostileIppServer::Behaviour behaviour, int connection, const std::atomic<bool> &stopped)
{
    using Behaviour = HostileIppServer::Behaviour;
    QByteArray pending, method, body;
    // Bounded, in case the other side never goes.
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (readRequest(connection, pending, method, body, stopped)) {
        if (method == "OPTIONS") {
            if (!sendAll(connection, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", stopped))
                return;
            continue;
        }
        if (behaviour == Behaviour::Escapes) {
            const QByteArray reply = escapesReply(body);
            if (!sendAll(connection,
                    "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: "
                        + QByteArray::number(reply.size()) + "\r\n\r\n" + reply,
                    stopped))
                return;
            continue;
        }
        if (behaviour == Behaviour::HeaderLineForever) {
            if (!sendAll(connection, "HTTP/1.1 200 OK\r\nX-Note: ", stopped))
                return;
            while (std::chrono::steady_clock::now() < end
                && sendAll(connection, QByteArray(32 << 10, 'A'), stopped))
                std::this_thread::sleep_for(5ms);
            return;
        }
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n";
        const QByteArray start = chunk(
            replyStart(body) + PrinterGroup + attribute(Keyword, "printer-state-reasons", "none"));
        if (behaviour == Behaviour::Trickle) {
            // A whole reply, a byte every 50 ms: far longer than any time-out.
            const QByteArray whole
                = head + start + chunk(QByteArray(1, EndOfAttributes)) + "0\r\n\r\n";
            for (const char byte : whole) {
                std::this_thread::sleep_for(50ms);
                if (std::chrono::steady_clock::now() > end
                    || !sendAll(connection, QByteArray(1, byte), stopped))
                    return;
            }
            continue;
        }
        // Endless: one more value of the last attribute, again and again,
        // a few MiB a second. Flood: one more attribute with a long text, as
        // fast as it goes.
        const bool flood = behaviour == Behaviour::Flood;
        QByteArray values;
        for (int i = 0; i < 2000; ++i)
            values += attribute(Keyword, {}, "none");
        const QByteArray piece
            = chunk(flood ? attribute(Text, "x-flood", QByteArray(30000, 'F')) : values);
        if (!sendAll(connection, head + start, stopped))
            return;
        while (std::chrono::steady_clock::now() < end && sendAll(connection, piece, stopped)) {
            if (!flood)
                std::this_thread::sleep_for(10ms);
        }
        return;
    }
}

} // namespace

HostileIppServer::HostileIppServer(Behaviour behaviour)
    : m_server(std::make_unique<LoopbackPrinter>(
        [behaviour](int connection, const std::atomic<bool> &stopped) {
            serve(behaviour, connection, stopped);
        }))
{ }

QString HostileIppServer::uri() const
{
    return QStringLiteral("ipp://127.0.0.1:%1/ipp/print").arg(m_server->port());
}

QString HostileIppServer::serverName() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server->port());
}

} // namespace ZantoTest::Cups

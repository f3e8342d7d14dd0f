// Network printers on the loopback interface for tests: a TCP listener on
// 127.0.0.1 that records what each connection sends, one that takes a single
// connection and then refuses any other, one that resets its connection
// after some bytes (a printer switched off mid-job), one that accepts and
// never reads (a printer that is off line), one that answers a status
// query, or one that serves each connection with a function of the test (a
// hostile printer or print server).
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ZantoTest {

class LoopbackPrinter
{
public:
    enum class Mode { Receive, SingleConnection, ResetAfter, AcceptNeverRead, Answer, Serve };
    // How a connection ended, as the printer saw it: in order (end of data)
    // or with a reset (a job dropped by its sender).
    enum class Ending { InOrder, Reset };
    // Serve: called on a thread of its own with each connection (with a
    // small receive buffer, so that the sender sees what it reads), which is
    // closed when it returns. It must return once the other side has gone
    // or stopped turns true (the printer is being destroyed).
    using Service = std::function<void(int connection, const std::atomic<bool> &stopped)>;

    // ResetAfter: once a connection has sent resetAfter bytes or more, it is
    // reset (SO_LINGER 0, then close); its small receive buffer leaves the
    // rest of a large job unacknowledged at the sender.
    // port: the one to listen on (a printer that comes up where nobody
    // listened); 0 for any free one.
    explicit LoopbackPrinter(Mode mode = Mode::Receive, qsizetype resetAfter = 0, quint16 port = 0);
    // Answer: sends reply on a connection each time what it sent so far ends
    // with requestEnd, and records the connection as Receive does.
    LoopbackPrinter(const QByteArray &requestEnd, const QByteArray &reply);
    explicit LoopbackPrinter(Service service);

    // What a receipt printer answers to the real-time status requests
    // DLE EOT 1, 2 and 4 (printer, off-line cause, paper sensor).
    struct RealTimeAnswers
    {
        unsigned char printer;
        unsigned char offlineCause;
        unsigned char paper;
    };
    // A service that answers every DLE EOT n it reads at once.
    static Service answeringRealTimeStatus(const RealTimeAnswers &answers);
    // Whether sent is only real-time status requests (DLE EOT n), which a
    // receipt printer is asked on connections of their own.
    static bool onlyStatusRequests(const QByteArray &sent);
    ~LoopbackPrinter();

    LoopbackPrinter(const LoopbackPrinter &) = delete;
    LoopbackPrinter &operator=(const LoopbackPrinter &) = delete;

    quint16 port() const { return m_port; }
    // "socket://127.0.0.1:PORT"
    QString uri() const;

    // Waits (up to limit, far longer than any test needs) until count
    // connections have ended; true when they have.
    bool waitForConnections(
        int count, std::chrono::milliseconds limit = std::chrono::seconds(60)) const;
    // What each ended connection sent, in order (nothing for Serve).
    QByteArrayList received() const;
    // How each ended connection ended, in the order of received().
    QList<Ending> endings() const;
    // Connections accepted so far, ended or not.
    int accepted() const;

private:
    void run();

    Mode m_mode;
    qsizetype m_resetAfter = 0;
    QByteArray m_requestEnd;
    QByteArray m_reply;
    Service m_service;
    std::atomic<bool> m_stopped = false;
    std::vector<std::thread> m_servers;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    quint16 m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QByteArrayList m_received;
    QList<Ending> m_endings;
    int m_accepted = 0;
};

// A loopback port on which nobody listens: connecting is refused.
quint16 refusingLoopbackPort();

// For services: sends all of bytes, waiting up to a second at a time; false
// once the other side has gone or stopped turns true.
bool sendAll(int connection, const QByteArray &bytes, const std::atomic<bool> &stopped);
// Reads what is there within wait: empty when the other side has gone or
// nothing came.
QByteArray readSome(int connection, std::chrono::milliseconds wait);

} // namespace ZantoTest

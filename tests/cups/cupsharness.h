// The private CUPS server of the tests, for C++ tests.
//
// A test uses it by being registered with zanto_use_cups_server(TEST) after
// zanto_add_test (tests/cups/CMakeLists.txt): CTest then starts the server
// first (fixture "cups", script tests/cups/cupsserver.sh), sets CUPS_SERVER and
// ZANTO_CUPS_DIR, and labels the test "cups".
//
// - The server has a raw queue "zanto-default", its default, whose jobs land
//   as files in defaultCaptureFolder(). Tests that read them also pass
//   RESOURCE_LOCK cups-default-queue, since tests run in parallel.
// - CaptureQueue makes a raw queue of the test's own, fed to a loopback
//   printer inside the test process: nothing shared, no lock needed. Other
//   tests add and remove such queues all the time, so a test that lists the
//   server's printers asserts only about its own queues and the default one.
// - noRawPrinterUri() is an IPP printer that does not take raw data.
// - waitForJob() asks the server until a job has ended; never sleep instead.
// - remoteServer() is a second scheduler reached over TCP only, as a print
//   server on another host; CaptureQueue makes queues there too. Tests that
//   stop or pause it take the CTest resource lock cups-remote-server.
#pragma once

#include "loopbackprinter.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <chrono>

namespace ZantoTest::Cups {

// What a call to a print server that does not answer may add to its
// time-out on a loaded machine.
constexpr std::chrono::seconds Margin {3};
// How long starting and ending zanto takes now (zanto --help), to be added
// to Margin for a zanto command.
std::chrono::steady_clock::duration zantoStartTime();

// True when the test runs with the private server.
bool available();
// CUPS_SERVER: the server's socket.
QString server();

QString defaultQueue();
QString defaultQueueUri();
QString defaultCaptureFolder();
// Every job the default queue has printed so far, in order.
QByteArrayList defaultQueueCaptures();
// An IPP printer (ipp://127.0.0.1:PORT/ipp/print) whose document formats
// leave raw data out.
QString noRawPrinterUri();

// The second scheduler: "127.0.0.1:PORT" for clients, and its own socket
// for administration (lpadmin -h).
QString remoteServer();
QString remoteAdmin();
// Stops the second scheduler, or starts it again with its queues.
void stopRemoteServer();
void startRemoteServer();
// Freezes the second scheduler (SIGSTOP): it still accepts connections but
// answers nothing, until resumed (SIGCONT).
void pauseRemoteServer(bool paused);

// Runs a CUPS command-line program (lpadmin, cupsreject, ...) against the
// private server; throws std::runtime_error with its output when it fails.
void runCupsCommand(const QString &program, const QStringList &arguments);

// IPP job states: 3 pending, 4 held, 5 processing, 6 stopped, 7 canceled,
// 8 aborted, 9 completed.
constexpr int JobCompleted = 9;
int jobState(int jobId);
// The ids of the jobs of queue that have not ended (pending, held,
// processing or stopped), asked of server (empty: the private server).
QList<int> unfinishedJobs(const QString &queue, const QString &server = {});
// Far beyond what a job on these servers takes, short enough that a job that
// never ends fails its test in seconds.
constexpr std::chrono::seconds JobLimit {20};

// Waits until the job has ended and returns its final state; 0 when limit
// passed first.
int waitForJob(int jobId, std::chrono::milliseconds limit = JobLimit);

// A raw queue of the test's own whose device is a loopback printer in this
// process, on the private server or on the one whose socket admin names.
// Removed from the server on destruction.
class CaptureQueue
{
public:
    explicit CaptureQueue(const QString &name, const QString &admin = {});
    ~CaptureQueue();

    CaptureQueue(const CaptureQueue &) = delete;
    CaptureQueue &operator=(const CaptureQueue &) = delete;

    const QString &name() const { return m_name; }
    // socket://127.0.0.1:PORT
    QString deviceUri() const { return m_printer.uri(); }
    // What the first count jobs sent, waiting until that many have arrived
    // (at most limit; then std::runtime_error).
    QByteArrayList received(int count, std::chrono::milliseconds limit = JobLimit) const;
    // Makes the queue refuse new jobs (cupsreject) or take them again.
    void setAcceptingJobs(bool accepting);

private:
    // lpadmin, cupsaccept or cupsreject with arguments, on the queue's server.
    void administer(const QString &program, QStringList arguments) const;

    LoopbackPrinter m_printer;
    QString m_name;
    QString m_admin;
};

} // namespace ZantoTest::Cups

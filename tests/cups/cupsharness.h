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
//   printer inside the test process: nothing shared, no lock needed.
// - noRawPrinterUri() is an IPP printer that does not take raw data.
// - waitForJob() asks the server until a job has ended; never sleep instead.
#pragma once

#include "loopbackprinter.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <chrono>

namespace ZantoTest::Cups {

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

// Runs a CUPS command-line program (lpadmin, cupsreject, ...) against the
// private server; throws std::runtime_error with its output when it fails.
void runCupsCommand(const QString &program, const QStringList &arguments);

// IPP job states: 3 pending, 4 held, 5 processing, 6 stopped, 7 canceled,
// 8 aborted, 9 completed.
constexpr int JobCompleted = 9;
int jobState(int jobId);
// Waits until the job has ended and returns its final state; 0 when limit
// passed first (far beyond what a job on this server takes).
int waitForJob(int jobId, std::chrono::milliseconds limit = std::chrono::seconds(60));

// A raw queue of the test's own whose device is a loopback printer in this
// process. Removed from the server on destruction.
class CaptureQueue
{
public:
    explicit CaptureQueue(const QString &name);
    ~CaptureQueue();

    CaptureQueue(const CaptureQueue &) = delete;
    CaptureQueue &operator=(const CaptureQueue &) = delete;

    const QString &name() const { return m_name; }
    // socket://127.0.0.1:PORT
    QString deviceUri() const { return m_printer.uri(); }
    // What the first count jobs sent, waiting until that many have arrived.
    QByteArrayList received(int count) const;
    // Makes the queue refuse new jobs (cupsreject) or take them again.
    void setAcceptingJobs(bool accepting);

private:
    LoopbackPrinter m_printer;
    QString m_name;
};

} // namespace ZantoTest::Cups

// zanto-printer-app run by a test: its server on a free loopback port with
// a state folder of its own, started, asked over IPP, stopped with SIGTERM
// and started again on the same state and port. PAPPL's subcommands find
// their server by a local socket named after the program: $TMPDIR/NAMEUID.sock,
// or /run/NAME.sock for root. Each instance runs the program through a link
// of its own name (zanto-printer-app-PORT) in a temporary folder of its own,
// which is also its $TMPDIR, so that instances in parallel tests never meet.
#pragma once

#include "processrunner.h"
#include "tempdir.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

typedef struct _ipp_s ipp_t;

namespace ZantoTest {

class PrinterAppProcess
{
public:
    /// A job's attributes as a test adds them to a Print-Job request.
    using JobAttributes = std::function<void(ipp_t *request)>;

    struct JobEnd
    {
        int state = 0; ///< job-state (9 completed, 8 aborted, 7 canceled)
        QString message; ///< job-state-message
        QStringList reasons; ///< job-state-reasons
    };

    PrinterAppProcess();
    ~PrinterAppProcess(); ///< stops the server if it runs
    PrinterAppProcess(const PrinterAppProcess &) = delete;
    PrinterAppProcess &operator=(const PrinterAppProcess &) = delete;

    /// Starts the server (on the port of the last start, else a free one)
    /// and waits until it answers IPP; throws when it does not within a
    /// minute or ends. extraOptions are further "-o NAME=VALUE" values.
    void start(const QStringList &extraOptions = {});
    /// SIGTERM (or signalNumber: SIGKILL for a crash), then waits for the
    /// end; the exit status (-1: crashed or killed).
    int stop(int signalNumber = 15);
    /// stop() and start() on the same state folder and port.
    void restart();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    QString stateDir() const { return m_state.path(); }
    /// A file in a folder of the test's own (for file: devices and texts).
    QString filePath(const QString &name) const { return m_files.filePath(name); }
    /// ipp://127.0.0.1:PORT/ipp/print/NAME
    QString printerUri(const QString &printer) const;
    /// What the server wrote to its log and standard error so far.
    QByteArray log() const;

    /// Runs a PAPPL subcommand of the program (add, printers, ...) against
    /// this server and waits for it.
    ProcessResult run(const QStringList &arguments) const;
    /// `add -d NAME -m PROFILE -v DEVICE`; throws with its message on failure.
    void addPrinter(const QString &name, const QString &profile, const QString &deviceUri) const;
    /// The HTTP status of a GET of path (a web page), 0 when none came.
    int webStatus(const QString &path) const;
    /// The printers' names, by IPP Get-Printers.
    QStringList printers() const;

    /// Print-Job of text as text/plain on printer; the job's id, or 0 when
    /// the request was refused (refusal then says why).
    int printText(const QString &printer, const QByteArray &text,
        const JobAttributes &attributes = {}, QString *refusal = nullptr) const;
    /// Waits (up to limit) until the job has ended; state 0 when it has not.
    JobEnd waitForJob(const QString &printer, int jobId,
        std::chrono::milliseconds limit = std::chrono::seconds(60)) const;

private:
    bool answers() const;
    QProcessEnvironment environment() const;

    TempDir m_state;
    TempDir m_temporary;
    TempDir m_files;
    quint16 m_port = 0;
    QString m_program; // the link the program runs through
    std::unique_ptr<QProcess> m_process;
};

/// A loopback port free at the moment of the call.
quint16 freeLoopbackPort();

} // namespace ZantoTest

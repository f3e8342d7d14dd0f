// Is the printer ready? Queues of the private CUPS server that are paused,
// reject jobs or hold waiting jobs, as the component and zanto status, jobs,
// cancel and print --wait see them.
#include "cupsharness.h"
#include "processrunner.h"
#include "pseudoterminal.h"
#include "systemreason.h"
#include "tempdir.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/zantoquiller.h>

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <memory>
#include <thread>

using namespace Zanto;
using namespace ZantoTest;

namespace {

// A queue of the test's own whose printer never takes its data: a job stays
// processing until it is cancelled.
class StuckQueue
{
public:
    explicit StuckQueue(const QString &name) : m_name(name)
    {
        Cups::runCupsCommand(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                m_printer.uri()});
    }
    ~StuckQueue()
    {
        try {
            Cups::runCupsCommand(QStringLiteral("lpadmin"), {QStringLiteral("-x"), m_name});
        } catch (...) { }
    }
    const QString &name() const { return m_name; }

private:
    LoopbackPrinter m_printer {LoopbackPrinter::Mode::AcceptNeverRead};
    QString m_name;
};

// An IPP printer that its operator pauses as soon as a job's document has
// come (zanto_ipp_printer --pause-while-printing): the job stays
// processing-stopped.
class PausedMidJobPrinter
{
public:
    PausedMidJobPrinter()
    {
        const QString portFile = m_dir.filePath(QStringLiteral("port"));
        m_process.start(builtProgram(QStringLiteral("zanto_ipp_printer")),
            {portFile, QStringLiteral("application/vnd.cups-raw"),
                QStringLiteral("--pause-while-printing")});
        const auto end = std::chrono::steady_clock::now() + Cups::JobLimit;
        while (!QFile::exists(portFile) && m_process.state() != QProcess::NotRunning
            && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_uri = QStringLiteral("ipp://127.0.0.1:%1/ipp/print")
                    .arg(QString::fromLatin1(readFile(portFile).trimmed()));
    }
    ~PausedMidJobPrinter()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    const QString &uri() const { return m_uri; }

private:
    TempDir m_dir;
    QProcess m_process;
    QString m_uri;
};

// zanto print --spooler --wait of a line to printer, started.
std::unique_ptr<QProcess> startWaitingPrint(const QString &printer)
{
    auto process = std::make_unique<QProcess>();
    process->start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("--spooler"), QStringLiteral("--printer"), printer,
            QStringLiteral("--wait")});
    // Written now: nothing runs an event loop for it later.
    process->waitForStarted();
    process->write("a line\n");
    process->waitForBytesWritten();
    process->closeWriteChannel();
    return process;
}

// How a started zanto ended; exit code -1 when it was still running after
// Cups::JobLimit.
ProcessResult endOf(QProcess &process)
{
    ProcessResult result;
    if (process.waitForFinished(int(std::chrono::milliseconds(Cups::JobLimit).count())))
        result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult zanto(const QStringList &arguments, const QByteArray &input = {})
{
    return runZanto(arguments, input);
}

ProcessResult spool(const QString &queue, const QStringList &more = {})
{
    return zanto(QStringList {QStringLiteral("print"), QStringLiteral("--spooler"),
                     QStringLiteral("--printer"), queue}
            + more,
        "a line\n");
}

// The ids of queue's jobs once there are count of them (bounded).
QList<int> jobsOnceThere(const QString &queue, int count)
{
    const auto end = std::chrono::steady_clock::now() + Cups::JobLimit;
    QList<int> jobs;
    while ((jobs = Cups::unfinishedJobs(queue)).size() < count
        && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return jobs;
}

class CupsStatus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Cups::available()) << "run through ctest: the test needs the private server";
    }
    void TearDown() override { selectDefaultPrinter(); }
};

} // namespace

TEST_F(CupsStatus, AQueueThatTakesJobsIsReady)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-status-ready"));
    const ProcessResult result = zanto({QStringLiteral("status"), queue.name()});
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, queue.name().toUtf8() + ": ready\n  accepts jobs\n  0 jobs waiting\n");
}

TEST_F(CupsStatus, APausedQueueWithWaitingJobsIsOffLineAndItsJobsCanBeCancelled)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-status-paused"));
    Cups::runCupsCommand(QStringLiteral("cupsdisable"), {queue.name()});
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(spool(queue.name()).exitCode, 0);
    const QList<int> jobs = Cups::unfinishedJobs(queue.name());
    ASSERT_EQ(jobs.size(), 2);

    // The component: the current printer's queue when it prints through the
    // spooler, or any destination named.
    selectPrinter(queue.name());
    TZantoquiller component;
    component.SetUseSpooler(true);
    for (const PrinterStatus &status : {component.QueryStatus(), printerStatus(queue.name())}) {
        EXPECT_EQ(status.state, PrinterState::OffLine);
        EXPECT_TRUE(status.isQueue);
        EXPECT_TRUE(status.acceptingJobs);
        EXPECT_EQ(status.waitingJobs, 2);
        EXPECT_EQ(status.reasons.value(0), QStringLiteral("the queue is stopped"));
        EXPECT_EQ(status.reasons.value(1), QStringLiteral("the queue is paused (paused)"));
    }

    const ProcessResult status = zanto({QStringLiteral("status"), queue.name()});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_TRUE(status.out.startsWith(queue.name().toUtf8()
        + ": off line\n  the queue is stopped\n  the queue is paused (paused)\n"))
        << status.out.constData();
    EXPECT_TRUE(status.out.endsWith("  accepts jobs\n  2 jobs waiting\n"))
        << status.out.constData();

    const ProcessResult listed = zanto({QStringLiteral("jobs"), queue.name()});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.constData();
    const QList<QByteArray> lines = listed.out.split('\n');
    ASSERT_EQ(lines.size(), 4) << listed.out.constData();
    EXPECT_TRUE(lines[0].startsWith("ID      USER"));
    for (int i = 0; i < 2; ++i) {
        const QString start = QStringLiteral("%1 %2 %3k %4 ")
                                  .arg(jobs[i], -7)
                                  .arg(QString::fromLocal8Bit(cupsUser()), -12)
                                  .arg(1, 7)
                                  .arg(QStringLiteral("pending"), -10);
        EXPECT_TRUE(lines[i + 1].startsWith(start.toUtf8())) << lines[i + 1].constData();
        // Titled as lp titles a job read from standard input.
        EXPECT_TRUE(lines[i + 1].endsWith(" (stdin)")) << lines[i + 1].constData();
    }

    // A job waited for on a stopped queue will not end by itself.
    const ProcessResult waited = spool(queue.name(), {QStringLiteral("--wait")});
    EXPECT_EQ(waited.exitCode, 4);
    const QList<int> three = Cups::unfinishedJobs(queue.name());
    ASSERT_EQ(three.size(), 3);
    EXPECT_TRUE(waited.err.startsWith(
        QStringLiteral("zanto print: waiting for job %1\nzanto print: job %1 stopped: the queue "
                       "is stopped")
            .arg(three[2])
            .toUtf8()))
        << waited.err.constData();

    const ProcessResult one = zanto({QStringLiteral("cancel"), QString::number(jobs[0])});
    EXPECT_EQ(one.exitCode, 0) << one.err.constData();
    EXPECT_EQ(one.out, QStringLiteral("cancelled job %1\n").arg(jobs[0]).toUtf8());
    EXPECT_EQ(Cups::unfinishedJobs(queue.name()), (QList<int> {jobs[1], three[2]}));

    const ProcessResult again = zanto({QStringLiteral("cancel"), QString::number(jobs[0])});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_FALSE(again.err.isEmpty());

    const ProcessResult all
        = zanto({QStringLiteral("cancel"), QStringLiteral("--all"), queue.name()});
    EXPECT_EQ(all.exitCode, 0) << all.err.constData();
    EXPECT_EQ(all.out,
        QStringLiteral("cancelled job %1\ncancelled job %2\n").arg(jobs[1]).arg(three[2]).toUtf8());
    EXPECT_EQ(Cups::unfinishedJobs(queue.name()), QList<int> {});
    EXPECT_EQ(zanto({QStringLiteral("jobs"), queue.name()}).out, QByteArray());
}

TEST_F(CupsStatus, AQueueThatRejectsJobsIsInError)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-status-rejecting"));
    queue.setAcceptingJobs(false);
    const PrinterStatus status = printerStatus(queue.name());
    EXPECT_EQ(status.state, PrinterState::Error);
    EXPECT_FALSE(status.acceptingJobs);
    EXPECT_EQ(status.reasons.value(0), QStringLiteral("the queue does not accept jobs"));

    const ProcessResult result = zanto({QStringLiteral("status"), queue.name()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith(
        queue.name().toUtf8() + ": error\n  the queue does not accept jobs\n"));
    EXPECT_TRUE(result.out.endsWith("  rejects jobs\n  0 jobs waiting\n"))
        << result.out.constData();
}

TEST_F(CupsStatus, PrintWaitReportsACompletedAndACancelledJob)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-status-wait"));
    const ProcessResult completed = spool(queue.name(), {QStringLiteral("--wait")});
    EXPECT_EQ(completed.exitCode, 0) << completed.err.constData();
    EXPECT_TRUE(queue.received(1).value(0).endsWith("a line\r\n"));
    EXPECT_TRUE(completed.err.endsWith(" completed\n")) << completed.err.constData();

    StuckQueue stuck(QStringLiteral("zanto-status-stuck"));
    QProcess waiting;
    waiting.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("--spooler"), QStringLiteral("--printer"),
            stuck.name(), QStringLiteral("--wait")});
    waiting.write("a line\n");
    waiting.closeWriteChannel();
    const QList<int> jobs = jobsOnceThere(stuck.name(), 1);
    ASSERT_EQ(jobs.size(), 1);
    cancelPrintJob(jobs[0]);
    ASSERT_TRUE(waiting.waitForFinished(int(std::chrono::milliseconds(Cups::JobLimit).count())));
    EXPECT_EQ(waiting.exitCode(), 4);
    EXPECT_EQ(waiting.readAllStandardError().toStdString(),
        QStringLiteral("zanto print: waiting for job %1\nzanto print: job %1 cancelled\n")
            .arg(jobs[0])
            .toStdString());
}

// A job that stops while it prints ends the wait, whether the print server
// puts it back to wait on its paused queue or the printer keeps it stopped.
TEST_F(CupsStatus, PrintWaitEndsWhenThePrinterIsPausedMidJob)
{
    StuckQueue queue(QStringLiteral("zanto-status-paused-mid-job"));
    const std::unique_ptr<QProcess> onQueue = startWaitingPrint(queue.name());
    const QList<int> jobs = jobsOnceThere(queue.name(), 1);
    ASSERT_EQ(jobs.size(), 1);
    const auto end = std::chrono::steady_clock::now() + Cups::JobLimit;
    while (
        Cups::jobState(jobs[0]) != IPP_JSTATE_PROCESSING && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(Cups::jobState(jobs[0]), IPP_JSTATE_PROCESSING);
    Cups::runCupsCommand(QStringLiteral("cupsdisable"), {queue.name()});
    const ProcessResult queued = endOf(*onQueue);
    EXPECT_EQ(queued.exitCode, 4);
    EXPECT_TRUE(queued.err.startsWith(
        QStringLiteral("zanto print: waiting for job %1\nzanto print: job %1 stopped: the queue "
                       "is stopped")
            .arg(jobs[0])
            .toUtf8()))
        << queued.err.constData();

    PausedMidJobPrinter printer;
    const std::unique_ptr<QProcess> onPrinter = startWaitingPrint(printer.uri());
    const ProcessResult direct = endOf(*onPrinter);
    EXPECT_EQ(direct.exitCode, 4);
    EXPECT_EQ(direct.err.toStdString(),
        "zanto print: waiting for job 1\nzanto print: job 1 stopped: printer-stopped\n");
}

TEST_F(CupsStatus, AServerThatCannotBeReachedEndsWithStatusThree)
{
    const quint16 port = refusingLoopbackPort();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:%1").arg(port));
    const QString reason = QStringLiteral("Cannot reach the print server 127.0.0.1:%1: %2")
                               .arg(port)
                               .arg(childOsReason(ECONNREFUSED));

    const ProcessResult status
        = runZanto({QStringLiteral("status"), QStringLiteral("some-queue")}, {}, environment);
    EXPECT_EQ(status.exitCode, 3);
    EXPECT_EQ(QString::fromLocal8Bit(status.out),
        QStringLiteral("some-queue: error\n  %1\n").arg(reason));
    const ProcessResult jobs
        = runZanto({QStringLiteral("jobs"), QStringLiteral("some-queue")}, {}, environment);
    EXPECT_EQ(jobs.exitCode, 3);
    EXPECT_EQ(QString::fromLocal8Bit(jobs.err), "zanto jobs: " + reason + u'\n');
}

TEST_F(CupsStatus, TheComponentAsksTheDeviceOfItsPort)
{
    const PseudoTerminal terminal;
    ASSERT_TRUE(setDevicePath(QStringLiteral("LPT2"), terminal.path()));
    TZantoquiller component;
    component.SetPort(poLPT2);
    const PrinterStatus status = component.QueryStatus();
    resetDevicePaths();
    EXPECT_EQ(status.state, PrinterState::Unknown);
    EXPECT_EQ(status.destination, QStringLiteral("LPT2"));
    EXPECT_EQ(status.reasons,
        QStringList {terminal.path()
            + QStringLiteral(" has no modem lines to tell the printer's "
                             "state")});
}

TEST(StatusCommands, UsageMistakesEndWithStatusTwoAndAMessage)
{
    const std::pair<QStringList, QByteArray> rows[] = {
        {{QStringLiteral("cancel")}, "zanto cancel: give job ids or --all QUEUE\n"},
        {{QStringLiteral("cancel"), QStringLiteral("7"), QStringLiteral("--all"),
             QStringLiteral("q")},
            "zanto cancel: give job ids or --all QUEUE\n"},
        {{QStringLiteral("cancel"), QStringLiteral("x1")},
            "zanto cancel: 'x1' is not a job id (ID or QUEUE-ID)\n"},
        {{QStringLiteral("cancel"), QStringLiteral("0")},
            "zanto cancel: '0' is not a job id (ID or QUEUE-ID)\n"},
        {{QStringLiteral("cancel"), QStringLiteral("Q-0")},
            "zanto cancel: 'Q-0' is not a job id (ID or QUEUE-ID)\n"},
        {{QStringLiteral("cancel"), QStringLiteral("Q-")},
            "zanto cancel: 'Q-' is not a job id (ID or QUEUE-ID)\n"},
        {{QStringLiteral("status"), QStringLiteral("a"), QStringLiteral("b")},
            "zanto status: unexpected argument 'b'\n"},
        {{QStringLiteral("jobs"), QStringLiteral("a"), QStringLiteral("b")},
            "zanto jobs: unexpected argument 'b'\n"},
        {{QStringLiteral("status"), QStringLiteral("--timeout"), QStringLiteral("soon")},
            "zanto status: --timeout: 'soon' is not a number from 0 to 65535\n"},
    };
    for (const auto &[arguments, message] : rows) {
        const ProcessResult result = runZanto(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(result.err, message);
        EXPECT_EQ(result.out, QByteArray());
    }
}

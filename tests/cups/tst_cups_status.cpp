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

#include <csignal>
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

// zanto print --spooler --wait of a line to printer, with more options, started.
std::unique_ptr<QProcess> startWaitingPrint(const QString &printer, const QStringList &more = {})
{
    auto process = std::make_unique<QProcess>();
    process->start(builtProgram(QStringLiteral("zanto")),
        QStringList {QStringLiteral("print"), QStringLiteral("--spooler"),
            QStringLiteral("--printer"), printer, QStringLiteral("--wait")}
            + more);
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

    // A job waited for on a paused queue is waited for; given up on, it is
    // cancelled, so that it cannot print after the failure was reported.
    const ProcessResult waited = spool(queue.name(),
        {QStringLiteral("--wait"), QStringLiteral("--wait-timeout"), QStringLiteral("500ms")});
    EXPECT_EQ(waited.exitCode, 4);
    ASSERT_EQ(Cups::unfinishedJobs(queue.name()), jobs);
    const int givenUp = waited.err.mid(waited.err.indexOf("job ") + 4).split('\n').value(0).toInt();
    EXPECT_GT(givenUp, jobs[1]);
    EXPECT_EQ(waited.err.toStdString(),
        QStringLiteral("zanto print: waiting for job %1\nzanto print: gave up waiting for %2-%1 "
                       "after 0.5 s; the job was cancelled\n")
            .arg(givenUp)
            .arg(queue.name())
            .toStdString());
    EXPECT_EQ(Cups::jobState(givenUp), int(JobState::Cancelled));

    const ProcessResult one = zanto({QStringLiteral("cancel"), QString::number(jobs[0])});
    EXPECT_EQ(one.exitCode, 0) << one.err.constData();
    EXPECT_EQ(one.out, QStringLiteral("cancelled job %1\n").arg(jobs[0]).toUtf8());
    EXPECT_EQ(Cups::unfinishedJobs(queue.name()), (QList<int> {jobs[1]}));

    const ProcessResult again = zanto({QStringLiteral("cancel"), QString::number(jobs[0])});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_FALSE(again.err.isEmpty());

    const ProcessResult all
        = zanto({QStringLiteral("cancel"), QStringLiteral("--all"), queue.name()});
    EXPECT_EQ(all.exitCode, 0) << all.err.constData();
    EXPECT_EQ(all.out, QStringLiteral("cancelled job %1\n").arg(jobs[1]).toUtf8());
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

// A job the printer keeps stopped midway (processing-stopped) is waited for
// as one on a paused queue is; given up on, it is cancelled. (The print
// server itself puts a job back to wait when its queue is paused midway.)
TEST_F(CupsStatus, PrintWaitGivesUpOnAJobThePrinterKeepsStopped)
{
    PausedMidJobPrinter printer;
    const std::unique_ptr<QProcess> onPrinter = startWaitingPrint(
        printer.uri(), {QStringLiteral("--wait-timeout"), QStringLiteral("2s")});
    const ProcessResult direct = endOf(*onPrinter);
    EXPECT_EQ(direct.exitCode, 4);
    EXPECT_EQ(direct.err.toStdString(),
        QStringLiteral("zanto print: waiting for job 1\nzanto print: gave up waiting for %1-1 "
                       "after 2 s; the job was cancelled\n")
            .arg(printer.uri())
            .toStdString());
}

namespace {

// zanto print --wait of one line to queue, its standard error on terminal.
void startWaitingPrint(QProcess &zanto, const QString &queue, const PseudoTerminal &terminal,
    const QStringList &more = {})
{
    zanto.setStandardErrorFile(terminal.path());
    zanto.start(builtProgram(QStringLiteral("zanto")),
        QStringList {QStringLiteral("print"), QStringLiteral("--spooler"),
            QStringLiteral("--printer"), queue, QStringLiteral("--wait")}
            + more);
    zanto.write("a line\n");
    // Written now: the test runs no event loop that would write it later.
    zanto.waitForBytesWritten();
    zanto.closeWriteChannel();
}

// What came on the terminal until it holds text (bounded).
QByteArray shownOnceThere(const PseudoTerminal &terminal, const QByteArray &text)
{
    const auto end = std::chrono::steady_clock::now() + Cups::JobLimit;
    QByteArray shown;
    while (!shown.contains(text) && std::chrono::steady_clock::now() < end)
        shown += terminal.read(4096, std::chrono::milliseconds(100));
    return shown;
}

} // namespace

TEST_F(CupsStatus, PrintWaitWaitsThroughAPausedQueueAndSaysWhy)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-status-resumed"));
    Cups::runCupsCommand(QStringLiteral("cupsdisable"),
        {QStringLiteral("-r"), QStringLiteral("new paper roll"), queue.name()});
    const PseudoTerminal terminal;
    QProcess waiting;
    startWaitingPrint(waiting, queue.name(), terminal);
    const QByteArray why
        = "zanto print: waiting: queue " + queue.name().toUtf8() + " is paused: new paper roll";
    const QByteArray shown = shownOnceThere(terminal, why);
    EXPECT_TRUE(shown.contains(why)) << shown.constData();
    EXPECT_FALSE(waiting.waitForFinished(0));

    Cups::runCupsCommand(QStringLiteral("cupsenable"), {queue.name()});
    ASSERT_TRUE(waiting.waitForFinished(int(std::chrono::milliseconds(Cups::JobLimit).count())));
    EXPECT_EQ(waiting.exitCode(), 0);
    EXPECT_TRUE(queue.received(1).value(0).endsWith("a line\r\n"));
    EXPECT_TRUE(shownOnceThere(terminal, " completed").contains(" completed"));
}

TEST_F(CupsStatus, PrintWaitGivesUpOnAJobStoppedMidwayAndCancelsIt)
{
    // The queue is paused while its printer has the job: the job stops
    // there, and may go on when the queue is started again.
    StuckQueue stuck(QStringLiteral("zanto-status-stopped"));
    const PseudoTerminal terminal;
    QProcess waiting;
    startWaitingPrint(
        waiting, stuck.name(), terminal, {QStringLiteral("--wait-timeout"), QStringLiteral("2s")});
    const QList<int> jobs = jobsOnceThere(stuck.name(), 1);
    ASSERT_EQ(jobs.size(), 1);
    const auto end = std::chrono::steady_clock::now() + Cups::JobLimit;
    while (Cups::jobState(jobs[0]) != int(JobState::Processing)
        && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Cups::runCupsCommand(QStringLiteral("cupsdisable"), {stuck.name()});

    ASSERT_TRUE(waiting.waitForFinished(int(std::chrono::milliseconds(Cups::JobLimit).count())));
    EXPECT_EQ(waiting.exitCode(), 4);
    const QByteArray gaveUp = "zanto print: gave up waiting for " + stuck.name().toUtf8() + "-"
        + QByteArray::number(jobs[0]) + " after 2 s; the job was cancelled";
    const QByteArray shown = shownOnceThere(terminal, gaveUp);
    EXPECT_TRUE(shown.contains(gaveUp)) << shown.constData();
    EXPECT_TRUE(shown.contains("zanto print: waiting: queue " + stuck.name().toUtf8()))
        << shown.constData();
    EXPECT_EQ(Cups::unfinishedJobs(stuck.name()), QList<int> {});
    Cups::runCupsCommand(QStringLiteral("cupsenable"), {stuck.name()});
}

TEST_F(CupsStatus, PrintWaitStoppedBySignalCancelsTheJob)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-status-interrupted"));
    Cups::runCupsCommand(QStringLiteral("cupsdisable"), {queue.name()});
    const PseudoTerminal terminal;
    QProcess waiting;
    startWaitingPrint(waiting, queue.name(), terminal);
    const QByteArray why = "zanto print: waiting: queue " + queue.name().toUtf8() + " is paused";
    ASSERT_TRUE(shownOnceThere(terminal, why).contains(why));
    const QList<int> jobs = Cups::unfinishedJobs(queue.name());
    ASSERT_EQ(jobs.size(), 1);
    waiting.terminate(); // SIGTERM, as Ctrl-C's SIGINT
    ASSERT_TRUE(waiting.waitForFinished(int(std::chrono::milliseconds(Cups::JobLimit).count())));
    EXPECT_EQ(waiting.exitCode(), 128 + SIGTERM);
    const QByteArray shown = shownOnceThere(terminal, "the job was cancelled");
    EXPECT_TRUE(shown.contains("the job was cancelled")) << shown.constData();
    EXPECT_EQ(Cups::unfinishedJobs(queue.name()), QList<int> {});
    EXPECT_EQ(Cups::jobState(jobs[0]), int(JobState::Cancelled));
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
        QStringLiteral("some-queue: unreachable\n  %1\n").arg(reason));
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
        {{QStringLiteral("print"), QStringLiteral("--wait-timeout"), QStringLiteral("2s")},
            "zanto print: --wait-timeout is given without --wait\n"},
        {{QStringLiteral("print"), QStringLiteral("--wait"), QStringLiteral("--wait-timeout"),
             QStringLiteral("-1")},
            "zanto print: --wait-timeout: '-1' is not a time (give seconds, or a number with ms, "
            "s, m or h, up to 596 h)\n"},
    };
    for (const auto &[arguments, message] : rows) {
        const ProcessResult result = runZanto(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(result.err, message);
        EXPECT_EQ(result.out, QByteArray());
    }
}

// A destination that a print could not open is not "ready": the status
// says why, with the exit status of a printer that cannot be reached.
TEST(StatusCommands, AnAbsentDeviceAndARefusingPrinterAreNotReady)
{
    const QString absent = QStringLiteral("/dev/zanto-no-such-printer");
    const QString refusing = QStringLiteral("socket://127.0.0.1:%1").arg(refusingLoopbackPort());
    const std::pair<QString, QString> rows[] = {
        {absent, QStringLiteral("%1: absent\n  %1: %2\n").arg(absent, childOsReason(ENOENT))},
        {refusing,
            QStringLiteral("%1: unreachable\n  %1: %2\n")
                .arg(refusing, childOsReason(ECONNREFUSED))},
    };
    for (const auto &[destination, shown] : rows) {
        const ProcessResult result = runZanto({QStringLiteral("status"), destination});
        EXPECT_EQ(result.exitCode, 3) << destination.toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(result.out), shown);
    }
    // As a print to it fails.
    const ProcessResult printed
        = runZanto({QStringLiteral("print"), QStringLiteral("--to"), absent}, "a line\n");
    EXPECT_NE(printed.exitCode, 0);
}

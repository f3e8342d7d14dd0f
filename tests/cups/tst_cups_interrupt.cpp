// zanto print through the spooler, stopped by a signal: the job it had open
// is cancelled, so nothing of the stopped print comes out of the printer.
#include "cupsharness.h"
#include "processrunner.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>

#include <cups/cups.h>

#include <chrono>
#include <csignal>

using namespace ZantoTest;

namespace {

// The id of the newest job of queue, or 0 when it has none.
int newestJob(const QString &queue)
{
    cups_job_t *jobs = nullptr;
    const int count
        = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    int newest = 0;
    for (int k = 0; k < count; ++k)
        newest = std::max(newest, jobs[k].id);
    cupsFreeJobs(count, jobs);
    return newest;
}

} // namespace

TEST(CupsInterrupt, SigtermDuringASpoolerPrintCancelsItsJob)
{
    ASSERT_TRUE(Cups::available()) << "run through ctest: the test needs the private server";
    Cups::CaptureQueue queue(QStringLiteral("zanto-interrupt"));
    QProcess zanto;
    zanto.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("--spooler"), QStringLiteral("--printer"),
            queue.name(), QStringLiteral("--printer-type"), QStringLiteral("plain")});
    ASSERT_TRUE(zanto.waitForStarted());
    zanto.write("first line\nsecond line\n");
    ASSERT_TRUE(zanto.waitForBytesWritten());

    // The job is opened before the input is read; the input stays open.
    int job = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((job = newestJob(queue.name())) == 0 && std::chrono::steady_clock::now() < end)
        QThread::msleep(20);
    ASSERT_NE(job, 0);
    ::kill(pid_t(zanto.processId()), SIGTERM);
    ASSERT_TRUE(zanto.waitForFinished(30000));
    EXPECT_EQ(zanto.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(zanto.exitCode(), 128 + SIGTERM) << zanto.readAllStandardError().constData();

    // Cancelled, not printed: nothing waits in the queue either.
    EXPECT_EQ(Cups::waitForJob(job), int(IPP_JSTATE_CANCELED));
    EXPECT_EQ(newestJob(queue.name()), job);
    cups_job_t *pending = nullptr;
    const int left = cupsGetJobs2(
        CUPS_HTTP_DEFAULT, &pending, queue.name().toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(left, pending);
    EXPECT_EQ(left, 0);
}

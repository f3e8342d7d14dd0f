// The channel with the private CUPS server: the current printer's port, the
// driver check, and raw spooler jobs that arrive byte for byte.
#include "cupsharness.h"
#include "printjob.h"

#include <zantoquiller/platform/printer.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace Zanto;
using namespace ZantoTest;

namespace {

TTextBuffer line(const QByteArray &bytes)
{
    TTextBuffer buffer;
    std::memcpy(buffer.Data, bytes.constData(), std::size_t(bytes.size()));
    buffer.Count = quint16(bytes.size());
    return buffer;
}

template<typename Call> QString failureOf(Call call)
{
    try {
        call();
    } catch (const Exception &error) {
        return error.Message();
    }
    return QStringLiteral("none");
}

const QString DriverMessage = QStringLiteral(
    "The selected printer driver does not allow direct communications. Please use the "
    "Generic/Text only driver for this printer");

// Queues that another client of the server keeps removing and adding again
// in turn, as on a print server shared by many, until destroyed.
class ComingAndGoingQueues
{
public:
    ComingAndGoingQueues(int count, const QString &deviceUri) : m_count(count)
    {
        for (int i = 0; i < count; ++i)
            add(i, deviceUri);
        m_thread = std::thread([this, count, deviceUri] {
            try {
                for (int i = 0; !m_stop; i = (i + 1) % count) {
                    remove(i);
                    ++m_removals;
                    add(i, deviceUri);
                }
            } catch (const std::exception &error) {
                m_failure = error.what();
            }
        });
    }
    ~ComingAndGoingQueues()
    {
        stop();
        for (int i = 0; i < m_count; ++i) {
            try {
                remove(i);
            } catch (...) { }
        }
    }
    // Ends the changes; what made them fail, if anything did.
    std::string stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_failure;
    }
    int removals() const { return m_removals; }

private:
    static QString name(int i) { return QStringLiteral("zanto-channel-passing%1").arg(i); }
    static void add(int i, const QString &deviceUri)
    {
        Cups::runCupsCommand(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), name(i), QStringLiteral("-E"), QStringLiteral("-v"), deviceUri});
    }
    static void remove(int i)
    {
        Cups::runCupsCommand(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name(i)});
    }

    const int m_count;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_removals {0};
    std::string m_failure;
    std::thread m_thread;
};

class CupsChannel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Cups::available()) << "run through ctest: the test needs the private server";
        selectDefaultPrinter();
    }
    void TearDown() override { selectDefaultPrinter(); }

    TZantoquiller component;
};

} // namespace

TEST_F(CupsChannel, TheCurrentPortIsTheDefaultQueuesDeviceUri)
{
    EXPECT_EQ(currentPrinterName(), Cups::defaultQueue());
    EXPECT_EQ(component.PortToString(poCurrent), Cups::defaultQueueUri());
}

TEST_F(CupsChannel, TheListShowsEveryQueueAndWhichIsCurrent)
{
    Cups::CaptureQueue other(QStringLiteral("zanto-channel-list"));
    selectPrinter(other.name());
    const QList<PrinterInfo> printers = printerList();
    bool sawDefault = false, sawOther = false;
    for (const PrinterInfo &printer : printers) {
        if (printer.name == Cups::defaultQueue()) {
            sawDefault = true;
            EXPECT_TRUE(printer.isDefault);
            EXPECT_FALSE(printer.isCurrent);
            EXPECT_TRUE(printer.acceptsRaw);
            EXPECT_EQ(printer.deviceUri, Cups::defaultQueueUri());
        } else if (printer.name == other.name()) {
            sawOther = true;
            EXPECT_FALSE(printer.isDefault);
            EXPECT_TRUE(printer.isCurrent);
            EXPECT_EQ(printer.deviceUri, other.deviceUri());
        }
    }
    EXPECT_TRUE(sawDefault);
    EXPECT_TRUE(sawOther);
}

TEST_F(CupsChannel, AQueueRemovedWhileTheListIsMadeIsLeftOutOfIt)
{
    Cups::CaptureQueue own(QStringLiteral("zanto-channel-stays"));
    selectPrinter(own.name());
    ComingAndGoingQueues others(6, own.deviceUri());
    for (int round = 0; round < 30; ++round) {
        QList<PrinterInfo> printers;
        ASSERT_NO_THROW(printers = printerList()) << "round " << round;
        int current = 0, defaults = 0;
        for (const PrinterInfo &printer : printers) {
            current += printer.isCurrent && printer.name == own.name();
            defaults += printer.isDefault && printer.name == Cups::defaultQueue();
        }
        EXPECT_EQ(current, 1);
        EXPECT_EQ(defaults, 1);
    }
    EXPECT_EQ(others.stop(), "");
    EXPECT_GT(others.removals(), 0);
}

TEST_F(CupsChannel, SelectingAnUnknownPrinterKeepsTheCurrentOne)
{
    EXPECT_EQ(failureOf([] { selectPrinter(QStringLiteral("no-such-queue")); }),
        QStringLiteral("There is no printer named 'no-such-queue' on the print server ")
            + Cups::server());
    EXPECT_EQ(currentPrinterName(), Cups::defaultQueue());
}

TEST_F(CupsChannel, TheCurrentPortOpensTheQueuesDeviceDirectly)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-channel-port"));
    selectPrinter(queue.name());
    EXPECT_EQ(component.PortToString(poCurrent), queue.deviceUri());
    component.SetPort(poCurrent);
    component.SetUseSpooler(true); // PrintString never spools
    component.PrintString(QByteArray("\x1b@direct\x00\xff", 10));
    EXPECT_EQ(queue.received(1), QByteArrayList {QByteArray("\x1b@direct\x00\xff", 10)});
}

TEST_F(CupsChannel, TheDriverCheckAnswersBothWays)
{
    EXPECT_TRUE(component.DriverCompatible());

    selectPrinter(Cups::noRawPrinterUri());
    EXPECT_FALSE(component.DriverCompatible());
    // A spooler job does not start: nothing is sent, no document begun.
    const int lastJob = Platform::printer().jobId();
    component.SetUseSpooler(true);
    EXPECT_EQ(failureOf([&] { PrintJob job(component, true); }), DriverMessage);
    EXPECT_EQ(Platform::printer().jobId(), lastJob);
    EXPECT_FALSE(Platform::printer().printing());
    // Without the spooler the check does not run.
    PrintJob direct(component, false);
    EXPECT_FALSE(direct.spoolerMode());
}

TEST_F(CupsChannel, ARawJobArrivesByteForByteWithFormFeedsAtPageEnds)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-channel-raw"));
    selectPrinter(queue.name());
    component.SetUseSpooler(true);
    component.SetPort(poLPT1); // plays no part in spooler mode
    {
        PrintJob job(component, true);
        ASSERT_TRUE(job.spoolerMode());
        job.sendLine(line("\x1b(s10H"));
        job.sendLine(line("a\r\n"));
        job.sendLine(line("b\r"));
        job.newPage();
        job.sendLine(line(QByteArray("\x00\x0a\x0d\x1b\xff\r\n", 7)));
        job.end();
    }
    const int jobId = Platform::printer().jobId();
    EXPECT_EQ(Cups::waitForJob(jobId), Cups::JobCompleted);
    EXPECT_EQ(queue.received(1),
        QByteArrayList {QByteArray("\x1b(s10Ha\r\nb\r\f\x00\x0a\x0d\x1b\xff\r\n", 19)});
}

TEST_F(CupsChannel, AJobLeftByAnExceptionStillPrintsWhatWasSent)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-channel-abandoned"));
    selectPrinter(queue.name());
    component.SetUseSpooler(true);
    try {
        PrintJob job(component, true);
        job.sendLine(line("sent\r\n"));
        throw eZantoquillError(QStringLiteral("Line too long for buffer!  Printing Aborted"));
    } catch (const eZantoquillError &) { }
    EXPECT_FALSE(Platform::printer().printing());
    EXPECT_EQ(Cups::waitForJob(Platform::printer().jobId()), Cups::JobCompleted);
    EXPECT_EQ(queue.received(1), QByteArrayList {"sent\r\n"});
}

TEST_F(CupsChannel, AQueueThatRefusesJobsFailsTheJobAtItsStart)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-channel-refusing"));
    queue.setAcceptingJobs(false);
    selectPrinter(queue.name());
    component.SetUseSpooler(true);
    const QString failure = failureOf([&] { PrintJob job(component, true); });
    EXPECT_TRUE(failure.startsWith(u"The printer 'zanto-channel-refusing' refused the print job: "))
        << failure.toStdString();
    EXPECT_FALSE(Platform::printer().printing());
}

TEST_F(CupsChannel, TheDefaultQueueCapturesEachJob)
{
    const int before = Cups::defaultQueueCaptures().size();
    Platform::Printer &printer = Platform::printer();
    printer.beginDoc("capture check");
    printer.write("one\f", 4);
    printer.newPage();
    printer.endDoc();
    EXPECT_EQ(Cups::waitForJob(printer.jobId()), Cups::JobCompleted);
    const QByteArrayList captures = Cups::defaultQueueCaptures();
    ASSERT_EQ(captures.size(), before + 1);
    EXPECT_EQ(captures.last(), "one\f\f");
}

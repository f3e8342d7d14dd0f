// The print job steps in direct mode, as the memo printer drives them.
#include "directoutput.h"
#include "printjob.h"
#include "zantoquiller_p.h"

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/outputdevice.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include "loopbackprinter.h"
#include "memotestsupport.h"
#include "pseudoterminal.h"
#include "tempdir.h"
#include "watchdog.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <mutex>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace Zanto;
using namespace ZantoTest;
using namespace std::chrono_literals;

namespace {

TTextBuffer line(const QByteArray &bytes)
{
    TTextBuffer buffer;
    std::memcpy(buffer.Data, bytes.constData(), std::size_t(bytes.size()));
    buffer.Count = quint16(bytes.size());
    return buffer;
}

QString failureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Exception &error) {
        return error.Message();
    }
    return QStringLiteral("none");
}

// The message and reason of the EInOutError that call raised.
std::pair<QString, QString> inOutErrorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const EInOutError &error) {
        return {error.Message(), error.Reason()};
    }
    return {QStringLiteral("none"), {}};
}

// An invoice-like text of count numbered lines.
QByteArray numberedLines(int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "Item " + QByteArray::number(i) + "  widget, blue, boxed   "
            + QByteArray::number(i * 7) + ".00\r\n";
    return text;
}

// A memo text whose progress report runs a step of the application.
class TextWithProgress : public MemoryText
{
public:
    TextWithProgress(QByteArray text, std::function<void(qint64)> onLine)
        : MemoryText(std::move(text)), m_onLine(std::move(onLine))
    { }
    void progress(qint64 linesSent, qint64 pagesEnded) override
    {
        MemoryText::progress(linesSent, pagesEnded);
        m_onLine(linesSent);
    }

private:
    std::function<void(qint64)> m_onLine;
};

bool appendToFile(TZantoquiller &component)
{
    return TZantoquillerPrivate::get(component).appendToFile;
}

class DevicePaths : public ::testing::Test
{
protected:
    void SetUp() override { resetDevicePaths(); }
    void TearDown() override { resetDevicePaths(); }
};

} // namespace

TEST(PrintJob, DirectLinesToAFileAppendAfterTheFirst)
{
    TempDir dir;
    dir.write(QStringLiteral("out.prn"), "earlier content");
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(dir.filePath(QStringLiteral("out.prn")));
    component.SetUseSpooler(true); // a disk file never goes through the spooler
    {
        PrintJob job(component, true);
        EXPECT_FALSE(job.spoolerMode());
        job.sendLine(line("\x1b(s10H"));
        job.sendLine(line("a\r\n"));
        job.newPage(); // nothing in direct mode: the form feed is in the line
        job.sendLine(line("b\r\f"));
        job.end();
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "\x1b(s10Ha\r\nb\r\f");

    // The next job starts the file anew, and so does a direct call after it.
    {
        PrintJob job(component, false);
        job.sendLine(line("c\r\n"));
        job.end();
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "c\r\n");
    component.PrintString("d");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "d");
}

TEST(PrintJob, ALineRangeGoesStraightToThePort)
{
    PseudoTerminal terminal;
    setDevicePath(QStringLiteral("COM3"), terminal.path());
    TZantoquiller component;
    component.SetPort(poCOM3);
    component.SetUseSpooler(true);
    {
        PrintJob job(component, false);
        EXPECT_FALSE(job.spoolerMode());
        job.sendLine(line("x\r\n"));
        job.end();
    }
    EXPECT_EQ(terminal.read(3), "x\r\n");
    resetDevicePaths();
}

TEST(PrintJob, AFailedWriteClearsAppendToFile)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(file);
    PrintJob job(component, true);
    job.sendLine(line("first\r\n")); // the next line would append
    component.SetOutputFile(QStringLiteral("/dev/full"));
    EXPECT_EQ(failureOf([&] { job.sendLine(line("second\r\n")); }), u"Failed to write to port");
    // AppendToFile is false again: this call creates the file anew.
    component.SetOutputFile(file);
    component.PrintString("after");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "after");
}

TEST(PrintJob, AMissingFileWhileAppendingFailsToOpen)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(file);
    {
        PrintJob job(component, true);
        job.sendLine(line("first\r\n"));
        ASSERT_TRUE(QFile::remove(file));
        EXPECT_EQ(failureOf([&] { job.sendLine(line("second\r\n")); }), u"Failed to open port");
        // The job left by the exception: the destructor ends it.
    }
    EXPECT_FALSE(QFile::exists(file));
    component.PrintString("fresh");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "fresh");
}

TEST_F(DevicePaths, ADirectJobToATcpPrinterIsOneConnection)
{
    // 45 lines fit in one write; 3000 lines take several.
    for (const int lines : {45, 3000}) {
        const QByteArray text = numberedLines(lines);
        LoopbackPrinter printer;
        ASSERT_TRUE(setDevicePath(QStringLiteral("LPT2"), printer.uri()));
        TZantoquiller component;
        component.SetPrinterType(ptEpson); // a pitch line first
        component.SetPort(poLPT2);
        const QByteArray whole = printText(component, text).bytes();
        const QByteArray range = printText(component, text, 1, 39).bytes();

        MemoryText wholeText(text);
        PrintMemoText(component, wholeText);
        MemoryText rangeText(text);
        PrintMemoTextLines(component, rangeText, 2, 40);
        component.PrintString(text);
        ASSERT_TRUE(printer.waitForConnections(3));
        EXPECT_EQ(printer.accepted(), 3) << lines << " lines";
        const QByteArrayList received = printer.received();
        ASSERT_EQ(received.size(), 3);
        EXPECT_TRUE(received[0] == whole) << lines << " lines";
        EXPECT_TRUE(received[1] == range) << lines << " lines";
        EXPECT_TRUE(received[2] == text) << lines << " lines";
    }
}

TEST_F(DevicePaths, APrinterThatTakesOneConnectionReceivesTheWholeJob)
{
    const QByteArray text = numberedLines(200);
    LoopbackPrinter printer(LoopbackPrinter::Mode::SingleConnection);
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    MemoryText memo(text);
    PrintMemoText(component, memo);
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received(), QByteArrayList {printText(component, text).bytes()});
    EXPECT_EQ(memo.lastProgress.first, 201); // and the empty line after the last break
}

namespace {

// The most the system lets a TCP sender hold in its buffers.
qsizetype largestSendBuffer()
{
    QFile file(QStringLiteral("/proc/sys/net/ipv4/tcp_wmem"));
    if (!file.open(QIODevice::ReadOnly))
        return 64 << 20;
    const QList<QByteArray> values = file.readAll().simplified().split(' ');
    return values.size() == 3 ? values[2].toLongLong() : 64 << 20;
}

} // namespace

TEST_F(DevicePaths, APrinterThatResetsMidJobFailsItAtOnce)
{
    // More than the system's buffers can hold, so that the job cannot have
    // handed its last line over before the reset, however it is timed.
    const int lines = int((largestSendBuffer() + (1 << 20)) / numberedLines(1).size());
    const QByteArray text = numberedLines(lines);
    for (const quint16 timeout : {0, 1000}) {
        LoopbackPrinter printer(LoopbackPrinter::Mode::ResetAfter, 16 << 10);
        TZantoquiller component;
        component.SetPort(poDisk);
        component.SetOutputFile(printer.uri());
        component.SetTimeout(timeout);
        MemoryText memo(text);
        const auto start = std::chrono::steady_clock::now();
        const Watchdog watchdog(20s, "a memo print to a printer that reset its connection");
        const auto [message, reason] = inOutErrorOf([&] { PrintMemoText(component, memo); });
        EXPECT_EQ(message, u"Failed to write to port") << timeout;
        EXPECT_EQ(reason,
            printer.uri() + QStringLiteral(": ")
                + QString::fromStdString(std::strerror(ECONNRESET)))
            << timeout;
        // Found by the reset itself, long before any time-out.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << timeout;
        EXPECT_FALSE(appendToFile(component));
        EXPECT_LT(memo.lastProgress.first, lines) << "the rest of the memo is not printed";
    }
}

TEST_F(DevicePaths, ARegularFileGetsEveryLineOfTheJob)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    const QByteArray text = numberedLines(12);
    // The disk file, and regular files reached through a device name.
    const std::vector<std::pair<TIOPortName, QString>> targets {
        {poDisk, file}, {poLPT1, file}, {poCOM2, QStringLiteral("file://") + file}};
    for (const auto &[port, name] : targets) {
        dir.write(QStringLiteral("out.prn"), "earlier content, longer than one line of the job");
        TZantoquiller component;
        component.SetPrinterType(ptEpson);
        component.SetPort(port);
        if (port == poDisk)
            component.SetOutputFile(name);
        else
            ASSERT_TRUE(setDevicePath(component.PortToString(port), name));
        MemoryText whole(text);
        PrintMemoText(component, whole);
        EXPECT_TRUE(dir.read(QStringLiteral("out.prn")) == printText(component, text).bytes())
            << name.toStdString();
        MemoryText range(text);
        PrintMemoTextLines(component, range, 3, 5);
        EXPECT_TRUE(dir.read(QStringLiteral("out.prn")) == printText(component, text, 2, 4).bytes())
            << name.toStdString();
        EXPECT_FALSE(appendToFile(component));
        // The job has ended: the next direct call replaces the file.
        component.PrintString("next");
        EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "next") << name.toStdString();
    }
}

TEST(PrintJob, ADirectCallDuringAMemoPrintStartsItsOwnFile)
{
    TempDir dir;
    const QString memoFile = dir.filePath(QStringLiteral("memo.prn"));
    const QString otherFile = dir.filePath(QStringLiteral("other.prn"));
    const QByteArray text = numberedLines(6);
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(memoFile);
    bool appendingDuringPrint = false;
    // After the third line the application prints two strings elsewhere.
    TextWithProgress memo(text, [&](qint64 linesSent) {
        if (linesSent != 3)
            return;
        appendingDuringPrint = appendToFile(component);
        component.SetOutputFile(otherFile);
        component.PrintString("one");
        component.PrintString("two");
        component.SetOutputFile(memoFile);
    });
    PrintMemoText(component, memo);
    EXPECT_TRUE(appendingDuringPrint);
    EXPECT_EQ(dir.read(QStringLiteral("other.prn")), "two");
    EXPECT_TRUE(dir.read(QStringLiteral("memo.prn")) == printText(component, text).bytes());
    EXPECT_FALSE(appendToFile(component));
}

TEST(PrintJob, AnInterruptedJobDropsItsConnectionInsteadOfEndingIt)
{
    LoopbackPrinter printer;
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    for (const bool interrupted : {false, true}) {
        PrintJob job(component, false);
        job.sendLine(line("first\r\n"));
        job.sendLine(line("second\r\n"));
        if (interrupted)
            Zanto::Platform::requestInterrupt(SIGINT);
        // An exception leaves the print here: the job is not ended.
    }
    Zanto::Platform::clearInterrupt();
    ASSERT_TRUE(printer.waitForConnections(2));
    // The printer must not take half a job for a whole one. Both connections
    // end at about the same time, so the printer may see them in either order.
    using Ending = LoopbackPrinter::Ending;
    QList<std::pair<Ending, QByteArray>> connections;
    for (qsizetype i = 0; i < printer.received().size(); ++i)
        connections.append({printer.endings().value(i), printer.received()[i]});
    std::sort(connections.begin(), connections.end());
    EXPECT_EQ(connections,
        (QList<std::pair<Ending, QByteArray>> {
            {Ending::InOrder, "first\r\nsecond\r\n"}, {Ending::Reset, ""}}));
}

TEST_F(DevicePaths, ShortLinesAndALongBlockReachATcpPrinterInOrder)
{
    LoopbackPrinter printer;
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    QByteArray expected;
    {
        DirectOutput output(TZantoquillerPrivate::get(component));
        const auto send = [&](const QByteArray &bytes) {
            output.send(bytes.constData(), bytes.size());
            expected += bytes;
        };
        // Gathered lines, then blocks of the gathering size and more.
        for (const qsizetype size : {qsizetype(64 << 10), qsizetype(100 << 10)}) {
            send("short line\r\n");
            send("another\r\n");
            send(QByteArray(size, char('a' + size % 26)));
            send("after\r\n");
        }
        output.finish();
    }
    ASSERT_TRUE(printer.waitForConnections(1));
    ASSERT_EQ(printer.received().size(), 1);
    EXPECT_TRUE(printer.received().front() == expected);
}

namespace {

// A printer that takes 4 KiB every 20 ms: 256 KiB take well over a second.
void slowlyTaking(int connection, const std::atomic<bool> &stopped)
{
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!stopped && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(20ms);
        char buffer[4096];
        const ssize_t count = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
            return;
    }
}

} // namespace

TEST_F(DevicePaths, ASlowPrinterThatKeepsTakingDataIsWaitedFor)
{
    LoopbackPrinter printer(slowlyTaking);
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    component.SetTimeout(300);
    const Watchdog watchdog(30s, "a job to a slow printer");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(failureOf([&] { component.PrintString(QByteArray(256 << 10, 'x')); }).toStdString(),
        "none");
    // The printer took longer than three time-outs over the job's end.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
}

TEST_F(DevicePaths, APrinterThatResetsWhileTheJobEndsFailsItAtOnce)
{
    std::atomic<bool> resetNow = false;
    // Ends its side of the connection first, so that the job's end sees
    // only the printer's acknowledgements; takes a little, then resets.
    LoopbackPrinter printer([&](int connection, const std::atomic<bool> &stopped) {
        ::shutdown(connection, SHUT_WR);
        readSome(connection, 10s);
        while (!resetNow && !stopped)
            std::this_thread::sleep_for(5ms);
        const linger reset {1, 0};
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    });
    TZantoquiller component;
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    component.SetTimeout(5000);
    PrintJob job(component, false);
    job.sendLine(line("first\r\n"));
    // The job's end waits for the printer when the reset comes.
    std::thread printerSwitchedOff([&] {
        std::this_thread::sleep_for(300ms);
        resetNow = true;
    });
    const Watchdog watchdog(20s, "the end of a job to a printer that reset");
    const auto start = std::chrono::steady_clock::now();
    const auto [message, reason] = inOutErrorOf([&] {
        for (int i = 0; i < 60; ++i) // about 250 KiB, held in the system's buffers
            job.sendLine(line(QByteArray(4000, 'x')));
        job.end();
    });
    printerSwitchedOff.join();
    EXPECT_EQ(message.toStdString(), "Failed to write to port");
    EXPECT_EQ(reason.toStdString(), printer.uri().toStdString() + ": " + std::strerror(ECONNRESET));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

namespace {

// The loopback interface of the calling thread's own network namespace,
// switched on or off through a socket of that namespace.
bool setLoopbackUp(int namespaceSocket, bool up)
{
    ifreq request {};
    std::strcpy(request.ifr_name, "lo");
    if (::ioctl(namespaceSocket, SIOCGIFFLAGS, &request) != 0)
        return false;
    request.ifr_flags = short(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
    return ::ioctl(namespaceSocket, SIOCSIFFLAGS, &request) == 0;
}

} // namespace

TEST_F(DevicePaths, APrinterThatVanishesWhileAJobIsIdleIsFoundWithoutATimeout)
{
    // The printer lives on the loopback interface of a network namespace of
    // the test's own; taking the interface down makes it vanish without a
    // word, like a printer switched off or unplugged.
    const Zanto::Platform::KeepAlive defaults = Zanto::Platform::keepAlive();
    Zanto::Platform::setKeepAlive({1s, 1s, 2});
    std::atomic<int> namespaceSocket = -1;
    std::atomic<bool> vanished = false;
    std::pair<QString, QString> failure;
    QString uri;
    std::thread job([&] {
        if (::unshare(CLONE_NEWNET) != 0)
            return;
        const int control = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (control >= 0 && !setLoopbackUp(control, true))
            ::close(control);
        else if (control >= 0)
            namespaceSocket = control;
        if (namespaceSocket < 0)
            return;
        LoopbackPrinter printer;
        uri = printer.uri();
        TZantoquiller component;
        component.SetPort(poDisk);
        component.SetOutputFile(printer.uri());
        component.SetTimeout(0);
        failure = inOutErrorOf([&] {
            PrintJob job(component, false);
            job.sendLine(line("first\r\n"));
            vanished = setLoopbackUp(control, false);
            // The application takes its time over the next line.
            std::this_thread::sleep_for(5s);
            job.sendLine(line("second\r\n"));
            job.end();
        });
    });
    // Bounded: without keep-alive probes the job would wait for ever, so
    // the printer comes back after a while and the job ends.
    std::atomic<bool> jobEnded = false;
    std::thread comeBack([&] {
        for (int waited = 0; waited < 2000 && !jobEnded; ++waited)
            std::this_thread::sleep_for(10ms);
        if (!jobEnded && namespaceSocket >= 0)
            setLoopbackUp(namespaceSocket, true);
    });
    job.join();
    jobEnded = true;
    comeBack.join();
    if (namespaceSocket >= 0)
        ::close(namespaceSocket);
    Zanto::Platform::setKeepAlive(defaults);
    if (namespaceSocket < 0)
        GTEST_SKIP() << "no network namespace of its own for the test";
    EXPECT_EQ(failure.first.toStdString(), "Failed to write to port");
    EXPECT_EQ(failure.second.toStdString(), uri.toStdString() + ": " + std::strerror(ETIMEDOUT));
}

TEST_F(DevicePaths, ANetworkPrinterSlowerThanItsWindowGetsTheWholeJobWithTheDefaultTimeout)
{
    // The printer reads 64 bytes at a time, 4,000 bytes a second: far slower
    // than the connection opens its window again (the system reopens it once
    // some kilobytes are free, about two seconds at this pace), so the
    // sender sees no progress for longer than the time-out of a second again
    // and again; the stall reports count those waits. 32 KiB keep the test
    // to about eight seconds.
    const int rate = 4000;
    std::mutex mutex;
    QByteArray received;
    LoopbackPrinter printer([&](int connection, const std::atomic<bool> &stopped) {
        const auto pause = std::chrono::microseconds(64 * 1'000'000LL / rate);
        const auto end = std::chrono::steady_clock::now() + 120s;
        while (!stopped && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(pause);
            char buffer[64];
            const ssize_t count = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
            if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
                return;
            if (count > 0) {
                const std::lock_guard lock(mutex);
                received.append(buffer, count);
            }
        }
    });
    std::atomic<int> stalls = 0;
    Platform::setStallReport([&](const std::string &name) {
        if (name == printer.uri().toStdString())
            ++stalls;
    });
    TZantoquiller component;
    ASSERT_EQ(component.Timeout(), 1000);
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    QByteArray job;
    for (int line = 0; job.size() < (32 << 10); ++line)
        job += QByteArray::number(line).rightJustified(6, '0') + QByteArray(56, '.') + "\r\n";
    const Watchdog watchdog(120s, "a job to a printer slower than its window");
    EXPECT_EQ(failureOf([&] { component.PrintString(job); }).toStdString(), "none");
    Platform::setStallReport({});
    ASSERT_TRUE(printer.waitForConnections(1));
    const std::lock_guard lock(mutex);
    EXPECT_TRUE(received == job) << received.size() << " of " << job.size() << " bytes";
    EXPECT_GE(stalls.load(), 1);
}

TEST_F(DevicePaths, ANetworkPrinterThatVanishesMidJobFailsWithinTheTimeout)
{
    // As above, the printer lives in a network namespace of the test's own
    // and vanishes without a word while the job's data is on its way.
    std::atomic<int> namespaceSocket = -1;
    std::atomic<bool> started = false;
    std::pair<QString, QString> failure;
    QString uri;
    std::chrono::steady_clock::time_point ended;
    std::thread job([&] {
        if (::unshare(CLONE_NEWNET) != 0)
            return;
        const int control = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (control < 0)
            return;
        if (!setLoopbackUp(control, true)) {
            ::close(control);
            return;
        }
        // Takes 64 KiB every 10 ms: the 32 MiB job is far from done when
        // the printer goes.
        LoopbackPrinter printer([](int connection, const std::atomic<bool> &stopped) {
            while (!stopped) {
                std::this_thread::sleep_for(10ms);
                static thread_local char buffer[64 << 10];
                const ssize_t count = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
                if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
                    return;
            }
        });
        uri = printer.uri();
        TZantoquiller component; // the default time-out of a second
        component.SetPort(poDisk);
        component.SetOutputFile(printer.uri());
        namespaceSocket = control;
        started = true;
        failure = inOutErrorOf([&] { component.PrintString(QByteArray(32 << 20, 'x')); });
        ended = std::chrono::steady_clock::now();
    });
    // Bounded: the job thread gives up at once when it has no namespace.
    for (int waited = 0; waited < 500 && !started; ++waited)
        std::this_thread::sleep_for(10ms);
    std::chrono::steady_clock::time_point vanished;
    if (started) {
        std::this_thread::sleep_for(300ms);
        vanished = std::chrono::steady_clock::now();
        setLoopbackUp(namespaceSocket, false);
    }
    const Watchdog watchdog(60s, "a job to a printer that vanished");
    job.join();
    if (namespaceSocket >= 0)
        ::close(namespaceSocket);
    if (!started)
        GTEST_SKIP() << "no network namespace of its own for the test";
    EXPECT_EQ(failure.first.toStdString(), "Failed to write to port");
    EXPECT_TRUE(failure.second.startsWith(uri + u':')) << failure.second.toStdString();
    // The time-out after the last progress, with room for a loaded machine.
    EXPECT_LT(ended - vanished, 4s);
}

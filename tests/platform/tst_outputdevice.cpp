#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/outputdevice.h>

#include "loopbackprinter.h"
#include "pseudoterminal.h"
#include "systemreason.h"
#include "tempdir.h"
#include "watchdog.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <QFile>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Zanto::Platform;
using namespace ZantoTest;
using namespace std::chrono_literals;

namespace {

std::string path(const TempDir &dir, const char *name)
{
    return dir.filePath(QString::fromLatin1(name)).toStdString();
}

// The failure of opening name, or "opened".
std::string openFailure(
    const std::string &name, OpenMode mode = OpenMode::Create, const DeviceMap &map = DeviceMap())
{
    try {
        OutputDevice::open(name, mode, 1000ms, map);
    } catch (const DeviceError &error) {
        return error.what();
    }
    return "opened";
}

std::string writeFailure(
    OutputDevice &device, const QByteArray &bytes, std::chrono::milliseconds timeout)
{
    try {
        device.write(bytes.constData(), std::size_t(bytes.size()), timeout);
    } catch (const DeviceError &error) {
        return error.what();
    }
    return "written";
}

const QByteArray awkwardBytes("\x00\x0a\x0d\x1b\xff\x09\x0a", 7);

} // namespace

TEST(OutputDevice, CreateEmptiesAFileAndAppendWritesAtItsEnd)
{
    TempDir dir;
    dir.write(QStringLiteral("out.prn"), "old content");
    {
        OutputDevice device = OutputDevice::open(path(dir, "out.prn"), OpenMode::Create, 0ms);
        device.write("AB", 2, 0ms);
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "AB");
    {
        OutputDevice device
            = OutputDevice::open(path(dir, "out.prn"), OpenMode::AppendExisting, 0ms);
        device.write(awkwardBytes.constData(), std::size_t(awkwardBytes.size()), 0ms);
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "AB" + awkwardBytes);
    {
        OutputDevice device = OutputDevice::open(path(dir, "out.prn"), OpenMode::Create, 0ms);
        device.write("", 0, 0ms);
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "");
}

TEST(OutputDevice, ADiskFileIsKnownAsOneAndAppendedToLikeAnyFile)
{
    TempDir dir;
    {
        OutputDevice device = OutputDevice::open(path(dir, "out.prn"), OpenMode::Create, 0ms);
        EXPECT_TRUE(device.isRegularFile());
        device.write("AB", 2, 0ms);
    }
    {
        OutputDevice device
            = OutputDevice::open(path(dir, "out.prn"), OpenMode::AppendRegularFile, 0ms);
        EXPECT_TRUE(device.isRegularFile());
        device.write(awkwardBytes.constData(), std::size_t(awkwardBytes.size()), 0ms);
    }
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "AB" + awkwardBytes);
    EXPECT_EQ(openFailure(path(dir, "missing.prn"), OpenMode::AppendRegularFile),
        path(dir, "missing.prn") + ": " + osReasonText(ENOENT));
    EXPECT_FALSE(OutputDevice::open("/dev/null", OpenMode::Create, 0ms).isRegularFile());
    // A mapped device name is never taken for a file on trust.
    DeviceMap map;
    map.setPath("LPT1", "/dev/null");
    EXPECT_FALSE(OutputDevice::open("LPT1", OpenMode::AppendRegularFile, 0ms, map).isRegularFile());
}

TEST(OutputDevice, OpenFailuresNameTheDeviceAndTheReason)
{
    TempDir dir;
    EXPECT_EQ(openFailure(path(dir, "absent/x.prn")),
        path(dir, "absent/x.prn") + ": " + osReasonText(ENOENT));
    EXPECT_EQ(openFailure(path(dir, "missing.prn"), OpenMode::AppendExisting),
        path(dir, "missing.prn") + ": " + osReasonText(ENOENT));
    EXPECT_EQ(openFailure(dir.path().toStdString()),
        dir.path().toStdString() + ": " + osReasonText(EISDIR));

    // A device that is not there is never made as a file.
    DeviceMap map;
    map.setPath("LPT1", path(dir, "lp0"));
    EXPECT_EQ(
        openFailure("LPT1", OpenMode::Create, map), path(dir, "lp0") + ": " + osReasonText(ENOENT));
    EXPECT_EQ(openFailure("parallel:" + path(dir, "lp9")),
        path(dir, "lp9") + ": " + osReasonText(ENOENT));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("lp0"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("lp9"))));
}

TEST(OutputDevice, APipeWithoutReaderFailsInsteadOfHanging)
{
    TempDir dir;
    const std::string fifo = path(dir, "fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(openFailure(fifo), fifo + ": " + osReasonText(ENXIO));
}

TEST(OutputDevice, AVanishedReaderFailsTheWriteWithoutSigpipe)
{
    TempDir dir;
    const std::string fifo = path(dir, "fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    OutputDevice device = OutputDevice::open(fifo, OpenMode::Create, 0ms);
    ::close(reader);

    sigset_t before;
    pthread_sigmask(SIG_SETMASK, nullptr, &before);
    // Without the guard SIGPIPE would end this test program here.
    EXPECT_EQ(writeFailure(device, "lost", 1000ms), fifo + ": " + osReasonText(EPIPE));
    sigset_t after, pending;
    pthread_sigmask(SIG_SETMASK, nullptr, &after);
    sigpending(&pending);
    EXPECT_EQ(sigismember(&after, SIGPIPE), sigismember(&before, SIGPIPE));
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

TEST(OutputDevice, ATerminalGetsEveryByteUnchangedAndKeepsItsSettings)
{
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    ASSERT_TRUE(before.c_oflag & OPOST) << "a new pseudo-terminal translates LF to CR LF";
    OutputDevice device = OutputDevice::open(terminal.path().toStdString(), OpenMode::Create, 0ms);
    device.write(awkwardBytes.constData(), std::size_t(awkwardBytes.size()), 1000ms);
    EXPECT_EQ(terminal.read(awkwardBytes.size()), awkwardBytes);
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
}

TEST(OutputDevice, SerialUriSettingsHoldForTheWriteOnly)
{
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    const std::string uri = "serial:" + terminal.path().toStdString()
        + "?baud=9600+bits=7+parity=even+flow=none+stop=2";
    OutputDevice device = OutputDevice::open(uri, OpenMode::Create, 0ms);
    device.write("\x1b\x45\n", 3, 1000ms);
    EXPECT_EQ(terminal.read(3), QByteArray("\x1b\x45\n"));
    EXPECT_TRUE(sameSettings(terminal.settings(), before));

    TempDir dir;
    // Line settings make no sense for a plain file: nothing is written.
    dir.write(QStringLiteral("plain"), "");
    OutputDevice file
        = OutputDevice::open("serial:" + path(dir, "plain") + "?baud=9600", OpenMode::Create, 0ms);
    EXPECT_EQ(
        writeFailure(file, "x", 1000ms), path(dir, "plain") + ": Inappropriate ioctl for device");
    EXPECT_EQ(dir.read(QStringLiteral("plain")), "");
}

TEST(OutputDevice, AFullTerminalTimesOutAndIsSetBack)
{
    PseudoTerminal terminal; // nobody reads it
    const termios before = terminal.settings();
    const int descriptors = openDescriptorCount();
    {
        OutputDevice device
            = OutputDevice::open(terminal.path().toStdString(), OpenMode::Create, 0ms);
        const QByteArray block(1 << 20, 'x');
        const auto start = std::chrono::steady_clock::now();
        const std::string failure = writeFailure(device, block, 200ms);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_NE(
            failure.find(" of 1048576 bytes within the time-out of 200 ms"), std::string::npos)
            << failure;
        EXPECT_GE(elapsed, 190ms);
        EXPECT_LT(elapsed, 20s);
    }
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
    EXPECT_EQ(openDescriptorCount(), descriptors);
}

TEST(OutputDevice, TcpPrinters)
{
    LoopbackPrinter printer;
    {
        OutputDevice device
            = OutputDevice::open(printer.uri().toStdString(), OpenMode::Create, 1000ms);
        EXPECT_TRUE(device.isSocket());
        // Several writes, one stream.
        device.write(awkwardBytes.constData(), std::size_t(awkwardBytes.size()), 1000ms);
        device.write("AB", 2, 1000ms);
        device.finish(1000ms);
    }
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received(), QByteArrayList {awkwardBytes + "AB"});

    const std::string refused = "socket://127.0.0.1:" + std::to_string(refusingLoopbackPort());
    EXPECT_EQ(openFailure(refused), refused + ": " + osReasonText(ECONNREFUSED));
}

TEST(OutputDevice, ATcpPrinterThatIsThereButTakesNothingIsWaitedForUntilInterrupted)
{
    // A printer out of paper: the system takes the connection and answers,
    // but nothing is read. Each time-out that passes is reported; after two
    // the test interrupts the write, as Ctrl-C would.
    LoopbackPrinter printer(LoopbackPrinter::Mode::AcceptNeverRead);
    OutputDevice device = OutputDevice::open(printer.uri().toStdString(), OpenMode::Create, 1000ms);
    std::atomic<int> stalls = 0;
    setStallReport([&](const std::string &name) {
        if (name == printer.uri().toStdString() && ++stalls == 2)
            requestInterrupt(SIGINT);
    });
    const QByteArray block(32 << 20, 'x');
    const Watchdog watchdog(60s, "a write to a printer that takes nothing");
    const std::string failure = writeFailure(device, block, 200ms);
    setStallReport({});
    clearInterrupt();
    EXPECT_NE(failure.find("socket://127.0.0.1:"), std::string::npos) << failure;
    EXPECT_EQ(failure.find("time-out"), std::string::npos) << failure;
    EXPECT_EQ(stalls.load(), 2);
}

namespace {

// Bytes whose value depends on their position, so that a lost, doubled or
// misplaced block shows.
QByteArray numberedBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 2654435761u) >> 13);
    return bytes;
}

} // namespace

TEST(OutputDevice, SixteenMebibytesReachATcpPrinterInOrder)
{
    LoopbackPrinter printer;
    const QByteArray block = numberedBytes(16 << 20);
    {
        OutputDevice device
            = OutputDevice::open(printer.uri().toStdString(), OpenMode::Create, 10000ms);
        device.write(block.constData(), std::size_t(block.size()), 30000ms);
        device.finish(30000ms);
    }
    ASSERT_TRUE(printer.waitForConnections(1));
    const QByteArrayList received = printer.received();
    ASSERT_EQ(received.size(), 1);
    ASSERT_EQ(received[0].size(), block.size());
    EXPECT_TRUE(received[0] == block);
}

TEST(OutputDevice, APrinterThatResetsFailsAtOnceWithTheReason)
{
    for (const auto timeout : {0ms, 5000ms}) {
        LoopbackPrinter printer(LoopbackPrinter::Mode::ResetAfter, 16 << 10);
        const std::string name = printer.uri().toStdString();
        OutputDevice device = OutputDevice::open(name, OpenMode::Create, 1000ms);
        // More than the printer takes before it resets, little enough to
        // sit in the system's buffers: the reset is met while finishing.
        const QByteArray block = numberedBytes(256 << 10);
        const auto start = std::chrono::steady_clock::now();
        const Watchdog watchdog(20s, "a write to a printer that reset its connection");
        std::string failure;
        try {
            device.write(block.constData(), std::size_t(block.size()), timeout);
            device.finish(timeout);
            failure = "finished";
        } catch (const DeviceError &error) {
            failure = error.what();
        }
        EXPECT_EQ(failure, name + ": " + std::strerror(ECONNRESET)) << timeout.count();
        // Well below the time-out: the reset ended the wait, not the clock.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << timeout.count();
    }
}

TEST(OutputDevice, WithoutATimeOutAWriteWaitsForAReaderThatComesLate)
{
    PseudoTerminal terminal;
    const QByteArray block = numberedBytes(256 << 10);
    QByteArray read;
    std::thread reader([&] {
        std::this_thread::sleep_for(300ms);
        read = terminal.read(block.size(), 10s);
    });
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "written";
    try {
        OutputDevice device
            = OutputDevice::open(terminal.path().toStdString(), OpenMode::Create, 0ms);
        device.write(block.constData(), std::size_t(block.size()), 0ms);
    } catch (const DeviceError &error) {
        outcome = error.what();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    reader.join();
    EXPECT_EQ(outcome, "written");
    EXPECT_GE(elapsed, 250ms) << "the terminal cannot have taken it all before the reader came";
    EXPECT_TRUE(read == block);
}

TEST(OutputDevice, TheTimeOutCoversTheWholeWriteOfASlowReader)
{
    PseudoTerminal terminal;
    std::atomic<bool> stop = false;
    // Takes a little every few milliseconds (at most 4 KiB a read): never
    // stuck, never done in time.
    std::thread reader([&] {
        while (!stop) {
            terminal.read(1, 50ms);
            std::this_thread::sleep_for(10ms);
        }
    });
    OutputDevice device = OutputDevice::open(terminal.path().toStdString(), OpenMode::Create, 0ms);
    const QByteArray block(1 << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    const std::string failure = writeFailure(device, block, 200ms);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    stop = true;
    reader.join();
    EXPECT_NE(failure.find(" of 1048576 bytes within the time-out of 200 ms"), std::string::npos)
        << failure;
    EXPECT_GE(elapsed, 190ms);
    EXPECT_LT(elapsed, 2s);
}

namespace {

void recordInterrupt(int sig)
{
    requestInterrupt(sig);
}

} // namespace

TEST(OutputDevice, AnInterruptEndsAWriteThatWouldWaitForever)
{
    // A handler as zanto installs it: no SA_RESTART, so the wait returns.
    struct sigaction action
    {
    };
    struct sigaction previous
    {
    };
    action.sa_handler = recordInterrupt;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    PseudoTerminal terminal; // nobody reads it
    const termios before = terminal.settings();
    const std::string name = terminal.path().toStdString();
    std::string failure;
    {
        OutputDevice device = OutputDevice::open(name, OpenMode::Create, 0ms);
        const pthread_t writer = pthread_self();
        std::atomic<bool> done = false;
        // Again and again, in case a signal comes before the write waits.
        std::thread interrupter([writer, &done] {
            while (!done) {
                std::this_thread::sleep_for(100ms);
                if (!done)
                    pthread_kill(writer, SIGUSR1);
            }
        });
        const Watchdog watchdog(20s, "an interrupted write without a time-out");
        failure = writeFailure(device, QByteArray(1 << 20, 'x'), 0ms);
        done = true;
        interrupter.join();
    }
    clearInterrupt();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(failure, name + ": interrupted by signal " + std::to_string(SIGUSR1));
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
}

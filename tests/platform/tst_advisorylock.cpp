// Advisory locks that wait: a second holder waits for the first within its
// time-out, then fails saying so; what cannot be locked is left to the open
// that follows.
#include "pseudoterminal.h"
#include "tempdir.h"

#include <zantoquiller/platform/advisorylock.h>
#include <zantoquiller/platform/devicetarget.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <thread>

using namespace Zanto::Platform;
using namespace ZantoTest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::string systemPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

std::string failureOf(const std::string &name, std::chrono::milliseconds timeout)
{
    try {
        AdvisoryLock::onDestination(name, timeout, DeviceMap());
    } catch (const DeviceError &error) {
        return error.what();
    }
    return "no error";
}

// How many of this process's descriptors are open on path.
int descriptorsOf(const QString &path)
{
    int count = 0;
    const QDir folder(QStringLiteral("/proc/self/fd"));
    for (const QString &name :
        folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        count += QFile::symLinkTarget(folder.filePath(name)) == path ? 1 : 0;
    return count;
}

} // namespace

TEST(AdvisoryLock, ALockFileWaitsForItsHolderWithinTheTimeOut)
{
    const TempDir dir;
    const std::string path = systemPath(dir.filePath(QStringLiteral(".lock")));
    AdvisoryLock first = AdvisoryLock::onLockFile(path, 100ms);
    ASSERT_TRUE(first.isHeld()) << first.error();
    EXPECT_TRUE(first.error().empty());

    const auto start = Clock::now();
    const AdvisoryLock refused = AdvisoryLock::onLockFile(path, 200ms);
    EXPECT_GE(Clock::now() - start, 200ms);
    EXPECT_FALSE(refused.isHeld());
    EXPECT_TRUE(refused.busy());
    EXPECT_EQ(refused.error(), path + ": held by another program; waited 200 ms");
    EXPECT_TRUE(AdvisoryLock::onLockFile(path, 50ms, AdvisoryLock::Sharing::Shared).busy());

    // Released while the second waits: the second has it.
    std::thread releaser([&] {
        std::this_thread::sleep_for(100ms);
        first.release();
    });
    const AdvisoryLock second = AdvisoryLock::onLockFile(path, 10s);
    releaser.join();
    EXPECT_TRUE(second.isHeld()) << second.error();

    const AdvisoryLock nowhere = AdvisoryLock::onLockFile(path + "/no/such", 100ms);
    EXPECT_FALSE(nowhere.isHeld());
    EXPECT_FALSE(nowhere.busy());
    EXPECT_EQ(nowhere.error().rfind(path + "/no/such: ", 0), 0u) << nowhere.error();
}

TEST(AdvisoryLock, ReadersShareALockFileThatAChangeWaitsFor)
{
    const TempDir dir;
    const std::string path = systemPath(dir.filePath(QStringLiteral(".lock")));
    using Sharing = AdvisoryLock::Sharing;
    // A reader makes no lock file.
    const AdvisoryLock none = AdvisoryLock::onLockFile(path, 50ms, Sharing::Shared);
    EXPECT_FALSE(none.isHeld());
    EXPECT_FALSE(none.busy());
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(path.c_str())));

    AdvisoryLock::onLockFile(path, 50ms);
    AdvisoryLock reader = AdvisoryLock::onLockFile(path, 50ms, Sharing::Shared);
    const AdvisoryLock another = AdvisoryLock::onLockFile(path, 50ms, Sharing::Shared);
    EXPECT_TRUE(reader.isHeld());
    EXPECT_TRUE(another.isHeld());
    EXPECT_TRUE(AdvisoryLock::onLockFile(path, 50ms).busy());
}

TEST(AdvisoryLock, AJobsDestinationIsMadeAndHeldUntilReleased)
{
    const TempDir dir;
    const QString file = dir.filePath(QStringLiteral("job.prn"));
    const std::string path = systemPath(file);
    AdvisoryLock job = AdvisoryLock::onDestination(path, 100ms, DeviceMap());
    EXPECT_TRUE(job.isHeld());
    // Made empty, so that a second job finds it.
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(QFileInfo(file).size(), 0);
    EXPECT_EQ(failureOf(path, 150ms), path + ": another job is printing to it; waited 150 ms");
    EXPECT_EQ(
        failureOf("file:" + path, 50ms), path + ": another job is printing to it; waited 50 ms");
    job.release();
    EXPECT_EQ(failureOf(path, 50ms), "no error");

    // A terminal, through its lock file: the terminal itself is not held
    // open, since a printer port may be open only once at a time.
    const PseudoTerminal terminal;
    const std::string device = systemPath(terminal.path());
    const int before = descriptorsOf(terminal.path());
    AdvisoryLock line = AdvisoryLock::onDestination(device, 50ms, DeviceMap());
    EXPECT_TRUE(line.isHeld());
    EXPECT_EQ(descriptorsOf(terminal.path()), before);
    EXPECT_EQ(failureOf(device, 50ms), device + ": another job is printing to it; waited 50 ms");
    line.release();
    EXPECT_EQ(failureOf(device, 50ms), "no error");

    // Nothing to lock: a TCP printer, a memory device, a path that cannot
    // be opened (its open tells why).
    for (const std::string &name :
        {std::string("socket://127.0.0.1:9"), std::string("/dev/null"), path + "/no/such"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(AdvisoryLock::onDestination(name, 50ms, DeviceMap()).isHeld());
    }
    EXPECT_EQ(failureOf("usb://x", 50ms),
        "usb://x: printers of the kind usb: take their data only through the spooler");
}

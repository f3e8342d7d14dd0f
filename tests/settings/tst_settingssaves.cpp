// Saving settings files on real file systems: a save that fails for want of
// room or rights leaves the old file byte for byte and nothing beside it; a
// save that succeeds keeps the old file's mode, owner and symbolic links.
#include "mountedfilesystems.h"
#include "settingsfailure.h"
#include "tempdir.h"

#include <zantoquiller/platform/datafile.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Zanto;
using ZantoTest::Failure;
using ZantoTest::failureOf;
using ZantoTest::randomTable;
using ZantoTest::readFile;
using ZantoTest::TempDir;
using ZantoTest::writeFile;

namespace {

// The user and group without rights that a test running as root becomes,
// so that permission bits hold for it.
constexpr uid_t Nobody = 65534;

// A component with tables that make files of some size: a codes file of
// about 1.5 KiB, a translation table of about 600 bytes.
class Filled : public TZantoquiller
{
public:
    explicit Filled(unsigned seed)
    {
        SetCodeTable(randomTable(seed));
        TransIn() = {"~", "^", "!"};
        TransOut() = {QByteArray(250, char('a' + seed)), QByteArray(250, 'x'), {}};
    }
};

struct Format
{
    const char *name;
    std::function<void(TZantoquiller &, const QString &)> save;
};

const Format formats[] = {
    {"codes.PCC", &TZantoquiller::SavePrinterCodes},
    {"table.CTT", &TZantoquiller::SaveTranslationTable},
};

QString systemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

// Every name in folder, hidden ones too, in code point order.
QStringList entriesOf(const QString &folder)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

mode_t modeOf(const QString &path)
{
    struct stat status
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

// Runs work in a forked child, which may change its limits and rights
// without touching the test, and gives back what work reported.
QString inChild(const std::function<QString()> &work)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const QByteArray report = work().toUtf8();
        const ssize_t written = ::write(channel[1], report.constData(), report.size());
        ::_exit(written == report.size() ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(channel[0], buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR))
        report.append(buffer, count > 0 ? count : 0);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("<child failed: %1>").arg(status);
    return QString::fromUtf8(report);
}

QString describe(const Failure &failure)
{
    return failure.type + u'|' + failure.message + u'|' + failure.reason;
}

} // namespace

// The file size limit makes the new file's writes fail as a full disk does,
// whether the program ignores SIGXFSZ or leaves it to end the process: the
// save holds the signal off.
TEST(SettingsSaves, ADiskFullOnTheWayKeepsTheOldFile)
{
    for (const Format &format : formats) {
        for (const bool ignored : {true, false}) {
            SCOPED_TRACE(ignored ? "SIGXFSZ ignored" : "SIGXFSZ as it is");
            TempDir dir;
            const QString path = dir.filePath(QString::fromLatin1(format.name));
            Filled old(1);
            format.save(old, path);
            const QByteArray before = readFile(path);

            const QString report = inChild([&] {
                const rlimit limit {300, 300};
                if (ignored)
                    ::signal(SIGXFSZ, SIG_IGN);
                ::setrlimit(RLIMIT_FSIZE, &limit);
                Filled component(2);
                return describe(failureOf([&] { format.save(component, path); }));
            });
            EXPECT_EQ(report.toStdString(),
                QStringLiteral("EInOutError|Disk Full|%1: %2")
                    .arg(path, systemReason(EFBIG))
                    .toStdString());
            EXPECT_EQ(readFile(path), before) << format.name;
            EXPECT_EQ(entriesOf(dir.path()), QStringList(QString::fromLatin1(format.name)));
        }
    }
}

// A folder or file the saving user may not write. Root may write anything,
// so as root the save runs as a user without rights.
TEST(SettingsSaves, AReadOnlyFolderOrFileKeepsTheOldFile)
{
    const struct
    {
        mode_t folderMode;
        mode_t fileMode;
    } cases[] = {{0555, 0666}, {0777, 0444}};
    for (const Format &format : formats) {
        for (const auto &modes : cases) {
            TempDir dir;
            ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
            const QString folder = dir.filePath(QStringLiteral("settings"));
            ASSERT_TRUE(QDir().mkdir(folder));
            const QString path = folder + u'/' + QString::fromLatin1(format.name);
            Filled old(1);
            format.save(old, path);
            const QByteArray before = readFile(path);
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), modes.fileMode), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), modes.folderMode), 0);

            const QString report = inChild([&] {
                if (::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
                    return QStringLiteral("<cannot drop root>");
                Filled component(2);
                return describe(failureOf([&] { format.save(component, path); }));
            });
            ::chmod(QFile::encodeName(folder).constData(), 0755);
            EXPECT_EQ(report.toStdString(),
                QStringLiteral("EInOutError|Permission Denied|%1: %2")
                    .arg(path, systemReason(EACCES))
                    .toStdString());
            EXPECT_EQ(readFile(path), before);
            EXPECT_EQ(entriesOf(folder), QStringList(QString::fromLatin1(format.name)));
        }
    }
}

// Data that the file system takes into its cache and then cannot store
// fails only when flushed, as network file systems report it at close.
TEST(SettingsSaves, AFailingFlushKeepsTheOldFile)
{
    ZantoTest::LateFaultDisk disk;
    if (!disk.available())
        GTEST_SKIP() << disk.whyNot().toStdString();
    Filled old(1);
    for (const Format &format : formats)
        format.save(old, disk.path() + u'/' + QString::fromLatin1(format.name));
    const QStringList entries = entriesOf(disk.path());
    disk.fillBackingStore();

    for (const Format &format : formats) {
        const QString path = disk.path() + u'/' + QString::fromLatin1(format.name);
        const QByteArray before = readFile(path);
        Filled component(2);
        const Failure failure = failureOf([&] { format.save(component, path); });
        EXPECT_EQ(failure.message, u"Disk Full") << format.name;
        // The block layer hands on the store's ENOSPC; some kernels say EIO.
        EXPECT_TRUE(failure.reason == path + QStringLiteral(": ") + systemReason(ENOSPC)
            || failure.reason == path + QStringLiteral(": ") + systemReason(EIO))
            << failure.reason.toStdString();
        EXPECT_EQ(readFile(path), before) << format.name;
        EXPECT_EQ(entriesOf(disk.path()), entries);
    }
}

// A rename lasts through a crash only once its folder is stored: a folder
// that cannot be synced fails the save as a full disk, and no new file is
// left behind under another name.
TEST(SettingsSaves, AFolderThatCannotBeSyncedIsDiskFull)
{
    ZantoTest::FolderSyncFault folder;
    if (!folder.available())
        GTEST_SKIP() << folder.whyNot().toStdString();
    for (const Format &format : formats) {
        const QString path = folder.path() + u'/' + QString::fromLatin1(format.name);
        Filled component(2);
        const Failure failure = failureOf([&] { format.save(component, path); });
        EXPECT_EQ(failure.message, u"Disk Full") << format.name;
        EXPECT_EQ(failure.reason, path + QStringLiteral(": ") + systemReason(EIO));
        EXPECT_EQ(entriesOf(folder.path()).filter(QString::fromLatin1(format.name)),
            QStringList(QString::fromLatin1(format.name)));
    }
}

// A file system without room for one more file: the new file cannot be
// made, which is a full disk, not a refusal.
TEST(SettingsSaves, NoRoomForTheNewFileIsDiskFull)
{
    // The root folder and the saved file take both inodes.
    ZantoTest::TmpfsMount folder(QStringLiteral("size=64k,nr_inodes=2"));
    if (!folder.available())
        GTEST_SKIP() << folder.whyNot().toStdString();
    for (const Format &format : formats) {
        const QString path = folder.path() + u'/' + QString::fromLatin1(format.name);
        Filled old(1);
        format.save(old, path);
        const QByteArray before = readFile(path);
        Filled component(2);
        const Failure failure = failureOf([&] { format.save(component, path); });
        EXPECT_EQ(failure.message, u"Disk Full");
        EXPECT_EQ(failure.reason, path + QStringLiteral(": ") + systemReason(ENOSPC));
        EXPECT_EQ(readFile(path), before);
        EXPECT_EQ(entriesOf(folder.path()), QStringList(QString::fromLatin1(format.name)));
        QFile::remove(path);
    }
}

TEST(SettingsSaves, TheOldFilesModeAndOwnerAreKept)
{
    const bool root = ::geteuid() == 0;
    for (const Format &format : formats) {
        for (const mode_t mode : {0640, 0600, 0604, 0755}) {
            TempDir dir;
            const QString path = dir.filePath(QString::fromLatin1(format.name));
            Filled component(1);
            format.save(component, path);
            const QByteArray encoded = QFile::encodeName(path);
            ASSERT_EQ(::chmod(encoded.constData(), mode), 0);
            if (root) {
                ASSERT_EQ(::chown(encoded.constData(), Nobody, Nobody), 0);
            }
            struct stat status
            {
            };
            ASSERT_EQ(::stat(encoded.constData(), &status), 0);
            const ino_t oldInode = status.st_ino;

            Filled other(2);
            format.save(other, path);
            EXPECT_EQ(modeOf(path), mode) << format.name;
            ASSERT_EQ(::stat(encoded.constData(), &status), 0);
            if (root) {
                EXPECT_EQ(status.st_uid, Nobody);
                EXPECT_EQ(status.st_gid, Nobody);
            }
            // Replaced, not rewritten: the old file was never opened to write.
            EXPECT_NE(status.st_ino, oldInode);
            EXPECT_EQ(entriesOf(dir.path()), QStringList(QString::fromLatin1(format.name)));
        }
    }
}

TEST(SettingsSaves, ANewFileGetsTheUsualModeUnderTheMask)
{
    for (const mode_t mask : {022, 027, 077}) {
        TempDir dir;
        const mode_t previous = ::umask(mask);
        Filled component(1);
        for (const Format &format : formats)
            format.save(component, dir.filePath(QString::fromLatin1(format.name)));
        ::umask(previous);
        for (const Format &format : formats)
            EXPECT_EQ(modeOf(dir.filePath(QString::fromLatin1(format.name))), 0666 & ~mask);
    }
}

// A link stays a link; the file it leads to, through further links and
// relative targets, is replaced, or made when it is not there yet.
TEST(SettingsSaves, ASaveThroughASymbolicLinkReplacesItsTarget)
{
    for (const Format &format : formats) {
        TempDir dir;
        const QString name = QString::fromLatin1(format.name);
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
        const QString target = dir.filePath(QStringLiteral("real/") + name);
        const QString missing = dir.filePath(QStringLiteral("real/new-") + name);
        const QString link = dir.filePath(QStringLiteral("link-") + name);
        const QString linkToLink = dir.filePath(QStringLiteral("link2-") + name);
        const QString dangling = dir.filePath(QStringLiteral("dangling-") + name);
        Filled old(1);
        format.save(old, target);
        ASSERT_TRUE(QFile::link(QStringLiteral("real/") + name, link));
        ASSERT_TRUE(QFile::link(QStringLiteral("link-") + name, linkToLink));
        ASSERT_TRUE(QFile::link(QStringLiteral("real/new-") + name, dangling));

        Filled component(2);
        format.save(component, linkToLink);
        format.save(component, dangling);
        const QString plain = dir.filePath(QStringLiteral("plain-") + name);
        format.save(component, plain);
        const QByteArray expected = readFile(plain);
        EXPECT_EQ(readFile(target), expected) << format.name;
        EXPECT_EQ(readFile(missing), expected) << format.name;
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
        EXPECT_EQ(QFileInfo(linkToLink).symLinkTarget(), link);
        EXPECT_EQ(QFileInfo(dangling).symLinkTarget(), missing);
        QStringList real {name, QStringLiteral("new-") + name};
        real.sort();
        EXPECT_EQ(entriesOf(dir.filePath(QStringLiteral("real"))), real);
        EXPECT_EQ(entriesOf(dir.path()),
            QStringList({QStringLiteral("dangling-") + name, QStringLiteral("link-") + name,
                QStringLiteral("link2-") + name, QStringLiteral("plain-") + name,
                QStringLiteral("real")}));
    }
}

// The lock of the file being replaced holds readers and other writers off
// until the new file is in place; the new file is then free to read.
TEST(SettingsSaves, AFileBeingReplacedIsLockedUntilItIsInPlace)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("codes.PCC"));
    Filled old(1);
    old.SavePrinterCodes(path);
    const QByteArray before = readFile(path);
    const QByteArray after = [&] {
        Filled component(2);
        component.SavePrinterCodes(dir.filePath(QStringLiteral("expected.PCC")));
        return readFile(dir.filePath(QStringLiteral("expected.PCC")));
    }();

    Platform::FileReplacement writer
        = Platform::FileReplacement::begin(QFile::encodeName(path).toStdString());
    ASSERT_TRUE(writer.isOpen()) << writer.error();
    ASSERT_TRUE(writer.writeAll(after.constData(), static_cast<std::size_t>(after.size())));
    TZantoquiller reader;
    Failure failure = failureOf([&] { reader.LoadPrinterCodes(path); });
    EXPECT_EQ(failure.reason, path + QStringLiteral(": being written by another program"));
    failure = failureOf([&] { old.SavePrinterCodes(path); });
    EXPECT_EQ(failure.message, u"Permission Denied");
    EXPECT_EQ(failure.reason, path + QStringLiteral(": in use by another program"));
    EXPECT_EQ(readFile(path), before);

    ASSERT_TRUE(writer.commit()) << writer.error();
    EXPECT_EQ(readFile(path), after);
    reader.LoadPrinterCodes(path);
    EXPECT_EQ(reader.CodeTable(), randomTable(2));
}

// A replacement given up before it is put in place leaves no trace.
TEST(SettingsSaves, AReplacementGivenUpLeavesNothing)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("codes.PCC"));
    writeFile(path, "old");
    {
        Platform::FileReplacement writer
            = Platform::FileReplacement::begin(QFile::encodeName(path).toStdString());
        ASSERT_TRUE(writer.writeAll("new", 3));
        EXPECT_EQ(entriesOf(dir.path()).size(), 2);
    }
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entriesOf(dir.path()), QStringList(QStringLiteral("codes.PCC")));
}

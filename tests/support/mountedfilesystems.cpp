#include "mountedfilesystems.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ZantoTest {

namespace {

// The backing store holds the ext2 file system's metadata with room to
// spare. The file system's blocks are as big as the store's pages, so that
// each new block needs a new page.
const QString BackingStoreOptions = QStringLiteral("size=1m");
constexpr qint64 ImageSize = qint64(8) << 20;

// Runs a system tool and waits for it. False, with whyNot saying why, when
// it cannot be run or fails.
bool runTool(const QString &program, const QStringList &arguments, QString *whyNot,
    QString *output = nullptr)
{
    if (::geteuid() != 0) {
        *whyNot = QStringLiteral("mounting needs root");
        return false;
    }
    // The system tools lie outside the path of some users.
    QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        executable = QStandardPaths::findExecutable(
            program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (executable.isEmpty()) {
        *whyNot = program + QStringLiteral(" not found");
        return false;
    }
    QProcess process;
    process.start(executable, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *whyNot = program + u' ' + arguments.join(u' ') + QStringLiteral(": ")
            + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

void unmount(const QString &path)
{
    QString ignored;
    // Lazily, so that a file still open cannot keep the mount.
    runTool(QStringLiteral("umount"), {QStringLiteral("--lazy"), path}, &ignored);
}

} // namespace

TmpfsMount::TmpfsMount(const QString &options)
    : m_mounted(runTool(QStringLiteral("mount"),
        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
            QStringLiteral("tmpfs"), m_dir.path()},
        &m_whyNot))
{ }

TmpfsMount::~TmpfsMount()
{
    if (m_mounted)
        unmount(path());
}

LateFaultDisk::LateFaultDisk() : m_backing(BackingStoreOptions), m_mounted(setUp()) { }

bool LateFaultDisk::setUp()
{
    if (!m_backing.available()) {
        m_whyNot = m_backing.whyNot();
        return false;
    }
    const QString image = m_backing.path() + QStringLiteral("/disk.img");
    QFile imageFile(image);
    if (!imageFile.open(QIODevice::WriteOnly) || !imageFile.resize(ImageSize)) {
        m_whyNot = QStringLiteral("cannot make ") + image;
        return false;
    }
    imageFile.close();
    return runTool(QStringLiteral("mkfs.ext2"),
               {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-b"),
                   QStringLiteral("4096"), image},
               &m_whyNot)
        && runTool(QStringLiteral("losetup"),
            {QStringLiteral("--find"), QStringLiteral("--show"), image}, &m_whyNot, &m_loopDevice)
        && runTool(QStringLiteral("mount"),
            {QStringLiteral("-o"), QStringLiteral("errors=continue"), m_loopDevice.trimmed(),
                path()},
            &m_whyNot);
}

LateFaultDisk::~LateFaultDisk()
{
    if (m_mounted)
        unmount(path());
    QString ignored;
    if (!m_loopDevice.trimmed().isEmpty())
        runTool(QStringLiteral("losetup"), {QStringLiteral("--detach"), m_loopDevice.trimmed()},
            &ignored);
}

void LateFaultDisk::fillBackingStore()
{
    const int folder = ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::syncfs(folder);
        ::close(folder);
    }
    QFile filler(m_backing.path() + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(65536, 'f');
    while (filler.write(block) == block.size())
        filler.flush();
}

FolderSyncFault::FolderSyncFault() : m_mounted(setUp()) { }

bool FolderSyncFault::setUp()
{
    if (::geteuid() != 0) {
        m_whyNot = QStringLiteral("mounting needs root");
        return false;
    }
    const QString folder = qEnvironmentVariable("ZANTO_BIN_DIR");
    const QString program = folder + QStringLiteral("/foldersyncfaultfs");
    if (folder.isEmpty() || !QFile::exists(program)
        || !QFile::exists(QStringLiteral("/dev/fuse"))) {
        m_whyNot
            = QStringLiteral("foldersyncfaultfs or /dev/fuse is missing (libfuse3-dev, fuse3)");
        return false;
    }
    struct stat outside = {};
    if (::stat(QFile::encodeName(path()).constData(), &outside) != 0) {
        m_whyNot = QStringLiteral("no mount point");
        return false;
    }
    // In the foreground and single-threaded: the file system ends with its
    // mount.
    m_fileSystem.start(
        program, {m_backing.path(), path(), QStringLiteral("-f"), QStringLiteral("-s")});
    for (int wait = 0; wait < 200; ++wait) {
        struct stat mounted = {};
        if (::stat(QFile::encodeName(path()).constData(), &mounted) == 0
            && mounted.st_dev != outside.st_dev)
            return true;
        if (m_fileSystem.state() == QProcess::NotRunning)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_fileSystem.kill();
    m_fileSystem.waitForFinished(5000);
    m_whyNot = QStringLiteral("foldersyncfaultfs did not mount: ")
        + QString::fromLocal8Bit(m_fileSystem.readAllStandardError()).trimmed();
    return false;
}

FolderSyncFault::~FolderSyncFault()
{
    if (!m_mounted)
        return;
    unmount(path());
    if (!m_fileSystem.waitForFinished(5000)) {
        m_fileSystem.kill();
        m_fileSystem.waitForFinished(5000);
    }
}

} // namespace ZantoTest

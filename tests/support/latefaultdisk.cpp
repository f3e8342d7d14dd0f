#include "latefaultdisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace ZantoTest {

namespace {

// The backing store holds the new file system's metadata with room to
// spare; the file system's blocks are as big as the store's pages, so that
// each new block needs a new page.
const QString BackingStoreSize = QStringLiteral("size=1m");
constexpr qint64 ImageSize = qint64(8) << 20;

} // namespace

LateFaultDisk::LateFaultDisk() : m_mounted(setUp()) { }

bool LateFaultDisk::setUp()
{
    if (::geteuid() != 0) {
        m_whyNot = QStringLiteral("mounting needs root");
        return false;
    }
    const QString backing = m_dir.filePath(QStringLiteral("backing"));
    const QString image = backing + QStringLiteral("/disk.img");
    if (!QDir().mkpath(backing) || !QDir().mkpath(path())) {
        m_whyNot = QStringLiteral("cannot make folders in ") + m_dir.path();
        return false;
    }
    if (!run(QStringLiteral("mount"),
            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), BackingStoreSize,
                QStringLiteral("tmpfs"), backing}))
        return false;
    m_backingMounted = true;
    QFile imageFile(image);
    if (!imageFile.open(QIODevice::WriteOnly) || !imageFile.resize(ImageSize)) {
        m_whyNot = QStringLiteral("cannot make ") + image;
        return false;
    }
    imageFile.close();
    if (!run(QStringLiteral("mkfs.ext2"),
            {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-b"),
                QStringLiteral("4096"), image})
        || !run(QStringLiteral("losetup"),
            {QStringLiteral("--find"), QStringLiteral("--show"), image}, &m_loopDevice))
        return false;
    m_loopDevice = m_loopDevice.trimmed();
    return run(QStringLiteral("mount"),
        {QStringLiteral("-o"), QStringLiteral("errors=continue"), m_loopDevice, path()});
}

LateFaultDisk::~LateFaultDisk()
{
    // Lazily, so that a file still open cannot keep the mounts.
    if (m_mounted)
        run(QStringLiteral("umount"), {QStringLiteral("--lazy"), path()});
    if (!m_loopDevice.isEmpty())
        run(QStringLiteral("losetup"), {QStringLiteral("--detach"), m_loopDevice});
    if (m_backingMounted)
        run(QStringLiteral("umount"),
            {QStringLiteral("--lazy"), m_dir.filePath(QStringLiteral("backing"))});
}

QString LateFaultDisk::path() const
{
    return m_dir.filePath(QStringLiteral("mounted"));
}

void LateFaultDisk::fillBackingStore()
{
    const int folder = ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::syncfs(folder);
        ::close(folder);
    }
    QFile filler(m_dir.filePath(QStringLiteral("backing/filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(65536, 'f');
    while (filler.write(block) == block.size())
        filler.flush();
}

bool LateFaultDisk::run(const QString &program, const QStringList &arguments, QString *output)
{
    // The system tools lie outside the path of some users.
    QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        executable = QStandardPaths::findExecutable(
            program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (executable.isEmpty()) {
        m_whyNot = program + QStringLiteral(" not found");
        return false;
    }
    QProcess process;
    process.start(executable, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        m_whyNot = program + QStringLiteral(" ") + arguments.join(u' ') + QStringLiteral(": ")
            + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

} // namespace ZantoTest

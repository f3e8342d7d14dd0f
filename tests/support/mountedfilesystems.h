// File systems mounted for a test, to meet real faults: no room for another
// file, or writes that fail only when flushed. Mounting needs root; each
// class says whether it could be set up and, if not, why not.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ZantoTest {

// A tmpfs with options such as "size=1m" or "nr_inodes=2", mounted on a
// temporary folder and unmounted with the object.
class TmpfsMount
{
public:
    explicit TmpfsMount(const QString &options);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool available() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_whyNot;
    bool m_mounted = false;
};

// A small ext2 file system on a loop device whose backing file lies on a
// tmpfs that the test can fill up. Writes into it then still succeed, into
// the cache, and fail only when flushed to the disk, as on network file
// systems.
class LateFaultDisk
{
public:
    LateFaultDisk();
    ~LateFaultDisk();
    LateFaultDisk(const LateFaultDisk &) = delete;
    LateFaultDisk &operator=(const LateFaultDisk &) = delete;

    bool available() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }
    // The folder where the file system is mounted.
    QString path() const { return m_mountPoint.path(); }

    // Stores everything written so far, then leaves no room in the backing
    // file's store: data written later fails when it is flushed.
    void fillBackingStore();

private:
    bool setUp();

    TmpfsMount m_backing;
    QTemporaryDir m_mountPoint;
    QString m_whyNot;
    QString m_loopDevice;
    bool m_mounted = false;
};

// A folder whose fsync fails with EIO, while everything else in it works:
// a temporary folder passed through the FUSE file system foldersyncfaultfs,
// built beside zanto when libfuse3-dev is installed.
class FolderSyncFault
{
public:
    FolderSyncFault();
    ~FolderSyncFault();
    FolderSyncFault(const FolderSyncFault &) = delete;
    FolderSyncFault &operator=(const FolderSyncFault &) = delete;

    bool available() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }
    // The folder where the file system is mounted.
    QString path() const { return m_mountPoint.path(); }

private:
    bool setUp();

    QTemporaryDir m_backing;
    QTemporaryDir m_mountPoint;
    QProcess m_fileSystem;
    QString m_whyNot;
    bool m_mounted = false;
};

} // namespace ZantoTest

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ZantoTest {

// A small ext2 file system on a loop device whose backing file lies on a
// tmpfs that the test can fill up. Writes into it then still succeed, into
// the cache, and fail only when flushed to the disk, as on network file
// systems. Needs root, loop devices and the mount tools; available() says
// whether it could be set up, whyNot() why not.
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
    QString path() const;

    // Stores everything written so far, then leaves no room in the backing
    // file's store: data written later fails when it is flushed.
    void fillBackingStore();

private:
    bool setUp();
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

    QTemporaryDir m_dir;
    QString m_whyNot;
    QString m_loopDevice;
    bool m_backingMounted = false;
    bool m_mounted = false;
};

} // namespace ZantoTest

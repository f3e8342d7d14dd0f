// Advisory locks (flock) that wait for their holder within a time-out. They
// bind only programs that take them: zanto and the library take them on the
// files and devices they write, others may write regardless.
#pragma once

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/failure.h>
#include <zantoquiller/platform/privateexport.h>

#include <chrono>
#include <string>

namespace Zanto::Platform {

// A lock held until the object is destroyed or released. Moves, not copies.
class ZANTOQUILLER_CORE_PRIVATE_EXPORT AdvisoryLock
{
public:
    AdvisoryLock() = default;
    AdvisoryLock(AdvisoryLock &&other) noexcept;
    AdvisoryLock &operator=(AdvisoryLock &&other) noexcept;
    AdvisoryLock(const AdvisoryLock &) = delete;
    AdvisoryLock &operator=(const AdvisoryLock &) = delete;
    ~AdvisoryLock();

    // Locks the file at path: a lock file that guards a change of other
    // files (Exclusive; the lock file is made, empty, when there is none),
    // or their reading (Shared: readers together, but not with a change; the
    // lock file is only read). Waits up to timeout (zero: no limit) for a
    // holder that excludes this one. Check isHeld(), busy() and error().
    enum class Sharing { Exclusive, Shared };
    static AdvisoryLock onLockFile(const std::string &path, std::chrono::milliseconds timeout,
        Sharing sharing = Sharing::Exclusive);

    // Locks the file or device that name leads to (as resolveDevice() reads
    // it), for one job's output: a second job to it waits for this one to
    // end, up to timeout (zero: no limit), then raises DeviceError. A file
    // or FIFO carries the lock itself; a character device (port, terminal)
    // has a lock file in /run/lock (else /tmp) named after its device
    // numbers. Nothing is locked for a TCP printer, whose connection is the
    // job, for memory devices such as /dev/null, nor for a path that cannot
    // be opened or a file system without locks: the output's own open
    // reports those. A file that does not exist yet is made, empty, so that
    // a second job finds it to wait for.
    static AdvisoryLock onDestination(const std::string &name, std::chrono::milliseconds timeout,
        const DeviceMap &map = deviceMap());

    bool isHeld() const { return m_fd >= 0; }
    // Another holder kept the lock file past the time-out.
    bool busy() const { return m_failure.kind == ErrorKind::Busy; }
    // "path: reason" of a failure of onLockFile(); empty otherwise.
    const std::string &error() const { return m_failure.reason; }
    // The failure of onLockFile() with its kind (Busy for a holder that kept
    // the lock past the time-out) and error number.
    const Failure &failure() const { return m_failure; }
    void release() noexcept;

private:
    int m_fd = -1;
    Failure m_failure;
};

} // namespace Zanto::Platform

#include <zantoquiller/platform/advisorylock.h>
#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/interruption.h>

#include "deadline.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

enum class Outcome { Locked, Busy, Unsupported };

// Tries for the lock until deadline, sleeping between tries (a blocking
// flock could not keep a time-out), longer as the wait goes on. A recorded
// interrupt ends the wait with DeviceError naming name.
Outcome waitForLock(int fd, int operation, const Deadline &deadline, const std::string &name)
{
    int pause = 1;
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return Outcome::Locked;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Outcome::Unsupported;
        throwIfInterrupted(name);
        if (deadline.passed())
            return Outcome::Busy;
        ::poll(nullptr, 0, deadline.pollTimeout(pause));
        pause = std::min(pause * 2, 20);
    }
}

// The lock file of a character device. The device itself cannot carry the
// lock: a parallel or USB printer port may be open only once at a time, so a
// descriptor held for the lock would refuse the job's own opens. The file
// is named after the device's numbers, which every name of it shares, in
// the system's folder for such locks, and readable to all, as flock needs
// no more.
int openDeviceLockFile(dev_t device)
{
    const char *folder = ::access("/run/lock", W_OK) == 0 ? "/run/lock" : "/tmp";
    const std::string path = std::string(folder) + "/zantoquiller-char-"
        + std::to_string(major(device)) + '-' + std::to_string(minor(device)) + ".lock";
    int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd >= 0)
        ::fchmod(fd, 0644);
    else if (errno == EEXIST)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    return fd;
}

// A descriptor that carries the lock of target, or -1 when there is none to
// take: a memory device such as /dev/null, a path that cannot be opened.
int openLockable(const DeviceTarget &target)
{
    struct stat status;
    if (::stat(target.path.c_str(), &status) == 0 && S_ISCHR(status.st_mode))
        return major(status.st_rdev) == 1 ? -1 : openDeviceLockFile(status.st_rdev);
    // A file, FIFO or the like, opened as the output opens it, but neither
    // emptied nor waited on.
    int flags = O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    if (target.kind == DeviceTarget::Kind::File)
        flags |= O_CREAT;
    return ::open(target.path.c_str(), flags, 0666);
}

std::string waitedFor(std::chrono::milliseconds timeout)
{
    return "waited " + std::to_string(timeout.count()) + " ms";
}

} // namespace

AdvisoryLock::AdvisoryLock(AdvisoryLock &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_failure(std::move(other.m_failure))
{ }

AdvisoryLock &AdvisoryLock::operator=(AdvisoryLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_failure = std::move(other.m_failure);
    }
    return *this;
}

AdvisoryLock::~AdvisoryLock()
{
    release();
}

void AdvisoryLock::release() noexcept
{
    // Closing the only descriptor of the open file ends its lock.
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

AdvisoryLock AdvisoryLock::onLockFile(
    const std::string &path, std::chrono::milliseconds timeout, Sharing sharing)
{
    AdvisoryLock lock;
    const bool shared = sharing == Sharing::Shared;
    const int fd = shared ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)
                          : ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        lock.m_failure = systemFailure(path, errno);
        return lock;
    }
    switch (waitForLock(fd, shared ? LOCK_SH : LOCK_EX, Deadline(timeout), path)) {
    case Outcome::Locked:
        lock.m_fd = fd;
        break;
    case Outcome::Busy:
        lock.m_failure
            = {ErrorKind::Busy, 0, path + ": held by another program; " + waitedFor(timeout)};
        ::close(fd);
        break;
    case Outcome::Unsupported:
        lock.m_failure = systemFailure(path, errno);
        ::close(fd);
        break;
    }
    return lock;
}

AdvisoryLock AdvisoryLock::onDestination(
    const std::string &name, std::chrono::milliseconds timeout, const DeviceMap &map)
{
    AdvisoryLock lock;
    const DeviceTarget target = resolveDevice(name, map);
    if (target.kind == DeviceTarget::Kind::Socket)
        return lock;
    const int fd = openLockable(target);
    if (fd < 0)
        return lock;
    try {
        const Outcome outcome = waitForLock(fd, LOCK_EX, Deadline(timeout), target.displayName());
        if (outcome == Outcome::Busy)
            throw DeviceError(
                target.displayName() + ": another job is printing to it; " + waitedFor(timeout),
                ErrorKind::Busy);
        if (outcome == Outcome::Locked)
            lock.m_fd = fd;
        else
            ::close(fd);
    } catch (...) {
        ::close(fd);
        throw;
    }
    return lock;
}

} // namespace Zanto::Platform

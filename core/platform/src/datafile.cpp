#include <zantoquiller/platform/datafile.h>

#include "heldsignal.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

// Retries a call that a signal interrupted.
template<typename Call> auto retryOnInterrupt(Call call)
{
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// Takes the advisory lock without waiting. A file system without locks is
// not a reason to refuse the file; only another holder is.
bool lockWithoutWaiting(int fd, int operation)
{
    return retryOnInterrupt([=] { return ::flock(fd, operation | LOCK_NB); }) == 0
        || errno != EWOULDBLOCK;
}

// The folder part of path, without the last separator: "." when there is
// none, "/" for a file in the root.
std::string folderOf(const std::string &path)
{
    const std::size_t separator = path.rfind('/');
    if (separator == std::string::npos)
        return ".";
    return separator == 0 ? "/" : path.substr(0, separator);
}

// The path of the file that path leads to when its last part is a symbolic
// link, so that saving through a link replaces the file and keeps the link.
// Gives up after as many links as the system follows; opening the path then
// reports the loop.
std::string followLinks(std::string path)
{
    for (int link = 0; link < 40; ++link) {
        std::string target(256, '\0');
        ssize_t length;
        while ((length = ::readlink(path.c_str(), target.data(), target.size()))
            == static_cast<ssize_t>(target.size()))
            target.resize(target.size() * 2);
        if (length <= 0)
            return path;
        target.resize(static_cast<std::size_t>(length));
        if (target.front() != '/' && path.find('/') != std::string::npos)
            target = folderOf(path) + '/' + target;
        path = std::move(target);
    }
    return path;
}

// A name for the new file beside target: hidden, named after the file it is
// to replace, and free of collisions through the random tail and O_EXCL.
std::string temporaryNameFor(const std::string &target, std::mt19937 &random)
{
    static constexpr char letters[]
        = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t separator = target.rfind('/');
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    // Short enough to leave room for the tail within the longest name.
    const std::string name = target.substr(nameStart, 200);
    std::string temporary = target.substr(0, nameStart) + '.' + name + '.';
    for (int i = 0; i < 8; ++i)
        temporary += letters[random() % (sizeof letters - 1)];
    return temporary;
}

// Waits until the file's data is on the disk. A file system that cannot
// sync that file has nothing to wait for.
bool syncToDisk(int fd)
{
    return retryOnInterrupt([fd] { return ::fsync(fd); }) == 0 || errno == EINVAL;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool fileExists(const std::string &path, Failure *failure)
{
    struct stat status;
    int error;
    if (::stat(path.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode))
            return true;
        error = EISDIR;
    } else {
        if (errno != ENOENT && errno != ENOTDIR)
            return true;
        error = errno;
    }
    if (failure)
        *failure = systemFailure(path, error);
    return false;
}

DataFile::DataFile(std::string path) : m_path(std::move(path)) { }

DataFile::DataFile(DataFile &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_failure(std::move(other.m_failure))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
{ }

DataFile &DataFile::operator=(DataFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_path = std::move(other.m_path);
        m_failure = std::move(other.m_failure);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
    }
    return *this;
}

DataFile::~DataFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void DataFile::fail(int errorNumber)
{
    m_failure = systemFailure(m_path, errorNumber);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void DataFile::fail(const char *reason, ErrorKind kind)
{
    m_failure = {kind, 0, m_path + ": " + reason};
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

DataFile DataFile::openForReading(const std::string &path)
{
    DataFile file(path);
    // Non-blocking, so that a FIFO without a writer cannot hold the caller.
    file.m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file.m_fd < 0) {
        file.fail(errno);
        return file;
    }
    struct stat status;
    if (::fstat(file.m_fd, &status) != 0) {
        file.fail(errno);
        return file;
    }
    if (!S_ISREG(status.st_mode)) {
        file.fail("not a regular file", ErrorKind::Other);
        return file;
    }
    if (!lockWithoutWaiting(file.m_fd, LOCK_SH)) {
        file.fail("being written by another program", ErrorKind::Busy);
        return file;
    }
    file.m_size = status.st_size;
    return file;
}

std::ptrdiff_t DataFile::read(char *data, std::size_t count)
{
    if (m_fd < 0)
        return -1;
    ssize_t result;
    do {
        result = ::read(m_fd, data, count);
    } while (result < 0 && errno == EINTR);
    if (result < 0)
        m_failure = systemFailure(m_path, errno);
    return result;
}

void DataFile::close()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

FileReplacement::FileReplacement(std::string path) : m_path(std::move(path)) { }

FileReplacement::FileReplacement(FileReplacement &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_target(std::move(other.m_target))
    , m_temporary(std::exchange(other.m_temporary, {}))
    , m_failure(std::move(other.m_failure))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_oldFd(std::exchange(other.m_oldFd, -1))
{ }

FileReplacement::~FileReplacement()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    if (m_oldFd >= 0)
        ::close(m_oldFd);
}

bool FileReplacement::fail(int errorNumber)
{
    m_failure = systemFailure(m_path, errorNumber);
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    return false;
}

bool FileReplacement::fail(const char *reason, ErrorKind kind)
{
    m_failure = {kind, 0, m_path + ": " + reason};
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    return false;
}

FileReplacement FileReplacement::begin(const std::string &path)
{
    FileReplacement replacement(path);
    replacement.m_target = followLinks(path);
    struct stat old = {};
    if (!replacement.lockOldFile(old))
        return replacement;
    if (replacement.m_oldFd >= 0 && !S_ISREG(old.st_mode)) {
        // A device or FIFO: written in place, blocking again.
        replacement.m_fd = std::exchange(replacement.m_oldFd, -1);
        const int flags = ::fcntl(replacement.m_fd, F_GETFL);
        if (flags < 0 || ::fcntl(replacement.m_fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
            replacement.fail(errno);
        return replacement;
    }
    replacement.createTemporary(replacement.m_oldFd >= 0 ? &old : nullptr);
    return replacement;
}

bool FileReplacement::lockOldFile(struct stat &old)
{
    // Opened for writing although it is never written: the open tells
    // whether the file may be changed, and holds the lock. Not truncated, and
    // non-blocking so that a FIFO without a reader fails at once.
    for (int attempt = 0; attempt < 10; ++attempt) {
        m_oldFd = retryOnInterrupt([this] {
            return ::open(m_target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        });
        if (m_oldFd < 0)
            return errno == ENOENT || fail(errno);
        if (::fstat(m_oldFd, &old) != 0)
            return fail(errno);
        if (!lockWithoutWaiting(m_oldFd, LOCK_EX))
            return fail("in use by another program", ErrorKind::Busy);
        // A writer that finished meanwhile has put another file under the
        // name; that one is the file to replace.
        struct stat current;
        if (!S_ISREG(old.st_mode)
            || (::stat(m_target.c_str(), &current) == 0 && sameFile(old, current)))
            return true;
        ::close(std::exchange(m_oldFd, -1));
    }
    return fail("in use by another program", ErrorKind::Busy);
}

bool FileReplacement::createTemporary(const struct stat *old)
{
    std::mt19937 random(std::random_device {}());
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        std::string name = temporaryNameFor(m_target, random);
        // A new file gets the usual mode; a replacement is private until it
        // has the old file's owner and mode.
        const mode_t mode = old ? 0600 : 0666;
        m_fd = retryOnInterrupt([&] {
            return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        });
        if (m_fd >= 0)
            m_temporary = std::move(name);
        else if (errno != EEXIST)
            return fail(errno);
    }
    if (m_fd < 0)
        return fail(EEXIST);
    if (!old)
        return true;
    // Owner first, as changing it clears the set-ID bits. Only root may give
    // a file away; others keep at least the group where they can.
    if (::fchown(m_fd, old->st_uid, old->st_gid) != 0
        && ::fchown(m_fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
        // The new file stays ours.
    }
    return ::fchmod(m_fd, old->st_mode & 07777) == 0 || fail(errno);
}

bool FileReplacement::writeAll(const char *data, std::size_t count)
{
    if (m_fd < 0)
        return false;
    // A write past a file-size limit fails with EFBIG, a lack of room, and
    // the new file is removed, instead of SIGXFSZ ending the process.
    const HeldSignal fileSizeLimit(SIGXFSZ);
    while (count > 0) {
        const ssize_t written = ::write(m_fd, data, count);
        if (written < 0 && errno == EINTR)
            continue;
        // A write that takes nothing without an error has no room left.
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool FileReplacement::commit()
{
    if (m_fd < 0)
        return false;
    if (m_temporary.empty()) {
        // Written in place. After EINTR the descriptor is gone on Linux;
        // nothing was lost.
        return ::close(std::exchange(m_fd, -1)) == 0 || errno == EINTR || fail(errno);
    }
    // Errors of delayed writes show at fsync or, on network file systems,
    // only at close: both before the old file is touched.
    if (!syncToDisk(m_fd))
        return fail(errno);
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        return fail(errno);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail(errno);
    m_temporary.clear();
    if (m_oldFd >= 0)
        ::close(std::exchange(m_oldFd, -1));
    // The rename lasts through a crash only once the folder is stored. A
    // folder that may not be read cannot be synced; the rename stands.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return true;
    const bool synced = syncToDisk(folder);
    const int error = errno;
    ::close(folder);
    return synced || fail(error);
}

} // namespace Zanto::Platform

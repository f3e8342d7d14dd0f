#include <zantoquiller/platform/datafile.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Zanto::Platform {

namespace {

// Takes the advisory lock without waiting. A file system without locks is
// not a reason to refuse the file; only another holder is.
bool lockWithoutWaiting(int fd, int operation)
{
    int result;
    do {
        result = ::flock(fd, operation | LOCK_NB);
    } while (result < 0 && errno == EINTR);
    return result == 0 || errno != EWOULDBLOCK;
}

} // namespace

bool fileExists(const std::string &path, std::string *reason)
{
    struct stat status;
    const char *why;
    if (::stat(path.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode))
            return true;
        why = std::strerror(EISDIR);
    } else {
        if (errno != ENOENT && errno != ENOTDIR)
            return true;
        why = std::strerror(errno);
    }
    if (reason)
        *reason = path + ": " + why;
    return false;
}

DataFile::DataFile(std::string path) : m_path(std::move(path)) { }

DataFile::DataFile(DataFile &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_error(std::move(other.m_error))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
{ }

DataFile &DataFile::operator=(DataFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
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
    fail(std::strerror(errorNumber));
}

void DataFile::fail(const char *reason)
{
    m_error = m_path + ": " + reason;
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
        file.fail("not a regular file");
        return file;
    }
    if (!lockWithoutWaiting(file.m_fd, LOCK_SH)) {
        file.fail("being written by another program");
        return file;
    }
    file.m_size = status.st_size;
    return file;
}

DataFile DataFile::create(const std::string &path)
{
    DataFile file(path);
    // Not truncated on open: the file is emptied only once it is ours.
    // Non-blocking open, so that a FIFO without a reader fails at once.
    file.m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (file.m_fd < 0) {
        file.fail(errno);
        return file;
    }
    const int flags = ::fcntl(file.m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(file.m_fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        file.fail(errno);
        return file;
    }
    if (!lockWithoutWaiting(file.m_fd, LOCK_EX)) {
        file.fail("in use by another program");
        return file;
    }
    struct stat status;
    if (::fstat(file.m_fd, &status) != 0) {
        file.fail(errno);
        return file;
    }
    if (S_ISREG(status.st_mode) && ::ftruncate(file.m_fd, 0) != 0) {
        file.fail(errno);
        return file;
    }
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
        m_error = m_path + ": " + std::strerror(errno);
    return result;
}

bool DataFile::writeAll(const char *data, std::size_t count)
{
    if (m_fd < 0)
        return false;
    while (count > 0) {
        const ssize_t written = ::write(m_fd, data, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A write that takes nothing without an error has no room left.
            m_error = m_path + ": " + std::strerror(written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DataFile::close()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(std::exchange(m_fd, -1));
    // After EINTR the descriptor is gone on Linux; nothing was lost.
    if (result < 0 && errno != EINTR) {
        m_error = m_path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace Zanto::Platform

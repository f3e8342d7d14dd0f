#include "inputfile.h"
#include "usageerror.h"

#include <zantoquiller/interrupts.h>

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Zanto::Cli {

namespace {

// The descriptor, or minus the reason. A folder opens for reading, but is
// no text.
int openForReading(const QByteArray &path)
{
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -errno;
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        return -EISDIR;
    }
    return fd;
}

} // namespace

InputFile::~InputFile()
{
    if (m_owned)
        ::close(m_fd);
}

void InputFile::openFile(const QString &name)
{
    if (name.isEmpty() || name == u"-") {
        m_fd = STDIN_FILENO;
        m_name = QStringLiteral("standard input");
    } else {
        const int result = openForReading(QFile::encodeName(name));
        if (result < 0)
            throw CommandFailure(
                QStringLiteral("cannot open '%1': %2")
                    .arg(name, QString::fromStdString(std::system_category().message(-result))));
        m_fd = result;
        m_owned = true;
        m_name = name;
    }
    struct stat status;
    if (::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const off_t start = ::lseek(m_fd, 0, SEEK_CUR);
        if (start >= 0 && start <= status.st_size)
            m_knownSize = status.st_size - start;
    }
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 InputFile::readData(char *data, qint64 maxSize)
{
    for (;;) {
        // Looked for before the wait too: the signal may have come already.
        if (const int sig = interruptSignal()) {
            setErrorString(
                m_name + QStringLiteral(": interrupted by signal ") + QString::number(sig));
            return -1;
        }
        const ssize_t count = ::read(m_fd, data, static_cast<std::size_t>(maxSize));
        if (count >= 0) {
            m_bytesRead += count;
            return count;
        }
        if (errno != EINTR) {
            setErrorString(m_name + QStringLiteral(": ")
                + QString::fromStdString(std::system_category().message(errno)));
            return -1;
        }
    }
}

} // namespace Zanto::Cli

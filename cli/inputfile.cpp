#include "inputfile.h"
#include "usageerror.h"

#include <zantoquiller/platform/interruption.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Zanto::Cli {

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
        do
            m_fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0)
            throw UsageError(QStringLiteral("cannot open '%1': %2")
                                 .arg(name, QString::fromLocal8Bit(std::strerror(errno))));
        m_owned = true;
        m_name = name;
    }
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 InputFile::readData(char *data, qint64 maxSize)
{
    for (;;) {
        // Looked for before the wait too: the signal may have come already.
        if (const int sig = Platform::interruptSignal()) {
            setErrorString(
                m_name + QStringLiteral(": interrupted by signal ") + QString::number(sig));
            return -1;
        }
        const ssize_t count = ::read(m_fd, data, static_cast<std::size_t>(maxSize));
        if (count >= 0)
            return count;
        if (errno != EINTR) {
            setErrorString(
                m_name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
            return -1;
        }
    }
}

} // namespace Zanto::Cli

#include "outputoverinput.h"
#include "usageerror.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace Zanto::Cli {

namespace {

using FileStatus = struct stat;

// Only a regular file is harmed: a terminal or /dev/null may well be both.
bool regularFile(int fd, FileStatus &status)
{
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

bool sameFile(const FileStatus &a, const FileStatus &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

const QString nothingWritten = QStringLiteral(" is the input file; nothing was written");

} // namespace

void refuseOutputOverInput(const TZantoquiller &component, int inputFd, const QString &shownName)
{
    FileStatus input {};
    if (!regularFile(inputFd, input))
        return;
    // A port that does not lead anywhere fails in the print, with its own
    // message; so does a target that does not exist yet, and it cannot be
    // the input.
    QString name;
    const Destination destination = component.destination();
    switch (destination.kind()) {
    case Destination::Kind::CurrentPrinter:
        try {
            name = component.PortToString(poCurrent);
        } catch (const std::exception &) {
            return;
        }
        break;
    case Destination::Kind::StandardOutput:
        name = QStringLiteral("/dev/stdout");
        break;
    case Destination::Kind::DeviceName:
        name = destination.deviceName();
        break;
    case Destination::Kind::DevicePath:
    case Destination::Kind::File:
        name = destination.path();
        break;
    case Destination::Kind::Parallel:
    case Destination::Kind::Serial:
        name = destination.toString();
        break;
    default:
        return; // a network printer or a spooler queue
    }
    const QString path = deviceFilePath(name);
    if (path.isEmpty())
        return;
    FileStatus output {};
    if (::stat(QFile::encodeName(path).constData(), &output) == 0 && sameFile(input, output)) {
        if (path == u"/dev/stdout")
            throw UsageError(QStringLiteral("standard output") + nothingWritten);
        const QString shown = shownName.isEmpty() ? name : shownName;
        throw UsageError(QStringLiteral("the output '") + shown + u'\''
            + (path == shown ? QString() : QStringLiteral(" (") + path + u')') + nothingWritten);
    }
}

void refuseStandardOutputOverInput(int inputFd)
{
    FileStatus input {};
    FileStatus output {};
    if (regularFile(inputFd, input) && ::fstat(STDOUT_FILENO, &output) == 0
        && sameFile(input, output))
        throw UsageError(QStringLiteral("standard output") + nothingWritten);
}

} // namespace Zanto::Cli

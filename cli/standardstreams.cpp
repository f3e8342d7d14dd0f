#include "standardstreams.h"
#include "warning.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Zanto::Cli {

namespace {

bool outputFailed = false;

void tellWriteError(int error)
{
    if (outputFailed)
        return;
    outputFailed = true;
    // An earlier write failed and its reason is gone when error is 0.
    if (error != 0)
        report(QStringLiteral("write error: ")
            + QString::fromStdString(std::system_category().message(error)));
    else
        report(QStringLiteral("write error"));
    std::fflush(stderr);
}

bool flushStandardOutput()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        tellWriteError(errno);
        return false;
    }
    return !outputFailed;
}

} // namespace

bool writeStandardOutput(const char *data, std::size_t size)
{
    errno = 0;
    if (std::fwrite(data, 1, size, stdout) != size) {
        tellWriteError(errno);
        return false;
    }
    return !outputFailed;
}

bool standardOutputReaderGone()
{
    struct stat status
    {
    };
    if (::fstat(STDOUT_FILENO, &status) != 0 || !S_ISFIFO(status.st_mode))
        return false;
    // The writing end of a pipe without reader polls as an error.
    pollfd entry {STDOUT_FILENO, POLLOUT, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLERR) != 0;
}

void endByBrokenPipe()
{
    std::fflush(stderr);
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_UNBLOCK, &pipeSignal, nullptr);
    std::raise(SIGPIPE);
    ::_exit(128 + SIGPIPE); // should the signal not end the program
}

int finishStandardStreams(int status)
{
    bool failed = !flushStandardOutput();
    errno = 0;
    if (std::fclose(stdout) != 0 && !failed) {
        tellWriteError(errno);
        failed = true;
    }
    if (std::fflush(stderr) != 0 || std::ferror(stderr))
        failed = true;
    return failed && status == 0 ? 1 : status;
}

} // namespace Zanto::Cli

#include "standardstreams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
        std::fprintf(stderr, "zanto: write error: %s\n", std::strerror(error));
    else
        std::fputs("zanto: write error\n", stderr);
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

#include <zantoquiller/platform/process.h>

#include <climits>
#include <unistd.h>

namespace Zanto::Platform {

std::string executableDirectory()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof path))
        return {};
    std::string result(path, static_cast<std::size_t>(length));
    result.erase(result.rfind('/') + 1);
    return result;
}

} // namespace Zanto::Platform

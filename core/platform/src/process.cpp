#include <zantoquiller/platform/process.h>

#include <climits>
#include <fstream>
#include <iterator>
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

std::vector<std::string> commandLineArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find('\0', start);
        arguments.push_back(all.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return arguments;
}

} // namespace Zanto::Platform

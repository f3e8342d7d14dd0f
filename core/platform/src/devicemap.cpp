#include <zantoquiller/platform/devicemap.h>

#include <strings.h>

namespace Zanto::Platform {

int DeviceMap::indexOf(std::string_view name)
{
    for (std::size_t i = 0; i < Names.size(); ++i) {
        if (name.size() == Names[i].size()
            && ::strncasecmp(name.data(), Names[i].data(), name.size()) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::string> DeviceMap::path(std::string_view name) const
{
    const int index = indexOf(name);
    if (index < 0)
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    return m_paths[static_cast<std::size_t>(index)];
}

bool DeviceMap::setPath(std::string_view name, std::string path)
{
    const int index = indexOf(name);
    if (index < 0 || path.empty())
        return false;
    const std::lock_guard lock(m_mutex);
    m_paths[static_cast<std::size_t>(index)] = std::move(path);
    return true;
}

void DeviceMap::reset()
{
    const std::lock_guard lock(m_mutex);
    m_paths = {"/dev/lp0", "/dev/lp1", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
}

DeviceMap &deviceMap()
{
    static DeviceMap map;
    return map;
}

} // namespace Zanto::Platform

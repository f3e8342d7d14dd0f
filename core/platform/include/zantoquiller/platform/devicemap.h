// Where the classic printer device names lead on this system.
#pragma once

#include <zantoquiller/platform/privateexport.h>

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace Zanto::Platform {

// LPT1 -> /dev/lp0, LPT2 -> /dev/lp1, COM1-COM4 -> /dev/ttyS0-/dev/ttyS3 until the
// application maps a name elsewhere. Names compare without regard to case.
// Safe to read and change from several threads at once.
class DeviceMap
{
public:
    static constexpr std::array<std::string_view, 6> Names {
        "LPT1", "LPT2", "COM1", "COM2", "COM3", "COM4"};

    DeviceMap() { reset(); }

    // The path a device name leads to; nothing when name is not a device name.
    std::optional<std::string> path(std::string_view name) const;
    // Maps one of Names to path. Returns false (and changes nothing) for any
    // other name or an empty path.
    bool setPath(std::string_view name, std::string path);
    // Back to the built-in paths.
    void reset();

private:
    static int indexOf(std::string_view name);

    mutable std::mutex m_mutex;
    std::array<std::string, Names.size()> m_paths;
};

// The process-wide map that every device open uses.
ZANTOQUILLER_CORE_PRIVATE_EXPORT DeviceMap &deviceMap();

} // namespace Zanto::Platform

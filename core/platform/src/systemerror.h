// Error reasons in the form users know from the shell: "NAME: what went wrong".
#pragma once

#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/failure.h>

#include <string>

namespace Zanto::Platform {

inline std::string systemReason(const std::string &name, int error)
{
    return name + ": " + systemText(error);
}

[[noreturn]] inline void throwSystemError(const std::string &name, int error)
{
    throw DeviceError(systemFailure(name, error));
}

} // namespace Zanto::Platform

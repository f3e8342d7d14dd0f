// Shared by the channel's operations and the print job.
#pragma once

#include <zantoquiller/types.h>

#include <QString>

#include <optional>

namespace Zanto {

class TZantoquiller;

// The device name of a port (PortToString's answer), or nothing, with why
// telling the reason.
std::optional<QString> deviceNameOf(
    const TZantoquiller &component, TIOPortName value, QString &why);

} // namespace Zanto

// Shared by the channel's operations and direct output.
#pragma once

#include <zantoquiller/types.h>

#include <QString>

#include <optional>

namespace Zanto {

// The device name of a port (PortToString's answer), outputFile for poDisk,
// or nothing, with why telling the reason.
std::optional<QString> deviceNameOf(TIOPortName value, const QString &outputFile, QString &why);

} // namespace Zanto

// Shared by the channel's operations and direct output.
#pragma once

#include <zantoquiller/types.h>

#include <QString>

#include <chrono>
#include <optional>

namespace Zanto {

// The device name of a port (PortToString's answer), outputFile for poDisk,
// or nothing, with why telling the reason. Asking the print server for the
// current printer's port waits at most timeout.
std::optional<QString> deviceNameOf(
    TIOPortName value, const QString &outputFile, std::chrono::milliseconds timeout, QString &why);

} // namespace Zanto

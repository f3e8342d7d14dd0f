// Shared by the channel's operations and direct output.
#pragma once

#include <zantoquiller/platform/failure.h>
#include <zantoquiller/types.h>

#include <QString>

#include <chrono>
#include <optional>

namespace Zanto {

// The device name of a port (PortToString's answer), outputFile for poDisk,
// or nothing, with why telling the reason and its kind. Asking the print
// server for the current printer's port waits at most timeout.
std::optional<QString> deviceNameOf(TIOPortName value, const QString &outputFile,
    std::chrono::milliseconds timeout, Platform::Failure &why);

} // namespace Zanto

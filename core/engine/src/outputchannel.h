// Shared by the channel's operations and direct output.
#pragma once

#include <zantoquiller/destination.h>
#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/platform/failure.h>
#include <zantoquiller/types.h>

#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace Zanto {

// The device name of a port (PortToString's answer), outputFile for poDisk,
// or nothing, with why telling the reason and its kind. Asking the print
// server for the current printer's port waits at most timeout.
std::optional<QString> deviceNameOf(TIOPortName value, const QString &outputFile,
    std::chrono::milliseconds timeout, Platform::Failure &why);

class TZantoquillerPrivate;

// What direct output opens: a name as the platform resolves it, through a
// map of device names.
struct OpenTarget
{
    std::string name;
    // A device path that must exist is opened as a mapped device name, so
    // that it is never created; this map holds it.
    std::shared_ptr<const Platform::DeviceMap> ownMap;

    const Platform::DeviceMap &map() const { return ownMap ? *ownMap : Platform::deviceMap(); }
};

// The target of destination, or nothing with why telling the reason. A
// queue or the current printer leads to its device, asked of the print
// server within timeout.
std::optional<OpenTarget> openTargetOf(
    const Destination &destination, std::chrono::milliseconds timeout, Platform::Failure &why);

// The target that a component's direct output opens (or is asked about):
// its destination, or the device of its Port.
std::optional<OpenTarget> openTargetOf(const TZantoquillerPrivate &settings,
    std::chrono::milliseconds timeout, Platform::Failure &why);

// Whether the later blocks of one output append to the first one's file:
// a disk file (poDisk, a file or standard output destination).
bool appendsToFile(const TZantoquillerPrivate &settings);

// The queue that a component's whole-text print goes to as a spooler job,
// empty for the current printer's; nothing when it prints directly.
std::optional<QString> spoolerQueueOf(const TZantoquillerPrivate &settings);

} // namespace Zanto

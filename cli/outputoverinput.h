// The guard against a command writing its output over its own input, which
// would destroy the input before it is read (the output is emptied when it
// is opened) or feed a command its own output without end.
#pragma once

#include <QString>

namespace Zanto {
class TZantoquiller;
}

namespace Zanto::Cli {

// Raises UsageError when the device or file that component's destination
// leads to is the regular file open as inputFd (the same file by device and
// inode: through symbolic or hard links, a device map entry or a file: URI
// too). The message names the output shownName when one is given (the
// device name that --device led there). Call it before anything is opened
// for writing.
void refuseOutputOverInput(
    const TZantoquiller &component, int inputFd, const QString &shownName = {});

// The same for standard output.
void refuseStandardOutputOverInput(int inputFd);

} // namespace Zanto::Cli

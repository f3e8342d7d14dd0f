/// \file
/// What kind of failure an error is, whatever words its message uses: the
/// same in every language, carried from the operating system's error number
/// through the library's exceptions to zanto's exit status.
#pragma once

#include <zantoquiller/core_export.h>

namespace Zanto {

/// The kind of a failure, for a caller that acts on it (retries, asks the
/// user, chooses an exit status) rather than showing its message.
enum class ErrorKind {
    Other, ///< none of those below, such as an input/output error of a disk
    NotFound, ///< a file, folder, queue, job or printer that is not there
    Permission, ///< no right to read or change it, or a read-only file system
    Unreachable, ///< the printer, its device or the print server cannot be reached
    TimedOut, ///< reached, but it did not answer or take data within the time-out
    NoSpace, ///< no room: a full disk, a quota, a file size limit
    Protocol, ///< the other side answered, but not as it should
    Format, ///< data or a value not in the form or range expected: a file, a setting
    Usage, ///< a call or command line that asks for something that cannot be done
    Interrupted, ///< a signal asked the running print to stop
    Busy, ///< held by another program or job past the time-out
    ConnectionLost, ///< a connection that was made broke off (reset, closed)
};

/// The kind of the operating system's error number systemError (an errno
/// value such as ENOENT); Other for 0 and for numbers of no kind above.
ZANTOQUILLER_CORE_EXPORT ErrorKind errorKindOf(int systemError) noexcept;

} // namespace Zanto

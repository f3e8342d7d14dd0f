/// \file
/// A ready print file sent as it is: its bytes, in one job, wherever a memo
/// print of the component would go.
#pragma once

#include <zantoquiller/core_export.h>

#include <QByteArrayView>

#include <functional>

namespace Zanto {

class TZantoquiller;

/// Sends the bytes that next hands out, piece by piece until it hands out an
/// empty piece, in one job: through the spooler when UseSpooler is set and
/// Port is not poDisk (the queue must take raw data, as for a memo print),
/// else to the device of Port, which a job without bytes still opens (a file
/// is emptied). Nothing is added: no pitch code, no job codes, no page ends.
/// Raises as a memo print does. An exception of next ends the job with what
/// was sent, unless a signal asked the program to stop, which cancels it.
ZANTOQUILLER_CORE_EXPORT void SendBytes(
    TZantoquiller &component, const std::function<QByteArrayView()> &next);

} // namespace Zanto

/// \file
/// A memo print whose bytes go to a function of the caller's instead of a
/// port or the spooler: nothing is opened and no job is started. The bytes
/// are those PrintMemoText and PrintMemoTextLines would send, with a form
/// feed where a spooled print would start a new page.
#pragma once

#include <zantoquiller/core_export.h>

#include <QByteArrayView>

#include <functional>

namespace Zanto {

class TZantoquiller;
class TextSource;

/// Receives the bytes of a laid-out print, piece by piece.
using PrintedBytesFunction = std::function<void(QByteArrayView bytes)>;

/// The bytes PrintMemoText() would send for text, handed to to.
ZANTOQUILLER_CORE_EXPORT void LayOutMemoText(
    TZantoquiller &component, TextSource &text, const PrintedBytesFunction &to);
/// The bytes PrintMemoTextLines() would send for the lines FromLine to
/// ToLine of text, handed to to.
ZANTOQUILLER_CORE_EXPORT void LayOutMemoTextLines(TZantoquiller &component, TextSource &text,
    qint32 FromLine, qint32 ToLine, const PrintedBytesFunction &to);

} // namespace Zanto

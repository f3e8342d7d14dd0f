// A plain model of the memo layout rules, written for clarity and kept apart
// from the printer: a 1-based line buffer, the translation list searched
// entry by entry, and after a word wrap the moved characters placed again
// one by one. The randomized test compares the printer against it.
#pragma once

#include "memotestsupport.h"

#include <zantoquiller/types.h>

namespace ZantoTest {

struct ModelSettings
{
    int leftOffset = 0;
    qint32 linesPerPage = 0;
    qint32 lineWidth = 0;
    int lineSpacing = 1;
    bool sendLineFeed = true;
    bool spooler = false;
    QByteArrayList transIn;
    QByteArrayList transOut;
    QByteArray pitchCode;
};

// What the printer sends for text; the job end and the error included.
PrintOutcome modelPrint(
    const ModelSettings &settings, const QByteArray &text, qint32 fromIndex, qint32 toIndex);

} // namespace ZantoTest

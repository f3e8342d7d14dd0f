// What a TZantoquiller holds: its property values, and what a running memo
// print shows of itself. The memo printer and the print job read the
// settings here.
#pragma once

#include <zantoquiller/jobcodes.h>
#include <zantoquiller/types.h>
#include <zantoquiller/zantoquiller.h>

#include <QByteArrayList>
#include <QString>

#include <optional>

namespace Zanto {

class TZantoquillerPrivate
{
public:
    static TZantoquillerPrivate &get(TZantoquiller &component) { return *component.d; }
    static const TZantoquillerPrivate &get(const TZantoquiller &component) { return *component.d; }

    TPrinterType printerType = ptHPPCL;
    TIOPortName port = poLPT1;
    bool useSpooler = false;
    qint32 leftOffset = 0;
    qint32 linesPerPage = 0;
    qint32 lineWidth = 0;
    QByteArrayList transIn;
    QByteArrayList transOut;
    QString outputFile;
    TPitch pitch = cpi10;
    bool sendLineFeed = true;
    quint8 lineSpacing = 1;
    bool printAllPages = true;
    qint32 printRangeStart = 1;
    qint32 printRangeEnd = 1;
    quint16 timeout = 1000;
    WrapRule wrapRule = WrapRule::Memo;
    qint32 tabStops = 8;

    // Given by setDestination(); none: Port and OutputFile decide.
    std::optional<Destination> destination;

    TCodeTable codes;
    // Null: the process-wide code page.
    const AnsiCodePage *codePage = nullptr;
    JobCodes jobCodes;

    // True while the second and later lines of one memo print are sent (a
    // disk file is then appended to); false between calls, after a job's end
    // and after any failure. The print job keeps it; direct output does not
    // read it, so a PrintBuffer call in the middle of a print still starts
    // its file anew.
    bool appendToFile = false;
};

} // namespace Zanto

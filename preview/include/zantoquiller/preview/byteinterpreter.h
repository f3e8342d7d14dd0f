// Reads the bytes of a print job as a character printer of one family
// would, and lays them out on sheets of paper. Holds one sheet at a time:
// each finished sheet goes to a PageSink at once.
#pragma once

#include <zantoquiller/preview/page.h>
#include <zantoquiller/preview_export.h>
#include <zantoquiller/types.h>

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <vector>

class QIODevice;

namespace Zanto {
class AnsiCodePage;
}

namespace Zanto::Preview {

struct PrinterSetup
{
    TPrinterType type = ptEpson;
    // The thirteen codes of the type's record in the component's table.
    TPrinterCodes codes;
    // The printer's character set; CP437 when null.
    const AnsiCodePage *codePage = nullptr;
    // Continuous 8.5 x 11 inch stationery when null.
    const Paper *paper = nullptr;
};

struct UnknownSequence
{
    qint64 offset; // of its first byte in the job
    int page;
    QByteArray bytes;
};

class ZANTOQUILLER_PREVIEW_EXPORT ByteInterpreter
{
public:
    // The first this many unknown sequences are kept for the list; the rest
    // are counted.
    static constexpr int ListedUnknown = 1000;

    ByteInterpreter(const PrinterSetup &setup, PageSink &sink);
    ~ByteInterpreter();
    ByteInterpreter(const ByteInterpreter &) = delete;
    ByteInterpreter &operator=(const ByteInterpreter &) = delete;

    // The next bytes of the job; a sequence may be split across calls.
    void feed(QByteArrayView bytes);
    // The job has ended: an unfinished sequence is shown as unknown, the
    // last sheet goes out (a job that printed nothing gives one blank
    // sheet), and the sink is finished.
    void finish();

    int pageCount() const;
    const std::vector<UnknownSequence> &unknownSequences() const;
    qint64 unknownSequenceCount() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Reads every byte of input through an interpreter; true unless reading
// failed (the device's errorString() then says why). Does not finish.
ZANTOQUILLER_PREVIEW_EXPORT bool interpretAll(QIODevice &input, ByteInterpreter &interpreter);

} // namespace Zanto::Preview

/// \file
/// Reads the bytes of a print job as a character printer of one family
/// would, and lays them out on sheets of paper. Holds one sheet at a time:
/// each finished sheet goes to a PageSink at once.
#pragma once

#include <zantoquiller/preview/page.h>
#include <zantoquiller/preview_export.h>
#include <zantoquiller/types.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

class QIODevice;

namespace Zanto {
class AnsiCodePage;
class PrinterLanguage;
} // namespace Zanto

namespace Zanto::Preview {

/// The printer a job is laid out for.
struct PrinterSetup
{
    /// The family whose language the job is read in.
    TPrinterType type = ptEpson;
    /// The thirteen codes of the type's record in the component's table.
    TPrinterCodes codes;
    /// The printer's character set; CP437 when null.
    const AnsiCodePage *codePage = nullptr;
    /// The language's usual paper when null (continuous 8.5 x 11 inch
    /// stationery for the dot-matrix and page printers).
    const Paper *paper = nullptr;
    /// The language the printer reads; when null, the one the type speaks
    /// (PrinterLanguage::forPrinterType).
    const PrinterLanguage *language = nullptr;
};

/// A sequence the family does not know, or one whose value was beyond what
/// the language allows and was cut to the nearest it allows (clamped).
struct UnknownSequence
{
    qint64 offset; ///< of its first byte in the job
    int page; ///< the sheet it is on, from 1
    QByteArray bytes; ///< the sequence
    bool clamped = false; ///< known, but its value was cut
    /// A command the language knows that the preview does not draw
    /// (graphics, barcodes, a drawer kick): passed over by its length.
    bool ignored = false;
    /// Why an ignored command is not drawn, where the preview can say.
    QString reason;
};

/// What a sheet could not hold: characters, markers and graphics past the most a sheet
/// keeps, which are counted and not drawn.
struct LeftOut
{
    qint64 characters = 0; ///< characters not drawn
    qint64 markers = 0; ///< markers not drawn
    qint64 dots = 0; ///< dots of graphics not drawn
    int sheets = 0; ///< that reached a limit
    int firstPage = 0; ///< the first of them
};

/// Lays the bytes of a job out on sheets, as the printer would print them.
class ZANTOQUILLER_PREVIEW_EXPORT ByteInterpreter
{
public:
    /// The first this many unknown sequences are kept for the list; the rest
    /// are counted.
    static constexpr int ListedUnknown = 1000;
    /// The most characters (overprinted ones included) and markers a sheet
    /// keeps, so that a sheet that never ends holds bounded memory; far
    /// more than a sheet of print has.
    static constexpr int MostCharactersPerSheet = 200000;
    /// See MostCharactersPerSheet.
    static constexpr int MostMarkersPerSheet = 10000;
    /// The most dots of graphics a sheet keeps: a letter sheet full at
    /// 600 by 600 dots an inch.
    static constexpr qint64 MostImageDotsPerSheet = 36'000'000;
    /// The sheets made before a job is stopped, unless setSheetLimit says
    /// otherwise.
    static constexpr int DefaultSheetLimit = 10000;

    /// An interpreter for setup's printer that hands its sheets to sink,
    /// which must outlive it.
    ByteInterpreter(const PrinterSetup &setup, PageSink &sink);
    ~ByteInterpreter();
    ByteInterpreter(const ByteInterpreter &) = delete;
    ByteInterpreter &operator=(const ByteInterpreter &) = delete;

    /// The next bytes of the job; a sequence may be split across calls.
    void feed(QByteArrayView bytes);
    /// The job has ended: an unfinished sequence is shown as unknown, the
    /// last sheet goes out (a job that printed nothing gives one blank
    /// sheet), and the sink is finished.
    void finish();

    /// At most sheets go to the sink (at least 1); a job that needs another
    /// is stopped there: the rest of it is not read.
    void setSheetLimit(int sheets);
    /// The job needed more sheets than the limit.
    bool stoppedAtSheetLimit() const;

    /// The sheets made so far.
    int pageCount() const;
    /// The first ListedUnknown unknown and clamped sequences, in job order.
    const std::vector<UnknownSequence> &unknownSequences() const;
    /// Unknown and clamped sequences, listed or not.
    qint64 unknownSequenceCount() const;
    /// Known commands that are not drawn, the first ListedUnknown of them,
    /// each with ignored set.
    const std::vector<UnknownSequence> &ignoredCommands() const;
    /// Those commands, listed or not.
    qint64 ignoredCommandCount() const;
    /// What the sheets could not hold.
    const LeftOut &leftOut() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

/// Reads every byte of input through an interpreter; true unless reading
/// failed (the device's errorString() then says why). Does not finish.
ZANTOQUILLER_PREVIEW_EXPORT bool interpretAll(QIODevice &input, ByteInterpreter &interpreter);

} // namespace Zanto::Preview

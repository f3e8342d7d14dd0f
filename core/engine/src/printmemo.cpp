// PrintMemo, PrintMemoLines and their counterparts for texts without a
// control: all of them run the one memo printer.
#include "memoprinter.h"
#include "threadcodepage.h"

#include <zantoquiller/printedbytes.h>
#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <limits>

namespace Zanto {

namespace {

constexpr qint32 wholeText = -1;
constexpr qint32 lastLine = std::numeric_limits<qint32>::max();

// Line number (from 1) to line index (from 0). The smallest number stays in
// range: it still means "from the first line", or "no line" as an end.
qint32 indexOfLine(qint32 line)
{
    return line == std::numeric_limits<qint32>::min() ? line : line - 1;
}

std::unique_ptr<TextSource> recognisedMemo(QObject *memo)
{
    std::unique_ptr<TextSource> text = textSourceForMemo(memo);
    if (!text)
        throw eZantoquillError(QStringLiteral("Memo type not recognised"), ErrorKind::Usage);
    return text;
}

// Hands every finished line to a function; a spooled print's page end
// becomes the form feed the spooler would write.
class BytesSink : public LineSink
{
public:
    BytesSink(bool spooler, const PrintedBytesFunction &to) : m_spooler(spooler), m_to(to) { }
    bool spoolerMode() const override { return m_spooler; }
    void sendLine(const TTextBuffer &line) override { m_to(QByteArrayView(line.Data, line.Count)); }
    void newPage() override { m_to("\f"); }

private:
    bool m_spooler;
    const PrintedBytesFunction &m_to;
};

void layOut(TZantoquiller &component, TextSource &text, qint32 fromIndex, qint32 toIndex,
    const PrintedBytesFunction &to)
{
    // The spooler decision of a real print, without asking the spooler.
    BytesSink sink(
        fromIndex == wholeText && component.UseSpooler() && component.Port() != poDisk, to);
    MemoPrinter(component).print(text, fromIndex, toIndex, sink, [] {});
}

} // namespace

void MemoPrinter::IntPrintMemo(TextSource &Memo, qint32 FromIndex, qint32 ToIndex)
{
    // The text is converted, and the translation table folds case, in the
    // component's code page.
    const ThreadCodePage codePage(m_component.CodePage());
    PrintJob job(m_component, FromIndex == -1);
    print(Memo, FromIndex, ToIndex, job, [&job] { job.end(); });
}

void TZantoquiller::PrintMemo(QObject *Memo)
{
    const std::unique_ptr<TextSource> text = recognisedMemo(Memo);
    MemoPrinter(*this).IntPrintMemo(*text, wholeText, lastLine);
}

void TZantoquiller::PrintMemoLines(QObject *Memo, qint32 FromLine, qint32 ToLine)
{
    const std::unique_ptr<TextSource> text = recognisedMemo(Memo);
    MemoPrinter(*this).IntPrintMemo(*text, indexOfLine(FromLine), indexOfLine(ToLine));
}

void PrintMemoText(TZantoquiller &component, TextSource &text)
{
    MemoPrinter(component).IntPrintMemo(text, wholeText, lastLine);
}

void PrintMemoTextLines(TZantoquiller &component, TextSource &text, qint32 FromLine, qint32 ToLine)
{
    MemoPrinter(component).IntPrintMemo(text, indexOfLine(FromLine), indexOfLine(ToLine));
}

void LayOutMemoText(TZantoquiller &component, TextSource &text, const PrintedBytesFunction &to)
{
    layOut(component, text, wholeText, lastLine, to);
}

void LayOutMemoTextLines(TZantoquiller &component, TextSource &text, qint32 FromLine, qint32 ToLine,
    const PrintedBytesFunction &to)
{
    layOut(component, text, indexOfLine(FromLine), indexOfLine(ToLine), to);
}

} // namespace Zanto

/// \file
/// What the memo printer reads: a memo text, in either of its two forms.
///
/// A memo control (a QPlainTextEdit, QTextEdit or TDBMemo) becomes a text
/// source through the memo types registered here; the controls library
/// registers its own (Zanto::Controls::registerMemoControls). The command line
/// hands its input in as a StreamTextSource (streamtextsource.h).
#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <zantoquiller/core_export.h>

#include <memory>

class QObject;

namespace Zanto {

class TZantoquiller;

/// A memo text, as the memo printer reads it: whole or line by line.
class ZANTOQUILLER_CORE_EXPORT TextSource
{
public:
    virtual ~TextSource();

    /// Whole-text form: the complete text as single-byte characters, hard
    /// line breaks being CR LF pairs, handed out piece by piece. Each call
    /// returns the next piece, which stays valid until the next call; an
    /// empty piece means the text has ended.
    virtual QByteArrayView readText() = 0;

    /// Line-range form: the line list, lines counted from 0, each without
    /// line-break characters. The printer asks front to back: hasLine(k + 1)
    /// may be asked before line(k) is read, and line(k) only after hasLine(k)
    /// was true. A view stays valid until the next call of any of the three.
    virtual bool hasLine(qint32 index) = 0;
    /// Line index, after hasLine(index) was true.
    virtual QByteArrayView line(qint32 index) = 0;
    /// Line index piece by piece, after hasLine(index) was true: each call
    /// returns the next piece and sets lineEnds on the one that ends the
    /// line (it may be empty). A source that reads its text as it goes hands
    /// out a long line this way without holding it whole; the printer reads
    /// all pieces of line k before it asks hasLine(k + 1). By default the
    /// whole line(index) is the one piece.
    virtual QByteArrayView linePiece(qint32 index, bool &lineEnds);

    /// Told after every line that the print has sent: the lines sent so far
    /// and the pages ended so far. Does nothing unless overridden.
    virtual void progress(qint64 linesSent, qint64 pagesEnded);
};

/// Turns a memo control into a text source, or returns null when the object
/// is not a control of its kind.
using MemoTypeAdapter = std::unique_ptr<TextSource> (*)(QObject *memo);

/// Makes PrintMemo and PrintMemoLines accept the controls that adapter knows.
/// Registering the same adapter twice has no further effect.
ZANTOQUILLER_CORE_EXPORT void registerMemoType(MemoTypeAdapter adapter);

/// A text source for memo, by the first registered adapter that knows it;
/// null for an unknown object or none.
ZANTOQUILLER_CORE_EXPORT std::unique_ptr<TextSource> textSourceForMemo(QObject *memo);

/// Print a memo text that no control holds, exactly as PrintMemo and
/// PrintMemoLines print a control's text.
ZANTOQUILLER_CORE_EXPORT void PrintMemoText(TZantoquiller &component, TextSource &text);
/// As PrintMemoLines() prints the lines FromLine to ToLine of a control.
ZANTOQUILLER_CORE_EXPORT void PrintMemoTextLines(
    TZantoquiller &component, TextSource &text, qint32 FromLine, qint32 ToLine);

} // namespace Zanto

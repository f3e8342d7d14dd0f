// The memo printer: turns a memo text into printer lines, one at a time,
// with left offset, translation, word wrap, line spacing and page ends.
#pragma once

#include "plaincopy.h"
#include "printjob.h"
#include "translationlookup.h"

#include <zantoquiller/textbuffer.h>
#include <zantoquiller/types.h>

#include <QtGlobal>

#include <functional>
#include <optional>

namespace Zanto {

class TextSource;
class TZantoquiller;
class TZantoquillerPrivate;

class MemoPrinter
{
public:
    // A character is refused when the line already holds this many bytes.
    static constexpr qsizetype LineLimit = 3950;

    explicit MemoPrinter(TZantoquiller &component);

    // One memo print through the component's output channel. FromIndex -1
    // prints the whole text (ToIndex unused); any other value the lines
    // FromIndex to ToIndex, counted from 0.
    void IntPrintMemo(TextSource &Memo, qint32 FromIndex, qint32 ToIndex);

    // The same print on a sink of the caller's, whose job has started.
    // endJob ends that job: at the end, or before a too-long line is
    // reported.
    void print(TextSource &memo, qint32 fromIndex, qint32 toIndex, LineSink &sink,
        const std::function<void()> &endJob);

    // Puts the code of the component's Pitch into Buffer and sets Count.
    void ReadPitch(TTextBuffer &Buffer, const TPrinterCodes &Codes) const;
    // Translates the character at Data position Pos and leaves Pos on the
    // last byte written, or one before it when the character is deleted.
    // Needs the table of a running print.
    void TransChar(TTextBuffer &Buffer, qint32 &Pos) const;
    // Starts an output line: the left offset's spaces, column 0.
    void NewLine();
    // Ends the output line (line feeds, or the page end) and sends it.
    void EndLine();

private:
    struct LineTooLong
    {
    };

    // Sends a job's start or end codes, as lines of their own.
    void sendCodes(QByteArrayView codes);
    // EndLine, the page ended whatever the line count says when pageEnd.
    void endLine(bool pageEnd);
    // A line end of the text: the output line ends, unless it is the line
    // end that follows a form feed under the fold rule.
    void endTextLine();
    // The fold rule's special characters: tab, backspace, form feed, and CR
    // and LF in the whole-text form.
    void placeFolded(unsigned char c, bool wholeText);
    // A form feed of the text under the fold rule: the page ends.
    void formFeed();
    void printWholeText(TextSource &memo);
    void printLineRange(TextSource &memo, qint32 fromIndex, qint32 toIndex);
    // Places line index of the line list, piece by piece when the source
    // hands it out so; true when the line is empty.
    bool placeLine(TextSource &memo, qint32 index);
    // Places a string that arrives in pieces, an empty piece ending it, as
    // place() places it whole.
    template<typename NextPiece> void placePieces(NextPiece &&nextPiece, bool wholeText);
    // Places s[0, limit) of a source string of len bytes (len - limit bytes
    // of lookahead); wholeText gives CR and LF their meaning.
    void place(const unsigned char *s, qsizetype len, qsizetype limit, bool wholeText);
    void placeSpecial(const unsigned char *s, qsizetype len, qsizetype i, bool wholeText);
    void wrap(const unsigned char *s, qsizetype len, qsizetype i, bool plainLast);
    // Notes the last space of the bytes placed one to one from runStart up
    // to end, which are the sourceBefore bytes before source, or fewer.
    void noteSpacesOfRun(qsizetype end, const unsigned char *source, qsizetype sourceBefore);
    void noteSpaceAt(qsizetype at);
    void startSourceString();

    TZantoquiller &m_component;
    const TZantoquillerPrivate &m_settings;

    // Settings, read when the print starts.
    LineSink *m_sink = nullptr;
    TextSource *m_source = nullptr;
    bool m_spooler = false;
    qsizetype m_leftOffset = 0;
    qint64 m_linesPerPage = 0;
    qint64 m_lineWidth = 0;
    int m_lineSpacing = 1;
    bool m_sendLineFeed = true;
    bool m_fold = false;
    qint64 m_tabStops = 8;
    qsizetype m_longestLineEnd = 2;
    std::optional<TranslationLookup> m_table;
    // Bytes that leave the one-to-one copy: translated ones, and CR and LF
    // in the whole-text form.
    PlainCopy m_specialInText;
    PlainCopy m_specialInLine;

    // The line being built.
    TTextBuffer m_buffer;
    qsizetype m_used = 0; // bytes in the line: the write position minus 1
    qint64 m_column = 0;
    qint64 m_lineCount = 0;
    // Where a wrap may break: the bytes from m_runStart on are characters
    // copied one to one, starting at column m_runColumn; m_spaceEnd (-1 for
    // none) ends the last space noted before them, at column m_spaceColumn.
    qsizetype m_runStart = 0;
    qint64 m_runColumn = 0;
    qsizetype m_spaceEnd = -1;
    qint64 m_spaceColumn = 0;

    // A line was sent since the last page end.
    bool m_pageOpen = false;
    // Fold rule: the last line sent ended or filled its page by the line
    // count, and a form feed of the text straight after it ends no other
    // page.
    bool m_pageFull = false;
    // Fold rule: a form feed ended the page and nothing followed yet.
    bool m_afterFormFeed = false;
    qint64 m_linesSent = 0;
    qint64 m_pagesEnded = 0;
};

} // namespace Zanto

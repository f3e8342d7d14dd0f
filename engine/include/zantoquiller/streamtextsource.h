// A memo text read from a file or a pipe, piece by piece, so that a text of
// any size prints without being held whole.
#pragma once

#include <zantoquiller/textsource.h>

#include <QByteArray>
#include <QStringDecoder>

#include <deque>
#include <vector>

class QIODevice;

namespace Zanto {

class StreamTextSource : public TextSource
{
public:
    enum class Breaks {
        // The input is read as lines, each ended by CR LF, LF or a lone CR
        // (a break at the very end only ends the last line); the memo text
        // is those lines joined by CR LF.
        Lines,
        // The input's bytes are the memo text exactly.
        Verbatim,
    };

    // Reads input, which is open for reading, from its current position.
    // With utf8Input the input is UTF-8 text that is converted into the ANSI
    // code page in force (characters it lacks become "?"); otherwise bytes
    // are taken as they are.
    StreamTextSource(QIODevice &input, Breaks breaks, bool utf8Input = false);

    // The memo text. Raises EInOutError "Failed to read the text" (with the
    // device's reason) when the input cannot be read.
    QByteArrayView readText() override;

    // The line list: the memo text cut at each CR LF, where a last piece
    // that is empty is not a line. line() holds the line asked for and the
    // one before it; linePiece() hands a line out as it is read, so that a
    // line of any length is never held whole.
    bool hasLine(qint32 index) override;
    QByteArrayView line(qint32 index) override;
    QByteArrayView linePiece(qint32 index, bool &lineEnds) override;

private:
    // Makes input available; false at the end of the input.
    bool fill();
    bool atEnd() { return m_pos == m_end && !fill(); }
    // The next part of the lines joined by CR LF, into buffer.
    qsizetype joinLines(char *buffer, qsizetype capacity);
    // Whether line m_lineAtInput exists, looking at the input as far as
    // needed to tell.
    bool lineAtInputExists();
    // The next piece of line m_lineAtInput; at its end the input moves on
    // to the next line.
    QByteArrayView nextLinePiece(bool &lineEnds);
    QByteArrayView nextLinePieceOfLines(bool &lineEnds);
    QByteArrayView nextLinePieceOfVerbatim(bool &lineEnds);
    char byteAtInput() const;
    void skipBreak();
    // Reads line m_lineAtInput whole and keeps it for line().
    void holdLineAtInput();
    const QByteArray *heldLine(qint32 index) const;

    QIODevice &m_input;
    Breaks m_breaks;
    bool m_utf8Input;
    QStringDecoder m_decoder;
    std::vector<char> m_raw;
    qsizetype m_rawHeld = 0; // start of a UTF-8 sequence awaiting its rest
    bool m_bomChecked = false;

    std::vector<char> m_data;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_inputEnded = false;

    // Whole text in Lines form.
    std::vector<char> m_text;
    bool m_afterCR = false; // a LF now would complete a CR LF
    bool m_pendingBreak = false; // a break waits to learn whether text follows
    bool m_stagedLF = false; // the LF of a CR LF that did not fit

    // Line list: the lines before m_lineAtInput have been read; those from
    // m_firstHeld on are held whole for line().
    std::deque<QByteArray> m_lines;
    qint32 m_firstHeld = 0;
    qint32 m_lineAtInput = 0;
    enum class Existence { Unknown, Exists, None } m_existence = Existence::Unknown;
    bool m_lineStarted = false; // pieces of m_lineAtInput were handed out
    bool m_emptyLineRead = false; // m_lineAtInput is empty, its break read
    bool m_breakAhead = false; // the input is at the break that ended a line
};

} // namespace Zanto

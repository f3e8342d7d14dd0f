#include "memoprinter.h"
#include "zantoquiller_p.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/jobcodes.h>
#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace Zanto {

namespace {

constexpr unsigned char CR = 13;
constexpr unsigned char LF = 10;
constexpr unsigned char FF = 12;
constexpr unsigned char Space = 32;
constexpr unsigned char Tab = 9;
constexpr unsigned char Backspace = 8;

// The wrap rule looks two characters ahead.
constexpr qsizetype Lookahead = 2;

const QString lineTooLongMessage = QStringLiteral("Line too long for buffer!  Printing Aborted");

// Index of the last space of bytes[0, length), or -1. The last space is
// usually a word's length back: look eight bytes at a time, from the end.
qsizetype lastSpace(const char *bytes, qsizetype length)
{
    qsizetype at = length;
    while (at >= 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at - 8, 8);
        const std::uint64_t x = word ^ 0x2020202020202020u; // spaces become zero bytes
        const std::uint64_t low = 0x7F7F7F7F7F7F7F7Fu;
        const std::uint64_t zeros = ~(((x & low) + low) | x | low);
        if (zeros)
            return at - 8 + (63 - __builtin_clzll(zeros)) / 8;
        at -= 8;
    }
    while (--at >= 0) {
        if (bytes[at] == Space)
            return at;
    }
    return -1;
}

// Whether a form feed is followed only by the line end: the text's own
// page end.
bool endsWithFormFeed(const char *line, qsizetype size)
{
    while (size > 0 && (line[size - 1] == CR || line[size - 1] == LF))
        --size;
    return size > 0 && line[size - 1] == FF;
}

} // namespace

MemoPrinter::MemoPrinter(TZantoquiller &component)
    : m_component(component), m_settings(TZantoquillerPrivate::get(component))
{ }

void MemoPrinter::print(TextSource &memo, qint32 fromIndex, qint32 toIndex, LineSink &sink,
    const std::function<void()> &endJob)
{
    m_sink = &sink;
    m_source = &memo;
    m_spooler = sink.spoolerMode();
    m_leftOffset = std::clamp<qsizetype>(m_settings.leftOffset, 0, TZantoquiller::MaxLeftOffset);
    m_linesPerPage = m_settings.linesPerPage;
    m_lineWidth = m_settings.lineWidth;
    m_lineSpacing = m_settings.lineSpacing;
    m_sendLineFeed = m_settings.sendLineFeed;
    m_longestLineEnd = std::max(2, 2 * m_lineSpacing);
    m_fold = m_settings.wrapRule == WrapRule::Fold;
    m_tabStops = std::max<qint64>(1, m_settings.tabStops);
    m_table.emplace(m_settings.transIn, m_settings.transOut, ansiCodePage());
    std::array<bool, 256> inLine;
    std::array<bool, 256> inText;
    for (int b = 0; b < 256; ++b) {
        const bool translated = m_table->replacement(static_cast<unsigned char>(b)) != nullptr;
        const bool folded = m_fold && (b == Tab || b == Backspace || b == FF);
        inLine[static_cast<std::size_t>(b)] = translated || folded;
        inText[static_cast<std::size_t>(b)] = translated || folded || b == CR || b == LF;
    }
    m_specialInLine.setStops(inLine);
    m_specialInText.setStops(inText);
    m_linesSent = 0;
    m_pagesEnded = 0;
    m_pageFull = false;
    m_afterFormFeed = false;

    // A printer type outside the seven families has no codes.
    const int type = m_settings.printerType;
    const TPrinterCodes codes
        = type >= 0 && type < PrinterTypeCount ? m_settings.codes[type] : TPrinterCodes {};

    // The codes as they were when the print began.
    const JobCodes job = m_settings.jobCodes;
    m_pageOpen = false;

    try {
        // The job's start codes come first: a printer reset among them
        // must not undo the pitch.
        sendCodes(job.start);
        ReadPitch(m_buffer, codes);
        if (m_buffer.Count > 0)
            m_sink->sendLine(m_buffer);
        m_lineCount = 0;
        NewLine();
        if (fromIndex == -1)
            printWholeText(memo);
        else
            printLineRange(memo, fromIndex, toIndex);
        if (job.ejectPage && m_pageOpen)
            sendCodes("\f");
        sendCodes(job.end);
    } catch (const LineTooLong &) {
        endJob();
        throw eZantoquillError(lineTooLongMessage, ErrorKind::Format);
    }
    endJob();
}

void MemoPrinter::sendCodes(QByteArrayView codes)
{
    // The line buffer is free before the first line and after the last.
    while (!codes.isEmpty()) {
        const qsizetype size = std::min<qsizetype>(codes.size(), TTextBuffer::Capacity);
        std::memcpy(m_buffer.Data, codes.data(), static_cast<std::size_t>(size));
        m_buffer.Count = static_cast<quint16>(size);
        m_sink->sendLine(m_buffer);
        codes = codes.sliced(size);
    }
}

void MemoPrinter::ReadPitch(TTextBuffer &Buffer, const TPrinterCodes &Codes) const
{
    const TCodeString *code = nullptr;
    switch (m_settings.pitch) {
    case cpi10:
        code = &Codes.Set10cpi;
        break;
    case cpi12:
        code = &Codes.Set12cpi;
        break;
    case cpi15:
        code = &Codes.Set15cpi;
        break;
    }
    const int size = code ? code->size() : 0;
    if (size > 0)
        std::memcpy(Buffer.Data, code->data(), static_cast<std::size_t>(size));
    Buffer.Count = static_cast<quint16>(size);
}

void MemoPrinter::TransChar(TTextBuffer &Buffer, qint32 &Pos) const
{
    const QByteArray *replacement
        = m_table->replacement(static_cast<unsigned char>(Buffer.Data[Pos - 1]));
    if (!replacement)
        return;
    if (replacement->isEmpty()) {
        --Pos;
        return;
    }
    // The buffer is never written past its end.
    if (Pos - 1 + replacement->size() > TTextBuffer::Capacity)
        throw LineTooLong {};
    std::memcpy(Buffer.Data + Pos - 1, replacement->constData(),
        static_cast<std::size_t>(replacement->size()));
    Pos += static_cast<qint32>(replacement->size()) - 1;
}

void MemoPrinter::NewLine()
{
    std::memset(m_buffer.Data, Space, static_cast<std::size_t>(m_leftOffset));
    m_used = m_leftOffset;
    m_column = 0;
    m_runStart = m_used;
    m_runColumn = 0;
    m_spaceEnd = -1;
}

void MemoPrinter::EndLine()
{
    endLine(false);
}

void MemoPrinter::endLine(bool pageEnd)
{
    // The text's own carriage return gives way to the line end.
    if (m_used > 0 && static_cast<unsigned char>(m_buffer.Data[m_used - 1]) == CR)
        --m_used;

    bool pageEnded = false;
    if (pageEnd || (m_linesPerPage != 0 && m_lineCount >= m_linesPerPage - 1)) {
        const qsizetype size = m_spooler ? 1 : 2;
        if (m_used + size > TTextBuffer::Capacity)
            throw LineTooLong {};
        m_buffer.Data[m_used++] = CR;
        if (!m_spooler)
            m_buffer.Data[m_used++] = FF;
        m_lineCount = 0;
        pageEnded = true;
    } else {
        // Each advance that still fits on the page gives CR, or CR LF.
        qint64 advances = m_lineSpacing;
        if (m_linesPerPage != 0)
            advances = std::clamp<qint64>(m_linesPerPage - m_lineCount, 0, advances);
        const qsizetype size = advances * (m_sendLineFeed ? 2 : 1);
        if (m_used + size > TTextBuffer::Capacity)
            throw LineTooLong {};
        for (qint64 k = 0; k < advances; ++k) {
            m_buffer.Data[m_used++] = CR;
            if (m_sendLineFeed)
                m_buffer.Data[m_used++] = LF;
        }
        if (m_linesPerPage != 0)
            m_lineCount += advances;
    }

    m_buffer.Count = static_cast<quint16>(m_used);
    // A page is complete once ended, or filled by line advances.
    m_pageOpen = !pageEnded && !endsWithFormFeed(m_buffer.Data, m_used)
        && !(m_linesPerPage > 0 && m_lineCount >= m_linesPerPage);
    m_pageFull = pageEnded || (m_linesPerPage > 0 && m_lineCount >= m_linesPerPage);
    m_afterFormFeed = false;
    m_sink->sendLine(m_buffer);
    ++m_linesSent;
    if (pageEnded) {
        ++m_pagesEnded;
        if (m_spooler)
            m_sink->newPage();
    }
    m_source->progress(m_linesSent, m_pagesEnded);
}

template<typename NextPiece> void MemoPrinter::placePieces(NextPiece &&nextPiece, bool wholeText)
{
    // The last bytes of a piece wait for the next one, so that the wrap
    // rule can look ahead; held keeps them, and the lookahead they get.
    unsigned char held[2 * Lookahead];
    qsizetype heldSize = 0;
    for (;;) {
        const QByteArrayView piece = nextPiece();
        const auto *p = reinterpret_cast<const unsigned char *>(piece.data());
        const qsizetype size = piece.size();
        if (size == 0)
            break;
        if (size <= Lookahead) {
            std::memcpy(held + heldSize, p, static_cast<std::size_t>(size));
            heldSize += size;
            if (heldSize > Lookahead) {
                const qsizetype limit = heldSize - Lookahead;
                place(held, heldSize, limit, wholeText);
                std::memmove(held, held + limit, Lookahead);
                heldSize = Lookahead;
            }
            continue;
        }
        if (heldSize > 0) {
            std::memcpy(held + heldSize, p, Lookahead);
            place(held, heldSize + Lookahead, heldSize, wholeText);
        }
        place(p, size, size - Lookahead, wholeText);
        std::memcpy(held, p + size - Lookahead, Lookahead);
        heldSize = Lookahead;
    }
    place(held, heldSize, heldSize, wholeText);
}

void MemoPrinter::endTextLine()
{
    if (m_afterFormFeed && m_used == m_leftOffset) {
        m_afterFormFeed = false;
        return;
    }
    EndLine();
    NewLine();
}

void MemoPrinter::formFeed()
{
    if (m_used > m_leftOffset) {
        endLine(true);
    } else if (!m_pageFull) {
        // A page end of its own, the page empty when nothing was sent
        // since the last one.
        if (m_spooler) {
            m_sink->newPage();
        } else {
            m_buffer.Data[0] = static_cast<char>(FF);
            m_buffer.Count = 1;
            m_sink->sendLine(m_buffer);
        }
        ++m_pagesEnded;
        m_pageOpen = false;
        m_source->progress(m_linesSent, m_pagesEnded);
    }
    // A page the line count has just ended is the form's own page.
    m_lineCount = 0;
    m_pageFull = false;
    m_afterFormFeed = true;
    NewLine();
}

void MemoPrinter::placeFolded(unsigned char c, bool wholeText)
{
    if (wholeText && c == CR) {
        endTextLine();
        return;
    }
    if (wholeText && c == LF)
        return; // a line break's second byte
    if (c == FF) {
        formFeed();
        return;
    }
    // Columns as fold counts them: a tab to the next stop, a backspace one
    // back, any other character one on.
    const auto advanced = [this, c](qint64 column) {
        if (c == Tab)
            return column + m_tabStops - column % m_tabStops;
        if (c == Backspace)
            return std::max<qint64>(column - 1, 0);
        return column + 1;
    };
    qint64 column = advanced(m_column);
    // A character wider than the whole line gets a line of its own.
    if (m_lineWidth != 0 && column > m_lineWidth && m_used > m_leftOffset) {
        EndLine();
        NewLine();
        column = advanced(0);
    }
    m_buffer.Data[m_used] = static_cast<char>(c);
    qint32 pos = static_cast<qint32>(m_used) + 1;
    TransChar(m_buffer, pos);
    m_used = pos;
    m_column = column;
    m_afterFormFeed = false;
}

void MemoPrinter::printWholeText(TextSource &memo)
{
    placePieces([&memo] { return memo.readText(); }, true);
    endTextLine();
}

bool MemoPrinter::placeLine(TextSource &memo, qint32 index)
{
    bool ends = false;
    QByteArrayView piece;
    do
        piece = memo.linePiece(index, ends);
    while (piece.isEmpty() && !ends);
    if (ends) {
        // The usual case: the line comes whole.
        const auto *s = reinterpret_cast<const unsigned char *>(piece.data());
        place(s, piece.size(), piece.size(), false);
        return piece.isEmpty();
    }
    // A long line from a source that reads as it goes: never held whole.
    placePieces(
        [&] {
            QByteArrayView next = std::exchange(piece, QByteArrayView());
            while (next.isEmpty() && !ends)
                next = memo.linePiece(index, ends);
            return next;
        },
        false);
    return false;
}

void MemoPrinter::printLineRange(TextSource &memo, qint32 fromIndex, qint32 toIndex)
{
    const qint32 first = TZantoquiller::Max(fromIndex, 0);
    if (toIndex < first || !memo.hasLine(first))
        return;
    for (qint32 k = first;; ++k) {
        startSourceString();
        const bool empty = placeLine(memo, k);
        // Asked only once the line has been read: a source that reads as it
        // goes learns of the next line only past this one.
        const bool last = k == toIndex || !memo.hasLine(k + 1);
        if (m_fold) {
            // Every line ends with its own line end.
            endTextLine();
            if (last)
                return;
            continue;
        }
        if (m_lineWidth != 0 && !empty && !last)
            continue; // the paragraph goes on with the next line
        if (m_lineWidth != 0 && empty && m_used > m_leftOffset) {
            EndLine();
            NewLine();
        }
        EndLine();
        NewLine();
        if (last)
            return;
    }
}

void MemoPrinter::startSourceString()
{
    // Spaces of an earlier string do not count for the wrap rule.
    m_spaceEnd = -1;
    m_runStart = m_used;
    m_runColumn = m_column;
}

void MemoPrinter::place(const unsigned char *s, qsizetype len, qsizetype limit, bool wholeText)
{
    const PlainCopy &special = wholeText ? m_specialInText : m_specialInLine;
    qsizetype i = 0;
    while (i < limit) {
        if (m_used >= LineLimit)
            throw LineTooLong {};
        if (special.stops(s[i])) {
            if (m_fold)
                placeFolded(s[i], wholeText);
            else
                placeSpecial(s, len, i, wholeText);
            ++i;
            continue;
        }
        // The fold rule breaks before a character that would pass the width.
        if (m_fold && m_lineWidth != 0 && m_column >= m_lineWidth && m_used > m_leftOffset) {
            EndLine();
            NewLine();
            continue;
        }
        // A run of characters that are copied as they are: one byte and one
        // column each, up to the line's limits or the next special one.
        qsizetype room = std::min(limit - i, LineLimit - m_used);
        if (m_lineWidth != 0)
            room = std::min<qint64>(room, std::max<qint64>(1, m_lineWidth - m_column));
        const unsigned char *from = s + i;
        const unsigned char *p = special.copy(from, from + room, m_buffer.Data + m_used);
        const qsizetype count = p - from;
        m_used += count;
        m_column += count;
        i += count;
        m_afterFormFeed = false;
        if (!m_fold && m_lineWidth != 0 && m_column >= m_lineWidth)
            wrap(s, len, i - 1, true);
    }
}

void MemoPrinter::placeSpecial(const unsigned char *s, qsizetype len, qsizetype i, bool wholeText)
{
    noteSpacesOfRun(m_used, s + i, i);
    const unsigned char c = s[i];
    const qsizetype before = m_used;
    m_buffer.Data[m_used] = static_cast<char>(c);
    qint32 pos = static_cast<qint32>(m_used) + 1;
    TransChar(m_buffer, pos);
    m_used = pos; // the position after the character's bytes, minus 1
    ++m_column;

    if (wholeText && c == CR) {
        --m_column;
        EndLine();
        NewLine();
        return;
    }
    if (wholeText && c == LF) {
        // The line feed's byte is dropped, never one of an earlier character.
        --m_column;
        m_used = std::max(m_used - 1, before);
    } else if (m_lineWidth != 0 && m_column >= m_lineWidth) {
        wrap(s, len, i, false);
        return;
    } else if (c == Space) {
        m_spaceEnd = m_used;
        m_spaceColumn = m_column;
    }
    m_runStart = m_used;
    m_runColumn = m_column;
}

void MemoPrinter::noteSpacesOfRun(
    qsizetype end, const unsigned char *source, qsizetype sourceBefore)
{
    // The run's bytes are a copy of the source bytes just before source if
    // it is no longer than what this source has placed; reading them there
    // spares reading back bytes that were stored a moment ago.
    const qsizetype length = end - m_runStart;
    const char *bytes = length <= sourceBefore ? reinterpret_cast<const char *>(source) - length
                                               : m_buffer.Data + m_runStart;
    const qsizetype at = lastSpace(bytes, length);
    if (at >= 0)
        noteSpaceAt(m_runStart + at);
}

void MemoPrinter::noteSpaceAt(qsizetype at)
{
    m_spaceEnd = at + 1;
    m_spaceColumn = m_runColumn + (at - m_runStart) + 1;
}

void MemoPrinter::wrap(const unsigned char *s, qsizetype len, qsizetype i, bool plainLast)
{
    // Only spaces before character i count; a special character i was
    // placed after its run had been noted.
    if (plainLast)
        noteSpacesOfRun(m_used - 1, s + i, i);
    const bool breakAtSpace = i + 2 < len && s[i + 1] != Space && m_spaceEnd >= 0;
    if (!breakAtSpace) {
        EndLine();
        NewLine();
        return;
    }
    // The word after the space moves to the next line, bytes as placed. The
    // line end is written over its first bytes, which are kept aside.
    const qsizetype movedFrom = m_spaceEnd;
    const qsizetype movedSize = m_used - movedFrom;
    const qint64 movedColumns = m_column - m_spaceColumn;
    char kept[TTextBuffer::Capacity];
    const qsizetype keptSize = std::min(movedSize, m_longestLineEnd);
    std::memcpy(kept, m_buffer.Data + movedFrom, static_cast<std::size_t>(keptSize));
    m_used = movedFrom;
    EndLine();
    NewLine();
    std::memmove(m_buffer.Data + m_used + keptSize, m_buffer.Data + movedFrom + keptSize,
        static_cast<std::size_t>(movedSize - keptSize));
    std::memcpy(m_buffer.Data + m_used, kept, static_cast<std::size_t>(keptSize));
    m_used += movedSize;
    m_column = movedColumns;
    if (s[i] == Space) {
        m_spaceEnd = m_used;
        m_spaceColumn = m_column;
    }
    m_runStart = m_used;
    m_runColumn = m_column;
}

} // namespace Zanto

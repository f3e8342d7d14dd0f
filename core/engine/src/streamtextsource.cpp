#include "plaincopy.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/private/codepageinput.h>
#include <zantoquiller/streamtextsource.h>

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <memory>
#include <vector>

namespace Zanto {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr qsizetype ChunkSize = 64 * 1024;

} // namespace

// The reader behind the public interface.
class Q_DECL_HIDDEN StreamTextSource::Private
{
public:
    Private(QIODevice &input, Breaks breaks, bool utf8Input);

    QByteArrayView readText();
    bool hasLine(qint32 index);
    QByteArrayView line(qint32 index);
    QByteArrayView linePiece(qint32 index, bool &lineEnds);

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
    // UTF-8 input as bytes of the code page in force when reading starts.
    std::unique_ptr<CodePageInput> m_converted;

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

StreamTextSource::Private::Private(QIODevice &input, Breaks breaks, bool utf8Input)
    : m_input(input)
    , m_breaks(breaks)
    , m_utf8Input(utf8Input)
    , m_data(static_cast<std::size_t>(ChunkSize))
{ }

namespace {

// Copies text up to the next CR or LF.
const PlainCopy &lineBreaks()
{
    static const PlainCopy copy = [] {
        std::array<bool, 256> stops {};
        stops[static_cast<unsigned char>(CR)] = true;
        stops[static_cast<unsigned char>(LF)] = true;
        PlainCopy c;
        c.setStops(stops);
        return c;
    }();
    return copy;
}

} // namespace

bool StreamTextSource::Private::fill()
{
    if (m_inputEnded)
        return false;
    // UTF-8 input is read in the code page in force when reading starts:
    // the component's own while it prints.
    if (m_utf8Input && !m_converted)
        m_converted = std::make_unique<CodePageInput>(m_input, ansiCodePage(), false);
    QIODevice &source = m_converted ? *m_converted : m_input;
    const qint64 read = source.read(m_data.data(), ChunkSize);
    if (read < 0) {
        // A read that a signal broke off, asking the print to stop.
        const bool interrupted = Platform::interruptSignal() != 0;
        throw EInOutError(QStringLiteral("Failed to read the text"), source.errorString(),
            interrupted ? ErrorKind::Interrupted : ErrorKind::Other, interrupted ? EINTR : 0);
    }
    m_pos = 0;
    m_end = read;
    m_inputEnded = read == 0;
    return read > 0;
}

QByteArrayView StreamTextSource::Private::readText()
{
    if (m_breaks == Breaks::Verbatim) {
        if (atEnd())
            return {};
        const QByteArrayView piece(m_data.data() + m_pos, m_end - m_pos);
        m_pos = m_end;
        return piece;
    }
    if (m_text.empty())
        m_text.resize(static_cast<std::size_t>(ChunkSize));
    return QByteArrayView(m_text.data(), joinLines(m_text.data(), ChunkSize));
}

qsizetype StreamTextSource::Private::joinLines(char *buffer, qsizetype capacity)
{
    // Every break becomes CR LF once it is known that text follows; a break
    // at the very end of the input is dropped.
    qsizetype out = 0;
    while (out < capacity) {
        if (m_stagedLF) {
            buffer[out++] = LF;
            m_stagedLF = false;
            continue;
        }
        if (atEnd())
            break;
        const char c = m_data[static_cast<std::size_t>(m_pos)];
        if (c == LF && m_afterCR) {
            ++m_pos;
            m_afterCR = false;
            continue;
        }
        if (m_pendingBreak) {
            buffer[out++] = CR;
            m_stagedLF = true;
            m_pendingBreak = false;
            continue;
        }
        m_afterCR = false;
        if (c == CR || c == LF) {
            ++m_pos;
            m_pendingBreak = true;
            m_afterCR = c == CR;
            continue;
        }
        const auto *from = reinterpret_cast<const unsigned char *>(m_data.data() + m_pos);
        const auto *end = from + std::min(capacity - out, m_end - m_pos);
        const qsizetype count = lineBreaks().copy(from, end, buffer + out) - from;
        out += count;
        m_pos += count;
    }
    return out;
}

char StreamTextSource::Private::byteAtInput() const
{
    return m_data[static_cast<std::size_t>(m_pos)];
}

void StreamTextSource::Private::skipBreak()
{
    // At a CR or LF; CR LF is one break.
    const char c = byteAtInput();
    ++m_pos;
    if (c == CR && !atEnd() && byteAtInput() == LF)
        ++m_pos;
}

bool StreamTextSource::Private::lineAtInputExists()
{
    if (m_existence == Existence::Unknown) {
        if (m_breakAhead) {
            skipBreak();
            m_breakAhead = false;
        }
        bool exists = !atEnd();
        if (exists && m_breaks == Breaks::Lines && (byteAtInput() == CR || byteAtInput() == LF)) {
            // An empty line, which is one only if text follows its break.
            skipBreak();
            m_emptyLineRead = true;
            exists = !atEnd();
        }
        m_existence = exists ? Existence::Exists : Existence::None;
    }
    return m_existence == Existence::Exists;
}

QByteArrayView StreamTextSource::Private::nextLinePieceOfLines(bool &lineEnds)
{
    lineEnds = true;
    if (m_emptyLineRead || atEnd())
        return {};
    const char *from = m_data.data() + m_pos;
    const char *end = m_data.data() + m_end;
    const char *p = from;
    while (p < end && *p != CR && *p != LF)
        ++p;
    m_pos += p - from;
    // The break stays in the input until the next line is looked for, so
    // that reading on does not overwrite this piece.
    lineEnds = p != end;
    m_breakAhead = lineEnds;
    return QByteArrayView(from, p - from);
}

QByteArrayView StreamTextSource::Private::nextLinePieceOfVerbatim(bool &lineEnds)
{
    // Only CR LF ends a line; a lone CR or LF belongs to it.
    static const char loneCR = CR;
    lineEnds = true;
    if (atEnd())
        return {};
    if (byteAtInput() == CR) {
        ++m_pos;
        if (atEnd())
            return QByteArrayView(&loneCR, 1);
        if (byteAtInput() == LF) {
            ++m_pos;
            return {};
        }
        lineEnds = false;
        return QByteArrayView(&loneCR, 1);
    }
    const char *from = m_data.data() + m_pos;
    const auto size = static_cast<std::size_t>(m_end - m_pos);
    const char *p = static_cast<const char *>(std::memchr(from, CR, size));
    if (!p)
        p = from + size;
    m_pos += p - from;
    lineEnds = false;
    return QByteArrayView(from, p - from);
}

QByteArrayView StreamTextSource::Private::nextLinePiece(bool &lineEnds)
{
    const QByteArrayView piece = m_breaks == Breaks::Lines ? nextLinePieceOfLines(lineEnds)
                                                           : nextLinePieceOfVerbatim(lineEnds);
    m_lineStarted = true;
    if (lineEnds) {
        ++m_lineAtInput;
        m_existence = Existence::Unknown;
        m_lineStarted = false;
        m_emptyLineRead = false;
    }
    return piece;
}

void StreamTextSource::Private::holdLineAtInput()
{
    const qint32 index = m_lineAtInput;
    QByteArray whole;
    bool ends = false;
    while (!ends)
        whole += nextLinePiece(ends);
    if (m_firstHeld + static_cast<qint64>(m_lines.size()) != index) {
        m_lines.clear();
        m_firstHeld = index;
    }
    m_lines.push_back(std::move(whole));
    // Only the line before the one asked for is still needed.
    while (m_lines.size() > 2) {
        m_lines.pop_front();
        ++m_firstHeld;
    }
}

const QByteArray *StreamTextSource::Private::heldLine(qint32 index) const
{
    const qint64 slot = static_cast<qint64>(index) - m_firstHeld;
    if (slot < 0 || slot >= static_cast<qint64>(m_lines.size()))
        return nullptr;
    return &m_lines[static_cast<std::size_t>(slot)];
}

bool StreamTextSource::Private::hasLine(qint32 index)
{
    if (index < m_lineAtInput)
        return heldLine(index) != nullptr;
    while (m_lineAtInput < index) {
        if (!lineAtInputExists())
            return false;
        if (m_lineStarted) {
            // Passed over after some of it was handed out: the rest goes.
            bool ends = false;
            while (!ends)
                nextLinePiece(ends);
        } else {
            holdLineAtInput();
        }
    }
    return lineAtInputExists();
}

QByteArrayView StreamTextSource::Private::line(qint32 index)
{
    if (const QByteArray *held = heldLine(index))
        return *held;
    if (index != m_lineAtInput || !lineAtInputExists())
        return {};
    holdLineAtInput();
    return m_lines.back();
}

QByteArrayView StreamTextSource::Private::linePiece(qint32 index, bool &lineEnds)
{
    if (const QByteArray *held = heldLine(index)) {
        lineEnds = true;
        return *held;
    }
    if (index != m_lineAtInput || !lineAtInputExists()) {
        lineEnds = true;
        return {};
    }
    return nextLinePiece(lineEnds);
}

StreamTextSource::StreamTextSource(QIODevice &input, Breaks breaks, bool utf8Input)
    : d(std::make_unique<Private>(input, breaks, utf8Input))
{ }

StreamTextSource::~StreamTextSource() = default;

QByteArrayView StreamTextSource::readText()
{
    return d->readText();
}

bool StreamTextSource::hasLine(qint32 index)
{
    return d->hasLine(index);
}

QByteArrayView StreamTextSource::line(qint32 index)
{
    return d->line(index);
}

QByteArrayView StreamTextSource::linePiece(qint32 index, bool &lineEnds)
{
    return d->linePiece(index, lineEnds);
}

} // namespace Zanto

#include "memomodel.h"

#include <zantoquiller/codepage.h>

#include <QChar>

#include <algorithm>
#include <stdexcept>

namespace ZantoTest {

namespace {

struct TooLong
{
};

// Lower-case form of a byte, when the code page has it.
unsigned char lowerByte(unsigned char b)
{
    const Zanto::AnsiCodePage &page = Zanto::ansiCodePage();
    const char16_t lower = QChar(page.toUnicode(b)).toLower().unicode();
    for (int candidate = 0; candidate < 256; ++candidate) {
        if (page.toUnicode(static_cast<unsigned char>(candidate)) == lower)
            return static_cast<unsigned char>(candidate);
    }
    return b;
}

class Model
{
public:
    Model(const ModelSettings &settings) : s(settings)
    {
        // Worked out once per code page: the search above is slow.
        static const Zanto::AnsiCodePage *tablePage = nullptr;
        static std::array<unsigned char, 256> table;
        if (tablePage != &Zanto::ansiCodePage()) {
            tablePage = &Zanto::ansiCodePage();
            for (int b = 0; b < 256; ++b)
                table[static_cast<std::size_t>(b)] = lowerByte(static_cast<unsigned char>(b));
        }
        lower = table;
    }

    PrintOutcome run(const QByteArray &text, qint32 fromIndex, qint32 toIndex)
    {
        PrintOutcome outcome;
        try {
            if (!s.pitchCode.isEmpty())
                send(s.pitchCode);
            lineCount = 0;
            newLine();
            if (fromIndex == -1) {
                processString(text, true);
                endLine();
                newLine();
            } else {
                printRange(text, fromIndex, toIndex);
            }
        } catch (const TooLong &) {
            outcome.error = QStringLiteral("Line too long for buffer!  Printing Aborted");
        }
        events.push_back({SinkEvent::JobEnd, {}});
        outcome.events = events;
        return outcome;
    }

private:
    // Data[1] to Data[4000]; index 0 unused.
    unsigned char &at(qint64 position)
    {
        if (position < 1 || position > 4000)
            throw std::logic_error("model wrote outside the buffer");
        return data[static_cast<std::size_t>(position)];
    }

    void send(const QByteArray &bytes) { events.push_back({SinkEvent::Line, bytes}); }

    void newLine()
    {
        pos = 1;
        for (int k = 0; k < s.leftOffset; ++k)
            at(pos++) = ' ';
        column = 0;
        placed.clear();
    }

    void append(unsigned char b)
    {
        if (pos > 4000)
            throw TooLong {};
        at(pos++) = b;
    }

    void endLine()
    {
        if (pos > 1 && at(pos - 1) == 13)
            --pos;
        bool pageEnd = false;
        if (s.linesPerPage != 0 && lineCount >= qint64(s.linesPerPage) - 1) {
            append(13);
            if (!s.spooler)
                append(12);
            lineCount = 0;
            pageEnd = true;
        } else {
            for (int r = 0; r < s.lineSpacing; ++r) {
                if (s.linesPerPage == 0 || lineCount < s.linesPerPage) {
                    append(13);
                    if (s.linesPerPage != 0)
                        ++lineCount;
                    if (s.sendLineFeed)
                        append(10);
                }
            }
        }
        QByteArray line;
        for (qint64 p = 1; p < pos; ++p)
            line += static_cast<char>(at(p));
        send(line);
        if (pageEnd && s.spooler)
            events.push_back({SinkEvent::NewPage, {}});
    }

    // The list search: first entry of one character equal to c ignoring
    // case; its partner, if it has one.
    const QByteArray *translation(unsigned char c) const
    {
        for (qsizetype k = 0; k < s.transIn.size(); ++k) {
            const QByteArray &entry = s.transIn[k];
            if (entry.size() != 1)
                continue;
            const auto e = static_cast<unsigned char>(entry[0]);
            if (e == c || lower[e] == lower[c])
                return k < s.transOut.size() ? &s.transOut[k] : nullptr;
        }
        return nullptr;
    }

    void placeCharacter(unsigned char c)
    {
        at(pos) = c;
        qint64 p = pos;
        if (const QByteArray *out = translation(c)) {
            if (out->isEmpty()) {
                p = pos - 1;
            } else {
                if (pos + out->size() - 1 > 4000)
                    throw TooLong {};
                for (qsizetype k = 0; k < out->size(); ++k)
                    at(pos + k) = static_cast<unsigned char>(out->at(k));
                p = pos + out->size() - 1;
            }
        }
        pos = p + 1;
        ++column;
    }

    // Characters of the current string on the current output line: their
    // index in the string and the write position after their bytes.
    struct Placed
    {
        qsizetype index;
        qint64 posAfter;
    };

    void processString(const QByteArray &text, bool wholeText)
    {
        placed.clear();
        const qsizetype length = text.size();
        qsizetype i = 0; // 0-based here; the rule's "i < length - 1" is i + 2 < length
        while (i < length) {
            if (pos > 3950)
                throw TooLong {};
            const auto c = static_cast<unsigned char>(text[i]);
            const qint64 before = pos;
            placeCharacter(c);
            if (wholeText && c == 13) {
                --column;
                endLine();
                newLine();
                ++i;
                continue;
            }
            if (wholeText && c == 10) {
                --column;
                pos = std::max(pos - 1, before);
                ++i;
                continue;
            }
            placed.push_back({i, pos});
            if (s.lineWidth != 0 && column >= s.lineWidth) {
                const Placed *space = nullptr;
                for (const Placed &p : placed) {
                    if (p.index < i && text[p.index] == ' ')
                        space = &p;
                }
                if (i + 2 < length && text[i + 1] != ' ' && space) {
                    const qsizetype j = space->index;
                    pos = space->posAfter;
                    endLine();
                    newLine();
                    i = j + 1;
                    continue;
                }
                endLine();
                newLine();
            }
            ++i;
        }
    }

    void printRange(const QByteArray &text, qint32 fromIndex, qint32 toIndex)
    {
        QByteArrayList lines = text.split('\n');
        // split() cuts at LF; join back the pieces that did not end in CR.
        QByteArrayList cut;
        QByteArray current;
        for (qsizetype k = 0; k < lines.size(); ++k) {
            current += lines[k];
            if (k + 1 < lines.size() && current.endsWith('\r')) {
                current.chop(1);
                cut << current;
                current.clear();
            } else if (k + 1 < lines.size()) {
                current += '\n';
            }
        }
        if (!current.isEmpty())
            cut << current;

        const qint64 first = std::max<qint64>(fromIndex, 0);
        const qint64 last = std::min<qint64>(toIndex, cut.size() - 1);
        for (qint64 k = first; k <= last; ++k) {
            const QByteArray &line = cut[k];
            processString(line, false);
            if (s.lineWidth != 0 && !line.isEmpty() && k != last)
                continue;
            if (s.lineWidth != 0 && line.isEmpty() && pos > s.leftOffset + 1) {
                endLine();
                newLine();
            }
            endLine();
            newLine();
        }
    }

    const ModelSettings &s;
    std::array<unsigned char, 256> lower;
    std::array<unsigned char, 4001> data {};
    qint64 pos = 1;
    qint64 column = 0;
    qint64 lineCount = 0;
    std::vector<Placed> placed;
    std::vector<SinkEvent> events;
};

} // namespace

PrintOutcome modelPrint(
    const ModelSettings &settings, const QByteArray &text, qint32 fromIndex, qint32 toIndex)
{
    return Model(settings).run(text, fromIndex, toIndex);
}

} // namespace ZantoTest

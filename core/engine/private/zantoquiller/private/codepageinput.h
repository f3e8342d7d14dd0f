// UTF-8 input read as the bytes of a code page, keeping count of what did
// not convert: characters that the code page lacks and byte sequences that
// are not UTF-8 both become "?", and the first of each is remembered with
// its place in the input.
#pragma once

#include <zantoquiller/platform/privateexport.h>

#include <QByteArray>
#include <QIODevice>

#include <vector>

namespace Zanto {

class AnsiCodePage;

// A place in the input: line and column counted from 1, a column being one
// character (or one invalid sequence), lines ended by CR LF, LF or CR; the
// byte offset counted from 0.
struct InputPosition
{
    qint64 line = 1;
    qint64 column = 1;
    qint64 offset = 0;
};

struct ConversionReport
{
    qint64 missing = 0; // characters the code page lacks
    char32_t firstMissing = 0;
    InputPosition firstMissingAt;
    qint64 invalid = 0; // sequences that are not UTF-8
    InputPosition firstInvalidAt;
};

// Also zanto's, which reports the counts (see privateexport.h).
class ZANTOQUILLER_CORE_PRIVATE_EXPORT CodePageInput : public QIODevice
{
public:
    // Reads source, UTF-8 text (a byte order mark at its start is
    // skipped), as bytes of page. With transliterate, a character the page
    // lacks that has a plain stand-in (transliteration.h) becomes that.
    CodePageInput(QIODevice &source, const AnsiCodePage &page, bool transliterate);

    const ConversionReport &report() const { return m_report; }

    bool isSequential() const override { return true; }

protected:
    // A failed read of the source fails with the source's reason.
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Converts the next part of the source into m_converted; false at the
    // end of the source, -1 on a read failure.
    int convertMore();
    // Converts the whole sequences of m_raw, all of it when the source has
    // ended; the rest waits for more input.
    void convertRaw();
    void put(char32_t character, qsizetype length);
    void putInvalid(qsizetype length);
    void advance(qsizetype length);

    QIODevice &m_source;
    const AnsiCodePage &m_page;
    bool m_transliterate;
    ConversionReport m_report;

    std::vector<char> m_raw;
    qsizetype m_rawSize = 0;
    bool m_sourceEnded = false;
    bool m_started = false; // past a byte order mark
    QByteArray m_converted;
    qsizetype m_handedOut = 0;

    InputPosition m_at;
    bool m_afterCR = false;
};

} // namespace Zanto

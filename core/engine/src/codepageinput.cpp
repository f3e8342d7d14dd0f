#include "transliteration.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/private/codepageinput.h>

#include <algorithm>
#include <cstring>

namespace Zanto {

namespace {

constexpr qsizetype ChunkSize = 64 * 1024;

// What a lead byte starts: the length of its sequence (0 when it starts
// none) and the range its second byte must be in, which leaves out overlong
// forms, surrogates and values beyond U+10FFFF.
struct Lead
{
    int length;
    unsigned char low;
    unsigned char high;
};

Lead leadOf(unsigned char byte)
{
    if (byte >= 0xC2 && byte <= 0xDF)
        return {2, 0x80, 0xBF};
    if (byte == 0xE0)
        return {3, 0xA0, 0xBF};
    if (byte == 0xED)
        return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {3, 0x80, 0xBF};
    if (byte == 0xF0)
        return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {4, 0x80, 0xBF};
    if (byte == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

} // namespace

CodePageInput::CodePageInput(QIODevice &source, const AnsiCodePage &page, bool transliterate)
    : m_source(source)
    , m_page(page)
    , m_transliterate(transliterate)
    , m_raw(static_cast<std::size_t>(ChunkSize + 4))
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 CodePageInput::readData(char *data, qint64 maxSize)
{
    while (m_handedOut == m_converted.size()) {
        m_converted.resize(0); // keeps the capacity
        m_handedOut = 0;
        const int more = convertMore();
        if (more <= 0)
            return more;
    }
    const qint64 count = std::min<qint64>(maxSize, m_converted.size() - m_handedOut);
    std::memcpy(data, m_converted.constData() + m_handedOut, static_cast<std::size_t>(count));
    m_handedOut += count;
    return count;
}

int CodePageInput::convertMore()
{
    if (m_sourceEnded)
        return 0;
    const qint64 read = m_source.read(m_raw.data() + m_rawSize, ChunkSize);
    if (read < 0) {
        setErrorString(m_source.errorString());
        return -1;
    }
    m_sourceEnded = read == 0;
    m_rawSize += read;
    m_converted.reserve(m_rawSize);
    convertRaw();
    return 1;
}

void CodePageInput::convertRaw()
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_raw.data());
    qsizetype i = 0;
    if (!m_started) {
        // A byte order mark is not text; whether one is there shows after
        // three bytes.
        if (m_rawSize < 3 && !m_sourceEnded)
            return;
        m_started = true;
        if (m_rawSize >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
            i = 3;
            m_at.offset = 3;
        }
    }
    while (i < m_rawSize) {
        const unsigned char byte = bytes[i];
        if (byte < 0x80) {
            m_converted += static_cast<char>(byte);
            if (byte == '\r' || (byte == '\n' && !m_afterCR)) {
                ++m_at.line;
                m_at.column = 1;
            } else if (byte != '\n') {
                ++m_at.column;
            }
            m_afterCR = byte == '\r';
            ++m_at.offset;
            ++i;
            continue;
        }
        const Lead lead = leadOf(byte);
        // The bytes that continue the sequence, as far as they do: a
        // sequence cut short is one invalid sequence, and the byte that cut
        // it starts the next.
        qsizetype length = 1;
        while (lead.length > 0 && length < lead.length && i + length < m_rawSize) {
            const unsigned char next = bytes[i + length];
            const bool continues
                = length == 1 ? next >= lead.low && next <= lead.high : (next & 0xC0) == 0x80;
            if (!continues)
                break;
            ++length;
        }
        if (lead.length > 0 && length == lead.length) {
            char32_t character = byte & (0x7F >> lead.length);
            for (qsizetype k = 1; k < length; ++k)
                character = (character << 6) | (bytes[i + k] & 0x3F);
            put(character, length);
        } else if (lead.length > 0 && i + length == m_rawSize && !m_sourceEnded) {
            break; // the rest of the sequence comes with the next read
        } else {
            putInvalid(length);
        }
        i += length;
    }
    m_rawSize -= i;
    std::memmove(m_raw.data(), m_raw.data() + i, static_cast<std::size_t>(m_rawSize));
}

void CodePageInput::put(char32_t character, qsizetype length)
{
    const char byte = m_page.fromUnicode(character);
    if (byte != '?') {
        m_converted += byte;
    } else if (const QByteArrayView standIn
               = m_transliterate ? transliteration(character) : QByteArrayView();
               !standIn.isEmpty()) {
        m_converted += standIn;
    } else {
        m_converted += '?';
        if (m_report.missing++ == 0) {
            m_report.firstMissing = character;
            m_report.firstMissingAt = m_at;
        }
    }
    advance(length);
}

void CodePageInput::putInvalid(qsizetype length)
{
    m_converted += '?';
    if (m_report.invalid++ == 0)
        m_report.firstInvalidAt = m_at;
    advance(length);
}

void CodePageInput::advance(qsizetype length)
{
    ++m_at.column;
    m_at.offset += length;
    m_afterCR = false;
}

} // namespace Zanto

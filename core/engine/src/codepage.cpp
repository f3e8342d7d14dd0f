#include "codepagetables.h"
#include "threadcodepage.h"

#include <zantoquiller/codepage.h>

#include <QChar>

#include <algorithm>
#include <array>
#include <atomic>
#include <iconv.h>
#include <iterator>
#include <numeric>
#include <vector>

namespace Zanto {

struct Q_DECL_HIDDEN AnsiCodePage::Private
{
    const char *name = nullptr;
    const char *const *aliases = nullptr; // four slots, unused ones null
    std::array<char16_t, 256> toUnicode {};
    std::array<unsigned char, 256> fold {};
    // Characters above 127 in code point order, with their bytes, for
    // encoding by binary search.
    std::array<char16_t, 128> sortedCharacters {};
    std::array<unsigned char, 128> sortedBytes {};
};

namespace {

// Code pages read from glibc's iconv tables rather than written out here:
// those printers select that the written tables lack.
struct IconvCodePage
{
    const char *names[4];
    const char *encoding;
};

constexpr IconvCodePage iconvPages[] {
    {{"cp857", "ibm857", "857"}, "IBM857"},
    {{"cp860", "ibm860", "860"}, "IBM860"},
    {{"cp861", "ibm861", "861"}, "IBM861"},
    {{"cp863", "ibm863", "863"}, "IBM863"},
    {{"cp865", "ibm865", "865"}, "IBM865"},
    {{"iso-8859-2", "latin2", "latin-2"}, "ISO-8859-2"},
    {{"koi8-r", "koi8r"}, "KOI8-R"},
    {{"hp-roman8", "roman8"}, "HP-ROMAN8"},
};

constexpr int iconvPageCount = int(std::size(iconvPages));

// The characters of bytes 128-255 in encoding. A byte it leaves undefined
// stands for the C1 control of its own value, as in the written tables, or
// above those for a private-use character (U+F000 plus the byte): never for
// a character another byte may have, and each byte still round-trips.
std::array<char16_t, 128> iconvUpperHalf(const char *encoding)
{
    std::array<char16_t, 128> upper {};
    for (int b = 0; b < 128; ++b)
        upper[std::size_t(b)] = b < 32 ? char16_t(128 + b) : char16_t(0xF000 + 128 + b);
    const iconv_t converter = iconv_open("UTF-16LE", encoding);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return upper;
    for (int b = 0; b < 128; ++b) {
        char in = char(128 + b);
        char16_t out = 0;
        char *inPointer = &in;
        char *outPointer = reinterpret_cast<char *>(&out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != std::size_t(-1)
            && outLeft == 0)
            upper[std::size_t(b)] = out;
    }
    iconv_close(converter);
    return upper;
}

} // namespace

struct AnsiCodePageRegistry
{
    std::vector<AnsiCodePage> pages;

    AnsiCodePageRegistry()
    {
        pages.reserve(static_cast<std::size_t>(CodePageTables::tableCount + iconvPageCount));
        for (int i = 0; i < CodePageTables::tableCount + iconvPageCount; ++i)
            pages.push_back(AnsiCodePage(i));
    }

    static const AnsiCodePageRegistry &instance()
    {
        static const AnsiCodePageRegistry registry;
        return registry;
    }
};

namespace {

// Byte of character in page, or -1.
int byteOf(const std::array<char16_t, 128> &sorted, const std::array<unsigned char, 128> &bytes,
    char32_t character)
{
    if (character < 128)
        return static_cast<int>(character);
    if (character > 0xFFFF)
        return -1;
    const auto found = std::lower_bound(sorted.begin(), sorted.end(), character);
    if (found == sorted.end() || *found != character)
        return -1;
    return bytes[static_cast<std::size_t>(found - sorted.begin())];
}

std::atomic<const AnsiCodePage *> currentPage {nullptr};
// The code page of the print running on this thread, if it has its own.
thread_local const AnsiCodePage *threadPage = nullptr;

} // namespace

AnsiCodePage::AnsiCodePage(AnsiCodePage &&) noexcept = default;
AnsiCodePage::~AnsiCodePage() = default;

const char *AnsiCodePage::name() const
{
    return d->name;
}

char16_t AnsiCodePage::toUnicode(unsigned char byte) const
{
    return d->toUnicode[byte];
}

unsigned char AnsiCodePage::foldCase(unsigned char byte) const
{
    return d->fold[byte];
}

AnsiCodePage::AnsiCodePage(int tableIndex) : d(std::make_unique<Private>())
{
    // Indexes past the written tables are those read through iconv.
    std::array<char16_t, 128> upper {};
    if (tableIndex < CodePageTables::tableCount) {
        const CodePageTables::Table &table = CodePageTables::tables[tableIndex];
        d->name = table.names[0];
        d->aliases = table.names;
        std::copy(std::begin(table.upper), std::end(table.upper), upper.begin());
    } else {
        const IconvCodePage &page = iconvPages[tableIndex - CodePageTables::tableCount];
        d->name = page.names[0];
        d->aliases = page.names;
        upper = iconvUpperHalf(page.encoding);
    }
    for (int b = 0; b < 128; ++b)
        d->toUnicode[static_cast<std::size_t>(b)] = static_cast<char16_t>(b);
    for (int b = 0; b < 128; ++b)
        d->toUnicode[static_cast<std::size_t>(128 + b)] = upper[std::size_t(b)];

    std::array<int, 128> order;
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
        [&upper](int a, int b) { return upper[std::size_t(a)] < upper[std::size_t(b)]; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        d->sortedCharacters[i] = upper[std::size_t(order[i])];
        d->sortedBytes[i] = static_cast<unsigned char>(128 + order[i]);
    }

    for (int b = 0; b < 256; ++b) {
        const char16_t lower = QChar(d->toUnicode[static_cast<std::size_t>(b)]).toLower().unicode();
        const int folded = byteOf(d->sortedCharacters, d->sortedBytes, lower);
        d->fold[static_cast<std::size_t>(b)] = static_cast<unsigned char>(folded < 0 ? b : folded);
    }
}

const AnsiCodePage *AnsiCodePage::find(QStringView name)
{
    for (const AnsiCodePage &page : AnsiCodePageRegistry::instance().pages) {
        for (int i = 0; i < 4; ++i) {
            const char *alias = page.d->aliases[i];
            if (alias && name.compare(QLatin1StringView(alias), Qt::CaseInsensitive) == 0)
                return &page;
        }
    }
    return nullptr;
}

QStringList AnsiCodePage::names()
{
    QStringList result;
    for (const AnsiCodePage &page : AnsiCodePageRegistry::instance().pages)
        result << QLatin1StringView(page.name());
    return result;
}

char AnsiCodePage::fromUnicode(char32_t character) const
{
    const int byte = byteOf(d->sortedCharacters, d->sortedBytes, character);
    return static_cast<char>(byte < 0 ? '?' : byte);
}

QByteArray AnsiCodePage::encode(QStringView text) const
{
    QByteArray result;
    result.resize(text.size());
    char *out = result.data();
    const char16_t *in = text.utf16();
    const char16_t *end = in + text.size();
    while (in < end) {
        const char16_t unit = *in++;
        if (unit < 128) {
            *out++ = static_cast<char>(unit);
        } else if (QChar::isHighSurrogate(unit) && in < end && QChar::isLowSurrogate(*in)) {
            ++in; // a character beyond the 16-bit range: no code page holds it
            *out++ = '?';
        } else {
            *out++ = fromUnicode(unit);
        }
    }
    result.truncate(out - result.data());
    return result;
}

QString AnsiCodePage::decode(QByteArrayView bytes) const
{
    QString result(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    for (char c : bytes)
        *out++ = d->toUnicode[static_cast<unsigned char>(c)];
    return result;
}

ThreadCodePage::ThreadCodePage(const AnsiCodePage *page) : m_previous(threadPage)
{
    if (page)
        threadPage = page;
}

ThreadCodePage::~ThreadCodePage()
{
    threadPage = m_previous;
}

const AnsiCodePage &ansiCodePage()
{
    if (threadPage)
        return *threadPage;
    const AnsiCodePage *page = currentPage.load(std::memory_order_acquire);
    if (!page)
        page = AnsiCodePage::find(u"windows-1252");
    return *page;
}

void setAnsiCodePage(const AnsiCodePage &codePage)
{
    currentPage.store(&codePage, std::memory_order_release);
}

QByteArray toAnsi(QStringView text)
{
    return ansiCodePage().encode(text);
}

QString fromAnsi(QByteArrayView bytes)
{
    return ansiCodePage().decode(bytes);
}

} // namespace Zanto

#include "codepagetables.h"
#include "threadcodepage.h"

#include <zantoquiller/codepage.h>

#include <QChar>

#include <algorithm>
#include <array>
#include <atomic>
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

struct AnsiCodePageRegistry
{
    std::vector<AnsiCodePage> pages;

    AnsiCodePageRegistry()
    {
        pages.reserve(static_cast<std::size_t>(CodePageTables::tableCount));
        for (int i = 0; i < CodePageTables::tableCount; ++i)
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
    const CodePageTables::Table &table = CodePageTables::tables[tableIndex];
    d->name = table.names[0];
    d->aliases = table.names;
    for (int b = 0; b < 128; ++b)
        d->toUnicode[static_cast<std::size_t>(b)] = static_cast<char16_t>(b);
    for (int b = 0; b < 128; ++b)
        d->toUnicode[static_cast<std::size_t>(128 + b)] = table.upper[b];

    std::array<int, 128> order;
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
        [&table](int a, int b) { return table.upper[a] < table.upper[b]; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        d->sortedCharacters[i] = table.upper[order[i]];
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

// The ANSI code page: encoding, decoding, case folding, and the tables
// checked against the C library's own converters.
#include <zantoquiller/codepage.h>

#include <gtest/gtest.h>

#include <iconv.h>

using namespace Zanto;

namespace {

struct RestoreCodePage
{
    const AnsiCodePage &saved = ansiCodePage();
    ~RestoreCodePage() { setAnsiCodePage(saved); }
};

// The character the C library gives for byte in code page name, or 0 when
// it has none.
char32_t iconvCharacter(const char *name, unsigned char byte)
{
    iconv_t converter = iconv_open("UTF-32LE", name);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return 0;
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char *inPointer = in;
    char *outPointer = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1) || outLeft != 4)
        return 0;
    return static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8
        | static_cast<unsigned char>(out[2]) << 16;
}

} // namespace

TEST(CodePage, Windows1252IsInForceByDefault)
{
    EXPECT_STREQ(ansiCodePage().name(), "windows-1252");
    EXPECT_EQ(toAnsi(u"caf\u00e9 \u20ac5"),
        QByteArray("caf\xE9 \x80"
                   "5"));
    EXPECT_EQ(fromAnsi("caf\xE9 \x80"), QStringView(u"caf\u00e9 \u20ac").toString());
}

TEST(CodePage, ACharacterTheCodePageLacksBecomesAQuestionMark)
{
    EXPECT_EQ(toAnsi(u"\u0141\u00f3d\u017a"),
        QByteArray("?\xF3"
                   "d?"));
    // A character beyond 16 bits is one character, one "?".
    EXPECT_EQ(toAnsi(u"a\U0001F600b"), QByteArray("a?b"));
    EXPECT_EQ(toAnsi(QString(QChar(0xD800)) + QLatin1Char('x')), QByteArray("?x"));
}

TEST(CodePage, EveryByteRoundTrips)
{
    for (const QString &name : AnsiCodePage::names()) {
        const AnsiCodePage *page = AnsiCodePage::find(name);
        ASSERT_TRUE(page);
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        EXPECT_EQ(page->encode(page->decode(all)), all) << name.toStdString();
    }
}

TEST(CodePage, OtherCodePagesCanBeSelected)
{
    RestoreCodePage restore;
    const AnsiCodePage *cp437 = AnsiCodePage::find(u"CP437");
    ASSERT_TRUE(cp437);
    EXPECT_EQ(AnsiCodePage::find(u"ibm437"), cp437);
    setAnsiCodePage(*cp437);
    EXPECT_EQ(toAnsi(u"\u00e9\u2554\u00c9\u20ac"), QByteArray("\x82\xC9\x90?"));
    setAnsiCodePage(*AnsiCodePage::find(u"850"));
    EXPECT_EQ(toAnsi(u"\u00e9\u00c1"), QByteArray("\x82\xB5"));
    EXPECT_EQ(AnsiCodePage::find(u"klingon"), nullptr);
}

TEST(CodePage, CaseFoldingPairsTheLettersOfEachCodePage)
{
    const AnsiCodePage &w1252 = *AnsiCodePage::find(u"windows-1252");
    EXPECT_EQ(w1252.foldCase('A'), 'a');
    EXPECT_EQ(w1252.foldCase('a'), 'a');
    EXPECT_EQ(w1252.foldCase(0xC9), 0xE9); // É é
    EXPECT_EQ(w1252.foldCase(0x8A), 0x9A); // Š š
    EXPECT_EQ(w1252.foldCase(0x9F), 0xFF); // Ÿ ÿ
    EXPECT_EQ(w1252.foldCase('~'), '~');
    EXPECT_EQ(w1252.foldCase(0xDF), 0xDF); // ß has no other case here
    const AnsiCodePage &cp437 = *AnsiCodePage::find(u"cp437");
    EXPECT_EQ(cp437.foldCase(0x90), 0x82); // É é
    EXPECT_EQ(cp437.foldCase(0x80), 0x87); // Ç ç
}

TEST(CodePage, TablesAgreeWithTheCLibrary)
{
    const std::pair<const char *, const char *> pages[] = {
        {"windows-1252", "CP1252"},
        {"windows-1250", "CP1250"},
        {"windows-1251", "CP1251"},
        {"cp437", "CP437"},
        {"cp850", "CP850"},
        {"cp852", "CP852"},
        {"cp858", "CP858"},
        {"cp866", "CP866"},
        {"iso-8859-1", "ISO-8859-1"},
        {"iso-8859-15", "ISO-8859-15"},
    };
    for (const auto &[ours, theirs] : pages) {
        const AnsiCodePage *page = AnsiCodePage::find(QString::fromLatin1(ours));
        ASSERT_TRUE(page) << ours;
        for (int b = 0; b < 256; ++b) {
            const char32_t expected = iconvCharacter(theirs, static_cast<unsigned char>(b));
            if (expected == 0 && b != 0)
                continue; // undefined there; ours keeps the byte's C1 control
            EXPECT_EQ(page->toUnicode(static_cast<unsigned char>(b)), expected)
                << ours << " byte " << b;
        }
    }
}

// The code pages read from the C library's tables: named as the written ones
// are, a known letter at its byte, and a byte the table leaves undefined
// standing for no character that another byte has.
TEST(CodePage, CodePagesFromTheCLibraryHaveTheirLetters)
{
    struct Case
    {
        const char16_t *name;
        unsigned char byte;
        char16_t character;
    };
    const Case cases[] {
        {u"cp857", 0x9E, u'\u015E'},
        {u"IBM860", 0x84, u'\u00E3'},
        {u"861", 0x8B, u'\u00D0'},
        {u"cp863", 0x84, u'\u00C2'},
        {u"cp865", 0x9B, u'\u00F8'},
        {u"latin2", 0xA3, u'\u0141'},
        {u"KOI8-R", 0xC1, u'\u0430'},
        {u"hp-roman8", 0xAF, u'\u20A4'},
    };
    for (const Case &test : cases) {
        const AnsiCodePage *page = AnsiCodePage::find(test.name);
        ASSERT_TRUE(page) << QStringView(test.name).toString().toStdString();
        EXPECT_TRUE(AnsiCodePage::names().contains(QLatin1StringView(page->name())));
        EXPECT_EQ(page->toUnicode(test.byte), test.character);
        EXPECT_EQ(page->fromUnicode(test.character), char(test.byte));
    }
    // cp857 has no character at 0xD5: it stands for none that prints, and
    // 'Õ' keeps its own byte.
    const AnsiCodePage &cp857 = *AnsiCodePage::find(u"cp857");
    EXPECT_FALSE(QChar(cp857.toUnicode(0xD5)).isPrint());
    EXPECT_EQ(cp857.fromUnicode(U'\u00D5'), '\xE5');
}

// zanto print as a job for its printer: the job codes (--init, --finish,
// --eject) to a file, a network printer and the preview; and UTF-8 input in
// a code page (--codepage, --strict, --no-transliterate), with what did not
// convert reported.
#include "loopbackprinter.h"
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace ZantoTest;

namespace {

struct Printed
{
    ProcessResult result;
    QByteArray file;
};

// "--a 1 --b" as arguments.
QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// Prints input (standard input unless the arguments name a file) to a file
// with the plain printer type.
Printed print(const QStringList &arguments, const QByteArray &input)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    Printed printed;
    printed.result = runZanto(
        words("print --port FILE --printer-type plain -o") + QStringList {out} + arguments, input);
    QFile file(out);
    if (file.open(QIODevice::ReadOnly))
        printed.file = file.readAll();
    return printed;
}

struct Case
{
    const char *arguments;
    QByteArray input;
    QByteArray printed;
    QByteArray err = {};
    int status = 0;
};

void expectCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        const Printed p = print(words(c.arguments), c.input);
        EXPECT_EQ(p.result.exitCode, c.status);
        EXPECT_EQ(p.result.err, c.err);
        EXPECT_EQ(p.file, c.printed);
    }
}

} // namespace

TEST(CliTextJobs, JobCodesFrameTheLinesAndEjectOnlyAnIncompletePage)
{
    expectCases({
        {"--init 27,64 --finish 29,86,66,0", "a\nb", QByteArray("\x1B@a\r\nb\r\n\x1DVB\0", 12)},
        // A reset among the start codes comes before the pitch code.
        {"--init 27,64 --printer-type epson", "x", "\x1B@\x1BPx\r\n"},
        // Without paging the component's rule ends a page with a form feed
        // that only the line end follows.
        {"--eject --finish 7", "a", "a\r\n\f\a"},
        {"--eject --wrap-rule memo", "a\f", "a\f\r\n"},
        {"--eject --wrap-rule memo", "a\fb", "a\fb\r\n\f"},
        {"--eject --wrap-rule memo", "a\f\n\n", "a\f\r\n\r\n\f"},
        // The fold rule ends the page at the form feed, the line end after
        // it included.
        {"--eject", "a\f", "a\r\f"},
        {"--eject", "a\fb", "a\r\fb\r\n\f"},
        {"--eject", "a\f\n\n", "a\r\f\r\n\f"},
        // With paging the page the component ended is complete, and so is
        // one whose lines filled it.
        {"--eject --lines-per-page 2", "a\nb", "a\r\nb\r\f"},
        {"--eject --lines-per-page 2", "a\nb\nc", "a\r\nb\r\fc\r\n\f"},
        {"--eject --lines-per-page 2 --line-spacing 2", "a", "a\r\n\r\n"},
        // A range that selects nothing prints no line: nothing to eject.
        {"--eject --init 1 --finish 2 --from-line 5", "a", "\1\2"},
        {"--eject --from-line 2", "a\nb", "b\r\n\f"},
        {"--init 1,300", "a", "", "zanto print: --init: '1,300': Invalid character code: 300\n", 2},
        {"--finish x", "a", "", "zanto print: --finish: 'x': Invalid character code: x\n", 2},
    });
    // Codes longer than a line buffer go out whole.
    const Printed longCodes = print(
        {QStringLiteral("--init"), QStringList(5000, QStringLiteral("65")).join(u',')}, "b");
    EXPECT_EQ(longCodes.file, QByteArray(5000, 'A') + "b\r\n");
}

TEST(CliTextJobs, ANetworkPrinterGetsTheJobCodesInTheJobsOneConnection)
{
    LoopbackPrinter printer;
    const ProcessResult result = runZanto(words("print --port LPT1 --printer-type epson --init "
                                                "27,64 --finish 27,105 --eject --device")
            + QStringList {QStringLiteral("LPT1=") + printer.uri()},
        "one\ntwo\n");
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received(), QByteArrayList {"\x1B@\x1BPone\r\ntwo\r\n\f\x1Bi"});
}

TEST(CliTextJobs, ThePreviewShowsTheJobCodes)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("preview.txt"));
    const ProcessResult result = runZanto(
        words("print --printer-type epson --init 27,118 --eject --finish 69,13,10 --preview")
            + QStringList {out},
        "x\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(readFile(out), "x\n--- page 2 ---\nE\n");
    EXPECT_EQ(result.err, "zanto print: unknown sequence at byte 0 (page 1): ESC v\n");
}

TEST(CliTextJobs, Utf8InputInACodePageWithWhatDidNotConvertReported)
{
    const QByteArray euro = "\xE2\x82\xAC";
    const QByteArray snowman = "\xE2\x98\x83";
    expectCases({
        {"--codepage cp850", "caf\xC3\xA9 " + euro, "caf\x82 EUR\r\n"},
        {"--codepage windows-1252", "caf\xC3\xA9 " + euro, "caf\xE9 \x80\r\n"},
        // Without the option the bytes pass unchanged.
        {"", "caf\xC3\xA9", "caf\xC3\xA9\r\n"},
        {"--codepage ebcdic", "x", "",
            "zanto print: --codepage: unknown code page 'ebcdic' (one of: windows-1252, "
            "windows-1250, windows-1251, cp437, cp850, cp852, cp858, cp866, iso-8859-1, "
            "iso-8859-15, cp857, cp860, cp861, cp863, cp865, iso-8859-2, koi8-r, hp-roman8)\n",
            2},
        // Stand-ins only where the page lacks the character: CP437 has the
        // no-break space.
        {"--codepage cp437",
            "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93 \xE2\x80\xA6\xC2\xA0\xE2\x84\xA2\xC2\xAB",
            "\"q\" - ...\xFF(TM)\xAE\r\n"},
        {"--codepage cp437 --no-transliterate", "ab\n \xE2\x80\x9C" + euro, "ab\r\n ??\r\n",
            "zanto print: 2 characters not in cp437 printed as \"?\"; the first: '\xE2\x80\x9C' "
            "(U+201C) at 2:2\n"},
        // A character without a stand-in of its own, just before one that
        // has one, takes none.
        {"--codepage cp437", "x\xE2\x80\x96y\xE2\x88\x91z", "x?y?z\r\n",
            "zanto print: 2 characters not in cp437 printed as \"?\"; the first: '\xE2\x80\x96' "
            "(U+2016) at 1:2\n"},
        {"--codepage cp437", "ab\r\ncd\rx" + snowman + "y\xF0\x9F\x98\x80", "ab\r\ncd\r\nx?y?\r\n",
            "zanto print: 2 characters not in cp437 printed as \"?\"; the first: '\xE2\x98\x83' "
            "(U+2603) at 3:2\n"},
        // Each maximal invalid part is one "?": a stray continuation byte, an
        // overlong form, a surrogate, a sequence cut short by the end.
        {"--codepage cp437", "a\xFF\n\xC0\xAF\xED\xA0\x80 \xE2\x82", "a?\r\n????? ?\r\n",
            "zanto print: 7 invalid UTF-8 sequences printed as \"?\"; the first at 1:2 (byte "
            "offset 1)\n"},
        {"--codepage cp437", "\xEF\xBB\xBFhi\n\xC3", "hi\r\n?\r\n",
            "zanto print: 1 invalid UTF-8 sequence printed as \"?\"; the first at 2:1 (byte "
            "offset 6)\n"},
        {"--codepage cp437 --strict", "ok\n" + euro, "ok\r\nEUR\r\n"},
        {"--codepage cp437 --strict --no-transliterate", "ok\n" + euro + "\xFF", "",
            "zanto print: 1 character not in cp437; the first: '\xE2\x82\xAC' (U+20AC) at 2:1\n"
            "zanto print: 1 invalid UTF-8 sequence; the first at 2:2 (byte offset 6)\n"
            "zanto print: nothing printed (--strict)\n",
            1},
        {"--strict", "x", "",
            "zanto print: --strict needs --codepage: without it the input's bytes are printed "
            "as they are\n",
            2},
        {"--no-transliterate", "x", "",
            "zanto print: --no-transliterate needs --codepage: without it the input's bytes are "
            "printed as they are\n",
            2},
    });
}

TEST(CliTextJobs, AStrictCheckReadsANamedFileTwiceAcrossItsChunks)
{
    // The character sits across the first read's end, on line 16384.
    QByteArray text;
    for (int k = 0; k < 16383; ++k)
        text += "aaa\n";
    QByteArray expected = text;
    expected.replace("\n", "\r\n");
    TempDir dir;
    dir.write(QStringLiteral("good.txt"), text + "aaa\xC3\xA9");
    dir.write(QStringLiteral("bad.txt"), text + "aaa\xE2\x98\x83");
    const QStringList strict = words("--codepage cp437 --strict");
    const Printed good = print(strict + QStringList {dir.filePath(QStringLiteral("good.txt"))}, {});
    EXPECT_EQ(good.result.exitCode, 0);
    EXPECT_EQ(good.file, expected + "aaa\x82\r\n");
    const Printed bad = print(strict + QStringList {dir.filePath(QStringLiteral("bad.txt"))}, {});
    EXPECT_EQ(bad.result.exitCode, 1);
    EXPECT_EQ(bad.result.err,
        "zanto print: 1 character not in cp437; the first: '\xE2\x98\x83' (U+2603) at 16384:4\n"
        "zanto print: nothing printed (--strict)\n");
    EXPECT_TRUE(bad.file.isEmpty());
}

// zanto print, direct mode to a file: the line reading rules, the options,
// exit status and messages, and progress on a terminal.
#include "processrunner.h"
#include "pseudoterminal.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QThread>

using namespace ZantoTest;

namespace {

const QByteArray EpsonPitch10("\x1BP");

struct Printed
{
    ProcessResult result;
    QByteArray file;
};

// Prints input through standard input to a file; the printer type is plain
// (no pitch code) unless the arguments choose one.
Printed print(const QStringList &arguments, const QByteArray &input)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    Printed printed;
    printed.result = runZanto(
        QStringList {QStringLiteral("print"), QStringLiteral("--port"), QStringLiteral("FILE"),
            QStringLiteral("-o"), out, QStringLiteral("--printer-type"), QStringLiteral("plain")}
            + arguments,
        input);
    QFile file(out);
    if (file.open(QIODevice::ReadOnly))
        printed.file = file.readAll();
    return printed;
}

QByteArray printed(const QStringList &arguments, const QByteArray &input)
{
    const Printed p = print(arguments, input);
    EXPECT_EQ(p.result.exitCode, 0) << p.result.err.constData();
    EXPECT_TRUE(p.result.err.isEmpty()) << p.result.err.constData();
    return p.file;
}

} // namespace

TEST(CliPrint, InputLinesOfAnyBreakArePrintedAsMemoLines)
{
    EXPECT_EQ(printed({}, "one\ntwo\r\nthree\rfour\n"), "one\r\ntwo\r\nthree\r\nfour\r\n");
    // The break at the very end only ends the last line; another one makes
    // an empty line, which the whole text then ends with.
    EXPECT_EQ(printed({}, "one\n\n"), "one\r\n\r\n");
    EXPECT_EQ(printed({}, ""), "\r\n");
}

TEST(CliPrint, VerbatimInputIsTheMemoTextItself)
{
    // A lone LF is dropped by the memo printer, a lone CR ends a line.
    EXPECT_EQ(printed({QStringLiteral("--verbatim")}, "a\nb\rc\r\n"), "ab\r\nc\r\n\r\n");
}

TEST(CliPrint, TheComponentsPropertiesComeFromTheOptions)
{
    const QByteArray text = "aaaa bbbb cccc\nd\ne\nf";
    const QStringList layout {QStringLiteral("--line-width"), QStringLiteral("10"),
        QStringLiteral("--lines-per-page"), QStringLiteral("3"), QStringLiteral("--left-offset"),
        QStringLiteral("2")};
    EXPECT_EQ(
        printed(layout + QStringList {QStringLiteral("--wrap-rule"), QStringLiteral("memo")}, text),
        "  aaaa \r\n  bbbb cccc\r\n  d\r\f  e\r\n  f\r\n");
    // zanto print folds by default: a line as wide as the width ends there.
    EXPECT_EQ(printed(layout, text), "  aaaa bbbb \r\n  cccc\r\n  d\r\f  e\r\n  f\r\n");
    EXPECT_EQ(printed({QStringLiteral("--line-width"), QStringLiteral("6"),
                          QStringLiteral("--tab-stops"), QStringLiteral("4")},
                  "a\tbcdefg\n123456"),
        "a\tbc\r\ndefg\r\n123456\r\n");
    EXPECT_EQ(printed({QStringLiteral("--no-line-feed"), QStringLiteral("--line-spacing"),
                          QStringLiteral("2")},
                  "a\nb"),
        "a\r\rb\r\r");
    EXPECT_EQ(printed({QStringLiteral("--printer-type"), QStringLiteral("epson"),
                          QStringLiteral("--pitch"), QStringLiteral("12")},
                  "x"),
        "\x1BMx\r\n");
}

TEST(CliPrint, ARangeOfLinesIsPrintedWithPrintMemoLines)
{
    const QByteArray text = "l1\nl2\nl3\nl4\nl5\n";
    EXPECT_EQ(printed({QStringLiteral("--from-line"), QStringLiteral("2"),
                          QStringLiteral("--to-line"), QStringLiteral("3")},
                  text),
        "l2\r\nl3\r\n");
    EXPECT_EQ(printed({QStringLiteral("--from-line"), QStringLiteral("4")}, text), "l4\r\nl5\r\n");
    EXPECT_EQ(printed({QStringLiteral("--to-line"), QStringLiteral("1")}, text), "l1\r\n");
    EXPECT_EQ(printed({QStringLiteral("--from-line"), QStringLiteral("9")}, text), "");
    // Line 0 means the whole text.
    EXPECT_EQ(printed({QStringLiteral("--from-line"), QStringLiteral("0"),
                          QStringLiteral("--to-line"), QStringLiteral("1")},
                  "a\nb"),
        "a\r\nb\r\n");
    // The line list of a verbatim text is cut at CR LF only.
    EXPECT_EQ(
        printed({QStringLiteral("--verbatim"), QStringLiteral("--from-line"), QStringLiteral("2")},
            "a\r\nb\nc\r\nd"),
        "b\nc\r\nd\r\n");
}

TEST(CliPrint, ARangeOfAnEmptyTextSendsOnlyThePitchCode)
{
    EXPECT_EQ(printed({QStringLiteral("--printer-type"), QStringLiteral("epson"),
                          QStringLiteral("--from-line"), QStringLiteral("1")},
                  ""),
        EpsonPitch10);
}

TEST(CliPrint, ReadsANamedFileOrStandardInputForADash)
{
    TempDir dir;
    dir.write(QStringLiteral("memo.txt"), "from file\n");
    EXPECT_EQ(printed({dir.filePath(QStringLiteral("memo.txt"))}, "from stdin"), "from file\r\n");
    EXPECT_EQ(printed({QStringLiteral("-")}, "from stdin"), "from stdin\r\n");
    const Printed missing = print({dir.filePath(QStringLiteral("none.txt"))}, {});
    EXPECT_EQ(missing.result.exitCode, 1);
    EXPECT_NE(missing.result.err.indexOf("cannot open"), -1);
}

TEST(CliPrint, EachPrintReplacesTheFile)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    dir.write(QStringLiteral("out.prn"), QByteArray(5000, 'o'));
    const QStringList arguments {QStringLiteral("print"), QStringLiteral("--port"),
        QStringLiteral("FILE"), QStringLiteral("-o"), out, QStringLiteral("--printer-type"),
        QStringLiteral("plain")};
    ASSERT_EQ(runZanto(arguments, "first\nsecond").exitCode, 0);
    EXPECT_EQ(readFile(out), "first\r\nsecond\r\n");
    ASSERT_EQ(runZanto(arguments + QStringList {QStringLiteral("--from-line"), QStringLiteral("2")},
                  "first\nsecond")
                  .exitCode,
        0);
    EXPECT_EQ(readFile(out), "second\r\n");
}

TEST(CliPrint, ComponentErrorsExitWithOneAndTheirMessage)
{
    const Printed offset = print({QStringLiteral("--left-offset"), QStringLiteral("3801")}, "x");
    EXPECT_EQ(offset.result.exitCode, 1);
    EXPECT_EQ(offset.result.err, "zanto print: Invalid Offset! Maximum 3800\n");

    // The lines before a too-long one stay printed; nothing of it is.
    const Printed tooLong = print({}, "before\n" + QByteArray(4000, 'x') + "\nafter\n");
    EXPECT_EQ(tooLong.result.exitCode, 1);
    EXPECT_EQ(tooLong.result.err, "zanto print: Line too long for buffer!  Printing Aborted\n");
    EXPECT_EQ(tooLong.file, "before\r\n");
}

TEST(CliPrint, UsageErrorsExitWithTwo)
{
    for (const QStringList &arguments :
        {QStringList {QStringLiteral("--from-line"), QStringLiteral("x")},
            QStringList {QStringLiteral("--to-line"), QStringLiteral("99999999999")},
            QStringList {QStringLiteral("a.txt"), QStringLiteral("b.txt")},
            QStringList {QStringLiteral("--line-spacing"), QStringLiteral("256")}}) {
        const Printed p = print(arguments, "x");
        EXPECT_EQ(p.result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(p.file.isEmpty());
    }
}

TEST(CliPrint, NothingExtraOnStandardErrorWhenItIsNotATerminal)
{
    QByteArray many;
    for (int k = 0; k < 5000; ++k)
        many += "line " + QByteArray::number(k) + "\n";
    const Printed p = print({}, many);
    EXPECT_EQ(p.result.exitCode, 0);
    EXPECT_TRUE(p.result.err.isEmpty()) << p.result.err.constData();
}

TEST(CliPrint, ALongPrintShowsItsProgressOnATerminal)
{
    TempDir dir;
    PseudoTerminal terminal;
    QProcess zanto;
    zanto.setStandardErrorFile(terminal.path());
    zanto.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("--port"), QStringLiteral("FILE"),
            QStringLiteral("-o"), dir.filePath(QStringLiteral("out.prn")),
            QStringLiteral("--lines-per-page"), QStringLiteral("10")});
    ASSERT_TRUE(zanto.waitForStarted());
    QByteArray lines;
    for (int k = 0; k < 200; ++k)
        lines += "line\n";
    zanto.write(lines);
    zanto.waitForBytesWritten();
    // Once the print has begun, its pitch code written (a slow start on a
    // busy machine must not make it a short one), it waits for more input
    // while time passes.
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    for (int waited = 0; QFileInfo(out).size() == 0 && waited < 30000; waited += 20)
        QThread::msleep(20);
    ASSERT_GT(QFileInfo(out).size(), 0);
    QThread::msleep(600);
    for (int k = 0; k < 5; ++k)
        zanto.write(lines);
    zanto.closeWriteChannel();
    ASSERT_TRUE(zanto.waitForFinished(60000));
    EXPECT_EQ(zanto.exitCode(), 0);
    const QByteArray shown = terminal.read(4096, std::chrono::seconds(2));
    EXPECT_NE(shown.indexOf("\rzanto print: "), -1) << shown.constData();
    EXPECT_TRUE(shown.endsWith("\rzanto print: 1200 lines, 120 pages sent\r\n")
        || shown.endsWith("\rzanto print: 1200 lines, 120 pages sent\n"))
        << shown.constData();
}

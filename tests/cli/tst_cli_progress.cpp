// zanto print's progress line on a terminal: it appears within a second
// even while the printer holds a write, and tells lines, pages and how much
// of the file has been read.
#include "processrunner.h"
#include "pseudoterminal.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <chrono>

using namespace ZantoTest;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// Reads the terminal until what came matches pattern or limit has passed.
QByteArray readUntil(const PseudoTerminal &terminal, const QRegularExpression &pattern,
    Clock::duration limit, QByteArray seen = {})
{
    const auto end = Clock::now() + limit;
    while (!pattern.match(QString::fromUtf8(seen)).hasMatch() && Clock::now() < end)
        seen += terminal.read(4096, 20ms);
    return seen;
}

} // namespace

TEST(CliProgress, AppearsWithinASecondWhileThePrinterHoldsAWrite)
{
    PseudoTerminal printer; // not read at first: zanto's writes wait
    PseudoTerminal console;
    TempDir dir;
    QByteArray text;
    for (int i = 0; i < 4000; ++i)
        text += "line " + QByteArray::number(i) + " of a job for a slow printer\n";
    dir.write(QStringLiteral("job.txt"), text);

    QProcess zanto;
    zanto.setStandardErrorFile(console.path());
    zanto.setStandardOutputFile(QProcess::nullDevice());
    zanto.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("--to"), printer.path(),
            QStringLiteral("--printer-type"), QStringLiteral("plain"),
            QStringLiteral("--lines-per-page"), QStringLiteral("60"), QStringLiteral("--timeout"),
            QStringLiteral("0"), dir.filePath(QStringLiteral("job.txt"))});
    ASSERT_TRUE(zanto.waitForStarted());
    // The print has begun once the first bytes are there.
    ASSERT_FALSE(printer.read(1, 30s).isEmpty());
    const auto begun = Clock::now();

    static const QRegularExpression line(
        QStringLiteral("\\rzanto print: (\\d+) lines, (\\d+) pages sent \\((\\d+)%\\)"));
    const QByteArray shown = readUntil(console, line, 10s);
    const auto took = Clock::now() - begun;
    ASSERT_TRUE(line.match(QString::fromUtf8(shown)).hasMatch()) << shown.constData();
    EXPECT_LT(took, 1s);
    const QRegularExpressionMatch first = line.match(QString::fromUtf8(shown));
    EXPECT_LT(first.captured(3).toInt(), 100) << shown.constData();

    // The printer takes the rest: the last line tells the whole job.
    QByteArray printed;
    while (zanto.state() != QProcess::NotRunning) {
        printed += printer.read(1 << 20, 20ms);
        zanto.waitForFinished(1);
    }
    EXPECT_EQ(zanto.exitCode(), 0);
    const QByteArray rest = readUntil(console, QRegularExpression(QStringLiteral("\\n")), 10s);
    // The terminal shows the line end as CR LF.
    EXPECT_TRUE(rest.endsWith("zanto print: 4000 lines, 66 pages sent (100%)\r\n"))
        << rest.constData();
}

TEST(CliProgress, AShortPrintShowsNothing)
{
    PseudoTerminal console;
    TempDir dir;
    QProcess zanto;
    zanto.setStandardErrorFile(console.path());
    zanto.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("-o"), dir.filePath(QStringLiteral("out.prn"))});
    ASSERT_TRUE(zanto.waitForStarted());
    zanto.write("a short memo\n");
    zanto.closeWriteChannel();
    ASSERT_TRUE(zanto.waitForFinished(30000));
    EXPECT_EQ(zanto.exitCode(), 0);
    EXPECT_EQ(console.read(1, 200ms), QByteArray());
}

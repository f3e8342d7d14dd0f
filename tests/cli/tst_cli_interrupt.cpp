// zanto stopped by a signal: the terminal it writes to is set back, the
// status is 128 + the signal's number, and a second signal ends it at once.
#include "processrunner.h"
#include "pseudoterminal.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <csignal>
#include <cstring>

using namespace ZantoTest;

namespace {

// Waits up to limit for condition; false when it never held.
template<typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Waits until zanto's write to terminal is stuck: the terminal is in raw
// output and takes no more bytes. A print opens the terminal for each line,
// so raw output alone may also be a line that is still going through.
bool waitUntilStuck(const PseudoTerminal &terminal, const termios &before)
{
    int last = -1;
    return waitFor([&] {
        const int unread = terminal.unread();
        const bool stuck
            = unread > 0 && unread == last && !sameSettings(terminal.settings(), before);
        last = unread;
        if (!stuck)
            QThread::msleep(300);
        return stuck;
    });
}

} // namespace

TEST(CliInterrupt, ASignalDuringAStuckWriteSetsTheTerminalBack)
{
    const struct
    {
        int signal;
        const char *command;
    } cases[] = {{SIGINT, "send"}, {SIGTERM, "print"}, {SIGHUP, "send"}};
    for (const auto &c : cases) {
        // Nobody reads the terminal, and the write has no time-out: it
        // waits until the signal comes.
        PseudoTerminal terminal;
        const termios before = terminal.settings();
        // More than the terminal buffers; an argument holds at most 128 kB.
        QByteArray text;
        while (text.size() < 100000)
            text += "a line of the text to print\n";
        QStringList arguments {QString::fromLatin1(c.command), QStringLiteral("--timeout"),
            QStringLiteral("0"), QStringLiteral("--device"),
            QStringLiteral("COM1=") + terminal.path(), QStringLiteral("--port"),
            QStringLiteral("COM1")};
        TempDir dir;
        if (std::strcmp(c.command, "send") == 0) {
            arguments << QStringLiteral("--text") << QString::fromLatin1(text);
        } else {
            dir.write(QStringLiteral("text.txt"), text);
            arguments << dir.filePath(QStringLiteral("text.txt"));
        }
        QProcess zanto;
        zanto.start(builtProgram(QStringLiteral("zanto")), arguments);
        ASSERT_TRUE(zanto.waitForStarted());
        ASSERT_TRUE(waitUntilStuck(terminal, before)) << c.command;
        ::kill(pid_t(zanto.processId()), c.signal);
        ASSERT_TRUE(zanto.waitForFinished(20000)) << c.command;
        EXPECT_EQ(zanto.exitStatus(), QProcess::NormalExit) << c.command;
        EXPECT_EQ(zanto.exitCode(), 128 + c.signal) << c.command;
        EXPECT_TRUE(sameSettings(terminal.settings(), before)) << c.command;
        const QByteArray err = zanto.readAllStandardError();
        EXPECT_TRUE(err.startsWith("zanto " + QByteArray(c.command) + ": cannot write to "))
            << err.constData();
        EXPECT_NE(err.indexOf(": interrupted by signal " + QByteArray::number(c.signal)), -1)
            << err.constData();
    }
}

TEST(CliInterrupt, ASecondSignalEndsItAtOnceWithTheTerminalSetBack)
{
    // Stopped while its write waits, zanto gets two signals; when it goes on
    // the second one comes right after the first was noted, before the print
    // can wind up: the handler sets the terminal back and ends zanto.
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    QProcess zanto;
    zanto.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("0"),
            QStringLiteral("--device"), QStringLiteral("COM1=") + terminal.path(),
            QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--text"),
            QString(100000, u'x')});
    ASSERT_TRUE(zanto.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return !sameSettings(terminal.settings(), before); }));
    const auto pid = pid_t(zanto.processId());
    ::kill(pid, SIGSTOP);
    ::kill(pid, SIGINT);
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(zanto.waitForFinished(20000));
    EXPECT_EQ(zanto.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(zanto.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
    EXPECT_TRUE(zanto.readAllStandardError().isEmpty());
}

TEST(CliInterrupt, ASignalWhileWaitingForInputEndsThePrint)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    QProcess zanto;
    zanto.start(builtProgram(QStringLiteral("zanto")),
        {QStringLiteral("print"), QStringLiteral("--port"), QStringLiteral("FILE"),
            QStringLiteral("-o"), out, QStringLiteral("--printer-type"), QStringLiteral("epson")});
    ASSERT_TRUE(zanto.waitForStarted());
    zanto.write("first line\n");
    ASSERT_TRUE(zanto.waitForBytesWritten());
    // The pitch code is written before the input is read; the input stays
    // open.
    ASSERT_TRUE(waitFor([&] { return QFile(out).size() >= 2; }));
    ::kill(pid_t(zanto.processId()), SIGINT);
    ASSERT_TRUE(zanto.waitForFinished(20000));
    EXPECT_EQ(zanto.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(zanto.exitCode(), 128 + SIGINT);
    EXPECT_EQ(zanto.readAllStandardError(),
        "zanto print: Failed to read the text: standard input: interrupted by signal "
            + QByteArray::number(SIGINT) + "\n");
}

// zanto's guards: output never over its own input, failed writes to standard
// output reported, option values never read as message templates, and a
// range of lines streamed however long a line is.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ZantoTest;

namespace {

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

// Runs zanto with standard input and output taken from files (empty: none);
// output is appended to.
ProcessResult runWithFiles(
    const QStringList &arguments, const QString &inputFile, const QString &outputFile)
{
    QProcess process;
    if (!inputFile.isEmpty())
        process.setStandardInputFile(inputFile);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile, QIODevice::Append);
    process.start(builtProgram(QStringLiteral("zanto")), arguments);
    ProcessResult result;
    if (!process.waitForStarted() || !process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

struct Usage
{
    int exitCode = -1;
    long peakKilobytes = 0;
};

// Runs zanto with arguments, writing size bytes of one line without a break
// into its standard input through a pipe, and reports its peak resident
// size.
Usage runWithLongLine(const QStringList &arguments, qint64 size)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string program = builtProgram(QStringLiteral("zanto")).toStdString();
    std::vector<std::string> texts {program};
    for (const QString &argument : arguments)
        texts.push_back(argument.toStdString());
    std::vector<char *> argv;
    for (std::string &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    // The sanitizers' quarantine of freed memory would count as resident.
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "ASAN_OPTIONS=", 13) != 0)
            environment.emplace_back(*entry);
    }
    const char *asan = std::getenv("ASAN_OPTIONS");
    environment.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "")
        + (asan && *asan ? ":" : "") + "quarantine_size_mb=1");
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawned
        = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[0]);
    Usage usage;
    if (spawned != 0) {
        ::close(pipeEnds[1]);
        return usage;
    }
    const std::string chunk(1 << 20, 'x');
    for (qint64 left = size; left > 0;) {
        const auto count = static_cast<std::size_t>(std::min<qint64>(left, qint64(chunk.size())));
        const ssize_t written = ::write(pipeEnds[1], chunk.data(), count);
        if (written <= 0)
            break;
        left -= written;
    }
    ::close(pipeEnds[1]);
    int status = 0;
    rusage resources {};
    if (::wait4(pid, &status, 0, &resources) == pid && WIFEXITED(status))
        usage.exitCode = WEXITSTATUS(status);
    usage.peakKilobytes = resources.ru_maxrss;
    return usage;
}

} // namespace

TEST(CliGuards, OutputOverItsOwnInputIsRefusedAndTheInputStaysAsItWas)
{
    TempDir dir;
    const QByteArray text = "first line\nsecond line\n";
    const QString input = dir.filePath(QStringLiteral("input.txt"));
    const QString symbolicLink = dir.filePath(QStringLiteral("symbolic.prn"));
    const QString hardLink = dir.filePath(QStringLiteral("hard.prn"));
    writeFile(input, text);
    ASSERT_TRUE(QFile::link(input, symbolicLink));
    ASSERT_EQ(
        ::link(QFile::encodeName(input).constData(), QFile::encodeName(hardLink).constData()), 0);

    struct Case
    {
        QStringList arguments;
        bool inputOnStandardInput;
        QString shownOutput;
    };
    const QStringList fileTo {
        QStringLiteral("--port"), QStringLiteral("FILE"), QStringLiteral("-o")};
    const QStringList lpt1 {
        QStringLiteral("--port"), QStringLiteral("LPT1"), QStringLiteral("--device")};
    const QStringList range = words("--from-line 2");
    const std::vector<Case> cases {
        {fileTo + QStringList {input, input}, false, u'\'' + input + u'\''},
        {fileTo + QStringList {symbolicLink, input} + range, false, u'\'' + symbolicLink + u'\''},
        {fileTo + QStringList {hardLink}, true, u'\'' + hardLink + u'\''},
        {lpt1 + QStringList {QStringLiteral("LPT1=") + symbolicLink, input}, false,
            QStringLiteral("'LPT1' (") + symbolicLink + u')'},
        {lpt1 + QStringList {QStringLiteral("LPT1=file:") + hardLink}, true,
            QStringLiteral("'LPT1' (") + hardLink + u')'},
    };
    for (const Case &c : cases) {
        const ProcessResult result
            = runWithFiles(QStringList {QStringLiteral("print")} + c.arguments,
                c.inputOnStandardInput ? input : QString(), QString());
        const QString what = c.arguments.join(u' ');
        EXPECT_EQ(result.exitCode, 2) << what.toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(result.err),
            QStringLiteral("zanto print: the output ") + c.shownOutput
                + QStringLiteral(" is the input file; nothing was written\n"))
            << what.toStdString();
        EXPECT_EQ(readFile(input), text) << what.toStdString();
    }

    // dump appending to its input would never end.
    const ProcessResult dump = runWithFiles({QStringLiteral("dump"), input}, QString(), hardLink);
    EXPECT_EQ(dump.exitCode, 2);
    EXPECT_EQ(dump.err, "zanto dump: standard output is the input file; nothing was written\n");
    EXPECT_EQ(readFile(input), text);

    // Another file, or a device that is both, is no reason to refuse.
    const QString other = dir.filePath(QStringLiteral("other.prn"));
    EXPECT_EQ(runWithFiles(QStringList {QStringLiteral("print")} + fileTo
                      + QStringList {other, input, QStringLiteral("--printer-type"),
                          QStringLiteral("plain")},
                  QString(), QString())
                  .exitCode,
        0);
    EXPECT_EQ(readFile(other), "first line\r\nsecond line\r\n");
    EXPECT_EQ(runWithFiles(QStringList {QStringLiteral("print")} + fileTo
                      + QStringList {QStringLiteral("/dev/null"), QStringLiteral("/dev/null")},
                  QString(), QString())
                  .exitCode,
        0);
}

// Runs script with /bin/sh in dir, $0 being zanto; its standard output.
QByteArray runShell(const TempDir &dir, const QString &script)
{
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start(QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), script, builtProgram(QStringLiteral("zanto"))});
    if (!shell.waitForFinished(60000) || shell.exitStatus() != QProcess::NormalExit)
        return "(the shell did not finish)";
    return shell.readAllStandardOutput() + shell.readAllStandardError();
}

TEST(CliGuards, StandardOutputIsWrittenWhereItStands)
{
    TempDir dir;
    const QString text = dir.filePath(QStringLiteral("a.txt"));
    const QString log = dir.filePath(QStringLiteral("log.prn"));
    writeFile(text, "abc\n");
    writeFile(log, "old\n");
    // After >>, appended to; by print and by send.
    ProcessResult result
        = runWithFiles(words("print --printer-type plain -o -") << text, QString(), log);
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    result = runWithFiles(words("send -o -") << text, QString(), log);
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(log), "old\nabc\r\nabc\n");

    // A file the shell opened once for several commands: each one goes on
    // where the one before it ended.
    EXPECT_EQ(runShell(dir,
                  QStringLiteral("(\"$0\" print --printer-type plain -o - a.txt; echo between; "
                                 "\"$0\" send -o - a.txt; echo end) > two.prn")),
        "");
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("two.prn"))), "abc\r\nbetween\nabc\nend\n");

    // Its own input it refuses, whatever it holds.
    for (const char *command : {"print -o -", "send -o -"}) {
        result = runWithFiles(words(command) << log, QString(), log);
        EXPECT_EQ(result.exitCode, 2) << command;
        EXPECT_EQ(result.err,
            "zanto " + words(command).constFirst().toUtf8()
                + ": standard output is the input file; nothing was written\n");
        EXPECT_EQ(readFile(log), "old\nabc\r\nabc\n");
    }
}

TEST(CliGuards, APipeWithoutReaderEndsZantoAsItEndsCat)
{
    TempDir dir;
    QByteArray big;
    while (big.size() < (2 << 20))
        big += "a line of a long text to print\n";
    writeFile(dir.filePath(QStringLiteral("big.txt")), big);
    // The status of the command before | head, and what it said. Standard
    // output has no time-out: the reader's going is what ends the writes,
    // however busy the machine.
    const auto ended = [&dir](const char *command) {
        return runShell(dir,
            QStringLiteral("{ %1 big.txt 2>err.txt; echo $? >status.txt; } | head -c 10 "
                           ">/dev/null; cat status.txt err.txt")
                .arg(QLatin1String(command)));
    };
    const QByteArray cat = ended("cat");
    EXPECT_EQ(cat, "141\n");
    EXPECT_EQ(ended("\"$0\" print --printer-type plain -o -"), cat);
    EXPECT_EQ(ended("\"$0\" send -o -"), cat);
    EXPECT_EQ(ended("\"$0\" print --timeout 0 --from-line 2 -o -"), cat);

    // A reader that starts late (longer than the default time-out of
    // writes) gets everything.
    EXPECT_EQ(runShell(dir,
                  QStringLiteral("\"$0\" send -o - big.txt | { sleep 2; cat; } > late.txt; "
                                 "cmp -s big.txt late.txt && echo same")),
        "same\n");
}

TEST(CliGuards, AFailedWriteToStandardOutputEndsWithStatusOneAndTheReason)
{
    TempDir dir;
    const QString bytes = dir.filePath(QStringLiteral("bytes.bin"));
    writeFile(bytes, "\x1B@text\r\n");
    const QString table = dir.filePath(QStringLiteral("table.ctt"));
    ASSERT_EQ(runZanto({QStringLiteral("translation"), QStringLiteral("save"), table,
                           QStringLiteral("--translate"), QStringLiteral("126=27,71")})
                  .exitCode,
        0);

    // zanto tells the reason in the locale it runs in, as strerror does here.
    std::setlocale(LC_ALL, "");
    const QByteArray reason = QByteArray(": write error: ") + std::strerror(ENOSPC) + '\n';
    const std::vector<QStringList> commands {
        {QStringLiteral("dump"), bytes},
        {QStringLiteral("codes")},
        {QStringLiteral("translation"), QStringLiteral("show"), table},
        {QStringLiteral("ports")},
        {QStringLiteral("--help")},
        {QStringLiteral("--version")},
        {QStringLiteral("print"), QStringLiteral("--help")},
    };
    for (const QStringList &command : commands) {
        const ProcessResult result = runWithFiles(command, QString(), QStringLiteral("/dev/full"));
        EXPECT_EQ(result.exitCode, 1) << command.join(u' ').toStdString();
        // Named by the command that failed; zanto alone for its own options.
        const QString first = command.constFirst();
        const QByteArray named = first.startsWith(u'-') ? "zanto" : "zanto " + first.toUtf8();
        EXPECT_EQ(result.err, named + reason) << command.join(u' ').toStdString();
    }

    // A long dump stops at the first failed write, with one message.
    writeFile(bytes, QByteArray(4 << 20, '\x1B'));
    const ProcessResult dump
        = runWithFiles({QStringLiteral("dump"), bytes}, QString(), QStringLiteral("/dev/full"));
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.err, "zanto dump" + reason);
}

TEST(CliGuards, PercentSignsInValuesAreShownAsTyped)
{
    const struct
    {
        const char *arguments;
        const char *message;
    } cases[] = {
        {"print --line-width %1",
            "zanto print: --line-width: '%1' is not a number from -2147483648 to 2147483647"},
        {"print --timeout %2%1", "zanto print: --timeout: '%2%1' is not a number from 0 to 65535"},
        {"print --from-line %3",
            "zanto print: --from-line: '%3' is not a number from "
            "-2147483648 to 2147483647"},
        {"print --pitch %1", "zanto print: --pitch: unknown value '%1' (one of: 10, 12, 15)"},
        {"send --device LPT1%2 --text x",
            "zanto send: --device: 'LPT1%2' is not of the form NAME=PATH"},
        {"print --translate %1=%2",
            "zanto print: --translate: '%1=%2' is not C=LIST with C a character code from 0 to "
            "255"},
        {"print a%1 b%2", "zanto print: unexpected argument 'b%2'"},
        {"codes %1", "zanto codes: unexpected argument '%1' (show or save FILE)"},
    };
    for (const auto &c : cases) {
        const ProcessResult result = runZanto(words(c.arguments));
        EXPECT_EQ(result.exitCode, 2) << c.arguments;
        EXPECT_EQ(result.err, QByteArray(c.message) + '\n') << c.arguments;
    }
}

TEST(CliGuards, ALongLineInTheRangeFormIsNeverHeldWhole)
{
    const QStringList arguments
        = words("print --from-line 1 --line-width 3000 --port FILE -o /dev/null");
    const Usage small = runWithLongLine(arguments, 1000);
    ASSERT_EQ(small.exitCode, 0);
    const qint64 size = 200 * 1000 * 1000;
    const Usage large = runWithLongLine(arguments, size);
    ASSERT_EQ(large.exitCode, 0);
    // Held whole, the line alone would take 200 MB.
    EXPECT_LT(large.peakKilobytes - small.peakKilobytes, 32 * 1024)
        << "peak " << large.peakKilobytes << " kB, against " << small.peakKilobytes
        << " kB for a short line";
}

// zanto processes at the same time: profiles saved at once each keep the
// others' sections, and two jobs to one file or terminal follow each other
// instead of interleaving; a job that cannot have its destination in time
// fails, naming it, and leaves the other job's output alone.
#include "processrunner.h"
#include "pseudoterminal.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

using namespace ZantoTest;

namespace {

// An environment whose own profile file lies in dir.
QProcessEnvironment environmentIn(const TempDir &dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home")));
    // Hundreds of short runs: the leak check at each exit adds nothing here.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return environment;
}

std::unique_ptr<QProcess> startZanto(
    const QStringList &arguments, const QProcessEnvironment &environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->start(builtProgram(QStringLiteral("zanto")), arguments);
    if (!process->waitForStarted())
        throw std::runtime_error("cannot start zanto");
    process->closeWriteChannel();
    return process;
}

ProcessResult finished(QProcess &process)
{
    if (!process.waitForFinished(120000))
        throw std::runtime_error("zanto did not finish");
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

// Lines that tell the job and their place in it.
QByteArray jobText(char job, int lines)
{
    QByteArray text;
    for (int line = 0; line < lines; ++line)
        text += job + QByteArray::number(line).rightJustified(6, '0') + '\n';
    return text;
}

// Holds an advisory lock on path, as a job of another zanto does.
class HeldLock
{
public:
    explicit HeldLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC))
    {
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX) != 0)
            throw std::runtime_error("cannot lock " + path.toStdString());
    }
    ~HeldLock() { ::close(m_fd); }

private:
    int m_fd;
};

} // namespace

TEST(CliConcurrentSaves, KeepEverySectionTheyReport)
{
    const TempDir dir;
    const QProcessEnvironment environment = environmentIn(dir);
    const QString file = dir.filePath(QStringLiteral("home/zantoquiller/zanto.conf"));
    constexpr int Rounds = 30;
    constexpr int Saves = 20;
    QByteArrayList expected;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::unique_ptr<QProcess>> saves;
        for (int save = 0; save < Saves; ++save)
            saves.push_back(startZanto({QStringLiteral("profiles"), QStringLiteral("save"),
                                           QStringLiteral("r%1s%2").arg(round).arg(save),
                                           QStringLiteral("--left-offset"), QString::number(save)},
                environment));
        for (int save = 0; save < Saves; ++save) {
            const ProcessResult result = finished(*saves[save]);
            ASSERT_EQ(result.exitCode, 0) << result.err.constData();
            EXPECT_TRUE(result.out.startsWith("profile r" + QByteArray::number(round) + 's'
                + QByteArray::number(save) + " saved in "));
            expected.append("[r" + QByteArray::number(round) + 's' + QByteArray::number(save)
                + "]\nleft-offset = " + QByteArray::number(save) + '\n');
        }
        const QByteArray text = readFile(file);
        for (const QByteArray &section : std::as_const(expected))
            ASSERT_TRUE(text.contains(section)) << section.constData() << "is gone";
    }
    // A print that reads the file waits for the save that holds it.
    const QString lockFile = dir.filePath(QStringLiteral("home/zantoquiller/.zanto.conf.lock"));
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    const QString output = dir.filePath(QStringLiteral("out.prn"));
    writeFile(input, "text\n");
    auto save = std::make_unique<HeldLock>(lockFile);
    auto print = startZanto({QStringLiteral("print"), QStringLiteral("-P"), QStringLiteral("r0s3"),
                                QStringLiteral("--printer-type"), QStringLiteral("plain"),
                                QStringLiteral("-o"), output, input},
        environment);
    EXPECT_FALSE(print->waitForFinished(500));
    save.reset();
    const ProcessResult printed = finished(*print);
    EXPECT_EQ(printed.exitCode, 0) << printed.err.constData();
    EXPECT_EQ(readFile(output), "   text\r\n");

    // Nothing but the lock file beside the profile file.
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("home/zantoquiller")))
                  .entryList(QDir::Files | QDir::Hidden),
        (QStringList {QStringLiteral(".zanto.conf.lock"), QStringLiteral("zanto.conf")}));
}

TEST(CliExclusive, TwoJobsToOneFileOrTerminalFollowEachOther)
{
    const TempDir dir;
    const QProcessEnvironment environment = environmentIn(dir);
    constexpr int Lines = 4000;
    // The input in files: a test that waits for a terminal's output cannot
    // feed standard input meanwhile.
    const QString inputs[]
        = {dir.filePath(QStringLiteral("a.txt")), dir.filePath(QStringLiteral("b.txt"))};
    writeFile(inputs[0], jobText('A', Lines));
    writeFile(inputs[1], jobText('B', Lines));
    const auto print = [&](const QString &target, const QString &input) {
        return startZanto({QStringLiteral("print"), QStringLiteral("--printer-type"),
                              QStringLiteral("plain"), QStringLiteral("--timeout"),
                              QStringLiteral("60000"), QStringLiteral("--to"), target, input},
            environment);
    };
    // Each job alone, for comparison.
    QByteArray alone[2];
    for (int job = 0; job < 2; ++job) {
        const QString path = dir.filePath(QStringLiteral("alone"));
        writeFile(path, {});
        auto process = print(path, inputs[job]);
        ASSERT_EQ(finished(*process).exitCode, 0);
        alone[job] = readFile(path);
        ASSERT_GT(alone[job].size(), 7 * Lines);
    }

    // A file: the second job empties it only once the first has ended, so
    // it holds the whole of one job.
    const QString same = dir.filePath(QStringLiteral("same.prn"));
    writeFile(same, {});
    auto first = print(same, inputs[0]);
    auto second = print(same, inputs[1]);
    for (QProcess *process : {first.get(), second.get()}) {
        const ProcessResult result = finished(*process);
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    }
    const QByteArray file = readFile(same);
    EXPECT_TRUE(file == alone[0] || file == alone[1]) << "interleaved: " << file.size() << " bytes";

    // A terminal: both jobs arrive, one after the other.
    const PseudoTerminal terminal;
    first = print(terminal.path(), inputs[0]);
    second = print(terminal.path(), inputs[1]);
    const QByteArray received = terminal.read(int(alone[0].size() + alone[1].size()));
    for (QProcess *process : {first.get(), second.get()}) {
        const ProcessResult result = finished(*process);
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    }
    EXPECT_TRUE(received == alone[0] + alone[1] || received == alone[1] + alone[0])
        << "interleaved: " << received.size() << " bytes";
}

TEST(CliExclusive, AJobThatCannotHaveItsDestinationInTimeFailsAndLeavesItAlone)
{
    const TempDir dir;
    const QString path = dir.filePath(QStringLiteral("busy.prn"));
    writeFile(path, "another job's output\n");
    {
        const HeldLock lock(path);
        const ProcessResult result
            = runZanto({QStringLiteral("print"), QStringLiteral("--timeout"), QStringLiteral("300"),
                           QStringLiteral("-o"), path},
                "text\n", environmentIn(dir));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err,
            "zanto print: cannot open " + QFile::encodeName(path)
                + ": another job is printing to it; waited 300 ms\n");
        EXPECT_EQ(readFile(path), "another job's output\n");
    }
    const ProcessResult result = runZanto(
        {QStringLiteral("print"), QStringLiteral("--printer-type"), QStringLiteral("plain"),
            QStringLiteral("--timeout"), QStringLiteral("300"), QStringLiteral("-o"), path},
        "text\n", environmentIn(dir));
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(path), "text\r\n");
}

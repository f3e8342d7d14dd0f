// zanto's exit statuses and messages, end to end through the built program:
// one row per way a command ends, with the status the help gives for it and
// the whole of standard error.
#include "cupsharness.h"
#include "loopbackprinter.h"
#include "processrunner.h"
#include "systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

using namespace ZantoTest;
using namespace std::chrono_literals;

namespace {

QStringList words(const QString &line)
{
    return line.split(u' ', Qt::SkipEmptyParts);
}

bool waitFor(const std::function<bool()> &condition)
{
    const auto end = std::chrono::steady_clock::now() + Cups::JobLimit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

struct Row
{
    QString name;
    QStringList arguments;
    int status;
    QByteArray err; // the whole of standard error
    QByteArray input = "line\n";
    // Runs while zanto does, its standard input still open; zanto ends on
    // its own after it returns.
    std::function<void(QProcess &zanto)> during = {};
    QStringList unset = {}; // environment variables zanto runs without
    QStringList set = {}; // NAME=VALUE
};

struct Ended
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Ended run(const Row &row)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : row.unset)
        environment.remove(name);
    for (const QString &pair : row.set)
        environment.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    QProcess zanto;
    zanto.setProcessEnvironment(environment);
    zanto.start(builtProgram(QStringLiteral("zanto")), row.arguments);
    if (!zanto.waitForStarted())
        return {};
    zanto.write(row.input);
    if (row.during)
        row.during(zanto);
    zanto.closeWriteChannel();
    if (!zanto.waitForFinished(60000))
        zanto.kill();
    return {zanto.exitStatus() == QProcess::NormalExit ? zanto.exitCode() : -1,
        zanto.readAllStandardOutput(), zanto.readAllStandardError()};
}

// The job id that print -d told on its standard output.
int requestedJob(QProcess &zanto)
{
    static const QRegularExpression request(QStringLiteral("^request id is .*-(\\d+) "));
    QByteArray out;
    waitFor([&] {
        zanto.waitForReadyRead(50);
        out += zanto.readAllStandardOutput();
        return request.match(QString::fromUtf8(out)).hasMatch();
    });
    return request.match(QString::fromUtf8(out)).captured(1).toInt();
}

} // namespace

TEST(CliExitStatus, EveryWayACommandEndsHasItsStatusAndNamedMessage)
{
    TempDir dir;
    dir.write(QStringLiteral("memo.txt"), "a memo\n");
    const QString memo = dir.filePath(QStringLiteral("memo.txt"));
    const QString out = dir.filePath(QStringLiteral("out.prn"));
    const QString missing = dir.filePath(QStringLiteral("no-such.txt"));
    const QString noFolder = dir.filePath(QStringLiteral("no/such/out.prn"));
    const QString device = QStringLiteral("/dev/zanto-no-such-device");
    const quint16 refused = refusingLoopbackPort();
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    Cups::CaptureQueue paused(QStringLiteral("zanto-exit-status"));
    Cups::runCupsCommand(QStringLiteral("cupsdisable"), {paused.name()});
    const auto reason = [](int error) { return childOsReason(error).toLocal8Bit(); };
    const QStringList print {QStringLiteral("print"), QStringLiteral("-o"), out};

    const Row rows[] = {
        {"printed", print + QStringList {memo}, 0, ""},
        // Usage errors: nothing is done.
        {"negative width", print + words("--line-width -3"), 2,
            "zanto print: --line-width: '-3' is negative (0 turns it off)\n"},
        {"negative length", print + words("--lines-per-page -1"), 2,
            "zanto print: --lines-per-page: '-1' is negative (0 turns it off)\n"},
        {"unknown option", words("print --frobnicate"), 2,
            "zanto print: Unknown option 'frobnicate'.\n"},
        {"copies to a file", print + words("-n 2"), 2,
            "zanto print: -n/--copies serves spooler jobs only (-d QUEUE without --from-line "
            "or --to-line)\n"},
        {"job id", words("cancel 4x"), 2, "zanto cancel: '4x' is not a job id (ID or QUEUE-ID)\n"},
        {"unknown command", words("frobnicate"), 2, ""},
        // Failures: what was asked could not be done.
        {"missing input", print + QStringList {missing}, 1,
            "zanto print: cannot open '" + missing.toLocal8Bit() + "': " + reason(ENOENT) + "\n"},
        {"output folder missing", words("print -o") + QStringList {noFolder}, 1,
            "zanto print: cannot open " + noFolder.toLocal8Bit() + ": " + reason(ENOENT) + "\n"},
        {"component refuses a setting", print + words("--left-offset 5000"), 1,
            "zanto print: Invalid Offset! Maximum 3800\n"},
        {"unknown queue", words("print -d zanto-no-such-queue"), 1,
            "zanto print: There is no printer named 'zanto-no-such-queue' on the print server "
                + server.toUtf8() + "\n"},
        {"no display", words("preview --show") + QStringList {memo}, 1,
            "zanto preview: --show needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is "
            "set (QT_QPA_PLATFORM names another platform; --format and -o write the sheets to a "
            "file)\n",
            "", {},
            {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"),
                QStringLiteral("WAYLAND_DISPLAY")}},
        {"PNG pages without a session", words("preview --format png -o") + QStringList {out, memo},
            0, "", "", {}, {QStringLiteral("XDG_RUNTIME_DIR")}},
        // Unreachable: the printer, its device or the server.
        {"missing device", words("print --to") + QStringList {device}, 3,
            "zanto print: cannot open " + device.toLocal8Bit() + ": " + reason(ENOENT) + "\n"},
        {"refused connection",
            words("print --to")
                + QStringList {QStringLiteral("socket://127.0.0.1:%1").arg(refused)},
            3,
            "zanto print: cannot connect to 127.0.0.1:" + QByteArray::number(refused) + ": "
                + reason(ECONNREFUSED) + "\n"},
        {"print server gone", words("jobs"), 3,
            "zanto jobs: Cannot reach the print server 127.0.0.1:" + QByteArray::number(refused)
                + ": " + reason(ECONNREFUSED) + "\n",
            "", {}, {}, {QStringLiteral("CUPS_SERVER=127.0.0.1:%1").arg(refused)}},
        // A job waited for that was cancelled will not print.
        {"waited job cancelled", words("print --wait -d") + QStringList {paused.name(), memo}, 4,
            {}, "",
            [](QProcess &zanto) {
                const int job = requestedJob(zanto);
                ASSERT_GT(job, 0);
                const ProcessResult cancelled = runZanto(
                    {QStringLiteral("cancel"), QStringLiteral("zanto-exit-status-%1").arg(job)});
                EXPECT_EQ(cancelled.exitCode, 0) << cancelled.err.constData();
            }},
        // Stopped by a signal: 128 + its number.
        {"terminated", print, 128 + SIGTERM,
            "zanto print: Failed to read the text: standard input: interrupted by signal "
                + QByteArray::number(SIGTERM) + "\n",
            "first\n",
            [&](QProcess &zanto) {
                ASSERT_TRUE(waitFor([&] { return QFile(out).size() >= 2; }));
                ::kill(pid_t(zanto.processId()), SIGTERM);
                zanto.waitForFinished(60000);
            }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        QFile::remove(out);
        const Ended ended = run(row);
        EXPECT_EQ(ended.status, row.status) << ended.err.constData();
        if (row.name == u"unknown command")
            EXPECT_TRUE(ended.err.startsWith("zanto: unknown command 'frobnicate'\n"));
        else if (row.status == 4)
            // How the job ended: stopped with its queue, or cancelled.
            EXPECT_TRUE(ended.err.contains("zanto print: job ")) << ended.err.constData();
        else
            EXPECT_EQ(ended.err, row.err);
        // Every line names the program, and the command when there is one;
        // the usage that follows an unknown command aside.
        const QByteArray named = "zanto " + row.arguments.constFirst().toUtf8() + ": ";
        for (const QByteArray &line : ended.err.split('\n')) {
            if (line.isEmpty() || line.startsWith("Usage:") || row.name == u"unknown command")
                continue;
            EXPECT_TRUE(line.startsWith(named) || line.startsWith("zanto: ")) << line.constData();
        }
    }
}

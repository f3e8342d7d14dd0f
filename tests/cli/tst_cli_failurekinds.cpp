// How each way a print fails is told apart, whatever language the messages
// are in: the kind the library's exception carries, and the exit status zanto
// gives for the same failure. One row per failure; no row looks at a message.
#include "exitstatus.h"

#include "cupsharness.h"
#include "loopbackprinter.h"
#include "mountedfilesystems.h"
#include "processrunner.h"
#include "tempdir.h"
#include "watchdog.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <ostream>
#include <pthread.h>
#include <thread>
#include <unistd.h>

using namespace ZantoTest;
using namespace std::chrono_literals;
using Zanto::ErrorKind;

namespace Zanto {
// How a failed row shows a kind.
void PrintTo(ErrorKind kind, std::ostream *out)
{
    *out << "ErrorKind(" << int(kind) << ")";
}
} // namespace Zanto

namespace {

// More than the system's socket buffers take, so that a print cannot hand
// its last byte over before the printer resets or stops reading.
QByteArray largeText()
{
    QByteArray line(79, 'x');
    line += '\n';
    QByteArray text;
    while (text.size() < (24 << 20))
        text += line;
    return text;
}

// The kind of the exception that print() raises; nothing when it raises none.
std::optional<ErrorKind> kindOf(const std::function<void()> &print)
{
    try {
        print();
    } catch (const Zanto::Exception &error) {
        return error.kind();
    }
    return std::nullopt;
}

// The component prints text to target, a device or a socket URI given to
// a port as zanto print --to TARGET does, or with toFile a disk file as
// zanto print -o TARGET does.
void printTo(
    const QString &target, const QByteArray &text, quint16 timeoutMs = 5000, bool toFile = false)
{
    Zanto::TZantoquiller component;
    component.SetUseSpooler(false);
    if (toFile) {
        component.SetPort(Zanto::poDisk);
        component.SetOutputFile(target);
    } else {
        component.SetPort(Zanto::poLPT2);
        if (!Zanto::setDevicePath(QStringLiteral("LPT2"), target))
            throw Zanto::Exception(QStringLiteral("the device cannot be mapped"));
    }
    component.SetTimeout(timeoutMs);
    component.PrintString(text);
}

void noAction(int) { }

// Prints text to a printer that never reads, with no time-out, on a thread
// of its own; once the print is stuck, a signal asks it to stop, as the
// signal handlers of zanto would. The kind it failed with.
std::optional<ErrorKind> interruptedPrint(const LoopbackPrinter &printer, const QByteArray &text)
{
    // A handler without SA_RESTART, so that the stuck wait returns EINTR.
    struct sigaction action = {}, old = {};
    action.sa_handler = noAction;
    ::sigaction(SIGUSR2, &action, &old);
    std::optional<ErrorKind> kind;
    std::atomic<bool> ended = false;
    std::thread printing([&] {
        kind = kindOf([&] { printTo(printer.uri(), text, 0); });
        ended = true;
    });
    const Watchdog watchdog(60s, "a print to a printer that never reads, asked to stop");
    while (printer.accepted() < 1)
        QThread::msleep(10);
    QThread::msleep(300);
    Zanto::Platform::requestInterrupt(SIGTERM);
    // Again until it ends: a signal that comes just before the wait begins
    // would not end it.
    for (int i = 0; i < 600 && !ended; ++i) {
        ::pthread_kill(printing.native_handle(), SIGUSR2);
        QThread::msleep(50);
    }
    printing.join();
    Zanto::Platform::clearInterrupt();
    ::sigaction(SIGUSR2, &old, nullptr);
    return kind;
}

// zanto with arguments and input; during() runs while it does.
int zantoStatus(const QStringList &arguments, const std::function<void(QProcess &)> &during = {})
{
    QProcess zanto;
    zanto.start(builtProgram(QStringLiteral("zanto")), arguments);
    if (!zanto.waitForStarted())
        return -1;
    zanto.closeWriteChannel();
    if (during)
        during(zanto);
    if (!zanto.waitForFinished(60000))
        zanto.kill();
    return zanto.exitStatus() == QProcess::NormalExit ? zanto.exitCode() : -1;
}

// A file that may not be written, for root too: one on a read-only file
// system where root may mount one, else a file without write permission.
struct ReadOnlyFile
{
    ReadOnlyFile(const TempDir &dir)
    {
        if (::geteuid() == 0) {
            mount.emplace(QStringLiteral("ro,size=64k"));
            if (!mount->available())
                whyNot = mount->whyNot();
            path = mount->path() + QStringLiteral("/out.prn");
            return;
        }
        path = dir.filePath(QStringLiteral("read-only.prn"));
        dir.write(QStringLiteral("read-only.prn"), "");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    std::optional<TmpfsMount> mount;
    QString path;
    QString whyNot;
};

struct Row
{
    const char *name;
    QStringList arguments; // of zanto
    std::function<void()> print; // the component's print; none: zanto's own
    ErrorKind kind;
    int status;
    std::function<void(QProcess &)> during = {};
};

} // namespace

TEST(CliFailureKinds, EveryFailureHasItsKindAndExitStatusInAnyLanguage)
{
    TempDir dir;
    const QByteArray large = largeText();
    dir.write(QStringLiteral("large.txt"), large);
    const QString largeFile = dir.filePath(QStringLiteral("large.txt"));
    dir.write(QStringLiteral("memo.txt"), "a memo\n");
    const QString memo = dir.filePath(QStringLiteral("memo.txt"));
    const QString closed = QStringLiteral("socket://127.0.0.1:%1").arg(refusingLoopbackPort());
    const QString device = QStringLiteral("/dev/zanto-no-such-device");
    const LoopbackPrinter resetting(LoopbackPrinter::Mode::ResetAfter, 16 << 10);
    const LoopbackPrinter neverReads(LoopbackPrinter::Mode::AcceptNeverRead);
    const QString queue = QStringLiteral("zanto-no-such-queue");
    // A profile whose line 3 is not a setting.
    QDir().mkpath(dir.filePath(QStringLiteral("config/zantoquiller")));
    writeFile(dir.filePath(QStringLiteral("config/zantoquiller/zanto.conf")),
        "[broken]\nline-width = 40\nno-such-setting = 1\n");
    const ReadOnlyFile readOnly(dir);
    const QStringList print {QStringLiteral("print")};
    const QStringList to = print + QStringList {QStringLiteral("--to")};

    const Row rows[] = {
        {"refused connection", to + QStringList {closed, memo}, [&] { printTo(closed, "line\n"); },
            ErrorKind::Unreachable, 3},
        {"missing device", to + QStringList {device, memo}, [&] { printTo(device, "line\n"); },
            ErrorKind::Unreachable, 3},
        {"connection reset", to + QStringList {resetting.uri(), largeFile},
            [&] { printTo(resetting.uri(), large); }, ErrorKind::ConnectionLost, 1},
        {"unknown queue", print + QStringList {QStringLiteral("-d"), queue, memo},
            [&] { Zanto::selectPrinter(queue); }, ErrorKind::NotFound, 1},
        {"full disk", print + QStringList {QStringLiteral("-o"), QStringLiteral("/dev/full"), memo},
            [&] { printTo(QStringLiteral("/dev/full"), "line\n", 5000, true); }, ErrorKind::NoSpace,
            1},
        {"bad profile line", print + QStringList {QStringLiteral("-P"), QStringLiteral("broken")},
            {}, ErrorKind::Usage, 2},
        {"interrupted",
            to
                + QStringList {neverReads.uri(), QStringLiteral("--timeout"), QStringLiteral("0"),
                    largeFile},
            [&] {
                if (const auto kind = interruptedPrint(neverReads, large))
                    throw Zanto::Exception(QStringLiteral("interrupted"), *kind);
            },
            ErrorKind::Interrupted, 128 + SIGTERM,
            [&](QProcess &zanto) {
                // The first connection is the component's own.
                const auto end = std::chrono::steady_clock::now() + 30s;
                while (neverReads.accepted() < 2 && std::chrono::steady_clock::now() < end)
                    QThread::msleep(10);
                QThread::msleep(300);
                ::kill(pid_t(zanto.processId()), SIGTERM);
            }},
        {"read-only file", print + QStringList {QStringLiteral("-o"), readOnly.path, memo},
            [&] { printTo(readOnly.path, "line\n", 5000, true); }, ErrorKind::Permission, 1},
    };
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.kind == ErrorKind::Permission && !readOnly.whyNot.isEmpty()) {
            GTEST_SKIP() << "no read-only file for root: " << readOnly.whyNot.toStdString();
        }
        // The one table of zanto's exit statuses agrees with the row.
        EXPECT_EQ(Zanto::Cli::exitCodeFor(row.kind), row.status < 128 ? row.status : 1);
        if (row.print) {
            EXPECT_EQ(kindOf(row.print), row.kind);
        }
        EXPECT_EQ(zantoStatus(row.arguments, row.during), row.status);
    }
}

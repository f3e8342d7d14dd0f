// A print server that accepts connections and never answers: every call to
// it ends within the time-out, with a message that names the server, and a
// recorded interrupt ends the wait at once.
#include "cupsharness.h"
#include "hostileippserver.h"
#include "loopbackprinter.h"
#include "processrunner.h"
#include "silentserver.h"
#include "tempdir.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

using namespace Zanto;
using namespace ZantoTest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

using Cups::Margin;

class SilentPrintServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = std::make_unique<Cups::SilentServer>(dir.path());
        qputenv("CUPS_SERVER", QFile::encodeName(server->path()));
        cupsSetServer(QFile::encodeName(server->path()).constData());
    }
    void TearDown() override
    {
        Platform::clearInterrupt();
        setPrinterTimeout(0);
        selectDefaultPrinter();
        cupsSetServer(nullptr);
    }

    QString notAnswering(int milliseconds) const
    {
        return QStringLiteral("The print server %1 did not answer within %2 ms")
            .arg(server->path())
            .arg(milliseconds);
    }

    TempDir dir;
    std::unique_ptr<Cups::SilentServer> server;
};

// How long call took, which must not raise.
template<typename Call> Clock::duration timed(Call call)
{
    const auto start = Clock::now();
    call();
    return Clock::now() - start;
}

// The message of the EPrinter or EConvertError that call raised, and how
// long it took to come.
template<typename Call> std::pair<QString, Clock::duration> failure(Call call)
{
    QString message = QStringLiteral("no error");
    const auto took = timed([&] {
        try {
            call();
        } catch (const Exception &error) {
            message = error.Message();
        }
    });
    return {message, took};
}

} // namespace

TEST_F(SilentPrintServer, ZantoCommandsGiveUpWithinTheirTimeout)
{
    struct Case
    {
        QStringList arguments;
        int exitCode;
        QByteArray out; // a line of standard output, when exitCode is 0
    };
    const QString why = notAnswering(500);
    const Case cases[] = {
        {{QStringLiteral("printers")}, 3, {}},
        {{QStringLiteral("check-driver")}, 3, {}},
        {{QStringLiteral("print"), QStringLiteral("--spooler")}, 3, {}},
        {{QStringLiteral("ports")}, 0,
            QStringLiteral("poCurrent  Invalid Port ID (%1)\n").arg(why).toUtf8()},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.arguments.join(u' ').toStdString());
        ProcessResult result;
        const auto took = timed([&] {
            result = runZanto(
                test.arguments + QStringList {QStringLiteral("--timeout"), QStringLiteral("500")},
                "line\n");
        });
        EXPECT_LT(took, 500ms + Margin + Cups::zantoStartTime());
        EXPECT_EQ(result.exitCode, test.exitCode) << result.err.constData();
        if (test.exitCode == 0)
            EXPECT_NE(result.out.indexOf(test.out), -1) << result.out.constData();
        else
            EXPECT_EQ(result.err,
                "zanto " + test.arguments.constFirst().toUtf8() + ": " + why.toUtf8() + '\n');
    }
}

TEST_F(SilentPrintServer, AnIppPrinterThatDoesNotAnswerIsNamedByItsServer)
{
    const LoopbackPrinter silent(LoopbackPrinter::Mode::AcceptNeverRead);
    const QString uri = QStringLiteral("ipp://127.0.0.1:%1/printers/nobody").arg(silent.port());
    ProcessResult result;
    const auto took = timed([&] {
        result = runZanto(
            {QStringLiteral("print"), QStringLiteral("--spooler"), QStringLiteral("--timeout"),
                QStringLiteral("700"), QStringLiteral("--printer"), uri},
            "line\n");
    });
    EXPECT_LT(took, 700ms + Margin + Cups::zantoStartTime());
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err,
        QStringLiteral("zanto print: The print server 127.0.0.1:%1 did not answer within 700 ms\n")
            .arg(silent.port())
            .toUtf8());
}

TEST_F(SilentPrintServer, TheComponentWaitsItsOwnTimeout)
{
    TZantoquiller component;
    component.SetTimeout(600);
    const auto [port, portTook] = failure([&] { component.PortToString(poCurrent); });
    EXPECT_EQ(port, QStringLiteral("Invalid Port ID"));
    EXPECT_LT(portTook, 600ms + Margin);

    const auto [check, checkTook] = failure([&] { component.DriverCompatible(); });
    EXPECT_EQ(check, notAnswering(600));
    EXPECT_LT(checkTook, 600ms + Margin);

    // A component without a time-out waits as long as the printer list does.
    component.SetTimeout(0);
    setPrinterTimeout(800);
    EXPECT_EQ(failure([&] { component.DriverCompatible(); }).first, notAnswering(800));
    EXPECT_EQ(failure([] { printerList(); }).first, notAnswering(800));
    EXPECT_EQ(
        failure([] { selectPrinter(QStringLiteral("some-queue")); }).first, notAnswering(800));
}

TEST_F(SilentPrintServer, AnInterruptEndsTheWaitAtOnce)
{
    TZantoquiller component;
    component.SetTimeout(0); // the default of ten seconds
    std::thread interrupter([] {
        std::this_thread::sleep_for(300ms);
        Platform::requestInterrupt(SIGINT);
    });
    const auto [message, took] = failure([&] { component.DriverCompatible(); });
    interrupter.join();
    EXPECT_EQ(message,
        QStringLiteral("Waiting for the print server %1 was interrupted by signal %2")
            .arg(server->path())
            .arg(SIGINT));
    EXPECT_LT(took, 5s);
}

namespace {

using Behaviour = Cups::HostileIppServer::Behaviour;

// What zanto wrote, both streams.
QByteArray output(const ProcessResult &result)
{
    return result.out + result.err;
}

bool holdsControlBytes(const QByteArray &text)
{
    for (const char c : text) {
        if ((uchar(c) < 32 && c != '\n') || c == 127)
            return true;
    }
    return false;
}

} // namespace

TEST(HostileIppServer, AnAnswerWithoutEndIsCutOffByTheTimeout)
{
    for (const Behaviour behaviour :
        {Behaviour::Endless, Behaviour::HeaderLineForever, Behaviour::Trickle}) {
        const Cups::HostileIppServer server(behaviour);
        for (const QString &command : {QStringLiteral("status"), QStringLiteral("jobs")}) {
            SCOPED_TRACE(command.toStdString() + " " + std::to_string(int(behaviour)));
            ProcessResult result;
            const auto took = timed([&] {
                result = runZanto(
                    {command, server.uri(), QStringLiteral("--timeout"), QStringLiteral("1000")});
            });
            EXPECT_LT(took, 1000ms + Margin + Cups::zantoStartTime());
            // A header line without end is no answer; the others are
            // answers that do not end in time.
            const bool unreadable = behaviour == Behaviour::HeaderLineForever;
            const QByteArray said = unreadable ? QByteArray(": its answer cannot be read\n")
                                               : "The print server " + server.serverName().toUtf8()
                    + " did not answer within 1000 ms\n";
            EXPECT_EQ(result.exitCode, unreadable ? 1 : 3) << output(result).constData();
            EXPECT_NE(output(result).indexOf(said), -1) << output(result).constData();
        }
    }
}

TEST(HostileIppServer, ItsTextsReachTheTerminalEscapedAndCut)
{
    const Cups::HostileIppServer server(Behaviour::Escapes);
    const ProcessResult status = runZanto({QStringLiteral("status"), server.uri()});
    EXPECT_EQ(status.exitCode, 1) << output(status).constData();
    EXPECT_FALSE(holdsControlBytes(output(status))) << output(status).constData();
    EXPECT_NE(status.out.indexOf("<ESC>[31mevil-reason<ESC>[0m-error"), -1)
        << status.out.constData();
    EXPECT_NE(status.out.indexOf("the server says: <ESC>]0;owned<BEL><ESC>[2K<CR>FAKE: ready<ESC>"
                                 "[5mAAAA"),
        -1)
        << status.out.constData();
    EXPECT_LT(status.out.size(), 1000) << "the 5000 bytes of the message are cut";

    const ProcessResult jobs = runZanto({QStringLiteral("jobs"), server.uri()});
    EXPECT_EQ(jobs.exitCode, 0) << output(jobs).constData();
    EXPECT_FALSE(holdsControlBytes(output(jobs))) << output(jobs).constData();
    EXPECT_NE(jobs.out.indexOf("mallory<ESC>[5m"), -1) << jobs.out.constData();
    EXPECT_NE(jobs.out.indexOf("<ESC>[2J<ESC>[Hinvoice<BEL>BBB"), -1) << jobs.out.constData();
    EXPECT_LT(jobs.out.size(), 1000) << "the 3000 bytes of the name are cut";
}

TEST(HostileIppServer, AFloodIsCutOffAfterEightMebibytes)
{
    const Cups::HostileIppServer server(Behaviour::Flood);
    ProcessResult result;
    const auto took = timed([&] {
        result = runZanto({QStringLiteral("status"), server.uri(), QStringLiteral("--timeout"),
            QStringLiteral("60000")});
    });
    EXPECT_LT(took, 30s) << "long before the time-out";
    EXPECT_EQ(result.exitCode, 1) << output(result).constData();
    EXPECT_EQ(result.err,
        "zanto status: The print server " + server.serverName().toUtf8()
            + " sent more than 8 MiB in one answer\n");
}

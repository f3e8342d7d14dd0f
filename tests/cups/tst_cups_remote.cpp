// A print server on another host, played by the harness's second scheduler
// that clients reach over TCP only: raw jobs reach its queues byte for byte,
// by printer URI and through CUPS_SERVER; stopped or frozen, it makes a print
// fail within the time-out with a message that names it. An aborted job is
// cancelled on the server.
#include "cupsharness.h"
#include "processrunner.h"
#include "tempdir.h"

#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/printer.h>
#include <zantoquiller/printers.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstring>

using namespace Zanto;
using namespace ZantoTest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

using Cups::Margin;

const QStringList PrintOptions {QStringLiteral("print"), QStringLiteral("--verbatim"),
    QStringLiteral("--printer-type"), QStringLiteral("epson"), QStringLiteral("--lines-per-page"),
    QStringLiteral("3"), QStringLiteral("--timeout"), QStringLiteral("700")};

// Every byte value, in lines.
QByteArray everyByte()
{
    QByteArray text = "first line\r\n";
    for (int value = 0; value < 256; ++value)
        text += char(value);
    return text + "\r\nlast line";
}

QProcessEnvironment withServer(const QString &server)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), server);
    return environment;
}

// The two ways of reaching queue on the second scheduler: its URI with
// CUPS_SERVER left on the first one, and its name with CUPS_SERVER on it.
struct Route
{
    QStringList arguments;
    QProcessEnvironment environment;
};
std::vector<Route> routesTo(const QString &queue)
{
    const QString uri = QStringLiteral("ipp://%1/printers/%2").arg(Cups::remoteServer(), queue);
    return {{{QStringLiteral("--printer"), uri}, QProcessEnvironment::systemEnvironment()},
        {{QStringLiteral("--printer"), queue}, withServer(Cups::remoteServer())}};
}

class RemoteServer : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Cups::available()) << "run through ctest"; }
    void TearDown() override
    {
        Platform::clearInterrupt();
        selectDefaultPrinter();
    }

    ProcessResult printThrough(const Route &route, const QByteArray &input)
    {
        ProcessResult result;
        const auto start = Clock::now();
        result
            = runZanto(PrintOptions + QStringList {QStringLiteral("--spooler")} + route.arguments,
                input, route.environment);
        took = Clock::now() - start;
        return result;
    }

    TempDir dir;
    Clock::duration took {};
};

// Starts the second scheduler again, or lets it go on, whatever the test did.
struct RemoteServerBack
{
    ~RemoteServerBack()
    {
        try {
            Cups::pauseRemoteServer(false);
        } catch (...) { }
        Cups::startRemoteServer();
    }
};

} // namespace

TEST_F(RemoteServer, RawJobsReachItsQueueByteForByte)
{
    const QString file = dir.filePath(QStringLiteral("direct.prn"));
    const ProcessResult direct = runZanto(
        PrintOptions + QStringList {QStringLiteral("--port"), QStringLiteral("FILE"), "-o", file},
        everyByte());
    ASSERT_EQ(direct.exitCode, 0) << direct.err.constData();
    const QByteArray expected = readFile(file);
    ASSERT_TRUE(expected.contains('\0') && expected.contains('\xFF') && expected.contains('\f'));

    Cups::CaptureQueue queue(QStringLiteral("zanto-remote-bytes"), Cups::remoteAdmin());
    for (const Route &route : routesTo(queue.name())) {
        const ProcessResult spooled = printThrough(route, everyByte());
        EXPECT_EQ(spooled.exitCode, 0) << spooled.err.constData();
    }
    EXPECT_EQ(queue.received(2), QByteArrayList({expected, expected}));
}

TEST_F(RemoteServer, StoppedItMakesThePrintFailWithinTheTimeout)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-remote-stopped"), Cups::remoteAdmin());
    const std::vector<Route> routes = routesTo(queue.name());
    const RemoteServerBack back;
    Cups::stopRemoteServer();

    std::setlocale(LC_ALL, ""); // strerror in the language zanto speaks
    const QString refused = QString::fromLocal8Bit(std::strerror(ECONNREFUSED));
    const QString expected[] = {
        QStringLiteral("Cannot reach the printer ipp://%1/printers/%2: %3")
            .arg(Cups::remoteServer(), queue.name(), refused),
        QStringLiteral("Cannot reach the print server %1: %2").arg(Cups::remoteServer(), refused),
    };
    for (std::size_t i = 0; i < routes.size(); ++i) {
        const ProcessResult result = printThrough(routes[i], "one line\n");
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(QString::fromLocal8Bit(result.err), "zanto print: " + expected[i] + u'\n');
        EXPECT_LT(took, 700ms + Margin + Cups::zantoStartTime());
    }
}

TEST_F(RemoteServer, FrozenItMakesThePrintFailWithinTheTimeout)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-remote-frozen"), Cups::remoteAdmin());
    const std::vector<Route> routes = routesTo(queue.name());
    const RemoteServerBack back;
    Cups::pauseRemoteServer(true);

    const QString expected
        = QStringLiteral("zanto print: The print server %1 did not answer within 700 ms\n")
              .arg(Cups::remoteServer());
    for (const Route &route : routes) {
        const ProcessResult result = printThrough(route, "one line\n");
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(QString::fromLocal8Bit(result.err), expected);
        EXPECT_LT(took, 700ms + Margin + Cups::zantoStartTime());
    }
}

TEST_F(RemoteServer, AJobWhoseServerFreezesEndsWithinTheTimeout)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-remote-midjob"), Cups::remoteAdmin());
    const RemoteServerBack back;
    Platform::Printer &printer = Platform::printer();
    printer.select(QStringLiteral("ipp://%1/printers/%2")
                       .arg(Cups::remoteServer(), queue.name())
                       .toStdString());
    printer.beginDoc("frozen", 800ms);
    Cups::pauseRemoteServer(true);

    // More than the connection's buffers take, then the end of the document.
    const QByteArray block(256 * 1024, 'x');
    const auto start = Clock::now();
    QString message = QStringLiteral("no error");
    try {
        for (int i = 0; i < 64; ++i)
            printer.write(block.constData(), std::size_t(block.size()));
        printer.endDoc();
    } catch (const Platform::PrinterError &error) {
        message = QString::fromStdString(error.what());
    }
    const auto took = Clock::now() - start;
    EXPECT_EQ(message,
        QStringLiteral("The print server %1 did not answer within 800 ms")
            .arg(Cups::remoteServer()));
    // The failed piece, then the cancelling that the frozen server cannot
    // answer either.
    EXPECT_LT(took, 2 * 800ms + 2 * Margin);
    EXPECT_FALSE(printer.printing());
}

TEST_F(RemoteServer, AnAbortedJobIsCancelledOnTheServer)
{
    Cups::CaptureQueue local(QStringLiteral("zanto-abort-local"));
    Cups::CaptureQueue remote(QStringLiteral("zanto-abort-remote"), Cups::remoteAdmin());
    struct Case
    {
        std::string printer;
        QString queue;
        QString server; // to ask about its jobs; empty: the first scheduler
        bool interrupted; // a signal asked the print to stop
    };
    const std::string remoteUri = QStringLiteral("ipp://%1/printers/%2")
                                      .arg(Cups::remoteServer(), remote.name())
                                      .toStdString();
    const Case cases[] = {
        {local.name().toStdString(), local.name(), {}, false},
        {local.name().toStdString(), local.name(), {}, true},
        {remoteUri, remote.name(), Cups::remoteServer(), false},
        {remoteUri, remote.name(), Cups::remoteServer(), true},
    };
    Platform::Printer &printer = Platform::printer();
    for (const Case &test : cases) {
        SCOPED_TRACE(test.printer + (test.interrupted ? ", interrupted" : ""));
        printer.select(test.printer);
        printer.beginDoc("aborted", 5s);
        const QByteArray block(100 * 1024, 'y');
        printer.write(block.constData(), std::size_t(block.size()));
        ASSERT_EQ(Cups::unfinishedJobs(test.queue, test.server), QList<int> {printer.jobId()});
        if (test.interrupted)
            Platform::requestInterrupt(SIGINT);
        printer.abortDoc();
        Platform::clearInterrupt();
        EXPECT_FALSE(printer.printing());
        EXPECT_EQ(Cups::unfinishedJobs(test.queue, test.server), QList<int> {});
    }
}

// zanto printers, check-driver and the current printer's port, with the
// private print server.
#include "cupsharness.h"
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace ZantoTest;

namespace {

QStringList args(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

// The line of printers' output that names printer, or empty.
QByteArray lineOf(const QByteArray &output, const QString &printer)
{
    for (const QByteArray &line : output.split('\n')) {
        if (line.mid(2).startsWith(printer.toUtf8() + ' '))
            return line;
    }
    return {};
}

} // namespace

TEST(CliPrinters, TheDefaultQueueIsCurrentAndTakesRawData)
{
    ASSERT_TRUE(Cups::available());
    const ProcessResult result = runZanto(args({"printers"}));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(lineOf(result.out, Cups::defaultQueue()),
        QStringLiteral("* %1 raw    %2  (default)")
            .arg(Cups::defaultQueue(), -24)
            .arg(Cups::defaultQueueUri())
            .toUtf8());

    const ProcessResult check = runZanto(args({"check-driver"}));
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out, Cups::defaultQueue().toUtf8() + ": takes raw data\n");
}

TEST(CliPrinters, AnIppPrinterWithoutRawData)
{
    const QString printer = Cups::noRawPrinterUri();
    const ProcessResult result = runZanto(args({"printers", "--printer"}) << printer);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(
        lineOf(result.out, printer), QStringLiteral("* %1 no-raw %1").arg(printer, -24).toUtf8());
    EXPECT_TRUE(lineOf(result.out, Cups::defaultQueue()).startsWith("  "));

    const ProcessResult check = runZanto(args({"check-driver", "--printer"}) << printer);
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.err,
        "zanto check-driver: " + printer.toUtf8()
            + ": does not take raw data\nzanto check-driver: The selected printer driver does not "
              "allow direct communications. Please use the Generic/Text only "
              "driver for this printer\n");
}

TEST(CliPrinters, AnUnknownPrinter)
{
    const ProcessResult result = runZanto(args({"check-driver", "--printer", "no-such-queue"}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto check-driver: There is no printer named 'no-such-queue' on the print server "
            + Cups::server().toUtf8() + "\n");
}

TEST(CliPrinters, SendToTheCurrentPortWritesToTheQueuesDevice)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-cli-port"));
    const ProcessResult ports = runZanto(args({"ports", "--printer"}) << queue.name());
    ASSERT_EQ(ports.exitCode, 0) << ports.err.constData();
    EXPECT_TRUE(ports.out.contains("\npoCurrent  " + queue.deviceUri().toUtf8() + "\n"));

    const ProcessResult send = runZanto(
        args({"send", "--port", "current", "--bytes", "27,64,0,255", "--printer"}) << queue.name());
    ASSERT_EQ(send.exitCode, 0) << send.err.constData();
    EXPECT_EQ(queue.received(1), QByteArrayList {QByteArray("\x1b@\x00\xff", 4)});
}

TEST(CliPrinters, DestinationPrintsThroughTheQueueAndAProfileCanNameIt)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-cli-destination"));
    const QStringList plain = args({"print", "--printer-type", "plain"});
    ProcessResult result = runZanto(plain + args({"-d"}) << queue.name(), "one\ntwo\n");
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    // A range of lines goes straight to the queue's device.
    result = runZanto(
        plain + args({"--from-line", "2", "--destination"}) << queue.name(), "one\ntwo\n");
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();

    // [default]'s destination, replaced by the command line's -o.
    TempDir home;
    QDir(home.path()).mkdir(QStringLiteral("zantoquiller"));
    home.write(QStringLiteral("zantoquiller/zanto.conf"),
        "[default]\ndestination = " + queue.name().toUtf8() + "\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    result = runZanto(plain, "three\n", environment);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    result = runZanto(
        plain + args({"-o"}) << home.filePath(QStringLiteral("out.prn")), "four\n", environment);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(home.read(QStringLiteral("out.prn")), "four\r\n");

    EXPECT_EQ(queue.received(3), (QByteArrayList {"one\r\ntwo\r\n", "two\r\n", "three\r\n"}));
}

// zanto send and zanto ports, without a print server.
#include "loopbackprinter.h"
#include "processrunner.h"
#include "pseudoterminal.h"
#include "systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include <QProcess>

using namespace ZantoTest;

namespace {

QStringList args(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

// Every byte value, then random bytes: more than one piece of the reads.
QByteArray everyByte()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    std::mt19937 random(256);
    while (bytes.size() < 200000)
        bytes += char(std::uniform_int_distribution<int>(0, 255)(random));
    return bytes;
}

} // namespace

TEST(CliSend, TextAndCodeListsGoToTheFileUnchanged)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    ProcessResult result = runZanto(args({"send", "--port", "file", "-o"})
        << file << QStringLiteral("--text") << QStringLiteral("A\tB\r\n"));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "A\tB\r\n");

    result = runZanto(args({"send", "--port", "FILE", "--bytes", "27, 69,0,255,", "-o"}) << file);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), QByteArray("\x1b\x45\x00\xff", 4));

    result = runZanto(
        args({"send", "--port", "FILE", "-o"}) << file << QStringLiteral("--text") << QString());
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "");
}

TEST(CliSend, AFileOrStandardInputGoesOutByteForByte)
{
    TempDir dir;
    const QByteArray bytes = everyByte();
    dir.write(QStringLiteral("ready.prn"), bytes);
    const QString input = dir.filePath(QStringLiteral("ready.prn"));
    const QString output = dir.filePath(QStringLiteral("out.prn"));

    // A named file, to a file.
    ProcessResult result = runZanto(args({"send", "-o"}) << output << input);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(dir.read(QStringLiteral("out.prn")) == bytes);
    // Standard input, to standard output.
    result = runZanto(args({"send", "-o", "-"}), bytes);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out == bytes);
    // "-" for standard input; nothing at all empties the file.
    result = runZanto(args({"send", "-o"}) << output << QStringLiteral("-"), {});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "");

    // To a network printer, in one connection.
    LoopbackPrinter printer;
    result = runZanto(args({"send", "--to"}) << printer.uri() << input);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    ASSERT_TRUE(printer.waitForConnections(1));
    const QByteArrayList received = printer.received();
    ASSERT_EQ(received.size(), 1);
    EXPECT_TRUE(received.constFirst() == bytes);

    // Never over its own input.
    result = runZanto(args({"send", "-o"}) << input << input);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(dir.read(QStringLiteral("ready.prn")) == bytes);
}

TEST(CliSend, BytesThatAreNotUtf8StayAsTheyWere)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    QProcess shell;
    // The shell hands the program the single bytes 233 ('e' acute in Latin-1).
    shell.start(QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
            QStringLiteral(
                "exec \"$0\" send --port FILE -o \"$1\" --text \"$(printf '\\351t\\351')\""),
            builtProgram(QStringLiteral("zanto")), file});
    ASSERT_TRUE(shell.waitForFinished(60000));
    ASSERT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().constData();
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "\xe9t\xe9");
}

TEST(CliSend, FailuresPrintTheMessageAndTheReason)
{
    ProcessResult result
        = runZanto(args({"send", "--port", "FILE", "-o", "/dev/full", "--text", "lost"}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto send: cannot write to /dev/full: " + childOsReason(ENOSPC).toLocal8Bit() + "\n");

    result = runZanto(args({"send", "--port", "FILE", "--text", "text"}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "zanto send: Failed to open port: no device or file name given\n");

    TempDir dir;
    result = runZanto(args({"send", "--port", "LPT2", "--device"})
        << (QStringLiteral("LPT2=") + dir.filePath(QStringLiteral("lp1")))
        << QStringLiteral("--text") << QStringLiteral("x"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto send: cannot open " + dir.filePath(QStringLiteral("lp1")).toUtf8() + ": "
            + childOsReason(ENOENT).toLocal8Bit() + "\n");
}

TEST(CliSend, ADeviceMappedToAPseudoTerminal)
{
    PseudoTerminal terminal;
    const ProcessResult result
        = runZanto(args({"send", "--port", "com1", "--bytes", "0,10,13,27,255", "--device"})
            << (QStringLiteral("COM1=") + terminal.path()));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(terminal.read(5), QByteArray("\x00\x0a\x0d\x1b\xff", 5));
}

TEST(CliSend, UsageErrors)
{
    EXPECT_EQ(runZanto(args({"send", "a", "b"})).exitCode, 2);
    // A file that cannot be read is a failure, as the help says.
    EXPECT_EQ(runZanto(args({"send", "zanto-no-such-file"})).exitCode, 1);
    EXPECT_EQ(runZanto(args({"send", "--bytes", "1", "file"})).exitCode, 2);
    EXPECT_EQ(runZanto(args({"send", "--bytes", "1", "--text", "x"})).exitCode, 2);
    const ProcessResult device
        = runZanto(args({"send", "--device", "LPT9=/dev/null", "--text", "x"}));
    EXPECT_EQ(device.exitCode, 2);
    EXPECT_EQ(device.err,
        "zanto send: --device: 'LPT9' is not a device name (one of: LPT1, LPT2, "
        "COM1, COM2, COM3, COM4)\n");
    EXPECT_EQ(runZanto(args({"send", "--device", "LPT1", "--text", "x"})).exitCode, 2);
    EXPECT_EQ(runZanto(args({"send", "--port", "LPT3", "--text", "x"})).exitCode, 2);
    // A code list the parser refuses is the component's error.
    EXPECT_EQ(
        runZanto(args({"send", "-o", "/dev/null", "--port", "FILE", "--bytes", "256"})).exitCode,
        1);
}

TEST(CliPorts, EveryPortWithItsDeviceName)
{
    const ProcessResult result
        = runZanto(args({"ports", "-o", "out.prn", "--device", "com2=socket://127.0.0.1:9100"}));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    const QByteArray server = qgetenv("CUPS_SERVER");
    EXPECT_EQ(result.out,
        "poLPT1     LPT1  /dev/lp0\n"
        "poLPT2     LPT2  /dev/lp1\n"
        "poCOM1     COM1  /dev/ttyS0\n"
        "poCOM2     COM2  socket://127.0.0.1:9100\n"
        "poCOM3     COM3  /dev/ttyS2\n"
        "poCOM4     COM4  /dev/ttyS3\n"
        "poCurrent  Invalid Port ID (Cannot reach the print server "
            + server + ": " + childOsReason(ENOENT).toLocal8Bit()
            + ")\n"
              "poDisk     out.prn\n");
}

TEST(CliPrint, AnAbsentPrintServerIsUnreachable)
{
    const QByteArray server = qgetenv("CUPS_SERVER");
    for (const QStringList &arguments :
        {args({"print", "-d", "queue"}), args({"printers"}), args({"check-driver"})}) {
        const ProcessResult result = runZanto(arguments, "x");
        EXPECT_EQ(result.exitCode, 3) << arguments.join(u' ').toStdString();
        EXPECT_EQ(result.err,
            "zanto " + arguments.constFirst().toUtf8() + ": Cannot reach the print server " + server
                + ": " + childOsReason(ENOENT).toLocal8Bit() + "\n");
    }
}

// print, status and preview of one destination agree: what print writes to a
// file (named by path or file: URI) or sends to a network printer is what
// preview reads, and status answers for the same destination.
TEST(CliDestinations, PrintStatusAndPreviewOfOneDestinationAgree)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    const QByteArray text = "first line\nsecond line\n";
    const QStringList plain {QStringLiteral("--printer-type"), QStringLiteral("plain")};
    const auto preview = [&](const QStringList &input, const QByteArray &bytes = {}) {
        const ProcessResult shown
            = runZanto(QStringList {QStringLiteral("preview"), QStringLiteral("--no-attributes")}
                    + plain + input,
                bytes);
        EXPECT_EQ(shown.exitCode, 0) << shown.err.constData();
        return shown.out;
    };
    QByteArray printed;
    for (const QString &destination : {file, QStringLiteral("file://") + file}) {
        SCOPED_TRACE(destination.toStdString());
        const ProcessResult result = runZanto(
            QStringList {QStringLiteral("print"), QStringLiteral("-o"), destination} + plain, text);
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        printed = dir.read(QStringLiteral("out.prn"));
        EXPECT_EQ(printed, "first line\r\nsecond line\r\n");
        const ProcessResult status = runZanto({QStringLiteral("status"), destination});
        EXPECT_EQ(status.exitCode, 0) << status.out.constData();
        EXPECT_TRUE(status.out.startsWith(destination.toUtf8() + ": ready\n"))
            << status.out.constData();
    }
    const QByteArray fromFile = preview({file});
    EXPECT_TRUE(fromFile.contains("first line")) << fromFile.constData();
    EXPECT_EQ(preview({QStringLiteral("file://") + file}), fromFile);

    const LoopbackPrinter printer(QByteArray("INFO STATUS\r\n\x1b%-12345X"),
        QByteArray("@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"00 READY\"\r\nONLINE=TRUE\r\n\f"));
    ProcessResult result = runZanto(
        QStringList {QStringLiteral("print"), QStringLiteral("--to"), printer.uri()} + plain, text);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received().value(0), printed);
    EXPECT_EQ(preview({}, printer.received().value(0)), fromFile);
    result = runZanto({QStringLiteral("status"), printer.uri()});
    EXPECT_EQ(result.exitCode, 0) << result.out.constData();
    EXPECT_TRUE(result.out.startsWith(printer.uri().toUtf8() + ": ready\n"))
        << result.out.constData();

    // A form no destination has is refused before anything is sent, with
    // the reason, by every command.
    const QString bad = QStringLiteral("serial:/dev/ttyS0?baud=fast");
    for (const QStringList &arguments : {QStringList {QStringLiteral("status"), bad},
             QStringList {QStringLiteral("send"), QStringLiteral("--text"), QStringLiteral("x"),
                 QStringLiteral("--to"), bad},
             QStringList {QStringLiteral("print"), QStringLiteral("-o"), bad}}) {
        result = runZanto(arguments, text);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.err.contains("'" + bad.toUtf8()
            + "' is not a destination: 'fast' "
              "is not a baud rate\n"))
            << result.err.constData();
    }
}

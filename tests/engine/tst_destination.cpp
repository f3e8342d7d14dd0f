// Destinations read from text and printed back, the forms refused with their
// reasons, and a component printing to its own destination.
#include "loopbackprinter.h"
#include "tempdir.h"

#include <zantoquiller/destination.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>

using namespace Zanto;
using namespace ZantoTest;
using Kind = Destination::Kind;

TEST(Destination, EveryFormIsReadAndPrintedBackAsTheSameDestination)
{
    const struct
    {
        const char *text;
        Kind kind;
        const char *part; // the queue, device name, path or host
        const char *printed; // toString()
        const char *serial = "";
        quint16 port = 0;
    } rows[] = {
        {"", Kind::CurrentPrinter, "", ""},
        {"-", Kind::StandardOutput, "", "-"},
        {"office", Kind::Queue, "office", "office"},
        {"Lab_Printer-2", Kind::Queue, "Lab_Printer-2", "Lab_Printer-2"},
        {"ipp://print.example/printers/lab", Kind::IppPrinter, "ipp://print.example/printers/lab",
            "ipp://print.example/printers/lab"},
        {"ipps://[::1]:631/ipp/print", Kind::IppPrinter, "ipps://[::1]:631/ipp/print",
            "ipps://[::1]:631/ipp/print"},
        {"LPT1", Kind::DeviceName, "LPT1", "LPT1"},
        {"lpt2", Kind::DeviceName, "LPT2", "LPT2"},
        {"Com4", Kind::DeviceName, "COM4", "COM4"},
        {"/dev/usb/lp0", Kind::DevicePath, "/dev/usb/lp0", "/dev/usb/lp0"},
        {"/tmp/out.prn", Kind::File, "/tmp/out.prn", "/tmp/out.prn"},
        {"jobs/out.prn", Kind::File, "jobs/out.prn", "jobs/out.prn"},
        {"./out.prn", Kind::File, "./out.prn", "./out.prn"},
        {"a:b", Kind::File, "a:b", "./a:b"},
        {"file:/tmp/out.prn", Kind::File, "/tmp/out.prn", "/tmp/out.prn"},
        {"file:///tmp/with%20space", Kind::File, "/tmp/with space", "/tmp/with space"},
        {"file://localhost/dev/null", Kind::File, "/dev/null", "file:///dev/null"},
        {"parallel:/dev/lp0", Kind::Parallel, "/dev/lp0", "parallel:/dev/lp0"},
        {"parallel:///dev/a%3Fb", Kind::Parallel, "/dev/a?b", "parallel:/dev/a%3Fb"},
        {"serial:/dev/ttyS0", Kind::Serial, "/dev/ttyS0", "serial:/dev/ttyS0"},
        {"serial:/dev/ttyUSB0?stop=2&flow=xonxoff+bits=7+parity=even+baud=9600", Kind::Serial,
            "/dev/ttyUSB0", "serial:/dev/ttyUSB0?baud=9600+bits=7+parity=even+flow=soft+stop=2",
            "baud=9600+bits=7+parity=even+flow=soft+stop=2"},
        {"serial:/dev/ttyS1?flow=rtscts", Kind::Serial, "/dev/ttyS1", "serial:/dev/ttyS1?flow=hard",
            "flow=hard"},
        {"socket://192.0.2.7", Kind::Socket, "192.0.2.7", "socket://192.0.2.7:9100", "", 9100},
        {"socket://printer.example:9101/?waiteof=false", Kind::Socket, "printer.example",
            "socket://printer.example:9101", "", 9101},
        {"socket://[2001:db8::7]:515", Kind::Socket, "2001:db8::7", "socket://[2001:db8::7]:515",
            "", 515},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const Destination read = Destination::parse(QString::fromUtf8(row.text));
        EXPECT_EQ(read.kind(), row.kind);
        const QString part = QString::fromUtf8(row.part);
        const QString parts[] = {read.queueName(), read.deviceName(), read.path(), read.host()};
        EXPECT_EQ(std::count(std::begin(parts), std::end(parts), part), part.isEmpty() ? 4 : 1);
        EXPECT_EQ(read.serialOptions(), QString::fromUtf8(row.serial));
        EXPECT_EQ(read.port(), row.port);
        EXPECT_EQ(read.toString(), QString::fromUtf8(row.printed));
        EXPECT_EQ(Destination::parse(read.toString()), read);
        EXPECT_FALSE(read == Destination::parse(QStringLiteral("elsewhere")));
    }
    // Made rather than read, and printed back as the same destination.
    for (const Destination &made : {Destination::file(QStringLiteral("out.prn")),
             Destination::file(QStringLiteral("/dev/shm/out")), Destination::standardOutput(),
             Destination::ofPort(poCOM2), Destination::ofPort(poCurrent),
             Destination::queue(QStringLiteral("office"))}) {
        SCOPED_TRACE(made.toString().toStdString());
        EXPECT_EQ(Destination::parse(made.toString()), made);
    }
}

TEST(Destination, BadFormsAreRefusedWithTheirReason)
{
    const struct
    {
        const char *text;
        const char *reason;
    } rows[] = {
        {"ipp://", "an IPP printer's URI has the form ipp://HOST/PATH"},
        {"usb://EPSON/TM-T88V",
            "printers of the kind usb: take their data only through the spooler"},
        {"socket://", "the URI names no host"},
        {"socket://host:99999", "'99999' is not a port number"},
        {"socket:/host", "a socket URI has the form socket://host:port"},
        {"serial:/dev/ttyS0?baud=fast", "'fast' is not a baud rate"},
        {"serial:/dev/ttyS0?bits=9", "'9' is not a number of data bits (5 to 8)"},
        {"serial:/dev/ttyS0?parity=sometimes",
            "'sometimes' is not a parity (none, even, odd, mark or space)"},
        {"serial:/dev/ttyS0?speed=9600", "unknown serial option 'speed'"},
        {"parallel://printhost/dev/lp0", "only local paths can be opened"},
        {"file:/tmp/%zz", "malformed percent escape in the URI"},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        try {
            Destination::parse(text);
            ADD_FAILURE() << row.text << " was read";
        } catch (const EConvertError &error) {
            EXPECT_EQ(error.Message(),
                QStringLiteral("'%1' is not a destination: %2")
                    .arg(text, QString::fromUtf8(row.reason)));
        }
    }
    // What only some callers take.
    try {
        Destination::queue(QStringLiteral("/dev/lp0"));
        ADD_FAILURE() << "a device path was taken for a queue";
    } catch (const EConvertError &error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("'/dev/lp0' is not a print queue: a queue is named by a name without / "
                           "or :, or by an ipp:// URI"));
    }
    EXPECT_THROW(Destination::queue(QStringLiteral("LPT1")), EConvertError);
    EXPECT_THROW(Destination::queue(QString()), EConvertError);
    EXPECT_THROW(
        Destination::existingTarget(QStringLiteral("ipp://host/printers/x")), EConvertError);
    EXPECT_THROW(Destination::ofPort(poDisk), EConvertError);
    // Jobs are asked of queues only, before any print server is reached.
    EXPECT_THROW(printJobs(QStringLiteral("/dev/lp0")), EPrinter);
    EXPECT_THROW(printJobs(Destination::parse(QStringLiteral("socket://127.0.0.1:9"))), EPrinter);
    EXPECT_THROW(cancelAllPrintJobs(Destination::standardOutput()), EPrinter);
    // A name that would be a queue's is, as a target, a path that must exist.
    EXPECT_EQ(Destination::existingTarget(QStringLiteral("device")).kind(), Kind::DevicePath);
    EXPECT_EQ(Destination::existingTarget(QStringLiteral("/tmp/x")).kind(), Kind::DevicePath);
    EXPECT_EQ(Destination::existingTarget(QStringLiteral("file:/tmp/x")).kind(), Kind::File);
}

TEST(Destination, PortAndOutputFileMapOntoTheComponentsDestination)
{
    TZantoquiller component;
    EXPECT_EQ(component.destination(), Destination::parse(QStringLiteral("LPT1")));
    component.SetPort(poCOM3);
    EXPECT_EQ(component.destination(), Destination::parse(QStringLiteral("com3")));
    component.SetPort(poCurrent);
    EXPECT_EQ(component.destination(), Destination());
    component.SetPort(poDisk);
    component.SetOutputFile(QStringLiteral("out.prn"));
    EXPECT_EQ(component.destination(), Destination::file(QStringLiteral("out.prn")));

    const Destination socket = Destination::parse(QStringLiteral("socket://127.0.0.1:9"));
    component.setDestination(socket);
    EXPECT_EQ(component.destination(), socket);
    EXPECT_EQ(component.Port(), poDisk); // the original properties keep their values
    EXPECT_EQ(component.OutputFile(), QStringLiteral("out.prn"));
    EXPECT_EQ(devicePath(QStringLiteral("LPT1")), QStringLiteral("/dev/lp0"));
    component.SetOutputFile(QStringLiteral("other.prn"));
    EXPECT_EQ(component.destination(), Destination::file(QStringLiteral("other.prn")));
}

// What a print writes to a destination, status answers for; two components
// print to their own destinations without changing the process's devices.
TEST(Destination, PrintAndStatusOfOneDestinationAgree)
{
    TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.prn"));
    const LoopbackPrinter printer(QByteArray("INFO STATUS\r\n\x1b%-12345X"),
        QByteArray("@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"00 READY\"\r\nONLINE=TRUE\r\n\f"));
    const Destination toFile = Destination::parse(QStringLiteral("file://") + file);
    const Destination toPrinter = Destination::parse(printer.uri());

    TZantoquiller a;
    TZantoquiller b;
    a.setDestination(toFile);
    b.setDestination(toPrinter);
    a.PrintString("to the file\r\n");
    b.PrintString("to the printer\r\n");
    a.PrintString("again\r\n"); // a direct call starts the file anew
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "again\r\n");
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received().value(0), "to the printer\r\n");
    EXPECT_EQ(devicePath(QStringLiteral("LPT1")), QStringLiteral("/dev/lp0"));

    for (const PrinterStatus &status : {printerStatus(toFile), a.QueryStatus()}) {
        EXPECT_TRUE(status.reachable);
        EXPECT_EQ(status.state, PrinterState::Ready);
    }
    const PrinterStatus network = b.QueryStatus();
    EXPECT_TRUE(network.reachable);
    EXPECT_EQ(network.state, PrinterState::Ready);
    EXPECT_EQ(printerStatus(toPrinter).destination, printer.uri());

    // A device path that must exist is never made.
    const Destination missing = Destination::existingTarget(dir.filePath(QStringLiteral("none")));
    a.setDestination(missing);
    EXPECT_THROW(a.PrintString("x"), EInOutError);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none"))));
    EXPECT_FALSE(a.QueryStatus().reachable);
}

// The output channel without a print server: CUPS_SERVER points at a socket
// that does not exist, so any use of the spooler would show.
#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/zantoquiller.h>

#include "loopbackprinter.h"
#include "pseudoterminal.h"
#include "systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <QFile>

#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace Zanto;
using namespace ZantoTest;
using namespace std::chrono_literals;

namespace {

struct Failure
{
    QString kind;
    QString message;
    QString reason;
};

// What call raised: its class, message and (for EInOutError) reason.
template<typename Call> Failure failureOf(Call call)
{
    try {
        call();
    } catch (const EInOutError &error) {
        return {QStringLiteral("EInOutError"), error.Message(), error.Reason()};
    } catch (const EConvertError &error) {
        return {QStringLiteral("EConvertError"), error.Message(), {}};
    } catch (const EPrinter &error) {
        return {QStringLiteral("EPrinter"), error.Message(), {}};
    } catch (const Exception &error) {
        return {QStringLiteral("Exception"), error.Message(), {}};
    }
    return {QStringLiteral("none"), {}, {}};
}

const QByteArray controlBytes("\x00\x0a\x0d\x1b\xff", 5);

class OutputChannel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetDevicePaths();
        descriptors = openDescriptorCount();
    }
    void TearDown() override
    {
        resetDevicePaths();
        EXPECT_EQ(openDescriptorCount(), descriptors) << "a handle was left open";
    }

    // A component that prints to file name in the temporary folder.
    void toFile(const QString &name)
    {
        component.SetPort(poDisk);
        component.SetOutputFile(dir.filePath(name));
    }

    TempDir dir;
    TZantoquiller component;
    int descriptors = 0;
};

} // namespace

TEST_F(OutputChannel, PortToStringNamesTheFixedDevicesAndTheOutputFile)
{
    EXPECT_EQ(component.PortToString(poLPT1), u"LPT1");
    EXPECT_EQ(component.PortToString(poLPT2), u"LPT2");
    EXPECT_EQ(component.PortToString(poCOM1), u"COM1");
    EXPECT_EQ(component.PortToString(poCOM3), u"COM3");
    EXPECT_EQ(component.PortToString(poCOM4), u"COM4");
    EXPECT_EQ(component.PortToString(poDisk), u"");
    component.SetOutputFile(QStringLiteral(" spaced name.prn "));
    EXPECT_EQ(component.PortToString(poDisk), u" spaced name.prn ");
}

TEST_F(OutputChannel, AnOutOfRangePortIsInvalidThenFailsToOpen)
{
    for (const int value : {8, 9, -1, 1000}) {
        const Failure name = failureOf([&] { component.PortToString(TIOPortName(value)); });
        EXPECT_EQ(name.kind, u"EConvertError");
        EXPECT_EQ(name.message, u"Invalid Port ID");

        component.SetPort(TIOPortName(value));
        const Failure print = failureOf([&] { component.PrintString("x"); });
        EXPECT_EQ(print.kind, u"EInOutError");
        EXPECT_EQ(print.message, u"Failed to open port");
        EXPECT_EQ(print.reason,
            QStringLiteral("port value %1 is not one of LPT1 to COM4, the "
                           "current printer or a disk file")
                .arg(value));
    }
}

TEST_F(OutputChannel, WithoutAPrintServerTheCurrentPortIsInvalid)
{
    EXPECT_EQ(failureOf([&] { component.PortToString(poCurrent); }).message, u"Invalid Port ID");
    component.SetPort(poCurrent);
    const Failure print = failureOf([&] { component.PrintString("x"); });
    EXPECT_EQ(print.message, u"Failed to open port");
    EXPECT_TRUE(print.reason.startsWith(u"Cannot reach the print server "))
        << print.reason.toStdString();
    const Failure check = failureOf([&] { component.DriverCompatible(); });
    EXPECT_EQ(check.kind, u"EPrinter");
    EXPECT_TRUE(check.message.startsWith(u"Cannot reach the print server "))
        << check.message.toStdString();
}

TEST_F(OutputChannel, AnEmptyOutputFileFailsToOpen)
{
    component.SetPort(poDisk);
    const Failure failure = failureOf([&] { component.PrintString("x"); });
    EXPECT_EQ(failure.kind, u"EInOutError");
    EXPECT_EQ(failure.message, u"Failed to open port");
    EXPECT_EQ(failure.reason, u"no device or file name given");
}

TEST_F(OutputChannel, AMissingFolderFailsToOpen)
{
    toFile(QStringLiteral("no-such-folder/out.prn"));
    const Failure failure = failureOf([&] { component.PrintBuffer("x", 1); });
    EXPECT_EQ(failure.message, u"Failed to open port");
    EXPECT_EQ(failure.reason,
        dir.filePath(QStringLiteral("no-such-folder/out.prn")) + QStringLiteral(": ")
            + osReason(ENOENT));
}

TEST_F(OutputChannel, AFullDiskFailsToWrite)
{
    component.SetPort(poDisk);
    component.SetOutputFile(QStringLiteral("/dev/full"));
    const Failure failure = failureOf([&] { component.PrintString("lost"); });
    EXPECT_EQ(failure.kind, u"EInOutError");
    EXPECT_EQ(failure.message, u"Failed to write to port");
    EXPECT_EQ(failure.reason, QStringLiteral("/dev/full: ") + osReason(ENOSPC));
}

TEST_F(OutputChannel, EachPrintStringReplacesTheFile)
{
    toFile(QStringLiteral("out.prn"));
    component.PrintString("first call");
    component.PrintString(controlBytes);
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), controlBytes);
    component.PrintString("");
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("out.prn"))));
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "");
    component.PrintBuffer("ABC", 2);
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "AB");
}

TEST_F(OutputChannel, ANegativeCountWritesNothing)
{
    toFile(QStringLiteral("out.prn"));
    dir.write(QStringLiteral("out.prn"), "old");
    const Failure failure = failureOf([&] { component.PrintBuffer("x", -5); });
    EXPECT_EQ(failure.message, u"Failed to write to port");
    EXPECT_EQ(failure.reason,
        dir.filePath(QStringLiteral("out.prn"))
            + QStringLiteral(": no valid data to write (-5 bytes)"));
}

TEST_F(OutputChannel, TheSpoolerNeverCarriesDirectOutput)
{
    // With UseSpooler set the bytes still go to the port; the print server
    // (which does not exist here) is never asked.
    component.SetUseSpooler(true);
    toFile(QStringLiteral("out.prn"));
    component.PrintString("to the file");
    EXPECT_EQ(dir.read(QStringLiteral("out.prn")), "to the file");

    PseudoTerminal terminal;
    ASSERT_TRUE(setDevicePath(QStringLiteral("COM2"), terminal.path()));
    component.SetPort(poCOM2);
    component.PrintBuffer("to the port", 11);
    EXPECT_EQ(terminal.read(11), "to the port");
}

TEST_F(OutputChannel, APseudoTerminalAsCom1GetsEveryByteAndKeepsItsSettings)
{
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    ASSERT_TRUE(setDevicePath(QStringLiteral("COM1"), terminal.path()));
    component.SetPort(poCOM1);
    component.PrintString(controlBytes);
    EXPECT_EQ(terminal.read(controlBytes.size()), controlBytes);
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
}

TEST_F(OutputChannel, ATerminalThatNobodyReadsTimesOut)
{
    PseudoTerminal terminal;
    const termios before = terminal.settings();
    ASSERT_TRUE(setDevicePath(QStringLiteral("COM1"), terminal.path()));
    component.SetPort(poCOM1);
    component.SetTimeout(200);
    const QByteArray block(1 << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    const Failure failure = failureOf([&] { component.PrintString(block); });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(failure.message, u"Failed to write to port");
    EXPECT_TRUE(failure.reason.startsWith(terminal.path() + QStringLiteral(": the device took ")))
        << failure.reason.toStdString();
    EXPECT_TRUE(failure.reason.endsWith(u" of 1048576 bytes within the time-out of 200 ms"))
        << failure.reason.toStdString();
    EXPECT_GE(elapsed, 190ms);
    EXPECT_LT(elapsed, 20s);
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
}

TEST_F(OutputChannel, AMissingDeviceFailsToOpenAndIsNotCreated)
{
    ASSERT_TRUE(setDevicePath(QStringLiteral("LPT1"), dir.filePath(QStringLiteral("lp0"))));
    component.SetPort(poLPT1);
    const Failure failure = failureOf([&] { component.PrintString("x"); });
    EXPECT_EQ(failure.message, u"Failed to open port");
    EXPECT_EQ(failure.reason,
        dir.filePath(QStringLiteral("lp0")) + QStringLiteral(": ") + osReason(ENOENT));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("lp0"))));
}

TEST_F(OutputChannel, TcpPrinters)
{
    LoopbackPrinter printer;
    ASSERT_TRUE(setDevicePath(QStringLiteral("LPT2"), printer.uri()));
    component.SetPort(poLPT2);
    component.PrintString(controlBytes);
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    component.PrintString("second");
    ASSERT_TRUE(printer.waitForConnections(2));
    EXPECT_EQ(printer.received(), (QByteArrayList {controlBytes, "second"}));

    const QString refused = QStringLiteral("socket://127.0.0.1:%1").arg(refusingLoopbackPort());
    component.SetOutputFile(refused);
    const Failure failure = failureOf([&] { component.PrintString("x"); });
    EXPECT_EQ(failure.message, u"Failed to open port");
    EXPECT_EQ(failure.reason, refused + QStringLiteral(": ") + osReason(ECONNREFUSED));
}

TEST_F(OutputChannel, ATcpPrinterOutOfPaperKeepsTheWriteWaitingUntilItTakesData)
{
    // The printer reads nothing until paper is loaded, here after the write
    // has waited two whole time-outs; then it takes everything.
    std::atomic<bool> loaded = false;
    std::atomic<qint64> taken = 0;
    LoopbackPrinter printer([&](int connection, const std::atomic<bool> &stopped) {
        while (!stopped) {
            if (!loaded) {
                std::this_thread::sleep_for(5ms);
                continue;
            }
            const QByteArray got = readSome(connection, 1000ms);
            if (got.isEmpty())
                return;
            taken += got.size();
        }
    });
    std::atomic<int> stalls = 0;
    setPrinterStallReport([&](const QString &name) {
        if (name == printer.uri() && ++stalls == 2)
            loaded = true;
    });
    component.SetPort(poDisk);
    component.SetOutputFile(printer.uri());
    component.SetTimeout(200);
    const QByteArray block(8 << 20, 'x');
    const Failure failure = failureOf([&] { component.PrintString(block); });
    setPrinterStallReport({});
    EXPECT_EQ(failure.kind, u"none") << failure.reason.toStdString();
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(taken.load(), block.size());
    EXPECT_EQ(stalls.load(), 2);
}

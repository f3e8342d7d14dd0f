// Memo prints through the private CUPS server: a whole-text print with
// UseSpooler is one raw job carrying the same bytes as the print sent
// straight to a file; range prints never spool.
#include "cupsharness.h"
#include "memotestsupport.h"
#include "processrunner.h"
#include "tempdir.h"

#include <zantoquiller/platform/printer.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Zanto;
using namespace ZantoTest;

namespace {

const QByteArray Text
    = "~Invoice^ 4217\r\n\r\nPaper, A4, white   12   311.40\r\nToner   4   359.96\r\n"
      "Total   671.36\r\nThank you\r\nfor your custom.";

class CupsMemo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Cups::available()) << "run through ctest: the test needs the private server";
        component.SetPrinterType(ptEpson);
        component.SetLinesPerPage(3);
        component.SetLineWidth(20);
        component.SetOffset(2);
        component.TransIn() << "~"
                            << "^";
        component.TransOut() << "\x1BG"
                             << "\x1BH";
        component.SetOutputFile(dir.filePath(QStringLiteral("direct.prn")));
    }
    void TearDown() override { selectDefaultPrinter(); }

    // The bytes of the same print sent straight to a file.
    QByteArray directBytes(qint32 fromLine = 0, qint32 toLine = 0)
    {
        const TIOPortName port = component.Port();
        const bool spooler = component.UseSpooler();
        component.SetPort(poDisk);
        component.SetUseSpooler(false);
        MemoryText text(Text);
        if (fromLine == 0)
            PrintMemoText(component, text);
        else
            PrintMemoTextLines(component, text, fromLine, toLine);
        component.SetPort(port);
        component.SetUseSpooler(spooler);
        return readFile(component.OutputFile());
    }

    TempDir dir;
    TZantoquiller component;
};

} // namespace

TEST_F(CupsMemo, AWholeTextPrintIsOneRawJobWithTheBytesOfADirectPrint)
{
    const QByteArray expected = directBytes();
    // Page ends: CR from the memo printer, FF from the new page.
    ASSERT_NE(expected.indexOf("\r\f"), -1);

    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-whole"));
    selectPrinter(queue.name());
    component.SetUseSpooler(true);
    component.SetPort(poLPT1); // not used in spooler mode
    MemoryText text(Text);
    PrintMemoText(component, text);
    EXPECT_EQ(queue.received(1), QByteArrayList {expected});
}

TEST_F(CupsMemo, LineZeroOfARangeIsTheWholeTextAndSpoolsToo)
{
    const QByteArray expected = directBytes();
    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-line0"));
    selectPrinter(queue.name());
    component.SetUseSpooler(true);
    MemoryText text(Text);
    PrintMemoTextLines(component, text, 0, 2);
    EXPECT_EQ(queue.received(1), QByteArrayList {expected});
}

TEST_F(CupsMemo, ARangeOfLinesGoesStraightToThePortEvenWithTheSpooler)
{
    component.SetLineWidth(0);
    const QByteArray expected = directBytes(2, 4);
    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-range"));
    selectPrinter(queue.name());
    const int lastJob = Platform::printer().jobId();
    component.SetUseSpooler(true);
    component.SetPort(poCurrent); // the queue's device, opened directly
    MemoryText text(Text);
    PrintMemoTextLines(component, text, 2, 4);
    EXPECT_EQ(Platform::printer().jobId(), lastJob);
    // One connection for the job: the pitch code and three lines, in order.
    EXPECT_EQ(expected,
        QByteArrayList(
            {"\x1BP", "  \r\n", "  Paper, A4, white   12   311.40\r\n", "  Toner   4   359.96\r\f"})
            .join());
    EXPECT_EQ(queue.received(1), QByteArrayList {expected});
}

TEST_F(CupsMemo, ATooLongLineEndsTheDocumentSoThatTheLinesBeforeArePrinted)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-toolong"));
    selectPrinter(queue.name());
    component.SetUseSpooler(true);
    component.SetLineWidth(0);
    MemoryText text("first\r\n" + QByteArray(4000, 'x') + "\r\nlast");
    try {
        PrintMemoText(component, text);
        FAIL() << "no error";
    } catch (const eZantoquillError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Line too long for buffer!  Printing Aborted"));
    }
    EXPECT_FALSE(Platform::printer().printing());
    EXPECT_EQ(queue.received(1), QByteArrayList {"\x1BP  first\r\n"});
}

TEST_F(CupsMemo, APrinterThatRefusesRawDataStopsTheJobBeforeAnythingIsSent)
{
    selectPrinter(Cups::noRawPrinterUri());
    const int lastJob = Platform::printer().jobId();
    component.SetUseSpooler(true);
    MemoryText text(Text);
    try {
        PrintMemoText(component, text);
        FAIL() << "no error";
    } catch (const eZantoquillError &error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("The selected printer driver does not allow direct communications. "
                           "Please use the Generic/Text only driver for this printer"));
    }
    EXPECT_EQ(Platform::printer().jobId(), lastJob);
}

TEST_F(CupsMemo, ZantoPrintWithTheSpoolerSendsTheBytesOfADirectPrint)
{
    const QByteArray input = "one\ntwo\nthree\nfour\nfive and six and seven\n";
    const QString file = dir.filePath(QStringLiteral("cli.prn"));
    const QStringList common {QStringLiteral("print"), QStringLiteral("--printer-type"),
        QStringLiteral("epson"), QStringLiteral("--lines-per-page"), QStringLiteral("2"),
        QStringLiteral("--line-width"), QStringLiteral("10")};
    const ProcessResult direct = runZanto(common
            + QStringList {QStringLiteral("--port"), QStringLiteral("FILE"), QStringLiteral("-o"),
                file},
        input);
    ASSERT_EQ(direct.exitCode, 0) << direct.err.constData();

    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-cli"));
    // The device that --device maps serves ranges only: the whole text
    // goes through the spooler and the device stays as it was.
    const QString device = dir.filePath(QStringLiteral("device"));
    writeFile(device, "untouched");
    const ProcessResult spooled = runZanto(common
            + QStringList {QStringLiteral("--spooler"), QStringLiteral("--printer"), queue.name(),
                QStringLiteral("--device"), QStringLiteral("LPT1=") + device},
        input);
    ASSERT_EQ(spooled.exitCode, 0) << spooled.err.constData();
    EXPECT_EQ(queue.received(1), QByteArrayList {readFile(file)});
    EXPECT_EQ(readFile(device), "untouched");
}

TEST_F(CupsMemo, ZantoPrintWithTheSpoolerSendsTheJobCodesInTheSameDocument)
{
    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-jobcodes"));
    const ProcessResult spooled = runZanto(
        {QStringLiteral("print"), QStringLiteral("--printer-type"), QStringLiteral("epson"),
            QStringLiteral("--lines-per-page"), QStringLiteral("2"), QStringLiteral("--init"),
            QStringLiteral("27,64"), QStringLiteral("--finish"), QStringLiteral("27,105"),
            QStringLiteral("--eject"), QStringLiteral("--spooler"), QStringLiteral("--printer"),
            queue.name()},
        "one\ntwo\nthree\n");
    ASSERT_EQ(spooled.exitCode, 0) << spooled.err.constData();
    // The page the component ended gets its form feed from the spooler's
    // new page; the last one is ejected.
    EXPECT_EQ(queue.received(1), QByteArrayList {"\x1B@\x1BPone\r\ntwo\r\fthree\r\n\f\x1Bi"});
}

TEST_F(CupsMemo, ZantoSendPutsAReadyFileThroughTheQueueByteForByte)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    std::mt19937 random(255);
    while (bytes.size() < 300000)
        bytes += char(std::uniform_int_distribution<int>(0, 255)(random));
    const QString file = dir.filePath(QStringLiteral("ready.prn"));
    writeFile(file, bytes);

    Cups::CaptureQueue queue(QStringLiteral("zanto-send"));
    ProcessResult sent
        = runZanto({QStringLiteral("send"), QStringLiteral("-d"), queue.name(), file});
    ASSERT_EQ(sent.exitCode, 0) << sent.err.constData();
    // Standard input, the same way.
    sent = runZanto({QStringLiteral("send"), QStringLiteral("-d"), queue.name()}, bytes);
    ASSERT_EQ(sent.exitCode, 0) << sent.err.constData();
    // One job each, the bytes unchanged.
    const QByteArrayList received = queue.received(2);
    ASSERT_EQ(received.size(), 2);
    EXPECT_TRUE(received[0] == bytes);
    EXPECT_TRUE(received[1] == bytes);
}

// A component given a queue as its destination prints there as a spooler
// job, and a range of lines to the queue's device, without selecting the
// queue as the process's current printer.
TEST_F(CupsMemo, AQueueDestinationPrintsThereWithoutSelectingIt)
{
    const QByteArray expected = directBytes();
    const QByteArray expectedRange = directBytes(2, 4);
    const QString before = currentPrinterName();
    Cups::CaptureQueue queue(QStringLiteral("zanto-memo-destination"));
    component.setDestination(Destination::queue(queue.name()));
    MemoryText text(Text);
    PrintMemoText(component, text);
    const int job = lastPrintJobId();
    MemoryText range(Text);
    PrintMemoTextLines(component, range, 2, 4);
    EXPECT_EQ(lastPrintJobId(), job); // the range went to the device
    // The direct range may arrive before the spooled job.
    QByteArrayList received = queue.received(2);
    QByteArrayList wanted {expected, expectedRange};
    std::sort(received.begin(), received.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(received, wanted);
    EXPECT_EQ(currentPrinterName(), before);
    EXPECT_EQ(lastPrintJobQueue(), queue.name());
    EXPECT_EQ(component.QueryStatus().destination, queue.name());
}

// Is the printer ready? The decoding of each kind of status report on
// recorded values, and the questions to real parts: a network printer on
// the loopback interface that answers the PJL or ESC/POS query (or nothing),
// an ESC/POS printer on a pseudo-terminal, files and devices that tell
// nothing.
#include <zantoquiller/platform/devicetarget.h>
#include <zantoquiller/platform/printerstatus.h>
#include <zantoquiller/platform/readabletext.h>

#include "loopbackprinter.h"
#include "pseudoterminal.h"
#include "systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/sysmacros.h>
#include <thread>

using namespace Zanto::Platform;
using namespace ZantoTest;
using namespace std::chrono_literals;
using Reasons = std::vector<std::string>;

namespace {

// What a call that waits for a silent printer may add to its time-out on a
// loaded machine.
constexpr auto Margin = 3s;

const std::string PjlReady
    = "\x1b%-12345X@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"00 READY\"\r\n"
      "ONLINE=TRUE\r\n\f";
const std::string PjlPaperOut = "@PJL INFO STATUS\r\nCODE=41000\r\nDISPLAY=\"LOAD LETTER\"\r\n"
                                "ONLINE=FALSE\r\n\f";

} // namespace

TEST(ParallelStatus, TheStatusByteIsDecodedIntoLinesAndAState)
{
    struct Row
    {
        unsigned char byte;
        ParallelLines lines;
        PrinterState state;
        Reasons reasons;
    };
    const Row rows[] = {
        {0xdf, {false, true, false, false}, PrinterState::Ready, {}},
        {0x5f, {false, true, false, true}, PrinterState::Printing, {"the printer is busy"}},
        {0x70, {true, true, true, true}, PrinterState::PaperOut,
            {"the printer reports paper out", "the printer signals an error",
                "the printer is busy"}},
        {0x47, {false, false, true, true}, PrinterState::OffLine,
            {"the printer is not selected (off line)", "the printer signals an error",
                "the printer is busy"}},
        {0xd0, {false, true, true, false}, PrinterState::Error, {"the printer signals an error"}},
    };
    for (const Row &row : rows) {
        const ParallelLines lines = decodeParallelStatus(row.byte);
        EXPECT_EQ(lines.paperOut, row.lines.paperOut) << int(row.byte);
        EXPECT_EQ(lines.selected, row.lines.selected) << int(row.byte);
        EXPECT_EQ(lines.error, row.lines.error) << int(row.byte);
        EXPECT_EQ(lines.busy, row.lines.busy) << int(row.byte);
        const PrinterStatus status = parallelStatus(lines);
        EXPECT_EQ(status.state, row.state) << int(row.byte);
        EXPECT_EQ(status.reasons, row.reasons) << int(row.byte);
    }
    // Only parallel ports (/dev/lp*) and USB printers (/dev/usb/lp*) are
    // asked before a direct print; a terminal (/dev/pts/*) is not.
    EXPECT_TRUE(isPrinterPort(makedev(6, 0)));
    EXPECT_TRUE(isPrinterPort(makedev(180, 1)));
    EXPECT_FALSE(isPrinterPort(makedev(136, 3)));
}

TEST(EscPosStatus, TheThreeAnswersAreDecodedIntoAState)
{
    struct Row
    {
        unsigned char printer, offline, paper;
        PrinterState state;
        Reasons reasons;
    };
    const Row rows[] = {
        {0x16, 0x12, 0x12, PrinterState::Ready, {}},
        {0x12, 0x12, 0x1e, PrinterState::Ready, {"the roll paper is nearly out"}},
        {0x1e, 0x16, 0x12, PrinterState::OffLine, {"the cover is open", "the printer is off line"}},
        {0x1e, 0x32, 0x7e, PrinterState::PaperOut,
            {"the roll paper has run out", "the printer is off line",
                "the roll paper is nearly out"}},
        {0x3e, 0x52, 0x12, PrinterState::Error,
            {"the printer reports an error", "the printer is off line",
                "the printer waits to go on line again"}},
        {0x16, 0x12, 0x92, PrinterState::Unknown,
            {"the printer's answer is not an ESC/POS status"}},
        {'@', 'P', 'J', PrinterState::Unknown, {"the printer's answer is not an ESC/POS status"}},
    };
    for (const Row &row : rows) {
        const PrinterStatus status = escPosStatus(row.printer, row.offline, row.paper);
        EXPECT_EQ(status.state, row.state) << int(row.printer) << ' ' << int(row.offline);
        EXPECT_EQ(status.reasons, row.reasons) << int(row.printer) << ' ' << int(row.offline);
    }
    EXPECT_EQ(escPosStatusRequest(4), std::string("\x10\x04\x04", 3));
}

TEST(PjlStatus, TheAnswerIsReadByItsCode)
{
    struct Row
    {
        std::string answer;
        PrinterState state;
        Reasons reasons;
    };
    const Row rows[] = {
        {PjlReady, PrinterState::Ready, {"PJL status 10001 (informational): \"00 READY\""}},
        {"CODE=10002\nONLINE=FALSE\n\f", PrinterState::OffLine,
            {"PJL status 10002 (informational)", "the printer reports itself off line"}},
        {"CODE=10023\r\nDISPLAY=\"PROCESSING JOB\"\r\nONLINE=TRUE\r\n\f", PrinterState::Printing,
            {"PJL status 10023 (processing a job): \"PROCESSING JOB\""}},
        {PjlPaperOut, PrinterState::PaperOut,
            {"PJL status 41000 (paper out: load paper): \"LOAD LETTER\"",
                "the printer reports itself off line"}},
        {"CODE = 40021\r\nDISPLAY=\"12 PRINTER OPEN\"\r\nONLINE=FALSE\r\n\f", PrinterState::Error,
            {"PJL status 40021 (a cover is open): \"12 PRINTER OPEN\"",
                "the printer reports itself off line"}},
        {"CODE=42202\r\n\f", PrinterState::Error, {"PJL status 42202 (paper jam)"}},
        {"CODE=99999\r\n\f", PrinterState::Unknown,
            {"PJL status 99999 (a code this program does not know)"}},
        {"@PJL INFO STATUS\r\nDISPLAY=\"00 READY\"\r\n\f", PrinterState::Unknown,
            {"the printer's answer holds no PJL status code"}},
    };
    for (const Row &row : rows) {
        const PrinterStatus status = pjlStatus(row.answer);
        EXPECT_EQ(status.state, row.state) << row.answer;
        EXPECT_EQ(status.reasons, row.reasons) << row.answer;
    }
}

TEST(DeviceStatus, ANetworkPrinterIsAskedWithThePjlQueryAndNothingElse)
{
    for (const auto &[answer, state] :
        {std::pair {PjlReady, PrinterState::Ready}, {PjlPaperOut, PrinterState::PaperOut}}) {
        LoopbackPrinter printer("INFO STATUS\r\n\x1b%-12345X", QByteArray::fromStdString(answer));
        const PrinterStatus status = deviceStatus(printer.uri().toStdString(), 10s, false);
        EXPECT_EQ(status.state, state);
        ASSERT_TRUE(printer.waitForConnections(1));
        EXPECT_EQ(printer.received(), QByteArrayList {QByteArray(PjlStatusQuery.data())});
    }
}

TEST(DeviceStatus, AnEscPosNetworkPrinterIsAskedWithDleEot)
{
    LoopbackPrinter printer("\x10\x04\x04", "\x1e\x32\x72");
    const PrinterStatus status = deviceStatus(printer.uri().toStdString(), 10s, true);
    EXPECT_EQ(status.state, PrinterState::PaperOut);
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received(), QByteArrayList {"\x10\x04\x01\x10\x04\x02\x10\x04\x04"});
}

TEST(DeviceStatus, APrinterThatAnswersNothingIsUnknownAfterTheTimeout)
{
    const LoopbackPrinter silent(LoopbackPrinter::Mode::AcceptNeverRead);
    for (const bool escPos : {false, true}) {
        const auto start = std::chrono::steady_clock::now();
        const PrinterStatus status = deviceStatus(silent.uri().toStdString(), 300ms, escPos);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 300ms + Margin);
        EXPECT_EQ(status.state, PrinterState::Unknown);
        EXPECT_EQ(status.reasons,
            Reasons {escPos ? "the printer did not answer the ESC/POS status request (DLE EOT) "
                              "within 300 ms"
                            : "the printer did not answer the PJL status query within 300 ms"});
    }
}

TEST(DeviceStatus, APrinterThatRefusesTheConnectionCannotBeReached)
{
    const std::string uri = "socket://127.0.0.1:" + std::to_string(refusingLoopbackPort());
    try {
        deviceStatus(uri, 2s, false);
        FAIL() << "no error";
    } catch (const DeviceError &error) {
        EXPECT_EQ(error.what(), uri + ": " + osReasonText(ECONNREFUSED));
    }
}

TEST(DeviceStatus, AnEscPosPrinterOnATerminalAnswersEachRequest)
{
    const PseudoTerminal terminal;
    const termios before = terminal.settings();
    std::thread printer([&] {
        // DLE EOT 1: on line; 2: cover open; 4: paper near its end. Each
        // request is answered as it comes, however they arrive.
        QByteArray requests;
        for (int answered = 0; answered < 3;) {
            const QByteArray more = terminal.read(1, 10s);
            if (more.isEmpty())
                return;
            requests += more;
            for (; requests.size() >= 3 * (answered + 1); ++answered) {
                const char n = requests[3 * answered + 2];
                terminal.write(n == 1 ? "\x16" : n == 2 ? "\x16" : "\x1e");
            }
        }
    });
    const PrinterStatus status = deviceStatus(terminal.path().toStdString(), 10s, true);
    printer.join();
    EXPECT_EQ(status.state, PrinterState::OffLine);
    EXPECT_EQ(status.reasons, (Reasons {"the cover is open", "the roll paper is nearly out"}));
    EXPECT_TRUE(sameSettings(terminal.settings(), before));
}

TEST(DeviceStatus, DevicesWithoutStatusLinesAreUnknownAndFilesReady)
{
    const PseudoTerminal terminal;
    const std::string pty = terminal.path().toStdString();
    EXPECT_EQ(deviceStatus(pty, 1s, false).reasons,
        Reasons {pty + " has no modem lines to tell the printer's state"});
    EXPECT_EQ(deviceStatus(pty, 1s, false).state, PrinterState::Unknown);
    EXPECT_EQ(deviceStatus("/dev/null", 1s, false).reasons,
        Reasons {"/dev/null tells nothing of the printer's state"});

    const TempDir dir;
    const std::string file = dir.filePath(QStringLiteral("out.prn")).toStdString();
    const PrinterStatus ready = deviceStatus("file://" + file, 1s, false);
    EXPECT_EQ(ready.state, PrinterState::Ready);
    EXPECT_EQ(ready.reasons, Reasons {file + " is a file that can be made"});
    const std::string nowhere = dir.filePath(QStringLiteral("no/out.prn")).toStdString();
    EXPECT_EQ(deviceStatus(nowhere, 1s, false).state, PrinterState::Error);
    EXPECT_EQ(
        deviceStatus(nowhere, 1s, false).reasons, Reasons {nowhere + ": " + osReasonText(ENOENT)});

    // A device that is not there is absent, as a print could not open it;
    // a file under /dev is never made.
    for (const char *absent : {"parallel:/dev/zanto-no-such-port", "/dev/zanto-no-such-port"}) {
        const PrinterStatus status = deviceStatus(absent, 1s, false);
        EXPECT_TRUE(status.absent) << absent;
        EXPECT_EQ(status.state, PrinterState::Error);
        EXPECT_EQ(status.reasons, Reasons {"/dev/zanto-no-such-port: " + osReasonText(ENOENT)});
    }
    EXPECT_FALSE(ready.absent);
}

TEST(ReadableText, ControlsAreNamedUtf8StaysAndLongTextIsCut)
{
    const std::pair<std::string, std::string> rows[] = {
        {"00 READY", "00 READY"},
        {"\x1b]0;owned\x07"
         "FAKE\r\n\x7f",
            "<ESC>]0;owned<BEL>FAKE<CR><LF><DEL>"},
        {"Papier f\xc3\xbcr Fach 2", "Papier f\xc3\xbcr Fach 2"},
        // C1 controls (CSI as U+009B), stray and overlong bytes are numbered.
        {"a\xc2\x9b"
         "5m\xff\xc0\xaf",
            "a<194><155>5m<255><192><175>"},
        {std::string(300, 'x'), std::string(256, 'x') + "... (44 more bytes)"},
        // Never through the middle of a character.
        {std::string(255, 'x') + "\xc3\xbc", std::string(255, 'x') + "... (2 more bytes)"},
    };
    for (const auto &[text, shown] : rows)
        EXPECT_EQ(readableText(text), shown);
    std::string dumped;
    appendReadableBytes(dumped,
        "\x1b"
        "E\xc3\xbc\n",
        HighBytes::Numbered, true);
    EXPECT_EQ(dumped, "<ESC>E<195><188><LF>\n");
}

namespace {

// A network printer that reads the status request and then plays its part:
// bytes sent once, bytes sent again and again (forever, or until the other
// side goes), each piece after a pause.
struct Talk
{
    Talk(std::string once, std::string repeated = {}, std::chrono::milliseconds wait = 0ms,
        bool oneByte = false)
        : first(std::move(once)), again(std::move(repeated)), pause(wait), byteByByte(oneByte)
    { }
    std::string first;
    std::string again;
    std::chrono::milliseconds pause;
    bool byteByByte;
};

LoopbackPrinter::Service talking(const Talk &talk)
{
    return [talk](int connection, const std::atomic<bool> &stopped) {
        if (readSome(connection, 10s).isEmpty())
            return;
        const auto say = [&](const std::string &bytes) {
            if (!talk.byteByByte)
                return sendAll(connection, QByteArray::fromStdString(bytes), stopped);
            for (const char byte : bytes) {
                std::this_thread::sleep_for(talk.pause);
                if (!sendAll(connection, QByteArray(1, byte), stopped))
                    return false;
            }
            return true;
        };
        if (!say(talk.first))
            return;
        // Bounded, in case the other side never goes.
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (!talk.again.empty() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(talk.pause);
            if (!say(talk.again))
                return;
        }
    };
}

} // namespace

TEST(DeviceStatus, AHostilePrinterIsAnsweredWithinTheTimeoutAndShownSafely)
{
    struct Case
    {
        const char *what;
        bool escPos;
        Talk talk;
        PrinterState state;
        std::string firstReason;
        bool takesTheTimeout; // else well before it
    };
    const std::string cut = "the printer's answer was cut off after 65536 bytes";
    const std::string longDisplay
        = "PJL status 10001 (informational): \"" + std::string(256, 'A') + "... (";
    const Case cases[] = {
        {"endless answer", false, {"CODE=10001\r\n", "ONLINE=TRUE\r\n", 0ms}, PrinterState::Ready,
            "PJL status 10001 (informational)", false},
        {"one line forever", false, {"CODE=10001\r\nDISPLAY=\"", std::string(4096, 'A'), 0ms},
            PrinterState::Ready, longDisplay, false},
        {"endless and slow", false, {"CODE=10001\r\n", "ONLINE=TRUE\r\n", 20ms},
            PrinterState::Ready, "PJL status 10001 (informational)", true},
        {"escapes", false,
            {"CODE=10001\r\nDISPLAY=\"\x1b]0;owned\x07\x1b[2KFAKE: ready\x1b[5m\"\r\n\f"},
            PrinterState::Ready,
            "PJL status 10001 (informational): \"<ESC>]0;owned<BEL><ESC>[2KFAKE: ready<ESC>[5m\"",
            false},
        {"closes at once", false, Talk(""), PrinterState::Unknown,
            "the printer closed the connection before it answered the PJL status query", false},
        {"closes at once", true, Talk(""), PrinterState::Unknown,
            "the printer closed the connection before it answered the ESC/POS status request (DLE "
            "EOT)",
            false},
        {"three bytes, one at a time", true, {"\x16\x16\x1e", "", 50ms, true},
            PrinterState::OffLine, "the cover is open", false},
    };
    const auto timeout = 1000ms;
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        const bool silent = test.talk.first.empty();
        LoopbackPrinter printer(
            silent ? LoopbackPrinter::Service([](int, const auto &) {}) : talking(test.talk));
        const auto start = std::chrono::steady_clock::now();
        const PrinterStatus status
            = deviceStatus(printer.uri().toStdString(), timeout, test.escPos);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, timeout + Margin);
        if (test.takesTheTimeout)
            EXPECT_GE(took, timeout);
        else
            EXPECT_LT(took, timeout);
        EXPECT_EQ(status.state, test.state);
        ASSERT_FALSE(status.reasons.empty());
        EXPECT_EQ(status.reasons.front().substr(0, test.firstReason.size()), test.firstReason);
        std::size_t length = 0;
        for (const std::string &reason : status.reasons) {
            length += reason.size();
            for (const char c : reason)
                EXPECT_FALSE(static_cast<unsigned char>(c) < 32 || c == 127) << reason;
        }
        EXPECT_LT(length, 1000u);
        if (test.what == std::string_view("endless answer")) {
            EXPECT_EQ(status.reasons.back(), cut);
        }
    }
}

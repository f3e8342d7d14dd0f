// zanto status against network printers that misbehave: one that talks
// without end, and one whose display holds terminal escape sequences. The
// command ends by its time-out and shows the printer's text escaped.
#include "loopbackprinter.h"
#include "processrunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ZantoTest;
using namespace std::chrono_literals;

namespace {

// Reads the request, says first, then again and again until the other side
// goes (bounded).
LoopbackPrinter::Service talking(QByteArray first, QByteArray again)
{
    return [first, again](int connection, const std::atomic<bool> &stopped) {
        if (readSome(connection, 10s).isEmpty() || !sendAll(connection, first, stopped))
            return;
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (!again.isEmpty() && std::chrono::steady_clock::now() < end
            && sendAll(connection, again, stopped))
            std::this_thread::sleep_for(1ms);
    };
}

} // namespace

TEST(CliStatus, APrinterThatKeepsTalkingIsCutOffAndShownSafely)
{
    struct Case
    {
        const char *what;
        QByteArray first, again, line;
    };
    const Case cases[] = {
        {"endless", "CODE=10001\r\n", QByteArray(4096, '\n') + "ONLINE=TRUE\r\n",
            "  the printer's answer was cut off after 65536 bytes\n"},
        {"one display line forever", "CODE=40021\r\nDISPLAY=\"\x1b]0;owned\x07\x1b[5m",
            QByteArray(4096, 'A'),
            "  PJL status 40021 (a cover is open): \"<ESC>]0;owned<BEL><ESC>[5mAAA"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        const LoopbackPrinter printer(talking(test.first, test.again));
        const auto start = std::chrono::steady_clock::now();
        const ProcessResult result = runZanto({QStringLiteral("status"), printer.uri(),
            QStringLiteral("--timeout"), QStringLiteral("1000")});
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_NE(result.out.indexOf(test.line), -1) << result.out.constData();
        EXPECT_LT(result.out.size(), 1000);
        for (const char c : result.out)
            EXPECT_FALSE((uchar(c) < 32 && c != '\n') || c == 127) << result.out.constData();
    }
}

#include "stallnotice.h"

#include <zantoquiller/printerstatus.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace Zanto::Cli {

void showPrinterStalls(const QString &command)
{
    if (isatty(STDERR_FILENO) != 1)
        return;
    using Clock = std::chrono::steady_clock;
    struct Shown
    {
        std::mutex mutex;
        std::optional<Clock::time_point> last;
    };
    static Shown shown;
    const QByteArray prefix = QStringLiteral("zanto %1: waiting: ").arg(command).toLocal8Bit();
    setPrinterStallReport([prefix](const QString &printer) {
        const std::lock_guard lock(shown.mutex);
        const auto now = Clock::now();
        if (shown.last && now - *shown.last < std::chrono::seconds(10))
            return;
        shown.last = now;
        // In place of a progress line, which is written again after it.
        std::fprintf(stderr,
            "\r\33[K%s%s takes no data (out of paper, or slower than the network)\n",
            prefix.constData(), printer.toLocal8Bit().constData());
        std::fflush(stderr);
    });
}

} // namespace Zanto::Cli

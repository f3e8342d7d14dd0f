// On a terminal, a print that waits for a network printer which is there but
// takes no data (out of paper, or slow) says so, instead of looking hung.
#pragma once

#include <QString>

namespace Zanto::Cli {

// When standard error is a terminal, has "zanto COMMAND: waiting: PRINTER
// takes no data (out of paper, or slower than the network)" shown the first
// time a print waits a whole time-out for it, and again at most every ten
// seconds while it goes on waiting.
void showPrinterStalls(const QString &command);

} // namespace Zanto::Cli

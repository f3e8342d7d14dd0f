// The decoding of printer status reports: pure functions, so that each kind
// of report is read in this one place and can be tried on recorded values.
#include <zantoquiller/platform/printerstatus.h>
#include <zantoquiller/platform/readabletext.h>

#include <charconv>
#include <linux/lp.h>

namespace Zanto {

const char *printerStateText(PrinterState state) noexcept
{
    switch (state) {
    case PrinterState::Ready:
        return "ready";
    case PrinterState::Printing:
        return "printing";
    case PrinterState::OffLine:
        return "off line";
    case PrinterState::PaperOut:
        return "paper out";
    case PrinterState::Error:
        return "error";
    case PrinterState::Unknown:
        break;
    }
    return "unknown";
}

} // namespace Zanto

namespace Zanto::Platform {

ParallelLines decodeParallelStatus(unsigned char status)
{
    // Paper out and select are active high; the error line is active low,
    // and the port hands busy over inverted (set: the printer can take data).
    ParallelLines lines;
    lines.paperOut = (status & LP_POUTPA) != 0;
    lines.selected = (status & LP_PSELECD) != 0;
    lines.error = (status & LP_PERRORP) == 0;
    lines.busy = (status & LP_PBUSY) == 0;
    return lines;
}

PrinterStatus parallelStatus(const ParallelLines &lines)
{
    PrinterStatus status;
    if (lines.paperOut) {
        status.state = PrinterState::PaperOut;
        status.reasons.push_back("the printer reports paper out");
    }
    if (!lines.selected) {
        if (status.state == PrinterState::Unknown)
            status.state = PrinterState::OffLine;
        status.reasons.push_back("the printer is not selected (off line)");
    }
    if (lines.error) {
        if (status.state == PrinterState::Unknown)
            status.state = PrinterState::Error;
        status.reasons.push_back("the printer signals an error");
    }
    if (lines.busy) {
        if (status.state == PrinterState::Unknown)
            status.state = PrinterState::Printing;
        status.reasons.push_back("the printer is busy");
    }
    if (status.state == PrinterState::Unknown)
        status.state = PrinterState::Ready;
    return status;
}

PrinterStatus modemStatus(const ModemLines &lines)
{
    PrinterStatus status;
    status.state = !lines.dsr ? PrinterState::OffLine
        : !lines.cts          ? PrinterState::Printing
                              : PrinterState::Ready;
    if (!lines.dsr)
        status.reasons.push_back("DSR is off: the printer is off, off line or not connected");
    else if (!lines.cts)
        status.reasons.push_back("CTS is off: the printer cannot take data now");
    const auto on = [](bool line) { return line ? "on" : "off"; };
    status.reasons.push_back(std::string("modem lines: DSR ") + on(lines.dsr) + ", CTS "
        + on(lines.cts) + ", DCD " + on(lines.dcd));
    return status;
}

std::string escPosStatusRequest(int n)
{
    return std::string {'\x10', '\x04', static_cast<char>(n)};
}

bool isEscPosStatusByte(unsigned char byte)
{
    // Bits 1 and 4 are always set, bits 0 and 7 always clear.
    return (byte & 0x93) == 0x12;
}

PrinterStatus escPosStatus(unsigned char printer, unsigned char offlineCause, unsigned char paper)
{
    PrinterStatus status;
    if (!isEscPosStatusByte(printer) || !isEscPosStatusByte(offlineCause)
        || !isEscPosStatusByte(paper)) {
        status.reasons.push_back("the printer's answer is not an ESC/POS status");
        return status;
    }
    const auto note = [&](PrinterState state, const char *reason) {
        if (status.state == PrinterState::Unknown)
            status.state = state;
        status.reasons.push_back(reason);
    };
    if ((paper & 0x60) != 0 || (offlineCause & 0x20) != 0)
        note(PrinterState::PaperOut, "the roll paper has run out");
    if ((offlineCause & 0x40) != 0)
        note(PrinterState::Error, "the printer reports an error");
    if ((offlineCause & 0x04) != 0)
        note(PrinterState::OffLine, "the cover is open");
    if ((offlineCause & 0x08) != 0)
        note(PrinterState::OffLine, "paper is being fed with the feed button");
    if ((printer & 0x08) != 0)
        note(PrinterState::OffLine, "the printer is off line");
    if ((printer & 0x20) != 0)
        note(PrinterState::OffLine, "the printer waits to go on line again");
    if (status.state == PrinterState::Unknown)
        status.state = PrinterState::Ready;
    if ((paper & 0x0c) != 0)
        status.reasons.push_back("the roll paper is nearly out");
    return status;
}

const std::string_view PjlStatusQuery = "\x1b%-12345X@PJL INFO STATUS\r\n\x1b%-12345X";

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// What the PJL status groups (the first two digits of the code) mean.
PrinterState pjlCodeState(int code, std::string &category)
{
    const int group = code / 1000;
    if (code == 10023) {
        category = "processing a job";
        return PrinterState::Printing;
    }
    if (code == 10003) {
        category = "warming up";
        return PrinterState::Printing;
    }
    if (group == 10) {
        category = "informational";
        return PrinterState::Ready;
    }
    if (group == 11 || group == 12) {
        category = "a paper tray needs attention";
        return PrinterState::Ready;
    }
    if (group == 15) {
        category = "the output bin is full";
        return PrinterState::Error;
    }
    if (group == 30 || group == 32 || group == 35) {
        category = "needs attention soon";
        return PrinterState::Ready;
    }
    if (code == 40021) {
        category = "a cover is open";
        return PrinterState::Error;
    }
    if (group == 40) {
        category = "operator intervention needed";
        return PrinterState::Error;
    }
    if (group == 41) {
        category = "paper out: load paper";
        return PrinterState::PaperOut;
    }
    if (group == 42 || group == 44) {
        category = "paper jam";
        return PrinterState::Error;
    }
    if (group == 43) {
        category = "paper handling option needs attention";
        return PrinterState::Error;
    }
    if (group == 50) {
        category = "hardware error";
        return PrinterState::Error;
    }
    category = "a code this program does not know";
    return PrinterState::Unknown;
}

} // namespace

PrinterStatus pjlStatus(std::string_view answer)
{
    PrinterStatus status;
    int code = 0;
    bool haveCode = false;
    std::string display;
    int online = -1;
    while (!answer.empty()) {
        const auto end = answer.find_first_of("\n\f");
        const std::string_view line = trimmed(answer.substr(0, end));
        answer = end == std::string_view::npos ? std::string_view {} : answer.substr(end + 1);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        std::string_view value = trimmed(line.substr(equals + 1));
        if (key == "CODE") {
            haveCode = std::from_chars(value.data(), value.data() + value.size(), code).ptr
                == value.data() + value.size();
        } else if (key == "DISPLAY") {
            // Quoted; an answer that was cut off lacks the closing quote.
            if (value.starts_with('"'))
                value.remove_prefix(1);
            if (value.ends_with('"'))
                value.remove_suffix(1);
            display = readableText(value);
        } else if (key == "ONLINE") {
            online = value == "TRUE" ? 1 : value == "FALSE" ? 0 : -1;
        }
    }
    if (!haveCode) {
        status.reasons.push_back("the printer's answer holds no PJL status code");
        return status;
    }
    std::string category;
    status.state = pjlCodeState(code, category);
    if (online == 0 && status.state == PrinterState::Ready)
        status.state = PrinterState::OffLine;
    status.reasons.push_back("PJL status " + std::to_string(code) + " (" + category + ")"
        + (display.empty() ? std::string() : ": \"" + display + "\""));
    if (online == 0)
        status.reasons.push_back("the printer reports itself off line");
    return status;
}

} // namespace Zanto::Platform

// Is the printer ready? The state of a printer as its spooler queue, its port
// or the printer itself reports it, and the decoding of each kind of report.
#pragma once

#include <zantoquiller/platform/devicemap.h>
#include <zantoquiller/statustypes.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace Zanto::Platform {

using Zanto::PrinterState;
using PrinterStatus = BasicPrinterStatus<std::string, std::vector<std::string>>;

// The status byte of a parallel port (LPGETSTATUS): the printer's lines, with
// the inverted ones (error, busy) already turned the right way round.
struct ParallelLines
{
    bool paperOut = false;
    bool selected = false;
    bool error = false;
    bool busy = false;
};
ParallelLines decodeParallelStatus(unsigned char status);
PrinterStatus parallelStatus(const ParallelLines &lines);

// The modem lines of a serial port; a printer drops DSR when it is off or
// off line, and CTS while it cannot take data.
struct ModemLines
{
    bool dsr = false;
    bool cts = false;
    bool dcd = false;
};
PrinterStatus modemStatus(const ModemLines &lines);

// ESC/POS real-time status: DLE EOT n for n = 1 (printer), 2 (off-line cause)
// and 4 (roll paper sensor). The requests print nothing.
std::string escPosStatusRequest(int n);
// Whether byte has the fixed bits of every DLE EOT answer.
bool isEscPosStatusByte(unsigned char byte);
PrinterStatus escPosStatus(unsigned char printer, unsigned char offlineCause, unsigned char paper);

// PJL: the status query (between two universal exits, so that nothing is
// printed) and the reading of the printer's answer, which ends with a form
// feed: CODE=nnnnn, DISPLAY="...", ONLINE=TRUE|FALSE.
extern const std::string_view PjlStatusQuery;
PrinterStatus pjlStatus(std::string_view answer);

// The state of a device: name as resolveDevice() reads it (a device name of
// map, a path, parallel:, serial:, file: or socket:// URI). A parallel port is
// asked for its status lines, a serial port for its modem lines (or, with
// escPos, the printer itself with DLE EOT), a TCP printer with the PJL status
// query or DLE EOT; a file is ready when it can be written. No query takes
// longer than timeout; a printer that answers nothing is "unknown". A device
// or printer that cannot be opened or reached raises DeviceError.
PrinterStatus deviceStatus(const std::string &name, std::chrono::milliseconds timeout, bool escPos,
    const DeviceMap &map = deviceMap());

// Whether the character device numbered device is a parallel port or a USB
// printer (both answer LPGETSTATUS).
bool isPrinterPort(unsigned long long device);
// The reason a direct print should not start: a parallel port on fd that
// reports paper out or off line; empty when it reports neither, or fd is no
// parallel port.
std::string parallelPortProblem(int fd);

} // namespace Zanto::Platform

/// \file
/// The printer object and the device map, as applications see them: the
/// system's printers and the current one (the print spooler's default until
/// the application selects another), and the paths that LPT1-COM4 open.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <zantoquiller/core_export.h>

namespace Zanto {

/// One printer of the print server.
struct PrinterInfo
{
    QString name; ///< queue name, or the URI of an IPP printer selected directly
    QString deviceUri; ///< the printer's port name, e.g. "socket://192.0.2.7:9100"
    bool isDefault = false; ///< the print server's default printer
    bool isCurrent = false; ///< the current printer
    bool acceptsRaw = false; ///< takes the component's pass-through output
};

/// Every printer the print server offers. Raises EPrinter when the server
/// cannot be reached.
ZANTOQUILLER_CORE_EXPORT QList<PrinterInfo> printerList();
/// The current printer's name. Raises EPrinter when there is no current
/// printer.
ZANTOQUILLER_CORE_EXPORT QString currentPrinterName();
/// Makes name the current printer: a queue name, or an ipp:// or ipps://
/// printer URI. Raises EPrinter and keeps the old choice when there is no
/// such printer.
ZANTOQUILLER_CORE_EXPORT void selectPrinter(const QString &name);
/// Raises EPrinter when there is no printer called name (a queue name, or
/// an ipp:// or ipps:// printer URI); selects nothing.
ZANTOQUILLER_CORE_EXPORT void checkPrinter(const QString &name);
/// Follow the print server's default printer again.
ZANTOQUILLER_CORE_EXPORT void selectDefaultPrinter();
/// How long the calls above wait for the print server, in milliseconds; 0
/// restores the default of 10 s. A component's own calls to the print server
/// (the current port, the driver check, spooler jobs) wait its Timeout.
ZANTOQUILLER_CORE_EXPORT void setPrinterTimeout(int milliseconds);

/// "LPT1", "LPT2", "COM1" ... "COM4".
ZANTOQUILLER_CORE_EXPORT QStringList deviceNames();
/// The path (or device URI) a device name opens; empty for an unknown name.
ZANTOQUILLER_CORE_EXPORT QString devicePath(const QString &name);
/// Maps a device name to a path, a parallel:/serial:/file: URI or a
/// socket://host:port printer. False for an unknown name or an empty path.
ZANTOQUILLER_CORE_EXPORT bool setDevicePath(const QString &name, const QString &path);
/// Maps every device name back to its default path.
ZANTOQUILLER_CORE_EXPORT void resetDevicePaths();
/// The file or device that a device name, a device URI or a path opens, as the
/// output channel resolves it; empty for a network printer and for a name
/// that leads nowhere.
ZANTOQUILLER_CORE_EXPORT QString deviceFilePath(const QString &name);

} // namespace Zanto

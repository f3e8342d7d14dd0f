// Where a print goes, read once from the text a user or a caller names it by.
#pragma once

#include <QString>
#include <zantoquiller/core_export.h>
#include <zantoquiller/types.h>

namespace Zanto {

/**
 * One destination of a print, a status question or a job listing: a spooler
 * queue or IPP printer, a device name, a device path or file, a parallel,
 * serial or TCP printer, standard output, or the current printer.
 *
 * parse() is the one place that decides what a text means; toString() gives
 * a text that parse() reads back as the same destination. The forms:
 *  - "" (empty): the current printer;
 *  - "-": standard output;
 *  - "LPT1", "LPT2", "COM1" ... "COM4" (any case): a device name, opened
 *    through the device map (setDevicePath());
 *  - "ipp://HOST/..." or "ipps://HOST/...": an IPP printer, reached as a
 *    queue of its own;
 *  - a name without "/" or ":": a spooler queue;
 *  - "parallel:/PATH" and "serial:/PATH[?baud=N+bits=N+parity=P+flow=F+stop=N]":
 *    a device, with a serial line's settings;
 *  - "socket://HOST[:PORT]": a network printer (port 9100 unless named);
 *  - "file:/PATH": a file;
 *  - any other text: a path, a DevicePath under /dev/ (never created), a
 *    File elsewhere (created when a print opens it).
 */
class ZANTOQUILLER_CORE_EXPORT Destination
{
public:
    /// What a destination is.
    enum class Kind {
        CurrentPrinter, ///< the current printer: its queue, or its device
        Queue, ///< a spooler queue, by name
        IppPrinter, ///< an IPP printer, by its ipp:// or ipps:// URI
        DeviceName, ///< LPT1, LPT2, COM1 ... COM4, through the device map
        DevicePath, ///< the path of a device or of a file that exists
        File, ///< a file, created when a print opens it
        StandardOutput, ///< the standard output of the process
        Parallel, ///< a parallel: device URI
        Serial, ///< a serial: device URI with its line settings
        Socket, ///< a network printer on socket://host:port
    };

    /// The current printer.
    Destination() = default;

    /// Reads text in one of the forms above. Raises EConvertError naming
    /// text and why it is refused: a malformed URI, a serial setting out of
    /// range, a scheme that reaches its printer only through the spooler.
    static Destination parse(const QString &text);
    /// A queue name or an ipp:// or ipps:// URI (as lp -d takes it); raises
    /// EConvertError for an empty name and for text that names another kind.
    static Destination queue(const QString &name);
    /// A device or file that exists, never created (a device URI, device
    /// name, socket:// printer or path; a path is a DevicePath wherever it
    /// is). Raises EConvertError as parse() does, and for a queue or "".
    static Destination existingTarget(const QString &text);
    /// The file path exactly as given, not interpreted (the OutputFile of
    /// a component): it is opened as the output channel resolves a name.
    static Destination file(const QString &path);
    /// Standard output.
    static Destination standardOutput();
    /// The device name of port (poLPT1 ... poCOM4), or the current printer
    /// for poCurrent; EConvertError "Invalid Port ID" for any other value.
    static Destination ofPort(TIOPortName port);

    /// The text that parse() reads back as this destination.
    QString toString() const;

    /// The kind of destination.
    Kind kind() const { return m_kind; }
    /// A queue or IPP printer, or the current printer: what can hold jobs.
    bool isSpoolerQueue() const;
    /// Queue: its name; IppPrinter: its URI; empty otherwise.
    QString queueName() const;
    /// DeviceName: the name in upper case ("LPT1"); empty otherwise.
    QString deviceName() const;
    /// DevicePath, File, Parallel, Serial: the path; empty otherwise.
    QString path() const;
    /// Socket: the host (an IPv6 address without brackets); empty otherwise.
    QString host() const;
    /// Socket: the TCP port; 0 otherwise.
    quint16 port() const { return m_port; }
    /// Serial: the line settings the URI gives, as
    /// "baud=9600+bits=8+parity=none+flow=soft+stop=1" (those given, in
    /// this order; empty when none are); empty otherwise.
    QString serialOptions() const;

    /// Same kind and parts (a File's leading "./" aside).
    friend ZANTOQUILLER_CORE_EXPORT bool operator==(const Destination &a, const Destination &b);

private:
    Kind m_kind = Kind::CurrentPrinter;
    QString m_text; // the queue, URI, device name, path or host
    QString m_options; // Serial: the settings
    quint16 m_port = 0;
};

} // namespace Zanto

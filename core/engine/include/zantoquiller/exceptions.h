/// \file
/// The exception classes the library raises. Every failure carries a fixed
/// message and its kind; input/output errors may also carry the operating
/// system's reason and error number.
#pragma once

#include <QString>
#include <zantoquiller/core_export.h>
#include <zantoquiller/errorkind.h>

#include <exception>
#include <memory>
#include <utility>

namespace Zanto {

/// The base of the library's exceptions: a fixed message.
///
/// Copies share the same fixed texts: copying never fails, as an exception's
/// copy must not.
class ZANTOQUILLER_CORE_EXPORT Exception : public std::exception
{
public:
    /// An exception with message.
    explicit Exception(QString message);
    /// A failure of the given kind; systemError is the operating system's
    /// error number (errno) behind it, 0 when there is none.
    Exception(QString message, ErrorKind kind, int systemError = 0);
    /// Shares other's texts.
    Exception(const Exception &other) noexcept;
    /// Shares other's texts.
    Exception &operator=(const Exception &other) noexcept;
    ~Exception() override;

    /// The message, e.g. "Failed to open port".
    const QString &Message() const;
    /// The message as UTF-8.
    const char *what() const noexcept override;

    /// What kind of failure this is, the same in every language.
    ErrorKind kind() const noexcept;
    /// The operating system's error number (an errno value such as ENOSPC)
    /// behind the failure; 0 when the failure did not come from the system.
    int systemError() const noexcept;

private:
    friend class EInOutError;
    struct Data;
    Exception(QString message, QString reason, ErrorKind kind, int systemError, int portStep);

    std::shared_ptr<const Data> d;
};

/// A file, port or device could not be opened, read or written.
class ZANTOQUILLER_CORE_EXPORT EInOutError : public Exception
{
public:
    /// The step of a print to a port (a device, a disk file or a network
    /// printer) that failed; None for every other input or output.
    enum class PortStep {
        None, ///< not a port's input or output
        Open, ///< the port could not be opened
        Write ///< the port could not be written to
    };

    /// An error with message and the system's reason.
    explicit EInOutError(QString message, QString reason = {});
    /// An input/output error of the given kind, with the operating system's
    /// reason and error number (0: none), in step of a print to a port.
    EInOutError(QString message, QString reason, ErrorKind kind, int systemError = 0,
        PortStep step = PortStep::None);
    ~EInOutError() override;

    /// What the operating system said, e.g. "/dev/usb/lp0: Permission denied";
    /// empty when there is nothing more to say than the message.
    const QString &Reason() const;
    /// Whether the port could not be opened or not be written to; None when
    /// the error is no port's.
    PortStep portStep() const noexcept;
};

/// A value could not be converted: a code list, a port ordinal, a stored
/// property, a table a file cannot hold.
class ZANTOQUILLER_CORE_EXPORT EConvertError : public Exception
{
public:
    using Exception::Exception;
    ~EConvertError() override;
};

/// A string list is unfit for its use, e.g. a TransOut shorter than TransIn.
class ZANTOQUILLER_CORE_EXPORT EStringListError : public Exception
{
public:
    using Exception::Exception;
    ~EStringListError() override;
};

/// The printer object or the print server failed: no such printer, a
/// refused job, no current printer.
class ZANTOQUILLER_CORE_EXPORT EPrinter : public Exception
{
public:
    using Exception::Exception;
    ~EPrinter() override;
};

/// The print server (or a printer addressed by URI) cannot be reached or did
/// not answer within the time-out.
class ZANTOQUILLER_CORE_EXPORT EPrinterUnreachable : public EPrinter
{
public:
    /// Of kind Unreachable, with the system's error number (0: none).
    explicit EPrinterUnreachable(QString message, int systemError = 0)
        : EPrinter(std::move(message), ErrorKind::Unreachable, systemError)
    { }
    ~EPrinterUnreachable() override;
};

/// The component refused or stopped a print: an invalid LeftOffset, an
/// unknown memo type, a line too long for the line buffer.
class ZANTOQUILLER_CORE_EXPORT eZantoquillError : public Exception
{
public:
    using Exception::Exception;
    ~eZantoquillError() override;
};

} // namespace Zanto

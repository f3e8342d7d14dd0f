/// \file
/// The exception classes the library raises. Every failure carries a fixed
/// message; input/output errors may also carry the operating system's reason.
#pragma once

#include <QString>
#include <zantoquiller/core_export.h>

#include <exception>
#include <memory>

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
    /// Shares other's texts.
    Exception(const Exception &other) noexcept;
    /// Shares other's texts.
    Exception &operator=(const Exception &other) noexcept;
    ~Exception() override;

    /// The message, e.g. "Failed to open port".
    const QString &Message() const;
    /// The message as UTF-8.
    const char *what() const noexcept override;

private:
    friend class EInOutError;
    struct Data;
    Exception(QString message, QString reason);

    std::shared_ptr<const Data> d;
};

/// A file, port or device could not be opened, read or written.
class ZANTOQUILLER_CORE_EXPORT EInOutError : public Exception
{
public:
    /// An error with message and the system's reason.
    explicit EInOutError(QString message, QString reason = {});
    ~EInOutError() override;

    /// What the operating system said, e.g. "/dev/usb/lp0: Permission denied";
    /// empty when there is nothing more to say than the message.
    const QString &Reason() const;
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
    using EPrinter::EPrinter;
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

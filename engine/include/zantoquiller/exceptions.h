// The exception classes the library raises. Every failure carries a fixed
// message; input/output errors may also carry the operating system's reason.
#pragma once

#include <QString>

#include <exception>
#include <string>

namespace Zanto {

class Exception : public std::exception
{
public:
    explicit Exception(QString message);

    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    std::string m_what;
};

// Input/output failure of a device, file or the spooler.
class EInOutError : public Exception
{
public:
    explicit EInOutError(QString message, QString reason = {});

    // What the operating system said, e.g. "/dev/usb/lp0: Permission denied";
    // empty when there is nothing more to say than the message.
    const QString &Reason() const { return m_reason; }

private:
    QString m_reason;
};

// A value could not be converted.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// An index outside a string list, e.g. "List index out of bounds (2)".
class EStringListError : public Exception
{
public:
    using Exception::Exception;
};

// A failure of the printer object: no printer, print server unreachable, job
// refused. The message says what happened and why.
class EPrinter : public Exception
{
public:
    using Exception::Exception;
};

// The component's own rule violations.
class eZantoquillError : public Exception
{
public:
    using Exception::Exception;
};

} // namespace Zanto

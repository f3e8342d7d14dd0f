// The exception classes the library raises. Every failure carries a fixed
// message; input/output errors may also carry the operating system's reason.
#pragma once

#include <QString>
#include <zantoquiller/core_export.h>

#include <exception>
#include <memory>

namespace Zanto {

// Copies share the same fixed texts: copying never fails, as an exception's
// copy must not.
class ZANTOQUILLER_CORE_EXPORT Exception : public std::exception
{
public:
    explicit Exception(QString message);
    Exception(const Exception &other) noexcept;
    Exception &operator=(const Exception &other) noexcept;
    ~Exception() override;

    const QString &Message() const;
    const char *what() const noexcept override;

private:
    friend class EInOutError;
    struct Data;
    Exception(QString message, QString reason);

    std::shared_ptr<const Data> d;
};

class ZANTOQUILLER_CORE_EXPORT EInOutError : public Exception
{
public:
    explicit EInOutError(QString message, QString reason = {});
    ~EInOutError() override;

    // What the operating system said, e.g. "/dev/usb/lp0: Permission denied";
    // empty when there is nothing more to say than the message.
    const QString &Reason() const;
};

class ZANTOQUILLER_CORE_EXPORT EConvertError : public Exception
{
public:
    using Exception::Exception;
    ~EConvertError() override;
};

class ZANTOQUILLER_CORE_EXPORT EStringListError : public Exception
{
public:
    using Exception::Exception;
    ~EStringListError() override;
};

class ZANTOQUILLER_CORE_EXPORT EPrinter : public Exception
{
public:
    using Exception::Exception;
    ~EPrinter() override;
};

// The print server (or a printer addressed by URI) cannot be reached or did
// not answer within the time-out.
class ZANTOQUILLER_CORE_EXPORT EPrinterUnreachable : public EPrinter
{
public:
    using EPrinter::EPrinter;
    ~EPrinterUnreachable() override;
};

class ZANTOQUILLER_CORE_EXPORT eZantoquillError : public Exception
{
public:
    using Exception::Exception;
    ~eZantoquillError() override;
};

} // namespace Zanto

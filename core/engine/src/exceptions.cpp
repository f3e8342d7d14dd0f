#include <zantoquiller/exceptions.h>

#include <string>

namespace Zanto {

struct Exception::Data
{
    QString message;
    QString reason;
    // what()'s bytes, kept for the exception's lifetime.
    std::string what;
};

Exception::Exception(QString message) : Exception(std::move(message), QString()) { }

Exception::Exception(QString message, QString reason)
{
    auto data = std::make_shared<Data>();
    data->what = message.toStdString();
    data->message = std::move(message);
    data->reason = std::move(reason);
    d = std::move(data);
}

Exception::Exception(const Exception &other) noexcept = default;
Exception &Exception::operator=(const Exception &other) noexcept = default;
Exception::~Exception() = default;

const QString &Exception::Message() const
{
    return d->message;
}

const char *Exception::what() const noexcept
{
    return d->what.c_str();
}

EInOutError::EInOutError(QString message, QString reason)
    : Exception(std::move(message), std::move(reason))
{ }

EInOutError::~EInOutError() = default;

const QString &EInOutError::Reason() const
{
    return d->reason;
}

// Out of line, so that each class's type information lives in this library
// alone and catching works across libraries.
EConvertError::~EConvertError() = default;
EStringListError::~EStringListError() = default;
EPrinter::~EPrinter() = default;
EPrinterUnreachable::~EPrinterUnreachable() = default;
eZantoquillError::~eZantoquillError() = default;

} // namespace Zanto

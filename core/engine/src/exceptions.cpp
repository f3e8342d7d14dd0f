#include <zantoquiller/exceptions.h>

#include <string>

namespace Zanto {

struct Exception::Data
{
    QString message;
    QString reason;
    ErrorKind kind = ErrorKind::Other;
    int systemError = 0;
    EInOutError::PortStep portStep = EInOutError::PortStep::None;
    // what()'s bytes, kept for the exception's lifetime.
    std::string what;
};

Exception::Exception(QString message)
    : Exception(std::move(message), QString(), ErrorKind::Other, 0, 0)
{ }

Exception::Exception(QString message, ErrorKind kind, int systemError)
    : Exception(std::move(message), QString(), kind, systemError, 0)
{ }

Exception::Exception(QString message, QString reason, ErrorKind kind, int systemError, int portStep)
{
    auto data = std::make_shared<Data>();
    data->what = message.toStdString();
    data->message = std::move(message);
    data->reason = std::move(reason);
    data->kind = kind;
    data->systemError = systemError;
    data->portStep = EInOutError::PortStep(portStep);
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

ErrorKind Exception::kind() const noexcept
{
    return d->kind;
}

int Exception::systemError() const noexcept
{
    return d->systemError;
}

EInOutError::EInOutError(QString message, QString reason)
    : Exception(std::move(message), std::move(reason), ErrorKind::Other, 0, 0)
{ }

EInOutError::EInOutError(
    QString message, QString reason, ErrorKind kind, int systemError, PortStep step)
    : Exception(std::move(message), std::move(reason), kind, systemError, int(step))
{ }

EInOutError::PortStep EInOutError::portStep() const noexcept
{
    return d->portStep;
}

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

#include <zantoquiller/exceptions.h>

namespace Zanto {

Exception::Exception(QString message)
    : m_message(std::move(message)), m_what(m_message.toStdString())
{ }

EInOutError::EInOutError(QString message, QString reason)
    : Exception(std::move(message)), m_reason(std::move(reason))
{ }

} // namespace Zanto

#include "systemreason.h"

#include <cstring>
#include <libintl.h>
#include <locale.h>

namespace ZantoTest {

QString osReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

std::string osReasonText(int errorNumber)
{
    return std::strerror(errorNumber);
}

QString childOsReason(int errorNumber)
{
    locale_t environmentLocale = ::newlocale(LC_ALL_MASK, "", locale_t(nullptr));
    if (!environmentLocale)
        return osReason(errorNumber);
    const QString reason = QString::fromLocal8Bit(::strerror_l(errorNumber, environmentLocale));
    ::freelocale(environmentLocale);
    return reason;
}

QString libcMessage(const char *message)
{
    return QString::fromLocal8Bit(::dgettext("libc", message));
}

} // namespace ZantoTest

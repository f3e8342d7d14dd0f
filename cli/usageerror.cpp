#include "usageerror.h"

#include <utility>

namespace Zanto::Cli {

namespace {

OptionOriginLookup originLookup;

OptionOrigin originOf(const QString &option, const QString &value)
{
    return originLookup ? originLookup(option, value) : OptionOrigin {};
}

QString toldAt(const OptionOrigin &origin, const QString &option, const QString &problem)
{
    if (origin.onCommandLine())
        return QStringLiteral("--") + option + QStringLiteral(": ") + problem;
    return origin.text() + QStringLiteral(": ") + option + QStringLiteral(": ") + problem;
}

} // namespace

UsageError::UsageError(const QString &option, const QString &value, const QString &problem)
    : UsageError(option, originOf(option, value), problem)
{ }

UsageError::UsageError(const QString &option, OptionOrigin origin, const QString &problem)
    : std::runtime_error(toldAt(origin, option, problem).toStdString())
    , m_option(option)
    , m_origin(std::move(origin))
{ }

UsageError::UsageError(const QString &message, QString option, OptionOrigin origin)
    : std::runtime_error(message.toStdString())
    , m_option(std::move(option))
    , m_origin(std::move(origin))
{ }

void setOptionOriginLookup(OptionOriginLookup lookup)
{
    originLookup = std::move(lookup);
}

} // namespace Zanto::Cli

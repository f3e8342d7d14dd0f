#pragma once

#include <QString>

#include <stdexcept>

namespace Zanto::Cli {

// A mistake in the command line: reported with exit status 2.
class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const QString &message) : std::runtime_error(message.toStdString()) { }
};

} // namespace Zanto::Cli

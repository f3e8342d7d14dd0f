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

// A failure of the command itself rather than of the component, such as an
// input file that cannot be read: reported with exit status 1.
class CommandFailure : public std::runtime_error
{
public:
    explicit CommandFailure(const QString &message) : std::runtime_error(message.toStdString()) { }
};

} // namespace Zanto::Cli

namespace Zanto::Cli {

// A mistake in a profile file, told as "FILE:LINE: problem" like a compiler's,
// without the command's name in front: also a usage error.
class ProfileError : public UsageError
{
public:
    ProfileError(const QString &file, int line, const QString &problem)
        : UsageError(file + u':' + QString::number(line) + QStringLiteral(": ") + problem)
    { }
};

} // namespace Zanto::Cli

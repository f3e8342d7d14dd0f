#pragma once

#include <QString>

#include <functional>
#include <stdexcept>

namespace Zanto::Cli {

// Where the value of an option came from: the command line, or a line of a
// profile file.
struct OptionOrigin
{
    QString file; // empty: the command line
    int line = 0;

    bool onCommandLine() const { return file.isEmpty(); }
    // "FILE:LINE"; empty on the command line.
    QString text() const
    {
        return onCommandLine() ? QString() : file + u':' + QString::number(line);
    }
};

// A mistake in the command line or in a profile file: reported with exit
// status 2. what() is the message the user is told.
class UsageError : public std::runtime_error
{
public:
    // A mistake of the command line as a whole.
    explicit UsageError(const QString &message) : std::runtime_error(message.toStdString()) { }
    // A mistake in the value of option (its long name): "--option: problem"
    // when the command line gives it, "FILE:LINE: option: problem" when a
    // profile does. value is the one in question, which tells which of
    // several places gave it.
    UsageError(const QString &option, const QString &value, const QString &problem);

    // The option the mistake is about; empty when it is about no option.
    const QString &option() const { return m_option; }
    const OptionOrigin &origin() const { return m_origin; }

protected:
    UsageError(const QString &message, QString option, OptionOrigin origin);

private:
    UsageError(const QString &option, OptionOrigin origin, const QString &problem);

    QString m_option;
    OptionOrigin m_origin;
};

// Tells UsageError where a value of an option came from; without it, every
// value is the command line's.
using OptionOriginLookup = std::function<OptionOrigin(const QString &option, const QString &value)>;
void setOptionOriginLookup(OptionOriginLookup lookup);

// A failure of the command itself rather than of the component, such as an
// input file that cannot be read: reported with exit status 1.
class CommandFailure : public std::runtime_error
{
public:
    explicit CommandFailure(const QString &message) : std::runtime_error(message.toStdString()) { }
};

// A mistake in a profile file, told as "FILE:LINE: problem" like a compiler's,
// without the command's name in front: also a usage error.
class ProfileError : public UsageError
{
public:
    ProfileError(const QString &file, int line, const QString &problem, const QString &key = {})
        : UsageError(file + u':' + QString::number(line) + QStringLiteral(": ") + problem, key,
            OptionOrigin {file, line})
    { }
};

} // namespace Zanto::Cli

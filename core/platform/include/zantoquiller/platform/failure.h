// A failure as the platform layer reports it: its kind, the operating
// system's error number and the reason in words, "NAME: what went wrong".
#pragma once

#include <zantoquiller/errorkind.h>

#include <stdexcept>
#include <string>

namespace Zanto::Platform {

struct Failure
{
    ErrorKind kind = ErrorKind::Other;
    int systemError = 0; // errno; 0 when the system gave none
    std::string reason; // empty when nothing failed

    bool failed() const { return !reason.empty(); }
};

// The system's text for errno value error, in the language of the locale, as
// strerror gives it but safe to call from several threads at once.
std::string systemText(int error);

// "name: system text" with the kind of error.
Failure systemFailure(const std::string &name, int error);

// The base of the platform's exceptions: what() is the reason.
class Error : public std::runtime_error
{
public:
    explicit Error(const Failure &failure)
        : std::runtime_error(failure.reason)
        , m_kind(failure.kind)
        , m_systemError(failure.systemError)
    { }
    explicit Error(
        const std::string &reason, ErrorKind kind = ErrorKind::Other, int systemError = 0)
        : std::runtime_error(reason), m_kind(kind), m_systemError(systemError)
    { }

    ErrorKind kind() const noexcept { return m_kind; }
    int systemError() const noexcept { return m_systemError; }
    Failure failure() const { return {m_kind, m_systemError, what()}; }

private:
    ErrorKind m_kind;
    int m_systemError;
};

} // namespace Zanto::Platform

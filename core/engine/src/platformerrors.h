// Turns the platform layer's failures and texts into the library's
// exceptions and strings.
#pragma once

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/failure.h>
#include <zantoquiller/platform/printer.h>

#include <QString>

#include <string>

namespace Zanto {

// A text of the platform layer (a reason, a printer's or server's words, a
// name): bytes in the locale's encoding. The one place they are decoded.
inline QString fromPlatform(const std::string &text)
{
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

// EInOutError with message, whose reason, kind and error number are
// failure's, failed in step of a print to a port.
inline EInOutError inOutError(const QString &message, const Platform::Failure &failure,
    EInOutError::PortStep step = EInOutError::PortStep::None)
{
    return EInOutError(
        message, fromPlatform(failure.reason), failure.kind, failure.systemError, step);
}

// The printer object's failure as the library's: EPrinterUnreachable for a
// server that cannot be reached, else EPrinter, of the same kind.
[[noreturn]] inline void throwPrinterError(const Platform::PrinterError &error)
{
    if (dynamic_cast<const Platform::ServerUnreachable *>(&error))
        throw EPrinterUnreachable(fromPlatform(error.what()), error.systemError());
    throw EPrinter(fromPlatform(error.what()), error.kind(), error.systemError());
}

// Runs call on the printer object; its failures leave as EPrinter
// (EPrinterUnreachable for a server that cannot be reached).
template<typename Call> auto onPrinter(Call call) -> decltype(call())
{
    try {
        return call();
    } catch (const Platform::PrinterError &error) {
        throwPrinterError(error);
    }
}

} // namespace Zanto

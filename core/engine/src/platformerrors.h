// Turns the platform layer's failures into the library's exceptions.
#pragma once

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/printer.h>

#include <QString>

namespace Zanto {

// Runs call on the printer object; its failures leave as EPrinter
// (EPrinterUnreachable for a server that cannot be reached).
template<typename Call> auto onPrinter(Call call) -> decltype(call())
{
    try {
        return call();
    } catch (const Platform::ServerUnreachable &error) {
        throw EPrinterUnreachable(QString::fromStdString(error.what()));
    } catch (const Platform::PrinterError &error) {
        throw EPrinter(QString::fromStdString(error.what()));
    }
}

} // namespace Zanto

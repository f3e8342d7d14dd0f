// Turns the platform layer's failures into the library's exceptions.
#pragma once

#include <zantoquiller/exceptions.h>
#include <zantoquiller/platform/printer.h>

#include <QString>

namespace Zanto {

// Runs call on the printer object; its failures leave as EPrinter.
template<typename Call> auto onPrinter(Call call) -> decltype(call())
{
    try {
        return call();
    } catch (const Platform::PrinterError &error) {
        throw EPrinter(QString::fromStdString(error.what()));
    }
}

} // namespace Zanto

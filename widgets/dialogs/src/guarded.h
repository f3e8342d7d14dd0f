// Event handlers of the dialogs raise exceptions as the component does; an
// exception must not unwind through Qt's signal delivery, so every handler
// connected to a signal is wrapped: what it raises goes to the application's
// error box.
#pragma once

#include <zantoquiller/application.h>

#include <utility>

namespace Zanto {

template<typename Handler> auto guarded(Handler handler)
{
    return [handler = std::move(handler)](auto &&...) {
        try {
            handler();
        } catch (...) {
            HandleException(std::current_exception());
        }
    };
}

} // namespace Zanto

#include <zantoquiller/interrupts.h>
#include <zantoquiller/platform/interruption.h>
#include <zantoquiller/platform/signalhandlers.h>

namespace Zanto {

void installInterruptHandlers()
{
    Platform::installInterruptHandlers();
}

int interruptSignal()
{
    return Platform::interruptSignal();
}

} // namespace Zanto

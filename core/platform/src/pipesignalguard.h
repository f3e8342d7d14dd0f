// Holds SIGPIPE off for one step, so that a vanished reader makes a write fail
// with EPIPE instead of ending the process.
#pragma once

#include "heldsignal.h"

namespace Zanto::Platform {

class PipeSignalGuard : public HeldSignal
{
public:
    PipeSignalGuard() : HeldSignal(SIGPIPE) { }
};

} // namespace Zanto::Platform

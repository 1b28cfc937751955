// Events raised from a Qt signal or a Qt event handler must not unwind through Qt: what a
// handler throws there is reported as an event exception and the event loop goes on. Events
// raised by the program's own calls (setting Checked or Value) are raised directly instead,
// so their exceptions reach the caller. Private to the platform layer.
#pragma once

#include <exception>

#include "platform/Exception.h"

template <class F>
void RaiseFromEventLoop(F&& raise) noexcept
{
    try {
        raise();
    } catch (...) {
        HandleEventException(std::current_exception());
    }
}

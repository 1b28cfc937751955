// Events from the window system. Private to the platform layer.
//
// Events raised from a Qt signal or a Qt event handler must not unwind through Qt: what a
// handler throws there is reported as an event exception and the event loop goes on. Events
// raised by the program's own calls (setting Checked or Value) are raised directly instead,
// so their exceptions reach the caller.
//
// A handler may destroy the very objects whose event it handles: a control (a host closing a
// panel from its key handler) and with it its widget, its pop-up menu and the menu's actions.
// Qt may still use them once the handler returns (the menu whose item was chosen, the button
// that was clicked), so while the window system delivers an event the layer deletes the Qt
// objects it owns later, once control is back in the event loop, as deleteLater does.
#pragma once

#include <exception>

#include "platform/Exception.h"

class QObject;

// Marks the window system delivering an event to the layer, for as long as it lives.
class TWindowSystemEvent {
public:
    TWindowSystemEvent() noexcept;
    ~TWindowSystemEvent();
    TWindowSystemEvent(const TWindowSystemEvent&) = delete;
    TWindowSystemEvent& operator=(const TWindowSystemEvent&) = delete;

    static bool Delivering() noexcept;
};

// Deletes a Qt object the layer owns: at once, or, while an event is delivered, once control
// is back in the event loop; a widget then leaves its parent and is hidden at once.
void DeleteQtObject(QObject* object) noexcept;

template <class F>
void RaiseFromEventLoop(F&& raise) noexcept
{
    TWindowSystemEvent event;
    try {
        raise();
    } catch (...) {
        HandleEventException(std::current_exception());
    }
}

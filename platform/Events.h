// Events are closures: a member function bound to its receiver, assignable and empty until
// assigned. Bind(this, &TMapGrid::myDrawCell) makes one.
#pragma once

#include <functional>
#include <utility>

#include "platform/Types.h"

class TObject;

enum TGridDrawFlag : unsigned { gdSelected = 1u << 0, gdFocused = 1u << 1, gdFixed = 1u << 2 };
using TGridDrawState = unsigned;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TDrawCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TRect& Rect, TGridDrawState State)>;

template <class C, class R, class... A>
std::function<R(A...)> Bind(C* receiver, R (C::*method)(A...))
{
    return [receiver, method](A... args) -> R { return (receiver->*method)(std::forward<A>(args)...); };
}

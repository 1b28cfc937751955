// Window messages as records whose first 32-bit field is the message number. A windowed
// control receives every one through its virtual Dispatch(void*).
#pragma once

#include <cstdint>

#include "platform/Types.h"

constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;

// Key-state bits of a mouse message.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// Virtual key codes that the layer produces besides letters and digits.
constexpr WORD VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
               VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
               VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
               VK_DELETE = 0x2E, VK_F1 = 0x70;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

struct TWMSize {
    UINT Msg = WM_SIZE;
    WPARAM SizeType = 0;
    WORD Width = 0;
    WORD Height = 0;
    LRESULT Result = 0;
};

struct TWMMouse {
    UINT Msg = WM_MOUSEMOVE;
    WPARAM Keys = 0;
    std::int16_t XPos = 0;  // client coordinates, as the window system packs them
    std::int16_t YPos = 0;
    LRESULT Result = 0;
};

struct TWMKey {
    UINT Msg = WM_KEYDOWN;
    WORD CharCode = 0;      // virtual key for WM_KEYDOWN/WM_KEYUP, the character for WM_CHAR
    WPARAM KeyData = 0;     // TShiftState flags
    LRESULT Result = 0;
};

struct TWMPaint {
    UINT Msg = WM_PAINT;
    TRect Dirty;
    LRESULT Result = 0;
};

// Packs a client coordinate into a message's 16-bit field, saturating instead of wrapping.
constexpr std::int16_t ClampToInt16(int v)
{
    return static_cast<std::int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

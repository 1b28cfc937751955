// Drawing on a control's surface through the window system's drawing-context functions.
// Coordinates are client pixels; right and bottom edges are exclusive; the default pen is
// solid black, one pixel wide; text is drawn on an opaque background.
#pragma once

#include "platform/Types.h"

class TWindow;
class TDeviceContext;
class TGdiObject;

using HWND = TWindow*;
using HDC = TDeviceContext*;
using HGDIOBJ = TGdiObject*;
using HBRUSH = TGdiObject*;
using HPEN = TGdiObject*;
using COLORREF = DWORD;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct TEXTMETRICA {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmAveCharWidth = 0;
};

constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int BLACK_PEN = 7;
constexpr int DC_BRUSH = 18;

constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;

// A context on the whole window's surface, not clipped to any cell; null for no window.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetStockObject(int which);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
// Draws count characters of text (all of a NUL-terminated text when count is -1); returns the
// height of the text drawn.
int DrawTextA(HDC dc, const char* text, int count, RECT* rect, UINT format);
bool GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);

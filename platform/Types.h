// Plain value types shared by the whole layer: rectangles, points, colours and the
// shift-state set, with the window system's conventions (right and bottom exclusive,
// colours as 0x00BBGGRR).
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Intersects(const TRect& other) const {
        return Left < other.Right && other.Left < Right && Top < other.Bottom && other.Top < Bottom;
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }

// 0x00BBGGRR, red in the low byte. Negative values name system colours.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);

// The colour a system colour stands for on this desktop (the classic light scheme).
TColor ColorToRGB(TColor color);

constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
constexpr TColor RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

enum TShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};

class TShiftState {
public:
    TShiftState() = default;
    TShiftState(unsigned flags) : flags_(flags) {}
    bool Contains(TShiftFlag flag) const { return (flags_ & flag) != 0; }
    TShiftState& operator<<(TShiftFlag flag) { flags_ |= flag; return *this; }
    unsigned Flags() const { return flags_; }
    friend bool operator==(const TShiftState&, const TShiftState&) = default;

private:
    unsigned flags_ = 0;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;

enum TAnchorKind : unsigned { akLeft = 1u << 0, akTop = 1u << 1, akRight = 1u << 2, akBottom = 1u << 3 };
using TAnchors = unsigned;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

enum class TPopupAlignment { paLeft, paRight, paCenter };
using enum TPopupAlignment;

int MulDiv(int number, int numerator, int denominator);

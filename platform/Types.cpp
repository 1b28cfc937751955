#include "platform/Types.h"

#include <cstdint>
#include <cstdlib>

TColor ColorToRGB(TColor color)
{
    if (color >= 0) return color;
    switch (color & 0xFF) {
    case 0x05: return clWhite;           // window background
    case 0x08: return clBlack;           // window text
    case 0x0F: return RGB(240, 240, 240); // button face
    default: return clBlack;
    }
}

// Rounds half away from zero as the window system does; a zero denominator gives -1.
int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t quotient = product / denominator;
    const std::int64_t remainder = product % denominator;
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<std::int64_t>(denominator)))
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
    return static_cast<int>(quotient);
}

#include "data/CellConverters.h"

#include <algorithm>
#include <charconv>

namespace {

// printf's "%#.*g" of a non-negative value: precision significant digits, trailing zeros and
// the decimal point kept, exponent notation when the exponent is below -4 or not below the
// precision. Built on std::to_chars, which rounds exactly and ignores the locale (the
// application may set one whose decimal point is ","), and done by hand because glibc drops
// the kept zeros when rounding carries into the next power of ten (9999.75 at four digits
// gives "1.e+04" there instead of "1.000e+04").
std::string FormatAlternateGeneral(double value, int precision)
{
    char text[64];
    // The exponent that decides the notation is the one after rounding to the precision.
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, precision - 1).ptr;
    const char* e = std::find(text, end, 'e');
    int exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
    if (exponent < -4 || exponent >= precision) return std::string(text, end);

    end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision - 1 - exponent).ptr;
    std::string fixed(text, end);
    if (fixed.find('.') == std::string::npos) fixed += '.';
    return fixed;
}

} // namespace

TStoredQuantity TCellConverter::FromString(std::string_view) const { return {}; }

// The products wrap modulo 2^32 on purpose: a cell value of -1 reaches here as 2^32 - 1.
std::string TRPMCellConverter::AsString(unsigned int value) const { return std::to_string(value * 100u); }

std::string TKPACellConverter::AsString(unsigned int value) const { return std::to_string(value * 2u); }

std::string TIGNCellConverter::AsString(unsigned int value) const
{
    // One more significant digit per integer digit keeps two decimals up to 99.75; 0 takes
    // one more so that it reads 0.00.
    int precision = 2;
    if (value == 0) ++precision;
    if (value >= 4) ++precision;
    if (value >= 40) ++precision;
    return FormatAlternateGeneral(value * 0.25, precision);
}

TStoredQuantity TRPMCellConverter::FromString(std::string_view text) const
{
    return TStoredQuantity::FromDecimal(text, 1, 100);
}

TStoredQuantity TKPACellConverter::FromString(std::string_view text) const
{
    return TStoredQuantity::FromDecimal(text, 1, 2);
}

TStoredQuantity TIGNCellConverter::FromString(std::string_view text) const
{
    return TStoredQuantity::FromDecimal(text, 4, 1);
}

// Reading display texts back into stored values. A converter turns a text in display units
// (rpm, kPa, degrees) into a TStoredQuantity, the text's value in stored units known exactly;
// NearestValue then rounds it to the nearest integer a cell can hold and clamps it to the
// cell's bounds, and says how the result relates to the text.
//
// What reads as a number, whatever the locale: optional spaces or tabs, an optional sign,
// decimal digits with an optional "." (at least one digit: "8", "8.", ".5", "8.75"), an
// optional exponent ("e" or "E", an optional sign, digits), optional spaces or tabs. Nothing
// else: no digit grouping, no "," as decimal point, no unit, no "inf" or "nan", no hex, and
// no text longer than kMaxTextLength characters. This covers every text the converters
// produce, the exponent form of huge values included, and what spreadsheets write.
//
// The value is taken as the decimal it is written as, never through binary floating point:
// "8.30" degrees is 33.2 quarter units, and a long digit string that misses a quarter by a
// trillionth is not exact.
//
// Ties round half away from zero, as spreadsheets' ROUND does: 1250 rpm stores as 13 (1300
// rpm) and 8.125 degrees as 33 (8.25).
#pragma once

#include <cstddef>
#include <string_view>

struct TStoredQuantity {
    // Where the fraction of the magnitude lies against one half.
    enum class TFraction { None, BelowHalf, Half, AboveHalf };

    // Longer texts are not read as numbers: no spreadsheet writes one, and it bounds the work.
    static constexpr std::size_t kMaxTextLength = 128;
    // The magnitude's whole part saturates here, far beyond any 32-bit stored value; a
    // saturated quantity is never exact.
    static constexpr long long kWholeLimit = 1LL << 53;

    // text, a decimal in display units, times numerator / denominator: the stored units of a
    // converter whose stored value v shows as v * denominator / numerator. Not a number when
    // the text does not read as one or the denominator is 0.
    static TStoredQuantity FromDecimal(std::string_view text, unsigned int numerator, unsigned int denominator);
    static TStoredQuantity Integer(long long value);

    // -1, 0 or 1 as the quantity is below, equal to or above value. Only for numbers.
    int CompareTo(long long value) const;

    bool isNumber = false;
    bool negative = false;
    long long whole = 0; // of the magnitude
    TFraction fraction = TFraction::None;
};

enum class TTextFit {
    Exact,      // the text's value is a value the cell can hold
    Rounded,    // within the cell's bounds, between two values it can hold
    Clamped,    // beyond the cell's bounds
    NotANumber, // the text does not read as a number
};

struct TTextValue {
    TTextFit fit = TTextFit::NotANumber;
    // The stored value nearest the text that the cell can hold: the rounded quantity clamped as
    // TMapCell::setCellValue clamps (lower bound first, upper bound last). 0 and meaningless
    // when the text is not a number.
    int value = 0;
};

TTextValue NearestValue(const TStoredQuantity& quantity, int minValue, int maxValue);

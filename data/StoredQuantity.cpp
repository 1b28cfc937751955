#include "data/StoredQuantity.h"

#include <algorithm>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

TStoredQuantity Number(bool negative, long long whole, TStoredQuantity::TFraction fraction)
{
    TStoredQuantity quantity;
    quantity.isNumber = true;
    quantity.negative = negative;
    quantity.whole = whole;
    quantity.fraction = fraction;
    return quantity;
}

// Beyond every stored value, and so never exact.
TStoredQuantity Huge(bool negative)
{
    return Number(negative, TStoredQuantity::kWholeLimit, TStoredQuantity::TFraction::BelowHalf);
}

// The decimal digits of digits * factor, most significant first.
std::string Multiplied(const std::string& digits, unsigned int factor)
{
    std::string product;
    unsigned long long carry = 0;
    for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
        const unsigned long long t = static_cast<unsigned long long>(*d - '0') * factor + carry;
        product += static_cast<char>('0' + t % 10);
        carry = t / 10;
    }
    for (; carry > 0; carry /= 10) product += static_cast<char>('0' + carry % 10);
    std::reverse(product.begin(), product.end());
    return product;
}

} // namespace

TStoredQuantity TStoredQuantity::FromDecimal(std::string_view text, unsigned int numerator, unsigned int denominator)
{
    using enum TFraction;
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty() || text.size() > kMaxTextLength || denominator == 0) return {};

    std::size_t i = 0;
    const auto at = [&](auto test) { return i < text.size() && test(text[i]); };
    bool negative = false;
    if (at([](char c) { return c == '+' || c == '-'; })) negative = text[i++] == '-';

    // The value is digits * 10^exponent.
    std::string digits;
    long long exponent = 0;
    while (at(IsDigit)) digits += text[i++];
    if (at([](char c) { return c == '.'; })) {
        ++i;
        for (; at(IsDigit); --exponent) digits += text[i++];
    }
    if (digits.empty()) return {};
    if (at([](char c) { return c == 'e' || c == 'E'; })) {
        ++i;
        bool exponentNegative = false;
        if (at([](char c) { return c == '+' || c == '-'; })) exponentNegative = text[i++] == '-';
        if (!at(IsDigit)) return {};
        long long written = 0;
        // Past a million the exponent only tells huge from tiny, which the cap keeps.
        for (; at(IsDigit); ++i) written = std::min(written * 10 + (text[i] - '0'), 1'000'000LL);
        exponent += exponentNegative ? -written : written;
    }
    if (i != text.size()) return {};

    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.empty() || numerator == 0) return Number(negative, 0, None);
    while (digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }

    // The leading digit stands for 10^order. At 10^31 display units even the largest
    // denominator leaves far more than any stored value; below 10^-40 even the largest
    // numerator leaves less than a half, but never nothing.
    const long long order = static_cast<long long>(digits.size()) + exponent - 1;
    if (order > 30) return Huge(negative);
    if (order < -40) return Number(negative, 0, BelowHalf);

    // quantity = digits * numerator / denominator / 10^places, by long division of the
    // scaled digits, so that every digit counts.
    std::string scaled = Multiplied(digits, numerator);
    if (exponent > 0) scaled.append(static_cast<std::size_t>(exponent), '0');
    const std::size_t places = exponent < 0 ? static_cast<std::size_t>(-exponent) : 0;
    if (scaled.size() <= places) scaled.insert(0, places + 1 - scaled.size(), '0');
    unsigned long long remainder = 0;
    for (char& d : scaled) {
        const unsigned long long t = remainder * 10 + static_cast<unsigned long long>(d - '0');
        d = static_cast<char>('0' + t / denominator);
        remainder = t % denominator;
    }

    const std::size_t point = scaled.size() - places;
    long long whole = 0;
    for (std::size_t k = 0; k < point; ++k) {
        whole = whole * 10 + (scaled[k] - '0');
        if (whole >= kWholeLimit) return Huge(negative);
    }

    // The fraction is the digits after the point plus remainder / denominator of a unit in
    // their last place, which is less than that place: the first digit decides unless it is
    // 5 (or 0) and all that follows is nothing.
    TFraction fraction = None;
    if (places == 0) {
        const unsigned long long twice = 2 * remainder;
        fraction = remainder == 0 ? None : twice < denominator ? BelowHalf : twice == denominator ? Half : AboveHalf;
    } else {
        const char first = scaled[point];
        const bool restIsNothing =
            remainder == 0 && std::all_of(scaled.begin() + static_cast<std::ptrdiff_t>(point) + 1, scaled.end(),
                                          [](char d) { return d == '0'; });
        if (first > '5') fraction = AboveHalf;
        else if (first == '5') fraction = restIsNothing ? Half : AboveHalf;
        else fraction = first == '0' && restIsNothing ? None : BelowHalf;
    }
    return Number(negative, whole, fraction);
}

TStoredQuantity TStoredQuantity::Integer(long long value)
{
    if (value <= -kWholeLimit) return Huge(true);
    if (value >= kWholeLimit) return Huge(false);
    return Number(value < 0, value < 0 ? -value : value, TFraction::None);
}

int TStoredQuantity::CompareTo(long long value) const
{
    const bool zero = whole == 0 && fraction == TFraction::None;
    if (!negative || zero) {
        if (value < 0 || whole > value) return 1;
        if (whole < value) return -1;
        return fraction == TFraction::None ? 0 : 1;
    }
    if (value >= 0) return -1;
    // Both negative: the larger magnitude is the smaller number. Beyond the whole limit the
    // saturated magnitude is larger than any value's.
    const unsigned long long magnitude = 0ULL - static_cast<unsigned long long>(value);
    const auto ours = static_cast<unsigned long long>(whole);
    if (ours < magnitude) return 1;
    if (ours > magnitude) return -1;
    return fraction == TFraction::None ? 0 : -1;
}

TTextValue NearestValue(const TStoredQuantity& quantity, int minValue, int maxValue)
{
    using enum TStoredQuantity::TFraction;
    if (!quantity.isNumber) return {};
    // Half away from zero: the tie goes with the magnitude.
    const long long magnitude = quantity.whole + (quantity.fraction == Half || quantity.fraction == AboveHalf ? 1 : 0);
    const long long rounded = quantity.negative ? -magnitude : magnitude;
    long long stored = rounded;
    if (stored < minValue) stored = minValue;
    if (stored > maxValue) stored = maxValue;
    const int value = static_cast<int>(stored);

    if (quantity.fraction == None && rounded == stored) return {TTextFit::Exact, value};
    if (quantity.CompareTo(minValue) < 0 || quantity.CompareTo(maxValue) > 0) return {TTextFit::Clamped, value};
    return {TTextFit::Rounded, value};
}

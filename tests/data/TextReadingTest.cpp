// Reading display texts back into stored values: what each converter reads exactly, what it
// rounds and clamps and what is not a number, the bounds of a cell, and the round trip from
// every text a converter writes.
#include <gtest/gtest.h>

#include <climits>
#include <locale>
#include <string>
#include <string_view>

#include "data/MapData.h"

namespace {

std::string FitName(TTextFit fit)
{
    switch (fit) {
    case TTextFit::Exact: return "Exact";
    case TTextFit::Rounded: return "Rounded";
    case TTextFit::Clamped: return "Clamped";
    case TTextFit::NotANumber: return "NotANumber";
    }
    return "?";
}

struct Row {
    std::string text;
    TTextFit fit;
    int value;
};

constexpr TTextFit kExact = TTextFit::Exact;
constexpr TTextFit kRounded = TTextFit::Rounded;
constexpr TTextFit kClamped = TTextFit::Clamped;
constexpr TTextFit kNaN = TTextFit::NotANumber;

void ExpectReadings(const TCellConverter& converter, const std::vector<Row>& rows, const char* name, int minValue = 0,
                    int maxValue = 255)
{
    for (const Row& r : rows) {
        const TTextValue got = NearestValue(converter.FromString(r.text), minValue, maxValue);
        EXPECT_EQ(FitName(got.fit), FitName(r.fit)) << name << " reading \"" << r.text << "\"";
        if (r.fit != kNaN) {
            EXPECT_EQ(got.value, r.value) << name << " reading \"" << r.text << "\"";
        }
    }
}

// Texts that no converter reads as a number.
const std::vector<Row> kNotNumbers = {
    {"", kNaN, 0},         {" ", kNaN, 0},        {"\t", kNaN, 0},         {"abc", kNaN, 0},
    {"8OO", kNaN, 0},      {"1,200", kNaN, 0},    {"8,75", kNaN, 0},       {"1 200", kNaN, 0},
    {"0x10", kNaN, 0},     {"inf", kNaN, 0},      {"-inf", kNaN, 0},       {"Infinity", kNaN, 0},
    {"nan", kNaN, 0},      {"NaN", kNaN, 0},      {"1e", kNaN, 0},         {"1e+", kNaN, 0},
    {"e5", kNaN, 0},       {".", kNaN, 0},        {"-", kNaN, 0},          {"+", kNaN, 0},
    {"+-1", kNaN, 0},      {"--1", kNaN, 0},      {"1.2.3", kNaN, 0},      {"1..2", kNaN, 0},
    {"800rpm", kNaN, 0},   {"8.75deg", kNaN, 0},  {"12e3.5", kNaN, 0},     {"1e5e5", kNaN, 0},
    {"\"800\"", kNaN, 0},  {"8\n", kNaN, 0},      {"8\r", kNaN, 0},        {std::string("8\0" "00", 4), kNaN, 0},
    {"\xd9\xa3", kNaN, 0}, {"\xef\xbc\x98", kNaN, 0}, {"\xc2\xa0" "8", kNaN, 0},
    {std::string(TStoredQuantity::kMaxTextLength + 1, '1'), kNaN, 0},
    {"0." + std::string(TStoredQuantity::kMaxTextLength - 1, '0'), kNaN, 0},
};

TEST(TextReading, EngineSpeedInRpm)
{
    ExpectReadings(TRPMCellConverter(),
                   {
                       {"800", kExact, 8},          {"0", kExact, 0},
                       {"25500", kExact, 255},      {"1200.0", kExact, 12},
                       {"1.2e3", kExact, 12},       {"12E+2", kExact, 12},
                       {"120000e-2", kExact, 12},   {"  3000\t", kExact, 30},
                       {"+800", kExact, 8},         {"-0", kExact, 0},
                       {"0800", kExact, 8},         {"800.", kExact, 8},
                       // Half a step goes up, anything less goes down.
                       {"1250", kRounded, 13},      {"1249", kRounded, 12},
                       {"850", kRounded, 9},        {"50", kRounded, 1},
                       {"49.999", kRounded, 0},     {"1", kRounded, 0},
                       {"1249.99999999999999999999", kRounded, 12},
                       {"1250.00000000000000000001", kRounded, 13},
                       {"1e-999999", kRounded, 0},
                       {"25549", kClamped, 255},    {"25550", kClamped, 255},
                       {"4294967200", kClamped, 255}, {"1e30", kClamped, 255},
                       {"1e999999999999999", kClamped, 255},
                       {"-100", kClamped, 0},       {"-1", kClamped, 0},
                       {"-1e99", kClamped, 0},
                   },
                   "TRPMCellConverter");
    ExpectReadings(TRPMCellConverter(), kNotNumbers, "TRPMCellConverter");
}

TEST(TextReading, PressureInKpa)
{
    ExpectReadings(TKPACellConverter(),
                   {
                       {"150", kExact, 75},     {"510", kExact, 255},   {"0", kExact, 0},    {"30.0", kExact, 15},
                       {"151", kRounded, 76},   {"150.5", kRounded, 75}, {"151.1", kRounded, 76},
                       {"149", kRounded, 75},   {"0.99", kRounded, 0},  {"1", kRounded, 1},
                       {"511", kClamped, 255},  {"512", kClamped, 255}, {"-2", kClamped, 0},
                   },
                   "TKPACellConverter");
    ExpectReadings(TKPACellConverter(), kNotNumbers, "TKPACellConverter");
}

TEST(TextReading, IgnitionAdvanceInDegrees)
{
    ExpectReadings(TIGNCellConverter(),
                   {
                       {"8.75", kExact, 35},   {"0.00", kExact, 0},     {"63.75", kExact, 255},
                       {"4", kExact, 16},      {"4.0", kExact, 16},     {"4.00000", kExact, 16},
                       {"8.8", kRounded, 35},  {".25", kExact, 1},      {"1.", kExact, 4},
                       {"25e-2", kExact, 1},   {"2.5E-1", kExact, 1},   {"0.0025e2", kExact, 1},
                       // "8.30" is 33.2 quarters, whatever a binary double would make of it.
                       {"8.30", kRounded, 33}, {"8.3", kRounded, 33},   {"8.33", kRounded, 33},
                       {"8.125", kRounded, 33}, {"8.375", kRounded, 34}, {"0.125", kRounded, 1},
                       {"0.0625", kRounded, 0}, {"0.12499999999999999999", kRounded, 0},
                       {"8.2500000000000000000000000000001", kRounded, 33},
                       {"8.2499999999999999999999999999999", kRounded, 33},
                       {"8.8000000000000007105427357601", kRounded, 35},
                       {"63.76", kClamped, 255}, {"63.8", kClamped, 255}, {"64", kClamped, 255},
                       {"1.000e+04", kClamped, 255}, {"-0.25", kClamped, 0}, {"-0.01", kClamped, 0},
                   },
                   "TIGNCellConverter");
    ExpectReadings(TIGNCellConverter(), kNotNumbers, "TIGNCellConverter");
}

TEST(TextReading, BoundsOfTheCell)
{
    const TIGNCellConverter ign;
    struct BoundsRow {
        int minValue, maxValue;
        std::string text;
        TTextFit fit;
        int value;
    };
    const BoundsRow rows[] = {
        {-40, 40, "-10.00", kExact, -40},
        {-40, 40, "-10.01", kClamped, -40},
        {-40, 40, "-9.99", kRounded, -40},
        // Ties go away from zero on both sides.
        {-40, 40, "-0.125", kRounded, -1},
        {-40, 40, "0.125", kRounded, 1},
        {-40, 40, "-0", kExact, 0},
        {0, 1000000, "1.000e+04", kExact, 40000},
        {0, 1000000, "9999.", kExact, 39996},
        {INT_MIN, INT_MAX, "536870911.75", kExact, INT_MAX},
        {INT_MIN, INT_MAX, "536870911.875", kClamped, INT_MAX},
        {INT_MIN, INT_MAX, "-536870912", kExact, INT_MIN},
        {INT_MIN, INT_MAX, "-536870912.0625", kClamped, INT_MIN},
        {INT_MIN, INT_MAX, "-536870912.01", kClamped, INT_MIN},
        {INT_MIN, INT_MAX, "1e40", kClamped, INT_MAX},
        {INT_MIN, INT_MAX, "-1e40", kClamped, INT_MIN},
        // Crossed bounds hold only the upper one, as setCellValue stores it.
        {10, 5, "1.25", kExact, 5},
        {10, 5, "1.75", kClamped, 5},
        {10, 5, "2.5", kClamped, 5},
        {10, 5, "0", kClamped, 5},
        {7, 7, "1.75", kExact, 7},
        {7, 7, "1.8", kClamped, 7},
    };
    for (const BoundsRow& r : rows) {
        const TTextValue got = NearestValue(ign.FromString(r.text), r.minValue, r.maxValue);
        const std::string where = "\"" + r.text + "\" in " + std::to_string(r.minValue) + " .. " +
                                  std::to_string(r.maxValue);
        EXPECT_EQ(FitName(got.fit), FitName(r.fit)) << where;
        EXPECT_EQ(got.value, r.value) << where;
    }
}

// A host's own converter reads nothing until it says how; then it reads like ours.
TEST(TextReading, ConvertersOfTheHost)
{
    struct Tenths : TCellConverter {
        std::string AsString(unsigned int value) const override { return std::to_string(value / 10.0); }
    };
    struct ReadableTenths : Tenths {
        TStoredQuantity FromString(std::string_view text) const override
        {
            return TStoredQuantity::FromDecimal(text, 10, 1);
        }
    };
    ExpectReadings(Tenths(), {{"1.5", kNaN, 0}, {"0", kNaN, 0}}, "Tenths");
    ExpectReadings(ReadableTenths(), {{"1.5", kExact, 15}, {"1.55", kRounded, 16}, {"30", kClamped, 255}},
                   "ReadableTenths");
    EXPECT_FALSE(TStoredQuantity::FromDecimal("1", 1, 0).isNumber) << "a zero denominator reads nothing";
    EXPECT_EQ(NearestValue(TStoredQuantity::FromDecimal("123", 0, 7), 0, 255).fit, kExact) << "a zero numerator";
}

// A cell reads with its map's converter, or as plain decimal when its map has none.
TEST(TextReading, ThroughTheCell)
{
    TMapData map(nullptr);
    TMapCell cell(&map, 0);
    cell.minValue = -10;
    struct CellRow {
        std::string text;
        TTextFit fit;
        int value;
    };
    for (const CellRow& r : std::initializer_list<CellRow>{
             {"-5", kExact, -5}, {"3.5", kRounded, 4}, {"-3.5", kRounded, -4}, {"300", kClamped, 255}, {"x", kNaN, 0}}) {
        const TTextValue got = NearestValue(cell, r.text);
        EXPECT_EQ(FitName(got.fit), FitName(r.fit)) << "no converter, \"" << r.text << "\"";
        if (r.fit != kNaN) {
            EXPECT_EQ(got.value, r.value) << "no converter, \"" << r.text << "\"";
        }
    }
    map.converter = new TIGNCellConverter;
    EXPECT_EQ(NearestValue(cell, "8.75").value, 35);
    EXPECT_EQ(NearestValue(cell, "-2.5").value, -10);
    EXPECT_EQ(NearestValue(cell, "-2.5").fit, kExact);
    EXPECT_EQ(cell.cellValue, 0) << "reading changes nothing";
}

// Every text the converters write reads back as the value it was written from, exactly
// where the text has every digit of it.
TEST(TextReading, EveryTextReadsBackAsItsValue)
{
    const TRPMCellConverter rpm;
    const TKPACellConverter kpa;
    const TIGNCellConverter ign;
    const auto expectBack = [](const TCellConverter& converter, unsigned int v, const char* name) {
        const std::string text = converter.AsString(v);
        const TTextValue got = NearestValue(converter.FromString(text), 0, INT_MAX);
        EXPECT_EQ(FitName(got.fit), "Exact") << name << " " << v << " as \"" << text << "\"";
        EXPECT_EQ(got.value, static_cast<int>(v)) << name << " " << v << " as \"" << text << "\"";
    };
    for (unsigned int v = 0; v <= 255; ++v) {
        expectBack(rpm, v, "TRPMCellConverter");
        expectBack(kpa, v, "TKPACellConverter");
        expectBack(ign, v, "TIGNCellConverter");
    }
    for (unsigned int v : {256u, 1000u, 65535u, 4000000u, 42949672u}) expectBack(rpm, v, "TRPMCellConverter");
    for (unsigned int v : {256u, 65535u, 1000000000u, 2147483647u}) expectBack(kpa, v, "TKPACellConverter");
    for (unsigned int v = 256; v <= 399; ++v) expectBack(ign, v, "TIGNCellConverter");
    for (unsigned int v : {400u, 404u, 4000u, 39996u, 40000u, 400000u}) expectBack(ign, v, "TIGNCellConverter");

    // Beyond 399 the advance shows fewer decimals, and from 39999 in exponent form: its text
    // reads back as a value that shows as the same text.
    const auto sameText = [&](unsigned int v) {
        const std::string text = ign.AsString(v);
        const TTextValue got = NearestValue(ign.FromString(text), 0, INT_MAX);
        ASSERT_NE(got.fit, kNaN) << v << " as \"" << text << "\"";
        EXPECT_EQ(ign.AsString(static_cast<unsigned int>(got.value)), text) << v;
    };
    for (unsigned int v = 400; v <= 50000; ++v) sameText(v);
    for (unsigned int v = 50001; v < 2000000000u; v += 999983) sameText(v);
}

TEST(TextReading, IgnoresTheGlobalLocale)
{
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    ExpectReadings(TIGNCellConverter(), {{"8.75", kExact, 35}, {"8,75", kNaN, 0}}, "TIGNCellConverter");
    ExpectReadings(TRPMCellConverter(), {{"1.200", kRounded, 0}, {"25500", kExact, 255}}, "TRPMCellConverter");
    std::locale::global(saved);
}

} // namespace

// The cell value converters: the worked examples, the unsigned wrap of the
// speed and pressure texts, and the "%#.*g" rule of the ignition-advance text.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <locale>
#include <string>

#include "data/CellConverters.h"

namespace {

struct Row {
    unsigned int value;
    const char* text;
};

void ExpectTexts(const TCellConverter& converter, std::initializer_list<Row> rows, const char* name)
{
    for (const Row& r : rows) EXPECT_EQ(converter.AsString(r.value), r.text) << name << " of " << r.value;
}

TEST(CellConverters, EngineSpeedIsHundredsOfRpmWrappingAt32Bits)
{
    ExpectTexts(TRPMCellConverter(),
                {{8, "800"}, {12, "1200"}, {20, "2000"}, {25, "2500"}, {30, "3000"}, {35, "3500"}, {40, "4000"},
                 {50, "5000"}, {0, "0"}, {255, "25500"},
                 {42949672, "4294967200"},   // the last product below 2^32
                 {42949673, "4"},            // 4294967300 - 2^32
                 {4294967295u, "4294967196"}, // a cell value of -1: 2^32 - 100
                 {2147483648u, "0"}},
                "TRPMCellConverter");
}

TEST(CellConverters, PressureIsStepsOfTwoKpaWrappingAt32Bits)
{
    ExpectTexts(TKPACellConverter(),
                {{75, "150"}, {60, "120"}, {54, "108"}, {45, "90"}, {38, "76"}, {30, "60"}, {23, "46"}, {15, "30"},
                 {0, "0"}, {255, "510"},
                 {2147483647u, "4294967294"},
                 {2147483648u, "0"},
                 {4294967295u, "4294967294"}}, // a cell value of -1: 2^32 - 2
                "TKPACellConverter");
}

TEST(CellConverters, IgnitionAdvanceHasTwoDecimalsUpTo399)
{
    ExpectTexts(TIGNCellConverter(),
                {{35, "8.75"}, {33, "8.25"}, {25, "6.25"}, {16, "4.00"}, {10, "2.50"}, {8, "2.00"}, {0, "0.00"},
                 {45, "11.25"}, {46, "11.50"}, {106, "26.50"}, {125, "31.25"}, {138, "34.50"}, {141, "35.25"},
                 {1, "0.25"}, {2, "0.50"}, {3, "0.75"}, {4, "1.00"}, {39, "9.75"}, {40, "10.00"}, {255, "63.75"},
                 {399, "99.75"}},
                "TIGNCellConverter");
    // Every value up to 399 reads as a number with exactly two decimals.
    const TIGNCellConverter ign;
    for (unsigned int v = 0; v < 400; ++v) {
        const std::string text = ign.AsString(v);
        const size_t point = text.find('.');
        ASSERT_NE(point, std::string::npos) << v;
        EXPECT_EQ(text.size() - point - 1, 2u) << v << " gives " << text;
        EXPECT_EQ(std::stod(text), v * 0.25) << v << " gives " << text;
    }
}

TEST(CellConverters, IgnitionAdvanceBeyond399LosesDecimals)
{
    ExpectTexts(TIGNCellConverter(),
                {{400, "100.0"}, {401, "100.2"}, {403, "100.8"}, {4000, "1000."}, {39996, "9999."},
                 // Rounding carries into exponent notation with all four digits kept.
                 {39998, "1.000e+04"}, {39999, "1.000e+04"}, {40000, "1.000e+04"}, {40002, "1.000e+04"},
                 {400000, "1.000e+05"}, {4294967295u, "1.074e+09"}},
                "TIGNCellConverter");
}

// The text is what printf's "%#.*g" gives in the C locale, over the whole range of patterns,
// but where glibc loses the kept zeros as rounding carries past 9999 (pinned above).
TEST(CellConverters, IgnitionAdvanceFollowsPrintfAlternateGeneralForm)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    const TIGNCellConverter ign;
    auto check = [&](unsigned int v) {
        if (v == 39998 || v == 39999) return;
        const int precision = 2 + (v == 0) + (v >= 4) + (v >= 40);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%#.*g", precision, v * 0.25);
        EXPECT_EQ(ign.AsString(v), expected) << v;
    };
    for (unsigned int v = 0; v <= 50000; ++v) check(v);
    for (std::uint64_t v = 50001; v <= UINT_MAX; v += 999983) check(static_cast<unsigned int>(v));
    check(UINT_MAX);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// The application may switch locales (Qt sets the C locale from the environment); the texts
// keep "." and no grouping whatever the locale says.
TEST(CellConverters, TextsIgnoreTheGlobalLocale)
{
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    EXPECT_EQ(TIGNCellConverter().AsString(35), "8.75");
    EXPECT_EQ(TIGNCellConverter().AsString(4000), "1000.");
    EXPECT_EQ(TRPMCellConverter().AsString(255), "25500");
    EXPECT_EQ(TKPACellConverter().AsString(4294967295u), "4294967294");
    std::locale::global(saved);
}

} // namespace

// TMapCell: clamping, arithmetic with single-precision factors, display text and the
// published property table, plus the decided cases beyond the 32-bit range.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <limits>
#include <string>

#include "data/MapData.h"
#include "platform/Properties.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string OpName(unsigned char op) { return std::string("'") + static_cast<char>(op) + "'"; }

class MapCellTest : public ::testing::Test {
protected:
    TMapData map{nullptr};
};

TEST_F(MapCellTest, ConstructorClampsToTheDefaultBounds)
{
    struct Row {
        int value;
        int expected;
    };
    const Row rows[] = {{0, 0}, {35, 35}, {255, 255}, {300, 255}, {-5, 0}, {INT_MIN, 0}, {INT_MAX, 255}};
    for (const Row& r : rows) {
        TMapCell cell(&map, r.value);
        EXPECT_EQ(cell.cellValue, r.expected) << "TMapCell(map, " << r.value << ")";
        EXPECT_EQ(cell.minValue, 0);
        EXPECT_EQ(cell.maxValue, 255);
        EXPECT_EQ(cell.ownerMap, &map);
    }
}

TEST_F(MapCellTest, SetCellValueAppliesTheLowerBoundFirstAndTheUpperLast)
{
    struct Row {
        int min, max, value, expected;
    };
    const Row rows[] = {
        {0, 255, 100, 100},  {0, 255, -1, 0},     {0, 255, 256, 255},
        {-10, 10, -5, -5},   {-10, 10, -11, -10}, {INT_MIN, INT_MAX, INT_MIN, INT_MIN},
        // Crossed bounds: whatever is written, the upper bound wins.
        {10, 5, 0, 5},       {10, 5, 7, 5},       {10, 5, 20, 5},
        {10, 5, INT_MIN, 5},
    };
    for (const Row& r : rows) {
        TMapCell cell(&map, 0);
        cell.minValue = r.min;
        cell.maxValue = r.max;
        cell.setCellValue(r.value);
        EXPECT_EQ(cell.cellValue, r.expected)
            << "bounds " << r.min << " .. " << r.max << ", setCellValue(" << r.value << ")";
    }
}

TEST_F(MapCellTest, LoweredBoundTakesEffectAtTheNextWrite)
{
    TMapCell cell(&map, 200);
    cell.maxValue = 100;
    EXPECT_EQ(cell.cellValue, 200);
    cell.doMath('+', 0.0f);
    EXPECT_EQ(cell.cellValue, 100);
}

TEST(SingleFactor, FactorsAreTheSinglePrecisionValues)
{
    EXPECT_EQ(std::bit_cast<std::uint32_t>(1.01f), 0x3F8147AEu);
    EXPECT_EQ(static_cast<double>(1.01f), 1.0099999904632568359375);
    EXPECT_EQ(static_cast<double>(0.95f), 0.949999988079071044921875);
    EXPECT_EQ(static_cast<double>(1.05f), 1.0499999523162841796875);
    EXPECT_EQ(static_cast<double>(0.99f), 0.9900000095367431640625);
}

// The documented cases, on a cell with the default bounds 0 .. 255.
TEST_F(MapCellTest, DoMathWithinTheBounds)
{
    struct Row {
        int start;
        unsigned char op;
        float x;
        int expected;
    };
    const Row rows[] = {
        {35, '+', 0.99f, 35},   {35, '+', 1.0f, 36},    {255, '+', 1.0f, 255},  {0, '-', 1.0f, 0},
        {10, '-', -1.5f, 11},   {10, '+', -1.5f, 9},    {35, '-', 0.99f, 35},
        {100, '*', 1.01f, 100}, {101, '*', 1.01f, 102}, {255, '*', 1.01f, 255},
        {20, '*', 1.05f, 20},   {35, '*', 1.05f, 36},   {1, '*', 0.99f, 0},     {100, '*', 0.99f, 99},
        {101, '*', 0.99f, 99},  {100, '*', 0.95f, 94},  {100, '*', 1.0f, 100},  {35, '*', -1.0f, 0},
        {35, '/', 0.0f, 35},    {35, '/', -0.0f, 35},   {35, '/', -2.0f, 35},   {35, '/', 2.0f, 17},
        {200, '/', 0.5f, 255},  {100, '/', 1.05f, 95},
        {35, '=', 1.0f, 35},    {35, 'x', 2.0f, 35},    {35, 0, 2.0f, 35},      {35, 0xAB, 2.0f, 35},
    };
    for (const Row& r : rows) {
        TMapCell cell(&map, r.start);
        cell.doMath(r.op, r.x);
        EXPECT_EQ(cell.cellValue, r.expected) << r.start << " " << OpName(r.op) << " " << r.x;
    }
}

// Decided: results beyond the 32-bit range saturate to it and are then clamped to the cell's
// bounds; a result that is not a number changes nothing, not even a pending clamp.
TEST_F(MapCellTest, DoMathBeyondThe32BitRange)
{
    struct Row {
        int min, max, start;
        unsigned char op;
        float x;
        int expected;
    };
    const int lo = INT_MIN;
    const int hi = INT_MAX;
    const float tiny = std::numeric_limits<float>::denorm_min();
    const Row rows[] = {
        // Saturation shows with the widest bounds.
        {lo, hi, 5, '*', 1e30f, hi},      {lo, hi, 5, '*', -1e30f, lo},     {lo, hi, -5, '*', 1e30f, lo},
        {lo, hi, 5, '*', kInf, hi},       {lo, hi, 5, '*', -kInf, lo},      {lo, hi, hi, '*', 2.0f, hi},
        {lo, hi, lo, '*', -1.0f, hi},     {lo, hi, hi, '+', 1.0f, hi},      {lo, hi, lo, '-', 1.0f, lo},
        {lo, hi, lo, '+', -1.0f, lo},     {lo, hi, hi, '-', -1.0f, hi},     {lo, hi, 0, '+', 3e9f, hi},
        {lo, hi, 0, '-', 3e9f, lo},       {lo, hi, 0, '+', kInf, hi},       {lo, hi, 0, '+', -kInf, lo},
        {lo, hi, 0, '-', -kInf, hi},      {lo, hi, 35, '/', tiny, hi},      {lo, hi, -35, '/', tiny, lo},
        {lo, hi, 35, '/', kInf, 0},       {lo, hi, -35, '/', kInf, 0},
        // The sum is taken whole before it saturates: -2e9 + 3e9 is 1e9.
        {lo, hi, -2000000000, '+', 3e9f, 1000000000},
        {lo, hi, 2000000000, '-', 3e9f, -1000000000},
        // With the default bounds the saturated value is clamped like any other.
        {0, 255, 35, '*', 1e30f, 255},    {0, 255, 35, '*', kInf, 255},     {0, 255, 35, '*', -kInf, 0},
        {0, 255, 35, '+', 1e30f, 255},    {0, 255, 35, '-', 1e30f, 0},      {0, 255, 35, '/', tiny, 255},
        {0, 255, 35, '/', -kInf, 35},
        // Not a number: nothing changes.
        {0, 255, 35, '*', kNaN, 35},      {0, 255, 35, '+', kNaN, 35},      {0, 255, 35, '-', kNaN, 35},
        {0, 255, 35, '/', kNaN, 35},      {0, 255, 0, '*', kInf, 0},        {0, 255, 0, '*', -kInf, 0},
    };
    for (const Row& r : rows) {
        TMapCell cell(&map, 0);
        cell.minValue = r.min;
        cell.maxValue = r.max;
        cell.setCellValue(r.start);
        cell.doMath(r.op, r.x);
        EXPECT_EQ(cell.cellValue, r.expected)
            << r.start << " " << OpName(r.op) << " " << r.x << " within " << r.min << " .. " << r.max;
    }
}

TEST_F(MapCellTest, NotANumberLeavesEvenAnOutOfBoundsValue)
{
    TMapCell cell(&map, 200);
    cell.maxValue = 100;
    for (unsigned char op : {'+', '-', '*', '/'}) {
        cell.doMath(op, kNaN);
        EXPECT_EQ(cell.cellValue, 200) << OpName(op);
    }
}

TEST_F(MapCellTest, AsStringWithoutConverterIsSignedDecimal)
{
    TMapCell cell(&map, 35);
    EXPECT_EQ(cell.AsString(), "35");
    cell.minValue = -10;
    cell.setCellValue(-5);
    EXPECT_EQ(cell.AsString(), "-5");
    cell.minValue = INT_MIN;
    cell.setCellValue(INT_MIN);
    EXPECT_EQ(cell.AsString(), "-2147483648");
}

TEST_F(MapCellTest, AsStringPassesTheValueAsUnsignedToTheOwnerMapsConverter)
{
    map.converter = new TRPMCellConverter;
    TMapCell cell(&map, 35);
    EXPECT_EQ(cell.AsString(), "3500");
    cell.minValue = -10;
    cell.setCellValue(-1);
    EXPECT_EQ(cell.AsString(), "4294967196");
    // Computed at each call: a new converter shows at once.
    map.converter = new TKPACellConverter;
    EXPECT_EQ(cell.AsString(), "4294967294");
}

TEST(MapCellProperties, PublishedInOrderWithDefaults)
{
    const TClassInfo& info = TMapCell::StaticClassInfo();
    EXPECT_EQ(info.Name(), "TMapCell");
    EXPECT_EQ(info.Parent(), &TObject::StaticClassInfo());
    const std::vector<const TPropInfo*> props = info.Properties();
    ASSERT_EQ(props.size(), 3u);
    const char* names[] = {"cellValue", "minValue", "maxValue"};
    const long long defaults[] = {0, 0, 255};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(props[i]->Name, names[i]);
        EXPECT_EQ(props[i]->Kind, TTypeKind::Integer) << names[i];
        ASSERT_TRUE(props[i]->Default.has_value()) << names[i];
        EXPECT_EQ(*props[i]->Default, TPropValue::Int(defaults[i])) << names[i];
    }
}

TEST_F(MapCellTest, PropertyWritesClampOnlyThroughCellValue)
{
    TMapCell cell(&map, 200);
    EXPECT_EQ(cell.ClassName(), "TMapCell");
    SetPropertyValue(cell, "maxValue", TPropValue::Int(100));
    EXPECT_EQ(cell.maxValue, 100);
    EXPECT_EQ(cell.cellValue, 200); // the bound is written directly, without a re-clamp
    SetPropertyValue(cell, "cellValue", TPropValue::Int(150));
    EXPECT_EQ(cell.cellValue, 100);
    SetPropertyValue(cell, "minValue", TPropValue::Int(-3));
    SetPropertyValue(cell, "cellValue", TPropValue::Int(-7));
    EXPECT_EQ(GetPropertyValue(cell, "cellValue"), TPropValue::Int(-3));
}

} // namespace

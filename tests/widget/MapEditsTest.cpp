// What the editing commands compute, on the demonstration maps: typed texts and factors
// (exact, rounded, clamped, not a number), interpolation along one axis and smoothing against
// the axis values with equal anchors and missing cells, the clipboard's text and pasted
// blocks of every shape, and the readout in display units.
#include <cmath>
#include <string>

#include "tests/grid/GridFixture.h"
#include "widget/MapEdits.h"

namespace {

using MapEdits::CellRange;

class Edits : public DemoGrid {
protected:
    // The values an edit writes, as "col,row=value" in order, and its fits.
    static std::string Describe(const MapEdits::Edit& edit)
    {
        std::string text;
        for (const TCellValue& v : edit.values)
            text += std::to_string(v.col) + "," + std::to_string(v.row) + "=" + std::to_string(v.value) + " ";
        return text + "| exact " + std::to_string(edit.fits.exact) + " rounded " + std::to_string(edit.fits.rounded) +
               " clamped " + std::to_string(edit.fits.clamped);
    }
    void Set(int col, int row, int value) { grid->setCellValues({{col, row, value}}); }
    // The demonstration maps as they start, for the next row of a table.
    void Fresh()
    {
        TearDown();
        SetUp();
    }
};

TEST_F(Edits, ATypedTextIsTheNearestValueEachCellHoldsAndSaysHowItFits)
{
    struct Case {
        const char* text;
        const char* expected;  // nullptr: not a number
    };
    const Case cases[] = {
        {"8.75", "2,1=35 | exact 1 rounded 0 clamped 0"},
        {" 20 ", "2,1=80 | exact 1 rounded 0 clamped 0"},
        {"1e1", "2,1=40 | exact 1 rounded 0 clamped 0"},
        {"8.8", "2,1=35 | exact 0 rounded 1 clamped 0"},  // 35.2 quarter degrees
        {"8.875", "2,1=36 | exact 0 rounded 1 clamped 0"},  // 35.5: half away from zero
        {"63.75", "2,1=255 | exact 1 rounded 0 clamped 0"},
        {"64", "2,1=255 | exact 0 rounded 0 clamped 1"},
        {"-1", "2,1=0 | exact 0 rounded 0 clamped 1"},
        {"abc", nullptr},
        {"", nullptr},
        {"8,75", nullptr},
        {"20 deg", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto edit = MapEdits::valueFromText(*grid, {2, 1, 2, 1}, c.text);
        ASSERT_EQ(edit.has_value(), c.expected != nullptr);
        if (edit) {
            EXPECT_EQ(Describe(*edit), c.expected);
        }
    }
    // Every map cell of the range, row by row; a position without one is left out.
    grid->SetObjects(3, 1, nullptr);
    EXPECT_EQ(Describe(*MapEdits::valueFromText(*grid, {2, 1, 3, 2}, "10")),
              "2,1=40 2,2=40 3,2=40 | exact 3 rounded 0 clamped 0");
}

TEST_F(Edits, AFactorScalesExactlyAsTheDecimalItIsWritten)
{
    struct Case {
        int value;
        const char* factor;
        const char* expected;  // nullptr: not a number
    };
    const Case cases[] = {
        {100, "1.1", "2,1=110 | exact 1 rounded 0 clamped 0"},
        {100, "0.995", "2,1=100 | exact 0 rounded 1 clamped 0"},  // 99.5, not 99.4999... of a double
        {100, "1.013", "2,1=101 | exact 0 rounded 1 clamped 0"},
        {100, "3", "2,1=255 | exact 0 rounded 0 clamped 1"},
        {100, "-1", "2,1=0 | exact 0 rounded 0 clamped 1"},
        {0, "7.5", "2,1=0 | exact 1 rounded 0 clamped 0"},
        {100, "x", nullptr},
        {100, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " * " + c.factor);
        Set(2, 1, c.value);
        const auto edit = MapEdits::scaled(*grid, {2, 1, 2, 1}, c.factor);
        ASSERT_EQ(edit.has_value(), c.expected != nullptr);
        if (edit) {
            EXPECT_EQ(Describe(*edit), c.expected);
        }
    }
    // A cell whose bounds admit negative values keeps its sign.
    dynamic_cast<TMapCell*>(grid->Objects(2, 1))->minValue = -100;
    Set(2, 1, -10);
    EXPECT_EQ(Describe(*MapEdits::scaled(*grid, {2, 1, 2, 1}, "1.25")), "2,1=-13 | exact 0 rounded 1 clamped 0");
}

TEST_F(Edits, InterpolationAlongOneAxisFollowsTheAxisValues)
{
    struct Case {
        const char* name;
        void (*arrange)(TMapGrid&);
        bool alongRows;
        CellRange range;
        const char* expected;
    };
    const auto none = [](TMapGrid&) {};
    const Case cases[] = {
        // Row 2 between 52 at 800 rpm and 50 at 2000 rpm: 1200 rpm gives 51.33.
        {"one row", none, true, {1, 2, 3, 2}, "2,2=51 | exact 0 rounded 1 clamped 0"},
        {"each row of two", none, true, {1, 2, 3, 3}, "2,2=51 2,3=55 | exact 1 rounded 1 clamped 0"},
        // Uneven speeds: 8, 12, 20, 25 between 35 and 16 give 35 - 19 * 4/17 and 35 - 19 * 12/17.
        {"uneven axis", none, true, {1, 0, 4, 0}, "2,0=31 3,0=22 | exact 0 rounded 2 clamped 0"},
        // 0 and 30 at axis values 0 and 9: 10 at 3, where single-precision truncation gives 9.
        {"exact arithmetic",
         [](TMapGrid& g) {
             g.setCellValues({{1, 8, 0}, {2, 8, 3}, {3, 8, 9}, {1, 4, 0}, {3, 4, 30}});
         },
         true, {1, 4, 3, 4}, "2,4=10 | exact 1 rounded 0 clamped 0"},
        {"equal anchors leave the line", [](TMapGrid& g) { g.setCellValues({{1, 8, 20}, {3, 8, 20}}); }, true,
         {1, 2, 3, 2}, "| exact 0 rounded 0 clamped 0"},
        {"an end without a cell leaves the line", [](TMapGrid& g) { g.SetObjects(3, 2, nullptr); }, true,
         {1, 2, 3, 3}, "2,3=55 | exact 1 rounded 0 clamped 0"},
        {"an inner axis without a cell leaves its column", [](TMapGrid& g) { g.SetObjects(2, 8, nullptr); },
         true, {1, 2, 4, 2}, "3,2=55 | exact 0 rounded 1 clamped 0"},
        {"from column 0, which has no speed", none, true, {0, 2, 3, 2}, "| exact 0 rounded 0 clamped 0"},
        {"two columns: nothing between", none, true, {1, 2, 2, 2}, "| exact 0 rounded 0 clamped 0"},
        // Column 1 between 35 at 150 kPa and 52 at 108 kPa: 120 kPa gives 47.14.
        {"one column", none, false, {1, 0, 1, 2}, "1,1=47 | exact 0 rounded 1 clamped 0"},
        {"each column of two", none, false, {1, 0, 2, 2}, "1,1=47 2,1=50 | exact 0 rounded 2 clamped 0"},
        {"equal pressure anchors", [](TMapGrid& g) { g.setCellValues({{0, 0, 54}}); }, false, {1, 0, 1, 2},
         "| exact 0 rounded 0 clamped 0"},
        {"two rows: nothing between", none, false, {1, 0, 1, 1}, "| exact 0 rounded 0 clamped 0"},
        {"beyond the bounds",
         [](TMapGrid& g) { g.setCellValues({{1, 8, 0}, {2, 8, 50}, {3, 8, 10}, {1, 2, 0}, {3, 2, 100}}); }, true,
         {1, 2, 3, 2}, "2,2=255 | exact 0 rounded 0 clamped 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.arrange(*grid);
        const MapEdits::Edit edit =
            c.alongRows ? MapEdits::interpolatedAlongRows(*grid, c.range) : MapEdits::interpolatedAlongColumns(*grid, c.range);
        EXPECT_EQ(Describe(edit), c.expected);
    }
}

TEST_F(Edits, SmoothingMovesInnerCellsHalfWayTowardTheirNeighboursAndKeepsTheBorder)
{
    Set(2, 1, 100);  // a spike among 45, 37 (left, right) and 33, 57 (above, below)
    // Left and right give 42.33 at 1200 rpm, above and below 50.14 at 120 kPa: the spike
    // moves half-way to their mean, 46.24, to 73.12.
    EXPECT_EQ(Describe(MapEdits::smoothed(*grid, {1, 0, 3, 2})), "2,1=73 | exact 0 rounded 1 clamped 0");
    // One row: along it only, to half-way between 100 and 42.33.
    EXPECT_EQ(Describe(MapEdits::smoothed(*grid, {1, 1, 3, 1})), "2,1=71 | exact 0 rounded 1 clamped 0");
    // One column: 50.14 up and down.
    EXPECT_EQ(Describe(MapEdits::smoothed(*grid, {2, 0, 2, 2})), "2,1=75 | exact 0 rounded 1 clamped 0");
    // Every inner cell from the values before the command, not from those it already moved.
    const MapEdits::Edit wide = MapEdits::smoothed(*grid, {1, 0, 4, 2});
    ASSERT_EQ(wide.values.size(), 2u);
    EXPECT_EQ(wide.values[0].value, 73);
    EXPECT_EQ(wide.values[1].col, 3);
    // 37 between 100 and 31 at 2000 rpm (12 and 25 hundred) and between 25 and 50 (75 .. 54 kPa).
    EXPECT_EQ(wide.values[1].value, static_cast<int>(std::lround((37 + (100 + (31 - 100) * 8.0 / 13 + 25 + 25 * 15.0 / 21) / 2) / 2)));
    // Two rows and two columns: no inner cell.
    EXPECT_FALSE(MapEdits::canSmooth({1, 0, 2, 1}));
    EXPECT_TRUE(MapEdits::smoothed(*grid, {1, 0, 2, 1}).values.empty());
    // Neighbours that share one speed give no direction: the other one alone counts.
    grid->setCellValues({{1, 8, 20}, {3, 8, 20}});
    EXPECT_EQ(Describe(MapEdits::smoothed(*grid, {1, 0, 3, 2})), "2,1=75 | exact 0 rounded 1 clamped 0");
    // A neighbour without a cell leaves its direction out too; with none left the cell stays.
    grid->SetObjects(2, 0, nullptr);
    EXPECT_EQ(Describe(MapEdits::smoothed(*grid, {1, 0, 3, 2})), "| exact 0 rounded 0 clamped 0");
}

TEST_F(Edits, CopiedTextIsTheDisplayTextsTabSeparatedOneLinePerRow)
{
    EXPECT_EQ(MapEdits::copiedText(*grid, {1, 0, 2, 1}), "8.75\t8.25\n11.25\t11.50\n");
    EXPECT_EQ(MapEdits::copiedText(*grid, {0, 7, 1, 8}), "30\t12.25\n\t800\n");  // the corner has no cell
    EXPECT_EQ(MapEdits::copiedText(*grid, {}), "");
}

TEST_F(Edits, APastedBlockLandsAtTheTopLeftCutAtTheBodysEdgeOrChangesNothing)
{
    using Outcome = MapEdits::Paste::Outcome;
    struct Case {
        const char* name;
        CellRange range;
        const char* text;
        Outcome outcome;
        const char* expected;  // the edit, or for NotANumber "row,column:text"
        CellRange target;
        bool cut;
    };
    const Case cases[] = {
        {"2 x 2", {2, 1, 2, 1}, "1\t2\n3\t4\n", Outcome::Pasted,
         "2,1=4 3,1=8 2,2=12 3,2=16 | exact 4 rounded 0 clamped 0", {2, 1, 3, 2}, false},
        {"lines ended by CR LF, no last end", {2, 1, 2, 1}, "1\t2\r\n3\t4", Outcome::Pasted,
         "2,1=4 3,1=8 2,2=12 3,2=16 | exact 4 rounded 0 clamped 0", {2, 1, 3, 2}, false},
        {"ragged lines", {2, 1, 2, 1}, "1\n2\t3\n", Outcome::Pasted, "2,1=4 2,2=8 3,2=12 | exact 3 rounded 0 clamped 0",
         {2, 1, 3, 2}, false},
        {"an empty field keeps its cell", {2, 1, 2, 1}, "1\t\t3\n", Outcome::Pasted,
         "2,1=4 4,1=12 | exact 2 rounded 0 clamped 0", {2, 1, 4, 1}, false},
        {"at the top-left of a larger selection", {2, 1, 5, 5}, "1\t2\n", Outcome::Pasted,
         "2,1=4 3,1=8 | exact 2 rounded 0 clamped 0", {2, 1, 3, 1}, false},
        {"one value fills the selection", {2, 1, 3, 2}, "5\n", Outcome::Pasted,
         "2,1=20 3,1=20 2,2=20 3,2=20 | exact 4 rounded 0 clamped 0", {2, 1, 3, 2}, false},
        {"cut at the body's edge", {7, 6, 7, 6}, "1\t2\t3\n4\t5\t6\n7\t8\t9\n", Outcome::Pasted,
         "7,6=4 8,6=8 7,7=16 8,7=20 | exact 4 rounded 0 clamped 0", {7, 6, 8, 7}, true},
        {"rounded and clamped", {2, 1, 2, 1}, "8.8\t100", Outcome::Pasted,
         "2,1=35 3,1=255 | exact 0 rounded 1 clamped 1", {2, 1, 3, 1}, false},
        {"spreadsheet texts", {2, 1, 2, 1}, " 8.75 \t1.0E1\n", Outcome::Pasted,
         "2,1=35 3,1=40 | exact 2 rounded 0 clamped 0", {2, 1, 3, 1}, false},
        {"not a number", {2, 1, 2, 1}, "1\t2\n3\tx\n", Outcome::NotANumber, "2,2:x", {}, false},
        {"not a number beyond the edge", {8, 7, 8, 7}, "1\tabc", Outcome::NotANumber, "1,2:abc", {}, false},
        {"a decimal comma", {2, 1, 2, 1}, "8,75", Outcome::NotANumber, "1,1:8,75", {}, false},
        {"onto an axis", {0, 3, 0, 3}, "1", Outcome::OutsideTheBody, "", {}, false},
        {"nothing on the clipboard", {2, 1, 2, 1}, "", Outcome::NothingToPaste, "", {}, false},
        {"only empty lines", {2, 1, 2, 1}, "\n\r\n\n", Outcome::NothingToPaste, "", {}, false},
        {"no selection", {}, "1", Outcome::NothingToPaste, "", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MapEdits::Paste paste = MapEdits::pasted(*grid, c.range, c.text);
        ASSERT_EQ(paste.outcome, c.outcome);
        if (c.outcome == Outcome::Pasted) {
            EXPECT_EQ(Describe(paste.edit), c.expected);
            EXPECT_EQ(paste.target, c.target);
            EXPECT_EQ(paste.cut, c.cut);
        } else {
            EXPECT_TRUE(paste.edit.values.empty());
            if (c.outcome == Outcome::NotANumber) {
                EXPECT_EQ(std::to_string(paste.bad.row) + "," + std::to_string(paste.bad.column) + ":" + paste.bad.text,
                          c.expected);
            }
        }
    }
}

TEST_F(Edits, DisplayTextsReadAsNumbersWhateverTheLocale)
{
    struct Case {
        const char* text;
        double expected;  // NaN: no number
    };
    const double none = std::nan("");
    const Case cases[] = {
        {"8.75", 8.75}, {" 3000 ", 3000}, {"1000.", 1000}, {"1.5e+03", 1500}, {"-2", -2},
        {"", none},     {"abc", none},    {"inf", none},   {"nan", none},     {"8,75", none}, {"1e999", none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto value = MapEdits::displayNumber(c.text);
        ASSERT_EQ(value.has_value(), !std::isnan(c.expected));
        if (value) {
            EXPECT_EQ(*value, c.expected);
        }
    }
}

TEST_F(Edits, TheReadoutInterpolatesTheAdvanceBetweenTheFourCellsAroundThePoint)
{
    struct Case {
        const char* name;
        void (*arrange)(TMapGrid&);
        double speed, pressure;  // NaN: from xVal and yVal
        double expectedSpeed, expectedPressure, expectedAdvance;  // NaN: nothing to read
    };
    const double none = std::nan("");
    const auto nothing = [](TMapGrid&) {};
    const Case cases[] = {
        {"on a cell", nothing, 3000, 108, 3000, 108, 13.50},
        {"half-way between two speeds", nothing, 2750, 108, 2750, 108, 13.75},
        // 14.00, 13.50 above; 20.25, 21.50 below.
        {"between four cells", nothing, 2750, 99, 2750, 99, 17.3125},
        {"beyond the last speed and the highest pressure", nothing, 7000, 400, 7000, 400, 0.00},
        {"below the first speed and the lowest pressure", nothing, 0, 0, 0, 0, 12.25},
        {"from the grid's operating point", [](TMapGrid& g) { g.setX(28); }, none, none, 2800, 104,
         // 28 and 52: 3/5 of the way from 2500 to 3000, 7/9 of the way from 90 to 108 kPa.
         (56 * 0.4 + 54 * 0.6) / 4 * 7 / 9 + (81 * 0.4 + 86 * 0.6) / 4 * 2 / 9},
        {"a cell that is needed and missing", [](TMapGrid& g) { g.SetObjects(5, 2, nullptr); }, 3000, 99, 3000, 99,
         none},
        {"a missing cell that is not needed", [](TMapGrid& g) { g.SetObjects(5, 2, nullptr); }, 3000, 90, 3000, 90,
         21.50},
        {"two speeds alike", [](TMapGrid& g) { g.setCellValues({{4, 8, 30}}); }, 3000, 108, 3000, 108, 14.00},
        {"no axes",
         [](TMapGrid& g) {
             for (int c = 1; c < 9; ++c) g.SetObjects(c, 8, nullptr);
             for (int r = 0; r < 8; ++r) g.SetObjects(0, r, nullptr);
         },
         none, none, none, none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.arrange(*grid);
        const auto given = [](double v) { return std::isnan(v) ? std::nullopt : std::optional(v); };
        const MapGridReadout readout = MapEdits::readoutOf(*grid, given(c.speed), given(c.pressure));
        const auto expectNear = [](double actual, double expected) {
            if (std::isnan(expected)) EXPECT_TRUE(std::isnan(actual)) << actual;
            else EXPECT_NEAR(actual, expected, 1e-9);
        };
        expectNear(readout.speed, c.expectedSpeed);
        expectNear(readout.pressure, c.expectedPressure);
        expectNear(readout.advance, c.expectedAdvance);
    }
}

TEST_F(Edits, DisplayUnitsBecomeTheNearestAxisUnits)
{
    struct Case {
        bool speedAxis;
        double value;
        int expected;  // -1: none
    };
    const Case cases[] = {
        {true, 2750, 28},  {true, 2749, 27}, {true, 3000, 30}, {true, 1e9, 255},        {true, -100, 0},
        {false, 104, 52},  {false, 105, 53}, {false, 0.5, 0},  {true, std::nan(""), -1}, {true, INFINITY, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value));
        const auto units = MapEdits::axisUnitsOf(*grid, c.speedAxis, c.value);
        EXPECT_EQ(units.value_or(-1), c.expected);
    }
}

} // namespace

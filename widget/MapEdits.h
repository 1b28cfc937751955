// What the widget's editing commands compute, apart from how a user invokes them: the values
// that a typed or pasted text, a factor, interpolation along one axis or smoothing give the
// cells of a rectangle of the grid; the clipboard's text of a rectangle; and the operating
// point read in display units. Nothing here changes the grid: the widget writes the values
// through TMapGrid::setCellValues, as one step of its history.
//
// Values are computed exactly or in extended precision, rounded to the nearest value a cell
// can hold (half away from zero) and clamped to the cell's bounds as setCellValue clamps;
// each value says how it fits what the command asked for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <mapgrid/MapGridWidget.h>

namespace MapEdits {

// A rectangle of grid positions, inclusive.
struct CellRange {
    int startCol = -1;
    int startRow = -1;
    int endCol = -2;
    int endRow = -2;

    bool isEmpty() const { return startCol < 0 || startRow < 0 || endCol < startCol || endRow < startRow; }
    int columns() const { return isEmpty() ? 0 : endCol - startCol + 1; }
    int rows() const { return isEmpty() ? 0 : endRow - startRow + 1; }
    bool contains(int col, int row) const
    {
        return !isEmpty() && col >= startCol && col <= endCol && row >= startRow && row <= endRow;
    }
    bool operator==(const CellRange&) const = default;
};

// The grid's selection cut to the grid; empty when it has none.
CellRange selectionOf(const TMapGrid& grid);
// The body: columns 1 .. ColCount-1, rows 0 .. RowCount-2; empty for a grid too small to have one.
CellRange bodyOf(const TMapGrid& grid);

struct Fits {
    int exact = 0;
    int rounded = 0;  // within the bounds, between two values the cell can hold
    int clamped = 0;  // beyond the cell's bounds
};

// The values to write, in order, and how they fit.
struct Edit {
    std::vector<TCellValue> values;
    Fits fits;
};

// Every map cell of the range set to the value the text stands for in that cell's display
// units. Nothing when any of them reads the text as no number.
std::optional<Edit> valueFromText(const TMapGrid& grid, CellRange range, std::string_view text);
// Every map cell of the range multiplied by the factor a text stands for, exactly as the
// decimal it is written as ("0.995" times 100 is 99.5, which rounds to 100). The converters
// are proportional, so the shown value scales with the stored one. Nothing when the text is
// no number.
std::optional<Edit> scaled(const TMapGrid& grid, CellRange range, std::string_view factor);
// Each row of the range, between its first and last cell, linear in the engine-speed axis
// values; the two end cells stay. Needs three columns.
Edit interpolatedAlongRows(const TMapGrid& grid, CellRange range);
// Each column of the range, between its top and bottom cell, linear in the pressure axis
// values. Needs three rows.
Edit interpolatedAlongColumns(const TMapGrid& grid, CellRange range);
// Each inner cell of the range moved half-way toward the mean of what its neighbours give at
// its axis position (the line through its left and right neighbours at its speed, the line
// through those above and below at its pressure), from the values before the command; the
// range's border stays. A range of one or two rows smooths along its rows only, one of one
// or two columns along its columns only.
Edit smoothed(const TMapGrid& grid, CellRange range);
// Whether a command has something to work on in the range (the same tests as above).
bool canInterpolateAlongRows(CellRange range);
bool canInterpolateAlongColumns(CellRange range);
bool canSmooth(CellRange range);

// The display texts of the range, tab-separated, one line per row, each line ended by "\n",
// as spreadsheets paste them. A position without a map cell gives an empty field.
std::string copiedText(const TMapGrid& grid, CellRange range);

// A field of a pasted block that is not a number: its row and column in the block, from 1.
struct BadField {
    int row = 0;
    int column = 0;
    std::string text;
};

struct Paste {
    enum class Outcome { Pasted, NothingToPaste, OutsideTheBody, NotANumber };
    Outcome outcome = Outcome::NothingToPaste;
    Edit edit;
    CellRange target;  // the cells the block covers, cut at the body's edge
    bool cut = false;  // part of the block lay beyond the body's edge
    BadField bad;      // for NotANumber
};

// Reads tab-separated text (lines ended by "\n" or "\r\n") as a block of values put with its
// first value at the range's top-left cell, cut at the body's edge. A single value fills the
// whole range instead. An empty field leaves its cell as it is. A block holding anything that
// is not a number, beyond the edge too, changes nothing.
Paste pasted(const TMapGrid& grid, CellRange range, std::string_view text);

// A display text read as a number, whatever the locale ("8.75", "3000", "1.5e+03"); nothing
// for a text that is no finite number.
std::optional<double> displayNumber(std::string_view text);

// The operating point in display units. speed and pressure in display units override the
// grid's xVal and yVal (stored units) when given.
MapGridReadout readoutOf(const TMapGrid& grid, std::optional<double> speed, std::optional<double> pressure);
// The axis's stored units (0 .. 255) nearest a value in its display units, read by the
// axis's converter; nothing for a value that is no finite number.
std::optional<int> axisUnitsOf(const TMapGrid& grid, bool speedAxis, double value);

} // namespace MapEdits

// A map as the editor reads, writes and makes it: the pressure axis, the speed axis and the
// body of advance values, each in stored units (2 kPa, 100 rpm, quarter degrees). The window
// applies it to the three TMapData maps it binds into its grid, and takes it back from them
// to save.
#pragma once

#include <QString>

#include <vector>

class TMapData;
class TMapGrid;

struct MapValues {
    // Body sizes a map file holds, a side each.
    static constexpr int kMinSide = 2;
    static constexpr int kMaxSide = 64;
    // The stored values a map file holds: the bounds of a new cell, which the maps the editor
    // makes keep.
    static constexpr int kMinValue = 0;
    static constexpr int kMaxValue = 255;

    std::vector<int> pressure; // one per body row, top row first, falling downwards
    std::vector<int> speed;    // one per body column, left to right, rising
    std::vector<int> body;     // rows() x columns(), row-major, top row first

    int columns() const { return static_cast<int>(speed.size()); }
    int rows() const { return static_cast<int>(pressure.size()); }
    int& at(int column, int row) { return body[static_cast<std::size_t>(row * columns() + column)]; }
    int at(int column, int row) const { return body[static_cast<std::size_t>(row * columns() + column)]; }

    bool operator==(const MapValues&) const = default;
};

// Why the map cannot go into a map file (its size, a value out of range, an axis out of
// order), or an empty string when it can. Everything read from a file or made by blankMap
// with fitting axes passes.
QString problemOf(const MapValues& map);

// A new map over these axes (stored units) with every advance 0.
MapValues blankMap(std::vector<int> pressure, std::vector<int> speed);

// count stored values from first to last, spread as evenly as whole values allow: an axis for
// a new map. Empty when count is below 2 or the values cannot all differ.
std::vector<int> evenAxis(int first, int last, int count);

// Gives the three maps the map's shape (pressure: rows x 1, speed: 1 x columns, body: rows x
// columns) and its values, each through setCellValue. Cells at positions both shapes share
// stay the same objects; the others are made or destroyed as ReAlloc does, so a grid must
// bind the maps again afterwards (bindIntoGrid).
void applyToMaps(const MapValues& map, TMapData& pressure, TMapData& speed, TMapData& body);

// The values of three maps shaped as applyToMaps shapes them, each map read over its declared
// Rows and Cols; a position without a cell reads 0. problemOf says whether the result fits a
// file.
MapValues readFromMaps(const TMapData& pressure, const TMapData& speed, const TMapData& body);

// Shapes the grid to the maps (one column and one row more than the body) and binds them as
// the test form binds its maps: the pressure axis in column 0, the speed axis in the bottom
// row, the body beside and above them, the corner empty. Bind again after every
// applyToMaps: a grid keeps no cell a map has destroyed, but keeps the text it showed.
void bindIntoGrid(TMapGrid& grid, TMapData& pressure, TMapData& speed, TMapData& body);

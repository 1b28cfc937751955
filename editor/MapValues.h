// A map as the editor reads, writes and makes it: the pressure axis, the speed axis and the
// body of advance values, each in stored units (2 kPa, 100 rpm, quarter degrees). The window
// applies it to the three TMapData maps it binds into its grid, and takes it back from them
// to save (MapBinding.h).
#pragma once

#include <QString>

#include <vector>

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

// Between a MapValues and the three TMapData maps a window binds into its grid.
#pragma once

#include "editor/MapValues.h"

class TMapData;
class TMapGrid;

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

#include "editor/MapBinding.h"

#include "data/MapData.h"
#include "grid/MapGrid.h"

void applyToMaps(const MapValues& map, TMapData& pressure, TMapData& speed, TMapData& body)
{
    const auto shape = [](TMapData& data, int rows, int cols) {
        data.ReAlloc(static_cast<unsigned int>(rows), static_cast<unsigned int>(cols));
        data.setRows(static_cast<unsigned int>(rows));
        data.setCols(static_cast<unsigned int>(cols));
    };
    shape(pressure, map.rows(), 1);
    shape(speed, 1, map.columns());
    shape(body, map.rows(), map.columns());
    const auto set = [](TMapData& data, int col, int row, int value) {
        data.getCells(static_cast<unsigned int>(col), static_cast<unsigned int>(row))->setCellValue(value);
    };
    for (int r = 0; r < map.rows(); ++r) set(pressure, 0, r, map.pressure[static_cast<std::size_t>(r)]);
    for (int c = 0; c < map.columns(); ++c) set(speed, c, 0, map.speed[static_cast<std::size_t>(c)]);
    // A body shorter than its axes (a map problemOf rejects) leaves the rest at 0.
    for (int r = 0; r < map.rows(); ++r)
        for (int c = 0; c < map.columns(); ++c) {
            const auto i = static_cast<std::size_t>(r * map.columns() + c);
            set(body, c, r, i < map.body.size() ? map.body[i] : 0);
        }
}

MapValues readFromMaps(const TMapData& pressure, const TMapData& speed, const TMapData& body)
{
    const auto value = [](const TMapData& data, unsigned int col, unsigned int row) {
        const TMapCell* cell = data.getCells(col, row);
        return cell ? cell->cellValue : 0;
    };
    MapValues map;
    for (unsigned int r = 0; r < pressure.Rows; ++r) map.pressure.push_back(value(pressure, 0, r));
    for (unsigned int c = 0; c < speed.Cols; ++c) map.speed.push_back(value(speed, c, 0));
    // A body shaped otherwise than its axes stays empty, which problemOf reports.
    if (body.Rows != pressure.Rows || body.Cols != speed.Cols) return map;
    for (unsigned int r = 0; r < body.Rows; ++r)
        for (unsigned int c = 0; c < body.Cols; ++c) map.body.push_back(value(body, c, r));
    return map;
}

void bindIntoGrid(TMapGrid& grid, TMapData& pressure, TMapData& speed, TMapData& body)
{
    const auto rows = static_cast<int>(pressure.Rows);
    grid.SetColCount(static_cast<int>(speed.Cols) + 1);
    grid.SetRowCount(rows + 1);
    grid.SetObjects(0, rows, nullptr);
    grid.SetCells(0, rows, "");
    grid.assignData(&speed, 1, static_cast<unsigned int>(rows));
    grid.assignData(&pressure, 0, 0);
    grid.assignData(&body, 1, 0);
}

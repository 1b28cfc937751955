// The demonstration maps bound into a grid the way a program that embeds the widget binds
// them: created as components of the grid, so they go with it.
#pragma once

#include <mapgrid/MapGridWidget.h>

#include "tests/grid/GridFixture.h"

inline void BindDemoMaps(TMapGrid& grid)
{
    const auto newMap = [&grid](unsigned rows, unsigned cols, TCellConverter* converter) {
        auto* map = new TMapData(&grid);
        map->setRows(rows);
        map->setCols(cols);
        map->converter = converter;
        return map;
    };
    TMapData* rpm = newMap(1, 8, new TRPMCellConverter);
    TMapData* kpa = newMap(8, 1, new TKPACellConverter);
    TMapData* body = newMap(8, 8, new TIGNCellConverter);
    for (unsigned i = 0; i < 8; ++i) {
        rpm->getCells(i, 0)->setCellValue(demo::kRpm[i]);
        kpa->getCells(0, i)->setCellValue(demo::kKpa[i]);
        for (unsigned c = 0; c < 8; ++c) body->getCells(c, i)->setCellValue(demo::kBody[i][c]);
    }
    grid.assignData(rpm, 1, 8);
    grid.assignData(kpa, 0, 0);
    grid.assignData(body, 1, 0);
}

// The three demonstration maps bound into a 9 x 9 grid of 403 x 187 pixels, as the test
// application sets them up, shown in a window so that it receives real events.
#pragma once

#include <QColor>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "data/MapData.h"
#include "grid/MapGrid.h"

namespace demo {

constexpr std::array<int, 8> kRpm{8, 12, 20, 25, 30, 35, 40, 50};
constexpr std::array<int, 8> kKpa{75, 60, 54, 45, 38, 30, 23, 15};
constexpr int kBody[8][8] = {
    {35, 33, 25, 16, 10, 8, 8, 0},      {45, 46, 37, 31, 27, 22, 25, 30},
    {52, 57, 50, 56, 54, 45, 50, 56},   {51, 59, 63, 81, 86, 70, 70, 78},
    {47, 60, 75, 98, 106, 84, 83, 87},  {44, 58, 82, 117, 125, 106, 101, 99},
    {45, 54, 77, 123, 138, 118, 111, 112}, {49, 51, 74, 119, 141, 123, 120, 125},
};

} // namespace demo

class DemoGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::make_unique<TComponent>(nullptr);
        grid = new TMapGrid(root.get());
        grid->SetColCount(9);
        grid->SetRowCount(9);
        grid->SetFixedCols(0);
        grid->SetFixedRows(0);
        grid->SetDefaultDrawing(false);
        grid->SetColor(clBlack);
        grid->Font()->SetName("Tahoma");
        grid->Font()->SetSize(10);
        grid->SetBounds(8, 8, 403, 187);

        rpm = new TMapData(root.get());
        kpa = new TMapData(root.get());
        body = new TMapData(root.get());
        rpm->setRows(1);
        rpm->setCols(8);
        kpa->setRows(8);
        kpa->setCols(1);
        body->setRows(8);
        body->setCols(8);
        rpm->converter = new TRPMCellConverter;
        kpa->converter = new TKPACellConverter;
        body->converter = new TIGNCellConverter;
        for (unsigned i = 0; i < 8; ++i) {
            rpm->getCells(i, 0)->setCellValue(demo::kRpm[i]);
            kpa->getCells(0, i)->setCellValue(demo::kKpa[i]);
            for (unsigned c = 0; c < 8; ++c) body->getCells(c, i)->setCellValue(demo::kBody[i][c]);
        }
        grid->assignData(rpm, 1, 8);
        grid->assignData(kpa, 0, 0);
        grid->assignData(body, 1, 0);
        grid->maxX = 70;
        grid->maxY = 255;
        grid->selectStartRow = grid->selectStartCol = grid->selectEndRow = grid->selectEndCol = -1;
        grid->setX(30);
        grid->setY(52);
    }

    void TearDown() override
    {
        // The grid goes first: it refers to the maps' cells.
        delete grid;
        root.reset();
    }

    // Shows the grid in a window of its own, for tests that send real input.
    QWidget* Shown()
    {
        QWidget* w = grid->Widget();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        return w;
    }

    // The centre of a cell, in the grid's client pixels.
    QPoint CentreOf(int col, int row) const
    {
        const TRect r = grid->CellRect(col, row);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }

    int Value(int col, int row) const { return dynamic_cast<TMapCell*>(grid->Objects(col, row))->cellValue; }

    // A pixel of what the grid shows, as 0x00BBGGRR.
    TColor Pixel(int x, int y) const
    {
        const QColor c = grid->Surface().pixelColor(x, y);
        return RGB(c.red(), c.green(), c.blue());
    }

    std::unique_ptr<TComponent> root;
    TMapGrid* grid = nullptr;
    TMapData* rpm = nullptr;
    TMapData* kpa = nullptr;
    TMapData* body = nullptr;
};

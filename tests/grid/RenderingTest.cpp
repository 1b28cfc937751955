// What the grid paints, read back from its surface pixel by pixel.
#include <QColor>

#include "GridFixture.h"
#include "platform/DrawingContext.h"

namespace {

constexpr TColor kGrey = 0x646464;
constexpr TColor kTraced = 0x646414;

// A point inside a cell but away from its outline and its centred text.
QPoint Inside(const TRect& r) { return QPoint(r.Left + 2, r.Top + 2); }

TEST_F(DemoGrid, PlainCellsAreBlackWithBlackOutlineAndCentredWhiteText)
{
    for (int col = 0; col < 9; ++col)
        for (int row = 0; row < 9; ++row) {
            const TRect r = grid->CellRect(col, row);
            SCOPED_TRACE(std::to_string(col) + "," + std::to_string(row));
            EXPECT_EQ(Pixel(r.Left, r.Top), clBlack);
            EXPECT_EQ(Pixel(r.Right - 1, r.Bottom - 1), clBlack);
            EXPECT_EQ(Pixel(Inside(r).x(), Inside(r).y()), clBlack);
        }

    // The text's lit pixels sit centred in the cell, as wide as the font measures the text.
    const TRect r = grid->CellRect(1, 0);  // "8.75"
    int left = r.Right, right = r.Left, lit = 0;
    for (int x = r.Left; x < r.Right; ++x)
        for (int y = r.Top; y < r.Bottom; ++y)
            if (qGray(grid->Surface().pixel(x, y)) > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                ++lit;
            }
    ASSERT_GT(lit, 10);
    const int centre = (r.Left + r.Right) / 2;
    EXPECT_LE(std::abs((left + right) / 2 - centre), 2);

    // The corner has no text: only its background and outline.
    const TRect corner = grid->CellRect(0, 8);
    for (int x = corner.Left; x < corner.Right; ++x)
        for (int y = corner.Top; y < corner.Bottom; ++y) ASSERT_EQ(Pixel(x, y), clBlack) << x << "," << y;
}

TEST_F(DemoGrid, SelectionColoursEveryCellInsideItAxisCellsIncluded)
{
    grid->selectStartCol = 0;
    grid->selectStartRow = 6;
    grid->selectEndCol = 2;
    grid->selectEndRow = 8;
    grid->Repaint();
    for (int col = 0; col < 9; ++col)
        for (int row = 0; row < 9; ++row) {
            const QPoint p = Inside(grid->CellRect(col, row));
            const bool inside = col <= 2 && row >= 6;
            EXPECT_EQ(Pixel(p.x(), p.y()), inside ? kGrey : clBlack) << col << "," << row;
        }
    const TRect r = grid->CellRect(1, 7);
    EXPECT_EQ(Pixel(r.Left, r.Top), clBlack);  // the outline stays black

    // A selection whose start lies after its end colours nothing.
    grid->selectStartCol = 5;
    grid->selectEndCol = 3;
    grid->Repaint();
    for (int col = 0; col < 9; ++col) EXPECT_EQ(Pixel(Inside(grid->CellRect(col, 7)).x(), Inside(grid->CellRect(col, 7)).y()), clBlack);
}

TEST_F(DemoGrid, TracedCellIsColouredOnlyWhileTracingIsOn)
{
    // The start-up point (30, 52) traces column 5, row 2.
    const QPoint p = Inside(grid->CellRect(5, 2));
    EXPECT_EQ(Pixel(p.x(), p.y()), clBlack);
    grid->setMapTrace(true);
    EXPECT_EQ(Pixel(p.x(), p.y()), kTraced);
    grid->selectStartCol = grid->selectStartRow = 1;
    grid->selectEndCol = grid->selectEndRow = 6;
    grid->Repaint();
    EXPECT_EQ(Pixel(p.x(), p.y()), kTraced);  // the trace wins over the selection
    grid->setMapTrace(false);
    EXPECT_EQ(Pixel(p.x(), p.y()), kGrey);
}

bool IsRed(TColor c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }

class Markers : public DemoGrid {
protected:
    void SetUp() override
    {
        DemoGrid::SetUp();
        // Cells of 43 x 59 pixels, so that the marker radius is 5. Traced cell (1, 5) spans
        // (44, 300)-(87, 359); its axis values are 8 (speed) and 30 (pressure).
        grid->SetBounds(0, 0, 9 * 44, 9 * 60);
        ASSERT_EQ(grid->CellRect(1, 5), Rect(44, 300, 87, 359));
        grid->traceX = 1;
        grid->traceY = 5;
    }
    void Trace(int xVal, int proxX, int yVal, int proxY)
    {
        grid->xVal = static_cast<unsigned char>(xVal);
        grid->proxX = static_cast<unsigned char>(proxX);
        grid->yVal = static_cast<unsigned char>(yVal);
        grid->proxY = static_cast<unsigned char>(proxY);
        grid->setMapTrace(true);
    }
};

TEST_F(Markers, MarkersStandOnTheTracedCellsEdgesWherePromixitySaysAndAreRed)
{
    struct Case {
        int xVal, proxX, yVal, proxY;
        int px, py;
    };
    // hw = 21, hh = 29: proximity 100 on the axis value puts the speed marker at the middle
    // reached from the right; below the axis value it is reached from the left.
    const Case cases[] = {
        {8, 100, 30, 100, 87 - 21, 300 + 29},
        {5, 20, 20, 55, 44 + 4, 359 - 15},
        {9, 0, 31, 0, 87, 300},
        {0, 0, 0, 0, 44, 359},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.px) + "," + std::to_string(c.py));
        Trace(c.xVal, c.proxX, c.yVal, c.proxY);
        EXPECT_TRUE(IsRed(Pixel(c.px, 359))) << "speed marker centre";
        EXPECT_TRUE(IsRed(Pixel(44, c.py))) << "pressure marker centre";
    }
}

TEST_F(Markers, OnlyTheTracedCellAndItsNeighboursDrawTheMarkers)
{
    Trace(8, 100, 30, 100);
    auto blot = [&] {
        HDC dc = GetDC(grid->Handle());
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCBrushColor(dc, 0x00FF00);
        Rectangle(dc, 60, 352, 73, 366);
        ReleaseDC(grid->Handle(), dc);
    };
    struct Case {
        int col, row;
        bool draws;
    };
    const Case cases[] = {{3, 5, false}, {1, 7, false}, {8, 8, false}, {2, 5, true}, {1, 6, true}, {0, 4, true},
                          {1, 5, true}, {0, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
        blot();
        grid->InvalidateCell(c.col, c.row);
        grid->Update();
        EXPECT_EQ(IsRed(Pixel(66, 359)), c.draws);
    }
}

} // namespace

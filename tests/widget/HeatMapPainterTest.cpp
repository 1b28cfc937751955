// The heat map's look on its own: the colour scale and the text colour as functions, and the
// painter installed as the grid's OnDrawCell on the demonstration maps, read back pixel by
// pixel from the grid's surface.
#include <cmath>
#include <string>

#include "platform/Events.h"
#include "tests/grid/GridFixture.h"
#include "widget/HeatMapPainter.h"

namespace {

double Luminance(TColor c)
{
    const auto lin = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}

double Contrast(TColor a, TColor b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(HeatScale, RunsFromDarkVioletToYellowGrowingLighterAllTheWay)
{
    EXPECT_EQ(HeatMapPainter::heatColor(0), RGB(0x44, 0x01, 0x54));
    EXPECT_EQ(HeatMapPainter::heatColor(1), RGB(0xFD, 0xE7, 0x25));
    EXPECT_EQ(HeatMapPainter::heatColor(-0.5), HeatMapPainter::heatColor(0));
    EXPECT_EQ(HeatMapPainter::heatColor(std::nan("")), HeatMapPainter::heatColor(0));
    EXPECT_EQ(HeatMapPainter::heatColor(7), HeatMapPainter::heatColor(1));
    double previous = -1;
    for (int i = 0; i <= 200; ++i) {
        SCOPED_TRACE(i);
        const double lightness = Luminance(HeatMapPainter::heatColor(i / 200.0));
        EXPECT_GT(lightness, previous);
        previous = lightness;
    }
}

TEST(HeatScale, EveryFillGetsTheTextColourThatReadsBetterOnIt)
{
    struct Case {
        TColor fill;
        TColor text;
    };
    const Case cases[] = {
        {clBlack, clWhite}, {clWhite, clBlack}, {0x646464, clWhite}, {0x00FF00, clBlack}, {0x0000FF, clBlack}, {0xFF0000, clWhite},
    };
    for (const Case& c : cases) EXPECT_EQ(HeatMapPainter::textColorOn(c.fill), c.text) << std::hex << c.fill;
    // Along the whole scale the chosen text keeps a contrast of at least 4.5 to 1.
    for (int i = 0; i <= 200; ++i) {
        const TColor fill = HeatMapPainter::heatColor(i / 200.0);
        const TColor text = HeatMapPainter::textColorOn(fill);
        EXPECT_GE(Contrast(fill, text), 4.5) << i;
        EXPECT_GE(Contrast(fill, text), Contrast(fill, text == clBlack ? clWhite : clBlack)) << i;
    }
}

TEST(HeatScale, MarkersAreAtLeastFourPixelsAcrossAndStayWithinTheNeighbours)
{
    struct Case {
        TRect traced;
        int radius;
    };
    const Case cases[] = {
        {{44, 100, 87, 119}, 4},  // the test application's cells
        {{0, 0, 80, 80}, 10},
        {{0, 0, 2, 19}, 2},  // never wider than the cell
        {{0, 0, 40, 3}, 3},
        {{0, 0, 0, 0}, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(HeatMapPainter::markerRadius(c.traced), c.radius) << c.traced.Bottom;
}

class HeatMapLook : public DemoGrid {
protected:
    void SetUp() override
    {
        DemoGrid::SetUp();
        painter = std::make_unique<HeatMapPainter>(*grid);
        grid->OnDrawCell = Bind(painter.get(), &HeatMapPainter::drawCell);
        grid->Repaint();
    }
    void TearDown() override
    {
        grid->OnDrawCell = Bind(grid, &TMapGrid::myDrawCell);
        DemoGrid::TearDown();
    }
    TColor Fill(int col, int row) const
    {
        return HeatMapPainter::heatColor(painter->shareOf(*dynamic_cast<TMapCell*>(grid->Objects(col, row))));
    }
    // A pixel at (dx, dy) from the cell's top-left corner.
    TColor At(int col, int row, int dx, int dy) const
    {
        const TRect r = grid->CellRect(col, row);
        return Pixel(r.Left + dx, r.Top + dy);
    }

    std::unique_ptr<HeatMapPainter> painter;
};

TEST_F(HeatMapLook, BodyCellsTakeTheirValuesColourAxisCellsKeepTheGridsLook)
{
    EXPECT_EQ(painter->shareOf(*dynamic_cast<TMapCell*>(grid->Objects(5, 7))), 141 / 255.0);
    for (int row = 0; row < 8; ++row)
        for (int col = 1; col < 9; ++col) EXPECT_EQ(At(col, row, 2, 2), Fill(col, row)) << col << "," << row;
    EXPECT_EQ(At(0, 3, 2, 2), 0x000000);  // pressure axis
    EXPECT_EQ(At(4, 8, 2, 2), 0x000000);  // speed axis
    EXPECT_EQ(At(0, 8, 2, 2), 0x000000);  // the corner

    // Another range spreads the scale over it.
    painter->setRange(0, 141);
    grid->Repaint();
    EXPECT_EQ(At(5, 7, 2, 2), HeatMapPainter::heatColor(1));
    EXPECT_EQ(At(8, 0, 2, 2), HeatMapPainter::heatColor(0));
}

TEST_F(HeatMapLook, TextIsBlackOnLightFillsAndWhiteOnDarkOnes)
{
    grid->setCellValues({{2, 3, 250}, {3, 3, 5}});
    const auto inkOf = [&](int col, int row) {
        const TRect r = grid->CellRect(col, row);
        const TColor fill = Fill(col, row);
        // Pixels darker and lighter than the fill: the text's, smoothed at its edges.
        int darker = 0, lighter = 0;
        for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 1; x < r.Right - 1; ++x) {
                const double l = Luminance(Pixel(x, y));
                darker += l < Luminance(fill) - 0.1;
                lighter += l > Luminance(fill) + 0.1;
            }
        return std::pair(darker, lighter);
    };
    const auto [onLightDarker, onLightLighter] = inkOf(2, 3);
    EXPECT_GT(onLightDarker, 10);
    EXPECT_EQ(onLightLighter, 0);
    const auto [onDarkDarker, onDarkLighter] = inkOf(3, 3);
    EXPECT_GT(onDarkLighter, 10);
    EXPECT_EQ(onDarkDarker, 0);
}

TEST_F(HeatMapLook, TheSelectionAndTheTracedCellAreOutlinesOverTheFill)
{
    grid->setSelection(2, 1, 4, 3);
    grid->setMapTrace(true);  // traces (5, 2)
    ASSERT_EQ(grid->traceX, 5);
    ASSERT_EQ(grid->traceY, 2);
    struct Case {
        const char* name;
        int col, row, dx, dy;
        TColor expected;  // -1: the cell's fill
    };
    const TColor white = HeatMapPainter::kSelectionOutline;
    const TColor red = HeatMapPainter::kTraceOutline;
    const Case cases[] = {
        {"top-left corner of the selection", 2, 1, 1, 1, white},
        {"its left edge", 2, 2, 1, 8, white},
        {"its top edge", 3, 1, 20, 1, white},
        {"its bottom edge", 3, 3, 20, 17, white},
        {"its right edge", 4, 2, 41, 8, white},
        {"no band inside the selection", 3, 2, 1, 1, -1},
        {"no band along an inner edge", 2, 1, 41, 1, white},
        {"the band ends at the cell's outline", 2, 1, 3, 8, 0x000000},
        {"within the band", 2, 1, 5, 5, -1},
        {"outside the selection", 5, 4, 1, 1, -1},
        {"the traced cell's ring", 5, 2, 1, 8, red},
        {"within the ring", 5, 2, 5, 5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(At(c.col, c.row, c.dx, c.dy), c.expected == -1 ? Fill(c.col, c.row) : c.expected);
    }
    // A traced cell inside the selection shows both, the ring within the band.
    grid->setSelection(5, 2, 5, 2);
    EXPECT_EQ(At(5, 2, 1, 8), white);
    EXPECT_EQ(At(5, 2, 4, 8), red);
    EXPECT_EQ(At(5, 2, 8, 8), Fill(5, 2));
}

TEST_F(HeatMapLook, TheMarkersAreRedDiscsOverEveryNeighbourPaintedAfterThem)
{
    grid->setMapTrace(true);
    const TRect t = grid->CellRect(grid->traceX, grid->traceY);
    const int d = HeatMapPainter::markerRadius(t);
    ASSERT_GE(d, 3);
    // xVal 30 on its axis value: the speed marker at the bottom edge's centre; yVal 52 below
    // the axis value 54 with proximity 55: the pressure marker down the left edge.
    const int px = t.Right - (t.Right - t.Left) / 2;
    const int py = t.Bottom - ((t.Bottom - t.Top) / 2 * grid->proxY) / 100;
    for (const auto& [x, y] : {std::pair(px, t.Bottom), std::pair(t.Left, py)}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        for (const auto& [dx, dy] : {std::pair(0, 0), std::pair(d - 2, 0), std::pair(0, d - 2), std::pair(-(d - 2), 0),
                                     std::pair(0, -(d - 2))})
            EXPECT_EQ(Pixel(x + dx, y + dy), HeatMapPainter::kMarkerColor) << dx << "," << dy;
    }
    // Painting a neighbour alone again leaves the markers whole.
    for (int col = grid->traceX - 1; col <= grid->traceX + 1; ++col)
        for (int row = grid->traceY - 1; row <= grid->traceY + 1; ++row) {
            grid->InvalidateCell(col, row);
            grid->Update();
            EXPECT_EQ(Pixel(px, t.Bottom + d - 2), HeatMapPainter::kMarkerColor) << col << "," << row;
            EXPECT_EQ(Pixel(t.Left - (d - 2), py), HeatMapPainter::kMarkerColor) << col << "," << row;
        }
    // Off, no cell draws them.
    grid->setMapTrace(false);
    EXPECT_EQ(Pixel(px, t.Bottom - 2), Fill(grid->traceX, grid->traceY));
}

} // namespace

// setSelection, the way a host (the keyboard of the Qt widget) sets the selection: the four
// bounds kept within the fields' range, "Interpolate" updated as by the mouse, the change
// shown and reported once, and nothing reported when nothing changed.
#include "tests/grid/GridFixture.h"

#include <string>

#include "platform/Menus.h"

namespace {

using SetSelection = DemoGrid;

TEST_F(SetSelection, StoresTheRectangleUpdatesInterpolateRepaintsAndReportsChangesOnly)
{
    int reported = 0;
    grid->OnSelectionChange = [&](TObject*) { ++reported; };
    TMenuItem* interpolate = grid->PopupMenu()->Items()->Find("Interpolate");
    struct Case {
        int startCol, startRow, endCol, endRow;
        short expected[4];  // start col, start row, end col, end row as stored
        bool interpolateEnabled;
        int reportedSoFar;
    };
    const Case cases[] = {
        {2, 1, 2, 1, {2, 1, 2, 1}, false, 1},
        {2, 1, 2, 1, {2, 1, 2, 1}, false, 1},  // the same rectangle: no report
        {2, 1, 4, 1, {2, 1, 4, 1}, true, 2},
        {1, 0, 1, 3, {1, 0, 1, 3}, true, 3},
        {1, 0, 2, 1, {1, 0, 2, 1}, false, 4},
        {-7, -1, 100000, -40000, {-1, -1, 32767, -1}, true, 5},  // kept within -1 .. 32767
        {-1, -1, -1, -1, {-1, -1, -1, -1}, false, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.startCol) + "," + std::to_string(c.startRow) + " .. " +
                     std::to_string(c.endCol) + "," + std::to_string(c.endRow));
        grid->setSelection(c.startCol, c.startRow, c.endCol, c.endRow);
        EXPECT_EQ(grid->selectStartCol, c.expected[0]);
        EXPECT_EQ(grid->selectStartRow, c.expected[1]);
        EXPECT_EQ(grid->selectEndCol, c.expected[2]);
        EXPECT_EQ(grid->selectEndRow, c.expected[3]);
        EXPECT_EQ(interpolate->Enabled(), c.interpolateEnabled);
        EXPECT_EQ(reported, c.reportedSoFar);
    }
}

TEST_F(SetSelection, ShowsTheNewSelectionAtOnce)
{
    grid->setSelection(3, 2, 4, 2);
    const TRect inside = grid->CellRect(4, 2);
    const TRect outside = grid->CellRect(5, 2);
    EXPECT_EQ(Pixel(inside.Left + 2, inside.Top + 2), 0x646464);
    EXPECT_EQ(Pixel(outside.Left + 2, outside.Top + 2), 0x000000);
}

} // namespace

// Locating the operating point on the two axes.
#include "GridFixture.h"
#include "platform/Properties.h"

namespace {

struct TraceCase {
    bool speed;  // setX, else setY
    int point;
    int trace;
    int prox;
};

TEST_F(DemoGrid, WorkedTraceValues)
{
    const TraceCase cases[] = {
        {true, 30, 5, 100}, {true, 27, 4, 20},   {true, 28, 5, 20},    {true, 16, 2, 0},   {true, 5, 1, 62},
        {true, 0, 1, 0},    {true, 60, 8, 50},   {true, 70, 8, 0},     {true, 8, 1, 100},  {true, 50, 8, 100},
        {true, 17, 3, 25},  {true, 100, 8, 234}, {false, 52, 2, 55},   {false, 57, 2, 0},  {false, 15, 7, 100},
        {false, 10, 7, 66}, {false, 100, 0, 87}, {false, 255, 0, 0},   {false, 75, 0, 100},
    };
    for (const TraceCase& c : cases) {
        SCOPED_TRACE((c.speed ? "setX(" : "setY(") + std::to_string(c.point) + ")");
        if (c.speed) {
            grid->setX(static_cast<unsigned char>(c.point));
            EXPECT_EQ(grid->xVal, c.point);
            EXPECT_EQ(grid->traceX, c.trace);
            EXPECT_EQ(grid->proxX, c.prox);
        } else {
            grid->setY(static_cast<unsigned char>(c.point));
            EXPECT_EQ(grid->yVal, c.point);
            EXPECT_EQ(grid->traceY, c.trace);
            EXPECT_EQ(grid->proxY, c.prox);
        }
    }
}

TEST_F(DemoGrid, LimitEqualToTheLastAxisValueTracesItWithFullProximity)
{
    grid->maxX = 50;
    for (int x : {50, 51, 200, 255}) {
        grid->setX(static_cast<unsigned char>(x));
        EXPECT_EQ(grid->traceX, 8) << x;
        EXPECT_EQ(grid->proxX, 100) << x;
    }
}

TEST_F(DemoGrid, TraceIsComputedWithTracingOffAndEveryCallRepaints)
{
    int drawn = 0;
    auto draw = grid->OnDrawCell;
    grid->OnDrawCell = [&](TObject* s, int c, int r, TRect& rect, TGridDrawState st) {
        ++drawn;
        draw(s, c, r, rect, st);
    };
    grid->setMapTrace(false);
    EXPECT_EQ(drawn, 81);
    grid->setX(27);
    EXPECT_EQ(grid->traceX, 4);
    EXPECT_EQ(grid->proxX, 20);
    EXPECT_EQ(drawn, 162);
    grid->setX(27);  // nothing changes, still repainted
    EXPECT_EQ(drawn, 243);

    // Writing the trace fields as properties only stores them.
    SetPropertyValue(*grid, "traceX", TPropValue::Int(6));
    SetPropertyValue(*grid, "maxY", TPropValue::Str("d"));
    grid->Update();
    EXPECT_EQ(drawn, 243);
    EXPECT_EQ(grid->traceX, 6);
    EXPECT_EQ(grid->proxX, 20);
}

TEST_F(DemoGrid, RepeatedAxisValueIsTracedAtTheLastPositionVisited)
{
    rpm->getCells(3, 0)->setCellValue(20);  // columns 3 and 4 both hold 20
    grid->setX(20);
    EXPECT_EQ(grid->traceX, 4);
    EXPECT_EQ(grid->proxX, 100);
    kpa->getCells(0, 3)->setCellValue(54);  // rows 2 and 3 both hold 54; the search runs upward
    grid->setY(54);
    EXPECT_EQ(grid->traceY, 2);
    EXPECT_EQ(grid->proxY, 100);
}

TEST_F(DemoGrid, UnboundAxisCellsAreSkippedWithoutFault)
{
    grid->SetObjects(5, 8, nullptr);  // the speed axis value 30
    grid->setX(30);
    // Column 5 takes no part: 30 lies half-way between 25 (column 4) and 35 (column 6).
    EXPECT_EQ(grid->traceX, 4);
    EXPECT_EQ(grid->proxX, 0);

    for (int c = 1; c < 9; ++c) grid->SetObjects(c, 8, nullptr);
    for (int r = 0; r < 8; ++r) grid->SetObjects(0, r, nullptr);
    grid->setMapTrace(true);
    for (int v : {0, 30, 255}) {
        grid->setX(static_cast<unsigned char>(v));
        grid->setY(static_cast<unsigned char>(v));
        EXPECT_GE(grid->traceX, -1);
        EXPECT_LE(grid->traceX, 8);
        EXPECT_GE(grid->traceY, -1);
        EXPECT_LE(grid->traceY, 7);
    }
}

TEST(MapGridTrace, WideGridsTraceColumnsBeyond127)
{
    TComponent owner(nullptr);
    auto* grid = new TMapGrid(&owner);
    grid->SetColCount(201);
    grid->SetRowCount(2);
    TMapData axis(nullptr);
    axis.setRows(1);
    axis.setCols(200);
    for (unsigned c = 0; c < 200; ++c) axis.getCells(c, 0)->setCellValue(static_cast<int>(c));
    grid->assignData(&axis, 1, 1);
    grid->maxX = 255;
    grid->setX(150);
    EXPECT_EQ(grid->traceX, 151);
    EXPECT_EQ(grid->proxX, 100);
    delete grid;
}

} // namespace

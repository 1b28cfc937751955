// Selecting with the mouse and editing the selection from the pop-up menu, through real
// Qt input on the shown grid.
#include <QAction>
#include <QMenu>

#include "GridFixture.h"
#include "platform/Menus.h"

namespace {

struct Sel {
    int c0, r0, c1, r1;
    friend bool operator==(const Sel&, const Sel&) = default;
};

std::ostream& operator<<(std::ostream& os, const Sel& s)
{
    return os << "(" << s.c0 << "," << s.r0 << ")-(" << s.c1 << "," << s.r1 << ")";
}

class Selecting : public DemoGrid {
protected:
    void SetUp() override
    {
        DemoGrid::SetUp();
        w = Shown();
    }
    Sel Selection() const { return {grid->selectStartCol, grid->selectStartRow, grid->selectEndCol, grid->selectEndRow}; }
    void Select(Sel s)
    {
        grid->selectStartCol = static_cast<short>(s.c0);
        grid->selectStartRow = static_cast<short>(s.r0);
        grid->selectEndCol = static_cast<short>(s.c1);
        grid->selectEndRow = static_cast<short>(s.r1);
    }
    void Press(int col, int row) { QTest::mousePress(w, Qt::LeftButton, {}, CentreOf(col, row)); }
    void MoveTo(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    void MoveTo(int col, int row) { MoveTo(CentreOf(col, row)); }
    void Release(QPoint p) { QTest::mouseRelease(w, Qt::LeftButton, {}, p); }
    // What the window system delivers for a double-click: press, release, double-click, release.
    void DoubleClick(int col, int row)
    {
        const QPoint p = CentreOf(col, row);
        Press(col, row);
        Release(p);
        QMouseEvent second(QEvent::MouseButtonDblClick, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(w, &second);
        Release(p);
    }
    void Drag(int fromCol, int fromRow, int toCol, int toRow)
    {
        Press(fromCol, fromRow);
        MoveTo(toCol, toRow);
        Release(CentreOf(toCol, toRow));
    }
    bool InterpolateEnabled() const { return grid->PopupMenu()->Items()->Find("Interpolate")->Enabled(); }
    // Opens the menu with a right click and clicks the item, as a user would.
    void Choose(const char* caption, QPoint at = QPoint(5, 5))
    {
        QTest::mouseClick(w, Qt::RightButton, {}, at);
        QMenu* menu = grid->PopupMenu()->Menu();
        ASSERT_TRUE(menu->isVisible());
        QAction* action = grid->PopupMenu()->Items()->Find(caption)->Action();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QCoreApplication::processEvents();
    }
    void SetBody(int col, int row, int value)
    {
        auto* cell = dynamic_cast<TMapCell*>(grid->Objects(col, row));
        cell->setCellValue(value);
        grid->SetCells(col, row, cell->AsString());
    }

    QWidget* w = nullptr;
};

TEST_F(Selecting, PressSelectsByTheKindOfCellPressed)
{
    struct Case {
        int col, row;
        Sel before, after;
        bool interpolate;
    };
    const Case cases[] = {
        {0, 3, {-1, -1, -1, -1}, {1, 3, 8, 3}, true},   // pressure axis: the body row
        {4, 8, {-1, -1, -1, -1}, {4, 0, 4, 7}, true},   // speed axis: the body column
        {6, 2, {1, 1, 8, 8}, {6, 2, 6, 2}, false},      // body: the one cell
        {0, 8, {2, 3, 4, 5}, {2, 3, 4, 5}, true},       // corner: unchanged (2 x 3 spans three rows)
        {0, 8, {2, 3, 3, 4}, {2, 3, 3, 4}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
        Select(c.before);
        Press(c.col, c.row);
        EXPECT_EQ(Selection(), c.after);
        EXPECT_EQ(InterpolateEnabled(), c.interpolate);
        Release(CentreOf(c.col, c.row));
    }
}

TEST_F(Selecting, PressesOfOtherButtonsAndOffTheCellsChangeNothing)
{
    Select({2, 2, 3, 3});
    QTest::mousePress(w, Qt::RightButton, {}, CentreOf(5, 5));
    QTest::mouseRelease(w, Qt::RightButton, {}, CentreOf(5, 5));
    grid->PopupMenu()->Menu()->close();
    QTest::mouseClick(w, Qt::MiddleButton, {}, CentreOf(6, 6));
    EXPECT_EQ(Selection(), (Sel{2, 2, 3, 3}));
    grid->SetBounds(0, 0, 403 + 50, 187 + 50);  // room right of and below the cells
    grid->SetDefaultColWidth(43);
    grid->SetDefaultRowHeight(19);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(440, 200));
    EXPECT_EQ(Selection(), (Sel{2, 2, 3, 3}));
}

TEST_F(Selecting, BodyDragFollowsThePointerRightOfAndBelowThePressCellOnly)
{
    Press(2, 2);
    struct Step {
        int col, row;
        Sel expected;
        bool interpolate;
    };
    const Step steps[] = {
        {5, 4, {2, 2, 5, 4}, true},  {1, 4, {2, 2, 5, 4}, true},  {3, 8, {2, 2, 5, 4}, true},
        {0, 5, {2, 2, 5, 4}, true},  {3, 3, {2, 2, 3, 3}, false}, {2, 4, {2, 2, 2, 4}, true},
        {2, 2, {2, 2, 2, 2}, false}, {4, 2, {2, 2, 4, 2}, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.col) + "," + std::to_string(s.row));
        MoveTo(s.col, s.row);
        EXPECT_EQ(Selection(), s.expected);
        EXPECT_EQ(InterpolateEnabled(), s.interpolate);
    }
    Release(CentreOf(4, 2));
    MoveTo(7, 7);  // released: moves no longer select
    EXPECT_EQ(Selection(), (Sel{2, 2, 4, 2}));
}

TEST_F(Selecting, AxisDragsMoveOnlyTheLastRowOrTheLastColumn)
{
    Press(0, 3);
    for (auto [col, row, endRow] : {std::tuple{0, 5, 5}, {4, 6, 6}, {0, 1, 6}, {0, 8, 6}, {3, 4, 4}}) {
        MoveTo(col, row);
        EXPECT_EQ(Selection(), (Sel{1, 3, 8, endRow})) << col << "," << row;
    }
    Release(CentreOf(3, 4));

    Press(4, 8);
    for (auto [col, row, endCol] : {std::tuple{6, 2, 6}, {7, 8, 7}, {2, 3, 7}, {0, 3, 7}, {5, 0, 5}}) {
        MoveTo(col, row);
        EXPECT_EQ(Selection(), (Sel{4, 0, endCol, 7})) << col << "," << row;
    }
    MoveTo(QPoint(-40, -40));  // off the cells: nothing applies
    EXPECT_EQ(Selection(), (Sel{4, 0, 5, 7}));
    Release(QPoint(-40, -40));
}

TEST_F(Selecting, PointerOutsideTheGridWhileHeldKeepsTheSelection)
{
    Press(3, 3);
    MoveTo(QPoint(2000, 2000));
    MoveTo(QPoint(-5, 90));
    EXPECT_EQ(Selection(), (Sel{3, 3, 3, 3}));
    MoveTo(5, 5);
    EXPECT_EQ(Selection(), (Sel{3, 3, 5, 5}));
    Release(QPoint(2000, 2000));
    MoveTo(7, 7);
    EXPECT_EQ(Selection(), (Sel{3, 3, 5, 5}));
}

TEST_F(Selecting, CornerDragWithNoSelectionMovesOnlyTheEnds)
{
    Press(0, 8);
    MoveTo(1, 1);
    EXPECT_EQ(Selection(), (Sel{-1, -1, 1, 1}));
    EXPECT_TRUE(InterpolateEnabled());
    Release(CentreOf(1, 1));
    const std::string before = grid->Cells(1, 1);
    Choose("Increment");
    EXPECT_EQ(grid->Cells(1, 1), before);
}

TEST_F(Selecting, DoubleClickOnTheCornerSelectsTheWholeBody)
{
    DoubleClick(0, 8);
    EXPECT_EQ(Selection(), (Sel{1, 0, 8, 7}));
    EXPECT_TRUE(InterpolateEnabled());

    Choose("Increment");
    for (int row = 0; row < 8; ++row)
        for (int col = 1; col < 9; ++col) EXPECT_EQ(Value(col, row), demo::kBody[row][col - 1] + 1) << col << "," << row;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Value(i + 1, 8), demo::kRpm[i]);
        EXPECT_EQ(Value(0, i), demo::kKpa[i]);
    }
    EXPECT_EQ(grid->Cells(8, 0), "0.25");

    DoubleClick(3, 4);  // elsewhere: a single press
    EXPECT_EQ(Selection(), (Sel{3, 4, 3, 4}));
    EXPECT_FALSE(InterpolateEnabled());
}

TEST_F(Selecting, MenuCommandsScaleWithSinglePrecisionFactorsAndTruncate)
{
    struct Case {
        const char* command;
        int before, after;
    };
    const Case cases[] = {
        {"Increment 1%", 100, 100}, {"Increment 1%", 101, 102}, {"Increment 1%", 0, 0},   {"Increment 5%", 20, 20},
        {"Increment 5%", 100, 104}, {"Decrement 5%", 20, 18},   {"Decrement 5%", 100, 94}, {"Decrement 1%", 1, 0},
        {"Decrement 1%", 100, 99},  {"Increment", 255, 255},    {"Decrement", 0, 0},       {"Decrement", 35, 34},
        {"Set Value", 35, 35},      {"Multiply", 35, 35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " on " + std::to_string(c.before));
        SetBody(4, 4, c.before);
        Press(4, 4);
        Release(CentreOf(4, 4));
        Choose(c.command);
        EXPECT_EQ(Value(4, 4), c.after);
        EXPECT_EQ(grid->Cells(4, 4), dynamic_cast<TMapCell*>(grid->Objects(4, 4))->AsString());
        EXPECT_EQ(Value(5, 4), demo::kBody[4][4]);  // outside the selection
    }
}

TEST_F(DemoGrid, DoMathRewritesEveryTextEvenWhenNoValueChanges)
{
    grid->selectStartCol = 1;
    grid->selectStartRow = 0;
    grid->selectEndCol = 2;
    grid->selectEndRow = 1;
    body->getCells(0, 0)->cellValue = 4;  // behind the grid's back
    for (unsigned char op : {'/', 'x', '='}) {
        grid->doMath(op, op == '/' ? 0.0f : 3.0f);
        EXPECT_EQ(Value(1, 0), 4);
        EXPECT_EQ(grid->Cells(1, 0), "1.00");
    }
    grid->selectStartRow = -1;
    grid->doMath('+', 1.0f);
    EXPECT_EQ(Value(1, 0), 4);
}

TEST_F(DemoGrid, DoMathStopsAtTheGridsEdgeAndSkipsCellsWithoutAMapCell)
{
    grid->selectStartCol = 0;
    grid->selectStartRow = 7;
    grid->selectEndCol = 32767;
    grid->selectEndRow = 32767;
    grid->doMath('+', 1.0f);
    EXPECT_EQ(Value(0, 7), demo::kKpa[7] + 1);
    EXPECT_EQ(Value(8, 8), demo::kRpm[7] + 1);
    EXPECT_EQ(grid->Cells(0, 8), "");
}

class Interpolating : public DemoGrid {
protected:
    void Axis(std::initializer_list<int> speeds)
    {
        int c = 1;
        for (int s : speeds) rpm->getCells(static_cast<unsigned>(c++ - 1), 0)->setCellValue(s);
    }
    void Select(int c0, int r0, int c1, int r1)
    {
        grid->selectStartCol = static_cast<short>(c0);
        grid->selectStartRow = static_cast<short>(r0);
        grid->selectEndCol = static_cast<short>(c1);
        grid->selectEndRow = static_cast<short>(r1);
    }
    void Set(int col, int row, int v) { dynamic_cast<TMapCell*>(grid->Objects(col, row))->setCellValue(v); }
};

TEST_F(Interpolating, RowAgainstTheSpeedAxisValuesInSinglePrecision)
{
    Axis({0, 3, 9});
    Set(1, 0, 0);
    Set(3, 0, 30);
    Select(1, 0, 3, 0);
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 0), 9);  // 30/9 in single precision lies just below 10/3
    EXPECT_EQ(grid->Cells(2, 0), "2.25");

    Axis({10, 20, 30, 40});
    Set(1, 1, 100);
    Set(4, 1, 160);
    Select(1, 1, 4, 2);  // two rows: both are interpolated
    Set(1, 2, 0);
    Set(4, 2, 30);
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 1), 120);
    EXPECT_EQ(Value(3, 1), 140);
    EXPECT_EQ(Value(2, 2), 10);
    EXPECT_EQ(Value(1, 1), 100);
    EXPECT_EQ(Value(4, 1), 160);
}

TEST_F(Interpolating, ThreeByThreeRewritesAllButTheFourCorners)
{
    Select(2, 1, 4, 3);
    const int corners[4] = {Value(2, 1), Value(4, 1), Value(2, 3), Value(4, 3)};
    const int untouched = Value(5, 2);
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 1), corners[0]);
    EXPECT_EQ(Value(4, 1), corners[1]);
    EXPECT_EQ(Value(2, 3), corners[2]);
    EXPECT_EQ(Value(4, 3), corners[3]);
    EXPECT_EQ(Value(5, 2), untouched);
    // Column 2 against the pressure axis 60, 54, 45, between its corners 46 and 59.
    const float slope = static_cast<float>((59.0L - 46.0L) / (45.0L - 60.0L));
    const float offset = static_cast<float>(46.0L - 60.0L * slope);
    ASSERT_EQ(corners[0], 46);
    ASSERT_EQ(corners[2], 59);
    EXPECT_EQ(Value(2, 2), static_cast<int>(54.0L * slope + offset));
    for (int col = 2; col <= 4; ++col) EXPECT_EQ(grid->Cells(col, 2), dynamic_cast<TMapCell*>(grid->Objects(col, 2))->AsString());
}

TEST_F(Interpolating, ResultsAreClampedAndDegenerateSelectionsChangeNothing)
{
    Axis({10, 20, 30});
    Set(1, 0, 0);
    Set(3, 0, 255);
    body->getCells(1, 0)->maxValue = 50;
    Select(1, 0, 3, 0);
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 0), 50);

    // Equal anchors on the axis, a selection from column 0, and one beyond the grid: the
    // rows stay as they are, and nothing faults.
    Axis({20, 25, 20});
    Set(2, 1, 77);
    Select(1, 1, 3, 1);
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 1), 77);
    Select(0, 1, 3, 1);
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 1), 77);
    Select(6, 3, 400, 300);
    grid->intCells(nullptr);
    Select(1, 1, 2, 2);  // 2 x 2: nothing to do
    grid->intCells(nullptr);
    EXPECT_EQ(Value(2, 1), 77);
}

} // namespace

namespace {

TEST_F(DemoGrid, ACellBoundTwiceShowsItsNewValueAtBothPositions)
{
    grid->assignData(rpm, 1, 7);  // the speed axis now also stands in row 7
    grid->selectStartCol = grid->selectEndCol = 3;
    grid->selectStartRow = grid->selectEndRow = 8;
    grid->doMath('+', 1.0f);
    EXPECT_EQ(grid->Cells(3, 8), "2100");
    EXPECT_EQ(grid->Cells(3, 7), "2100");
}

} // namespace

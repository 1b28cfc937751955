// MapGridWidget in a Qt layout beside other widgets, under a plain QApplication: its size,
// its signals (once per change), its properties, focus and keys, what it shows, and its
// destruction whichever of its Qt parent and the grid's component owner goes first.
#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <mapgrid/MapGridWidget.h>

#include "platform/Menus.h"
#include "tests/widget/DemoMaps.h"

namespace {

class HostedGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QHBoxLayout(window.get());
        maps = new MapGridWidget;
        layout->addWidget(maps, 1);
        side = new QPushButton("Apply");
        layout->addWidget(side);
        BindDemoMaps(*maps->grid());
        maps->setMaxX(70);
        window->resize(520, 240);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    TMapGrid& grid() const { return *maps->grid(); }
    QWidget* surface() const { return grid().Widget(); }
    QPoint CentreOf(int col, int row) const
    {
        const TRect r = grid().CellRect(col, row);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    int Value(int col, int row) const { return dynamic_cast<TMapCell*>(grid().Objects(col, row))->cellValue; }
    void Select(int startCol, int startRow, int endCol, int endRow)
    {
        grid().selectStartCol = static_cast<short>(startCol);
        grid().selectStartRow = static_cast<short>(startRow);
        grid().selectEndCol = static_cast<short>(endCol);
        grid().selectEndRow = static_cast<short>(endRow);
    }
    void Press(int col, int row) { QTest::mousePress(surface(), Qt::LeftButton, {}, CentreOf(col, row)); }
    void Release(int col, int row) { QTest::mouseRelease(surface(), Qt::LeftButton, {}, CentreOf(col, row)); }
    void MoveTo(int col, int row)
    {
        const QPoint p = CentreOf(col, row);
        QMouseEvent move(QEvent::MouseMove, p, surface()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface(), &move);
    }

    std::unique_ptr<QWidget> window;
    MapGridWidget* maps = nullptr;
    QPushButton* side = nullptr;
};

TEST_F(HostedGrid, FillsItsPlaceInTheLayoutAndFitsItsCellsToIt)
{
    for (const QSize size : {QSize(520, 240), QSize(900, 420), QSize(300, 160)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        window->resize(size);
        QCoreApplication::processEvents();
        EXPECT_LT(maps->geometry().right(), side->geometry().left());
        EXPECT_EQ(QRect(QPoint(0, 0), surface()->size()), maps->rect());
        EXPECT_EQ(grid().Width(), maps->width());
        EXPECT_EQ(grid().Height(), maps->height());
        EXPECT_EQ(grid().DefaultColWidth(), maps->width() / 9 - 1);
        EXPECT_EQ(grid().DefaultRowHeight(), maps->height() / 9 - 1);
    }
}

TEST_F(HostedGrid, ShowsTheGridAsItDrawsIt)
{
    Press(3, 2);
    Release(3, 2);
    const QImage shot = maps->grab().toImage();
    const auto pixelNearCorner = [&](int col, int row) {
        const TRect r = grid().CellRect(col, row);
        return shot.pixelColor(r.Left + 2, r.Top + 2).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(pixelNearCorner(3, 2), 0x646464u);  // selected
    EXPECT_EQ(pixelNearCorner(5, 5), 0x000000u);  // plain
    // The cell's text, in white (smoothed at its edges), somewhere in the selected cell.
    const TRect r = grid().CellRect(3, 2);
    int light = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) light += qGray(shot.pixel(x, y)) > 0xC0;
    EXPECT_GT(light, 10);
}

TEST_F(HostedGrid, EveryCommandThatChangesValuesSignalsOnceWithItsChanges)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::function<void()> command;
        int emitted;
        TCellChanges changes;
    };
    const auto none = [] {};
    const Case cases[] = {
        {"menu Increment over 2 x 1", [&] { Select(1, 0, 2, 0); },
         [&] {
             QTest::mouseClick(surface(), Qt::RightButton, {}, CentreOf(4, 4));
             QMenu* menu = grid().PopupMenu()->Menu();
             QAction* action = grid().PopupMenu()->Items()->Find("Increment")->Action();
             QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
         },
         1, {{1, 0, 35, 36}, {2, 0, 33, 34}}},
        {"doMath * 1.05", [&] { Select(4, 7, 5, 7); }, [&] { grid().doMath('*', 1.05f); }, 1,
         {{4, 7, 119, 124}, {5, 7, 141, 148}}},
        {"intCells across a row", [&] { Select(1, 2, 3, 2); }, [&] { grid().intCells(nullptr); }, 1,
         {{2, 2, 57, 51}}},
        {"setCellValues, clamped", none, [&] { grid().setCellValues({{1, 1, 99}, {2, 1, 300}}); }, 1,
         {{1, 1, 45, 99}, {2, 1, 46, 255}}},
        {"no selection", [&] { Select(-1, -1, -1, -1); }, [&] { grid().incCells(nullptr); }, 0, {}},
        {"nothing to change: at the upper bound", [&] { grid().setCellValues({{6, 6, 255}}); Select(6, 6, 6, 6); },
         [&] { grid().incCells(nullptr); }, 0, {}},
        {"a position without a map cell", none, [&] { grid().setCellValues({{0, 8, 5}}); }, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        QSignalSpy spy(maps, &MapGridWidget::valuesChanged);
        c.command();
        QCoreApplication::processEvents();
        ASSERT_EQ(spy.count(), c.emitted);
        if (c.emitted == 0) continue;
        const auto changes = spy.at(0).at(0).value<TCellChanges>();
        ASSERT_EQ(changes.size(), c.changes.size());
        for (size_t i = 0; i < changes.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(changes[i].col, c.changes[i].col);
            EXPECT_EQ(changes[i].row, c.changes[i].row);
            EXPECT_EQ(changes[i].oldValue, c.changes[i].oldValue);
            EXPECT_EQ(changes[i].newValue, c.changes[i].newValue);
            EXPECT_EQ(Value(changes[i].col, changes[i].row), changes[i].newValue);
        }
    }
}

TEST_F(HostedGrid, UndoingTheChangesInReverseRestoresEveryValueEvenOfACellChangedTwice)
{
    // One map cell bound at two positions of the selection is changed at each of them.
    auto* shared = new TMapData(&grid());
    shared->setRows(1);
    shared->setCols(1);
    shared->getCells(0, 0)->setCellValue(10);
    grid().assignData(shared, 2, 1);
    grid().assignData(shared, 3, 1);
    Select(1, 1, 4, 2);
    int before[9][9] = {};
    for (int r = 0; r < 8; ++r)
        for (int c = 1; c < 9; ++c) before[c][r] = Value(c, r);

    QSignalSpy spy(maps, &MapGridWidget::valuesChanged);
    grid().incCells(nullptr);
    ASSERT_EQ(spy.count(), 1);
    const auto changes = spy.at(0).at(0).value<TCellChanges>();
    ASSERT_EQ(changes.size(), 8u);
    EXPECT_EQ(changes[1].oldValue, 10);
    EXPECT_EQ(changes[2].oldValue, 11);
    EXPECT_EQ(Value(2, 1), 12);

    std::vector<TCellValue> undo;
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) undo.push_back({it->col, it->row, it->oldValue});
    grid().setCellValues(undo);
    EXPECT_EQ(spy.count(), 2);
    for (int r = 0; r < 8; ++r)
        for (int c = 1; c < 9; ++c) EXPECT_EQ(Value(c, r), before[c][r]) << c << "," << r;
    EXPECT_EQ(grid().Cells(3, 1), grid().Cells(2, 1));
}

TEST_F(HostedGrid, TheMouseSignalsEachChangeOfTheSelectionOnce)
{
    Select(-1, -1, -1, -1);
    QSignalSpy spy(maps, &MapGridWidget::selectionChanged);
    struct Step {
        const char* name;
        std::function<void()> act;
        int total;  // signals so far
    };
    const Step steps[] = {
        {"press a body cell", [&] { Press(2, 1); }, 1},
        {"move within it", [&] { MoveTo(2, 1); }, 1},
        {"drag to (4, 3)", [&] { MoveTo(4, 3); }, 2},
        {"release", [&] { Release(4, 3); }, 2},
        {"move without a button", [&] { MoveTo(6, 6); }, 2},
        {"press the same cell twice", [&] { Press(5, 5); Release(5, 5); Press(5, 5); Release(5, 5); }, 3},
        {"right button", [&] {
             QTest::mouseClick(surface(), Qt::RightButton, {}, CentreOf(6, 6));
             grid().PopupMenu()->Menu()->close();
         }, 3},
        {"a pressure-axis row", [&] { Press(0, 4); Release(0, 4); }, 4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(spy.count(), s.total);
    }
    EXPECT_EQ(grid().selectStartRow, 4);
    EXPECT_EQ(grid().selectEndCol, 8);
}

TEST_F(HostedGrid, PropertiesReachTheTraceWithOneSignalPerChange)
{
    QSignalSpy spy(maps, &MapGridWidget::traceChanged);
    struct Step {
        const char* name;
        std::function<void()> act;
        int total;
    };
    const Step steps[] = {
        {"xVal", [&] { maps->setProperty("xVal", 40); }, 1},
        {"xVal again", [&] { maps->setProperty("xVal", 40); }, 1},
        {"operating point", [&] { maps->setOperatingPoint(20, 60); }, 2},
        {"the same point", [&] { maps->setOperatingPoint(20, 60); }, 2},
        {"mapTrace on", [&] { maps->setProperty("mapTrace", true); }, 3},
        {"mapTrace on again", [&] { maps->setMapTrace(true); }, 3},
        {"maxX", [&] { maps->setProperty("maxX", 60); }, 4},
        {"maxX again", [&] { maps->setMaxX(60); }, 4},
        {"maxY beyond 8 bits", [&] { maps->setProperty("maxY", 1000); }, 4},  // already 255
        {"yVal below 0", [&] { maps->setProperty("yVal", -3); }, 5},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(spy.count(), s.total);
    }
    EXPECT_EQ(maps->property("xVal").toInt(), 20);
    EXPECT_EQ(maps->property("yVal").toInt(), 0);
    EXPECT_EQ(maps->property("maxX").toInt(), 60);
    EXPECT_EQ(maps->property("maxY").toInt(), 255);
    EXPECT_TRUE(maps->property("mapTrace").toBool());
    EXPECT_EQ(grid().xVal, 20);
    EXPECT_EQ(grid().maxX, 60);
    EXPECT_TRUE(grid().mapTrace);
}

TEST_F(HostedGrid, AnewLimitTracesThePointAgain)
{
    maps->setOperatingPoint(55, 52);  // beyond the last speed column's 50
    const int proximityBefore = grid().proxX;
    maps->setMaxX(60);
    EXPECT_NE(grid().proxX, proximityBefore);
    EXPECT_EQ(grid().traceX, 8);
}

TEST_F(HostedGrid, FocusAndKeysGoToTheGrid)
{
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    std::string typed;
    grid().OnKeyPress = [&](TObject*, char& key) { typed += key; };

    side->setFocus();
    QTest::mouseClick(surface(), Qt::LeftButton, {}, CentreOf(2, 2));
    EXPECT_TRUE(maps->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), surface());

    side->setFocus();
    maps->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), surface());
    QTest::keyClicks(QApplication::focusWidget(), "=+a");
    EXPECT_EQ(typed, "=+a");
}

TEST_F(HostedGrid, AnotherShapeIsFittedAtOnce)
{
    maps->setShape(17, 5);
    EXPECT_EQ(grid().ColCount(), 17);
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(grid().DefaultColWidth(), maps->width() / 17 - 1);
    EXPECT_EQ(grid().DefaultRowHeight(), maps->height() / 5 - 1);
    maps->setShape(0, 100000);
    EXPECT_EQ(grid().ColCount(), 1);
    EXPECT_EQ(grid().RowCount(), 1024);
}

// Whichever goes first, the other is left sound; ASan checks that nothing is touched after
// it has gone.
TEST(MapGridWidgetLifetime, TheQtParentOrTheComponentOwnerMayGoFirst)
{
    enum class First { QtParent, ComponentOwner, GridItself };
    for (const First first : {First::QtParent, First::ComponentOwner, First::GridItself}) {
        SCOPED_TRACE(static_cast<int>(first));
        auto* parent = new QWidget;
        auto* owner = new TComponent(nullptr);
        auto* maps = new MapGridWidget(parent, owner);
        BindDemoMaps(*maps->grid());
        auto* elsewhere = new TMapData(owner);  // a map the grid shows but does not own
        elsewhere->setRows(1);
        elsewhere->setCols(1);
        maps->grid()->assignData(elsewhere, 8, 7);
        ASSERT_EQ(owner->ComponentCount(), 2);
        parent->resize(300, 200);
        parent->show();
        QApplication::setActiveWindow(parent);
        ASSERT_TRUE(QTest::qWaitForWindowActive(parent));
        maps->setFocus();  // the grid's own Qt widget has the focus when it goes
        ASSERT_EQ(QApplication::focusWidget(), maps->grid()->Widget());
        QSignalSpy values(maps, &MapGridWidget::valuesChanged);

        switch (first) {
        case First::QtParent:
            delete parent;
            EXPECT_EQ(owner->ComponentCount(), 1);  // the grid left its owner's list
            delete owner;
            break;
        case First::ComponentOwner:
        case First::GridItself:
            if (first == First::ComponentOwner) delete owner;
            else delete maps->grid();
            EXPECT_EQ(maps->grid(), nullptr);
            EXPECT_EQ(maps->focusProxy(), nullptr);
            // The focus moved on to a widget that lives (ASan would see a read of a gone one).
            if (QWidget* focused = QApplication::focusWidget()) (void)focused->objectName();
            maps->setFocus();
            maps->resize(200, 100);
            maps->setOperatingPoint(10, 10);
            maps->setShape(4, 4);
            EXPECT_EQ(maps->property("xVal").toInt(), 0);
            maps->grab();
            QCoreApplication::processEvents();
            EXPECT_EQ(values.count(), 0);
            delete parent;
            if (first == First::GridItself) delete owner;
            break;
        }
    }
}

TEST(MapGridWidgetLifetime, AWidgetWithoutParentOrOwnerTakesItsGridAndMapsWithIt)
{
    auto maps = std::make_unique<MapGridWidget>(nullptr);  // a null parent, as Qt code writes it
    BindDemoMaps(*maps->grid());
    maps->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(maps.get()));
    maps->grid()->selectStartCol = maps->grid()->selectStartRow = 1;
    maps->grid()->selectEndCol = maps->grid()->selectEndRow = 2;
    maps->grid()->incCells5(nullptr);
    maps.reset();
}

} // namespace

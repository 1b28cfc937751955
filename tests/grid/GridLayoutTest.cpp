// Construction, binding, size fitting and message routing of the map grid.
#include <QMenu>

#include "GridFixture.h"
#include "platform/Menus.h"
#include "platform/Exception.h"
#include "platform/Properties.h"
#include "platform/Registry.h"

namespace {

TEST(MapGridConstruction, NewControlHoldsItsOwnInitialStateNotTheDeclaredDefaults)
{
    TComponent owner(nullptr);
    auto* grid = new TMapGrid(&owner);
    EXPECT_EQ(grid->Owner(), &owner);
    EXPECT_EQ(grid->selectStartRow, 0);
    EXPECT_EQ(grid->selectStartCol, 0);
    EXPECT_EQ(grid->selectEndRow, 0);
    EXPECT_EQ(grid->selectEndCol, 0);
    EXPECT_FALSE(grid->mapTrace);
    EXPECT_EQ(grid->maxX, 0);
    EXPECT_EQ(grid->maxY, 0);
    EXPECT_EQ(grid->traceX, 0);
    EXPECT_EQ(grid->traceY, 0);
    EXPECT_EQ(grid->proxX, 0);
    EXPECT_EQ(grid->proxY, 0);
    EXPECT_TRUE(grid->OnDrawCell && grid->OnMouseDown && grid->OnMouseUp && grid->OnMouseMove && grid->OnDblClick);
}

TEST(MapGridConstruction, PopupMenuHoldsTheTenItems)
{
    TComponent owner(nullptr);
    auto* grid = new TMapGrid(&owner);
    TPopupMenu* popup = grid->PopupMenu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Name(), "gridPopup");
    EXPECT_EQ(popup->Owner(), grid);
    EXPECT_TRUE(popup->AutoPopup);
    EXPECT_EQ(popup->Alignment, paLeft);

    struct Row {
        const char* caption;
        const char* name;
        bool enabled;
        bool hasHandler;
    };
    const Row expected[] = {
        {"Increment", "inc", true, true},       {"Increment 1%", "inc1", true, true},
        {"Increment 5%", "inc5", true, true},   {"Decrement", "dec", true, true},
        {"Decrement 1%", "dec1", true, true},   {"Decrement 5%", "dec5", true, true},
        {"-", "separator1", true, false},       {"Set Value", "setval", false, true},
        {"Multiply", "mult", false, true},      {"Interpolate", "int", false, true},
    };
    ASSERT_EQ(popup->Items()->Count(), 10);
    for (int i = 0; i < 10; ++i) {
        const TMenuItem* item = popup->Items()->Items(i);
        SCOPED_TRACE(expected[i].caption);
        EXPECT_EQ(item->Caption(), expected[i].caption);
        EXPECT_EQ(item->Name(), expected[i].name);
        EXPECT_EQ(item->Enabled(), expected[i].enabled);
        EXPECT_EQ(static_cast<bool>(item->OnClick), expected[i].hasHandler);
        EXPECT_FALSE(item->Checked());
        EXPECT_EQ(item->ShortCut(), 0);
        EXPECT_EQ(item->HelpContext, 0);
    }
    // Found by caption, ignoring case and the accelerator mark, not by name.
    EXPECT_EQ(popup->Items()->Find("&interpolate"), popup->Items()->Items(9));
}

TEST(MapGridConstruction, PublishedPropertiesInOrderAndWriterOutputOfANewControl)
{
    TComponent owner(nullptr);
    auto* grid = new TMapGrid(&owner);
    std::vector<std::string> own;
    for (const TPropInfo& p : TMapGrid::StaticClassInfo().OwnProperties()) own.push_back(p.Name);
    EXPECT_EQ(own, (std::vector<std::string>{"selectStartRow", "selectStartCol", "selectEndRow", "selectEndCol",
                                             "mapTrace", "xVal", "yVal", "maxX", "maxY", "traceX", "traceY", "proxX",
                                             "proxY"}));

    // Values equal to their declared default are left out; 8-bit character-typed values are
    // written as one character.
    std::vector<std::string> written;
    for (const auto& [name, value] : StoredProperties(*grid))
        if (TMapGrid::StaticClassInfo().FindProperty(name) &&
            std::find(own.begin(), own.end(), name) != own.end())
            written.push_back(name + " = " + FormatPropValue(value));
    EXPECT_EQ(written, (std::vector<std::string>{"selectStartRow = 0", "selectStartCol = 0", "selectEndRow = 0",
                                                 "selectEndCol = 0", "mapTrace = False", "maxX = #0", "maxY = #0",
                                                 "traceX = 0", "traceY = 0", "proxX = #0", "proxY = #0"}));

    grid->maxX = 70;
    grid->proxX = 100;
    EXPECT_EQ(FormatPropValue(GetPropertyValue(*grid, "maxX")), "'F'");
    EXPECT_EQ(FormatPropValue(GetPropertyValue(*grid, "proxX")), "'d'");
}

TEST(MapGridConstruction, PropertyWritesGoThroughSettersOnlyWhereDeclared)
{
    TComponent owner(nullptr);
    auto* grid = new TMapGrid(&owner);
    SetPropertyValue(*grid, "maxX", TPropValue::Str("F"));
    SetPropertyValue(*grid, "traceX", TPropValue::Int(7));
    EXPECT_EQ(grid->maxX, 70);
    EXPECT_EQ(grid->traceX, 7);
    // xVal's writer is setX, which recomputes the trace.
    SetPropertyValue(*grid, "xVal", TPropValue::Str("\x05"));
    EXPECT_EQ(grid->xVal, 5);
    EXPECT_NE(grid->traceX, 7);
    EXPECT_THROW(SetPropertyValue(*grid, "selectStartRow", TPropValue::Int(40000)), Exception);
}

TEST(MapGridRegistration, RegisterPutsTheGridOnTheKestrionPage)
{
    Mapgrid::Register();
    const auto& pages = PalettePages();
    auto page = std::find_if(pages.begin(), pages.end(), [](const TPalettePage& p) { return p.Name == "Kestrion"; });
    ASSERT_NE(page, pages.end());
    EXPECT_NE(std::find(page->Classes.begin(), page->Classes.end(), &TMapGrid::StaticClassInfo()), page->Classes.end());
    EXPECT_TRUE(FindClassFactory("TMapGrid"));
}

TEST_F(DemoGrid, BindingFillsTheAxesAndBodyAndLeavesTheCornerEmpty)
{
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(grid->Objects(i + 1, 8), rpm->getCells(i, 0));
        EXPECT_EQ(grid->Objects(0, i), kpa->getCells(0, i));
        for (int c = 0; c < 8; ++c) EXPECT_EQ(grid->Objects(c + 1, i), body->getCells(c, i));
    }
    EXPECT_EQ(grid->Cells(1, 8), "800");
    EXPECT_EQ(grid->Cells(8, 8), "5000");
    EXPECT_EQ(grid->Cells(0, 0), "150");
    EXPECT_EQ(grid->Cells(0, 7), "30");
    EXPECT_EQ(grid->Cells(1, 0), "8.75");
    EXPECT_EQ(grid->Cells(8, 0), "0.00");
    EXPECT_EQ(grid->Objects(0, 8), nullptr);
    EXPECT_EQ(grid->Cells(0, 8), "");
}

TEST_F(DemoGrid, BindingSkipsCellsBeyondTheGridAndReplacesOverlaps)
{
    TMapData other(nullptr);
    other.setRows(8);
    other.setCols(8);
    other.getCells(6, 0)->setCellValue(12);
    grid->assignData(&other, 2, 0);
    EXPECT_EQ(grid->Objects(8, 0), other.getCells(6, 0));
    EXPECT_EQ(grid->Cells(8, 0), "12");
    EXPECT_EQ(grid->Objects(1, 0), body->getCells(0, 0));  // not covered, unchanged
    EXPECT_EQ(grid->Objects(0, 8), nullptr);
    grid->assignData(body, 1, 0);  // rebind before `other` goes

    // Offsets near the top of the unsigned range must not wrap back onto the grid.
    grid->assignData(&other, 0xFFFFFFFFu, 0);
    grid->assignData(&other, 0, 0xFFFFFFF9u);
    EXPECT_EQ(grid->Objects(0, 0), kpa->getCells(0, 0));
}

TEST_F(DemoGrid, BindingAPositionWithoutACellLeavesNoObjectAndNoText)
{
    TMapData holey(nullptr);
    holey.setRows(1);
    holey.setCols(2);
    TMapCell* taken = holey.getCells(1, 0);
    holey.setCells(1, 0, nullptr);
    grid->assignData(&holey, 3, 3);
    EXPECT_EQ(grid->Objects(4, 3), nullptr);
    EXPECT_EQ(grid->Cells(4, 3), "");
    EXPECT_EQ(grid->Objects(3, 3), holey.getCells(0, 0));
    grid->assignData(body, 1, 0);
    delete taken;
}

// The largest size reached stepwise from `start` at which seven average characters fit a
// column and one line a row, as measured independently of the grid.
int ExpectedFontSize(int start, int colWidth, int rowHeight)
{
    auto fits = [&](int size) {
        TFont f;
        f.SetName("Tahoma");
        f.SetSize(size);
        const TTextMetric m = f.Metrics();
        return 7 * m.AveCharWidth <= colWidth && m.Height <= rowHeight;
    };
    int size = start;
    if (fits(size)) {
        while (fits(size + 1)) ++size;
        return size;
    }
    while (size > 1 && !fits(size)) --size;
    return size;
}

TEST_F(DemoGrid, SizeMessageSetsCellSizesAndFitsTheFont)
{
    EXPECT_EQ(grid->DefaultColWidth(), 43);
    EXPECT_EQ(grid->DefaultRowHeight(), 19);
    EXPECT_EQ(grid->Font()->Size(), ExpectedFontSize(10, 43, 19));
    const TTextMetric m = grid->Font()->Metrics();
    EXPECT_LE(7 * m.AveCharWidth, 43);
    EXPECT_LE(m.Height, 19);

    struct Case {
        int width, height;
    };
    for (Case c : {Case{900, 400}, Case{200, 100}, Case{403, 187}, Case{1800, 1000}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const int before = grid->Font()->Size();
        grid->SetBounds(0, 0, c.width, c.height);
        EXPECT_EQ(grid->DefaultColWidth(), c.width / 9 - 1);
        EXPECT_EQ(grid->DefaultRowHeight(), c.height / 9 - 1);
        EXPECT_EQ(grid->Font()->Size(), ExpectedFontSize(before, c.width / 9 - 1, c.height / 9 - 1));
    }
}

TEST_F(DemoGrid, TinyControlEndsAtOnePointWithoutDividingByZero)
{
    for (int w : {8, 5, 0}) {
        grid->SetBounds(0, 0, w, w);
        EXPECT_LE(grid->DefaultColWidth(), 0);
        EXPECT_EQ(grid->Font()->Size(), 1);
        int col = 0, row = 0;
        grid->MouseToCell(0, 0, col, row);
        grid->Repaint();
    }
}

TEST_F(DemoGrid, ResizeByTheWindowSystemReachesTheSizeHandler)
{
    QWidget* w = Shown();
    w->resize(630, 280);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->Width(), 630);
    EXPECT_EQ(grid->DefaultColWidth(), 630 / 9 - 1);
    EXPECT_EQ(grid->DefaultRowHeight(), 280 / 9 - 1);
}

TEST_F(DemoGrid, PointerMovesNeverRaiseOnMouseMove)
{
    int raised = 0;
    grid->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++raised; };
    QWidget* w = Shown();
    for (int i = 0; i < 5; ++i) QTest::mouseMove(w, CentreOf(i + 1, i));
    QTest::mousePress(w, Qt::LeftButton, {}, CentreOf(2, 2));
    QTest::mouseMove(w, CentreOf(4, 4));
    QTest::mouseRelease(w, Qt::LeftButton, {}, CentreOf(4, 4));
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(grid->selectEndCol, 4);  // the moves did reach the grid's own handler
}

TEST_F(DemoGrid, RightClickBeforeAnyPressOpensTheMenuWithThreeItemsGreyed)
{
    QWidget* w = Shown();
    QTest::mouseClick(w, Qt::RightButton, {}, CentreOf(3, 3));
    QMenu* menu = grid->PopupMenu()->Menu();
    EXPECT_TRUE(menu->isVisible());
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 10);
    EXPECT_TRUE(actions[6]->isSeparator());
    for (int i : {7, 8, 9}) EXPECT_FALSE(actions[i]->isEnabled()) << i;
    for (int i : {0, 1, 2, 3, 4, 5}) EXPECT_TRUE(actions[i]->isEnabled()) << i;
    menu->close();
}

} // namespace

namespace {

TEST_F(DemoGrid, CellsDestroyedByTheirMapLeaveTheGrid)
{
    // Shrinking the body's allocation destroys the cells of rows 4 to 7 and of columns 4 to 7;
    // the grid must not be left holding them.
    body->ReAlloc(4, 4);
    for (int row = 0; row < 8; ++row)
        for (int col = 1; col < 9; ++col) {
            const bool kept = row < 4 && col < 5;
            EXPECT_EQ(grid->Objects(col, row) != nullptr, kept) << col << "," << row;
        }
    grid->selectStartCol = grid->selectStartRow = 0;
    grid->selectEndCol = grid->selectEndRow = 8;
    grid->doMath('+', 1.0f);
    grid->intCells(nullptr);
    grid->setMapTrace(true);
    grid->Repaint();

    // A grid that shrinks lets go of the cells it no longer shows, and a later destruction of
    // one of them reaches no grid.
    grid->SetRowCount(2);
    rpm->ReAlloc(0, 0);
    kpa->ReAlloc(0, 0);
    EXPECT_EQ(grid->Objects(0, 0), nullptr);
}

} // namespace

// Handlers of a host program that reshape, throw or delete their own control while the
// window system delivers an event: real input and real paints on Qt's offscreen platform,
// with the event loop turning between them as in a running program.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/DrawingContext.h"
#include "platform/Exception.h"
#include "platform/Form.h"
#include "platform/FormReader.h"
#include "platform/Menus.h"
#include "platform/SpinEdit.h"
#include "platform/StdCtrls.h"
#include "platform/StringGrid.h"

namespace {

// What the program's event loop does between two inputs: it delivers what the window system
// queued (paints among them) and deletes what was released meanwhile.
void TurnEventLoop()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Collects the event exceptions reported while it lives.
class ReportedExceptions {
public:
    ReportedExceptions()
    {
        SetEventExceptionHandler([this](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                messages.push_back(e.what());
            }
        });
    }
    ~ReportedExceptions() { SetEventExceptionHandler({}); }
    ReportedExceptions(const ReportedExceptions&) = delete;
    ReportedExceptions& operator=(const ReportedExceptions&) = delete;

    std::vector<std::string> messages;
};

// Tells whether an object has been destroyed.
class FreeProbe : private TFreeListener {
public:
    explicit FreeProbe(TObject* object) : object_(object) { WatchFree(object, this); }
    ~FreeProbe()
    {
        if (!freed_) UnwatchFree(object_, this);
    }
    FreeProbe(const FreeProbe&) = delete;
    FreeProbe& operator=(const FreeProbe&) = delete;
    bool Freed() const { return freed_; }

private:
    void ObjectFreed(TObject*) override { freed_ = true; }
    TObject* object_;
    bool freed_ = false;
};

// A 5 x 5 string grid of 64 x 24 cells in a window of its own, exposed.
TStringGrid* ShownGrid(TComponent* owner)
{
    auto* grid = new TStringGrid(owner);
    grid->SetBounds(0, 0, 325, 125);
    grid->Widget()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(grid->Widget()));
    TurnEventLoop();
    return grid;
}

using Cell = std::pair<int, int>;

// The cells of the grid's current shape that show in its client area.
std::set<Cell> VisibleCells(const TStringGrid& grid)
{
    std::set<Cell> cells;
    const TRect client{0, 0, grid.Width(), grid.Height()};
    for (int r = 0; r < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c)
            if (grid.CellRect(c, r).Intersects(client)) cells.insert({c, r});
    return cells;
}

TEST(HostHandlers, ReshapingTheGridWhileItPaintsEndsThatPaintAndTheNextShowsTheNewShape)
{
    struct Row {
        const char* what;
        std::function<void(TStringGrid&)> reshape;
    };
    const Row rows[] = {
        {"fewer columns", [](TStringGrid& g) { g.SetColCount(2); }},
        {"fewer rows", [](TStringGrid& g) { g.SetRowCount(2); }},
        {"a single cell", [](TStringGrid& g) { g.SetColCount(1); g.SetRowCount(1); }},
        {"more columns and rows", [](TStringGrid& g) { g.SetColCount(9); g.SetRowCount(7); }},
        {"narrower and taller cells", [](TStringGrid& g) { g.SetDefaultColWidth(20); g.SetDefaultRowHeight(40); }},
    };
    for (const Row& row : rows) {
        TComponent owner(nullptr);
        TStringGrid* grid = ShownGrid(&owner);
        for (int c = 0; c < 5; ++c) grid->SetCells(c, 4, "text of a cell that may go");
        TurnEventLoop();

        bool reshaped = false;
        std::vector<Cell> afterwards;  // cells drawn once the shape changed
        grid->OnDrawCell = [&](TObject*, int col, int r, TRect&, TGridDrawState) {
            if (reshaped) {
                afterwards.push_back({col, r});
            } else if (col == 2 && r == 2) {
                row.reshape(*grid);
                reshaped = true;
            }
        };
        grid->Invalidate();  // the window system asks for a paint
        QCoreApplication::processEvents();
        ASSERT_TRUE(reshaped) << row.what;
        for (const Cell& cell : afterwards)
            EXPECT_TRUE(cell.first < grid->ColCount() && cell.second < grid->RowCount())
                << row.what << ": cell " << cell.first << "," << cell.second << " drawn outside the new shape";

        afterwards.clear();
        TurnEventLoop();
        const std::set<Cell> drawn(afterwards.begin(), afterwards.end());
        EXPECT_EQ(drawn, VisibleCells(*grid)) << row.what << ": the next paint does not show the new shape";
    }
}

TEST(HostHandlers, AnExceptionFromAPaintIsReportedAndLaterPaintsWork)
{
    ReportedExceptions reported;
    TComponent owner(nullptr);
    TStringGrid* grid = ShownGrid(&owner);
    const auto colourOf = [](int col, int row) { return RGB(40 * col, 40 * row, 200); };
    bool failing = true;
    // Each cell in a colour of its own, drawn through a context as hosts draw; the failing
    // cell throws while it holds its context.
    grid->OnDrawCell = [&](TObject*, int col, int row, TRect& rect, TGridDrawState) {
        HDC dc = GetDC(grid->Handle());
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCBrushColor(dc, static_cast<COLORREF>(colourOf(col, row)));
        Rectangle(dc, rect.Left, rect.Top, rect.Right, rect.Bottom);
        if (failing && col == 1 && row == 1) throw Exception("cell 1,1 cannot be drawn");
        ReleaseDC(grid->Handle(), dc);
    };

    grid->Invalidate();  // the window system asks for a paint
    EXPECT_NO_THROW(QCoreApplication::processEvents());
    EXPECT_EQ(reported.messages, std::vector<std::string>{"cell 1,1 cannot be drawn"});

    failing = false;
    grid->Invalidate();
    EXPECT_NO_THROW(TurnEventLoop());
    EXPECT_EQ(reported.messages.size(), 1u);
    // What the window shows: every cell in its colour.
    const QImage shown = grid->Widget()->grab().toImage();
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) {
            const TRect r = grid->CellRect(col, row);
            const QColor c = shown.pixelColor((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            EXPECT_EQ(RGB(c.red(), c.green(), c.blue()), colourOf(col, row)) << "cell " << col << "," << row;
        }
}

// A handler that asks for a repaint while the grid paints (as a host drawing a cell may, to
// show something at once) gets it at the next paint, instead of a paint inside the paint
// that would ask again without end.
TEST(HostHandlers, ARepaintAskedForWhileTheGridPaintsIsTheNextPaint)
{
    TComponent owner(nullptr);
    TStringGrid* grid = ShownGrid(&owner);
    int drawn = 0;
    int repaintsAsked = 0;
    grid->OnDrawCell = [&](TObject*, int, int, TRect&, TGridDrawState) {
        ++drawn;
        if (repaintsAsked < 2) {
            ++repaintsAsked;
            grid->Repaint();
        }
    };
    grid->Repaint();
    EXPECT_EQ(drawn, 25);  // one paint of the 5 x 5 cells
    (void)grid->Surface();
    EXPECT_EQ(drawn, 50);  // and the one asked for, when the surface is next wanted
    TurnEventLoop();
}

// A control deleted by one of its own handlers, raised by real input: nothing may touch it
// afterwards, neither the layer nor Qt, and the event loop goes on.
TEST(HostHandlers, AHandlerMayDeleteItsOwnControl)
{
    RegisterFormResource("THostPanel", "object panel: THostPanel\n  ClientWidth = 200\n  ClientHeight = 100\nend\n");
    struct Row {
        const char* what;
        // Makes the control, shown, and sets `handler` to be raised by the input.
        std::function<TWinControl*(TComponent* owner, std::function<void()> handler)> make;
        std::function<void(TWinControl*)> input;
    };
    const auto grid = [](TComponent* owner) { return ShownGrid(owner); };
    const auto spin = [](TComponent* owner, std::function<void()> handler) {
        auto* edit = new TCSpinEdit(owner);
        edit->SetBounds(0, 0, 80, 24);
        edit->Widget()->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(edit->Widget()));
        edit->OnChange = [handler](TObject*) { handler(); };
        return edit;
    };
    const Row rows[] = {
        {"left press, OnMouseDown",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->OnMouseDown = [handler](TObject*, TMouseButton, TShiftState, int, int) { handler(); };
             return g;
         },
         [](TWinControl* c) { QTest::mousePress(c->Widget(), Qt::LeftButton, {}, QPoint(10, 10)); }},
        {"paint the window system asks for, OnDrawCell",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->OnDrawCell = [handler](TObject*, int, int, TRect&, TGridDrawState) { handler(); };
             return g;
         },
         [](TWinControl* c) {
             c->Invalidate();
             QCoreApplication::processEvents();
         }},
        {"right release with a pop-up menu, OnMouseUp",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->SetPopupMenu(NewPopupMenu(owner, "hostMenu", paLeft, true, {NewItem("Close", 0, false, true, {}, 0, "close")}));
             g->OnMouseUp = [handler](TObject*, TMouseButton, TShiftState, int, int) { handler(); };
             return g;
         },
         [](TWinControl* c) { QTest::mouseClick(c->Widget(), Qt::RightButton, {}, QPoint(10, 10)); }},
        {"double-click, OnDblClick",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->OnDblClick = [handler](TObject*) { handler(); };
             return g;
         },
         [](TWinControl* c) { QTest::mouseDClick(c->Widget(), Qt::LeftButton, {}, QPoint(10, 10)); }},
        {"key, OnKeyDown",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->OnKeyDown = [handler](TObject*, WORD&, TShiftState) { handler(); };
             return g;
         },
         [](TWinControl* c) { QTest::keyClick(c->Widget(), Qt::Key_A); }},
        {"character, OnKeyPress",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->OnKeyPress = [handler](TObject*, char&) { handler(); };
             return g;
         },
         [](TWinControl* c) { QTest::keyClicks(c->Widget(), "=x"); }},
        {"typed text, spin editor's OnChange", spin,
         [](TWinControl* c) { QTest::keyClicks(c->Widget(), "57"); }},
        {"up arrow key, spin editor's OnChange", spin,
         [](TWinControl* c) { QTest::keyClick(c->Widget(), Qt::Key_Up); }},
        {"up button, spin editor's OnChange", spin,
         [](TWinControl* c) {
             QTest::mouseClick(static_cast<TCSpinEdit*>(c)->UpButton(), Qt::LeftButton, {}, QPoint(4, 4));
         }},
        {"click, check box's OnClick",
         [](TComponent* owner, std::function<void()> handler) {
             auto* box = new TCheckBox(owner);
             box->SetBounds(0, 0, 97, 17);
             box->SetCaption("Trace");
             box->Widget()->show();
             EXPECT_TRUE(QTest::qWaitForWindowExposed(box->Widget()));
             box->OnClick = [handler](TObject*) { handler(); };
             return box;
         },
         [](TWinControl* c) { QTest::mouseClick(c->Widget(), Qt::LeftButton, {}, QPoint(6, 8)); }},
        {"item of the control's own pop-up menu, chosen with the mouse",
         [&](TComponent* owner, std::function<void()> handler) {
             TStringGrid* g = grid(owner);
             g->SetPopupMenu(NewPopupMenu(g, "ownMenu", paLeft, true,
                                          {NewItem("Close", 0, false, true, [handler](TObject*) { handler(); }, 0, "close"),
                                           NewItem("Keep", 0, false, true, {}, 0, "keep")}));
             return g;
         },
         [](TWinControl* c) {
             QTest::mouseClick(c->Widget(), Qt::RightButton, {}, QPoint(10, 10));
             QMenu* menu = c->PopupMenu()->Menu();
             ASSERT_TRUE(menu->isVisible());
             const QPoint at = menu->actionGeometry(c->PopupMenu()->Items()->Find("Close")->Action()).center();
             QTest::mouseClick(menu, Qt::LeftButton, {}, at);
         }},
        {"closed window, form's OnClose",
         [](TComponent* owner, std::function<void()> handler) {
             auto* form = new TForm(owner, "THostPanel", {});
             form->Show();
             EXPECT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
             form->OnClose = [handler](TObject*) { handler(); };
             return form;
         },
         [](TWinControl* c) { c->Widget()->close(); }},
    };
    for (const Row& row : rows) {
        ReportedExceptions reported;
        TComponent owner(nullptr);
        TWinControl* control = nullptr;
        int raised = 0;
        control = row.make(&owner, [&] {
            if (raised++ == 0) delete control;
        });
        FreeProbe probe(control);
        row.input(control);
        TurnEventLoop();
        EXPECT_TRUE(probe.Freed()) << row.what;
        EXPECT_EQ(raised, 1) << row.what;
        EXPECT_TRUE(reported.messages.empty()) << row.what << ": " << reported.messages.front();
    }
}

// The class library's way for a handler to free its control: Release, which frees it once
// the event is over, however the handler goes on using it.
TEST(HostHandlers, ReleaseFreesTheControlOnceTheEventLoopHasItBack)
{
    TComponent owner(nullptr);
    TStringGrid* grid = ShownGrid(&owner);
    FreeProbe probe(grid);
    bool usable = false;
    grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        grid->Release();
        grid->SetCells(1, 1, "closing");
        grid->Repaint();
        usable = !probe.Freed() && grid->Cells(1, 1) == "closing";
    };
    QTest::mouseClick(grid->Widget(), Qt::LeftButton, {}, QPoint(10, 10));
    TurnEventLoop();
    EXPECT_TRUE(usable);
    EXPECT_TRUE(probe.Freed());

    // Freed by its owner before the loop turns, or released twice: freed once.
    TStringGrid* early = ShownGrid(&owner);
    FreeProbe earlyProbe(early);
    early->Release();
    delete early;
    TurnEventLoop();
    EXPECT_TRUE(earlyProbe.Freed());
    TStringGrid* twice = ShownGrid(&owner);
    FreeProbe twiceProbe(twice);
    twice->Release();
    twice->Release();
    TurnEventLoop();
    EXPECT_TRUE(twiceProbe.Freed());
    EXPECT_EQ(owner.ComponentCount(), 0);
}

} // namespace

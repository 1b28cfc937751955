// A randomized driver: long, seeded sequences of everything a user, a host program or a bad
// caller can feed the real test form and its grid, with the invariants checked after every
// step. Like a host program, it also puts handlers of its own on the grid, which may reshape
// the grid while it paints, throw, or delete the grid and build a new one in its place. It
// prints its seed; MAPGRID_DRIVER_SEED replays a run, MAPGRID_DRIVER_STEPS and
// MAPGRID_DRIVER_SECONDS set its length (4000 steps or 60 seconds by default).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <random>
#include <sstream>

#include "FormFixture.h"
#include "platform/Exception.h"
#include "platform/Menus.h"
#include "platform/Properties.h"

namespace {

unsigned long long EnvNumber(const char* name, unsigned long long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

struct Selection {
    int c0, r0, c1, r1;
    friend bool operator==(const Selection&, const Selection&) = default;
};

// What the driver's own handlers throw; anything else reaching the report is a finding.
constexpr const char* kHandlerFailure = "driver: a handler failed";

class Driver {
public:
    Driver(TForm1* form, unsigned long long seed) : form_(form), c_(form->c), rng_(seed)
    {
        Adopt(c_);
        SetEventExceptionHandler([this](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                if (std::string(e.what()) == kHandlerFailure) ++reported_;
                else Expect(false, "an exception the driver did not throw was reported");
            }
        });
    }
    ~Driver() { SetEventExceptionHandler({}); }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // One random action; returns what it did, for the failure message.
    std::string Step()
    {
        std::ostringstream what;
        changedShape_ = false;
        try {
            Act(what);
        } catch (const Exception& e) {
            // A direct call whose paint ran a throwing handler: the exception reaches the caller.
            if (e.Message() != kHandlerFailure) throw;
            ++caught_;
            what << " (a handler threw through the call)";
        }
        Expect(thrown_ == reported_ + caught_, "a handler's exception was neither reported nor passed on");
        return what.str();
    }

private:
    void Act(std::ostringstream& what)
    {
        const Selection before = CurrentSelection();
        const auto values = BoundValues();
        bool selectionMayChange = false;
        bool valuesMayChange = false;

        switch (Pick(15)) {
        case 0:
        case 1:
        case 2:
            MouseAction(what);
            selectionMayChange = valuesMayChange = true;  // a right click may run a command
            break;
        case 3:
            PopupCommand(what);
            valuesMayChange = true;
            break;
        case 4:
            TypeKey(what);
            valuesMayChange = true;
            break;
        case 5:
            SpinText(what);
            break;
        case 6:
            QTest::mouseClick(form_->CheckBox1->Widget(), Qt::LeftButton, {}, QPoint(6, 8));
            what << "check box click";
            break;
        case 7:
            Resize(what);
            break;
        case 8:
            DirectMath(what);
            valuesMayChange = true;
            break;
        case 9:
            Reshape(what);
            selectionMayChange = valuesMayChange = true;
            break;
        case 10:
            Bind(what);
            selectionMayChange = valuesMayChange = true;
            break;
        case 11:
            WriteFields(what);
            selectionMayChange = true;
            break;
        case 12:
            c_->setX(static_cast<unsigned char>(Pick(256)));
            c_->setY(static_cast<unsigned char>(Pick(256)));
            what << "setX/setY";
            break;
        case 13:
            c_->intCells(nullptr);
            what << "intCells";
            valuesMayChange = true;
            break;
        default:
            ChooseHandlers(what);
            break;
        }
        // A grid reshaped or replaced by a handler has other cells: there is nothing to compare.
        if (changedShape_) return;
        if (!selectionMayChange) Expect(CurrentSelection() == before, "the selection changed");
        if (!valuesMayChange) Expect(BoundValues() == values, "a value changed");
        else if (CurrentSelection() == before) ExpectOnlySelectedChanged(values, before);
    }

public:

    // Every map value within its bounds, every bound text its cell's, the window answering.
    void Check()
    {
        try {
            CheckState();
        } catch (const Exception& e) {
            if (e.Message() != kHandlerFailure) throw;
            ++caught_;
        }
        // The event loop turns: what the window system queued is delivered, what was released
        // is deleted.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    const std::string& Failure() const { return failure_; }

private:
    void CheckState()
    {
        for (TMapData* map : {form_->mapRPM, form_->mapKPA, form_->mapCells})
            for (unsigned r = 0; r < map->getAllocRows(); ++r)
                for (unsigned col = 0; col < map->getAllocCols(); ++col)
                    if (const TMapCell* cell = map->getCells(col, r))
                        Expect(cell->cellValue >= cell->minValue && cell->cellValue <= cell->maxValue,
                               "a value left its bounds");
        for (int row = 0; row < c_->RowCount(); ++row)
            for (int col = 0; col < c_->ColCount(); ++col)
                if (const auto* cell = dynamic_cast<const TMapCell*>(c_->Objects(col, row)))
                    Expect(c_->Cells(col, row) == cell->AsString(), "a bound text is stale");
        const QImage& surface = c_->Surface();
        // A control with no area has no surface at all.
        const bool empty = c_->Width() == 0 || c_->Height() == 0;
        Expect(empty || (surface.width() == c_->Width() && surface.height() == c_->Height()),
               "the surface lost its size");
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    void Expect(bool ok, const char* what)
    {
        if (!ok && failure_.empty()) failure_ = what;
    }

    Selection CurrentSelection() const { return {c_->selectStartCol, c_->selectStartRow, c_->selectEndCol, c_->selectEndRow}; }

    std::vector<std::pair<const TMapCell*, int>> BoundValues() const
    {
        std::vector<std::pair<const TMapCell*, int>> values;
        for (int row = 0; row < c_->RowCount(); ++row)
            for (int col = 0; col < c_->ColCount(); ++col) {
                const auto* cell = dynamic_cast<const TMapCell*>(c_->Objects(col, row));
                values.emplace_back(cell, cell ? cell->cellValue : 0);
            }
        return values;
    }

    // A command changes only the cells of the selection (a cell bound twice may show the
    // change in both places).
    void ExpectOnlySelectedChanged(const std::vector<std::pair<const TMapCell*, int>>& before, Selection s)
    {
        const auto after = BoundValues();
        if (after.size() != before.size()) return;
        std::vector<const TMapCell*> selected;
        for (int row = std::max(0, s.r0); row <= s.r1 && row < c_->RowCount(); ++row)
            for (int col = std::max(0, s.c0); col <= s.c1 && col < c_->ColCount(); ++col)
                if (s.c0 >= 0 && s.r0 >= 0) selected.push_back(before[static_cast<size_t>(row * c_->ColCount() + col)].first);
        for (size_t i = 0; i < after.size(); ++i)
            if (after[i].second != before[i].second && after[i].first == before[i].first &&
                std::find(selected.begin(), selected.end(), after[i].first) == selected.end())
                Expect(false, "a cell outside the selection changed");
    }

    QPoint AnyPoint()
    {
        switch (Pick(4)) {
        case 0: return QPoint(Between(-40000, 40000), Between(-40000, 40000));
        case 1: return QPoint(Between(-20, c_->Width() + 20), Between(-20, c_->Height() + 20));
        default: {
            const TRect r = c_->CellRect(Pick(c_->ColCount()), Pick(c_->RowCount()));
            return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        }
        }
    }

    void MouseAction(std::ostringstream& what)
    {
        QWidget* w = c_->Widget();
        const Qt::MouseButton button = Pick(10) < 7 ? Qt::LeftButton : Pick(2) ? Qt::RightButton : Qt::MiddleButton;
        const QPoint p = AnyPoint();
        static const QEvent::Type kinds[] = {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseMove,
                                             QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick};
        const QEvent::Type kind = kinds[Pick(5)];
        const Qt::MouseButton which = kind == QEvent::MouseMove ? Qt::NoButton : button;
        const Qt::MouseButtons held = kind == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(kind, p, w->mapToGlobal(p), which, held, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
        what << "mouse " << int(kind) << " button " << int(button) << " at " << p.x() << "," << p.y();
        // From here on the grid may be another one: a handler may have replaced it.

        // A right release opens the menu: sometimes a user picks an item, always it closes.
        QMenu* menu = c_->PopupMenu()->Menu();
        if (menu->isVisible()) {
            const auto actions = menu->actions();
            if (Pick(2)) actions[Pick(static_cast<int>(actions.size()))]->trigger();
            menu->close();
        }
        if (kind == QEvent::MouseButtonPress && button == Qt::LeftButton && !changedShape_) CheckPressSelection(p);
    }

    // A left press on a body cell selects exactly that cell. The press reaches the grid with
    // the 16-bit coordinates of a window message.
    void CheckPressSelection(QPoint p)
    {
        int col = -1, row = -1;
        c_->MouseToCell(std::clamp(p.x(), -32768, 32767), std::clamp(p.y(), -32768, 32767), col, row);
        if (col > 0 && row >= 0 && row < c_->RowCount() - 1)
            Expect(CurrentSelection() == (Selection{col, row, col, row}), "a body press did not select its cell");
    }

    void PopupCommand(std::ostringstream& what)
    {
        TMenuItem* item = c_->PopupMenu()->Items()->Items(Pick(c_->PopupMenu()->Items()->Count()));
        what << "menu " << item->Caption();
        item->Action()->trigger();  // a disabled item does nothing, as for a user; the item may be gone after
    }

    void TypeKey(std::ostringstream& what)
    {
        static const char keys[] = "=-_+*/ax0 =-_+";
        const char key = Pick(3) ? keys[Pick(sizeof keys - 1)] : static_cast<char>(Between(32, 126));
        QTest::keyClick(c_->Widget(), key);
        if (!Pick(8)) QTest::keyClick(c_->Widget(), Qt::Key(Qt::Key_Left + Pick(4)));
        what << "key " << key;
    }

    void SpinText(std::ostringstream& what)
    {
        TCSpinEdit* edit = Pick(2) ? form_->rpmEdit : form_->kpaEdit;
        static const char* texts[] = {"",        "0",     "3000", "7000",          "7100",  "25600", "-100",
                                      "-1",      "512",   "511",  "2147483647",    "-2147483648",
                                      "9999999999999999999999", "abc", "12abc", " 42 ", "+5", "--3", "1e5"};
        std::string text = Pick(4) ? texts[Pick(sizeof texts / sizeof *texts)] : std::to_string(Between(-100000, 100000));
        if (!Pick(20)) text = std::string(static_cast<size_t>(Between(100, 3000)), '9');
        const std::string before = edit->Text();
        const unsigned long long thrownBefore = thrown_;
        if (Pick(5)) edit->SetText(text);
        else QTest::keyClick(edit->Widget(), Pick(2) ? Qt::Key_Up : Qt::Key_Down);
        what << "spin text '" << text.substr(0, 30) << "'";
        // A changed text runs its handler: the labels show the trace it just passed to the grid,
        // unless a handler of the grid's paint threw through it.
        const std::string cell = "Cell: " + std::to_string(c_->traceX) + "," + std::to_string(c_->traceY);
        if (edit->Text() != before && thrown_ == thrownBefore)
            Expect(form_->lblCell->Caption() == cell, "the trace label is stale");
        Expect(form_->rpmX <= 70, "the speed left the trace's range");
    }

    void Resize(std::ostringstream& what)
    {
        const int width = Pick(4) ? Between(0, 900) : Between(0, 3000);
        const int height = Pick(4) ? Between(0, 700) : Between(0, 2000);
        if (Pick(2)) c_->SetBounds(Between(-50, 50), Between(-50, 50), width, height);
        else form_->SetBounds(0, 0, width, height);
        what << "resize " << width << "x" << height;
    }

    float AnyFactor()
    {
        static const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::max(),
                                         -std::numeric_limits<float>::max(), 1e30f, -1e30f, 0.0f, -0.0f, 1e-45f,
                                         1.01f, 0.99f, 1.05f, 0.95f, 2.0f, 0.5f};
        return Pick(2) ? specials[Pick(sizeof specials / sizeof *specials)]
                       : std::uniform_real_distribution<float>(-300.0f, 300.0f)(rng_);
    }

    void DirectMath(std::ostringstream& what)
    {
        static const char ops[] = "+-*/+-*/=x\0\xff";
        const unsigned char op = Pick(3) ? static_cast<unsigned char>(ops[Pick(sizeof ops - 1)])
                                         : static_cast<unsigned char>(Pick(256));
        const float value = AnyFactor();
        c_->doMath(op, value);
        what << "doMath " << int(op) << " " << value;
    }

    TMapData* AnyMap()
    {
        TMapData* maps[] = {form_->mapRPM, form_->mapKPA, form_->mapCells};
        return maps[Pick(3)];
    }

    void Reshape(std::ostringstream& what)
    {
        TMapData* map = AnyMap();
        changedShape_ = true;
        switch (Pick(5)) {
        case 0: {
            const auto rows = static_cast<unsigned>(Between(0, 12));
            const auto cols = static_cast<unsigned>(Between(0, 12));
            map->ReAlloc(rows, cols);
            what << "ReAlloc " << rows << "x" << cols;
            break;
        }
        case 1: map->setRows(static_cast<unsigned>(Between(0, 14))); what << "setRows"; break;
        case 2: map->setCols(static_cast<unsigned>(Between(0, 14))); what << "setCols"; break;
        case 3: {
            // Swaps two cells between positions, possibly of two maps: every cell stays held.
            TMapData* other = AnyMap();
            const auto c1 = static_cast<unsigned>(Pick(10)), r1 = static_cast<unsigned>(Pick(10));
            const auto c2 = static_cast<unsigned>(Pick(10)), r2 = static_cast<unsigned>(Pick(10));
            TMapCell* a = map->getCells(c1, r1);
            TMapCell* b = other->getCells(c2, r2);
            if (a && b) {
                map->setCells(c1, r1, b);
                other->setCells(c2, r2, a);
            }
            what << "swap cells";
            break;
        }
        default:
            c_->SetColCount(Between(1, 16));
            c_->SetRowCount(Between(1, 16));
            what << "grid " << c_->ColCount() << "x" << c_->RowCount();
            break;
        }
    }

    void Bind(std::ostringstream& what)
    {
        TMapData* map = AnyMap();
        static const unsigned offsets[] = {0, 1, 8, 7, 20, 0x7FFFFFFFu, 0xFFFFFFFFu};
        const unsigned col = Pick(2) ? offsets[Pick(7)] : static_cast<unsigned>(Pick(10));
        const unsigned row = Pick(2) ? offsets[Pick(7)] : static_cast<unsigned>(Pick(10));
        c_->assignData(map, col, row);
        what << "assignData " << map->Name() << " at " << col << "," << row;
        changedShape_ = true;
    }

    short AnyShort()
    {
        static const short specials[] = {-32768, -2, -1, 0, 1, 7, 8, 9, 100, 32767};
        return Pick(2) ? specials[Pick(10)] : static_cast<short>(Between(-3, 12));
    }

    void WriteFields(std::ostringstream& what)
    {
        switch (Pick(4)) {
        case 0:
            c_->selectStartRow = AnyShort();
            c_->selectStartCol = AnyShort();
            c_->selectEndRow = AnyShort();
            c_->selectEndCol = AnyShort();
            break;
        case 1:
            c_->maxX = static_cast<unsigned char>(Pick(256));
            c_->maxY = static_cast<unsigned char>(Pick(256));
            break;
        default:
            c_->traceX = AnyShort();
            c_->traceY = AnyShort();
            c_->proxX = static_cast<unsigned char>(Pick(256));
            c_->proxY = static_cast<unsigned char>(Pick(256));
            c_->mapTrace = Pick(2);
            c_->Repaint();
            break;
        }
        what << "fields written";
    }

    // ---- Handlers of a host program ----

    void ChooseHandlers(std::ostringstream& what)
    {
        reshapeWhilePainting_ = Pick(3) == 0;
        throwing_ = Pick(3) == 0;
        replacing_ = Pick(3) == 0;
        what << "handlers: reshape while painting " << reshapeWhilePainting_ << ", throw " << throwing_
             << ", replace the grid " << replacing_;
    }

    // Puts the driver's handlers on a grid, each over the one it replaces. They do nothing of
    // their own until ChooseHandlers turns their behaviour on. None touches its closure once
    // it may have deleted the grid that holds it.
    void Adopt(TMapGrid* grid)
    {
        Driver* driver = this;
        const TDrawCellEvent draw = grid->OnDrawCell;
        grid->OnDrawCell = [driver, draw](TObject* sender, int col, int row, TRect& rect, TGridDrawState state) {
            draw(sender, col, row, rect, state);
            driver->AfterDrawing();
        };
        const TMouseEvent down = grid->OnMouseDown;
        grid->OnMouseDown = [driver, down](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
            down(sender, button, shift, x, y);
            driver->AfterInput();
        };
        const TMouseEvent up = grid->OnMouseUp;
        grid->OnMouseUp = [driver, up](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
            up(sender, button, shift, x, y);
            driver->AfterInput();
        };
        const TNotifyEvent dblClick = grid->OnDblClick;
        grid->OnDblClick = [driver, dblClick](TObject* sender) {
            dblClick(sender);
            driver->AfterInput();
        };
        const TKeyEvent keyDown = grid->OnKeyDown;
        grid->OnKeyDown = [driver, keyDown](TObject* sender, WORD& key, TShiftState shift) {
            if (keyDown) keyDown(sender, key, shift);
            driver->AfterInput();
        };
        const TKeyPressEvent keyPress = grid->OnKeyPress;
        grid->OnKeyPress = [driver, keyPress](TObject* sender, char& key) {
            if (keyPress) keyPress(sender, key);
            driver->AfterInput();
        };
        TMenuItem* items = grid->PopupMenu()->Items();
        for (int i = 0; i < items->Count(); ++i) {
            TMenuItem* item = items->Items(i);
            const TNotifyEvent click = item->OnClick;
            if (!click) continue;
            item->OnClick = [driver, click](TObject* sender) {
                click(sender);
                driver->AfterInput();
            };
        }
    }

    void Throw()
    {
        ++thrown_;
        throw Exception(kHandlerFailure);
    }

    void AfterDrawing()
    {
        if (reshapeWhilePainting_ && Pick(300) == 0) {
            changedShape_ = true;
            ++reshapedWhilePainting_;
            if (Pick(2)) c_->SetColCount(Between(1, 16));
            else c_->SetRowCount(Between(1, 16));
        }
        if (throwing_ && Pick(300) == 0) Throw();
    }

    void AfterInput()
    {
        if (replacing_ && Pick(12) == 0) ReplaceGrid();
        if (throwing_ && Pick(12) == 0) Throw();
    }

    // What a host closing a panel and opening a new one does, from inside one of the grid's
    // own handlers: the grid is deleted there and then, and a new one takes its place with the
    // old one's settings, the form's key handlers and the three maps bound as the form binds
    // them.
    void ReplaceGrid()
    {
        const auto settings = StoredProperties(*c_);
        delete c_;
        auto* grid = new TMapGrid(form_);
        grid->SetName("c");
        grid->SetParent(form_);
        for (const auto& [name, value] : settings) SetPropertyValue(*grid, name, value);
        grid->OnKeyPress = ::Bind(form_, &TForm1::cKeyPress);
        grid->OnKeyDown = ::Bind(form_, &TForm1::cKeyDown);
        grid->assignData(form_->mapRPM, 1, 8);
        grid->assignData(form_->mapKPA, 0, 0);
        grid->assignData(form_->mapCells, 1, 0);
        form_->c = c_ = grid;
        Adopt(grid);
        changedShape_ = true;
        ++replaced_;
    }

    TForm1* form_;
    TMapGrid* c_;
    std::mt19937_64 rng_;
    std::string failure_;
    bool changedShape_ = false;
    bool reshapeWhilePainting_ = false;
    bool throwing_ = false;
    bool replacing_ = false;
    unsigned long long thrown_ = 0;
    unsigned long long reported_ = 0;
    unsigned long long caught_ = 0;
    unsigned long long replaced_ = 0;
    unsigned long long reshapedWhilePainting_ = 0;

public:
    // What the driver's own handlers did in the run.
    std::string HandlerSummary() const
    {
        std::ostringstream out;
        out << "its handlers reshaped the grid while it painted " << reshapedWhilePainting_ << " times, threw "
            << thrown_ << " times (" << reported_ << " reported, " << caught_ << " passed to a direct call), replaced the grid "
            << replaced_ << " times";
        return out.str();
    }
};

TEST_F(TestForm, RandomInputKeepsEveryInvariant)
{
    Show();
    const unsigned long long seed = EnvNumber("MAPGRID_DRIVER_SEED", std::random_device{}());
    const unsigned long long steps = EnvNumber("MAPGRID_DRIVER_STEPS", 4000);
    const auto budget = std::chrono::seconds(EnvNumber("MAPGRID_DRIVER_SECONDS", 60));
    std::cout << "random driver: seed " << seed << ", up to " << steps << " steps (replay with MAPGRID_DRIVER_SEED="
              << seed << ")" << std::endl;
    RecordProperty("seed", std::to_string(seed));

    Driver driver(form, seed);
    const auto start = std::chrono::steady_clock::now();
    unsigned long long done = 0;
    for (; done < steps && std::chrono::steady_clock::now() - start < budget; ++done) {
        const std::string action = driver.Step();
        driver.Check();
        ASSERT_EQ(driver.Failure(), "") << "seed " << seed << ", step " << done << ": " << action;
    }
    std::cout << "random driver: " << done << " steps without a finding; " << driver.HandlerSummary() << std::endl;
}

} // namespace

// MapGridWidget's editing features in a real window receiving real key and mouse events:
// nothing changes while they are off; the keyboard, typed entry, undo and redo of every
// command, the clipboard, the dialogs and the pop-up menu, the heat map and the readout
// while they are on.
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <mapgrid/MapGridWidget.h>

#include "platform/Menus.h"
#include "tests/widget/DemoMaps.h"
#include "widget/HeatMapPainter.h"

namespace {

using Command = MapGridWidget::Command;

constexpr Command kEditCommands[] = {Command::Undo, Command::Redo, Command::Copy, Command::Paste, Command::SelectAll,
                                     Command::SetValue, Command::Multiply, Command::InterpolateHorizontally,
                                     Command::InterpolateVertically, Command::Smooth};

class Editing : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        maps = new MapGridWidget;
        layout->addWidget(maps);
        BindDemoMaps(grid());
        maps->setMaxX(70);
        window->resize(420, 200);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        maps->setFocus();
        QObject::connect(maps, &MapGridWidget::statusMessage, [this](const QString& text) { messages << text; });
        // The test form's four keys, bound by the host.
        grid().OnKeyPress = [this](TObject*, char& key) {
            pressed += key;
            if (key == '=') grid().doMath('+', 1.0f);
            if (key == '-') grid().doMath('-', 1.0f);
            if (key == '_') grid().doMath('*', std::bit_cast<float>(0x3F7D70A4u));
            if (key == '+') grid().doMath('*', std::bit_cast<float>(0x3F8147AEu));
        };
        grid().OnKeyDown = [this](TObject*, WORD& key, TShiftState) { keyDowns.push_back(key); };
    }

    TMapGrid& grid() const { return *maps->grid(); }
    int Value(int col, int row) const { return dynamic_cast<TMapCell*>(grid().Objects(col, row))->cellValue; }
    std::vector<int> Values() const
    {
        std::vector<int> values;
        for (int row = 0; row < 9; ++row)
            for (int col = 0; col < 9; ++col)
                if (auto* cell = dynamic_cast<TMapCell*>(grid().Objects(col, row))) values.push_back(cell->cellValue);
        return values;
    }
    std::string Selection() const
    {
        return std::to_string(grid().selectStartCol) + "," + std::to_string(grid().selectStartRow) + " .. " +
               std::to_string(grid().selectEndCol) + "," + std::to_string(grid().selectEndRow);
    }
    // A key as a person presses it: to whichever widget has the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void Type(const std::string& text)
    {
        for (char c : text) QTest::keyClick(QApplication::focusWidget(), c);
    }
    QPoint CentreOf(int col, int row) const { return maps->cellRect(col, row).center(); }
    void Click(int col, int row) { QTest::mouseClick(grid().Widget(), Qt::LeftButton, {}, CentreOf(col, row)); }
    QLineEdit* Entry() const { return maps->findChild<QLineEdit*>(QStringLiteral("valueEntry")); }
    bool EntryOpen() const { return Entry() && Entry()->isVisible(); }
    // The keys that reached the grid's OnKeyDown, but for Shift and Ctrl pressed on their own.
    std::vector<WORD> KeysBesidesModifiers() const
    {
        std::vector<WORD> keys;
        for (WORD key : keyDowns)
            if (key != VK_SHIFT && key != VK_CONTROL) keys.push_back(key);
        return keys;
    }
    QString LastMessage() const { return messages.isEmpty() ? QString() : messages.last(); }
    std::string Message() const { return LastMessage().toStdString(); }

    std::unique_ptr<QWidget> window;
    MapGridWidget* maps = nullptr;
    QStringList messages;
    std::string pressed;
    std::vector<WORD> keyDowns;
};

TEST_F(Editing, WithTheFeaturesOffEveryKeyGoesToTheGridAndNoCommandIsOffered)
{
    EXPECT_EQ(maps->features(), MapGridWidget::NoFeatures);
    for (Command command : kEditCommands) EXPECT_FALSE(maps->action(command)->isVisible()) << static_cast<int>(command);
    EXPECT_EQ(grid().PopupMenu()->Menu()->actions().size(), 10);
    EXPECT_FALSE(grid().PopupMenu()->Items()->Find("Set Value")->Enabled());
    EXPECT_FALSE(grid().PopupMenu()->Items()->Find("Multiply")->Enabled());

    grid().setSelection(2, 1, 2, 1);
    const std::vector<int> before = Values();
    Key(Qt::Key_Right);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_F2);
    Type("2.");
    EXPECT_EQ(Selection(), "2,1 .. 2,1");
    EXPECT_FALSE(EntryOpen());
    EXPECT_EQ(Values(), before);
    EXPECT_EQ(KeysBesidesModifiers(), (std::vector<WORD>{VK_RIGHT, VK_DOWN, 'Z', 'C', VK_F1 + 1, '2', 0}));
    EXPECT_TRUE(pressed.ends_with("2.")) << pressed;
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Editing, TheKeyboardMovesAndExtendsTheSelectionWithinTheBody)
{
    grid().setSelection(-1, -1, -1, -1);
    maps->setFeatures(MapGridWidget::Keyboard);
    EXPECT_EQ(Selection(), "1,0 .. 1,0");  // the top-left body cell, as it comes on
    QSignalSpy changes(maps, &MapGridWidget::selectionChanged);
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* selection;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Step steps[] = {
        {Qt::Key_Right, none, "2,0 .. 2,0"},
        {Qt::Key_Down, none, "2,1 .. 2,1"},
        {Qt::Key_Right, shift, "2,1 .. 3,1"},
        {Qt::Key_Right, shift, "2,1 .. 4,1"},
        {Qt::Key_Down, shift, "2,1 .. 4,2"},
        {Qt::Key_Left, shift, "2,1 .. 3,2"},
        {Qt::Key_Left, shift, "2,1 .. 2,2"},
        {Qt::Key_Left, shift, "1,1 .. 2,2"},  // past the anchor the other way
        {Qt::Key_Up, none, "1,1 .. 1,1"},     // from the cursor cell
        {Qt::Key_Up, none, "1,0 .. 1,0"},
        {Qt::Key_Up, none, "1,0 .. 1,0"},     // the top edge
        {Qt::Key_Left, none, "1,0 .. 1,0"},   // column 0 is the axis
        {Qt::Key_End, none, "8,0 .. 8,0"},
        {Qt::Key_PageDown, shift, "8,0 .. 8,7"},
        {Qt::Key_Home, ctrl, "1,0 .. 1,0"},
        {Qt::Key_End, ctrl, "8,7 .. 8,7"},
        {Qt::Key_Down, none, "8,7 .. 8,7"},   // row 8 is the axis
        {Qt::Key_Home, none, "1,7 .. 1,7"},
        {Qt::Key_PageUp, none, "1,0 .. 1,0"},
        {Qt::Key_End, ctrl | shift, "1,0 .. 8,7"},
        {Qt::Key_Left, ctrl, "1,7 .. 1,7"},
        {Qt::Key_Right, ctrl | shift, "1,7 .. 8,7"},
        {Qt::Key_Up, ctrl, "8,0 .. 8,0"},
        {Qt::Key_A, ctrl, "1,0 .. 8,7"},
    };
    int expectedSignals = 0;
    std::string previous = Selection();
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(&s - steps) + ": " + s.selection);
        Key(s.key, s.modifiers);
        EXPECT_EQ(Selection(), s.selection);
        expectedSignals += Selection() != previous;
        previous = Selection();
        EXPECT_EQ(changes.count(), expectedSignals);
    }
    EXPECT_TRUE(KeysBesidesModifiers().empty());  // every one of them was the widget's

    // A selection made with the mouse goes on from its corners.
    QTest::mousePress(grid().Widget(), Qt::LeftButton, {}, CentreOf(3, 3));
    QTest::mouseMove(grid().Widget(), CentreOf(4, 4));
    QTest::mouseRelease(grid().Widget(), Qt::LeftButton, {}, CentreOf(4, 4));
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "3,3 .. 5,4");
    // So does one the host writes into the grid.
    grid().selectStartCol = grid().selectEndCol = 6;
    grid().selectStartRow = grid().selectEndRow = 6;
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "6,5 .. 6,6");
}

TEST_F(Editing, TheHostsKeysKeepWorkingWithEveryFeatureOn)
{
    maps->setFeatures(MapGridWidget::AllFeatures);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);  // (2, 1), holding 46
    ASSERT_EQ(Selection(), "2,1 .. 2,1");
    struct Step {
        char key;
        int value;
    };
    const Step steps[] = {{'=', 47}, {'=', 48}, {'-', 47}, {'_', 46}, {'+', 46}, {'a', 46}};
    for (const Step& s : steps) {
        Type(std::string(1, s.key));
        EXPECT_EQ(Value(2, 1), s.value) << s.key;
        EXPECT_FALSE(EntryOpen()) << s.key;
    }
    EXPECT_EQ(pressed, "==-_+a");
    // Each is one step of the history.
    EXPECT_EQ(maps->undoStack()->count(), 4);
}

TEST_F(Editing, ATypedValueSetsEverySelectedCellRoundedAndClampedAndSaysSo)
{
    maps->setFeatures(MapGridWidget::Keyboard | MapGridWidget::TypedEntry);
    struct Case {
        const char* name;
        std::function<void()> type;
        int value;  // of both selected cells afterwards; -1: unchanged
        const char* message;
        bool stillOpen;
    };
    const Case cases[] = {
        {"20, Enter", [this] { Type("20"); Key(Qt::Key_Return); }, 80, "Set 2 cells to 20", false},
        {"20.1, Enter", [this] { Type("20.1"); Key(Qt::Key_Enter); }, 80,
         "Set 2 cells to 20.1: 2 cells rounded to the nearest step", false},
        {"99, Enter", [this] { Type("99"); Key(Qt::Key_Return); }, 255,
         "Set 2 cells to 99: 2 cells clamped to the cell's bounds", false},
        {".5, Enter", [this] { Type(".5"); Key(Qt::Key_Return); }, 2, "Set 2 cells to .5", false},
        {"a typing slip put right", [this] { Type("7x"); Key(Qt::Key_Backspace); Key(Qt::Key_Return); },
         28, "Set 2 cells to 7", false},
        {"not a number", [this] { Type("2x"); Key(Qt::Key_Return); }, -1,
         "\"2x\" is not a number: nothing set", true},
        {"Escape", [this] { Type("20"); Key(Qt::Key_Escape); }, -1, "Entry cancelled", false},
        {"\"-\" is the host's key", [this] { Type("-"); }, -2, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (EntryOpen()) Key(Qt::Key_Escape);
        grid().setCellValues({{2, 1, 46}, {3, 1, 37}});
        grid().setSelection(2, 1, 3, 1);
        messages.clear();
        c.type();
        if (c.value == -1) {
            EXPECT_EQ(Value(2, 1), 46);
            EXPECT_EQ(Value(3, 1), 37);
        } else if (c.value == -2) {
            EXPECT_EQ(Value(2, 1), 45);
            EXPECT_EQ(Value(3, 1), 36);
        } else {
            EXPECT_EQ(Value(2, 1), c.value);
            EXPECT_EQ(Value(3, 1), c.value);
        }
        EXPECT_EQ(Message(), c.message);
        EXPECT_EQ(EntryOpen(), c.stillOpen);
        if (!c.stillOpen) {
            EXPECT_EQ(QApplication::focusWidget(), grid().Widget());
        }
    }
    // F2 opens the entry with the first selected cell's text, over that cell.
    grid().setCellValues({{2, 1, 46}});
    Key(Qt::Key_F2);
    ASSERT_TRUE(EntryOpen());
    EXPECT_EQ(Entry()->text().toStdString(), "11.50");
    EXPECT_EQ(Entry()->geometry().topLeft(), maps->cellRect(2, 1).topLeft());
    EXPECT_EQ(QApplication::focusWidget(), Entry());
    // A click elsewhere cancels it.
    Click(5, 5);
    EXPECT_FALSE(EntryOpen());
    EXPECT_EQ(Value(2, 1), 46);
}

// Every command that changes values is one step that restores exactly what it changed.
TEST_F(Editing, EveryCommandIsOneStepThatUndoRestoresExactly)
{
    maps->setFeatures(MapGridWidget::AllFeatures);
    QUndoStack& history = *maps->undoStack();
    const auto dialog = [this](const char* name, const char* text) {
        auto* d = maps->findChild<QInputDialog*>(QString::fromLatin1(name));
        ASSERT_NE(d, nullptr);
        d->setTextValue(QString::fromLatin1(text));
        d->accept();
    };
    struct Case {
        const char* name;
        const char* selection;  // start col, start row, end col, end row
        std::function<void()> command;
    };
    const Case cases[] = {
        {"the menu's Increment 5%", "2 1 4 3", [&] { grid().incCells5(nullptr); }},
        {"the host's key", "2 1 4 3", [&] { Type("="); }},
        {"the grid's Interpolate", "1 0 5 4", [&] { grid().intCells(nullptr); }},
        {"a typed value", "2 1 4 3", [&] { Type("30"); Key(Qt::Key_Return); }},
        {"a paste", "3 3 3 3",
         [&] {
             QGuiApplication::clipboard()->setText(QStringLiteral("1\t2.5\n300\t4\n"));
             Key(Qt::Key_V, Qt::ControlModifier);
         }},
        {"Interpolate Horizontally", "1 0 6 7", [&] { maps->action(Command::InterpolateHorizontally)->trigger(); }},
        {"Interpolate Vertically", "1 0 8 5", [&] { maps->action(Command::InterpolateVertically)->trigger(); }},
        {"Smooth", "1 0 8 7", [&] { maps->action(Command::Smooth)->trigger(); }},
        {"Set Value", "2 2 3 3", [&] { maps->action(Command::SetValue)->trigger(); dialog("setValueDialog", "12.3"); }},
        {"Multiply", "2 2 5 5", [&] { maps->action(Command::Multiply)->trigger(); dialog("multiplyDialog", "1.07"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int sc, sr, ec, er;
        ASSERT_EQ(std::sscanf(c.selection, "%d %d %d %d", &sc, &sr, &ec, &er), 4);
        grid().setSelection(sc, sr, ec, er);
        const std::vector<int> before = Values();
        const int steps = history.count();
        c.command();
        const std::vector<int> after = Values();
        ASSERT_NE(after, before);
        EXPECT_EQ(history.count(), steps + 1);

        Key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Values(), before);
        Key(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(Values(), after);
        Key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Values(), before);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(Values(), after);
        EXPECT_EQ(history.count(), steps + 1);
    }
    // A command that changes nothing makes no step.
    grid().setSelection(8, 0, 8, 0);  // holding 0
    const int steps = history.count();
    grid().decCells(nullptr);
    maps->action(Command::Smooth)->trigger();
    EXPECT_EQ(history.count(), steps);
    // Undo names the step; it selects the cells it restored.
    grid().setSelection(2, 1, 2, 1);
    Type("7");
    Key(Qt::Key_Return);
    EXPECT_EQ(maps->action(Command::Undo)->text().toStdString(), "Undo Set Value");
    grid().setSelection(5, 5, 5, 5);
    maps->undo();
    EXPECT_EQ(Selection(), "2,1 .. 2,1");
    EXPECT_EQ(Message(), "Undone: Set Value");
}

TEST_F(Editing, TheHistoryKeepsTheCleanStateAndItsLastThousandSteps)
{
    maps->setFeature(MapGridWidget::UndoRedo);
    QUndoStack& history = *maps->undoStack();
    EXPECT_EQ(history.undoLimit(), 1000);
    EXPECT_TRUE(history.isClean());
    QSignalSpy clean(&history, &QUndoStack::cleanChanged);
    grid().setCellValues({{2, 1, 10}});
    EXPECT_FALSE(history.isClean());
    history.setClean();  // saved
    grid().setCellValues({{2, 1, 11}});
    EXPECT_FALSE(history.isClean());
    maps->undo();
    EXPECT_TRUE(history.isClean());
    ASSERT_EQ(clean.count(), 4);
    EXPECT_FALSE(clean.at(0).at(0).toBool());
    EXPECT_TRUE(clean.at(3).at(0).toBool());

    // The oldest steps go first: 1000 of 1001 can be undone.
    history.clear();
    for (int i = 0; i < 1001; ++i) grid().setCellValues({{2, 1, 20 + i % 2}});
    EXPECT_EQ(history.count(), 1000);
    while (history.canUndo()) history.undo();
    EXPECT_EQ(Value(2, 1), 20);  // what the first step made

    // Switching the history off forgets it.
    maps->setFeature(MapGridWidget::UndoRedo, false);
    EXPECT_EQ(history.count(), 0);
    grid().setCellValues({{2, 1, 30}});
    EXPECT_EQ(history.count(), 0);
    EXPECT_TRUE(history.isClean());
}

TEST_F(Editing, CopyGivesSpreadsheetTextAndPasteTakesItBackAsOneStep)
{
    maps->setFeatures(MapGridWidget::Keyboard | MapGridWidget::Clipboard | MapGridWidget::UndoRedo);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);  // (1, 0) .. (2, 1)
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "8.75\t8.25\n11.25\t11.50\n");
    EXPECT_EQ(Message(), "Copied 2 x 2 cells");

    grid().setSelection(7, 5, 7, 5);
    const std::vector<int> before = Values();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Value(7, 5), 35);
    EXPECT_EQ(Value(8, 5), 33);
    EXPECT_EQ(Value(7, 6), 45);
    EXPECT_EQ(Value(8, 6), 46);
    EXPECT_EQ(Selection(), "7,5 .. 8,6");
    EXPECT_EQ(Message(), "Pasted 2 x 2 cells");
    EXPECT_EQ(maps->undoStack()->count(), 1);

    // Cut at the body's edge.
    grid().setSelection(8, 7, 8, 7);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Value(8, 7), 35);
    EXPECT_EQ(Message(), "Pasted 1 x 1 cells, cut at the edge of the map");
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Values(), before);

    // Something that is not a number: nothing changes, and the message says where.
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\n3\t8,5\n"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Values(), before);
    EXPECT_EQ(Message(), "Nothing pasted: row 2, column 2 of the clipboard holds \"8,5\", not a number");
    EXPECT_EQ(maps->undoStack()->count(), 2);
    EXPECT_FALSE(maps->undoStack()->canUndo());
}

TEST_F(Editing, ThePopUpMenuOffersTheCommandsOfTheFeaturesThatAreOn)
{
    QMenu* menu = grid().PopupMenu()->Menu();
    TMenuItem* setValue = grid().PopupMenu()->Items()->Find("Set Value");
    TMenuItem* multiply = grid().PopupMenu()->Items()->Find("Multiply");
    maps->setFeatures(MapGridWidget::AllFeatures);
    for (Command command : {Command::InterpolateHorizontally, Command::InterpolateVertically, Command::Smooth,
                            Command::Undo, Command::Redo, Command::Copy, Command::Paste})
        EXPECT_TRUE(menu->actions().contains(maps->action(command))) << static_cast<int>(command);
    EXPECT_TRUE(setValue->Enabled());
    EXPECT_TRUE(multiply->Enabled());

    // Chosen from the opened menu with the mouse, as a person does.
    grid().setSelection(1, 2, 3, 2);
    QTest::mouseClick(grid().Widget(), Qt::RightButton, {}, CentreOf(2, 2));
    ASSERT_TRUE(menu->isVisible());
    QAction* horizontally = maps->action(Command::InterpolateHorizontally);
    EXPECT_TRUE(horizontally->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(horizontally).center());
    EXPECT_EQ(Value(2, 2), 51);
    EXPECT_EQ(Message(), "Interpolated horizontally: 1 cell changed");

    setValue->Click();
    auto* dialog = maps->findChild<QInputDialog*>(QStringLiteral("setValueDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->textValue().toStdString(), "13.00");
    dialog->setTextValue(QStringLiteral("10"));
    dialog->accept();
    EXPECT_EQ(Value(1, 2), 40);
    EXPECT_EQ(Value(3, 2), 40);
    multiply->Click();
    dialog = maps->findChild<QInputDialog*>(QStringLiteral("multiplyDialog"));
    ASSERT_NE(dialog, nullptr);
    dialog->setTextValue(QStringLiteral("1.5"));
    dialog->accept();
    EXPECT_EQ(Value(2, 2), 60);
    EXPECT_EQ(Message(), "Multiplied 3 cells by 1.5");

    // Off again: the grid's own ten items, "Set Value" and "Multiply" inert.
    maps->setFeatures(MapGridWidget::NoFeatures);
    EXPECT_EQ(menu->actions().size(), 10);
    EXPECT_FALSE(setValue->Enabled());
    EXPECT_FALSE(multiply->Enabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the dialogs closed above
    setValue->SetEnabled(true);  // even enabled, its handler does nothing
    setValue->Click();
    EXPECT_EQ(maps->findChild<QInputDialog*>(QStringLiteral("setValueDialog")), nullptr);
}

TEST_F(Editing, TheHeatMapIsAFeatureItsActionSwitches)
{
    const auto pixel = [this](int col, int row) {
        const TRect r = grid().CellRect(col, row);
        const QColor c = grid().Surface().pixelColor(r.Left + 2, r.Top + 2);
        return RGB(c.red(), c.green(), c.blue());
    };
    QAction* heat = maps->action(Command::HeatMap);
    EXPECT_TRUE(heat->isCheckable());
    EXPECT_FALSE(heat->isChecked());
    EXPECT_EQ(pixel(5, 7), 0x000000);
    heat->trigger();
    EXPECT_TRUE(maps->features().testFlag(MapGridWidget::HeatMap));
    EXPECT_EQ(pixel(5, 7), HeatMapPainter::heatColor(141 / 255.0));
    maps->setHeatRange(0, 141);
    EXPECT_EQ(pixel(5, 7), HeatMapPainter::heatColor(1));
    maps->setFeature(MapGridWidget::HeatMap, false);
    EXPECT_FALSE(heat->isChecked());
    EXPECT_EQ(pixel(5, 7), 0x000000);
}

TEST_F(Editing, TheReadoutFollowsThePointInDisplayUnitsAndTheValuesAroundIt)
{
    QSignalSpy readouts(maps, &MapGridWidget::readoutChanged);
    QSignalSpy traces(maps, &MapGridWidget::traceChanged);
    maps->setOperatingPointInUnits(2750, 108);  // a log's speed, between two axis values
    EXPECT_EQ(maps->xVal(), 28);
    EXPECT_EQ(maps->yVal(), 54);
    MapGridReadout r = maps->readout();
    EXPECT_EQ(r.speed, 2750);
    EXPECT_EQ(r.pressure, 108);
    EXPECT_DOUBLE_EQ(r.advance, 13.75);
    ASSERT_EQ(readouts.count(), 1);
    EXPECT_DOUBLE_EQ(readouts.at(0).at(0).value<MapGridReadout>().advance, 13.75);
    EXPECT_EQ(traces.count(), 1);

    // Nearer the next axis value but the same axis units: the readout moves, the trace does not.
    maps->setOperatingPointInUnits(2760, 108);
    EXPECT_EQ(readouts.count(), 2);
    EXPECT_EQ(traces.count(), 1);
    EXPECT_EQ(maps->readout().speed, 2760);

    // A change of the values around the point.
    grid().setCellValues({{5, 2, 58}});
    EXPECT_EQ(readouts.count(), 3);
    EXPECT_DOUBLE_EQ(maps->readout().advance, 14.00 * 0.48 + 14.50 * 0.52);

    maps->setOperatingPointInUnits(std::nan(""), 108);
    EXPECT_EQ(readouts.count(), 3);
    // In axis units the exact point is gone.
    maps->setOperatingPoint(28, 54);
    EXPECT_EQ(readouts.count(), 4);
    EXPECT_EQ(maps->readout().speed, 2800);
}

TEST_F(Editing, CellGeometryInTheWidgetsCoordinates)
{
    for (const auto& [col, row] : {std::pair(0, 0), std::pair(3, 2), std::pair(8, 8)}) {
        const QRect r = maps->cellRect(col, row);
        const TRect t = grid().CellRect(col, row);
        EXPECT_EQ(r, QRect(t.Left, t.Top, t.Right - t.Left, t.Bottom - t.Top));
        EXPECT_EQ(maps->cellAt(r.center()), QPoint(col, row));
        EXPECT_EQ(maps->cellAt(r.topLeft()), QPoint(col, row));
    }
    EXPECT_TRUE(maps->cellRect(9, 0).isEmpty());
    EXPECT_TRUE(maps->cellRect(-1, 0).isEmpty());
    EXPECT_EQ(maps->cellAt(QPoint(-5, 3)), QPoint(-1, -1));
}

TEST_F(Editing, EditActionsListTheCommandsInMenuOrder)
{
    QStringList texts;
    for (QAction* action : maps->editActions()) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts.join(QLatin1Char('|')).toStdString(),
              "Undo|Redo|-|Copy|Paste|Select All|-|Set Value...|Multiply...|-|Interpolate Horizontally|"
              "Interpolate Vertically|Smooth");
    EXPECT_EQ(maps->action(Command::Undo)->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_TRUE(maps->action(Command::Redo)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(maps->action(Command::Redo)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
}

// With every feature on and an entry and a dialog open, the grid may still go first.
TEST(EditingLifetime, TheGridsOwnerMayDestroyItWhileAnEntryAndADialogAreOpen)
{
    auto* owner = new TComponent(nullptr);
    QWidget window;
    auto* maps = new MapGridWidget(&window, owner);
    BindDemoMaps(*maps->grid());
    maps->setFeatures(MapGridWidget::AllFeatures);
    window.resize(400, 200);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    maps->setFocus();
    maps->openMultiplyDialog();
    QTest::keyClick(maps->grid()->Widget(), '5');
    delete owner;
    EXPECT_EQ(maps->grid(), nullptr);
    for (Command command : kEditCommands) maps->action(command)->trigger();
    maps->copy();
    maps->paste();
    maps->setFeatures(MapGridWidget::NoFeatures);
    maps->setFeatures(MapGridWidget::AllFeatures);
    EXPECT_FALSE(maps->action(Command::Copy)->isEnabled());
    QCoreApplication::processEvents();
}

} // namespace

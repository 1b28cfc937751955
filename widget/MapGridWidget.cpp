#include <mapgrid/MapGridWidget.h>

#include <QAction>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaEnum>
#include <QPointer>
#include <QResizeEvent>
#include <QUndoStack>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "platform/Menus.h"
#include "platform/Messages.h"
#include "widget/HeatMapPainter.h"
#include "widget/MapEdits.h"

using MapEdits::CellRange;

namespace {

// The test application's cell pitch (43 x 19 pixels and the grid line), at which the font
// fit gives its 10-point text.
constexpr int kCellWidth = 44;
constexpr int kCellHeight = 20;
// Below this the text shrinks to a few points.
constexpr int kMinCellWidth = 16;
constexpr int kMinCellHeight = 8;
constexpr int kUndoLimit = 1000;
constexpr int kCommandCount = static_cast<int>(MapGridWidget::Command::HeatMap) + 1;

unsigned char axisUnits(int value) { return static_cast<unsigned char>(std::clamp(value, 0, 255)); }

const QString kSelectFirst = QStringLiteral("Select cells first");

QString cells(int count) { return count == 1 ? QStringLiteral("1 cell") : QStringLiteral("%1 cells").arg(count); }

// Rounding and clamping are said, never silent.
QString fitsNote(const MapEdits::Fits& fits)
{
    QStringList notes;
    if (fits.rounded > 0) notes << QStringLiteral("%1 rounded to the nearest step").arg(cells(fits.rounded));
    if (fits.clamped > 0) notes << QStringLiteral("%1 clamped to the cell's bounds").arg(cells(fits.clamped));
    return notes.isEmpty() ? QString() : QStringLiteral(": ") + notes.join(QStringLiteral(", "));
}

QString quoted(const QString& text)
{
    constexpr int kLongest = 24;
    return QLatin1Char('"') + (text.size() > kLongest ? text.left(kLongest) + QStringLiteral("...") : text) +
           QLatin1Char('"');
}

// Where a navigation key takes the cursor cell.
enum class Move { Left, Right, Up, Down, RowStart, RowEnd, ColumnStart, ColumnEnd, First, Last };

struct Navigation {
    Move move;
    bool extend;
};

std::optional<Navigation> navigationOf(const QKeyEvent& e)
{
    const Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
    if (mods & ~(Qt::ShiftModifier | Qt::ControlModifier)) return std::nullopt;
    const bool extend = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    switch (e.key()) {
    case Qt::Key_Left: return Navigation{ctrl ? Move::RowStart : Move::Left, extend};
    case Qt::Key_Right: return Navigation{ctrl ? Move::RowEnd : Move::Right, extend};
    case Qt::Key_Up: return Navigation{ctrl ? Move::ColumnStart : Move::Up, extend};
    case Qt::Key_Down: return Navigation{ctrl ? Move::ColumnEnd : Move::Down, extend};
    case Qt::Key_Home: return Navigation{ctrl ? Move::First : Move::RowStart, extend};
    case Qt::Key_End: return Navigation{ctrl ? Move::Last : Move::RowEnd, extend};
    case Qt::Key_PageUp: return ctrl ? std::nullopt : std::optional(Navigation{Move::ColumnStart, extend});
    case Qt::Key_PageDown: return ctrl ? std::nullopt : std::optional(Navigation{Move::ColumnEnd, extend});
    default: return std::nullopt;
    }
}

// A digit or a decimal point starts an entry; "-", "+", "=" and "_" stay the host's keys.
bool startsEntry(const QKeyEvent& e)
{
    const Qt::KeyboardModifiers mods = e.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const QString text = e.text();
    return mods == Qt::NoModifier && text.size() == 1 && (text[0].isDigit() || text[0] == QLatin1Char('.')) &&
           text[0].unicode() < 0x80;
}

bool editsCell(const QKeyEvent& e) { return e.key() == Qt::Key_F2 && (e.modifiers() & ~Qt::KeypadModifier) == 0; }

} // namespace

// Owns the grid and hears of its destruction: a component owner may destroy it first.
class MapGridWidget::Private : public QObject, public TFreeListener {
public:
    Private(MapGridWidget* q, TComponent* owner) : q(q), grid(new TMapGrid(owner)), painter(*grid)
    {
        WatchFree(grid, this);
        grid->SetColCount(9);
        grid->SetRowCount(9);
        grid->SetFixedCols(0);
        grid->SetFixedRows(0);
        grid->SetDefaultDrawing(false);
        grid->SetColor(clBlack);
        grid->Font()->SetName("Tahoma");
        grid->Font()->SetSize(10);
        grid->selectStartRow = grid->selectStartCol = grid->selectEndRow = grid->selectEndCol = -1;
        grid->maxX = 255;
        grid->maxY = 255;
        grid->OnSelectionChange = [this](TObject*) {
            refreshActions();
            Q_EMIT this->q->selectionChanged();
        };
        grid->OnValuesChange = [this](TObject*, const TCellChanges& changes) { valuesReported(changes); };
        grid->OnTraceChange = [this](TObject*) { traceReported(); };

        surface = grid->Widget();
        surface->setParent(q);
        surface->show();
        // Installed after the grid's own message bridge, so it sees each key first and lets
        // through the keys it does not take.
        surface->installEventFilter(this);
        q->setFocusPolicy(surface->focusPolicy());
        q->setFocusProxy(surface);
        grid->SetBounds(0, 0, q->width(), q->height());

        history.setUndoLimit(kUndoLimit);
        createActions();
    }

    ~Private() override
    {
        // Not filtered while it goes: its last events find this half gone.
        if (editor) editor->removeEventFilter(this);
        delete editor.data();
        delete dialog.data();
        if (!grid) return;
        UnwatchFree(grid, this);
        grid->OnSelectionChange = nullptr;
        grid->OnValuesChange = nullptr;
        grid->OnTraceChange = nullptr;
        q->setFocusProxy(nullptr);
        delete std::exchange(grid, nullptr);
    }

    Private(const Private&) = delete;
    Private& operator=(const Private&) = delete;

    // ---- trace and readout ----

    // Runs change and then raises traceChanged once if it or the grid reported a change;
    // readoutChanged also when only the readout moved.
    template <class Change>
    void changeTrace(Change change, bool readoutMoved = false)
    {
        ++traceBatch;
        change();
        if (--traceBatch > 0) return;
        if (std::exchange(traceDirty, false)) emitTrace();
        else if (readoutMoved) Q_EMIT q->readoutChanged(q->readout());
    }

    void traceReported()
    {
        if (traceBatch > 0) traceDirty = true;
        else emitTrace();
    }

    void emitTrace()
    {
        Q_EMIT q->traceChanged();
        Q_EMIT q->readoutChanged(q->readout());
    }

    // The operating point last given in display units, while the grid still traces what it gave.
    struct ExactPoint {
        double speed, pressure;
        unsigned char x, y;
    };
    std::optional<ExactPoint> exactPoint;

    // ---- history ----

    // One command's changes of values, undone by writing the old values in reverse order.
    class ValuesStep : public QUndoCommand {
    public:
        ValuesStep(Private* d, TCellChanges changes, const QString& text) : d_(d), changes_(std::move(changes))
        {
            setText(text);
        }
        void undo() override
        {
            std::vector<TCellValue> values;
            for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) values.push_back({it->col, it->row, it->oldValue});
            d_->replay(values);
        }
        void redo() override
        {
            // Pushed after the change was made: the first redo is the change itself.
            if (std::exchange(first_, false)) return;
            std::vector<TCellValue> values;
            for (const TCellChange& c : changes_) values.push_back({c.col, c.row, c.newValue});
            d_->replay(values);
        }

    private:
        Private* d_;
        TCellChanges changes_;
        bool first_ = true;
    };

    void valuesReported(const TCellChanges& changes)
    {
        changedCount += static_cast<int>(changes.size());
        if ((features & UndoRedo) && !replaying) {
            const QString text = commandName.isEmpty() ? QStringLiteral("Change of %1").arg(cells(static_cast<int>(changes.size())))
                                                       : commandName;
            history.push(new ValuesStep(this, changes, text));
        }
        Q_EMIT q->valuesChanged(changes);
        Q_EMIT q->readoutChanged(q->readout());
    }

    // Writes a step's values back, unrecorded, and selects the cells it changed.
    void replay(const std::vector<TCellValue>& values)
    {
        if (!grid || values.empty()) return;
        replaying = true;
        grid->setCellValues(values);
        replaying = false;
        CellRange changed{values.front().col, values.front().row, values.front().col, values.front().row};
        for (const TCellValue& v : values) {
            changed.startCol = std::min(changed.startCol, v.col);
            changed.startRow = std::min(changed.startRow, v.row);
            changed.endCol = std::max(changed.endCol, v.col);
            changed.endRow = std::max(changed.endRow, v.row);
        }
        select(changed);
    }

    // Writes a command's values as one step named after it; returns how many cells changed.
    int write(const MapEdits::Edit& edit, const QString& name)
    {
        if (!grid || edit.values.empty()) return 0;
        commandName = name;
        changedCount = 0;
        grid->setCellValues(edit.values);
        commandName.clear();
        return changedCount;
    }

    // ---- selection and keyboard ----

    void select(CellRange range)
    {
        if (!grid) return;
        anchor = {range.startCol, range.startRow};
        cursor = {range.endCol, range.endRow};
        grid->setSelection(range.startCol, range.startRow, range.endCol, range.endRow);
    }

    // The keyboard works from an anchor cell and a cursor cell; a selection made otherwise
    // (the mouse, the host) starts them afresh at its corners.
    CellRange cursorRange() const
    {
        return {std::min(anchor.x(), cursor.x()), std::min(anchor.y(), cursor.y()), std::max(anchor.x(), cursor.x()),
                std::max(anchor.y(), cursor.y())};
    }

    void navigate(Navigation nav)
    {
        const CellRange body = MapEdits::bodyOf(*grid);
        if (body.isEmpty()) return;
        const CellRange current{grid->selectStartCol, grid->selectStartRow, grid->selectEndCol, grid->selectEndRow};
        if (current.isEmpty()) {
            select({body.startCol, body.startRow, body.startCol, body.startRow});
            return;
        }
        if (current != cursorRange()) {
            anchor = {current.startCol, current.startRow};
            cursor = {current.endCol, current.endRow};
        }
        int col = cursor.x();
        int row = cursor.y();
        switch (nav.move) {
        case Move::Left: --col; break;
        case Move::Right: ++col; break;
        case Move::Up: --row; break;
        case Move::Down: ++row; break;
        case Move::RowStart: col = body.startCol; break;
        case Move::RowEnd: col = body.endCol; break;
        case Move::ColumnStart: row = body.startRow; break;
        case Move::ColumnEnd: row = body.endRow; break;
        case Move::First: col = body.startCol; row = body.startRow; break;
        case Move::Last: col = body.endCol; row = body.endRow; break;
        }
        const auto inBody = [&body](QPoint p) {
            return QPoint(std::clamp(p.x(), body.startCol, body.endCol), std::clamp(p.y(), body.startRow, body.endRow));
        };
        cursor = inBody({col, row});
        anchor = nav.extend ? inBody(anchor) : cursor;
        grid->setSelection(cursorRange().startCol, cursorRange().startRow, cursorRange().endCol, cursorRange().endRow);
    }

    // Whether the widget takes a key pressed on the grid (and so no host shortcut may).
    bool takesKey(const QKeyEvent& e) const
    {
        if ((features & Keyboard) && navigationOf(e)) return true;
        return (features & TypedEntry) && !MapEdits::selectionOf(*grid).isEmpty() && (startsEntry(e) || editsCell(e));
    }

    bool keyPressed(QKeyEvent& e)
    {
        // A key that reaches the grid while an entry is open (typed before the focus moved) is
        // the entry's.
        if (editor && editor->isVisible()) {
            QCoreApplication::sendEvent(editor, &e);
            return true;
        }
        if (!takesKey(e)) return false;
        if (const std::optional<Navigation> nav = (features & Keyboard) ? navigationOf(e) : std::nullopt) {
            navigate(*nav);
        } else if (startsEntry(e)) {
            openEntry(e.text());
        } else {
            const CellRange selection = MapEdits::selectionOf(*grid);
            openEntry(QString::fromStdString(grid->Cells(selection.startCol, selection.startRow)));
        }
        return true;
    }

    // ---- typed entry ----

    void openEntry(const QString& text)
    {
        const CellRange selection = MapEdits::selectionOf(*grid);
        if (selection.isEmpty()) return;
        if (!editor) {
            editor = new QLineEdit(q);
            editor->setObjectName(QStringLiteral("valueEntry"));
            editor->setFrame(false);
            editor->installEventFilter(this);
            QObject::connect(editor, &QLineEdit::returnPressed, this, [this] { commitEntry(); });
        }
        placeEntry();
        editor->setText(text);
        editor->show();
        editor->raise();
        editor->setFocus(Qt::OtherFocusReason);
        Q_EMIT q->statusMessage(QStringLiteral("Value for %1: Enter sets it, Escape cancels")
                                    .arg(cells(selection.columns() * selection.rows())));
    }

    // Over the selection's first cell, in the grid's font, wide enough for a value.
    void placeEntry()
    {
        const CellRange selection = grid ? MapEdits::selectionOf(*grid) : CellRange{};
        if (!editor || selection.isEmpty()) return;
        editor->setFont(grid->Widget()->font());
        QRect at = q->cellRect(selection.startCol, selection.startRow);
        at.setWidth(std::max(at.width(), editor->fontMetrics().horizontalAdvance(QStringLiteral("00000.00"))));
        editor->setGeometry(at);
    }

    void commitEntry()
    {
        if (!editor || !editor->isVisible()) return;
        if (!q->setSelectedValue(editor->text())) {
            editor->selectAll();  // stays open to be put right
            return;
        }
        closeEntry();
    }

    void closeEntry()
    {
        if (!editor || !editor->isVisible()) return;
        closingEntry = true;
        // Also in a window that is not active, where the editor is only the window's focus child.
        if (grid && (editor->hasFocus() || q->window()->focusWidget() == editor))
            grid->Widget()->setFocus(Qt::OtherFocusReason);
        editor->hide();
        closingEntry = false;
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The grid's Qt widget, told by its own pointer: the grid may be going while it goes.
        if (grid && watched == surface) {
            if (event->type() == QEvent::ShortcutOverride) {
                // Just before Qt matches the key against the shortcuts: the actions' states
                // follow a selection that the host may have written directly.
                refreshActions();
                auto* key = static_cast<QKeyEvent*>(event);
                if (takesKey(*key)) {
                    key->accept();
                    return true;
                }
            } else if (event->type() == QEvent::KeyPress) {
                return keyPressed(*static_cast<QKeyEvent*>(event));
            }
        } else if (editor && watched == editor) {
            if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                closeEntry();
                Q_EMIT q->statusMessage(QStringLiteral("Entry cancelled"));
                return true;
            }
            if (event->type() == QEvent::FocusOut && !closingEntry) {
                // Leaving the entry for another place cancels it; a menu or another window
                // coming up does not.
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) closeEntry();
            }
        }
        return false;
    }

    // ---- actions and the pop-up menu ----

    QAction*& actionOf(Command command) { return actions[static_cast<std::size_t>(command)]; }

    void createActions()
    {
        const auto make = [this](Command command, const QString& text, QList<QKeySequence> keys) {
            auto* action = new QAction(text, q);
            action->setObjectName(QString::fromLatin1(QMetaEnum::fromType<Command>().valueToKey(static_cast<int>(command))));
            action->setShortcuts(keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            actionOf(command) = action;
            return action;
        };
        QAction* undo = history.createUndoAction(q, QStringLiteral("Undo"));
        undo->setObjectName(QStringLiteral("Undo"));
        undo->setShortcuts(QKeySequence::Undo);
        undo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        actionOf(Command::Undo) = undo;
        QAction* redo = history.createRedoAction(q, QStringLiteral("Redo"));
        redo->setObjectName(QStringLiteral("Redo"));
        QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
        for (const QKeySequence& key : {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
            if (!redoKeys.contains(key)) redoKeys << key;
        redo->setShortcuts(redoKeys);
        redo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        actionOf(Command::Redo) = redo;

        QObject::connect(make(Command::Copy, QStringLiteral("Copy"), QKeySequence::keyBindings(QKeySequence::Copy)),
                         &QAction::triggered, q, &MapGridWidget::copy);
        QObject::connect(make(Command::Paste, QStringLiteral("Paste"), QKeySequence::keyBindings(QKeySequence::Paste)),
                         &QAction::triggered, q, &MapGridWidget::paste);
        QObject::connect(
            make(Command::SelectAll, QStringLiteral("Select All"), QKeySequence::keyBindings(QKeySequence::SelectAll)),
            &QAction::triggered, q, &MapGridWidget::selectAll);
        QObject::connect(make(Command::SetValue, QStringLiteral("Set Value..."), {}), &QAction::triggered, q,
                         &MapGridWidget::openSetValueDialog);
        QObject::connect(make(Command::Multiply, QStringLiteral("Multiply..."), {}), &QAction::triggered, q,
                         &MapGridWidget::openMultiplyDialog);
        QObject::connect(make(Command::InterpolateHorizontally, QStringLiteral("Interpolate Horizontally"), {}),
                         &QAction::triggered, q, &MapGridWidget::interpolateHorizontally);
        QObject::connect(make(Command::InterpolateVertically, QStringLiteral("Interpolate Vertically"), {}),
                         &QAction::triggered, q, &MapGridWidget::interpolateVertically);
        QObject::connect(make(Command::Smooth, QStringLiteral("Smooth"), {}), &QAction::triggered, q,
                         &MapGridWidget::smooth);
        QAction* heat = make(Command::HeatMap, QStringLiteral("Heat Map"), {});
        heat->setCheckable(true);
        QObject::connect(heat, &QAction::toggled, q, [this](bool on) { q->setFeature(HeatMap, on); });

        for (QAction* action : actions)
            if (action != heat) q->addAction(action);
        for (QAction*& separator : separators) {
            separator = new QAction(q);
            separator->setSeparator(true);
        }
        refreshActions();
    }

    void refreshActions()
    {
        const CellRange selection = grid ? MapEdits::selectionOf(*grid) : CellRange{};
        const bool some = !selection.isEmpty();
        const auto offer = [this](Command command, Feature feature, bool enabled) {
            QAction* action = actionOf(command);
            action->setVisible(features & feature);
            action->setEnabled(grid && (features & feature) && enabled);
        };
        offer(Command::Copy, Clipboard, some);
        offer(Command::Paste, Clipboard, some);
        offer(Command::SelectAll, Keyboard, grid && !MapEdits::bodyOf(*grid).isEmpty());
        offer(Command::SetValue, ValueDialogs, some);
        offer(Command::Multiply, ValueDialogs, some);
        offer(Command::InterpolateHorizontally, Interpolation, MapEdits::canInterpolateAlongRows(selection));
        offer(Command::InterpolateVertically, Interpolation, MapEdits::canInterpolateAlongColumns(selection));
        offer(Command::Smooth, Interpolation, MapEdits::canSmooth(selection));
        // The history enables these by whether there is a step to take.
        actionOf(Command::Undo)->setVisible(features & UndoRedo);
        actionOf(Command::Redo)->setVisible(features & UndoRedo);
        QAction* heat = actionOf(Command::HeatMap);
        const QSignalBlocker quiet(heat);
        heat->setChecked(features & HeatMap);
        heat->setEnabled(grid != nullptr);
    }

    // The grid's pop-up menu offers the commands of the features that are on, after its own
    // items; "Set Value" and "Multiply" open their dialogs while ValueDialogs is on and are
    // the grid's inert items otherwise.
    void updatePopup()
    {
        TPopupMenu* popup = grid ? grid->PopupMenu() : nullptr;
        QMenu* menu = popup ? popup->Menu() : nullptr;
        if (popupMenu) {
            for (QAction* action : std::as_const(popupActions)) popupMenu->removeAction(action);
            QObject::disconnect(popupShown);
        }
        qDeleteAll(popupSeparators);
        popupSeparators.clear();
        popupActions.clear();
        popupMenu = menu;
        if (!menu) return;

        struct Group {
            Feature feature;
            QList<Command> commands;
        };
        const Group groups[] = {
            {Interpolation, {Command::InterpolateHorizontally, Command::InterpolateVertically, Command::Smooth}},
            {UndoRedo, {Command::Undo, Command::Redo}},
            {Clipboard, {Command::Copy, Command::Paste}},
        };
        for (const Group& group : groups) {
            if (!features.testFlag(group.feature)) continue;
            popupSeparators << menu->addSeparator();
            for (Command command : group.commands) {
                popupActions << actionOf(command);
                menu->addAction(actionOf(command));
            }
        }
        popupShown = QObject::connect(menu, &QMenu::aboutToShow, this, [this] { refreshActions(); });

        const bool dialogs = features & ValueDialogs;
        if (TMenuItem* item = popup->Items()->Find("Set Value")) {
            item->SetEnabled(dialogs);
            item->OnClick = dialogs ? TNotifyEvent([this](TObject*) { q->openSetValueDialog(); })
                                    : Bind(grid, &TMapGrid::setCells);
        }
        if (TMenuItem* item = popup->Items()->Find("Multiply")) {
            item->SetEnabled(dialogs);
            item->OnClick = dialogs ? TNotifyEvent([this](TObject*) { q->openMultiplyDialog(); })
                                    : Bind(grid, &TMapGrid::mulCells);
        }
    }

    void applyFeatures(Features before)
    {
        if (!grid) return;
        const Features switchedOn = features & ~before;
        const Features switchedOff = before & ~features;
        if ((switchedOn & Keyboard) && MapEdits::selectionOf(*grid).isEmpty()) {
            const CellRange body = MapEdits::bodyOf(*grid);
            if (!body.isEmpty()) select({body.startCol, body.startRow, body.startCol, body.startRow});
        }
        if (switchedOff & UndoRedo) history.clear();
        if (switchedOff & TypedEntry) closeEntry();
        if ((switchedOn | switchedOff) & HeatMap) {
            grid->OnDrawCell = (features & HeatMap) ? TDrawCellEvent(Bind(&painter, &HeatMapPainter::drawCell))
                                                    : TDrawCellEvent(Bind(grid, &TMapGrid::myDrawCell));
            grid->Repaint();
        }
        refreshActions();
        updatePopup();
    }

    MapGridWidget* q;
    TMapGrid* grid;
    QWidget* surface = nullptr;  // the grid's Qt widget; gone with the grid
    HeatMapPainter painter;
    Features features = NoFeatures;
    QUndoStack history;
    std::array<QAction*, kCommandCount> actions{};
    std::array<QAction*, 3> separators{};  // between the groups of editActions()
    QString commandName;  // of the command whose values are being written
    int changedCount = 0;
    bool replaying = false;
    int traceBatch = 0;
    bool traceDirty = false;
    QPoint anchor{-1, -1};
    QPoint cursor{-1, -1};
    QPointer<QLineEdit> editor;
    bool closingEntry = false;
    QPointer<QInputDialog> dialog;
    QPointer<QMenu> popupMenu;
    QList<QAction*> popupActions;
    QList<QAction*> popupSeparators;
    QMetaObject::Connection popupShown;

private:
    // By now the grid has destroyed its Qt widget, which left this widget's children, and its
    // pop-up menu with the commands added to it.
    void ObjectFreed(TObject*) override
    {
        grid = nullptr;
        surface = nullptr;
        closeEntry();
        popupSeparators.clear();
        popupActions.clear();
        history.clear();
        refreshActions();
        q->update();
    }
};

MapGridWidget::MapGridWidget(QWidget* parent) : MapGridWidget(parent, nullptr) {}

MapGridWidget::MapGridWidget(QWidget* parent, TComponent* owner)
    : QWidget(parent), d(std::make_unique<Private>(this, owner))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

// The grid goes before QWidget's own destructor would delete its Qt widget as a child.
MapGridWidget::~MapGridWidget() { d.reset(); }

TMapGrid* MapGridWidget::grid() const { return d->grid; }

bool MapGridWidget::mapTrace() const { return d->grid && d->grid->mapTrace; }
int MapGridWidget::xVal() const { return d->grid ? d->grid->xVal : 0; }
int MapGridWidget::yVal() const { return d->grid ? d->grid->yVal : 0; }
int MapGridWidget::maxX() const { return d->grid ? d->grid->maxX : 0; }
int MapGridWidget::maxY() const { return d->grid ? d->grid->maxY : 0; }

void MapGridWidget::setMapTrace(bool on)
{
    if (d->grid) d->grid->setMapTrace(on);
}

// Setting the point in axis units ends an exact point given in display units.
void MapGridWidget::setXVal(int x)
{
    if (!d->grid) return;
    const bool wasExact = std::exchange(d->exactPoint, std::nullopt).has_value();
    d->changeTrace([&] { d->grid->setX(axisUnits(x)); }, wasExact);
}

void MapGridWidget::setYVal(int y)
{
    if (!d->grid) return;
    const bool wasExact = std::exchange(d->exactPoint, std::nullopt).has_value();
    d->changeTrace([&] { d->grid->setY(axisUnits(y)); }, wasExact);
}

void MapGridWidget::setOperatingPoint(int x, int y)
{
    if (!d->grid) return;
    const bool wasExact = std::exchange(d->exactPoint, std::nullopt).has_value();
    d->changeTrace(
        [&] {
            d->grid->setX(axisUnits(x));
            d->grid->setY(axisUnits(y));
        },
        wasExact);
}

void MapGridWidget::setOperatingPointInUnits(double speed, double pressure)
{
    if (!d->grid) return;
    const std::optional<int> x = MapEdits::axisUnitsOf(*d->grid, true, speed);
    const std::optional<int> y = MapEdits::axisUnitsOf(*d->grid, false, pressure);
    if (!x || !y) return;
    d->exactPoint = Private::ExactPoint{speed, pressure, axisUnits(*x), axisUnits(*y)};
    // The readout moves with the exact values even where the nearest axis units stay.
    d->changeTrace(
        [&] {
            d->grid->setX(axisUnits(*x));
            d->grid->setY(axisUnits(*y));
        },
        true);
}

void MapGridWidget::setMaxX(int limit)
{
    if (!d->grid || d->grid->maxX == axisUnits(limit)) return;
    d->changeTrace([&] {
        d->grid->maxX = axisUnits(limit);
        d->traceDirty = true;
        d->grid->setX(d->grid->xVal);
    });
}

void MapGridWidget::setMaxY(int limit)
{
    if (!d->grid || d->grid->maxY == axisUnits(limit)) return;
    d->changeTrace([&] {
        d->grid->maxY = axisUnits(limit);
        d->traceDirty = true;
        d->grid->setY(d->grid->yVal);
    });
}

MapGridReadout MapGridWidget::readout() const
{
    if (!d->grid) return {};
    const auto& exact = d->exactPoint;
    // Exact while the grid still traces the units they gave (a host may have set others on it).
    const bool speedExact = exact && exact->x == d->grid->xVal;
    const bool pressureExact = exact && exact->y == d->grid->yVal;
    return MapEdits::readoutOf(*d->grid, speedExact ? std::optional(exact->speed) : std::nullopt,
                               pressureExact ? std::optional(exact->pressure) : std::nullopt);
}

void MapGridWidget::setShape(int columns, int rows)
{
    if (!d->grid) return;
    d->closeEntry();
    d->grid->SetColCount(std::clamp(columns, 1, TStringGrid::MaxCount));
    d->grid->SetRowCount(std::clamp(rows, 1, TStringGrid::MaxCount));
    // Column widths, row heights and the font follow the cell counts only at a size message.
    TWMSize fit;
    d->grid->Dispatch(&fit);
    updateGeometry();
    d->refreshActions();
}

QSize MapGridWidget::sizeHint() const
{
    if (!d->grid) return {kCellWidth, kCellHeight};
    return {d->grid->ColCount() * kCellWidth, d->grid->RowCount() * kCellHeight};
}

QSize MapGridWidget::minimumSizeHint() const
{
    if (!d->grid) return {kMinCellWidth, kMinCellHeight};
    return {d->grid->ColCount() * kMinCellWidth, d->grid->RowCount() * kMinCellHeight};
}

void MapGridWidget::resizeEvent(QResizeEvent* event)
{
    if (d->grid) d->grid->SetBounds(0, 0, event->size().width(), event->size().height());
    d->placeEntry();
    QWidget::resizeEvent(event);
}

// ---- features and commands ----

MapGridWidget::Features MapGridWidget::features() const { return d->features; }

void MapGridWidget::setFeatures(Features features)
{
    features &= AllFeatures;
    if (features == d->features) return;
    const Features before = std::exchange(d->features, features);
    d->applyFeatures(before);
    Q_EMIT featuresChanged(features);
}

void MapGridWidget::setFeature(Feature feature, bool on) { setFeatures(on ? d->features | feature : d->features & ~Features(feature)); }

QAction* MapGridWidget::action(Command command) const
{
    const auto index = static_cast<std::size_t>(command);
    return index < d->actions.size() ? d->actions[index] : nullptr;
}

QList<QAction*> MapGridWidget::editActions() const
{
    const auto& s = d->separators;
    return {action(Command::Undo), action(Command::Redo), s[0], action(Command::Copy), action(Command::Paste),
            action(Command::SelectAll), s[1], action(Command::SetValue), action(Command::Multiply), s[2],
            action(Command::InterpolateHorizontally), action(Command::InterpolateVertically), action(Command::Smooth)};
}

QUndoStack* MapGridWidget::undoStack() const { return &d->history; }

void MapGridWidget::undo()
{
    if (!d->history.canUndo()) return;
    const QString text = d->history.undoText();
    d->history.undo();
    Q_EMIT statusMessage(QStringLiteral("Undone: %1").arg(text));
}

void MapGridWidget::redo()
{
    if (!d->history.canRedo()) return;
    const QString text = d->history.redoText();
    d->history.redo();
    Q_EMIT statusMessage(QStringLiteral("Redone: %1").arg(text));
}

void MapGridWidget::copy()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (selection.isEmpty()) {
        Q_EMIT statusMessage(kSelectFirst);
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(MapEdits::copiedText(*d->grid, selection)));
    Q_EMIT statusMessage(QStringLiteral("Copied %1 x %2 cells").arg(selection.columns()).arg(selection.rows()));
}

void MapGridWidget::paste()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (selection.isEmpty()) {
        Q_EMIT statusMessage(kSelectFirst);
        return;
    }
    const MapEdits::Paste paste =
        MapEdits::pasted(*d->grid, selection, QGuiApplication::clipboard()->text().toStdString());
    using Outcome = MapEdits::Paste::Outcome;
    switch (paste.outcome) {
    case Outcome::NothingToPaste: Q_EMIT statusMessage(QStringLiteral("Nothing pasted: the clipboard holds no values")); return;
    case Outcome::OutsideTheBody:
        Q_EMIT statusMessage(QStringLiteral("Nothing pasted: values go into the map's body, not its axes"));
        return;
    case Outcome::NotANumber:
        Q_EMIT statusMessage(QStringLiteral("Nothing pasted: row %1, column %2 of the clipboard holds %3, not a number")
                                 .arg(paste.bad.row)
                                 .arg(paste.bad.column)
                                 .arg(quoted(QString::fromStdString(paste.bad.text))));
        return;
    case Outcome::Pasted: break;
    }
    d->write(paste.edit, QStringLiteral("Paste"));
    d->select(paste.target);
    Q_EMIT statusMessage(QStringLiteral("Pasted %1 x %2 cells%3%4")
                             .arg(paste.target.columns())
                             .arg(paste.target.rows())
                             .arg(paste.cut ? QStringLiteral(", cut at the edge of the map") : QString())
                             .arg(fitsNote(paste.edit.fits)));
}

void MapGridWidget::selectAll()
{
    if (!d->grid) return;
    const CellRange body = MapEdits::bodyOf(*d->grid);
    if (!body.isEmpty()) d->select(body);
}

bool MapGridWidget::setSelectedValue(const QString& text)
{
    if (!d->grid) return false;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (selection.isEmpty()) {
        Q_EMIT statusMessage(kSelectFirst);
        return false;
    }
    const std::optional<MapEdits::Edit> edit = MapEdits::valueFromText(*d->grid, selection, text.toStdString());
    if (!edit) {
        Q_EMIT statusMessage(QStringLiteral("%1 is not a number: nothing set").arg(quoted(text.trimmed())));
        return false;
    }
    if (edit->values.empty()) {
        Q_EMIT statusMessage(QStringLiteral("The selection holds no map cells"));
        return false;
    }
    d->write(*edit, QStringLiteral("Set Value"));
    Q_EMIT statusMessage(QStringLiteral("Set %1 to %2%3")
                             .arg(cells(static_cast<int>(edit->values.size())), text.trimmed(), fitsNote(edit->fits)));
    return true;
}

bool MapGridWidget::multiplySelected(const QString& factor)
{
    if (!d->grid) return false;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (selection.isEmpty()) {
        Q_EMIT statusMessage(kSelectFirst);
        return false;
    }
    const std::optional<MapEdits::Edit> edit = MapEdits::scaled(*d->grid, selection, factor.toStdString());
    if (!edit) {
        Q_EMIT statusMessage(QStringLiteral("%1 is not a number: nothing multiplied").arg(quoted(factor.trimmed())));
        return false;
    }
    if (edit->values.empty()) {
        Q_EMIT statusMessage(QStringLiteral("The selection holds no map cells"));
        return false;
    }
    d->write(*edit, QStringLiteral("Multiply"));
    Q_EMIT statusMessage(QStringLiteral("Multiplied %1 by %2%3")
                             .arg(cells(static_cast<int>(edit->values.size())), factor.trimmed(), fitsNote(edit->fits)));
    return true;
}

namespace {

QString changedNote(int changed) { return changed == 0 ? QStringLiteral("no value changed") : cells(changed) + QStringLiteral(" changed"); }

} // namespace

void MapGridWidget::interpolateHorizontally()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (!MapEdits::canInterpolateAlongRows(selection)) {
        Q_EMIT statusMessage(QStringLiteral("Select three columns or more to interpolate horizontally"));
        return;
    }
    const int changed = d->write(MapEdits::interpolatedAlongRows(*d->grid, selection), QStringLiteral("Interpolate Horizontally"));
    Q_EMIT statusMessage(QStringLiteral("Interpolated horizontally: %1").arg(changedNote(changed)));
}

void MapGridWidget::interpolateVertically()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (!MapEdits::canInterpolateAlongColumns(selection)) {
        Q_EMIT statusMessage(QStringLiteral("Select three rows or more to interpolate vertically"));
        return;
    }
    const int changed = d->write(MapEdits::interpolatedAlongColumns(*d->grid, selection), QStringLiteral("Interpolate Vertically"));
    Q_EMIT statusMessage(QStringLiteral("Interpolated vertically: %1").arg(changedNote(changed)));
}

void MapGridWidget::smooth()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (!MapEdits::canSmooth(selection)) {
        Q_EMIT statusMessage(QStringLiteral("Select three rows or columns or more to smooth"));
        return;
    }
    const int changed = d->write(MapEdits::smoothed(*d->grid, selection), QStringLiteral("Smooth"));
    Q_EMIT statusMessage(QStringLiteral("Smoothed: %1").arg(changedNote(changed)));
}

void MapGridWidget::openSetValueDialog()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (selection.isEmpty()) {
        Q_EMIT statusMessage(kSelectFirst);
        return;
    }
    delete d->dialog.data();
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("setValueDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Set Value"));
    dialog->setLabelText(QStringLiteral("Value of the %1 selected:").arg(cells(selection.columns() * selection.rows())));
    dialog->setTextValue(QString::fromStdString(d->grid->Cells(selection.startCol, selection.startRow)));
    connect(dialog, &QInputDialog::textValueSelected, this, [this](const QString& text) { setSelectedValue(text); });
    d->dialog = dialog;
    dialog->open();
}

void MapGridWidget::openMultiplyDialog()
{
    if (!d->grid) return;
    const CellRange selection = MapEdits::selectionOf(*d->grid);
    if (selection.isEmpty()) {
        Q_EMIT statusMessage(kSelectFirst);
        return;
    }
    delete d->dialog.data();
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("multiplyDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Multiply"));
    dialog->setLabelText(QStringLiteral("Multiply the %1 selected by:").arg(cells(selection.columns() * selection.rows())));
    dialog->setTextValue(QStringLiteral("1.00"));
    connect(dialog, &QInputDialog::textValueSelected, this, [this](const QString& text) { multiplySelected(text); });
    d->dialog = dialog;
    dialog->open();
}

void MapGridWidget::setHeatRange(int low, int high)
{
    d->painter.setRange(low, high);
    if (d->grid && (d->features & HeatMap)) d->grid->Repaint();
}

// ---- geometry ----

QRect MapGridWidget::cellRect(int col, int row) const
{
    if (!d->grid || col < 0 || row < 0 || col >= d->grid->ColCount() || row >= d->grid->RowCount()) return {};
    const TRect r = d->grid->CellRect(col, row);
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top).translated(d->grid->Widget()->pos());
}

QPoint MapGridWidget::cellAt(QPoint point) const
{
    if (!d->grid) return {-1, -1};
    const QPoint at = point - d->grid->Widget()->pos();
    int col = -1;
    int row = -1;
    d->grid->MouseToCell(at.x(), at.y(), col, row);
    return {col, row};
}

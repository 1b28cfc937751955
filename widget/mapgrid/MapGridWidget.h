// MapGridWidget: the map grid control, TMapGrid, as a Qt widget for any Qt program. It hosts
// one grid sized to itself, so Qt layouts place it; passes focus and keys to it; and tells
// the program through signals when the selection, the cell values or the trace change.
//
//   auto* maps = new MapGridWidget(parent);
//   auto* body = new TMapData(maps->grid());  // a map owned by the grid goes with it
//   body->setRows(8);
//   body->setCols(8);
//   body->converter = new TIGNCellConverter;
//   maps->grid()->assignData(body, 1, 0);
//
// The editing features tuners expect (keyboard, typed values, undo, clipboard, interpolation
// along one axis, smoothing, a heat map) are off until the host turns them on:
//
//   maps->setFeatures(MapGridWidget::AllFeatures);
//   editMenu->addActions(maps->editActions());
//
// This header brings in the grid, the maps and the cell converters.
#pragma once

#include <QList>
#include <QWidget>

#include <limits>
#include <memory>

#include "data/CellConverters.h"
#include "data/MapData.h"
#include "grid/MapGrid.h"

class QAction;
class QUndoStack;

// The operating point in the display units of the maps: engine speed in rpm and pressure in
// kPa as the axes' converters show them, and the advance between the four body cells around
// the point, bilinear against the axis values. Beyond an axis's first or last value the
// value there holds. NaN where there is nothing to read: an axis without cells, or a body cell
// that the point needs and that holds no map cell.
struct MapGridReadout {
    double speed = std::numeric_limits<double>::quiet_NaN();
    double pressure = std::numeric_limits<double>::quiet_NaN();
    double advance = std::numeric_limits<double>::quiet_NaN();
};

class MapGridWidget : public QWidget {
    Q_OBJECT
    // The trace switch, the operating point and the trace limits. The four numbers are in
    // the axes' stored units, 0 .. 255; values beyond are taken as the nearer end.
    Q_PROPERTY(bool mapTrace READ mapTrace WRITE setMapTrace NOTIFY traceChanged)
    Q_PROPERTY(int xVal READ xVal WRITE setXVal NOTIFY traceChanged)
    Q_PROPERTY(int yVal READ yVal WRITE setYVal NOTIFY traceChanged)
    Q_PROPERTY(int maxX READ maxX WRITE setMaxX NOTIFY traceChanged)
    Q_PROPERTY(int maxY READ maxY WRITE setMaxY NOTIFY traceChanged)
    Q_PROPERTY(Features features READ features WRITE setFeatures NOTIFY featuresChanged)

public:
    // What the user may do beyond the grid's own mouse selection and menu. A feature that is
    // off takes no key, shows no command in the pop-up menu and hides its actions.
    enum Feature {
        NoFeatures = 0,
        // Arrows, Shift+arrows, Home, End, Page Up, Page Down, Ctrl+Home, Ctrl+End, Ctrl+A
        // (README: key map); the top-left body cell is selected when it comes on.
        Keyboard = 0x01,
        // A digit or "." (or F2) opens an entry over the selection's first cell; Enter sets
        // every selected cell to it, Escape cancels.
        TypedEntry = 0x02,
        // Every change of values one step of undoStack(): Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z.
        UndoRedo = 0x04,
        // Ctrl+C and Ctrl+V as tab-separated display texts, as spreadsheets paste them.
        Clipboard = 0x08,
        // The pop-up menu's "Set Value" and "Multiply", each with a small dialog.
        ValueDialogs = 0x10,
        // Interpolate Horizontally, Interpolate Vertically and Smooth.
        Interpolation = 0x20,
        // Body cells coloured by value on a perceptual scale, with black or white text, the
        // selection and the traced cell outlined, larger trace markers.
        HeatMap = 0x40,
        AllFeatures = 0x7F
    };
    Q_DECLARE_FLAGS(Features, Feature)
    Q_FLAG(Features)

    // The widget's commands, as actions for a host's menus and tool bars.
    enum class Command {
        Undo,
        Redo,
        Copy,
        Paste,
        SelectAll,
        SetValue,
        Multiply,
        InterpolateHorizontally,
        InterpolateVertically,
        Smooth,
        HeatMap,  // checkable: the HeatMap feature
    };
    Q_ENUM(Command)

    // The grid starts with 9 x 9 cells (8 pressure rows, 8 speed columns), no selection and
    // both trace limits at 255.
    explicit MapGridWidget(QWidget* parent = nullptr);
    // The grid is a component of owner as well: whichever of owner and this widget goes
    // first destroys it.
    MapGridWidget(QWidget* parent, TComponent* owner);
    ~MapGridWidget() override;

    // The hosted grid; null once its owner has destroyed it, after which the widget shows
    // nothing and its setters do nothing.
    TMapGrid* grid() const;

    bool mapTrace() const;
    int xVal() const;
    int yVal() const;
    int maxX() const;
    int maxY() const;

    // Gives the grid columns x rows cells (each count kept within 1 .. 1024) and fits
    // them to the widget.
    void setShape(int columns, int rows);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    Features features() const;
    // The action of a command; it is visible and enabled only while its feature is on (and,
    // for Undo and Redo, while there is a step to take). Its shortcut works while the grid
    // has the focus.
    QAction* action(Command command) const;
    // The commands for an Edit menu, in order, with separators between their groups.
    QList<QAction*> editActions() const;
    // The history of value changes while UndoRedo is on: a host marks a saved state with
    // setClean() and hears of unsaved changes through cleanChanged(). At most 1000 steps; the
    // oldest goes first. Its steps name grid positions: a host that binds other maps clears it.
    QUndoStack* undoStack() const;

    // The operating point in display units, with the advance there.
    MapGridReadout readout() const;

    // The rectangle of a cell in this widget's coordinates; empty for a position off the grid.
    QRect cellRect(int col, int row) const;
    // The cell under a point of this widget, or (-1, -1) off the cells.
    QPoint cellAt(QPoint point) const;

public Q_SLOTS:
    void setMapTrace(bool on);
    void setXVal(int x);
    void setYVal(int y);
    // Both coordinates at once, with one traceChanged.
    void setOperatingPoint(int x, int y);
    // A new limit traces the operating point again.
    void setMaxX(int limit);
    void setMaxY(int limit);
    // The operating point in display units (rpm, kPa; a log's 2750 rpm): the trace shows the
    // nearest axis units, and the readout keeps the exact values until the point is next set
    // in axis units. A value that is no finite number changes nothing.
    void setOperatingPointInUnits(double speed, double pressure);

    void setFeatures(Features features);
    void setFeature(Feature feature, bool on = true);

    // The commands. Each works on the current selection whatever the features, reports its
    // outcome through statusMessage, and changes values as one step.
    void undo();
    void redo();
    void copy();
    void paste();
    void selectAll();
    // Sets every selected cell to the value a text stands for in each cell's display units,
    // rounded to the nearest step and clamped to the cell's bounds. False, changing nothing,
    // when the text is no number.
    bool setSelectedValue(const QString& text);
    // Multiplies every selected cell by the factor a text stands for ("1.05"), read exactly
    // as the decimal it is written as, whatever the locale; rounded and clamped as above.
    // False, changing nothing, when the text is no number.
    bool multiplySelected(const QString& factor);
    void interpolateHorizontally();
    void interpolateVertically();
    void smooth();
    // The small dialogs behind "Set Value" and "Multiply"; they open and return at once.
    void openSetValueDialog();
    void openMultiplyDialog();
    // Sets every body cell's heat colour by where its value lies between low and high (stored
    // units); with low >= high each cell's own bounds (the default).
    void setHeatRange(int low, int high);

Q_SIGNALS:
    // The mouse changed the selection rectangle (the grid's selectStart/End fields).
    void selectionChanged();
    // One command changed cell values: every change, in the order made (see TMapGrid's
    // OnValuesChange).
    void valuesChanged(const TCellChanges& changes);
    // The trace switch, the operating point, the traced cell, a proximity or a limit changed.
    void traceChanged();
    // The operating point or the values around it changed.
    void readoutChanged(const MapGridReadout& readout);
    void featuresChanged(MapGridWidget::Features features);
    // What a command did, or why it did nothing: for a status bar.
    void statusMessage(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MapGridWidget::Features)

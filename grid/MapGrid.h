// Module MapGrid: TMapGrid, the control that shows calibration maps bound into a string
// grid, keeps a rectangular selection edited through its pop-up menu, and traces an
// operating point over the two axes.
//
// Arrangement for ColCount columns and RowCount rows: the pressure axis in column 0, rows
// 0 .. RowCount-2 (highest pressure on top); the engine-speed axis in row RowCount-1,
// columns 1 .. ColCount-1 (rising to the right); the body between them; the bottom-left
// corner empty. Every position is (column, row).
#pragma once

#include <functional>
#include <vector>

#include "data/MapData.h"
#include "platform/Messages.h"
#include "platform/StringGrid.h"

// A value written into the map cell bound at a grid position.
struct TCellValue {
    int col;
    int row;
    int value;
};

// A map cell's value changed at a grid position: before and after.
struct TCellChange {
    int col;
    int row;
    int oldValue;
    int newValue;
};
using TCellChanges = std::vector<TCellChange>;
using TCellsChangeEvent = std::function<void(TObject* Sender, const TCellChanges& Changes)>;

class TMapGrid : public TStringGrid {
public:
    explicit TMapGrid(TComponent* Owner);
    ~TMapGrid() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    void Dispatch(void* message) override;

    // Binds map cell (c, r) to grid cell (col + c, row + r); cells that fall off the grid are left out.
    void assignData(TMapData* data, unsigned int col, unsigned int row);
    void WMSize(TWMSize& Message);

    // The operating point and the trace switch; each recomputes what it must and repaints.
    void setMapTrace(bool on);
    void setX(unsigned char x);
    void setY(unsigned char y);

    // Applies one arithmetic operation to every selected cell and rewrites its text.
    void doMath(unsigned char op, float value);
    // Writes each value into the map cell bound at its position (the cell clamps it) and
    // rewrites the text; positions without a cell are left out.
    void setCellValues(const std::vector<TCellValue>& values);
    // Sets the selection rectangle (each bound kept within -1 .. 32767), updates the
    // "Interpolate" item as a mouse selection does, repaints, and raises OnSelectionChange when
    // the rectangle changed.
    void setSelection(int startCol, int startRow, int endCol, int endRow);

    void myDrawCell(TObject* Sender, int ACol, int ARow, TRect& Rect, TGridDrawState State);
    void myMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void myMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void myMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void myDblClick(TObject* Sender);
    void WMMouseMove(TWMMouse& Message);

    void incCells(TObject* Sender);
    void incCells1(TObject* Sender);
    void incCells5(TObject* Sender);
    void decCells(TObject* Sender);
    void decCells1(TObject* Sender);
    void decCells5(TObject* Sender);
    void setCells(TObject* Sender);
    void mulCells(TObject* Sender);
    void intCells(TObject* Sender);

    // Selection rectangle, inclusive; a negative value in any of the four means none.
    short selectStartRow = 0;
    short selectStartCol = 0;
    short selectEndRow = 0;
    short selectEndCol = 0;
    // Trace limits: the axis values at the outer edges beyond the last speed column and the
    // highest pressure row.
    unsigned char maxX = 0;
    unsigned char maxY = 0;
    unsigned char xVal = 0;
    unsigned char yVal = 0;

private:
    int mouseDownRow = -1;
    int mouseDownCol = -1;
    bool mouseHeld = false;

public:
    bool mapTrace = false;
    unsigned char proxX = 0;
    unsigned char proxY = 0;
    short traceX = 0;
    short traceY = 0;

    // For a host that shows more than the grid. None is set by the grid itself, so without
    // a host the grid behaves as if they did not exist. Each is raised once, after the change.
    // The mouse or setSelection changed the selection rectangle.
    TNotifyEvent OnSelectionChange;
    // A command (the menu's, doMath, intCells) or setCellValues changed cell values. The
    // changes come in the order they were made, so a cell changed twice is listed twice;
    // undoing them in reverse order restores every value. Not raised when no value changed.
    TCellsChangeEvent OnValuesChange;
    // setX, setY or setMapTrace changed the operating point, the traced cell, a proximity
    // or the trace switch.
    TNotifyEvent OnTraceChange;

private:
    struct SelectionRect {
        short startRow, startCol, endRow, endCol;
        bool operator==(const SelectionRect&) const = default;
    };
    struct TraceState {
        unsigned char xVal, yVal;
        bool mapTrace;
        short traceX, traceY;
        unsigned char proxX, proxY;
        bool operator==(const TraceState&) const = default;
    };
    SelectionRect selection() const { return {selectStartRow, selectStartCol, selectEndRow, selectEndCol}; }
    TraceState traceState() const { return {xVal, yVal, mapTrace, traceX, traceY, proxX, proxY}; }
    void reportSelection(const SelectionRect& before);
    void reportTrace(const TraceState& before);
    void reportValues(const TCellChanges& changes);

    struct TraceResult {
        short trace;
        unsigned char prox;
    };
    TMapCell* cellAt(int col, int row) const;
    TraceResult traceAxis(int lower, int upper, unsigned char point, unsigned char outerLimit, bool speedAxis) const;
    int axisValue(int position, bool speedAxis, bool& bound) const;
    int nextBoundPosition(int from, int step, int end, bool speedAxis) const;
    void drawTraceMarkers(HDC dc);
    void updateInterpolateItem();
    void showValue(int col, int row, TMapCell* cell);
    template <class LineAt, class AxisAt>
    void interpolateLine(int first, int last, int end, LineAt at, AxisAt axisAt, TCellChanges& changes);
    void interpolateRow(int row, TCellChanges& changes);
    void interpolateColumn(int col, TCellChanges& changes);
};

namespace Mapgrid {

// Makes TMapGrid creatable by its class name from a form description.
void RegisterClasses();
// Design-time registration: puts TMapGrid on the palette page "Kestrion".
void Register();

} // namespace Mapgrid

#include "grid/MapGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "platform/DrawingContext.h"
#include "platform/Menus.h"
#include "platform/Properties.h"
#include "platform/Registry.h"

namespace {

// The scaling factors are the single-precision values nearest to the decimal ones.
constexpr float kPlus1Percent = std::bit_cast<float>(0x3F8147AEu);   // 1.01
constexpr float kPlus5Percent = std::bit_cast<float>(0x3F866666u);   // 1.05
constexpr float kMinus1Percent = std::bit_cast<float>(0x3F7D70A4u);  // 0.99
constexpr float kMinus5Percent = std::bit_cast<float>(0x3F733333u);  // 0.95

constexpr TColor kPlainColor = 0x000000;
constexpr TColor kSelectedColor = 0x646464;
constexpr TColor kTracedColor = 0x646414;
constexpr TColor kMarkerColor = 0x0000FF;
constexpr TColor kTextColor = 0xFFFFFF;

// Fitting never grows the font past this; only a control thousands of pixels wide reaches it.
constexpr int kMaxFontSize = 720;

// Truncates toward zero into the 32-bit range, saturating; the cell's clamp does the rest.
int truncateToInt(long double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0L) return std::numeric_limits<int>::max();
    if (v <= -2147483648.0L) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

} // namespace

TMapGrid::TMapGrid(TComponent* Owner) : TStringGrid(Owner)
{
    OnDrawCell = Bind(this, &TMapGrid::myDrawCell);
    OnMouseMove = Bind(this, &TMapGrid::myMouseMove);
    OnMouseDown = Bind(this, &TMapGrid::myMouseDown);
    OnMouseUp = Bind(this, &TMapGrid::myMouseUp);
    OnDblClick = Bind(this, &TMapGrid::myDblClick);

    mouseDownRow = -1;
    mouseDownCol = -1;
    mouseHeld = false;

    SetPopupMenu(NewPopupMenu(this, "gridPopup", paLeft, true, {}));
    struct ItemSpec {
        const char* caption;
        const char* name;
        bool enabled;
        void (TMapGrid::*handler)(TObject*);
    };
    const ItemSpec items[] = {
        {"Increment", "inc", true, &TMapGrid::incCells},
        {"Increment 1%", "inc1", true, &TMapGrid::incCells1},
        {"Increment 5%", "inc5", true, &TMapGrid::incCells5},
        {"Decrement", "dec", true, &TMapGrid::decCells},
        {"Decrement 1%", "dec1", true, &TMapGrid::decCells1},
        {"Decrement 5%", "dec5", true, &TMapGrid::decCells5},
        {"-", "separator1", true, nullptr},
        {"Set Value", "setval", false, &TMapGrid::setCells},
        {"Multiply", "mult", false, &TMapGrid::mulCells},
        {"Interpolate", "int", false, &TMapGrid::intCells},
    };
    for (const ItemSpec& item : items) {
        TNotifyEvent onClick = item.handler ? Bind(this, item.handler) : TNotifyEvent();
        PopupMenu()->Items()->Add(NewItem(item.caption, 0, false, item.enabled, onClick, 0, item.name));
    }
}

// Only the grid's own menu: one a host gave it may serve other controls too, and one freed
// before the grid is no longer its PopupMenu.
TMapGrid::~TMapGrid()
{
    if (PopupMenu() && PopupMenu()->Owner() == this) PopupMenu()->Items()->Clear();
}

const TClassInfo& TMapGrid::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TMapGrid>(props)
            .Int("selectStartRow", &TMapGrid::selectStartRow, -1)
            .Int("selectStartCol", &TMapGrid::selectStartCol, -1)
            .Int("selectEndRow", &TMapGrid::selectEndRow, -1)
            .Int("selectEndCol", &TMapGrid::selectEndCol, -1)
            .Bool("mapTrace", &TMapGrid::mapTrace, &TMapGrid::setMapTrace, true)
            .Char("xVal", &TMapGrid::xVal, &TMapGrid::setX, 0)
            .Char("yVal", &TMapGrid::yVal, &TMapGrid::setY, 0)
            .Char("maxX", &TMapGrid::maxX, 255)
            .Char("maxY", &TMapGrid::maxY, 255)
            .Int("traceX", &TMapGrid::traceX, -1)
            .Int("traceY", &TMapGrid::traceY, -1)
            // -1 matches no 8-bit value, so the proximities are always written.
            .Char("proxX", &TMapGrid::proxX, -1)
            .Char("proxY", &TMapGrid::proxY, -1);
        return TClassInfo("TMapGrid", &TStringGrid::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TMapGrid::ClassInfo() const { return StaticClassInfo(); }

// The grid takes size and pointer moves for itself: the base grid's own handling of them
// never runs, so OnMouseMove is never raised.
void TMapGrid::Dispatch(void* message)
{
    switch (*static_cast<const UINT*>(message)) {
    case WM_SIZE: WMSize(*static_cast<TWMSize*>(message)); break;
    case WM_MOUSEMOVE: WMMouseMove(*static_cast<TWMMouse*>(message)); break;
    default: TStringGrid::Dispatch(message); break;
    }
}

TMapCell* TMapGrid::cellAt(int col, int row) const { return dynamic_cast<TMapCell*>(Objects(col, row)); }

void TMapGrid::assignData(TMapData* data, unsigned int col, unsigned int row)
{
    if (!data) return;
    // Sums in 64 bits: an offset near the top of the unsigned range must not wrap back onto the grid.
    for (unsigned long long r = 0; r < data->Rows && row + r < static_cast<unsigned long long>(RowCount()); ++r)
        for (unsigned long long c = 0; c < data->Cols && col + c < static_cast<unsigned long long>(ColCount()); ++c) {
            TMapCell* cell = data->getCells(static_cast<unsigned>(c), static_cast<unsigned>(r));
            const int gridCol = static_cast<int>(col + c);
            const int gridRow = static_cast<int>(row + r);
            SetObjects(gridCol, gridRow, cell);
            SetCells(gridCol, gridRow, cell ? cell->AsString() : std::string());
        }
}

void TMapGrid::WMSize(TWMSize&)
{
    SetDefaultColWidth(Width() / ColCount() - 1);
    SetDefaultRowHeight(Height() / RowCount() - 1);

    // From the current size, grow while seven average characters fit a column and one line a
    // row, or shrink until they do; a size reached by shrinking is confirmed one size up.
    int size = std::clamp(Font()->Size(), 1, kMaxFontSize);
    int previous = -1;
    for (;;) {
        Font()->SetSize(size);
        HDC dc = GetDC(Handle());
        SelectObject(dc, Font()->Handle());
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        ReleaseDC(Handle(), dc);
        const bool fits = 7 * tm.tmAveCharWidth <= DefaultColWidth() && tm.tmHeight <= DefaultRowHeight();
        if (fits && size < kMaxFontSize) {
            previous = size;
            ++size;
        } else if (fits) {
            break;
        } else if (previous >= 0 && previous < size) {
            size = previous;
            break;
        } else if (size == 1) {
            break;
        } else {
            previous = size;
            --size;
        }
    }
    Font()->SetSize(size);
}

void TMapGrid::setMapTrace(bool on)
{
    const TraceState before = traceState();
    mapTrace = on;
    Repaint();
    reportTrace(before);
}

// The value of the axis cell at a speed column or a pressure row; `bound` says whether
// there is one.
int TMapGrid::axisValue(int position, bool speedAxis, bool& bound) const
{
    const TMapCell* cell = speedAxis ? cellAt(position, RowCount() - 1) : cellAt(0, position);
    bound = cell != nullptr;
    return cell ? cell->cellValue : 0;
}

// The first position from `from`, stepping by `step` up to `end` (excluded), that holds an
// axis cell, or -1. Positions without one take no part in the trace.
int TMapGrid::nextBoundPosition(int from, int step, int end, bool speedAxis) const
{
    for (int p = from; p != end; p += step) {
        bool bound = false;
        axisValue(p, speedAxis, bound);
        if (bound) return p;
    }
    return -1;
}

// Turns the search's lower and upper positions into the traced position and its proximity:
// 100 on an axis value, 0 half-way to the neighbour (or at the outer edge).
TMapGrid::TraceResult TMapGrid::traceAxis(int lower, int upper, unsigned char point, unsigned char outerLimit,
                                          bool speedAxis) const
{
    bool bound = false;
    // The interval ends are the low 8 bits of the axis values.
    const unsigned char lo = lower >= 0 ? static_cast<unsigned char>(axisValue(lower, speedAxis, bound)) : 0;
    const unsigned char hi = upper >= 0 ? static_cast<unsigned char>(axisValue(upper, speedAxis, bound)) : outerLimit;
    if (hi == lo) return {static_cast<short>(lower), 100};

    const int p = ((point - lo) * 200) / (hi - lo);
    const auto q = static_cast<unsigned char>(p);  // kept in 8 bits on purpose: beyond the limit it wraps
    if (lower < 0) return {static_cast<short>(upper), static_cast<unsigned char>(q / 2)};
    if (upper < 0) return {static_cast<short>(lower), static_cast<unsigned char>(100 - q / 2)};
    if (q <= 100) return {static_cast<short>(lower), static_cast<unsigned char>(100 - q)};
    return {static_cast<short>(upper), static_cast<unsigned char>(q - 100)};
}

void TMapGrid::setX(unsigned char x)
{
    const TraceState before = traceState();
    xVal = x;
    // Later columns overwrite earlier ones: the last value not above x, the last equal to it.
    int lower = -1;
    int upper = -1;
    for (int c = 1; c < ColCount(); ++c) {
        bool bound = false;
        const int v = axisValue(c, true, bound);
        if (!bound) continue;
        if (v <= x) lower = c;
        if (v == x) upper = c;
    }
    if (lower == -1) upper = nextBoundPosition(1, 1, ColCount(), true);
    else if (lower < ColCount() - 1 && upper == -1) upper = nextBoundPosition(lower + 1, 1, ColCount(), true);

    const TraceResult r = traceAxis(lower, upper, x, maxX, true);
    traceX = r.trace;
    proxX = r.prox;
    Repaint();
    reportTrace(before);
}

void TMapGrid::setY(unsigned char y)
{
    const TraceState before = traceState();
    yVal = y;
    // Bottom to top, so the topmost row whose value is not above y wins.
    int lower = -1;
    int upper = -1;
    for (int r = RowCount() - 2; r >= 0; --r) {
        bool bound = false;
        const int v = axisValue(r, false, bound);
        if (!bound) continue;
        if (v <= y) lower = r;
        if (v == y) upper = r;
    }
    if (lower == -1) upper = nextBoundPosition(RowCount() - 2, -1, -1, false);
    else if (lower > 0 && upper == -1) upper = nextBoundPosition(lower - 1, -1, -1, false);

    const TraceResult r = traceAxis(lower, upper, y, maxY, false);
    traceY = r.trace;
    proxY = r.prox;
    Repaint();
    reportTrace(before);
}

void TMapGrid::myDrawCell(TObject*, int ACol, int ARow, TRect& Rect, TGridDrawState)
{
    // A context of the whole window: markers may reach into the neighbouring cells.
    HDC dc = GetDC(Handle());
    SelectObject(dc, Font()->Handle());

    TColor color = kPlainColor;
    if (selectStartCol <= ACol && selectStartRow <= ARow && ACol <= selectEndCol && ARow <= selectEndRow)
        color = kSelectedColor;
    if (traceX == ACol && traceY == ARow && mapTrace) color = kTracedColor;

    SetBkColor(dc, static_cast<COLORREF>(color));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, static_cast<COLORREF>(color));
    Rectangle(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);

    // Signed differences: every cell up to one column right of and one row below the traced
    // cell draws the markers again, so whichever of its neighbours paints last, they stay.
    if (mapTrace && ACol - traceX < 2 && ARow - traceY < 2) drawTraceMarkers(dc);

    SetTextColor(dc, static_cast<COLORREF>(kTextColor));
    const std::string& text = Cells(ACol, ARow);
    RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    ReleaseDC(Handle(), dc);
}

void TMapGrid::drawTraceMarkers(HDC dc)
{
    const TMapCell* speedCell = cellAt(traceX, RowCount() - 1);
    const TMapCell* pressureCell = cellAt(0, traceY);
    // Without both axis cells there is no side to put a marker on.
    if (!speedCell || !pressureCell) return;

    SetDCBrushColor(dc, static_cast<COLORREF>(kMarkerColor));
    const TRect t = CellRect(traceX, traceY);
    const int d = (t.Bottom - t.Top) / 10;

    const int hw = (t.Right - t.Left) / 2;
    const int px = speedCell->cellValue > xVal ? t.Left + (hw * proxX) / 100 : t.Right - (hw * proxX) / 100;
    const int hh = (t.Bottom - t.Top) / 2;
    const int py = pressureCell->cellValue > yVal ? t.Bottom - (hh * proxY) / 100 : t.Top + (hh * proxY) / 100;

    Ellipse(dc, px - d, t.Bottom - d, px + d, t.Bottom + d);
    Ellipse(dc, t.Left - d, py - d, t.Left + d, py + d);
}

void TMapGrid::updateInterpolateItem()
{
    TMenuItem* item = PopupMenu() ? PopupMenu()->Items()->Find("Interpolate") : nullptr;
    if (!item) return;
    item->SetEnabled(selectEndRow - selectStartRow >= 2 || selectEndCol - selectStartCol >= 2);
}

void TMapGrid::myMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button != mbLeft) return;
    const SelectionRect before = selection();
    mouseHeld = true;
    int col = -1;
    int row = -1;
    MouseToCell(X, Y, col, row);
    mouseDownCol = col;
    mouseDownRow = row;

    const int axisRow = RowCount() - 1;
    if (col == 0 && row < axisRow) {
        selectStartCol = 1;
        selectStartRow = static_cast<short>(row);
        selectEndCol = static_cast<short>(ColCount() - 1);
        selectEndRow = static_cast<short>(row);
    } else if (row == axisRow && col > 0) {
        selectStartCol = static_cast<short>(col);
        selectStartRow = 0;
        selectEndCol = static_cast<short>(col);
        selectEndRow = static_cast<short>(RowCount() - 2);
    } else if (row < axisRow && col > 0) {
        selectStartCol = static_cast<short>(col);
        selectStartRow = static_cast<short>(row);
        selectEndCol = static_cast<short>(col);
        selectEndRow = static_cast<short>(row);
    }
    updateInterpolateItem();
    Repaint();
    reportSelection(before);
}

void TMapGrid::WMMouseMove(TWMMouse& Message)
{
    if (!mouseHeld) return;
    const SelectionRect before = selection();
    int col = -1;
    int row = -1;
    MouseToCell(Message.XPos, Message.YPos, col, row);
    const int axisRow = RowCount() - 1;

    // Each rule sees what the one before it changed.
    if (mouseDownCol == 0 && selectStartRow <= row && selectEndRow != row && row < axisRow) {
        selectEndRow = static_cast<short>(row);
        Repaint();
    }
    if (mouseDownRow == axisRow && selectStartCol <= col && selectEndCol != col) {
        selectEndCol = static_cast<short>(col);
        Repaint();
    }
    if ((selectEndCol != col || selectEndRow != row) && col >= mouseDownCol && row >= mouseDownRow && col != 0 &&
        row < axisRow && mouseDownCol > 0) {
        selectEndRow = static_cast<short>(row);
        selectEndCol = static_cast<short>(col);
        Repaint();
    }
    updateInterpolateItem();
    reportSelection(before);
}

void TMapGrid::myMouseUp(TObject*, TMouseButton Button, TShiftState, int, int)
{
    if (Button == mbLeft) mouseHeld = false;
}

void TMapGrid::myMouseMove(TObject*, TShiftState, int, int) {}

void TMapGrid::myDblClick(TObject*)
{
    if (mouseDownRow != RowCount() - 1 || mouseDownCol != 0) return;
    const SelectionRect before = selection();
    selectStartCol = 1;
    selectStartRow = 0;
    selectEndCol = static_cast<short>(ColCount() - 1);
    selectEndRow = static_cast<short>(RowCount() - 2);
    if (TMenuItem* item = PopupMenu() ? PopupMenu()->Items()->Find("Interpolate") : nullptr) item->SetEnabled(true);
    Repaint();
    reportSelection(before);
}

void TMapGrid::doMath(unsigned char op, float value)
{
    if (selectStartRow < 0 || selectStartCol < 0 || selectEndRow < 0 || selectEndCol < 0) return;
    // Cells off the grid hold no map cell, so the walk stops at the grid's edge.
    const int lastRow = std::min<int>(selectEndRow, RowCount() - 1);
    const int lastCol = std::min<int>(selectEndCol, ColCount() - 1);
    TCellChanges changes;
    for (int row = selectStartRow; row <= lastRow; ++row)
        for (int col = selectStartCol; col <= lastCol; ++col) {
            TMapCell* cell = cellAt(col, row);
            if (!cell) continue;
            const int before = cell->cellValue;
            cell->doMath(op, value);
            showValue(col, row, cell);
            if (cell->cellValue != before) changes.push_back({col, row, before, cell->cellValue});
        }
    reportValues(changes);
}

void TMapGrid::setCellValues(const std::vector<TCellValue>& values)
{
    TCellChanges changes;
    for (const TCellValue& v : values) {
        TMapCell* cell = cellAt(v.col, v.row);
        if (!cell) continue;
        const int before = cell->cellValue;
        cell->setCellValue(v.value);
        showValue(v.col, v.row, cell);
        if (cell->cellValue != before) changes.push_back({v.col, v.row, before, cell->cellValue});
    }
    reportValues(changes);
}

void TMapGrid::setSelection(int startCol, int startRow, int endCol, int endRow)
{
    const SelectionRect before = selection();
    const auto bound = [](int v) { return static_cast<short>(std::clamp(v, -1, 32767)); };
    selectStartCol = bound(startCol);
    selectStartRow = bound(startRow);
    selectEndCol = bound(endCol);
    selectEndRow = bound(endRow);
    updateInterpolateItem();
    Repaint();
    reportSelection(before);
}

void TMapGrid::reportSelection(const SelectionRect& before)
{
    if (selection() != before && OnSelectionChange) OnSelectionChange(this);
}

void TMapGrid::reportTrace(const TraceState& before)
{
    if (traceState() != before && OnTraceChange) OnTraceChange(this);
}

void TMapGrid::reportValues(const TCellChanges& changes)
{
    if (!changes.empty() && OnValuesChange) OnValuesChange(this, changes);
}

// Sets the cell's text from its value; a map cell bound at more than one position shows its
// new value at each of them, not only where it was edited.
void TMapGrid::showValue(int col, int row, TMapCell* cell)
{
    const std::string text = cell->AsString();
    if (HoldCount(cell) > 1)
        for (int r = 0; r < RowCount(); ++r)
            for (int c = 0; c < ColCount(); ++c)
                if (Objects(c, r) == cell && (c != col || r != row)) SetCells(c, r, text);
    SetCells(col, row, text);
}

void TMapGrid::incCells(TObject*) { doMath('+', 1.0f); }
void TMapGrid::incCells1(TObject*) { doMath('*', kPlus1Percent); }
void TMapGrid::incCells5(TObject*) { doMath('*', kPlus5Percent); }
void TMapGrid::decCells(TObject*) { doMath('-', 1.0f); }
void TMapGrid::decCells1(TObject*) { doMath('*', kMinus1Percent); }
void TMapGrid::decCells5(TObject*) { doMath('*', kMinus5Percent); }
void TMapGrid::setCells(TObject*) {}
void TMapGrid::mulCells(TObject*) {}

void TMapGrid::intCells(TObject*)
{
    if (selectStartRow < 0 || selectStartCol < 0 || selectEndRow < 0 || selectEndCol < 0) return;
    const bool rowPass = selectEndCol - selectStartCol >= 2;
    const bool columnPass = selectEndRow - selectStartRow >= 2;
    TCellChanges changes;
    if (rowPass) {
        interpolateRow(selectStartRow, changes);
        if (selectEndRow > selectStartRow) interpolateRow(selectEndRow, changes);
    }
    if (columnPass)
        for (int col = selectStartCol; col <= selectEndCol && col < ColCount(); ++col) interpolateColumn(col, changes);
    reportValues(changes);
}

// Interpolates one line of cells, a row against the engine-speed axis or a column against
// the pressure axis, linearly in the axis values between its two end cells, which stay as
// they are. at(i) and axisAt(i) give the grid positions of the line's cell i and of its axis
// cell. Slope and offset are held in single precision; values are truncated toward zero.
template <class LineAt, class AxisAt>
void TMapGrid::interpolateLine(int first, int last, int end, LineAt at, AxisAt axisAt, TCellChanges& changes)
{
    const auto cell = [&](int i) { return cellAt(at(i).X, at(i).Y); };
    const auto axis = [&](int i) { return cellAt(axisAt(i).X, axisAt(i).Y); };
    const TMapCell* firstCell = cell(first);
    const TMapCell* lastCell = cell(last);
    const TMapCell* firstAxis = axis(first);
    const TMapCell* lastAxis = axis(last);
    // A line whose end has no axis value (column 0 on the speed axis) or whose ends share one
    // has no slope: it stays as it is.
    if (!firstCell || !lastCell || !firstAxis || !lastAxis || firstAxis->cellValue == lastAxis->cellValue) return;

    const long long rise = static_cast<long long>(lastCell->cellValue) - firstCell->cellValue;
    const long long run = static_cast<long long>(lastAxis->cellValue) - firstAxis->cellValue;
    const float slope = static_cast<float>(static_cast<long double>(rise) / static_cast<long double>(run));
    const float offset = static_cast<float>(static_cast<long double>(firstCell->cellValue) -
                                            static_cast<long double>(firstAxis->cellValue) * slope);
    for (int i = first + 1; i < last && i < end; ++i) {
        TMapCell* target = cell(i);
        const TMapCell* axisCell = axis(i);
        if (!target || !axisCell) continue;
        const int before = target->cellValue;
        target->setCellValue(truncateToInt(static_cast<long double>(axisCell->cellValue) * slope + offset));
        showValue(at(i).X, at(i).Y, target);
        if (target->cellValue != before) changes.push_back({at(i).X, at(i).Y, before, target->cellValue});
    }
}

void TMapGrid::interpolateRow(int row, TCellChanges& changes)
{
    const int axisRow = RowCount() - 1;
    interpolateLine(
        selectStartCol, selectEndCol, ColCount(), [row](int col) { return TPoint{col, row}; },
        [axisRow](int col) { return TPoint{col, axisRow}; }, changes);
}

void TMapGrid::interpolateColumn(int col, TCellChanges& changes)
{
    interpolateLine(
        selectStartRow, selectEndRow, RowCount(), [col](int row) { return TPoint{col, row}; },
        [](int row) { return TPoint{0, row}; }, changes);
}

namespace Mapgrid {

void RegisterClasses() { ::RegisterClass<TMapGrid>(); }

void Register()
{
    RegisterClasses();
    RegisterComponents("Kestrion", {&TMapGrid::StaticClassInfo()});
}

} // namespace Mapgrid

#include "platform/StringGrid.h"

#include <QRegion>

#include <algorithm>

#include "platform/Exception.h"
#include "platform/GdiPrivate.h"
#include "platform/Properties.h"

namespace {

constexpr int kMaxExtent = 65535;
constexpr TColor kGridLineColor = clGray;

int Clamp(long long v, int lo, int hi) { return static_cast<int>(std::clamp<long long>(v, lo, hi)); }

} // namespace

TStringGrid::TStringGrid(TComponent* owner) : TCustomControl(owner)
{
    SetColor(clWindow);
    cells_.resize(static_cast<size_t>(colCount_ * rowCount_));
}

TStringGrid::~TStringGrid()
{
    for (const auto& [object, count] : held_) UnwatchFree(object, this);
}

void TStringGrid::Hold(TObject* object)
{
    if (object && ++held_[object] == 1) WatchFree(object, this);
}

void TStringGrid::Unhold(TObject* object)
{
    auto it = object ? held_.find(object) : held_.end();
    if (it == held_.end() || --it->second > 0) return;
    held_.erase(it);
    UnwatchFree(object, this);
}

void TStringGrid::ObjectFreed(TObject* object)
{
    held_.erase(object);
    for (int r = 0; r < rowCount_; ++r)
        for (int c = 0; c < colCount_; ++c)
            if (At(c, r).object == object) {
                At(c, r).object = nullptr;
                InvalidateCell(c, r);
            }
}

const TClassInfo& TStringGrid::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TStringGrid>(props)
            .Int("ColCount", &TStringGrid::ColCount, &TStringGrid::SetColCount, 5)
            .Int("RowCount", &TStringGrid::RowCount, &TStringGrid::SetRowCount, 5)
            .Int("FixedCols", &TStringGrid::FixedCols, &TStringGrid::SetFixedCols, 1)
            .Int("FixedRows", &TStringGrid::FixedRows, &TStringGrid::SetFixedRows, 1)
            .Int("DefaultColWidth", &TStringGrid::DefaultColWidth, &TStringGrid::SetDefaultColWidth, 64)
            .Int("DefaultRowHeight", &TStringGrid::DefaultRowHeight, &TStringGrid::SetDefaultRowHeight, 24)
            .Bool("DefaultDrawing", &TStringGrid::DefaultDrawing, &TStringGrid::SetDefaultDrawing, true)
            .Enum("ScrollBars", &TStringGrid::ScrollBars, &TStringGrid::SetScrollBars,
                  {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, ssNone)
            .Enum("BorderStyle", &TStringGrid::BorderStyle, &TStringGrid::SetBorderStyle, {"bsNone", "bsSingle"}, bsNone)
            .Event("OnDrawCell", &TStringGrid::OnDrawCell);
        return TClassInfo("TStringGrid", &TCustomControl::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TStringGrid::ClassInfo() const { return StaticClassInfo(); }

void TStringGrid::SetColCount(int count)
{
    if (count < 1 || count > MaxCount) throw Exception("Grid index out of range");
    Reshape(count, rowCount_);
}

void TStringGrid::SetRowCount(int count)
{
    if (count < 1 || count > MaxCount) throw Exception("Grid index out of range");
    Reshape(colCount_, count);
}

void TStringGrid::Reshape(int cols, int rows)
{
    if (cols == colCount_ && rows == rowCount_) return;
    std::vector<Cell> cells(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    for (int r = 0; r < std::min(rows, rowCount_); ++r)
        for (int c = 0; c < std::min(cols, colCount_); ++c)
            cells[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)] = std::move(At(c, r));
    for (int r = 0; r < rowCount_; ++r)
        for (int c = 0; c < colCount_; ++c)
            if (r >= rows || c >= cols) Unhold(At(c, r).object);
    cells_ = std::move(cells);
    colCount_ = cols;
    rowCount_ = rows;
    fixedCols_ = std::min(fixedCols_, cols - 1);
    fixedRows_ = std::min(fixedRows_, rows - 1);
    Invalidate();
}

void TStringGrid::SetFixedCols(int count)
{
    if (count < 0 || count >= colCount_) throw Exception("Fixed column count must be less than column count");
    fixedCols_ = count;
    Invalidate();
}

void TStringGrid::SetFixedRows(int count)
{
    if (count < 0 || count >= rowCount_) throw Exception("Fixed row count must be less than row count");
    fixedRows_ = count;
    Invalidate();
}

void TStringGrid::SetDefaultColWidth(int width)
{
    colWidth_ = std::clamp(width, -1, kMaxExtent);
    Invalidate();
}

void TStringGrid::SetDefaultRowHeight(int height)
{
    rowHeight_ = std::clamp(height, -1, kMaxExtent);
    Invalidate();
}

void TStringGrid::SetDefaultDrawing(bool on)
{
    defaultDrawing_ = on;
    Invalidate();
}

void TStringGrid::SetScrollBars(TScrollStyle style)
{
    if (style != ssNone) throw Exception("This grid does not scroll");
    scrollBars_ = style;
}

void TStringGrid::SetBorderStyle(TBorderStyle style)
{
    if (style != bsNone) throw Exception("This grid draws no border");
    borderStyle_ = style;
}

const std::string& TStringGrid::Cells(int col, int row) const
{
    static const std::string empty;
    return Contains(col, row) ? At(col, row).text : empty;
}

void TStringGrid::SetCells(int col, int row, std::string text)
{
    if (!Contains(col, row)) return;
    At(col, row).text = std::move(text);
    InvalidateCell(col, row);
}

TObject* TStringGrid::Objects(int col, int row) const { return Contains(col, row) ? At(col, row).object : nullptr; }

void TStringGrid::SetObjects(int col, int row, TObject* object)
{
    if (!Contains(col, row)) return;
    Hold(object);
    Unhold(At(col, row).object);
    At(col, row).object = object;
    InvalidateCell(col, row);
}

TRect TStringGrid::CellRect(int col, int row) const
{
    const long long left = static_cast<long long>(col) * (colWidth_ + 1);
    const long long top = static_cast<long long>(row) * (rowHeight_ + 1);
    const int l = Clamp(left, INT32_MIN / 2, INT32_MAX / 2);
    const int t = Clamp(top, INT32_MIN / 2, INT32_MAX / 2);
    return TRect{l, t, l + std::max(colWidth_, 0), t + std::max(rowHeight_, 0)};
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    col = -1;
    row = -1;
    const int pitchX = colWidth_ + 1;
    const int pitchY = rowHeight_ + 1;
    if (x < 0 || y < 0 || pitchX <= 0 || pitchY <= 0) return;
    // A grid line belongs to the cell before it.
    const int c = x / pitchX;
    const int r = y / pitchY;
    if (c >= colCount_ || r >= rowCount_) return;
    col = c;
    row = r;
}

void TStringGrid::InvalidateCell(int col, int row)
{
    if (Contains(col, row)) InvalidateRect(CellRect(col, row));
}

void TStringGrid::Paint(const TRect& dirty)
{
    TWindow& window = *Handle();
    QPainter& painter = window.PainterFor(QRect());
    // An empty surface has no painter to fill with, but its cells are still drawn.
    const bool fill = painter.isActive();
    const QRect area(dirty.Left, dirty.Top, dirty.Width(), dirty.Height());
    const QColor background = ToQColor(Color());
    const int pitchX = colWidth_ + 1;
    const int pitchY = rowHeight_ + 1;
    if (colWidth_ <= 0 || rowHeight_ <= 0) {
        if (fill) painter.fillRect(area, background);
        return;
    }

    // The grid's lines show between the cells, the control's colour around the grid. Each
    // pixel is filled once, and the grid's part only as the cells' drawing reaches it, as
    // large surfaces make every pass over them count.
    const long long gridRight = static_cast<long long>(colCount_) * pitchX;
    const long long gridBottom = static_cast<long long>(rowCount_) * pitchY;
    const QRect lines = area.intersected(QRect(0, 0, Clamp(gridRight, 0, INT32_MAX), Clamp(gridBottom, 0, INT32_MAX)));
    if (fill) {
        for (const QRect& around : QRegion(area).subtracted(QRegion(lines))) painter.fillRect(around, background);
        window.FillAhead(lines, ToQColor(kGridLineColor));
    }

    // Only the cells the dirty area touches, rows outer, columns inner. A handler may change
    // the grid's shape, or free the grid, while it draws a cell: the cells left are then those
    // of a shape this paint did not lay out, so it ends there. The change has marked the whole
    // grid for the next paint.
    const int firstCol = std::max(0, dirty.Left / pitchX);
    const int lastCol = std::min(colCount_ - 1, std::max(0, dirty.Right - 1) / pitchX);
    const int firstRow = std::max(0, dirty.Top / pitchY);
    const int lastRow = std::min(rowCount_ - 1, std::max(0, dirty.Bottom - 1) / pitchY);
    const TObjectRef<TStringGrid> self(this);
    const Shape shape = CurrentShape();
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstCol; c <= lastCol; ++c) {
            const TGridDrawState state = (c < fixedCols_ || r < fixedRows_) ? TGridDrawState{gdFixed} : TGridDrawState{0};
            DrawCell(c, r, CellRect(c, r), state);
            if (!self) return;
            if (CurrentShape() != shape) {
                window.FinishFills();
                return;
            }
        }
    window.FinishFills();
}

void TStringGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state)
{
    if (defaultDrawing_) {
        TWindow& window = *Handle();
        const QRect box(rect.Left, rect.Top, rect.Width(), rect.Height());
        const TGdiObject& font = *Font()->Handle();
        // The text is clipped to its line's box, not to its glyphs, which may reach a little
        // further; a line height on every side holds them.
        QPainter& painter = window.PainterFor(box.adjusted(-font.height, -font.height, font.height, font.height));
        if (painter.isActive()) {
            painter.fillRect(box, ToQColor((state & gdFixed) ? clBtnFace : Color()));
            const std::string& text = At(col, row).text;
            if (!text.empty()) {
                window.UseFont(font);
                window.UsePen(ToQColor(Font()->Color()));
                painter.drawText(box.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                                 QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
            }
        }
    }
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

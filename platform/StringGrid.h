// A rectangle of text cells, each of which can also carry one object reference, addressed
// (column, row). All columns share one width and all rows one height; a one-pixel grid
// line follows every cell, so cell (c, r) starts at x = c * (width + 1), y = r * (height + 1).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Control.h"
#include "platform/Events.h"

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;
enum class TBorderStyle { bsNone, bsSingle };
using enum TBorderStyle;

class TStringGrid : public TCustomControl, private TFreeListener {
public:
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    // Calibration tables have tens of rows and columns; an editor shows bodies up to 64 x 64
    // with their axes. Well beyond that, a shape that would take gigabytes is refused.
    static constexpr int MaxCount = 1024;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    // 1 .. MaxCount each; any other count raises Exception.
    int ColCount() const { return colCount_; }
    void SetColCount(int count);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);
    // Setting one sizes every column, or every row; kept within -1 .. 65535 pixels.
    int DefaultColWidth() const { return colWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return rowHeight_; }
    void SetDefaultRowHeight(int height);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool on);
    // This grid never scrolls and draws no border; the settings are kept for descriptions.
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);

    // Text and object of a cell; a position off the grid reads empty and takes nothing.
    // Setting either repaints the cell.
    const std::string& Cells(int col, int row) const;
    void SetCells(int col, int row, std::string text);
    TObject* Objects(int col, int row) const;
    void SetObjects(int col, int row, TObject* object);

    // How many cells hold the object.
    int HoldCount(TObject* object) const
    {
        auto it = held_.find(object);
        return it == held_.end() ? 0 : it->second;
    }

    TRect CellRect(int col, int row) const;
    // The cell under a client point; (-1, -1) when the point is off the cells.
    void MouseToCell(int x, int y, int& col, int& row) const;
    void InvalidateCell(int col, int row);

    TDrawCellEvent OnDrawCell;

protected:
    void Paint(const TRect& dirty) override;
    // Paints one cell: the default look when DefaultDrawing is on, then OnDrawCell.
    virtual void DrawCell(int col, int row, TRect rect, TGridDrawState state);

private:
    struct Cell {
        std::string text;
        TObject* object = nullptr;
    };
    void Reshape(int cols, int rows);
    // What a paint lays its cells out by.
    struct Shape {
        int cols, rows, colWidth, rowHeight, width, height;
        friend bool operator==(const Shape&, const Shape&) = default;
    };
    Shape CurrentShape() const { return {colCount_, rowCount_, colWidth_, rowHeight_, Width(), Height()}; }
    // A cell object being destroyed leaves every cell that held it: the grid never keeps a
    // reference to a freed object.
    void ObjectFreed(TObject* object) override;
    void Hold(TObject* object);
    void Unhold(TObject* object);
    bool Contains(int col, int row) const { return col >= 0 && row >= 0 && col < colCount_ && row < rowCount_; }
    Cell& At(int col, int row) { return cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) + static_cast<size_t>(col)]; }
    const Cell& At(int col, int row) const
    {
        return cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) + static_cast<size_t>(col)];
    }

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int colWidth_ = 64;
    int rowHeight_ = 24;
    bool defaultDrawing_ = true;
    TScrollStyle scrollBars_ = ssNone;
    TBorderStyle borderStyle_ = bsNone;
    std::vector<Cell> cells_;
    std::unordered_map<TObject*, int> held_;  // how many cells hold each object
};

#include "data/MapData.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <string>

#include "platform/Exception.h"
#include "platform/Properties.h"
#include "platform/Registry.h"

namespace {

// A calibration table has tens of rows and columns. Well beyond that, a shape that would take
// gigabytes of cells is refused before anything is allocated.
constexpr unsigned int kMaxCount = 1024;

void CheckCount(unsigned int count)
{
    if (count > kMaxCount)
        throw Exception("Map size " + std::to_string(count) + " out of range: a map has at most " +
                        std::to_string(kMaxCount) + " rows and columns");
}

// A result as a signed 32-bit value: truncated toward zero, and saturated at the ends of the
// range, so that no conversion from floating point is ever out of range.
int TruncSaturated(double value)
{
    if (value >= 2147483648.0) return INT_MAX;
    if (value <= -2147483649.0) return INT_MIN;
    return static_cast<int>(value);
}

std::size_t Entry(unsigned int row, unsigned int col, unsigned int stride)
{
    return static_cast<std::size_t>(row) * stride + col;
}

// An array of rows x cols empty positions, or none when either count is 0.
std::vector<TMapCell*> NewCellArray(unsigned int rows, unsigned int cols)
{
    std::vector<TMapCell*> cells;
    if (rows == 0 || cols == 0) return cells;
    cells.assign(std::size_t{rows} * cols, nullptr);
    return cells;
}

} // namespace

// ---- TMapCell ----

TMapCell::TMapCell(TMapData* map, int value) : ownerMap(map)
{
    if (ownerMap) ownerMap->linkCell(this);
    setCellValue(value);
}

TMapCell::~TMapCell()
{
    if (ownerMap) ownerMap->unlinkCell(this);
}

const TClassInfo& TMapCell::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TMapCell>(props)
            .Int("cellValue", &TMapCell::cellValue, &TMapCell::setCellValue, 0)
            .Int("minValue", &TMapCell::minValue, 0)
            .Int("maxValue", &TMapCell::maxValue, 255);
        return TClassInfo("TMapCell", &TObject::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TMapCell::ClassInfo() const { return StaticClassInfo(); }

void TMapCell::setCellValue(int value)
{
    if (value < minValue) value = minValue;
    if (value > maxValue) value = maxValue;
    cellValue = value;
}

std::string TMapCell::AsString() const
{
    if (ownerMap && ownerMap->converter) return ownerMap->converter->AsString(static_cast<unsigned int>(cellValue));
    return std::to_string(cellValue);
}

TTextValue NearestValue(const TMapCell& cell, std::string_view text)
{
    const TStoredQuantity quantity = cell.ownerMap && cell.ownerMap->converter
                                         ? cell.ownerMap->converter->FromString(text)
                                         : TStoredQuantity::FromDecimal(text, 1, 1);
    return NearestValue(quantity, cell.minValue, cell.maxValue);
}

void TMapCell::doMath(unsigned char op, float value)
{
    // Every float is exactly a double, so the factor is its exact single-precision value:
    // 1.01 is 1.0099999904632568359375 and 100 times it stays 100.
    const double x = value;
    double result = 0;
    switch (op) {
    // The operand is truncated before it is applied ("+" 0.99 adds nothing). The sum is exact
    // in double for every operand below 2^53, and beyond that far outside the 32-bit range.
    case '+': result = cellValue + std::trunc(x); break;
    case '-': result = cellValue - std::trunc(x); break;
    case '*': result = cellValue * x; break;
    case '/':
        if (!(x > 0)) return; // also a divisor that is not a number
        result = cellValue / x;
        break;
    default: return;
    }
    if (std::isnan(result)) return;
    setCellValue(TruncSaturated(result));
}

// ---- TMapData ----

TMapData::TMapData(TComponent* Owner) : TComponent(Owner) {}

TMapData::~TMapData()
{
    // Releasing the array drops every position; each cell that no other position holds dies.
    ReAlloc(0, 0);
    // This map's cells that live on elsewhere must not ask its converter for their text.
    while (liveCells) {
        TMapCell* cell = liveCells;
        unlinkCell(cell);
        cell->ownerMap = nullptr;
    }
    converter = nullptr; // deletes it
}

const TClassInfo& TMapData::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TMapData>(props)
            .Int("Rows", &TMapData::Rows, &TMapData::setRows, 0)
            .Int("Cols", &TMapData::Cols, &TMapData::setCols, 0)
            .Indexed("Cells");
        return TClassInfo("TMapData", &TComponent::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TMapData::ClassInfo() const { return StaticClassInfo(); }

void TMapData::ReAlloc(unsigned int rows, unsigned int cols)
{
    CheckCount(rows);
    CheckCount(cols);
    // The new array and its new cells are made before any old cell is destroyed, so that a
    // failed allocation leaves the map as it was.
    std::vector<TMapCell*> cells = NewCellArray(rows, cols);
    try {
        for (unsigned int i = 0; i < rows; ++i)
            for (unsigned int j = i < allocRows ? allocCols : 0; j < cols; ++j) {
                TMapCell* cell = new TMapCell(this, 0);
                cell->holders_ = 1;
                cells[Entry(i, j, cols)] = cell;
            }
    } catch (...) {
        for (TMapCell* cell : cells) delete cell; // only new cells stand in it yet
        throw;
    }

    // Retained positions keep their cell objects; a cell at a dropped position dies unless
    // another position, retained here or in another map, still holds it.
    for (unsigned int i = 0; i < allocRows; ++i)
        for (unsigned int j = 0; j < allocCols; ++j) {
            TMapCell* cell = cellArray[Entry(i, j, allocCols)];
            if (i < rows && j < cols) cells[Entry(i, j, cols)] = cell;
            else if (cell && --cell->holders_ == 0) delete cell;
        }

    cellArray = std::move(cells);
    allocRows = rows;
    allocCols = cols;
}

void TMapData::setRows(unsigned int rows)
{
    CheckCount(rows);
    if (rows > allocRows && Cols != 0) ReAlloc(rows, Cols);
    Rows = rows;
}

void TMapData::setCols(unsigned int cols)
{
    CheckCount(cols);
    if (cols > allocCols && Rows != 0) ReAlloc(Rows, cols);
    Cols = cols;
}

TMapCell* TMapData::getCells(unsigned int col, unsigned int row) const
{
    if (row < allocRows && col < allocCols) return cellArray[Entry(row, col, allocCols)];
    return nullptr;
}

void TMapData::setCells(unsigned int col, unsigned int row, TMapCell* cell)
{
    if (row >= allocRows || col >= allocCols) return;
    TMapCell*& entry = cellArray[Entry(row, col, allocCols)];
    if (entry == cell) return;
    if (cell) ++cell->holders_;
    // The cell that stood here is not destroyed: it passes back to the caller, unless another
    // position still holds it.
    if (entry) --entry->holders_;
    entry = cell;
}

void TMapData::linkCell(TMapCell* cell) noexcept
{
    cell->prevOfOwner_ = nullptr;
    cell->nextOfOwner_ = liveCells;
    if (liveCells) liveCells->prevOfOwner_ = cell;
    liveCells = cell;
}

void TMapData::unlinkCell(TMapCell* cell) noexcept
{
    if (cell->prevOfOwner_) cell->prevOfOwner_->nextOfOwner_ = cell->nextOfOwner_;
    else liveCells = cell->nextOfOwner_;
    if (cell->nextOfOwner_) cell->nextOfOwner_->prevOfOwner_ = cell->prevOfOwner_;
    cell->prevOfOwner_ = nullptr;
    cell->nextOfOwner_ = nullptr;
}

// ---- Registration ----

namespace Mapdata {

void RegisterClasses() { RegisterClass<TMapData>(); }

void Register()
{
    RegisterClasses();
    RegisterComponents("Kestrion", {&TMapData::StaticClassInfo()});
}

} // namespace Mapdata

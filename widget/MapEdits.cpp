#include "widget/MapEdits.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace MapEdits {

namespace {

TMapCell* cellAt(const TMapGrid& grid, int col, int row) { return dynamic_cast<TMapCell*>(grid.Objects(col, row)); }

// Truncates toward zero into the 32-bit range, saturating; the value is already whole.
int saturated(long double v)
{
    if (std::isnan(v)) return 0;
    if (v >= static_cast<long double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<long double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// The value nearest x that the cell holds, clamped as setCellValue clamps, and how it fits x.
TTextValue nearest(const TMapCell& cell, long double x)
{
    int stored = saturated(std::roundl(x));  // half away from zero
    if (stored < cell.minValue) stored = cell.minValue;
    if (stored > cell.maxValue) stored = cell.maxValue;
    if (x < cell.minValue || x > cell.maxValue) return {TTextFit::Clamped, stored};
    return {std::roundl(x) == x ? TTextFit::Exact : TTextFit::Rounded, stored};
}

void add(Edit& edit, int col, int row, TTextValue value)
{
    edit.values.push_back({col, row, value.value});
    switch (value.fit) {
    case TTextFit::Exact: ++edit.fits.exact; break;
    case TTextFit::Rounded: ++edit.fits.rounded; break;
    case TTextFit::Clamped: ++edit.fits.clamped; break;
    case TTextFit::NotANumber: break;
    }
}

// The value at axis position s on the line through (s0, v0) and (s1, v1); s0 != s1.
long double onLine(long double s0, long double v0, long double s1, long double v1, long double s)
{
    return v0 + (v1 - v0) * (s - s0) / (s1 - s0);
}

// A grid position and the position of its axis cell.
struct Place {
    int col;
    int row;
    int axisCol;
    int axisRow;
};

// Interpolates one line of cells between its first and last, linear in the axis values. A
// line without both end cells and both their axis values, or whose ends share one axis value,
// has no slope and stays as it is; an inner position without a cell or an axis value is left out.
template <class PlaceOf>
void interpolateLine(const TMapGrid& grid, int first, int last, PlaceOf placeOf, Edit& edit)
{
    const auto cell = [&](int i) { return cellAt(grid, placeOf(i).col, placeOf(i).row); };
    const auto axis = [&](int i) { return cellAt(grid, placeOf(i).axisCol, placeOf(i).axisRow); };
    const TMapCell* firstCell = cell(first);
    const TMapCell* lastCell = cell(last);
    const TMapCell* firstAxis = axis(first);
    const TMapCell* lastAxis = axis(last);
    if (!firstCell || !lastCell || !firstAxis || !lastAxis || firstAxis->cellValue == lastAxis->cellValue) return;
    for (int i = first + 1; i < last; ++i) {
        const TMapCell* target = cell(i);
        const TMapCell* axisCell = axis(i);
        if (!target || !axisCell) continue;
        const long double x = onLine(firstAxis->cellValue, firstCell->cellValue, lastAxis->cellValue,
                                     lastCell->cellValue, axisCell->cellValue);
        add(edit, placeOf(i).col, placeOf(i).row, nearest(*target, x));
    }
}

// What the two neighbours of a cell along one axis give at its axis position: the line
// through them. Nothing without both neighbours, the three axis values, or with neighbours
// that share one axis value.
std::optional<long double> neighbourEstimate(const TMapGrid& grid, Place before, Place at, Place after)
{
    const TMapCell* a = cellAt(grid, before.col, before.row);
    const TMapCell* b = cellAt(grid, after.col, after.row);
    const TMapCell* sa = cellAt(grid, before.axisCol, before.axisRow);
    const TMapCell* sb = cellAt(grid, after.axisCol, after.axisRow);
    const TMapCell* s = cellAt(grid, at.axisCol, at.axisRow);
    if (!a || !b || !sa || !sb || !s || sa->cellValue == sb->cellValue) return std::nullopt;
    return onLine(sa->cellValue, a->cellValue, sb->cellValue, b->cellValue, s->cellValue);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// The text a value in display units gives to a converter: the shortest decimal that reads
// back as the same double, which the converters read exactly.
std::string decimalText(double value)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// A bound axis cell, for its converter: the first along the axis.
const TMapCell* anyAxisCell(const TMapGrid& grid, bool speedAxis)
{
    if (speedAxis) {
        for (int c = 1; c < grid.ColCount(); ++c)
            if (const TMapCell* cell = cellAt(grid, c, grid.RowCount() - 1)) return cell;
    } else {
        for (int r = 0; r < grid.RowCount() - 1; ++r)
            if (const TMapCell* cell = cellAt(grid, 0, r)) return cell;
    }
    return nullptr;
}

// A stored value in the display units of the map the cell belongs to.
std::optional<double> displayValueOf(const TMapCell& likeCell, int stored)
{
    const TMapData* map = likeCell.ownerMap;
    if (!map || !map->converter) return static_cast<double>(stored);
    return displayNumber(map->converter->AsString(static_cast<unsigned int>(stored)));
}

struct AxisPoint {
    int position;
    double value;
};

std::vector<AxisPoint> axisPoints(const TMapGrid& grid, bool speedAxis)
{
    std::vector<AxisPoint> points;
    const int count = speedAxis ? grid.ColCount() : grid.RowCount() - 1;
    for (int p = speedAxis ? 1 : 0; p < count; ++p) {
        const TMapCell* cell = speedAxis ? cellAt(grid, p, grid.RowCount() - 1) : cellAt(grid, 0, p);
        if (!cell) continue;
        if (const std::optional<double> v = displayNumber(cell->AsString())) points.push_back({p, *v});
    }
    return points;
}

// Where a point lies along an axis: between two neighbouring positions, the share t of the way
// from the first to the second.
struct Bracket {
    int first;
    int second;
    double t;
};

std::optional<Bracket> bracket(const std::vector<AxisPoint>& axis, double x)
{
    if (axis.empty() || !std::isfinite(x)) return std::nullopt;
    for (std::size_t k = 0; k + 1 < axis.size(); ++k) {
        const double a = axis[k].value;
        const double b = axis[k + 1].value;
        if (x < std::min(a, b) || x > std::max(a, b)) continue;
        // Neighbours sharing one axis value give no direction: the first of them holds.
        const double t = a == b ? 0.0 : (x - a) / (b - a);
        return Bracket{axis[k].position, axis[k + 1].position, t};
    }
    // Beyond the axis's ends the nearest axis value holds: the map is not extrapolated.
    const auto nearestPoint = std::min_element(axis.begin(), axis.end(), [x](const AxisPoint& p, const AxisPoint& q) {
        return std::abs(p.value - x) < std::abs(q.value - x);
    });
    return Bracket{nearestPoint->position, nearestPoint->position, 0.0};
}

} // namespace

CellRange selectionOf(const TMapGrid& grid)
{
    CellRange range{grid.selectStartCol, grid.selectStartRow, std::min<int>(grid.selectEndCol, grid.ColCount() - 1),
                    std::min<int>(grid.selectEndRow, grid.RowCount() - 1)};
    if (grid.selectEndCol < 0 || grid.selectEndRow < 0 || range.isEmpty()) return {};
    return range;
}

CellRange bodyOf(const TMapGrid& grid)
{
    if (grid.ColCount() < 2 || grid.RowCount() < 2) return {};
    return {1, 0, grid.ColCount() - 1, grid.RowCount() - 2};
}

std::optional<Edit> valueFromText(const TMapGrid& grid, CellRange range, std::string_view text)
{
    Edit edit;
    for (int row = range.startRow; !range.isEmpty() && row <= range.endRow; ++row)
        for (int col = range.startCol; col <= range.endCol; ++col) {
            const TMapCell* cell = cellAt(grid, col, row);
            if (!cell) continue;
            const TTextValue value = NearestValue(*cell, text);
            if (value.fit == TTextFit::NotANumber) return std::nullopt;
            add(edit, col, row, value);
        }
    return edit;
}

std::optional<Edit> scaled(const TMapGrid& grid, CellRange range, std::string_view factor)
{
    if (!TStoredQuantity::FromDecimal(factor, 1, 1).isNumber) return std::nullopt;
    Edit edit;
    for (int row = range.startRow; !range.isEmpty() && row <= range.endRow; ++row)
        for (int col = range.startCol; col <= range.endCol; ++col) {
            const TMapCell* cell = cellAt(grid, col, row);
            if (!cell) continue;
            // The factor times the value's magnitude, with the value's sign put back.
            const unsigned int magnitude =
                cell->cellValue < 0 ? 0u - static_cast<unsigned int>(cell->cellValue) : static_cast<unsigned int>(cell->cellValue);
            TStoredQuantity product = TStoredQuantity::FromDecimal(factor, magnitude, 1);
            if (cell->cellValue < 0) product.negative = !product.negative;
            add(edit, col, row, NearestValue(product, cell->minValue, cell->maxValue));
        }
    return edit;
}

bool canInterpolateAlongRows(CellRange range) { return range.columns() >= 3; }
bool canInterpolateAlongColumns(CellRange range) { return range.rows() >= 3; }
bool canSmooth(CellRange range) { return range.columns() >= 3 || range.rows() >= 3; }

Edit interpolatedAlongRows(const TMapGrid& grid, CellRange range)
{
    Edit edit;
    if (!canInterpolateAlongRows(range)) return edit;
    const int axisRow = grid.RowCount() - 1;
    for (int row = range.startRow; row <= range.endRow; ++row)
        interpolateLine(grid, range.startCol, range.endCol,
                        [row, axisRow](int col) { return Place{col, row, col, axisRow}; }, edit);
    return edit;
}

Edit interpolatedAlongColumns(const TMapGrid& grid, CellRange range)
{
    Edit edit;
    if (!canInterpolateAlongColumns(range)) return edit;
    for (int col = range.startCol; col <= range.endCol; ++col)
        interpolateLine(grid, range.startRow, range.endRow, [col](int row) { return Place{col, row, 0, row}; }, edit);
    return edit;
}

Edit smoothed(const TMapGrid& grid, CellRange range)
{
    Edit edit;
    if (!canSmooth(range)) return edit;
    const bool alongRows = range.columns() >= 3;
    const bool alongColumns = range.rows() >= 3;
    const int axisRow = grid.RowCount() - 1;
    const auto place = [axisRow](int col, int row, bool rowAxis) {
        return rowAxis ? Place{col, row, col, axisRow} : Place{col, row, 0, row};
    };
    for (int row = range.startRow; row <= range.endRow; ++row)
        for (int col = range.startCol; col <= range.endCol; ++col) {
            const bool innerAlongRow = col > range.startCol && col < range.endCol;
            const bool innerAlongColumn = row > range.startRow && row < range.endRow;
            // In a range of three rows and columns or more, the whole ring around it stays.
            if ((alongRows && !innerAlongRow) || (alongColumns && !innerAlongColumn)) continue;
            const TMapCell* cell = cellAt(grid, col, row);
            if (!cell) continue;
            long double sum = 0;
            int estimates = 0;
            if (alongRows)
                if (const auto e = neighbourEstimate(grid, place(col - 1, row, true), place(col, row, true),
                                                     place(col + 1, row, true))) {
                    sum += *e;
                    ++estimates;
                }
            if (alongColumns)
                if (const auto e = neighbourEstimate(grid, place(col, row - 1, false), place(col, row, false),
                                                     place(col, row + 1, false))) {
                    sum += *e;
                    ++estimates;
                }
            if (estimates == 0) continue;
            const long double target = sum / estimates;
            add(edit, col, row, nearest(*cell, (cell->cellValue + target) / 2));
        }
    return edit;
}

std::string copiedText(const TMapGrid& grid, CellRange range)
{
    std::string text;
    for (int row = range.startRow; !range.isEmpty() && row <= range.endRow; ++row) {
        for (int col = range.startCol; col <= range.endCol; ++col) {
            if (col > range.startCol) text += '\t';
            if (cellAt(grid, col, row)) text += grid.Cells(col, row);
        }
        text += '\n';
    }
    return text;
}

Paste pasted(const TMapGrid& grid, CellRange range, std::string_view text)
{
    Paste paste;
    std::vector<std::vector<std::string_view>> block;
    for (std::string_view line : split(text, '\n')) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        block.push_back(split(line, '\t'));
    }
    // A last line ended by its "\n" leaves an empty line behind, as do blank lines after it.
    while (!block.empty() && block.back().size() == 1 && trimmed(block.back().front()).empty()) block.pop_back();
    if (block.empty() || range.isEmpty()) return paste;

    for (std::size_t r = 0; r < block.size(); ++r)
        for (std::size_t c = 0; c < block[r].size(); ++c) {
            const std::string_view field = trimmed(block[r][c]);
            if (field.empty() || TStoredQuantity::FromDecimal(field, 1, 1).isNumber) continue;
            paste.outcome = Paste::Outcome::NotANumber;
            paste.bad = {static_cast<int>(r) + 1, static_cast<int>(c) + 1, std::string(field)};
            return paste;
        }

    const CellRange body = bodyOf(grid);
    if (!body.contains(range.startCol, range.startRow)) {
        paste.outcome = Paste::Outcome::OutsideTheBody;
        return paste;
    }
    const bool fill = block.size() == 1 && block.front().size() == 1 && (range.columns() > 1 || range.rows() > 1);
    std::size_t blockColumns = 0;
    for (const auto& line : block) blockColumns = std::max(blockColumns, line.size());
    const long long wantedEndCol = fill ? range.endCol : range.startCol + static_cast<long long>(blockColumns) - 1;
    const long long wantedEndRow = fill ? range.endRow : range.startRow + static_cast<long long>(block.size()) - 1;
    paste.target = {range.startCol, range.startRow, static_cast<int>(std::min<long long>(wantedEndCol, body.endCol)),
                    static_cast<int>(std::min<long long>(wantedEndRow, body.endRow))};
    paste.cut = wantedEndCol > body.endCol || wantedEndRow > body.endRow;

    for (int row = paste.target.startRow; row <= paste.target.endRow; ++row)
        for (int col = paste.target.startCol; col <= paste.target.endCol; ++col) {
            const std::size_t r = fill ? 0 : static_cast<std::size_t>(row - paste.target.startRow);
            const std::size_t c = fill ? 0 : static_cast<std::size_t>(col - paste.target.startCol);
            if (c >= block[r].size()) continue;
            const std::string_view field = trimmed(block[r][c]);
            const TMapCell* cell = cellAt(grid, col, row);
            if (field.empty() || !cell) continue;
            const TTextValue value = NearestValue(*cell, field);
            if (value.fit == TTextFit::NotANumber) {  // a number, but not one this cell's converter reads
                paste = Paste{};
                paste.outcome = Paste::Outcome::NotANumber;
                paste.bad = {static_cast<int>(r) + 1, static_cast<int>(c) + 1, std::string(field)};
                return paste;
            }
            add(paste.edit, col, row, value);
        }
    paste.outcome = Paste::Outcome::Pasted;
    return paste;
}

std::optional<double> displayNumber(std::string_view text)
{
    text = trimmed(text);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

MapGridReadout readoutOf(const TMapGrid& grid, std::optional<double> speed, std::optional<double> pressure)
{
    MapGridReadout readout;
    const TMapCell* speedCell = anyAxisCell(grid, true);
    const TMapCell* pressureCell = anyAxisCell(grid, false);
    if (!speed && speedCell) speed = displayValueOf(*speedCell, grid.xVal);
    if (!pressure && pressureCell) pressure = displayValueOf(*pressureCell, grid.yVal);
    if (speed) readout.speed = *speed;
    if (pressure) readout.pressure = *pressure;
    if (!speed || !pressure) return readout;

    const std::optional<Bracket> x = bracket(axisPoints(grid, true), *speed);
    const std::optional<Bracket> y = bracket(axisPoints(grid, false), *pressure);
    if (!x || !y) return readout;
    const std::array<std::pair<int, double>, 2> columns{{{x->first, 1 - x->t}, {x->second, x->t}}};
    const std::array<std::pair<int, double>, 2> rows{{{y->first, 1 - y->t}, {y->second, y->t}}};
    double advance = 0;
    for (const auto& [row, rowWeight] : rows)
        for (const auto& [col, colWeight] : columns) {
            const double weight = rowWeight * colWeight;
            if (weight == 0) continue;  // a cell that does not count need not be there
            const TMapCell* cell = cellAt(grid, col, row);
            const std::optional<double> value = cell ? displayNumber(cell->AsString()) : std::nullopt;
            if (!value) return readout;
            advance += weight * *value;
        }
    readout.advance = advance;
    return readout;
}

std::optional<int> axisUnitsOf(const TMapGrid& grid, bool speedAxis, double value)
{
    if (!std::isfinite(value)) return std::nullopt;
    const std::string text = decimalText(value);
    const TMapCell* cell = anyAxisCell(grid, speedAxis);
    const TMapData* map = cell ? cell->ownerMap : nullptr;
    const TStoredQuantity quantity =
        map && map->converter ? map->converter->FromString(text) : TStoredQuantity::FromDecimal(text, 1, 1);
    const TTextValue units = NearestValue(quantity, 0, 255);
    if (units.fit == TTextFit::NotANumber) return std::nullopt;
    return units.value;
}

} // namespace MapEdits

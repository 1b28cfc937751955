#include "widget/HeatMapPainter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/DrawingContext.h"

namespace {

struct Rgb {
    int r, g, b;
};

// Viridis at ten even steps from 0 to 1; between them the scale runs straight in RGB, which
// keeps lightness rising evenly enough for a table read by eye.
constexpr std::array<Rgb, 10> kViridis{{
    {0x44, 0x01, 0x54},
    {0x48, 0x28, 0x78},
    {0x3E, 0x4A, 0x89},
    {0x31, 0x68, 0x8E},
    {0x26, 0x82, 0x8E},
    {0x1F, 0x9E, 0x89},
    {0x35, 0xB7, 0x79},
    {0x6D, 0xCD, 0x59},
    {0xB4, 0xDE, 0x2C},
    {0xFD, 0xE7, 0x25},
}};

double linearChannel(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Outlines nested inside a cell: each is a rectangle in its colour, and the next one, or the
// fill, is drawn inside it on the sides it covers.
struct Sides {
    bool left, top, right, bottom;
};

TRect inset(TRect r, Sides sides, int by)
{
    return {r.Left + (sides.left ? by : 0), r.Top + (sides.top ? by : 0), r.Right - (sides.right ? by : 0),
            r.Bottom - (sides.bottom ? by : 0)};
}

void fillRect(HDC dc, TColor color, const TRect& r)
{
    SetDCBrushColor(dc, static_cast<COLORREF>(color));
    Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
}

} // namespace

void HeatMapPainter::setRange(int low, int high)
{
    low_ = low;
    high_ = high;
}

double HeatMapPainter::shareOf(const TMapCell& cell) const
{
    const double low = low_ < high_ ? low_ : cell.minValue;
    const double high = low_ < high_ ? high_ : cell.maxValue;
    if (!(high > low)) return 0;
    return std::clamp((cell.cellValue - low) / (high - low), 0.0, 1.0);
}

TColor HeatMapPainter::heatColor(double share)
{
    if (!(share > 0)) share = 0;  // also no number
    share = std::min(share, 1.0);
    const double at = share * (kViridis.size() - 1);
    const auto below = std::min(static_cast<std::size_t>(at), kViridis.size() - 2);
    const double t = at - static_cast<double>(below);
    const Rgb& a = kViridis[below];
    const Rgb& b = kViridis[below + 1];
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return RGB(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

TColor HeatMapPainter::textColorOn(TColor fill)
{
    const double luminance = 0.2126 * linearChannel(GetRValue(fill)) + 0.7152 * linearChannel(GetGValue(fill)) +
                             0.0722 * linearChannel(GetBValue(fill));
    // Where black and white give the same contrast ratio: (L + 0.05) / 0.05 = 1.05 / (L + 0.05).
    return luminance > 0.179 ? clBlack : clWhite;
}

int HeatMapPainter::markerRadius(const TRect& traced)
{
    const int height = traced.Bottom - traced.Top;
    const int width = traced.Right - traced.Left;
    return std::max(1, std::min({std::max(4, height / 8), width, height}));
}

void HeatMapPainter::drawCell(TObject*, int ACol, int ARow, TRect& Rect, TGridDrawState)
{
    HDC dc = GetDC(grid_.Handle());
    if (!dc) return;
    SelectObject(dc, grid_.Font()->Handle());
    SelectObject(dc, GetStockObject(DC_BRUSH));

    const bool inBody = ACol >= 1 && ACol < grid_.ColCount() && ARow >= 0 && ARow < grid_.RowCount() - 1;
    const bool selected = grid_.selectStartCol <= ACol && grid_.selectStartRow <= ARow && ACol <= grid_.selectEndCol &&
                          ARow <= grid_.selectEndRow;
    const bool traced = grid_.mapTrace && grid_.traceX == ACol && grid_.traceY == ARow;
    const auto* cell = dynamic_cast<const TMapCell*>(grid_.Objects(ACol, ARow));

    TColor fill = kPlainColor;
    TRect inner = Rect;
    if (inBody && cell) {
        fill = heatColor(shareOf(*cell));
        // Along the selection's outer edges only, so a selection of many cells reads as one
        // rectangle.
        const Sides edges{ACol == grid_.selectStartCol, ARow == grid_.selectStartRow, ACol == grid_.selectEndCol,
                          ARow == grid_.selectEndRow};
        if (selected && (edges.left || edges.top || edges.right || edges.bottom)) {
            fillRect(dc, kSelectionOutline, inner);
            inner = inset(inner, edges, kBand);
        }
        if (traced) {
            fillRect(dc, kTraceOutline, inner);
            inner = inset(inner, {true, true, true, true}, kBand);
        }
    } else if (traced) {
        fill = kTracedColor;
    } else if (selected) {
        fill = kSelectedColor;
    }
    fillRect(dc, fill, inner);

    SetBkColor(dc, static_cast<COLORREF>(fill));
    SetTextColor(dc, static_cast<COLORREF>(textColorOn(fill)));
    const std::string& text = grid_.Cells(ACol, ARow);
    RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);

    // The traced cell's neighbours draw the markers again over what they painted of them.
    if (grid_.mapTrace && std::abs(ACol - grid_.traceX) <= 1 && std::abs(ARow - grid_.traceY) <= 1) drawMarkers(dc);
    ReleaseDC(grid_.Handle(), dc);
}

void HeatMapPainter::drawMarkers(HDC dc) const
{
    const auto* speedCell = dynamic_cast<const TMapCell*>(grid_.Objects(grid_.traceX, grid_.RowCount() - 1));
    const auto* pressureCell = dynamic_cast<const TMapCell*>(grid_.Objects(0, grid_.traceY));
    // Without both axis cells there is no side to put a marker on.
    if (!speedCell || !pressureCell) return;

    // Where the grid's own markers stand: the proximity from the edge's centre toward the
    // corner on the point's side of the axis value.
    const TRect t = grid_.CellRect(grid_.traceX, grid_.traceY);
    const int d = markerRadius(t);
    const int hw = (t.Right - t.Left) / 2;
    const int hh = (t.Bottom - t.Top) / 2;
    const int px = speedCell->cellValue > grid_.xVal ? t.Left + (hw * grid_.proxX) / 100
                                                     : t.Right - (hw * grid_.proxX) / 100;
    const int py = pressureCell->cellValue > grid_.yVal ? t.Bottom - (hh * grid_.proxY) / 100
                                                        : t.Top + (hh * grid_.proxY) / 100;
    SetDCBrushColor(dc, static_cast<COLORREF>(kMarkerColor));
    Ellipse(dc, px - d, t.Bottom - d, px + d + 1, t.Bottom + d + 1);
    Ellipse(dc, t.Left - d, py - d, t.Left + d + 1, py + d + 1);
}

// The heat map's look of a grid, apart from what the grid knows: the widget installs drawCell
// as the grid's OnDrawCell while the heat map is on. It draws through the same drawing calls as
// the grid's own myDrawCell, on the grid's surface.
//
// A body cell holding a map cell is filled with the colour its value stands at on a perceptual
// scale (viridis, dark violet for low values to yellow for high ones), its text black or white,
// whichever contrasts more with that fill. Because the fill carries the value, the selection
// and the traced cell are outlines: a white band along the selection's outer edges, a red ring
// inside the traced cell. The trace markers are red discs of at least 4 pixels' radius on the
// traced cell's bottom and left edges, drawn last so no text covers them. Axis cells, the
// corner and positions without a map cell keep the grid's own colours.
//
// Each cell's look follows from its own value and bounds, the selection rectangle and the
// trace alone (no cell looks at another's value), so repainting the cells of the old and the
// new selection, of the old and the new traced cell's neighbourhood and the edited cells is
// enough. The markers reach no further than the traced cell's eight neighbours, which draw
// them again whenever they are painted.
#pragma once

#include "grid/MapGrid.h"

class HeatMapPainter {
public:
    explicit HeatMapPainter(TMapGrid& grid) : grid_(grid) {}

    // Where a cell's value lies on the scale: between low and high (stored units), or with
    // low >= high between the cell's own minValue and maxValue.
    void setRange(int low, int high);
    // The share of the scale a cell's value stands at, 0 .. 1.
    double shareOf(const TMapCell& cell) const;

    void drawCell(TObject* Sender, int ACol, int ARow, TRect& Rect, TGridDrawState State);

    // The colour at a share of the scale; a share beyond 0 .. 1 (or no number) takes the
    // nearer end (0).
    static TColor heatColor(double share);
    // Black or white: whichever contrasts more with fill, by its relative luminance.
    static TColor textColorOn(TColor fill);
    // The markers' radius for a traced cell: 4 pixels, an eighth of its height in taller cells,
    // never more than the cell's width or height (so they stay within its neighbours).
    static int markerRadius(const TRect& traced);

    // Colours of the look besides the scale, 0x00BBGGRR.
    static constexpr TColor kPlainColor = 0x000000;
    static constexpr TColor kSelectedColor = 0x646464;  // axis cells, as the grid shows them
    static constexpr TColor kTracedColor = 0x646414;
    static constexpr TColor kSelectionOutline = 0xFFFFFF;
    static constexpr TColor kTraceOutline = 0x0000FF;
    static constexpr TColor kMarkerColor = 0x0000FF;
    // An outline band is a black line and two pixels of its colour, inside the cell's edge.
    static constexpr int kBand = 3;

private:
    void drawMarkers(HDC dc) const;

    TMapGrid& grid_;
    int low_ = 0;
    int high_ = 0;
};

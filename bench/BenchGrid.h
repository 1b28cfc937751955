// The grids every benchmark draws: the test form's 9 x 9 demonstration maps at 403 x 187,
// and larger maps of 17, 33 and 65 cells a side at the same cell size, so that every cell is
// visible and the cost grows with the number of cells alone. The baselines read their texts,
// rectangles, colours and font from the same grid, so that all three draw the same picture.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/MapData.h"
#include "grid/MapGrid.h"

namespace bench {

// The grid sizes (cells a side) every case runs at.
constexpr std::array<int, 4> kSides{9, 17, 33, 65};

// Registers a case at every size. Its repetitions also report their fastest run: on a shared
// machine the fastest is the one least disturbed by anything else running.
inline void Register(const char* name, void (*run)(benchmark::State&))
{
    benchmark::RegisterBenchmark(name, run)
        ->ArgsProduct({{kSides.begin(), kSides.end()}})
        ->Unit(benchmark::kMicrosecond)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

// One cell as the grid's drawing handler paints it.
struct CellPicture {
    QRect box;  // the cell rectangle
    QColor background;
    bool markers = false;  // the two trace markers are drawn again in this cell
    QString text;
};

// The two trace markers' boxes, as QPainter takes them: one pixel narrower and lower than the
// box, since a one-pixel pen covers its outermost pixels inside it.
struct MarkerPicture {
    QRect speed;
    QRect pressure;
};

class BenchGrid {
public:
    explicit BenchGrid(int side);
    ~BenchGrid();
    BenchGrid(const BenchGrid&) = delete;
    BenchGrid& operator=(const BenchGrid&) = delete;

    TMapGrid& grid() const { return *grid_; }
    int side() const { return side_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The client point at the centre of a cell.
    int centreX(int col) const;
    int centreY(int row) const;

    // Selection over a quarter of the body: its top-left half in each direction.
    int quarterEndCol() const { return 1 + (side_ - 1) / 2 - 1; }
    int quarterEndRow() const { return (side_ - 1) / 2 - 1; }
    void selectQuarter();
    void selectBody();
    // Puts the body values back to where they started, texts included.
    void resetBody();

    // What myDrawCell paints, cell by cell (rows outer, columns inner), and the font it uses.
    std::vector<CellPicture> picture() const;
    MarkerPicture markers() const;
    QFont font() const;

private:
    int side_;
    int width_;
    int height_;
    std::unique_ptr<TComponent> root_;
    TMapGrid* grid_ = nullptr;
    TMapData* body_ = nullptr;
    std::vector<int> bodyStart_;  // row-major, the body's first values
};

} // namespace bench

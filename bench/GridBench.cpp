// The grid's own cases: a full repaint, one drag step, a resize with its font fit, and the
// two whole-body commands. Each draws on the grid's surface exactly as a real window would;
// reading the surface at the end of a step is what showing it costs.
#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <utility>

#include "BenchGrid.h"
#include "platform/Font.h"

namespace {

void Show(TMapGrid& grid) { benchmark::DoNotOptimize(grid.Surface().constBits()); }

// The cells a case works on, which its time is to grow with: every cell of the grid for the
// paints, the body for the commands.
void CountCells(benchmark::State& state, int cells) { state.counters["cells"] = cells; }

// Every myDrawCell call, with the trace on and a quarter of the body selected.
void Repaint(benchmark::State& state)
{
    bench::BenchGrid g(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        g.grid().Repaint();
        Show(g.grid());
    }
    CountCells(state, g.side() * g.side());
}

// A pointer move that takes the selection's end one cell further or back, with the repaint
// it causes.
void DragStep(benchmark::State& state)
{
    bench::BenchGrid g(static_cast<int>(state.range(0)));
    TMapGrid& grid = g.grid();
    grid.myMouseDown(nullptr, mbLeft, {}, g.centreX(1), g.centreY(0));
    TWMMouse move;
    move.Keys = MK_LBUTTON;
    move.YPos = static_cast<std::int16_t>(g.centreY(g.quarterEndRow()));
    move.XPos = static_cast<std::int16_t>(g.centreX(g.quarterEndCol()));
    grid.Dispatch(&move);
    Show(grid);
    bool further = true;
    for (auto _ : state) {
        move.XPos = static_cast<std::int16_t>(g.centreX(g.quarterEndCol() + (further ? 1 : 0)));
        grid.Dispatch(&move);
        Show(grid);
        further = !further;
    }
    if (grid.selectEndRow != g.quarterEndRow() || grid.selectEndCol < g.quarterEndCol())
        state.SkipWithError("the drag did not move the selection");
    grid.myMouseUp(nullptr, mbLeft, {}, 0, 0);
    CountCells(state, g.side() * g.side());
}

// A resize from the size the font fits at to one where it must shrink two points: the size
// message with its font fit, and the repaint that follows.
void Resize(benchmark::State& state)
{
    bench::BenchGrid g(static_cast<int>(state.range(0)));
    TMapGrid& grid = g.grid();
    const int fitted = grid.Font()->Size();
    const auto metricsAt = [&](int points) {
        TFont f;
        f.SetName(grid.Font()->Name());
        f.SetSize(points);
        return f.Metrics();
    };
    // Cells that take the font two points down, but not one point down.
    const TTextMetric two = metricsAt(fitted - 2);
    const TTextMetric one = metricsAt(fitted - 1);
    const int colWidth = 7 * two.AveCharWidth;
    const int rowHeight = two.Height;
    if (fitted < 3 || (7 * one.AveCharWidth <= colWidth && one.Height <= rowHeight)) {
        state.SkipWithError("no size fits the font two points down but not one");
        return;
    }
    const int smallWidth = g.side() * (colWidth + 1);
    const int smallHeight = g.side() * (rowHeight + 1);

    for (auto _ : state) {
        state.PauseTiming();
        grid.SetBounds(8, 8, g.width(), g.height());
        Show(grid);
        state.ResumeTiming();
        grid.SetBounds(8, 8, smallWidth, smallHeight);
        Show(grid);
    }
    if (grid.Font()->Size() != fitted - 2) state.SkipWithError("the font did not shrink two points");
    grid.SetBounds(8, 8, g.width(), g.height());
    CountCells(state, g.side() * g.side());
}

// doMath('*', 1.05) over the whole body, from the same values every time.
void DoMath(benchmark::State& state)
{
    bench::BenchGrid g(static_cast<int>(state.range(0)));
    g.selectBody();
    for (auto _ : state) {
        state.PauseTiming();
        g.resetBody();
        state.ResumeTiming();
        g.grid().doMath('*', 1.05f);
    }
    CountCells(state, (g.side() - 1) * (g.side() - 1));
}

// Interpolate over the whole body, from the same values every time.
void IntCells(benchmark::State& state)
{
    bench::BenchGrid g(static_cast<int>(state.range(0)));
    g.selectBody();
    for (auto _ : state) {
        state.PauseTiming();
        g.resetBody();
        state.ResumeTiming();
        g.grid().intCells(nullptr);
    }
    CountCells(state, (g.side() - 1) * (g.side() - 1));
}

const bool registered = [] {
    for (const auto& [name, run] : {std::pair{"Repaint/MapGrid", &Repaint}, std::pair{"DragStep/MapGrid", &DragStep},
                                    std::pair{"Resize/MapGrid", &Resize}, std::pair{"DoMath/MapGrid", &DoMath},
                                    std::pair{"IntCells/MapGrid", &IntCells}})
        bench::Register(name, run);
    return true;
}();

} // namespace

// The two baselines every grid case is measured against, run beside it at the same sizes:
// stock Qt (a QTableWidget with the grid's texts, cell sizes, font and cell colours, rendered
// to an offscreen image) and the floor (a bare QPainter loop drawing the grid's rectangles,
// ellipses and texts into a QImage, with nothing in between).
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTableWidget>
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchGrid.h"

namespace {

void StockQt(benchmark::State& state)
{
    const bench::BenchGrid g(static_cast<int>(state.range(0)));
    const TMapGrid& grid = g.grid();
    QTableWidget table(grid.RowCount(), grid.ColCount());
    table.setAttribute(Qt::WA_DontShowOnScreen);
    table.setFrameShape(QFrame::NoFrame);
    table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table.setFont(g.font());
    for (QHeaderView* header : {table.horizontalHeader(), table.verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(1);
    }
    // A section holds its cell and the grid line after it, as the grid's pitch does.
    table.horizontalHeader()->setDefaultSectionSize(grid.DefaultColWidth() + 1);
    table.verticalHeader()->setDefaultSectionSize(grid.DefaultRowHeight() + 1);
    const std::vector<bench::CellPicture> cells = g.picture();
    for (int row = 0; row < grid.RowCount(); ++row)
        for (int col = 0; col < grid.ColCount(); ++col) {
            const bench::CellPicture& cell = cells[static_cast<size_t>(row * grid.ColCount() + col)];
            auto* item = new QTableWidgetItem(cell.text);
            item->setBackground(cell.background);
            item->setForeground(Qt::white);
            item->setTextAlignment(Qt::AlignCenter);
            table.setItem(row, col, item);
        }
    table.resize(g.width(), g.height());
    table.show();
    QApplication::processEvents();

    QImage image(table.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        table.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = grid.RowCount() * grid.ColCount();
}

void Floor(benchmark::State& state)
{
    const bench::BenchGrid g(static_cast<int>(state.range(0)));
    const std::vector<bench::CellPicture> cells = g.picture();
    const bench::MarkerPicture markers = g.markers();
    const QFont font = g.font();
    const QFontMetrics metrics(font);
    std::vector<int> widths;
    for (const bench::CellPicture& cell : cells) widths.push_back(metrics.horizontalAdvance(cell.text));
    const int textHeight = metrics.height();
    const int ascent = metrics.ascent();

    QImage image(g.width(), g.height(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.setFont(font);
        for (size_t i = 0; i < cells.size(); ++i) {
            const bench::CellPicture& cell = cells[i];
            p.fillRect(cell.box, cell.background);
            p.setPen(Qt::black);
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell.box.adjusted(0, 0, -1, -1));
            if (cell.markers) {
                p.setBrush(Qt::red);
                p.drawEllipse(markers.speed);
                p.drawEllipse(markers.pressure);
            }
            if (cell.text.isEmpty()) continue;
            const int x = cell.box.left() + (cell.box.width() - widths[i]) / 2;
            const int y = cell.box.top() + (cell.box.height() - textHeight) / 2;
            p.fillRect(QRect(x, y, widths[i], textHeight), cell.background);
            p.setPen(Qt::white);
            p.drawText(QPoint(x, y + ascent), cell.text);
        }
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = static_cast<double>(cells.size());
}

const bool registered = [] {
    bench::Register("Repaint/QTableWidget", &StockQt);
    bench::Register("Repaint/Floor", &Floor);
    return true;
}();

} // namespace

#include "BenchGrid.h"

#include <array>

#include "platform/GdiPrivate.h"

namespace bench {

namespace {

// The test form's maps.
constexpr std::array<int, 8> kDemoRpm{8, 12, 20, 25, 30, 35, 40, 50};
constexpr std::array<int, 8> kDemoKpa{75, 60, 54, 45, 38, 30, 23, 15};
constexpr int kDemoBody[8][8] = {
    {35, 33, 25, 16, 10, 8, 8, 0},         {45, 46, 37, 31, 27, 22, 25, 30},
    {52, 57, 50, 56, 54, 45, 50, 56},      {51, 59, 63, 81, 86, 70, 70, 78},
    {47, 60, 75, 98, 106, 84, 83, 87},     {44, 58, 82, 117, 125, 106, 101, 99},
    {45, 54, 77, 123, 138, 118, 111, 112}, {49, 51, 74, 119, 141, 123, 120, 125},
};

// The cell size of the test form: 403 / 9 - 1 by 187 / 9 - 1 pixels, plus the grid line.
constexpr int kPitchX = 44;
constexpr int kPitchY = 20;

QColor FromTColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

} // namespace

BenchGrid::BenchGrid(int side)
    : side_(side),
      width_(side == 9 ? 403 : side * kPitchX),
      height_(side == 9 ? 187 : side * kPitchY),
      root_(std::make_unique<TComponent>(nullptr))
{
    const int m = side - 1;  // body columns and rows
    grid_ = new TMapGrid(root_.get());
    grid_->SetColCount(side);
    grid_->SetRowCount(side);
    grid_->SetFixedCols(0);
    grid_->SetFixedRows(0);
    grid_->SetDefaultDrawing(false);
    grid_->SetColor(clBlack);
    grid_->Font()->SetName("Tahoma");
    grid_->Font()->SetSize(10);
    grid_->SetBounds(8, 8, width_, height_);

    auto* rpm = new TMapData(root_.get());
    auto* kpa = new TMapData(root_.get());
    body_ = new TMapData(root_.get());
    rpm->setRows(1);
    rpm->setCols(static_cast<unsigned>(m));
    kpa->setRows(static_cast<unsigned>(m));
    kpa->setCols(1);
    body_->setRows(static_cast<unsigned>(m));
    body_->setCols(static_cast<unsigned>(m));
    rpm->converter = new TRPMCellConverter;
    kpa->converter = new TKPACellConverter;
    body_->converter = new TIGNCellConverter;
    for (int i = 0; i < m; ++i) {
        const auto u = static_cast<unsigned>(i);
        // Larger maps: speeds rising to the right, pressures falling downwards, and a body
        // whose values (and so texts) vary from cell to cell.
        rpm->getCells(u, 0)->setCellValue(side == 9 ? kDemoRpm[u] : 4 + 3 * i);
        kpa->getCells(0, u)->setCellValue(side == 9 ? kDemoKpa[u] : 250 - 3 * i);
        for (int c = 0; c < m; ++c) {
            const int v = side == 9 ? kDemoBody[i][c] : (c * 7 + i * 13 + (c * i) % 11) % 256;
            body_->getCells(static_cast<unsigned>(c), u)->setCellValue(v);
            bodyStart_.push_back(v);
        }
    }
    grid_->assignData(rpm, 1, static_cast<unsigned>(m));
    grid_->assignData(kpa, 0, 0);
    grid_->assignData(body_, 1, 0);
    grid_->maxX = side == 9 ? 70 : 255;
    grid_->maxY = 255;
    grid_->selectStartRow = grid_->selectStartCol = grid_->selectEndRow = grid_->selectEndCol = -1;
    // The test form's start-up point, or one near the middle of a larger map.
    grid_->setX(static_cast<unsigned char>(side == 9 ? 30 : 4 + 3 * (m / 2) + 1));
    grid_->setY(static_cast<unsigned char>(side == 9 ? 52 : 250 - 3 * (m / 2) + 1));
    grid_->setMapTrace(true);
    selectQuarter();
    grid_->Repaint();
    grid_->Surface();
}

// The grid goes first: it refers to the maps' cells.
BenchGrid::~BenchGrid()
{
    delete grid_;
    root_.reset();
}

int BenchGrid::centreX(int col) const
{
    const TRect r = grid_->CellRect(col, 0);
    return (r.Left + r.Right) / 2;
}

int BenchGrid::centreY(int row) const
{
    const TRect r = grid_->CellRect(0, row);
    return (r.Top + r.Bottom) / 2;
}

void BenchGrid::selectQuarter()
{
    grid_->selectStartCol = 1;
    grid_->selectStartRow = 0;
    grid_->selectEndCol = static_cast<short>(quarterEndCol());
    grid_->selectEndRow = static_cast<short>(quarterEndRow());
}

void BenchGrid::selectBody()
{
    grid_->selectStartCol = 1;
    grid_->selectStartRow = 0;
    grid_->selectEndCol = static_cast<short>(side_ - 1);
    grid_->selectEndRow = static_cast<short>(side_ - 2);
}

void BenchGrid::resetBody()
{
    const int m = side_ - 1;
    for (int r = 0; r < m; ++r)
        for (int c = 0; c < m; ++c) {
            TMapCell* cell = body_->getCells(static_cast<unsigned>(c), static_cast<unsigned>(r));
            cell->setCellValue(bodyStart_[static_cast<size_t>(r * m + c)]);
            grid_->SetCells(c + 1, r, cell->AsString());
        }
}

std::vector<CellPicture> BenchGrid::picture() const
{
    const TMapGrid& g = *grid_;
    std::vector<CellPicture> cells;
    for (int row = 0; row < g.RowCount(); ++row)
        for (int col = 0; col < g.ColCount(); ++col) {
            TColor colour = 0x000000;
            if (g.selectStartCol <= col && g.selectStartRow <= row && col <= g.selectEndCol && row <= g.selectEndRow)
                colour = 0x646464;
            if (g.traceX == col && g.traceY == row && g.mapTrace) colour = 0x646414;
            const TRect r = g.CellRect(col, row);
            const std::string& text = g.Cells(col, row);
            cells.push_back(CellPicture{QRect(r.Left, r.Top, r.Width(), r.Height()), FromTColor(colour),
                                        g.mapTrace && col - g.traceX < 2 && row - g.traceY < 2,
                                        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()))});
        }
    return cells;
}

MarkerPicture BenchGrid::markers() const
{
    const TMapGrid& g = *grid_;
    const auto* speed = dynamic_cast<const TMapCell*>(g.Objects(g.traceX, g.RowCount() - 1));
    const auto* pressure = dynamic_cast<const TMapCell*>(g.Objects(0, g.traceY));
    const TRect t = g.CellRect(g.traceX, g.traceY);
    const int d = (t.Bottom - t.Top) / 10;
    const int hw = (t.Right - t.Left) / 2;
    const int hh = (t.Bottom - t.Top) / 2;
    const int px = speed->cellValue > g.xVal ? t.Left + (hw * g.proxX) / 100 : t.Right - (hw * g.proxX) / 100;
    const int py = pressure->cellValue > g.yVal ? t.Bottom - (hh * g.proxY) / 100 : t.Top + (hh * g.proxY) / 100;
    return MarkerPicture{QRect(px - d, t.Bottom - d, 2 * d - 1, 2 * d - 1),
                         QRect(t.Left - d, py - d, 2 * d - 1, 2 * d - 1)};
}

QFont BenchGrid::font() const { return ToQFont(*grid_->Font()); }

} // namespace bench

#include <mapgrid/MapGridWidget.h>

#include <QResizeEvent>

#include <algorithm>
#include <utility>

#include "platform/Messages.h"

namespace {

// The test application's cell pitch (43 x 19 pixels and the grid line), at which the font
// fit gives its 10-point text.
constexpr int kCellWidth = 44;
constexpr int kCellHeight = 20;
// Below this the text shrinks to a few points.
constexpr int kMinCellWidth = 16;
constexpr int kMinCellHeight = 8;

unsigned char axisUnits(int value) { return static_cast<unsigned char>(std::clamp(value, 0, 255)); }

} // namespace

// Owns the grid and hears of its destruction: a component owner may destroy it first.
class MapGridWidget::Private : public TFreeListener {
public:
    Private(MapGridWidget* q, TComponent* owner) : q(q), grid(new TMapGrid(owner))
    {
        WatchFree(grid, this);
        grid->SetColCount(9);
        grid->SetRowCount(9);
        grid->SetFixedCols(0);
        grid->SetFixedRows(0);
        grid->SetDefaultDrawing(false);
        grid->SetColor(clBlack);
        grid->Font()->SetName("Tahoma");
        grid->Font()->SetSize(10);
        grid->selectStartRow = grid->selectStartCol = grid->selectEndRow = grid->selectEndCol = -1;
        grid->maxX = 255;
        grid->maxY = 255;
        grid->OnSelectionChange = [q](TObject*) { Q_EMIT q->selectionChanged(); };
        grid->OnValuesChange = [q](TObject*, const TCellChanges& changes) { Q_EMIT q->valuesChanged(changes); };
        grid->OnTraceChange = [this](TObject*) { traceReported(); };

        QWidget* surface = grid->Widget();
        surface->setParent(q);
        surface->show();
        q->setFocusPolicy(surface->focusPolicy());
        q->setFocusProxy(surface);
        grid->SetBounds(0, 0, q->width(), q->height());
    }

    ~Private()
    {
        if (!grid) return;
        UnwatchFree(grid, this);
        grid->OnSelectionChange = nullptr;
        grid->OnValuesChange = nullptr;
        grid->OnTraceChange = nullptr;
        q->setFocusProxy(nullptr);
        delete std::exchange(grid, nullptr);
    }

    Private(const Private&) = delete;
    Private& operator=(const Private&) = delete;

    // Runs change and then raises traceChanged once if it or the grid reported a change.
    template <class Change>
    void changeTrace(Change change)
    {
        ++traceBatch;
        change();
        if (--traceBatch == 0 && std::exchange(traceDirty, false)) Q_EMIT q->traceChanged();
    }

    void traceReported()
    {
        if (traceBatch > 0) traceDirty = true;
        else Q_EMIT q->traceChanged();
    }

    MapGridWidget* q;
    TMapGrid* grid;
    int traceBatch = 0;
    bool traceDirty = false;

private:
    // By now the grid has destroyed its Qt widget, which left this widget's children.
    void ObjectFreed(TObject*) override
    {
        grid = nullptr;
        q->update();
    }
};

MapGridWidget::MapGridWidget(QWidget* parent) : MapGridWidget(parent, nullptr) {}

MapGridWidget::MapGridWidget(QWidget* parent, TComponent* owner)
    : QWidget(parent), d(std::make_unique<Private>(this, owner))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

// The grid goes before QWidget's own destructor would delete its Qt widget as a child.
MapGridWidget::~MapGridWidget() { d.reset(); }

TMapGrid* MapGridWidget::grid() const { return d->grid; }

bool MapGridWidget::mapTrace() const { return d->grid && d->grid->mapTrace; }
int MapGridWidget::xVal() const { return d->grid ? d->grid->xVal : 0; }
int MapGridWidget::yVal() const { return d->grid ? d->grid->yVal : 0; }
int MapGridWidget::maxX() const { return d->grid ? d->grid->maxX : 0; }
int MapGridWidget::maxY() const { return d->grid ? d->grid->maxY : 0; }

void MapGridWidget::setMapTrace(bool on)
{
    if (d->grid) d->grid->setMapTrace(on);
}

void MapGridWidget::setXVal(int x)
{
    if (d->grid) d->grid->setX(axisUnits(x));
}

void MapGridWidget::setYVal(int y)
{
    if (d->grid) d->grid->setY(axisUnits(y));
}

void MapGridWidget::setOperatingPoint(int x, int y)
{
    if (!d->grid) return;
    d->changeTrace([&] {
        d->grid->setX(axisUnits(x));
        d->grid->setY(axisUnits(y));
    });
}

void MapGridWidget::setMaxX(int limit)
{
    if (!d->grid || d->grid->maxX == axisUnits(limit)) return;
    d->changeTrace([&] {
        d->grid->maxX = axisUnits(limit);
        d->traceDirty = true;
        d->grid->setX(d->grid->xVal);
    });
}

void MapGridWidget::setMaxY(int limit)
{
    if (!d->grid || d->grid->maxY == axisUnits(limit)) return;
    d->changeTrace([&] {
        d->grid->maxY = axisUnits(limit);
        d->traceDirty = true;
        d->grid->setY(d->grid->yVal);
    });
}

void MapGridWidget::setShape(int columns, int rows)
{
    if (!d->grid) return;
    d->grid->SetColCount(std::clamp(columns, 1, TStringGrid::MaxCount));
    d->grid->SetRowCount(std::clamp(rows, 1, TStringGrid::MaxCount));
    // Column widths, row heights and the font follow the cell counts only at a size message.
    TWMSize fit;
    d->grid->Dispatch(&fit);
    updateGeometry();
}

QSize MapGridWidget::sizeHint() const
{
    if (!d->grid) return {kCellWidth, kCellHeight};
    return {d->grid->ColCount() * kCellWidth, d->grid->RowCount() * kCellHeight};
}

QSize MapGridWidget::minimumSizeHint() const
{
    if (!d->grid) return {kMinCellWidth, kMinCellHeight};
    return {d->grid->ColCount() * kMinCellWidth, d->grid->RowCount() * kMinCellHeight};
}

void MapGridWidget::resizeEvent(QResizeEvent* event)
{
    if (d->grid) d->grid->SetBounds(0, 0, event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

// MapGridWidget: the map grid control, TMapGrid, as a Qt widget for any Qt program. It hosts
// one grid sized to itself, so Qt layouts place it; passes focus and keys to it; and tells
// the program through signals when the selection, the cell values or the trace change.
//
//   auto* maps = new MapGridWidget(parent);
//   auto* body = new TMapData(maps->grid());  // a map owned by the grid goes with it
//   body->setRows(8);
//   body->setCols(8);
//   body->converter = new TIGNCellConverter;
//   maps->grid()->assignData(body, 1, 0);
//
// This header brings in the grid, the maps and the cell converters.
#pragma once

#include <QWidget>

#include <memory>

#include "data/CellConverters.h"
#include "data/MapData.h"
#include "grid/MapGrid.h"

class MapGridWidget : public QWidget {
    Q_OBJECT
    // The trace switch, the operating point and the trace limits. The four numbers are in
    // the axes' stored units, 0 .. 255; values beyond are taken as the nearer end.
    Q_PROPERTY(bool mapTrace READ mapTrace WRITE setMapTrace NOTIFY traceChanged)
    Q_PROPERTY(int xVal READ xVal WRITE setXVal NOTIFY traceChanged)
    Q_PROPERTY(int yVal READ yVal WRITE setYVal NOTIFY traceChanged)
    Q_PROPERTY(int maxX READ maxX WRITE setMaxX NOTIFY traceChanged)
    Q_PROPERTY(int maxY READ maxY WRITE setMaxY NOTIFY traceChanged)

public:
    // The grid starts with 9 x 9 cells (8 pressure rows, 8 speed columns), no selection and
    // both trace limits at 255.
    explicit MapGridWidget(QWidget* parent = nullptr);
    // The grid is a component of owner as well: whichever of owner and this widget goes
    // first destroys it.
    MapGridWidget(QWidget* parent, TComponent* owner);
    ~MapGridWidget() override;

    // The hosted grid; null once its owner has destroyed it, after which the widget shows
    // nothing and its setters do nothing.
    TMapGrid* grid() const;

    bool mapTrace() const;
    int xVal() const;
    int yVal() const;
    int maxX() const;
    int maxY() const;

    // Gives the grid columns x rows cells (each count kept within 1 .. 1024) and fits
    // them to the widget.
    void setShape(int columns, int rows);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setMapTrace(bool on);
    void setXVal(int x);
    void setYVal(int y);
    // Both coordinates at once, with one traceChanged.
    void setOperatingPoint(int x, int y);
    // A new limit traces the operating point again.
    void setMaxX(int limit);
    void setMaxY(int limit);

Q_SIGNALS:
    // The mouse changed the selection rectangle (the grid's selectStart/End fields).
    void selectionChanged();
    // One command changed cell values: every change, in the order made (see TMapGrid's
    // OnValuesChange).
    void valuesChanged(const TCellChanges& changes);
    // The trace switch, the operating point, the traced cell, a proximity or a limit changed.
    void traceChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

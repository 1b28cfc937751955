#include "designer/MapGridDesignerPlugin.h"

#include <QIcon>

#include <mapgrid/MapGridWidget.h>

#include "platform/Registry.h"

namespace {

TMapData* newMap(TMapGrid& grid, unsigned rows, unsigned cols, TCellConverter* converter)
{
    auto* map = new TMapData(&grid);
    map->setRows(rows);
    map->setCols(cols);
    map->converter = converter;
    return map;
}

// Made-up values of the usual shape: 1000 to 4500 rpm, 100 down to 30 kPa, an advance of
// 10 to 45 degrees that grows with speed and falls with pressure.
void showDemonstrationMap(TMapGrid& grid)
{
    TMapData* speed = newMap(grid, 1, 8, new TRPMCellConverter);
    TMapData* pressure = newMap(grid, 8, 1, new TKPACellConverter);
    TMapData* advance = newMap(grid, 8, 8, new TIGNCellConverter);
    for (unsigned i = 0; i < 8; ++i) {
        speed->getCells(i, 0)->setCellValue(static_cast<int>(10 + 5 * i));
        pressure->getCells(0, i)->setCellValue(static_cast<int>(50 - 5 * i));
        for (unsigned col = 0; col < 8; ++col)
            advance->getCells(col, i)->setCellValue(static_cast<int>(40 + 12 * col + 8 * i));
    }
    grid.assignData(speed, 1, 8);
    grid.assignData(pressure, 0, 0);
    grid.assignData(advance, 1, 0);
}

} // namespace

MapGridDesignerPlugin::MapGridDesignerPlugin(QObject* parent) : QObject(parent)
{
    Mapdata::Register();
    Mapgrid::Register();
}

QString MapGridDesignerPlugin::name() const { return QStringLiteral("MapGridWidget"); }

QString MapGridDesignerPlugin::group() const
{
    for (const TPalettePage& page : PalettePages())
        for (const TClassInfo* cls : page.Classes)
            if (cls == &TMapGrid::StaticClassInfo()) return QString::fromStdString(page.Name);
    return {};
}

QString MapGridDesignerPlugin::toolTip() const { return QStringLiteral("Calibration map editor"); }

QString MapGridDesignerPlugin::whatsThis() const
{
    return QStringLiteral("An ignition-advance map over engine speed and manifold pressure, edited cell by cell, "
                          "with an operating-point trace.");
}

QString MapGridDesignerPlugin::includeFile() const { return QStringLiteral("mapgrid/MapGridWidget.h"); }

QIcon MapGridDesignerPlugin::icon() const { return {}; }

bool MapGridDesignerPlugin::isContainer() const { return false; }

QWidget* MapGridDesignerPlugin::createWidget(QWidget* parent)
{
    auto* widget = new MapGridWidget(parent);
    showDemonstrationMap(*widget->grid());
    return widget;
}

bool MapGridDesignerPlugin::isInitialized() const { return initialized_; }

void MapGridDesignerPlugin::initialize(QDesignerFormEditorInterface*) { initialized_ = true; }

// The header as a global include, as a program that uses the package writes it.
QString MapGridDesignerPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
  <widget class="MapGridWidget" name="mapGrid">
    <property name="geometry">
      <rect><x>0</x><y>0</y><width>396</width><height>180</height></rect>
    </property>
  </widget>
  <customwidgets>
    <customwidget>
      <class>MapGridWidget</class>
      <header location="global">mapgrid/MapGridWidget.h</header>
    </customwidget>
  </customwidgets>
</ui>
)");
}

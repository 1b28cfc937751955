// A small program that embeds MapGridWidget with every editing feature on, as an outside
// program would, for the end-to-end tests to drive in a real X server. It binds the test
// form's four keys on the grid, as a host may, and prints what happens on its standard output,
// one line each: "values" and every change (col,row:old>new), "status: " and each message,
// and at the end "body:" with the body's values row by row.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <bit>
#include <cstdio>

#include <mapgrid/MapGridWidget.h>

#include "tests/widget/DemoMaps.h"

namespace {

void PrintBody(TMapGrid& grid)
{
    std::printf("body:\n");
    for (int row = 0; row < 8; ++row) {
        for (int col = 1; col < 9; ++col)
            std::printf("%s%d", col > 1 ? " " : "", dynamic_cast<TMapCell*>(grid.Objects(col, row))->cellValue);
        std::printf("\n");
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("MapGridWidget Editing Probe"));
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* maps = new MapGridWidget;
    maps->setFixedSize(9 * 44, 9 * 20);  // the test application's 43 x 19 cells
    layout->addWidget(maps);
    auto* status = new QLabel;
    layout->addWidget(status);

    TMapGrid* grid = maps->grid();
    BindDemoMaps(*grid);
    maps->setMaxX(70);
    maps->setOperatingPoint(30, 52);
    maps->setMapTrace(true);
    maps->setFeatures(MapGridWidget::AllFeatures);
    // The test form's keys, bound by the host.
    grid->OnKeyPress = [grid](TObject*, char& key) {
        if (key == '=') grid->doMath('+', 1.0f);
        if (key == '-') grid->doMath('-', 1.0f);
        if (key == '_') grid->doMath('*', std::bit_cast<float>(0x3F7D70A4u));
        if (key == '+') grid->doMath('*', std::bit_cast<float>(0x3F8147AEu));
    };

    QObject::connect(maps, &MapGridWidget::valuesChanged, [](const TCellChanges& changes) {
        std::printf("values");
        for (const TCellChange& c : changes) std::printf(" %d,%d:%d>%d", c.col, c.row, c.oldValue, c.newValue);
        std::printf("\n");
        std::fflush(stdout);
    });
    QObject::connect(maps, &MapGridWidget::statusMessage, [status](const QString& text) {
        status->setText(text);
        std::printf("status: %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [grid] { PrintBody(*grid); });

    window.show();
    maps->setFocus();
    return QApplication::exec();
}

// A main window with the map grid in a layout beside a label and a button, built against
// the installed package. It binds a map, clicks a cell as a user would, runs a command from
// the button, and checks the grid's text, the signal and the window's pixels. Exit code 0
// when everything is as expected.
#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <string>

#include <mapgrid/MapGridWidget.h>

namespace {

int failures = 0;

void check(bool ok, const std::string& what)
{
    if (ok) return;
    std::fprintf(stderr, "consumer: FAILED: %s\n", what.c_str());
    ++failures;
}

unsigned rgbAt(const QImage& image, QPoint p) { return image.pixel(p) & 0xFFFFFFu; }

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QMainWindow window;
    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    auto* maps = new MapGridWidget;
    layout->addWidget(maps, 1);
    auto* side = new QVBoxLayout;
    auto* readout = new QLabel("No change yet");
    auto* apply = new QPushButton("+5 %");
    side->addWidget(readout);
    side->addWidget(apply);
    side->addStretch();
    layout->addLayout(side);
    window.setCentralWidget(central);

    // The advance values of an 8 x 8 map, in quarter degrees, owned by the grid.
    TMapGrid* grid = maps->grid();
    auto* advance = new TMapData(grid);
    advance->setRows(8);
    advance->setCols(8);
    advance->converter = new TIGNCellConverter;
    for (unsigned row = 0; row < 8; ++row)
        for (unsigned col = 0; col < 8; ++col) advance->getCells(col, row)->setCellValue(static_cast<int>(40 + 8 * col + 4 * row));
    grid->assignData(advance, 1, 0);

    int valueSignals = 0;
    QObject::connect(maps, &MapGridWidget::valuesChanged, readout, [&](const TCellChanges& changes) {
        ++valueSignals;
        readout->setText(QString::number(changes.size()) + " changed");
    });
    QObject::connect(apply, &QPushButton::clicked, maps, [grid] { grid->incCells5(nullptr); });

    window.resize(640, 300);
    window.show();
    QApplication::processEvents();
    check(maps->geometry().right() < apply->geometry().left(), "the grid left of the button");
    check(grid->Width() == maps->width() && grid->Height() == maps->height(), "the grid fills its widget");

    // A click on grid cell (2, 1), map cell (1, 1): 52 quarter degrees, where the window shows it.
    const TRect r = grid->CellRect(2, 1);
    const QPoint centre = maps->mapTo(&window, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    QWidget* target = window.childAt(centre);
    check(target != nullptr && maps->isAncestorOf(target), "the grid under the cell's pixels");
    if (target) {
        const QPoint local = target->mapFrom(&window, centre);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        }
    }
    check(grid->selectStartCol == 2 && grid->selectStartRow == 1 && grid->selectEndCol == 2 && grid->selectEndRow == 1,
          "the click selects the cell");

    apply->click();  // 52 * 1.05 = 54.6, truncated: 54 quarter degrees
    QApplication::processEvents();
    check(grid->Cells(2, 1) == "13.50", "the cell's text after the command, got '" + grid->Cells(2, 1) + "'");
    check(grid->Cells(3, 1) == "15.00", "a cell outside the selection keeps its text");
    check(valueSignals == 1, "one valuesChanged for the command, got " + std::to_string(valueSignals));
    check(readout->text() == "1 changed", "the label follows the signal");

    const QImage shot = window.grab().toImage();
    const auto cornerOf = [&](int col, int row) {
        const TRect cell = grid->CellRect(col, row);
        return maps->mapTo(&window, QPoint(cell.Left + 2, cell.Top + 2));
    };
    check(rgbAt(shot, cornerOf(2, 1)) == 0x646464u, "the selected cell is grey");
    check(rgbAt(shot, cornerOf(5, 5)) == 0x000000u, "another cell is black");
    check(rgbAt(shot, apply->geometry().center() + QPoint(0, apply->height() / 3)) != 0x000000u,
          "the button is drawn beside the grid");

    if (failures == 0) std::printf("consumer: all checks passed\n");
    return failures == 0 ? 0 : 1;
}

// The benchmarks run inside one application object on Qt's offscreen platform: the grid, the
// stock table and the bare painter all draw into images, with no display.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

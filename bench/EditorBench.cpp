// The editor's files beside the grid's repaint: reading and writing a map file of the grid's
// body (8 x 8 to 64 x 64, the grid's side less its axes), each as text alone and through a
// real file, and one record step of a datalog's replay.
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

#include "BenchGrid.h"
#include "editor/Datalog.h"
#include "editor/MapFile.h"

namespace {

// A body of side - 1 columns and rows with spread axes and varied values, as a tuned map has.
MapValues BenchMap(int side)
{
    const int body = side - 1;
    MapValues map = blankMap(evenAxis(250, 10, body), evenAxis(5, 250, body));
    std::mt19937 random(side);
    for (int& v : map.body) v = std::uniform_int_distribution<int>(MapValues::kMinValue, MapValues::kMaxValue)(random);
    return map;
}

void CountCells(benchmark::State& state, int side) { state.counters["cells"] = side * side; }

// Parsing a map file's text into a map.
void MapParse(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const QByteArray text = mapFileText(BenchMap(side));
    for (auto _ : state) {
        MapRead read = readMapText(text, "bench.csv");
        benchmark::DoNotOptimize(read);
        if (!read.map) state.SkipWithError("the map did not read");
    }
    CountCells(state, side);
}

// A map's text as its file holds it.
void MapFormat(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const MapValues map = BenchMap(side);
    for (auto _ : state) {
        QByteArray text = mapFileText(map);
        benchmark::DoNotOptimize(text);
    }
    CountCells(state, side);
}

// Opening a map file: reading the file and parsing it.
void MapOpen(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.csv");
    if (!writeMapFile(path, BenchMap(side)).isEmpty()) state.SkipWithError("the map could not be written");
    for (auto _ : state) {
        MapRead read = readMapFile(path);
        benchmark::DoNotOptimize(read);
        if (!read.map) state.SkipWithError("the map did not read");
    }
    CountCells(state, side);
}

// Saving a map file: a temporary file beside the old one, written, synced and renamed over it.
void MapSave(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.csv");
    const MapValues map = BenchMap(side);
    for (auto _ : state)
        if (!writeMapFile(path, map).isEmpty()) state.SkipWithError("the map could not be saved");
    CountCells(state, side);
}

// One record of a replay: the next line of a long log read and parsed. The log's length does
// not matter; the size is only there to line the case up with the others.
void LogStep(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bench-log.csv");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) state.SkipWithError("the log could not be written");
        file.write("time,rpm,kPa,tps,afr\n");
        for (int i = 0; i < 100000; ++i)
            file.write(QStringLiteral("%1,%2,%3,%4,14.7\n")
                           .arg(i * 0.02, 0, 'f', 2)
                           .arg(800 + i * 37 % 5000)
                           .arg(20 + i * 13 % 180)
                           .arg(i % 100)
                           .toLatin1());
    }
    Datalog log;
    if (!log.open(path)) state.SkipWithError("the log did not open");
    for (auto _ : state) {
        std::optional<LogRecord> record = log.next();
        if (!record) {
            log.rewind();
            record = log.next();
        }
        benchmark::DoNotOptimize(record);
    }
    CountCells(state, static_cast<int>(state.range(0)));
}

const bool registered = [] {
    for (const auto& [name, run] : {std::pair{"MapParse/Editor", &MapParse}, std::pair{"MapFormat/Editor", &MapFormat},
                                    std::pair{"MapOpen/Editor", &MapOpen}, std::pair{"MapSave/Editor", &MapSave},
                                    std::pair{"LogStep/Editor", &LogStep}})
        bench::Register(name, run);
    return true;
}();

} // namespace

// Any bytes as a datalog. Opening succeeds or says why; replay gives exactly the records
// opening counted, each finite, in the order of their lines, and the same again after a
// rewind; every record counts for exactly one cell.
#include <QBuffer>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numeric>

#include "editor/Datalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    buffer->open(QIODevice::ReadOnly);
    Datalog log;
    if (!log.open(std::move(buffer), "fuzz.csv")) {
        if (log.isOpen() || !log.errorString().startsWith("fuzz.csv")) std::abort();
        return 0;
    }

    qint64 records = 0;
    qint64 line = 0;
    double firstTime = 0;
    for (std::optional<LogRecord> r; (r = log.next());) {
        if (!std::isfinite(r->time) || !std::isfinite(r->rpm) || !std::isfinite(r->kpa)) std::abort();
        if (r->rpm < 0 || r->kpa < 0 || r->line <= line) std::abort();
        if (records == 0) firstTime = r->time;
        line = r->line;
        ++records;
    }
    if (records != log.recordCount() || log.position() != records) std::abort();

    const std::vector<qint64> counts = log.nearestCounts({800, 2500, 2500, 7000}, {250, 100, 20});
    if (std::accumulate(counts.begin(), counts.end(), qint64{0}) != records) std::abort();

    log.rewind();
    const std::optional<LogRecord> first = log.next();
    if (first.has_value() != (records > 0) || (first && first->time != firstTime)) std::abort();
    return 0;
}

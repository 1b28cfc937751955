#include "editor/MapValues.h"

#include <cmath>

#include "data/CellConverters.h"

namespace {

QString Text(const TCellConverter& converter, int value)
{
    return QString::fromStdString(converter.AsString(static_cast<unsigned int>(value)));
}

bool InRange(int value) { return value >= MapValues::kMinValue && value <= MapValues::kMaxValue; }

} // namespace

QString problemOf(const MapValues& map)
{
    const TKPACellConverter kpa;
    const TRPMCellConverter rpm;
    const TIGNCellConverter ign;
    const auto side = [](int n) { return n >= MapValues::kMinSide && n <= MapValues::kMaxSide; };
    if (!side(map.rows()) || !side(map.columns()))
        return QStringLiteral("the body is %1 x %2; a map file holds %3 x %3 to %4 x %4")
            .arg(map.columns())
            .arg(map.rows())
            .arg(MapValues::kMinSide)
            .arg(MapValues::kMaxSide);
    if (map.body.size() != static_cast<std::size_t>(map.rows() * map.columns()))
        return QStringLiteral("the body holds %1 values for %2 x %3").arg(map.body.size()).arg(map.columns()).arg(map.rows());

    const QString range = QStringLiteral("%1 %2 in %3 is out of range %4 to %5");
    for (int r = 0; r < map.rows(); ++r) {
        const int p = map.pressure[static_cast<std::size_t>(r)];
        if (!InRange(p))
            return range.arg("pressure", Text(kpa, p) + " kPa", QStringLiteral("row %1").arg(r + 1),
                             Text(kpa, MapValues::kMinValue), Text(kpa, MapValues::kMaxValue) + " kPa");
        if (r > 0 && !(p < map.pressure[static_cast<std::size_t>(r - 1)]))
            return QStringLiteral("the pressure axis does not fall from row %1 to row %2").arg(r).arg(r + 1);
    }
    for (int c = 0; c < map.columns(); ++c) {
        const int s = map.speed[static_cast<std::size_t>(c)];
        if (!InRange(s))
            return range.arg("speed", Text(rpm, s) + " rpm", QStringLiteral("column %1").arg(c + 1),
                             Text(rpm, MapValues::kMinValue), Text(rpm, MapValues::kMaxValue) + " rpm");
        if (c > 0 && !(s > map.speed[static_cast<std::size_t>(c - 1)]))
            return QStringLiteral("the speed axis does not rise from column %1 to column %2").arg(c).arg(c + 1);
    }
    for (int r = 0; r < map.rows(); ++r)
        for (int c = 0; c < map.columns(); ++c)
            if (!InRange(map.at(c, r)))
                return range.arg("advance", Text(ign, map.at(c, r)) + " degrees",
                                 QStringLiteral("column %1, row %2").arg(c + 1).arg(r + 1),
                                 Text(ign, MapValues::kMinValue), Text(ign, MapValues::kMaxValue) + " degrees");
    return {};
}

MapValues blankMap(std::vector<int> pressure, std::vector<int> speed)
{
    MapValues map;
    map.pressure = std::move(pressure);
    map.speed = std::move(speed);
    map.body.assign(map.pressure.size() * map.speed.size(), 0);
    return map;
}

std::vector<int> evenAxis(int first, int last, int count)
{
    if (count < 2 || std::abs(static_cast<long long>(last) - first) < count - 1) return {};
    std::vector<int> axis;
    for (int i = 0; i < count; ++i) {
        // Rounded to the nearest whole value; distinct since the steps are at least 1.
        const long long span = static_cast<long long>(last) - first;
        const long long scaled = span * i;
        const long long half = (count - 1) / 2;
        const long long step = scaled >= 0 ? (scaled + half) / (count - 1) : -((-scaled + half) / (count - 1));
        axis.push_back(static_cast<int>(first + step));
    }
    return axis;
}

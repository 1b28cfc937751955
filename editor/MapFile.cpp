#include "editor/MapFile.h"

#include <QFile>
#include <QSaveFile>

#include <string_view>
#include <vector>

#include "data/CellConverters.h"

namespace {

// What a field holds: its name and unit in messages, and the converter that reads and writes it.
struct Quantity {
    const char* name;
    const char* unit;
    const TCellConverter& converter;

    QString text(int value) const
    {
        return QString::fromStdString(converter.AsString(static_cast<unsigned int>(value))) + ' ' + unit;
    }
};

const TKPACellConverter kKpa;
const TRPMCellConverter kRpm;
const TIGNCellConverter kIgn;
const Quantity kPressure{"pressure", "kPa", kKpa};
const Quantity kSpeed{"speed", "rpm", kRpm};
const Quantity kAdvance{"advance", "degrees", kIgn};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView Trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && IsBlank(text.front())) text = text.sliced(1);
    while (!text.isEmpty() && IsBlank(text.back())) text.chop(1);
    return text;
}

std::vector<QByteArrayView> Split(QByteArrayView text, char separator)
{
    std::vector<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == separator) {
            parts.push_back(text.sliced(start, i - start));
            start = i + 1;
        }
    parts.push_back(text.sliced(start));
    return parts;
}

// A field's text as a message shows it: printable ASCII as it is, other bytes as \xHH, and no
// longer than a message line needs.
QString Shown(QByteArrayView field)
{
    constexpr qsizetype kLongest = 40;
    QString shown;
    for (qsizetype i = 0; i < field.size() && i < kLongest; ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte >= 0x20 && byte < 0x7f) shown += QChar(byte);
        else shown += QStringLiteral("\\x%1").arg(byte, 2, 16, QChar('0'));
    }
    if (field.size() > kLongest) shown += QStringLiteral("...");
    return shown;
}

QString Plural(qsizetype count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1StringView(count == 1 ? one : many));
}

class MapReader {
public:
    MapReader(QByteArrayView text, const QString& name) : text_(text), name_(name) {}

    MapRead read()
    {
        readLines();
        MapRead result;
        result.errors = errors_;
        if (errors_.isEmpty()) result.map = std::move(map_);
        return result;
    }

private:
    void fileError(const QString& message) { errors_ << QStringLiteral("%1: %2").arg(name_, message); }

    void error(qsizetype line, qsizetype column, const QString& message)
    {
        if (stopped_) return;
        if (errors_.size() == kMaxMapFileErrors) {
            fileError(QStringLiteral("too many errors; stopped after %1").arg(kMaxMapFileErrors));
            stopped_ = true;
            return;
        }
        // Joined, not substituted: a name or a field may hold "%1" itself.
        errors_ << name_ + ':' + QString::number(line) + ':' + QString::number(column) + QStringLiteral(": ") + message;
    }

    void readLines()
    {
        if (text_.size() > kMaxMapFileBytes) {
            fileError(QStringLiteral("larger than a map file can be (over %1 bytes)").arg(kMaxMapFileBytes));
            return;
        }
        if (text_.startsWith("\xEF\xBB\xBF")) text_ = text_.sliced(3);
        std::vector<QByteArrayView> lines = Split(text_, '\n');
        if (lines.back().isEmpty()) lines.pop_back(); // the end of the last line, not a line
        for (QByteArrayView& line : lines)
            if (line.endsWith('\r')) line.chop(1);
        if (std::all_of(lines.begin(), lines.end(), [](QByteArrayView line) { return Trimmed(line).isEmpty(); })) {
            error(1, 1, QStringLiteral("the file is empty"));
            return;
        }

        if (Trimmed(lines.front()).isEmpty()) {
            error(1, 1, QStringLiteral("empty line; the first line is the top body row"));
            return;
        }
        fields_ = static_cast<qsizetype>(Split(lines.front(), ',').size());
        const qsizetype columns = fields_ - 1;
        if (columns < MapValues::kMinSide || columns > MapValues::kMaxSide) {
            error(1, columns > MapValues::kMaxSide ? MapValues::kMaxSide + 2 : 1,
                  QStringLiteral("%1; a map has %2 to %3").arg(Plural(columns, "body column", "body columns"))
                      .arg(MapValues::kMinSide)
                      .arg(MapValues::kMaxSide));
            return;
        }

        bool speedSeen = false;
        for (std::size_t i = 0; i < lines.size() && !stopped_; ++i) {
            const auto lineNumber = static_cast<qsizetype>(i + 1);
            if (speedSeen) {
                if (Trimmed(lines[i]).isEmpty()) continue;
                error(lineNumber, 1, QStringLiteral("text after the speed axis line"));
                return;
            }
            if (Trimmed(lines[i]).isEmpty()) {
                error(lineNumber, 1, QStringLiteral("empty line"));
                previousPressure_.reset();
                continue;
            }
            const std::vector<QByteArrayView> fields = Split(lines[i], ',');
            const bool countFits = static_cast<qsizetype>(fields.size()) == fields_;
            if (!countFits)
                error(lineNumber, std::min(static_cast<qsizetype>(fields.size()), fields_) + 1,
                      QStringLiteral("%1; line 1 has %2").arg(Plural(static_cast<qsizetype>(fields.size()), "field", "fields"))
                          .arg(fields_));
            if (Trimmed(fields.front()).isEmpty()) {
                speedSeen = true;
                if (map_.rows() < MapValues::kMinSide)
                    error(lineNumber, 1, QStringLiteral("%1 before the speed axis line; a map has %2 to %3")
                                             .arg(Plural(map_.rows(), "body row", "body rows"))
                                             .arg(MapValues::kMinSide)
                                             .arg(MapValues::kMaxSide));
                if (countFits) readSpeedLine(fields, lineNumber);
            } else {
                if (map_.rows() == MapValues::kMaxSide) {
                    error(lineNumber, 1, QStringLiteral("more than %1 body rows").arg(MapValues::kMaxSide));
                    return;
                }
                if (countFits) {
                    readBodyLine(fields, lineNumber);
                } else {
                    map_.pressure.push_back(-1); // counts the row; the line has its error
                    previousPressure_.reset();
                }
            }
        }
        if (!speedSeen)
            error(static_cast<qsizetype>(lines.size()) + 1, 1,
                  QStringLiteral("the speed axis line is missing: after the body rows, an empty field and the "
                                 "speed of each column"));
    }

    void readBodyLine(const std::vector<QByteArrayView>& fields, qsizetype line)
    {
        const std::optional<int> pressure = value(kPressure, fields[0], line, 1);
        if (pressure && previousPressure_ && !(*pressure < *previousPressure_))
            error(line, 1, QStringLiteral("pressure %1 is not below %2 on the line above; the pressure axis falls "
                                          "from top to bottom")
                               .arg(kPressure.text(*pressure), kPressure.text(*previousPressure_)));
        previousPressure_ = pressure;
        map_.pressure.push_back(pressure.value_or(-1));
        for (std::size_t c = 1; c < fields.size(); ++c)
            map_.body.push_back(value(kAdvance, fields[c], line, static_cast<qsizetype>(c + 1)).value_or(-1));
    }

    void readSpeedLine(const std::vector<QByteArrayView>& fields, qsizetype line)
    {
        std::optional<int> previous;
        for (std::size_t c = 1; c < fields.size(); ++c) {
            const auto column = static_cast<qsizetype>(c + 1);
            const std::optional<int> speed = value(kSpeed, fields[c], line, column);
            if (speed && previous && !(*speed > *previous))
                error(line, column, QStringLiteral("speed %1 is not above %2 to its left; the speed axis rises from "
                                                   "left to right")
                                        .arg(kSpeed.text(*speed), kSpeed.text(*previous)));
            previous = speed;
            map_.speed.push_back(speed.value_or(-1));
        }
    }

    // The stored value of a field that reads exactly as one the map can hold; otherwise an
    // error naming the nearest such value, and nothing.
    std::optional<int> value(const Quantity& quantity, QByteArrayView field, qsizetype line, qsizetype column)
    {
        const TTextValue read = NearestValue(quantity.converter.FromString(std::string_view(field.data(), static_cast<std::size_t>(field.size()))),
                                             MapValues::kMinValue, MapValues::kMaxValue);
        if (read.fit == TTextFit::Exact) return read.value;
        const QString written = QStringLiteral("%1 %2 %3").arg(QLatin1StringView(quantity.name), Shown(Trimmed(field)),
                                                               QLatin1StringView(quantity.unit));
        switch (read.fit) {
        case TTextFit::Exact: break;
        case TTextFit::NotANumber:
            if (Trimmed(field).isEmpty())
                error(line, column, QStringLiteral("%1 is missing (empty field)").arg(QLatin1StringView(quantity.name)));
            else
                error(line, column, QStringLiteral("%1 \"%2\" is not a number")
                                        .arg(QLatin1StringView(quantity.name), Shown(Trimmed(field))));
            break;
        case TTextFit::Rounded:
            error(line, column, QStringLiteral("%1 is not a value the map can hold; nearest: %2")
                                    .arg(written, quantity.text(read.value)));
            break;
        case TTextFit::Clamped:
            error(line, column, QStringLiteral("%1 is out of range %2 to %3; nearest: %4")
                                    .arg(written,
                                         QString::fromStdString(quantity.converter.AsString(MapValues::kMinValue)),
                                         quantity.text(MapValues::kMaxValue), quantity.text(read.value)));
            break;
        }
        return std::nullopt;
    }

    QByteArrayView text_;
    QString name_;
    QStringList errors_;
    bool stopped_ = false;
    qsizetype fields_ = 0;
    std::optional<int> previousPressure_;
    MapValues map_;
};

} // namespace

MapRead readMapText(QByteArrayView text, const QString& name) { return MapReader(text, name).read(); }

MapRead readMapFile(const QString& path)
{
    QFile file(path);
    MapRead failed;
    if (!file.open(QIODevice::ReadOnly)) {
        failed.errors << QStringLiteral("%1: cannot open: %2").arg(path, file.errorString());
        return failed;
    }
    // One byte more than a map file can have is enough to tell that it is too large.
    const QByteArray bytes = file.read(kMaxMapFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        failed.errors << QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return failed;
    }
    return readMapText(bytes, path);
}

QByteArray mapFileText(const MapValues& map)
{
    QByteArray bytes;
    bytes.reserve((map.rows() + 1) * (map.columns() + 1) * 6);
    const auto append = [&](const TCellConverter& converter, int value) {
        const std::string text = converter.AsString(static_cast<unsigned int>(value));
        bytes.append(text.data(), static_cast<qsizetype>(text.size()));
    };
    for (int r = 0; r < map.rows(); ++r) {
        append(kKpa, map.pressure[static_cast<std::size_t>(r)]);
        for (int c = 0; c < map.columns(); ++c) {
            bytes += ',';
            append(kIgn, map.at(c, r));
        }
        bytes += '\n';
    }
    for (int c = 0; c < map.columns(); ++c) {
        bytes += ',';
        append(kRpm, map.speed[static_cast<std::size_t>(c)]);
    }
    bytes += '\n';
    return bytes;
}

QString writeMapFile(const QString& path, const MapValues& map)
{
    const QString problem = problemOf(map);
    if (!problem.isEmpty()) return QStringLiteral("%1: not saved: %2").arg(path, problem);
    QSaveFile file(path);
    // Unbuffered, so that every failed write is seen here: a buffer flushed only by commit()
    // would lose a write error there and put a truncated file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("%1: cannot save: %2").arg(path, file.errorString());
    const QByteArray bytes = mapFileText(map);
    // A short write says nothing; the write after it fails with the reason (a full disk).
    qint64 written = 0;
    for (qint64 n = 0; written < bytes.size() && (n = file.write(bytes.constData() + written, bytes.size() - written)) > 0;)
        written += n;
    if (written != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return QStringLiteral("%1: cannot save: %2").arg(path, why);
    }
    if (!file.commit()) return QStringLiteral("%1: cannot save: %2").arg(path, file.errorString());
    return {};
}

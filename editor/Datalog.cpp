#include "editor/Datalog.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <string_view>
#include <utility>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

// The fields of a line, at most `wanted` of them (the rest is never looked at), into fields,
// whose room is kept from line to line.
void Fields(std::string_view line, std::size_t wanted, std::vector<std::string_view>& fields)
{
    fields.clear();
    while (fields.size() < wanted) {
        const std::size_t comma = line.find(',');
        fields.push_back(Trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
    }
}

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<double> Number(std::string_view field)
{
    if (field.size() > 1 && field.front() == '+' && field[1] != '-' && field[1] != '+') field.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The positions of one axis ordered by value, for the nearest-value search.
class AxisSearch {
public:
    explicit AxisSearch(const std::vector<double>& axis) : values_(axis), order_(axis.size())
    {
        std::iota(order_.begin(), order_.end(), std::size_t{0});
        std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) { return axis[a] < axis[b]; });
        for (std::size_t i = 0; i < order_.size(); ++i) sorted_.push_back(axis[order_[i]]);
    }

    // The position whose value is nearest; exactly half-way, the lower value's.
    std::size_t nearest(double value) const
    {
        const auto above = std::lower_bound(sorted_.begin(), sorted_.end(), value);
        if (above == sorted_.begin()) return order_.front();
        if (above == sorted_.end()) return order_.back();
        const auto below = above - 1;
        const auto i = static_cast<std::size_t>(value - *below <= *above - value ? below - sorted_.begin()
                                                                                   : above - sorted_.begin());
        return order_[i];
    }

private:
    std::vector<double> values_;
    std::vector<std::size_t> order_;
    std::vector<double> sorted_;
};

} // namespace

Datalog::Datalog() = default;
Datalog::~Datalog() = default;

bool Datalog::open(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        close();
        name_ = path;
        fail(QStringLiteral("%1: cannot open: %2").arg(path, file->errorString()));
        return false;
    }
    return open(std::move(file), path);
}

bool Datalog::open(std::unique_ptr<QIODevice> device, const QString& name)
{
    close();
    name_ = name;
    if (!device || !device->isReadable() || device->isSequential()) {
        fail(QStringLiteral("%1: cannot replay: not a file that can be read again").arg(name));
        return false;
    }
    device_ = std::move(device);
    if (!readHeader()) return false;

    LogRecord record;
    for (Line read; (read = readRecord(record)) != Line::End;) {
        if (read == Line::Record) ++recordCount_;
        if (read == Line::Unreadable || read == Line::TooLong) {
            ++skippedLines_;
            if (firstSkippedLine_ == 0) firstSkippedLine_ = line_;
        }
    }
    // readLine ends early only at the end or on a read error.
    if (!device_->atEnd()) {
        fail(QStringLiteral("%1: cannot read: %2").arg(name, device_->errorString()));
        return false;
    }
    toStart();
    return true;
}

void Datalog::close()
{
    device_.reset();
    error_.clear();
    length_ = line_ = 0;
    rpmColumn_ = kpaColumn_ = timeColumn_ = -1;
    dataStart_ = dataStartLine_ = 0;
    recordCount_ = skippedLines_ = firstSkippedLine_ = position_ = 0;
}

// Joined, not substituted: the name may hold "%1" itself.
QString Datalog::where() const { return name_ + ':' + QString::number(line_) + QStringLiteral(": "); }

void Datalog::fail(const QString& message)
{
    const QString name = name_;
    close();
    name_ = name;
    error_ = message;
}

bool Datalog::readHeader()
{
    Line read = Line::Blank;
    while ((read = readLine()) == Line::Blank) {}
    if (read == Line::End) {
        fail(QStringLiteral("%1: the log is empty; its first line names the columns rpm and kPa").arg(name_));
        return false;
    }
    if (read == Line::TooLong) {
        fail(where() + QStringLiteral("the header line is longer than %1 bytes").arg(kMaxLineBytes));
        return false;
    }
    std::vector<std::string_view> names;
    Fields(std::string_view(buffer_.data(), static_cast<std::size_t>(length_)), static_cast<std::size_t>(kMaxLineBytes), names);
    struct Wanted {
        const char* name;
        int* column;
    };
    for (const Wanted& wanted : {Wanted{"rpm", &rpmColumn_}, Wanted{"kPa", &kpaColumn_}, Wanted{"time", &timeColumn_}}) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!SameName(names[i], wanted.name)) continue;
            if (*wanted.column >= 0) {
                fail(where() + QStringLiteral("two %1 columns (%2 and %3)")
                                   .arg(QLatin1StringView(wanted.name))
                                   .arg(*wanted.column + 1)
                                   .arg(i + 1));
                return false;
            }
            *wanted.column = static_cast<int>(i);
        }
    }
    for (const Wanted& wanted : {Wanted{"rpm", &rpmColumn_}, Wanted{"kPa", &kpaColumn_}})
        if (*wanted.column < 0) {
            fail(where() + QStringLiteral("no %1 column; the first line names the columns, among them rpm and kPa")
                               .arg(QLatin1StringView(wanted.name)));
            return false;
        }
    dataStart_ = device_->pos();
    dataStartLine_ = line_;
    return true;
}

Datalog::Line Datalog::readLine()
{
    const qint64 read = device_->readLine(buffer_.data(), static_cast<qint64>(buffer_.size()));
    if (read <= 0) return Line::End;
    ++line_;
    length_ = read;
    if (buffer_[static_cast<std::size_t>(length_ - 1)] != '\n' && !device_->atEnd()) {
        // Longer than the buffer: pass over the rest of it.
        char rest[256];
        qint64 more = 0;
        while ((more = device_->readLine(rest, sizeof rest)) > 0 && rest[more - 1] != '\n') {}
        length_ = 0;
        return Line::TooLong;
    }
    if (length_ > 0 && buffer_[static_cast<std::size_t>(length_ - 1)] == '\n') --length_;
    if (length_ > 0 && buffer_[static_cast<std::size_t>(length_ - 1)] == '\r') --length_;
    // The byte order mark a spreadsheet may put before the header.
    if (line_ == 1 && length_ >= 3 && std::string_view(buffer_.data(), 3) == "\xEF\xBB\xBF") {
        std::copy(buffer_.begin() + 3, buffer_.begin() + length_, buffer_.begin());
        length_ -= 3;
    }
    const bool blank = std::all_of(buffer_.begin(), buffer_.begin() + length_, IsBlank);
    return blank ? Line::Blank : Line::Record;
}

Datalog::Line Datalog::readRecord(LogRecord& record)
{
    const Line read = readLine();
    if (read != Line::Record) return read;
    const std::size_t wanted = static_cast<std::size_t>(std::max({rpmColumn_, kpaColumn_, timeColumn_})) + 1;
    std::vector<std::string_view>& fields = fields_;
    Fields(std::string_view(buffer_.data(), static_cast<std::size_t>(length_)), wanted, fields);
    if (fields.size() < wanted) return Line::Unreadable;
    const std::optional<double> rpm = Number(fields[static_cast<std::size_t>(rpmColumn_)]);
    const std::optional<double> kpa = Number(fields[static_cast<std::size_t>(kpaColumn_)]);
    const std::optional<double> time = hasTime() ? Number(fields[static_cast<std::size_t>(timeColumn_)]) : 0.0;
    if (!rpm || !kpa || !time || *rpm < 0 || *kpa < 0) return Line::Unreadable;
    record.line = line_;
    record.rpm = *rpm;
    record.kpa = *kpa;
    record.time = *time;
    return Line::Record;
}

std::optional<LogRecord> Datalog::next()
{
    if (!device_) return std::nullopt;
    LogRecord record;
    for (Line read; (read = readRecord(record)) != Line::End;) {
        if (read != Line::Record) continue;
        if (!hasTime()) record.time = static_cast<double>(position_) / kRecordsPerSecond;
        ++position_;
        return record;
    }
    return std::nullopt;
}

void Datalog::toStart()
{
    device_->seek(dataStart_);
    line_ = dataStartLine_;
    position_ = 0;
}

void Datalog::rewind()
{
    if (device_) toStart();
}

std::vector<qint64> Datalog::nearestCounts(const std::vector<double>& speedRpm, const std::vector<double>& pressureKpa)
{
    std::vector<qint64> counts(speedRpm.size() * pressureKpa.size(), 0);
    const auto finite = [](const std::vector<double>& axis) {
        return std::all_of(axis.begin(), axis.end(), [](double v) { return std::isfinite(v); });
    };
    if (!device_ || counts.empty() || !finite(speedRpm) || !finite(pressureKpa)) return counts;
    const qint64 pos = device_->pos();
    const qint64 line = line_;
    const qint64 position = position_;
    device_->seek(dataStart_);
    line_ = dataStartLine_;

    const AxisSearch speed(speedRpm);
    const AxisSearch pressure(pressureKpa);
    LogRecord record;
    for (Line read; (read = readRecord(record)) != Line::End;)
        if (read == Line::Record) ++counts[pressure.nearest(record.kpa) * speedRpm.size() + speed.nearest(record.rpm)];

    device_->seek(pos);
    line_ = line;
    position_ = position;
    return counts;
}

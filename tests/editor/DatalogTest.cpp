// Datalogs: header variants, lines that cannot be read skipped and counted, time stamps, the
// records nearest each cell, and a million-line log replayed without the reader holding more
// as the log grows.
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <malloc.h>

#include "editor/Datalog.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MAPEDIT_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MAPEDIT_ASAN 1
#endif
#ifdef MAPEDIT_ASAN
// The sanitizer's own count of the heap in use (its header does not come with every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

std::unique_ptr<QIODevice> Buffer(const QByteArray& bytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

struct Expected {
    qint64 line;
    double time, rpm, kpa;
};

std::string Describe(const LogRecord& r)
{
    char text[128];
    std::snprintf(text, sizeof text, "line %lld: time %g, rpm %g, kPa %g", static_cast<long long>(r.line), r.time, r.rpm,
                  r.kpa);
    return text;
}

void ExpectRecords(Datalog& log, const std::vector<Expected>& expected, const char* what)
{
    for (const Expected& e : expected) {
        const std::optional<LogRecord> r = log.next();
        ASSERT_TRUE(r) << what << ": ended before line " << e.line;
        EXPECT_EQ(Describe(*r), Describe(LogRecord{e.line, e.time, e.rpm, e.kpa})) << what;
    }
    EXPECT_FALSE(log.next()) << what << ": more records than expected";
}

TEST(DatalogReading, HeadersNameTheirColumnsInAnyOrderAndCase)
{
    struct Row {
        const char* what;
        QByteArray text;
        bool hasTime;
        std::vector<Expected> records;
    };
    const Row rows[] = {
        {"rpm and kPa", "rpm,kPa\n3000,100\n3100,102\n", false, {{2, 0, 3000, 100}, {3, 0.1, 3100, 102}}},
        {"another order and case", "KPA,Rpm\n100,3000\n", false, {{2, 0, 3000, 100}}},
        {"a time column", "time,rpm,kpa\n0.5,3000,100\n0.52,3100,101\n", true,
         {{2, 0.5, 3000, 100}, {3, 0.52, 3100, 101}}},
        {"TIME, and other columns", "TPS,Time,AFR,RPM,IAT,kPa,CLT\n12,1.25,14.7,950,30,35,80\n", true,
         {{2, 1.25, 950, 35}}},
        {"names in quotes and spaces", "\"time\", \"RPM\" ,kPa \n0,800,30\n", true, {{2, 0, 800, 30}}},
        {"a byte order mark and \\r\\n", "\xEF\xBB\xBFrpm,kPa\r\n3000,100\r\n", false, {{2, 0, 3000, 100}}},
        {"empty lines before the header", "\n  \nrpm,kPa\n3000,100\n", false, {{4, 0, 3000, 100}}},
        {"columns after the last one used may be missing", "rpm,kPa,lambda,knock\n3000,100\n", false,
         {{2, 0, 3000, 100}}},
        {"no final line end", "rpm,kPa\n3000,100", false, {{2, 0, 3000, 100}}},
        {"no records", "rpm,kPa\n", false, {}},
    };
    for (const Row& r : rows) {
        Datalog log;
        ASSERT_TRUE(log.open(Buffer(r.text), "log.csv")) << r.what << ": " << log.errorString().toStdString();
        EXPECT_EQ(log.hasTime(), r.hasTime) << r.what;
        EXPECT_EQ(log.recordCount(), static_cast<qint64>(r.records.size())) << r.what;
        EXPECT_EQ(log.skippedLines(), 0) << r.what;
        ExpectRecords(log, r.records, r.what);
    }
}

TEST(DatalogReading, LogsThatCannotBeReplayed)
{
    struct Row {
        const char* what;
        QByteArray text;
        const char* error;
    };
    const Row rows[] = {
        {"an empty file", "", "log.csv: the log is empty; its first line names the columns rpm and kPa"},
        {"only empty lines", "\n\r\n\n", "log.csv: the log is empty; its first line names the columns rpm and kPa"},
        {"no kPa column", "time,rpm,map\n0,3000,100\n",
         "log.csv:1: no kPa column; the first line names the columns, among them rpm and kPa"},
        {"no rpm column", "\nspeed,kPa\n3000,100\n",
         "log.csv:2: no rpm column; the first line names the columns, among them rpm and kPa"},
        {"no header", "3000,100\n3100,102\n",
         "log.csv:1: no rpm column; the first line names the columns, among them rpm and kPa"},
        {"two rpm columns", "rpm,kPa,RPM\n", "log.csv:1: two rpm columns (1 and 3)"},
        {"two time columns", "time,rpm,kPa,Time\n", "log.csv:1: two time columns (1 and 4)"},
        {"a header that looks like arguments", "%1,%2,rpm\n", "log.csv:1: no kPa column; the first line names the "
                                                               "columns, among them rpm and kPa"},
        {"a header too long", "rpm,kPa," + QByteArray(Datalog::kMaxLineBytes, 'x') + "\n3000,100\n",
         "log.csv:1: the header line is longer than 4096 bytes"},
    };
    for (const Row& r : rows) {
        Datalog log;
        EXPECT_FALSE(log.open(Buffer(r.text), "log.csv")) << r.what;
        EXPECT_EQ(log.errorString().toStdString(), r.error) << r.what;
        EXPECT_FALSE(log.isOpen()) << r.what;
        EXPECT_FALSE(log.next()) << r.what;
    }

    Datalog percent;
    EXPECT_FALSE(percent.open(Buffer("rpm,RPM\n"), "log%1%2.csv"));
    EXPECT_EQ(percent.errorString().toStdString(), "log%1%2.csv:1: two rpm columns (1 and 2)");

    Datalog log;
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.csv");
    EXPECT_FALSE(log.open(missing));
    EXPECT_EQ(log.errorString(), missing + ": cannot open: No such file or directory");
}

// Every line that cannot be read is skipped and counted once; the records around it replay.
TEST(DatalogReading, LinesThatCannotBeReadAreSkippedAndCounted)
{
    const QByteArray text = "time,rpm,kPa,note\n"
                            "0.0,3000,100,ok\n"             // 2
                            "0.1,abc,100,not a number\n"    // 3
                            "0.2,3000\n"                    // 4 a field missing
                            "0.3,3000,inf\n"                // 5
                            "0.4,nan,100\n"                 // 6
                            "0.5,-5,100\n"                  // 7 a negative speed
                            "0.6,3000,-1\n"                 // 8 a negative pressure
                            "\n"                            // 9 empty: neither record nor skipped
                            "   \t\n"                       // 10 blank too
                            "0.7,3000,1e999\n"              // 11 beyond a double
                            "0.8,+3100,+101.5,ok\n"         // 12
                            "0.9 , 3200 , 102 \n"           // 13
                            "x,3300,103\n"                  // 14 no time
                            "1.0,3,400,104\n"               // 15 a decimal comma shifts the fields: 3 rpm
                            "1.1,0x10,104\n"                // 16
                            "1.2,1e3,1.04e2\n"              // 17
                            "1.3,3400,105" + QByteArray(Datalog::kMaxLineBytes, ' ') + "\n" // 18 too long
                            "1.4,3500,\"106\"\n"            // 19 quotes around a number
                            ",3600,107\n"                   // 20 no time
                            "1.5,3700,108";                 // 21
    Datalog log;
    ASSERT_TRUE(log.open(Buffer(text), "log.csv")) << log.errorString().toStdString();
    EXPECT_EQ(log.recordCount(), 7);
    EXPECT_EQ(log.skippedLines(), 11);
    EXPECT_EQ(log.firstSkippedLine(), 3);
    ExpectRecords(log,
                  {{2, 0, 3000, 100}, {12, 0.8, 3100, 101.5}, {13, 0.9, 3200, 102}, {15, 1.0, 3, 400},
                   {17, 1.2, 1000, 104}, {19, 1.4, 3500, 106}, {21, 1.5, 3700, 108}},
                  "replay");
    EXPECT_EQ(log.skippedLines(), 11) << "replay counts nothing twice";

    Datalog clean;
    ASSERT_TRUE(clean.open(Buffer("rpm,kPa\n1,2\n"), "clean.csv"));
    EXPECT_EQ(clean.firstSkippedLine(), 0);
}

TEST(DatalogReplay, StepsRewindsAndPacesALogWithoutTime)
{
    Datalog log;
    ASSERT_TRUE(log.open(Buffer("rpm,kPa\n1000,30\nbad\n2000,40\n3000,50\n"), "log.csv"));
    EXPECT_FALSE(log.hasTime());
    EXPECT_EQ(log.position(), 0);
    ExpectRecords(log, {{2, 0.0, 1000, 30}, {4, 0.1, 2000, 40}, {5, 0.2, 3000, 50}}, "first run");
    EXPECT_EQ(log.position(), 3);
    log.rewind();
    EXPECT_EQ(log.position(), 0);
    ASSERT_TRUE(log.next());
    const std::optional<LogRecord> second = log.next();
    ASSERT_TRUE(second);
    EXPECT_EQ(Describe(*second), Describe({4, 0.1, 2000, 40})) << "after a rewind, the same records at the same times";

    // A second log replaces the first.
    ASSERT_TRUE(log.open(Buffer("time,rpm,kPa\n7,500,20\n"), "other.csv"));
    ExpectRecords(log, {{2, 7, 500, 20}}, "the second log");
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.next());
}

// Each record counts for the cell whose axis values lie nearest, in real units; exactly
// half-way it counts for the lower value, as the trace places such a point.
TEST(DatalogReplay, RecordsNearestEachCell)
{
    const std::vector<double> speed{800, 1200, 2000};  // columns, left to right
    const std::vector<double> pressure{150, 120, 30}; // rows, top to bottom
    const QByteArray text = "rpm,kPa\n"
                            "800,150\n"  // (0, 0)
                            "999,150\n"  // (0, 0)
                            "1000,135\n" // half-way both ways: (0, 1)
                            "1001,136\n" // (1, 0)
                            "1600,75\n"  // half-way both ways: (1, 2)
                            "9000,500\n" // beyond both ends: (2, 0)
                            "0,0\n"      // below both ends: (0, 2)
                            "junk\n"
                            "2000,30\n"; // (2, 2)
    Datalog log;
    ASSERT_TRUE(log.open(Buffer(text), "log.csv"));
    ASSERT_TRUE(log.next());
    ASSERT_TRUE(log.next());

    const std::vector<qint64> counts = log.nearestCounts(speed, pressure);
    EXPECT_EQ(counts, (std::vector<qint64>{2, 1, 1,  //
                                           1, 0, 0,  //
                                           1, 1, 1}));
    const std::optional<LogRecord> third = log.next();
    ASSERT_TRUE(third);
    EXPECT_EQ(third->line, 4) << "replay goes on where it stood";
    EXPECT_EQ(log.position(), 3);

    // Axes in any order count the same records for the same values.
    const std::vector<qint64> reversed = log.nearestCounts({2000, 1200, 800}, {30, 120, 150});
    EXPECT_EQ(reversed, (std::vector<qint64>{1, 1, 1,  //
                                             0, 0, 1,  //
                                             1, 1, 2}));
    EXPECT_EQ(log.nearestCounts(speed, {150, std::nan(""), 30}), std::vector<qint64>(9, 0));
    EXPECT_EQ(log.nearestCounts({}, pressure), std::vector<qint64>{});
}

// A log generated as it is read, a fixed-width line per record, so a million lines take no
// file and no memory of their own.
class GeneratedLog : public QIODevice {
public:
    static constexpr qint64 kLineBytes = 20;
    static constexpr const char* kHeader = "time,rpm,kPa\n";

    explicit GeneratedLog(qint64 records) : records_(records) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

    bool isSequential() const override { return false; }
    qint64 size() const override { return headerBytes() + records_ * kLineBytes; }
    bool seek(qint64 pos) override
    {
        offset_ = pos;
        return QIODevice::seek(pos);
    }
    // Where the device stands.
    qint64 at() const { return offset_; }

    static LogRecord Record(qint64 i)
    {
        return LogRecord{i + 2, static_cast<double>(i) / 20, static_cast<double>(800 + (i * 37) % 5000),
                         static_cast<double>(20 + (i * 13) % 180)};
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override { return read(data, maxSize, false); }
    qint64 readLineData(char* data, qint64 maxSize) override { return read(data, maxSize, true); }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static qint64 headerBytes() { return static_cast<qint64>(std::strlen(kHeader)); }

    // Up to maxSize bytes from where the device stands, or up to the end of the line.
    qint64 read(char* data, qint64 maxSize, bool oneLine)
    {
        qint64 done = 0;
        while (done < maxSize && offset_ < size()) {
            char line[32];
            qint64 start = offset_;
            qint64 length = headerBytes();
            if (offset_ < headerBytes()) {
                std::memcpy(line, kHeader, static_cast<std::size_t>(headerBytes()));
            } else {
                const LogRecord r = Record((offset_ - headerBytes()) / kLineBytes);
                const qint64 hundredths = (offset_ - headerBytes()) / kLineBytes * 5;
                std::snprintf(line, sizeof line, "%06lld.%02lld,%05d,%03d\n", static_cast<long long>(hundredths / 100),
                              static_cast<long long>(hundredths % 100), static_cast<int>(r.rpm), static_cast<int>(r.kpa));
                start = (offset_ - headerBytes()) % kLineBytes;
                length = kLineBytes;
            }
            const qint64 n = std::min(length - start, maxSize - done);
            std::memcpy(data + done, line + start, static_cast<std::size_t>(n));
            done += n;
            offset_ += n;
            if (oneLine && data[done - 1] == '\n') break;
        }
        return done;
    }

    qint64 records_;
    qint64 offset_ = 0;
};

// Bytes the program has taken from the heap and not given back.
std::size_t HeapInUse()
{
#ifdef MAPEDIT_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd; // small blocks, and the large ones mapped on their own
#endif
}

TEST(DatalogReplay, AMillionLinesReplayWithoutTheReaderHoldingMore)
{
    constexpr qint64 kRecords = 1'000'000;
    const std::size_t before = HeapInUse();
    auto owned = std::make_unique<GeneratedLog>(kRecords);
    GeneratedLog* device = owned.get();
    Datalog log;
    ASSERT_TRUE(log.open(std::move(owned), "million.csv")) << log.errorString().toStdString();
    EXPECT_EQ(log.recordCount(), kRecords);
    EXPECT_EQ(log.skippedLines(), 0);
    const std::size_t opened = HeapInUse();

    qint64 replayed = 0;
    qint64 aheadMost = 0;
    for (std::optional<LogRecord> r; (r = log.next());) {
        if (replayed % 99991 == 0) {
            const LogRecord e = GeneratedLog::Record(replayed);
            ASSERT_EQ(Describe(*r), Describe(e)) << "record " << replayed;
        }
        // The reader reads a record's line and no further.
        const qint64 lineEnd = 13 + (r->line - 1) * GeneratedLog::kLineBytes;
        aheadMost = std::max(aheadMost, device->at() - lineEnd);
        ++replayed;
    }
    EXPECT_EQ(replayed, kRecords);
    EXPECT_EQ(aheadMost, 0) << "bytes read beyond the record returned";
    const std::size_t replayedHeap = HeapInUse();

    const std::vector<qint64> counts = log.nearestCounts({800, 2000, 3000, 5800}, {200, 100, 20});
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), qint64{0}), kRecords);
    const std::size_t counted = HeapInUse();

    // Whatever the reader holds, it held it after its first line: a million lines later the heap
    // in use has grown by no more than a small constant.
    constexpr std::size_t kSlack = 64 * 1024;
    EXPECT_LE(opened, before + kSlack + sizeof(GeneratedLog) + 4096) << "open ran through the log";
    EXPECT_LE(replayedHeap, opened + kSlack) << "replay";
    EXPECT_LE(counted, opened + kSlack) << "counting";
}

} // namespace

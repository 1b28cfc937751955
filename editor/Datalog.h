// Datalogs for replay: a CSV file whose first line names its columns, among them "rpm" and
// "kPa" (any order, any case; a name may stand in double quotes) and optionally "time" in
// seconds; other columns are ignored. Each later line is one record. A line that cannot be
// read (a field missing, not a number, infinite, a negative speed or pressure, longer than
// kMaxLineBytes) is skipped and counted; empty lines are neither records nor counted.
// Fields read as for C, whatever the locale: "1234.5", "1.2e3", an optional sign, spaces or
// tabs around.
//
// A log is read streaming and never held: opening runs through the file once to count its
// records and its unreadable lines, replay reads one line per record from where it stands,
// and nearestCounts runs through the file once more. What the reader holds stays the same
// whatever the file's length: one line's buffer, the device's own buffer and a few counters.
#pragma once

#include <QIODevice>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

struct LogRecord {
    qint64 line = 0; // in the file, counted from 1
    double time = 0; // seconds: the log's own, or the record's place at kRecordsPerSecond
    double rpm = 0;
    double kpa = 0;
};

class Datalog {
public:
    // The pace of a log without a time column.
    static constexpr double kRecordsPerSecond = 10;
    // Longer lines are no records a logger writes.
    static constexpr qint64 kMaxLineBytes = 4096;

    Datalog();
    ~Datalog();
    Datalog(const Datalog&) = delete;
    Datalog& operator=(const Datalog&) = delete;

    // Reads the header and runs through the file once. False, with errorString() set and
    // nothing open, when the file cannot be read or its header names no rpm or no kPa column.
    bool open(const QString& path);
    // The same on a device opened for reading that can seek (a file, a buffer); name stands
    // for it in messages.
    bool open(std::unique_ptr<QIODevice> device, const QString& name);
    void close();
    bool isOpen() const { return device_ != nullptr; }
    // "FILE: message" or "FILE:LINE: message".
    const QString& errorString() const { return error_; }

    bool hasTime() const { return timeColumn_ >= 0; }
    qint64 recordCount() const { return recordCount_; }
    qint64 skippedLines() const { return skippedLines_; }
    qint64 firstSkippedLine() const { return firstSkippedLine_; } // 0 when none was skipped

    // The record after the last one returned, or nothing at the end of the log.
    std::optional<LogRecord> next();
    // Records returned since the start.
    qint64 position() const { return position_; }
    // Back to the first record.
    void rewind();

    // How many records fell nearest each cell: speedRpm and pressureKpa are the axes in real
    // units (speed left to right, pressure top to bottom), and the result is row-major, a
    // count per body cell, top row first. A record nearest two axis values at once (exactly
    // half-way) counts for the lower one, as the trace places such a point; one beyond the
    // axis counts for its end. Axes holding a value that is not a finite number count
    // nothing. Runs through the file once; replay stands where it stood.
    std::vector<qint64> nearestCounts(const std::vector<double>& speedRpm, const std::vector<double>& pressureKpa);

private:
    enum class Line { Record, Blank, Unreadable, TooLong, End };

    Line readLine();
    Line readRecord(LogRecord& record);
    bool readHeader();
    void fail(const QString& message);
    QString where() const; // "FILE:LINE: " of the line last read
    void toStart();

    std::unique_ptr<QIODevice> device_;
    QString name_;
    QString error_;
    std::array<char, kMaxLineBytes + 2> buffer_{}; // a line, its "\n" and readLine's closing 0
    qint64 length_ = 0; // of the line in buffer_, without its line end
    qint64 line_ = 0;   // number of the line last read
    std::vector<std::string_view> fields_; // of the line last read, up to the last column used

    int rpmColumn_ = -1;
    int kpaColumn_ = -1;
    int timeColumn_ = -1;
    qint64 dataStart_ = 0;     // device position of the line after the header
    qint64 dataStartLine_ = 0; // the header's line number

    qint64 recordCount_ = 0;
    qint64 skippedLines_ = 0;
    qint64 firstSkippedLine_ = 0;
    qint64 position_ = 0;
};

// Map files: the grid as it is shown, so that a spreadsheet opens it as it is.
//
//   150,8.75,8.25,6.25,4.00,2.50,2.00,2.00,0.00
//   120,11.25,11.50,9.25,7.75,6.75,5.50,6.25,7.50
//   ...
//   30,12.25,12.75,18.50,29.75,35.25,30.75,30.00,31.25
//   ,800,1200,2000,2500,3000,3500,4000,5000
//
// One line per body row, top to bottom: the pressure in kPa, then the advance in degrees of
// each column. The last line: an empty field, then the engine speed in rpm of each column.
// Fields are separated by ","; lines end in "\n". Bodies from 2 x 2 to 64 x 64. The pressure
// falls from top to bottom and the speed rises from left to right, strictly.
//
// Writing gives exactly that form: the converters' texts (advance with two decimals), "\n"
// after every line, the last included. A file in that form reads and writes back to the same
// bytes.
//
// Reading is strict about values and lenient about form. Every field must read exactly as a
// value the map can hold: a value between two storable values (8.30 degrees, 1250 rpm), out
// of range, or not a number is an error naming the nearest value the map can hold. A line
// with another number of fields than the first, an empty line within the map, a body size
// out of limits, an axis out of order, or text after the speed axis line are errors too.
// What a spreadsheet may write differently without changing a value reads as well: numbers
// in any form that reads exactly ("4" or "4.0" for 4.00, "8.8" for 8.80, "1.2e3"), spaces or
// tabs around a field, "\r\n" line ends, a UTF-8 byte order mark, no "\n" after the last
// line, and empty lines after it. Saving such a file writes it in the form above.
//
// Errors read "FILE:LINE:COLUMN: message", line and column counted from 1, the column being
// the field's number; errors of the whole file read "FILE: message". A read with any error
// gives no map at all.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

#include "editor/MapValues.h"

struct MapRead {
    std::optional<MapValues> map; // present exactly when there are no errors
    QStringList errors;           // in the order of the file
};

// No map file is larger: 64 x 65 fields of the longest number a field reads.
constexpr qint64 kMaxMapFileBytes = 1 << 20;
// A read stops after this many errors, with a last line saying so.
constexpr int kMaxMapFileErrors = 50;

// name stands for the file in the errors.
MapRead readMapText(QByteArrayView text, const QString& name);
MapRead readMapFile(const QString& path);

// The file's bytes for a map that problemOf passes.
QByteArray mapFileText(const MapValues& map);
// Saves through a temporary file beside path that replaces it only once it is complete, so a
// failure leaves the file that was there. An empty string on success, else what went wrong.
// A map that problemOf rejects is not written.
QString writeMapFile(const QString& path, const MapValues& map);

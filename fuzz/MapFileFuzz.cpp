// Any bytes as a map file. The reader gives a map or errors, never both and never neither;
// every error names the file; and a map it gives fits the format, writes to a text that
// reads as the same map, and that text writes back to the same bytes.
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "editor/MapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const MapRead read = readMapText(bytes, "fuzz.csv");
    if (read.map.has_value() == !read.errors.isEmpty()) std::abort();
    if (read.errors.size() > kMaxMapFileErrors + 1) std::abort();
    for (const QString& error : read.errors)
        if (!error.startsWith("fuzz.csv:")) std::abort();
    if (!read.map) return 0;

    if (!problemOf(*read.map).isEmpty()) std::abort();
    const QByteArray text = mapFileText(*read.map);
    const MapRead again = readMapText(text, "again.csv");
    if (!again.map || *again.map != *read.map || mapFileText(*again.map) != text) std::abort();
    return 0;
}

// Module MapData: a map cell, one value kept within its own bounds by a
// clamping write, and the map, a component holding a matrix of cells addressed column first
// and the converter that renders their values.
//
// Who destroys a cell. A cell belongs to the array positions that hold it, in whatever map:
// ReAlloc, or the map's destruction, drops a position, and a cell is destroyed when the last
// position holding it is dropped. So a cell that setCells stored at two positions, or a cell
// of another map stored here as well, is destroyed exactly once, when its last holder lets it
// go, and never while it still stands at a retained position. A cell no position holds (one a
// caller made with new and has not stored yet, or one that setCells displaced) is the caller's
// to delete. A cell handed to setCells must come from new, as a map deletes it, and must not be
// deleted while a position holds it: destroying a cell does not take it out of any array. A
// grid only refers to cells: they die with the maps that hold them, so it must not read them
// after those maps are gone.
//
// When a map is destroyed, its own cells that live on (held by another map, or by a caller)
// get a null ownerMap, so their text falls back to plain decimal instead of asking a deleted
// converter.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/CellConverters.h"
#include "platform/Component.h"

class TMapData;

class TMapCell : public TObject {
public:
    TMapCell(TMapData* map, int value);
    ~TMapCell() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    // Stores value clamped to minValue .. maxValue, the lower bound applied first.
    void setCellValue(int value);
    // The owner map's converter text of the value, or its signed decimal without a converter.
    std::string AsString() const;
    // "+", "-", "*" or "/" with a single-precision operand; any other op changes nothing.
    // Results beyond the 32-bit range saturate before the clamp; a result that is not a
    // number (a NaN operand, 0 times infinity) changes nothing.
    void doMath(unsigned char op, float value);

    int cellValue = 0;
    int minValue = 0;
    int maxValue = 255;
    // The map whose converter renders this cell, set by the constructor. Read it, do not
    // assign it: the map keeps track of its cells through it. Null once that map is destroyed.
    TMapData* ownerMap = nullptr;

private:
    friend class TMapData;

    unsigned int holders_ = 0;            // array positions, in any map, holding this cell
    TMapCell* prevOfOwner_ = nullptr;     // the live cells of ownerMap, linked through these
    TMapCell* nextOfOwner_ = nullptr;
};

// The map's converter slot. It reads like a plain public pointer
// (`map->converter = new TIGNCellConverter;`, `map->converter->AsString(v)`), but owns what it
// holds: assigning another converter deletes the one before, and the map's destruction deletes
// the last one. A converter object is handed to one map only.
class TConverterSlot {
public:
    TConverterSlot() = default;
    TConverterSlot(const TConverterSlot&) = delete;
    TConverterSlot& operator=(const TConverterSlot&) = delete;
    ~TConverterSlot() { delete converter_; }

    TConverterSlot& operator=(TCellConverter* converter) noexcept
    {
        if (converter != converter_) {
            TCellConverter* earlier = converter_;
            converter_ = converter;
            delete earlier;
        }
        return *this;
    }
    // Hands the converter back to the caller, who then owns it; the slot is left empty.
    TCellConverter* release() noexcept
    {
        TCellConverter* converter = converter_;
        converter_ = nullptr;
        return converter;
    }

    TCellConverter* get() const { return converter_; }
    TCellConverter* operator->() const { return converter_; }
    TCellConverter& operator*() const { return *converter_; }
    explicit operator bool() const { return converter_ != nullptr; }
    friend bool operator==(const TConverterSlot& slot, std::nullptr_t) { return slot.converter_ == nullptr; }

private:
    TCellConverter* converter_ = nullptr;
};

class TMapData : public TComponent {
public:
    explicit TMapData(TComponent* Owner);
    ~TMapData() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    // Gives the array the shape rows x cols, keeping cells by position; leaves Rows and Cols
    // alone. A count above 1024 raises Exception, and a failed allocation std::bad_alloc;
    // either changes nothing.
    void ReAlloc(unsigned int rows, unsigned int cols);
    // The same limit holds for the declared counts.
    void setRows(unsigned int rows);
    void setCols(unsigned int cols);
    TMapCell* getCells(unsigned int col, unsigned int row) const;
    void setCells(unsigned int col, unsigned int row, TMapCell* cell);

    unsigned int getAllocRows() const { return allocRows; }
    unsigned int getAllocCols() const { return allocCols; }

    // The declared counts, which the Rows and Cols properties read and a grid iterates when
    // it binds the map. Write them through setRows and setCols, which also allocate.
    unsigned int Rows = 0;
    unsigned int Cols = 0;
    TConverterSlot converter;

private:
    friend class TMapCell;

    void linkCell(TMapCell* cell) noexcept;
    void unlinkCell(TMapCell* cell) noexcept;

    unsigned int allocRows = 0;
    unsigned int allocCols = 0;
    std::vector<TMapCell*> cellArray;     // row-major, stride allocCols; empty when either count is 0
    TMapCell* liveCells = nullptr;        // the first live cell whose ownerMap is this map
};

// The value nearest a display text that the cell can hold, read by its map's converter (or,
// for a cell without one, as the plain decimal that cell shows), and how it fits the text.
// Changes nothing: the caller stores the value through setCellValue.
TTextValue NearestValue(const TMapCell& cell, std::string_view text);

namespace Mapdata {

// Makes TMapData creatable by its class name from a form description. The application calls
// it before it loads a form that holds maps; calling it again changes nothing.
void RegisterClasses();
// Design-time registration: puts TMapData on the palette page "Kestrion" (and makes it
// creatable, as every palette class is).
void Register();

} // namespace Mapdata

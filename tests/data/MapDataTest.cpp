// TMapData: sizing through the declared counts, ReAlloc keeping cells by position, cell
// access, the ownership of cells and converters, the published properties and registration.
// Cells and converters that count their own destruction make lifetimes
// visible here; the sanitizer build proves the absence of double frees and leaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "data/MapData.h"
#include "platform/Exception.h"
#include "platform/FormReader.h"
#include "platform/Properties.h"
#include "platform/Registry.h"

namespace {

class CountedCell : public TMapCell {
public:
    CountedCell(TMapData* map, int value, int& deaths) : TMapCell(map, value), deaths_(deaths) {}
    ~CountedCell() override { ++deaths_; }

private:
    int& deaths_;
};

class CountedConverter : public TCellConverter {
public:
    CountedConverter(std::string prefix, int& deaths) : prefix_(std::move(prefix)), deaths_(deaths) {}
    ~CountedConverter() override { ++deaths_; }
    std::string AsString(unsigned int value) const override { return prefix_ + std::to_string(value); }

private:
    std::string prefix_;
    int& deaths_;
};

// A map sized the way a form description sizes it: Rows, then Cols.
std::unique_ptr<TMapData> SizedMap(unsigned int rows, unsigned int cols)
{
    auto map = std::make_unique<TMapData>(nullptr);
    map->setRows(rows);
    map->setCols(cols);
    return map;
}

// The cell objects at every position of a cols x rows window, row by row.
std::vector<TMapCell*> Snapshot(const TMapData& map, unsigned int cols, unsigned int rows)
{
    std::vector<TMapCell*> cells;
    for (unsigned int r = 0; r < rows; ++r)
        for (unsigned int c = 0; c < cols; ++c) cells.push_back(map.getCells(c, r));
    return cells;
}

void ExpectNewCell(const TMapData& map, unsigned int col, unsigned int row)
{
    const TMapCell* cell = map.getCells(col, row);
    ASSERT_NE(cell, nullptr) << "cell (" << col << ", " << row << ")";
    EXPECT_EQ(cell->cellValue, 0) << "cell (" << col << ", " << row << ")";
    EXPECT_EQ(cell->minValue, 0);
    EXPECT_EQ(cell->maxValue, 255);
    EXPECT_EQ(cell->ownerMap, &map);
}

// Stores cell at (col, row) and deletes the cell it displaces, which no other position holds.
void Replace(TMapData& map, unsigned int col, unsigned int row, TMapCell* cell)
{
    TMapCell* displaced = map.getCells(col, row);
    map.setCells(col, row, cell);
    delete displaced;
}

// Gives every cell of the window a distinct value, so that a kept cell is recognised by it.
void Number(TMapData& map, unsigned int cols, unsigned int rows)
{
    for (unsigned int r = 0; r < rows; ++r)
        for (unsigned int c = 0; c < cols; ++c) map.getCells(c, r)->setCellValue(static_cast<int>(r * 10 + c));
}

// ---- Sizing ----

TEST(MapDataSizing, NewMapHasNothing)
{
    TMapData map(nullptr);
    EXPECT_EQ(map.Rows, 0u);
    EXPECT_EQ(map.Cols, 0u);
    EXPECT_EQ(map.getAllocRows(), 0u);
    EXPECT_EQ(map.getAllocCols(), 0u);
    EXPECT_EQ(map.converter, nullptr);
    EXPECT_EQ(map.getCells(0, 0), nullptr);
}

TEST(MapDataSizing, FirstCountOnlyRecordsTheSecondAllocates)
{
    TMapData map(nullptr);
    map.setRows(1);
    EXPECT_EQ(map.getAllocRows(), 0u);
    EXPECT_EQ(map.getCells(0, 0), nullptr);
    map.setCols(8);
    EXPECT_EQ(map.getAllocRows(), 1u);
    EXPECT_EQ(map.getAllocCols(), 8u);
    for (unsigned int c = 0; c < 8; ++c) ExpectNewCell(map, c, 0);
    EXPECT_EQ(map.getCells(8, 0), nullptr);
    EXPECT_EQ(map.getCells(0, 1), nullptr);
    // Unsigned bounds tests: a "negative" position is far outside.
    EXPECT_EQ(map.getCells(static_cast<unsigned int>(-1), 0), nullptr);
    EXPECT_EQ(map.getCells(0, UINT_MAX), nullptr);

    // Either order allocates; every cell is a distinct object.
    TMapData other(nullptr);
    other.setCols(8);
    other.setRows(8);
    std::vector<TMapCell*> cells = Snapshot(other, 8, 8);
    std::sort(cells.begin(), cells.end());
    EXPECT_NE(cells.front(), nullptr);
    EXPECT_EQ(std::adjacent_find(cells.begin(), cells.end()), cells.end());
}

// Declared and allocated counts after a sequence of writes to an 8 x 8 map.
TEST(MapDataSizing, DeclaredAndAllocatedCounts)
{
    struct Write {
        char which; // 'R' for setRows, 'C' for setCols
        unsigned int n;
    };
    struct Row {
        std::vector<Write> writes;
        unsigned int rows, cols, allocRows, allocCols;
    };
    const Row rows[] = {
        {{{'R', 4}}, 4, 8, 8, 8},             {{{'C', 4}}, 8, 4, 8, 8},
        {{{'R', 10}}, 10, 8, 10, 8},          {{{'C', 9}}, 8, 9, 8, 9},
        {{{'R', 4}, {'R', 10}}, 10, 8, 10, 8}, {{{'C', 4}, {'R', 10}}, 10, 4, 10, 4},
        {{{'R', 4}, {'C', 9}}, 4, 9, 4, 9},   {{{'R', 0}}, 0, 8, 8, 8},
        {{{'R', 0}, {'C', 9}}, 0, 9, 8, 8},   {{{'R', 0}, {'R', 3}}, 3, 8, 8, 8},
        {{{'C', 0}, {'R', 9}}, 9, 0, 8, 8},
    };
    for (const Row& r : rows) {
        auto map = SizedMap(8, 8);
        std::string writes;
        for (const Write& w : r.writes) {
            if (w.which == 'R') map->setRows(w.n);
            else map->setCols(w.n);
            writes += std::string(writes.empty() ? "" : ", ") + (w.which == 'R' ? "Rows " : "Cols ") + std::to_string(w.n);
        }
        EXPECT_EQ(map->Rows, r.rows) << writes;
        EXPECT_EQ(map->Cols, r.cols) << writes;
        EXPECT_EQ(map->getAllocRows(), r.allocRows) << writes;
        EXPECT_EQ(map->getAllocCols(), r.allocCols) << writes;
    }
}

TEST(MapDataSizing, LoweringACountKeepsTheCellsBeyondIt)
{
    auto map = SizedMap(8, 8);
    const std::vector<TMapCell*> before = Snapshot(*map, 8, 8);
    map->setRows(4);
    EXPECT_EQ(map->Rows, 4u);
    EXPECT_EQ(map->getCells(0, 7), before[7 * 8 + 0]);
    map->setCols(4);
    EXPECT_EQ(map->getCells(5, 1), before[1 * 8 + 5]);
    EXPECT_EQ(Snapshot(*map, 8, 8), before);
}

TEST(MapDataSizing, GrowingRowsKeepsTheAllocatedRowsAndAddsNewCells)
{
    auto map = SizedMap(8, 8);
    Number(*map, 8, 8);
    const std::vector<TMapCell*> before = Snapshot(*map, 8, 8);
    map->setRows(4);
    map->setRows(10);
    for (unsigned int r = 0; r < 8; ++r)
        for (unsigned int c = 0; c < 8; ++c) {
            EXPECT_EQ(map->getCells(c, r), before[r * 8 + c]) << "cell (" << c << ", " << r << ")";
            EXPECT_EQ(map->getCells(c, r)->cellValue, static_cast<int>(r * 10 + c));
        }
    for (unsigned int r = 8; r < 10; ++r)
        for (unsigned int c = 0; c < 8; ++c) ExpectNewCell(*map, c, r);
}

TEST(MapDataSizing, GrowingOneCountDropsCellsBeyondTheOtherLoweredCount)
{
    int deaths = 0;
    auto map = SizedMap(8, 8);
    TMapCell* kept = map->getCells(3, 1);
    Replace(*map, 5, 1, new CountedCell(map.get(), 7, deaths));
    map->setCols(4);
    map->setRows(10); // ReAlloc(10, 4): columns 4 to 7 go
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(map->getCells(5, 1), nullptr);
    EXPECT_EQ(map->getCells(3, 1), kept);
}

// ---- ReAlloc ----

TEST(MapDataReAlloc, ShapesKeepCellsByPosition)
{
    struct Row {
        unsigned int rows, cols;
    };
    const Row shapes[] = {{8, 8}, {4, 10}, {10, 4}, {1, 1}, {12, 12}, {8, 3}, {3, 8}};
    for (const Row& s : shapes) {
        auto map = SizedMap(8, 8);
        Number(*map, 8, 8);
        const std::vector<TMapCell*> before = Snapshot(*map, 8, 8);
        map->ReAlloc(s.rows, s.cols);
        const std::string shape = std::to_string(s.rows) + " x " + std::to_string(s.cols);
        EXPECT_EQ(map->Rows, 8u) << shape;
        EXPECT_EQ(map->Cols, 8u) << shape;
        EXPECT_EQ(map->getAllocRows(), s.rows) << shape;
        EXPECT_EQ(map->getAllocCols(), s.cols) << shape;
        for (unsigned int r = 0; r < std::max(s.rows, 8u) + 1; ++r)
            for (unsigned int c = 0; c < std::max(s.cols, 8u) + 1; ++c) {
                const TMapCell* cell = map->getCells(c, r);
                const std::string at = shape + ", cell (" + std::to_string(c) + ", " + std::to_string(r) + ")";
                if (r >= s.rows || c >= s.cols) {
                    EXPECT_EQ(cell, nullptr) << at;
                } else if (r < 8 && c < 8) {
                    EXPECT_EQ(cell, before[r * 8 + c]) << at;
                    EXPECT_EQ(cell->cellValue, static_cast<int>(r * 10 + c)) << at;
                } else {
                    ExpectNewCell(*map, c, r);
                    EXPECT_EQ(std::find(before.begin(), before.end(), cell), before.end()) << at;
                }
            }
    }
}

TEST(MapDataReAlloc, DroppedPositionsDestroyTheirCells)
{
    int deaths = 0;
    auto map = SizedMap(8, 8);
    // Counted cells stand in for the map's own at a few positions.
    const unsigned int positions[][2] = {{0, 5}, {7, 7}, {1, 4}, {2, 2}, {7, 3}};
    for (const auto& p : positions) Replace(*map, p[0], p[1], new CountedCell(map.get(), 1, deaths));
    map->ReAlloc(4, 10);
    EXPECT_EQ(deaths, 3); // (0, 5), (7, 7) and (1, 4); rows 0 to 3 keep theirs
    ASSERT_NE(map->getCells(2, 2), nullptr);
    EXPECT_EQ(map->getCells(2, 2)->cellValue, 1);
    EXPECT_EQ(map->getCells(0, 4), nullptr);
    ExpectNewCell(*map, 9, 0);

    map->ReAlloc(0, 8);
    EXPECT_EQ(deaths, 5);
    EXPECT_EQ(map->getAllocRows(), 0u);
    EXPECT_EQ(map->getAllocCols(), 8u);
    for (unsigned int r = 0; r < 10; ++r)
        for (unsigned int c = 0; c < 10; ++c) EXPECT_EQ(map->getCells(c, r), nullptr);
    // From no array, a shape creates every cell anew.
    map->ReAlloc(2, 3);
    for (unsigned int r = 0; r < 2; ++r)
        for (unsigned int c = 0; c < 3; ++c) ExpectNewCell(*map, c, r);
}

TEST(MapDataReAlloc, EmptyPositionsAreSkippedAndStayEmpty)
{
    auto map = SizedMap(2, 2);
    TMapCell* taken = map->getCells(1, 0);
    map->setCells(1, 0, nullptr);
    map->ReAlloc(3, 3);
    EXPECT_EQ(map->getCells(1, 0), nullptr);
    ExpectNewCell(*map, 2, 0);
    map->ReAlloc(1, 1);
    EXPECT_EQ(map->getCells(1, 0), nullptr);
    delete taken;
}

TEST(MapDataReAlloc, ImpossibleSizesFailWithoutChangingTheMap)
{
    struct Row {
        unsigned int rows, cols;
    };
    // Each product is beyond any array; none may wrap into a small one.
    const Row shapes[] = {{UINT_MAX, UINT_MAX}, {0x80000000u, 0x40000000u}, {0x40000000u, 0x80000000u},
                          {UINT_MAX, 0x10000001u}};
    for (const Row& s : shapes) {
        auto map = SizedMap(2, 3);
        const std::vector<TMapCell*> before = Snapshot(*map, 3, 2);
        EXPECT_THROW(map->ReAlloc(s.rows, s.cols), Exception) << s.rows << " x " << s.cols;
        EXPECT_EQ(map->getAllocRows(), 2u);
        EXPECT_EQ(map->getAllocCols(), 3u);
        EXPECT_EQ(Snapshot(*map, 3, 2), before);
    }
    // Through the property writers, the declared count stays as it was.
    TMapData map(nullptr);
    EXPECT_THROW(map.setCols(UINT_MAX), Exception);
    EXPECT_THROW(map.setRows(UINT_MAX), Exception);
    EXPECT_EQ(map.Rows, 0u);
    EXPECT_EQ(map.Cols, 0u);
    EXPECT_EQ(map.getAllocRows(), 0u);
}

// A calibration table has tens of rows and columns; a map takes up to 1024 of each, and
// refuses more before it allocates anything, whether a call or a description asks.
TEST(MapDataReAlloc, ShapesBeyondTheLimitAreRefusedBeforeAnythingIsAllocated)
{
    struct Row {
        unsigned int rows, cols;
        bool refused;
    };
    const Row shapes[] = {{1024, 1024, false}, {1025, 1, true}, {1, 1025, true}, {0, 1025, true},
                          {32767, 32767, true}, {1024, 1, false}};
    for (const Row& s : shapes) {
        const std::string what = std::to_string(s.rows) + " x " + std::to_string(s.cols);
        auto map = SizedMap(2, 3);
        const std::vector<TMapCell*> before = Snapshot(*map, 3, 2);
        if (s.refused) {
            EXPECT_THROW(map->ReAlloc(s.rows, s.cols), Exception) << what;
            EXPECT_EQ(Snapshot(*map, 3, 2), before) << what;
        } else {
            EXPECT_NO_THROW(map->ReAlloc(s.rows, s.cols)) << what;
        }

        TMapData declared(nullptr);
        if (s.refused) {
            EXPECT_ANY_THROW({
                declared.setCols(s.cols);
                declared.setRows(s.rows);
            }) << what;
            EXPECT_LE(declared.getAllocRows(), 1024u) << what;
            EXPECT_LE(declared.getAllocCols(), 1024u) << what;
        }

        Mapdata::RegisterClasses();
        TComponent root(nullptr);
        const std::string text = "object root: TRoot\n  object m: TMapData\n    Cols = " + std::to_string(s.cols) +
                                 "\n    Rows = " + std::to_string(s.rows) + "\n  end\nend\n";
        if (s.refused) EXPECT_THROW(ReadFormDescription(root, "TRoot", text, {}), Exception) << what;
        else EXPECT_NO_THROW(ReadFormDescription(root, "TRoot", text, {})) << what;
    }
}

// ---- Cell access ----

TEST(MapDataCells, SetCellsStoresWithinTheAllocationOnly)
{
    int deaths = 0;
    auto map = SizedMap(2, 3);
    auto stray = std::make_unique<CountedCell>(map.get(), 9, deaths);
    const unsigned int outside[][2] = {{3, 0}, {0, 2}, {UINT_MAX, 0}, {0, UINT_MAX}, {UINT_MAX, UINT_MAX}};
    for (const auto& p : outside) {
        map->setCells(p[0], p[1], stray.get());
        EXPECT_EQ(map->getCells(p[0], p[1]), nullptr) << "(" << p[0] << ", " << p[1] << ")";
    }
    for (unsigned int r = 0; r < 2; ++r)
        for (unsigned int c = 0; c < 3; ++c) EXPECT_NE(map->getCells(c, r), stray.get());
    map.reset();
    EXPECT_EQ(deaths, 0); // stored nowhere, so still the caller's
}

TEST(MapDataCells, DisplacedCellPassesBackToTheCaller)
{
    int deaths = 0;
    auto map = SizedMap(2, 2);
    TMapCell* displaced = map->getCells(1, 1);
    map->setCells(1, 1, new CountedCell(map.get(), 4, deaths));
    EXPECT_EQ(map->getCells(1, 1)->cellValue, 4);
    map->ReAlloc(1, 1); // drops (1, 1): the stored cell is held like the map's own
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(displaced->ownerMap, map.get());
    map.reset();
    EXPECT_EQ(displaced->ownerMap, nullptr); // its map is gone: it renders as plain decimal
    EXPECT_EQ(displaced->AsString(), "0");
    delete displaced;
}

TEST(MapDataCells, StoringTheSameCellAgainChangesNothing)
{
    int deaths = 0;
    {
        auto map = SizedMap(1, 1);
        Replace(*map, 0, 0, new CountedCell(map.get(), 3, deaths));
        map->setCells(0, 0, map->getCells(0, 0));
        map->ReAlloc(1, 1);
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 1);
}

// ---- Ownership: cells held at several positions ----

// A cell at two positions of one map dies once, when its last position is dropped.
TEST(MapDataOwnership, DuplicateCellInOneMap)
{
    struct Row {
        const char* name;
        unsigned int firstRows, firstCols; // the first reshape
        int deathsAfterFirst;
        bool destroyMap;                   // then destroy the map, or reshape to 0 x 0
    };
    // The cell stands at (1, 0) and (0, 2) of a 3 x 3 map.
    const Row rows[] = {
        {"keep both", 3, 3, 0, true},   {"drop (0, 2) only", 2, 3, 0, true}, {"drop (1, 0) only", 3, 1, 0, false},
        {"drop both", 1, 1, 1, true},   {"drop everything", 0, 0, 1, false},
    };
    for (const Row& r : rows) {
        int deaths = 0;
        auto map = SizedMap(3, 3);
        auto* cell = new CountedCell(map.get(), 5, deaths);
        Replace(*map, 1, 0, cell);
        Replace(*map, 0, 2, cell);
        map->ReAlloc(r.firstRows, r.firstCols);
        EXPECT_EQ(deaths, r.deathsAfterFirst) << r.name;
        if (r.deathsAfterFirst == 0) {
            EXPECT_EQ(cell->cellValue, 5) << r.name; // still alive and readable
        }
        if (r.destroyMap) map.reset();
        else map->ReAlloc(0, 0);
        EXPECT_EQ(deaths, 1) << r.name;
    }
}

TEST(MapDataOwnership, DisplacingOneOfTwoPositionsLeavesTheCellHeld)
{
    int deaths = 0;
    auto map = SizedMap(1, 2);
    TMapCell* first = map->getCells(0, 0);
    TMapCell* second = map->getCells(1, 0);
    auto* cell = new CountedCell(map.get(), 5, deaths);
    map->setCells(0, 0, cell);
    map->setCells(1, 0, cell);
    map->setCells(1, 0, second); // displaces one of the two positions of cell
    EXPECT_EQ(deaths, 0);
    map.reset();
    EXPECT_EQ(deaths, 1);
    delete first; // displaced for good: the caller's
}

// A cell of map A stored in map B as well: it dies with whichever holder lets it go last.
TEST(MapDataOwnership, ForeignCellHeldByTwoMaps)
{
    struct Row {
        const char* name;
        bool bDropsFirst;   // B's ReAlloc drops its position before anything else
        bool destroyAFirst; // then A is destroyed before B, or after
    };
    const Row rows[] = {
        {"A dies, then B", false, true}, {"B dies, then A", false, false},
        {"B drops, A dies, B dies", true, true}, {"B drops, B dies, A dies", true, false},
    };
    for (const Row& r : rows) {
        int deaths = 0;
        int converterDeaths = 0;
        auto a = SizedMap(2, 2);
        auto b = SizedMap(2, 2);
        a->converter = new CountedConverter("a", converterDeaths);
        b->converter = new CountedConverter("b", converterDeaths);
        auto* cell = new CountedCell(a.get(), 7, deaths);
        Replace(*a, 0, 0, cell);
        Replace(*b, 1, 1, cell);
        EXPECT_EQ(b->getCells(1, 1)->AsString(), "a7") << r.name; // it keeps the converter of its own map

        if (r.bDropsFirst) {
            b->ReAlloc(1, 1);
            EXPECT_EQ(deaths, 0) << r.name; // A still holds it
        }
        if (r.destroyAFirst) {
            a.reset();
            EXPECT_EQ(deaths, r.bDropsFirst ? 1 : 0) << r.name;
            if (!r.bDropsFirst) {
                EXPECT_EQ(cell->ownerMap, nullptr) << r.name;
                EXPECT_EQ(b->getCells(1, 1)->AsString(), "7") << r.name; // A's converter is gone
            }
            b.reset();
        } else {
            b.reset();
            EXPECT_EQ(deaths, 0) << r.name;
            EXPECT_EQ(cell->AsString(), "a7") << r.name;
            a.reset();
        }
        EXPECT_EQ(deaths, 1) << r.name;
        EXPECT_EQ(converterDeaths, 2) << r.name;
    }
}

// The map's own cells, shared with another map, with no counting: the sanitizer build reports
// any double free, use after free or leak here.
TEST(MapDataOwnership, MapsSharingTheirOwnCells)
{
    auto a = SizedMap(3, 3);
    auto b = SizedMap(3, 3);
    auto c = SizedMap(3, 3);
    a->converter = new TRPMCellConverter;
    std::vector<TMapCell*> displaced;
    for (unsigned int r = 0; r < 3; ++r)
        for (unsigned int col = 0; col < 3; ++col) {
            a->getCells(col, r)->setCellValue(static_cast<int>(r * 3 + col));
            displaced.push_back(b->getCells(col, r));
            b->setCells(col, r, a->getCells(col, r)); // b now shares all of a's cells
        }
    Replace(*c, 0, 0, a->getCells(2, 2)); // a third holder of one cell, twice in c
    Replace(*c, 1, 1, a->getCells(2, 2));
    a->ReAlloc(1, 1);
    EXPECT_EQ(b->getCells(2, 2)->AsString(), "800");
    a.reset();
    EXPECT_EQ(b->getCells(2, 2)->AsString(), "8");
    EXPECT_EQ(c->getCells(1, 1)->cellValue, 8);
    b.reset();
    EXPECT_EQ(c->getCells(0, 0)->cellValue, 8);
    c.reset();
    for (TMapCell* cell : displaced) delete cell;
}

TEST(MapDataOwnership, CallerHeldCellOutlivesItsMap)
{
    auto map = SizedMap(1, 1);
    map->converter = new TKPACellConverter;
    auto cell = std::make_unique<TMapCell>(map.get(), 20);
    EXPECT_EQ(cell->AsString(), "40");
    map.reset();
    EXPECT_EQ(cell->ownerMap, nullptr);
    EXPECT_EQ(cell->AsString(), "20");
}

TEST(MapDataOwnership, OwnerComponentDestroysTheMapWithItsCellsAndConverter)
{
    int deaths = 0;
    int converterDeaths = 0;
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* map = new TMapData(owner.get());
    map->setRows(2);
    map->setCols(2);
    map->converter = new CountedConverter("x", converterDeaths);
    Replace(*map, 1, 1, new CountedCell(map, 1, deaths));
    owner.reset();
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(converterDeaths, 1);
}

// ---- Converter ownership ----

TEST(MapDataConverter, EachAssignmentReleasesTheEarlierConverter)
{
    int deaths = 0;
    auto map = SizedMap(1, 1);
    map->getCells(0, 0)->setCellValue(3);
    auto* first = new CountedConverter("first ", deaths);
    map->converter = first;
    EXPECT_EQ(map->converter.get(), first);
    EXPECT_EQ(map->converter->AsString(5), "first 5");
    map->converter = first; // the same one again: kept
    EXPECT_EQ(deaths, 0);
    map->converter = new CountedConverter("second ", deaths);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(map->getCells(0, 0)->AsString(), "second 3");
    map->converter = nullptr;
    EXPECT_EQ(deaths, 2);
    EXPECT_FALSE(map->converter);
    EXPECT_EQ(map->getCells(0, 0)->AsString(), "3");

    // Released back to the caller, it survives the map and may go to another.
    map->converter = new CountedConverter("third ", deaths);
    TCellConverter* third = map->converter.release();
    EXPECT_EQ(map->converter, nullptr);
    map.reset();
    EXPECT_EQ(deaths, 2);
    auto other = SizedMap(1, 1);
    other->converter = third;
    other.reset();
    EXPECT_EQ(deaths, 3);
}

// ---- Published properties and registration ----

TEST(MapDataProperties, PublishedAfterNameAndTag)
{
    const TClassInfo& info = TMapData::StaticClassInfo();
    EXPECT_EQ(info.Name(), "TMapData");
    EXPECT_TRUE(info.InheritsFrom(TComponent::StaticClassInfo()));
    const std::vector<const TPropInfo*> props = info.Properties();
    std::vector<std::string> names;
    for (const TPropInfo* p : props) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Rows", "Cols", "Cells"}));
    ASSERT_EQ(props.size(), 5u);
    for (const TPropInfo* p : {props[2], props[3]}) {
        EXPECT_EQ(p->Kind, TTypeKind::Integer) << p->Name;
        EXPECT_TRUE(p->Stored) << p->Name;
        ASSERT_TRUE(p->Default.has_value()) << p->Name;
        EXPECT_EQ(*p->Default, TPropValue::Int(0)) << p->Name;
    }
    EXPECT_EQ(props[4]->Kind, TTypeKind::Indexed);
    EXPECT_FALSE(props[4]->Stored);
}

TEST(MapDataProperties, DescriptionSizesTheMapThroughTheSetters)
{
    TMapData map(nullptr);
    EXPECT_EQ(map.ClassName(), "TMapData");
    EXPECT_TRUE(StoredProperties(map).empty());
    SetPropertyValue(map, "Name", TPropValue::Str("mapKPA"));
    SetPropertyValue(map, "Rows", TPropValue::Int(8));
    EXPECT_EQ(map.getCells(0, 0), nullptr);
    SetPropertyValue(map, "Cols", TPropValue::Int(1));
    ExpectNewCell(map, 0, 7);
    EXPECT_EQ(map.getCells(0, 8), nullptr);
    const auto stored = StoredProperties(map);
    const std::vector<std::pair<std::string, TPropValue>> expected{
        {"Name", TPropValue::Str("mapKPA")}, {"Rows", TPropValue::Int(8)}, {"Cols", TPropValue::Int(1)}};
    EXPECT_EQ(stored, expected);
    EXPECT_THROW(SetPropertyValue(map, "Rows", TPropValue::Int(-1)), Exception);
    EXPECT_EQ(map.Rows, 8u);
}

TEST(MapDataRegistration, RegisterPutsTheMapOnTheKestrionPage)
{
    Mapdata::Register();
    Mapdata::Register(); // listed once however often it runs
    const std::vector<TPalettePage>& pages = PalettePages();
    auto page = std::find_if(pages.begin(), pages.end(), [](const TPalettePage& p) { return p.Name == "Kestrion"; });
    ASSERT_NE(page, pages.end());
    EXPECT_EQ(std::count(page->Classes.begin(), page->Classes.end(), &TMapData::StaticClassInfo()), 1);
}

TEST(MapDataRegistration, RegisteredClassIsCreatableFromADescription)
{
    Mapdata::RegisterClasses();
    TComponentFactory create = FindClassFactory("tmapdata");
    ASSERT_TRUE(create);
    TComponent owner(nullptr);
    TComponent* made = create(&owner);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->ClassName(), "TMapData");
    EXPECT_EQ(made->Owner(), &owner);
    SetPropertyValue(*made, "Rows", TPropValue::Int(1));
    SetPropertyValue(*made, "Cols", TPropValue::Int(8));
    EXPECT_NE(static_cast<TMapData*>(made)->getCells(7, 0), nullptr);
}

} // namespace

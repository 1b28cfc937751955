// Integer settings at both ends of their range, through the setters and through a form
// description alike: positions and sizes stay within what can be added up, font heights
// within what can be drawn, and grid shapes within what can be held.
#include <QWidget>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>

#include "platform/Exception.h"
#include "platform/Form.h"
#include "platform/FormReader.h"
#include "platform/StringGrid.h"

namespace {

constexpr int kPositionLimit = (1 << 30) - 1;
constexpr int kSizeLimit = (1 << 24) - 1;
constexpr int kFontHeightLimit = 1000;
constexpr int kGridCountLimit = 1024;

struct Expected {
    std::optional<int> left = {}, top = {}, width = {}, height = {}, fontHeight = {}, colCount = {}, rowCount = {};
};

struct Row {
    const char* settings;                   // as description lines
    std::function<void(TStringGrid&)> set;  // the same through the setters
    bool refused;                           // raises Exception
    Expected expected;
};

const Row kRows[] = {
    {"Left = 2147483647", [](TStringGrid& g) { g.SetLeft(INT_MAX); }, false, {.left = kPositionLimit}},
    {"Left = -2147483648", [](TStringGrid& g) { g.SetLeft(INT_MIN); }, false, {.left = -kPositionLimit}},
    {"Top = 2147483647", [](TStringGrid& g) { g.SetTop(INT_MAX); }, false, {.top = kPositionLimit}},
    {"Top = -2147483648", [](TStringGrid& g) { g.SetTop(INT_MIN); }, false, {.top = -kPositionLimit}},
    {"Width = 2147483647", [](TStringGrid& g) { g.SetWidth(INT_MAX); }, false, {.width = kSizeLimit}},
    {"Height = -2147483648", [](TStringGrid& g) { g.SetHeight(INT_MIN); }, false, {.height = 0}},
    {"Left = 2147483647\nTop = 2147483647\nWidth = 2147483647\nHeight = 2147483647",
     [](TStringGrid& g) { g.SetBounds(INT_MAX, INT_MAX, INT_MAX, INT_MAX); }, false,
     {.left = kPositionLimit, .top = kPositionLimit, .width = kSizeLimit, .height = kSizeLimit}},
    {"Left = 2147483000\nWidth = 5000", [](TStringGrid& g) { g.SetBounds(2147483000, 0, 5000, 24); }, false,
     {.left = kPositionLimit, .width = 5000}},
    {"Font.Height = -2147483648", [](TStringGrid& g) { g.Font()->SetHeight(INT_MIN); }, false,
     {.fontHeight = -kFontHeightLimit}},
    {"Font.Height = 2147483647", [](TStringGrid& g) { g.Font()->SetHeight(INT_MAX); }, false,
     {.fontHeight = kFontHeightLimit}},
    {"Font.Size = 2147483647", [](TStringGrid& g) { g.Font()->SetSize(INT_MAX); }, false,
     {.fontHeight = -kFontHeightLimit}},
    {"Font.Size = -2147483648", [](TStringGrid& g) { g.Font()->SetSize(INT_MIN); }, false,
     {.fontHeight = kFontHeightLimit}},
    {"ColCount = 1024\nRowCount = 1024",
     [](TStringGrid& g) {
         g.SetColCount(kGridCountLimit);
         g.SetRowCount(kGridCountLimit);
     },
     false, {.colCount = kGridCountLimit, .rowCount = kGridCountLimit}},
    {"ColCount = 1025", [](TStringGrid& g) { g.SetColCount(kGridCountLimit + 1); }, true, {.colCount = 5}},
    {"RowCount = 32767", [](TStringGrid& g) { g.SetRowCount(32767); }, true, {.rowCount = 5}},
};

void ExpectSettled(const TStringGrid& grid, const Row& row, const char* route)
{
    const Expected& e = row.expected;
    const std::string what = std::string(route) + " '" + row.settings + "'";
    const auto expect = [&](const std::optional<int>& wanted, int actual, const char* name) {
        if (!wanted) return;
        EXPECT_EQ(actual, *wanted) << what << ": " << name;
    };
    expect(e.left, grid.Left(), "Left");
    expect(e.top, grid.Top(), "Top");
    expect(e.width, grid.Width(), "Width");
    expect(e.height, grid.Height(), "Height");
    expect(e.fontHeight, grid.Font()->Height(), "Font.Height");
    expect(e.colCount, grid.ColCount(), "ColCount");
    expect(e.rowCount, grid.RowCount(), "RowCount");
    // Whatever the settings, an edge can be computed and the window system agrees.
    EXPECT_LE(static_cast<long long>(grid.Left()) + grid.Width(), INT_MAX) << what;
    EXPECT_LE(static_cast<long long>(grid.Top()) + grid.Height(), INT_MAX) << what;
    EXPECT_GE(grid.Width(), 0) << what;
    EXPECT_GE(grid.Height(), 0) << what;
    EXPECT_EQ(grid.Widget()->geometry(), QRect(grid.Left(), grid.Top(), grid.Width(), grid.Height())) << what;
}

TEST(IntegerEdges, SettingsAtTheEndsOfTheirRangeThroughTheSetters)
{
    for (const Row& row : kRows) {
        TComponent owner(nullptr);
        auto* parent = new TWinControl(&owner);
        auto* grid = new TStringGrid(&owner);
        grid->SetParent(parent);
        grid->SetBounds(0, 0, 100, 50);
        if (row.refused) EXPECT_THROW(row.set(*grid), Exception) << row.settings;
        else EXPECT_NO_THROW(row.set(*grid)) << row.settings;
        ExpectSettled(*grid, row, "setters");
        grid->Repaint();
        (void)grid->Font()->Handle();
    }
}

TEST(IntegerEdges, SettingsAtTheEndsOfTheirRangeThroughADescription)
{
    for (const Row& row : kRows) {
        std::string settings;
        for (std::string_view rest = row.settings; !rest.empty();) {
            const size_t end = std::min(rest.find('\n'), rest.size());
            settings += "    " + std::string(rest.substr(0, end)) + "\n";
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
        const std::string text = "object edges: TEdgeForm\n  object grid: TStringGrid\n    Left = 0\n    Top = 0\n"
                                 "    Width = 100\n    Height = 50\n" + settings + "  end\nend\n";
        RegisterFormResource("TEdgeForm", text);
        if (row.refused) {
            EXPECT_THROW(TForm(nullptr, "TEdgeForm", {}), Exception) << row.settings;
            continue;
        }
        TForm form(nullptr, "TEdgeForm", {});
        const auto* grid = form.Component<TStringGrid>("grid");
        ExpectSettled(*grid, row, "description");
        // What is written back reads back the same.
        const std::string written = WriteFormDescription(form, "TEdgeCopy");
        RegisterFormResource("TEdgeCopy", written);
        TForm copy(nullptr, "TEdgeCopy", {});
        EXPECT_EQ(WriteFormDescription(copy, "TEdgeCopy"), written) << row.settings;
    }
}

TEST(IntegerEdges, AFormsOwnBoundsAtTheEndsOfTheirRange)
{
    RegisterFormResource("TEdgeWindow", "object w: TEdgeWindow\n  Left = -2147483648\n  Top = 2147483647\n"
                                        "  Width = 2147483647\n  Height = -2147483648\nend\n");
    TForm form(nullptr, "TEdgeWindow", {});
    EXPECT_EQ(form.Left(), -kPositionLimit);
    EXPECT_EQ(form.Top(), kPositionLimit);
    EXPECT_EQ(form.Width(), kSizeLimit);
    EXPECT_EQ(form.Height(), 0);
    form.SetBounds(INT_MIN, INT_MIN, INT_MIN, INT_MAX);
    EXPECT_EQ(form.Left(), -kPositionLimit);
    EXPECT_EQ(form.Width(), 0);
    EXPECT_EQ(form.Height(), kSizeLimit);
}

} // namespace

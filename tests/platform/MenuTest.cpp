// Pop-up menus as references between components and as trees of items: a control forgets
// a menu that is freed before it, and no item can be added into its own subtree.
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

#include "platform/Exception.h"
#include "platform/Menus.h"
#include "platform/StringGrid.h"

namespace {

TEST(PopupMenuReference, AControlForgetsAMenuFreedBeforeIt)
{
    TComponent owner(nullptr);
    auto* grid = new TStringGrid(&owner);
    grid->SetBounds(0, 0, 200, 100);
    auto* menu = NewPopupMenu(&owner, "hostMenu", paLeft, true, {NewItem("Close", 0, false, true, {}, 0, "close")});
    grid->SetPopupMenu(menu);
    ASSERT_EQ(grid->PopupMenu(), menu);

    delete menu;
    EXPECT_EQ(grid->PopupMenu(), nullptr);
    // A right click finds no menu to open.
    grid->Widget()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid->Widget()));
    QTest::mouseClick(grid->Widget(), Qt::RightButton, {}, QPoint(10, 10));
    QCoreApplication::processEvents();
}

TEST(PopupMenuReference, ControlsSharingAMenuForgetItTogether)
{
    TComponent owner(nullptr);
    auto* menu = NewPopupMenu(&owner, "shared", paLeft, true, {});
    auto* first = new TStringGrid(&owner);
    auto* second = new TStringGrid(&owner);
    first->SetPopupMenu(menu);
    second->SetPopupMenu(menu);
    second->SetPopupMenu(nullptr);
    second->SetPopupMenu(menu);
    delete menu;
    EXPECT_EQ(first->PopupMenu(), nullptr);
    EXPECT_EQ(second->PopupMenu(), nullptr);
}

// Adding an item to itself or into any of its own items would make a tree with a loop in
// it, which nothing could walk or free.
TEST(MenuItems, AddRefusesEveryCycle)
{
    struct Row {
        const char* what;
        // Items a, b and c start loose; `build` nests some, `add` tries the cycle.
        std::function<void(TMenuItem* a, TMenuItem* b, TMenuItem* c)> build;
        std::function<void(TMenuItem* a, TMenuItem* b, TMenuItem* c)> add;
    };
    const Row rows[] = {
        {"an item into itself", [](TMenuItem*, TMenuItem*, TMenuItem*) {},
         [](TMenuItem* a, TMenuItem*, TMenuItem*) { a->Add(a); }},
        {"an item into its own item", [](TMenuItem* a, TMenuItem* b, TMenuItem*) { a->Add(b); },
         [](TMenuItem* a, TMenuItem* b, TMenuItem*) { b->Add(a); }},
        {"an item two levels down",
         [](TMenuItem* a, TMenuItem* b, TMenuItem* c) {
             a->Add(b);
             b->Add(c);
         },
         [](TMenuItem* a, TMenuItem*, TMenuItem* c) { c->Add(a); }},
    };
    for (const Row& row : rows) {
        auto* a = NewItem("a", 0, false, true, {}, 0, "a");
        auto* b = NewItem("b", 0, false, true, {}, 0, "b");
        auto* c = NewItem("c", 0, false, true, {}, 0, "c");
        row.build(a, b, c);
        const TMenuItem* parents[] = {a->Parent(), b->Parent(), c->Parent()};
        EXPECT_THROW(row.add(a, b, c), Exception) << row.what;
        EXPECT_EQ(a->Parent(), parents[0]) << row.what;
        EXPECT_EQ(b->Parent(), parents[1]) << row.what;
        EXPECT_EQ(c->Parent(), parents[2]) << row.what;
        // Each item is freed once, with the tree it belongs to.
        for (TMenuItem* item : {c, b, a})
            if (!item->Parent()) delete item;
    }
}

TEST(MenuItems, APopupMenusItemsStayItsOwn)
{
    TComponent owner(nullptr);
    auto* menu = NewPopupMenu(&owner, "menu", paLeft, true, {NewItem("a", 0, false, true, {}, 0, "a")});
    TMenuItem* a = menu->Items()->Items(0);
    // The menu's list of items cannot go into one of its items, nor into another item.
    EXPECT_THROW(a->Add(menu->Items()), Exception);
    auto* loose = NewItem("loose", 0, false, true, {}, 0, "loose");
    EXPECT_THROW(loose->Add(menu->Items()), Exception);
    EXPECT_EQ(menu->Items()->Parent(), nullptr);
    delete loose;
    EXPECT_EQ(menu->Items()->Count(), 1);
}

} // namespace

// A pop-up menu of the host's own given to the grid: the grid keeps no reference to it once
// it is freed, and its destruction leaves the menu as the host made it.
#include <gtest/gtest.h>

#include <memory>

#include "grid/MapGrid.h"
#include "platform/Menus.h"

namespace {

TPopupMenu* HostMenu(TComponent* owner)
{
    return NewPopupMenu(owner, "hostMenu", paLeft, true,
                        {NewItem("Open", 0, false, true, {}, 0, "open"), NewItem("Close", 0, false, true, {}, 0, "close")});
}

TEST(HostMenu, AMenuMadeAfterTheGridOnTheSameOwnerGoesFirstAndIsForgotten)
{
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* grid = new TMapGrid(owner.get());
    TPopupMenu* menu = HostMenu(owner.get());
    grid->SetPopupMenu(menu);
    // The owner frees its components the last first: the menu, then the grid.
    owner.reset();
}

TEST(HostMenu, TheGridLeavesAMenuItDidNotMakeAsItIs)
{
    TComponent owner(nullptr);
    TPopupMenu* menu = HostMenu(&owner);
    auto* grid = new TMapGrid(&owner);
    auto* other = new TStringGrid(&owner);
    grid->SetPopupMenu(menu);
    other->SetPopupMenu(menu);
    delete grid;
    EXPECT_EQ(other->PopupMenu(), menu);
    EXPECT_EQ(menu->Items()->Count(), 2);
}

} // namespace

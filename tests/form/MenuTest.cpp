// SPDX-License-Identifier: MIT
// The menu bar's model: menus and items in order, items put in between,
// finding by name at any depth, separators.

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "Form.h"
#include "Menu.h"

namespace orbelle::form {
namespace {

std::vector<std::string> namesIn(const MenuItem &menu)
{
    std::vector<std::string> names;
    for (const auto &item : menu.items())
        names.push_back(item->Name);
    return names;
}

TEST(MenuTest, ItemsGoWhereTheyAreAskedForAndAreFoundByName)
{
    MenuBar bar;
    EXPECT_EQ(bar.kind(), Control::Kind::MenuBar);
    EXPECT_FALSE(bar.isWindowless());
    MenuItem &file = bar.addMenu("mnuFile", "ファイル(&F)");
    file.add("mnuLoad", "読込", "Ctrl+O");
    file.add("mnuPicture", "画像");
    file.add("mnuBar", "-");
    file.add("mnuExit", "終了");
    bar.addMenu("mnuHelp", "ヘルプ(&H)").add("mnuAbout", "情報");

    const struct {
        const char *after;
        std::vector<std::string> order;
    } cases[] = {
        {"mnuPicture", {"mnuLoad", "mnuPicture", "mnuNew", "mnuBar", "mnuExit"}},
        {"mnuExit", {"mnuLoad", "mnuPicture", "mnuNew", "mnuBar", "mnuExit", "mnuNew"}},
        {"no such item", {"mnuLoad", "mnuPicture", "mnuNew", "mnuBar", "mnuExit", "mnuNew", "mnuNew"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.after);
        MenuItem &added = file.insertAfter(c.after, "mnuNew", "新");
        EXPECT_EQ(added.Caption, "新");
        EXPECT_EQ(namesIn(file), c.order);
    }
    EXPECT_EQ(bar["mnuLoad"].Shortcut, "Ctrl+O");
    EXPECT_TRUE(bar["mnuBar"].isSeparator());
    EXPECT_FALSE(bar["mnuExit"].isSeparator());
    EXPECT_EQ(&bar["mnuAbout"], bar.menus()[1]->items()[0].get());
    EXPECT_EQ(bar.find("mnuNothing"), nullptr);
    EXPECT_THROW(bar["mnuNothing"], std::out_of_range);
}

} // namespace
} // namespace orbelle::form

// The popup menu model: inserting, checking, prefixes and submenus.
#include "editor/IPopupMenu.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Texts(const IPopupMenu& menu) {
    std::string texts;
    for (int i = 0; i < menu.GetNItems(); ++i)
        texts += std::string(i ? "," : "") + menu.GetItemText(i);
    return texts;
}

} // namespace

TEST(IPopupMenuTest, AddItemInsertsAtTheIndexClampedToTheList) {
    IPopupMenu menu;
    menu.AddItem("a");
    menu.AddItem("b");
    menu.AddItem("c");
    menu.AddItem("first", 0);
    menu.AddItem("last", 7);
    menu.AddItem("appended", -1);
    menu.AddItem("front", -5);
    EXPECT_EQ(Texts(menu), "front,first,a,b,c,last,appended");
    EXPECT_EQ(menu.GetItem(7), nullptr);
    EXPECT_EQ(menu.GetItem(-1), nullptr);
    EXPECT_STREQ(menu.GetItemText(99), "");
}

TEST(IPopupMenuTest, SeparatorsAndFlags) {
    IPopupMenu menu;
    menu.AddItem("Title", -1, IPopupMenuItem::kTitle);
    menu.AddSeparator();
    menu.AddItem("Off", -1, IPopupMenuItem::kDisabled);
    EXPECT_TRUE(menu.GetItem(0)->GetIsTitle());
    EXPECT_TRUE(menu.GetItem(1)->GetIsSeparator());
    EXPECT_STREQ(menu.GetItemText(1), "");
    EXPECT_FALSE(menu.GetItem(2)->GetEnabled());
    EXPECT_TRUE(menu.GetItem(0)->GetEnabled());
}

TEST(IPopupMenuTest, CheckMarks) {
    IPopupMenu menu(0, true);
    for (const char* text : {"a", "b", "c"})
        menu.AddItem(text);
    EXPECT_TRUE(menu.CheckItem(0, true));
    EXPECT_TRUE(menu.CheckItem(2, true));
    EXPECT_FALSE(menu.CheckItem(3, true));
    EXPECT_TRUE(menu.IsItemChecked(0) && menu.IsItemChecked(2));
    menu.CheckItemAlone(1);
    EXPECT_FALSE(menu.IsItemChecked(0));
    EXPECT_TRUE(menu.IsItemChecked(1));
    EXPECT_FALSE(menu.IsItemChecked(2));
    menu.CheckItemAlone(-1);
    EXPECT_FALSE(menu.IsItemChecked(0) || menu.IsItemChecked(1) || menu.IsItemChecked(2));
    EXPECT_FALSE(menu.IsItemChecked(5));
    // A check mark leaves the other flags alone.
    menu.AddItem("d", -1, IPopupMenuItem::kDisabled);
    menu.CheckItem(3, true);
    menu.CheckItem(3, false);
    EXPECT_EQ(menu.GetItem(3)->GetFlags(), IPopupMenuItem::kDisabled);
}

TEST(IPopupMenuTest, PrefixNumbersTheShownTexts) {
    IPopupMenu menu(2);
    menu.AddItem("Saw");
    menu.AddSeparator();
    menu.AddItem("Sine");
    menu.SetPrefix(4);
    EXPECT_EQ(menu.GetPrefix(), 2);
    UTIL_String shown;
    menu.GetItemDisplayText(0, &shown);
    EXPECT_STREQ(shown.Get(), "01: Saw");
    menu.GetItemDisplayText(1, &shown);
    EXPECT_STREQ(shown.Get(), "");
    menu.SetPrefix(3);
    menu.GetItemDisplayText(2, &shown);
    EXPECT_STREQ(shown.Get(), "003: Sine");
    menu.SetPrefix(0);
    menu.GetItemDisplayText(2, &shown);
    EXPECT_STREQ(shown.Get(), "Sine");
    EXPECT_EQ(IPopupMenu(7).GetPrefix(), 0);
}

TEST(IPopupMenuTest, SubmenusAreReferencedAndChoiceStartsUnset) {
    IPopupMenu sub;
    sub.AddItem("inner");
    IPopupMenu menu;
    menu.AddItem("More", &sub);
    menu.AddItem("Before", 0, &sub);
    EXPECT_EQ(menu.GetItem(1)->GetSubmenu(), &sub);
    EXPECT_EQ(menu.GetItem(0)->GetSubmenu(), &sub);
    EXPECT_EQ(menu.GetChosenItemIdx(), -1);
    menu.SetChosenItemIdx(1);
    EXPECT_EQ(menu.GetChosenItemIdx(), 1);
}

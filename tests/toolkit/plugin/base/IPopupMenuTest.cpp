#include <gtest/gtest.h>

#include <string>

#include "toolkit/plugin/base/IPopupMenu.h"

namespace {

std::string order(const IPopupMenu& menu) {
  std::string out;
  for (int i = 0; i < menu.GetNItems(); ++i)
    out += menu.GetItem(i)->GetIsSeparator() ? std::string("-") : menu.GetItemText(i);
  return out;
}

TEST(PopupMenu, InsertionPositions) {
  IPopupMenu menu;
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  menu.AddItem("b", -1);
  menu.AddItem("a", 0);
  menu.AddItem("c", 99);
  EXPECT_EQ(order(menu), "abc");
  menu.AddItem("z", -5);
  EXPECT_EQ(order(menu), "zabc");

  IPopupMenu two;
  two.AddItem("a");
  two.AddItem("b");
  IPopupMenuItem* separator = two.AddSeparator(1);
  EXPECT_EQ(order(two), "a-b");
  EXPECT_EQ(separator->GetFlags(), IPopupMenuItem::kSeparator);
  EXPECT_STREQ(two.GetItemText(1), "");
  EXPECT_EQ(two.GetItem(3), nullptr);
  EXPECT_EQ(two.GetItem(-1), nullptr);

  IPopupMenuItem* disabled = two.AddItem("d", -1, IPopupMenuItem::kDisabled);
  EXPECT_FALSE(disabled->GetEnabled());
  IPopupMenuItem* indented = two.AddItem(new IPopupMenuItem("e", IPopupMenuItem::kIndented), 0);
  EXPECT_EQ(indented, two.GetItem(0));
  EXPECT_TRUE(two.GetItem(0)->GetIsIndented());
}

TEST(PopupMenu, CheckMarks) {
  IPopupMenu menu;
  for (const char* text : {"a", "b", "c"}) menu.AddItem(text);
  EXPECT_TRUE(menu.CheckItem(0, true));
  EXPECT_TRUE(menu.CheckItem(1, true));
  menu.CheckItemAlone(2);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_FALSE(menu.IsItemChecked(1));
  EXPECT_TRUE(menu.IsItemChecked(2));
  EXPECT_FALSE(menu.CheckItem(5, true));
  EXPECT_FALSE(menu.IsItemChecked(5));
  menu.CheckItemAlone(-1);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(menu.IsItemChecked(i));
  menu.GetItem(1)->SetChecked(true);
  EXPECT_EQ(menu.GetItem(1)->GetFlags(), IPopupMenuItem::kChecked);
  menu.CheckItem(1, false);
  EXPECT_EQ(menu.GetItem(1)->GetFlags(), IPopupMenuItem::kNoFlags);
}

TEST(PopupMenu, NumberingPrefixes) {
  IPopupMenu menu;
  for (const char* text : {"Init", "Bass", "Lead"}) menu.AddItem(text);
  TK_String shown;
  menu.GetItemDisplayText(2, &shown);
  EXPECT_STREQ(shown.Get(), "Lead");
  menu.SetPrefix(2);
  menu.SetPrefix(4);
  menu.SetPrefix(-1);
  EXPECT_EQ(menu.GetPrefix(), 2);
  menu.GetItemDisplayText(2, &shown);
  EXPECT_STREQ(shown.Get(), "03: Lead");
  menu.SetPrefix(1);
  menu.GetItemDisplayText(0, &shown);
  EXPECT_STREQ(shown.Get(), "1: Init");
  menu.SetPrefix(3);
  menu.GetItemDisplayText(1, &shown);
  EXPECT_STREQ(shown.Get(), "002: Bass");
}

TEST(PopupMenu, SubMenusOutliveTheirParent) {
  IPopupMenu sub;
  sub.AddItem("inner");
  {
    IPopupMenu parent;
    parent.AddItem("outer", &sub);
    parent.AddItem("other", 0, &sub);
    EXPECT_EQ(parent.GetItem(1)->GetSubmenu(), &sub);
    EXPECT_EQ(parent.GetItem(0)->GetFlags(), IPopupMenuItem::kNoFlags);
  }
  ASSERT_EQ(sub.GetNItems(), 1);
  EXPECT_STREQ(sub.GetItemText(0), "inner");
}

}  // namespace

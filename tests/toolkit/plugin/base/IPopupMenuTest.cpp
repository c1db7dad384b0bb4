#include <gtest/gtest.h>

#include <string>

#include "toolkit/plugin/base/IPopupMenu.h"

namespace {

TEST(PopupMenu, InsertionCheckMarksAndPrefixes) {
  IPopupMenu sub;  // not owned by the menus that lead to it
  IPopupMenu menu;
  menu.AddItem("b", -1);
  menu.AddItem("a", 0);
  menu.AddItem("c", 99);
  std::string order;
  for (int i = 0; i < menu.GetNItems(); ++i) order += menu.GetItemText(i);
  EXPECT_EQ(order, "abc");
  EXPECT_TRUE(menu.CheckItem(0, true));
  menu.CheckItemAlone(2);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_TRUE(menu.IsItemChecked(2));
  EXPECT_FALSE(menu.CheckItem(5, true));
  menu.SetPrefix(2);
  menu.SetPrefix(4);
  EXPECT_EQ(menu.GetPrefix(), 2) << "only 0 to 3 digits";
  TK_String shown;
  menu.GetItemDisplayText(2, &shown);
  EXPECT_STREQ(shown.Get(), "03: c");

  EXPECT_EQ(menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)), nullptr);
  EXPECT_TRUE(menu.AddSeparator(1)->GetIsSeparator());
  menu.AddItem("e", 0, &sub);
  menu.AddItem("f", &sub);
  EXPECT_EQ(menu.GetItem(5)->GetSubmenu(), &sub);
  EXPECT_EQ(menu.GetItem(6), nullptr);
}

}  // namespace

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

// Checking one item marks that item only and leaves its other flags; unchecking clears the mark.
TEST(PopupMenu, CheckMarksFollowEachCall) {
  IPopupMenu menu;
  menu.AddItem("a", -1);
  menu.AddItem("b", -1, IPopupMenuItem::kDisabled);
  menu.AddItem("c", -1, IPopupMenuItem::kChecked);
  const struct {
    int index;
    bool state, accepted;
    const char* marks;
  } steps[] = {{0, true, true, "x.x"},  {1, true, true, "xxx"},   {2, false, true, "xx."},
               {0, false, true, ".x."}, {0, false, true, ".x."},  {1, false, true, "..."},
               {3, true, false, "..."}, {-1, true, false, "..."}, {2, true, true, "..x"}};
  for (const auto& s : steps) {
    EXPECT_EQ(menu.CheckItem(s.index, s.state), s.accepted) << s.index << " " << s.state;
    std::string marks;
    for (int i = 0; i < menu.GetNItems(); ++i) marks += menu.IsItemChecked(i) ? 'x' : '.';
    EXPECT_EQ(marks, s.marks) << s.index << " " << s.state;
  }
  EXPECT_FALSE(menu.GetItem(1)->GetEnabled()) << "the check mark leaves the other flags";
  EXPECT_FALSE(menu.IsItemChecked(3));
}

// Each prefix mode numbers the items from 1 with its own width; other modes leave it as it was.
TEST(PopupMenu, PrefixModes) {
  IPopupMenu menu;
  for (const char* text : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"})
    menu.AddItem(text, -1);
  const struct {
    int mode, kept;
    const char* first;
    const char* eleventh;
  } modes[] = {{0, 0, "a", "k"},           {1, 1, "1: a", "11: k"},     {2, 2, "01: a", "11: k"},
               {3, 3, "001: a", "011: k"}, {-1, 3, "001: a", "011: k"}, {4, 3, "001: a", "011: k"}};
  TK_String shown;
  for (const auto& m : modes) {
    menu.SetPrefix(m.mode);
    EXPECT_EQ(menu.GetPrefix(), m.kept) << m.mode;
    menu.GetItemDisplayText(0, &shown);
    EXPECT_STREQ(shown.Get(), m.first) << m.mode;
    menu.GetItemDisplayText(10, &shown);
    EXPECT_STREQ(shown.Get(), m.eleventh) << m.mode;
  }
  menu.RemoveAllItems();
  EXPECT_EQ(menu.GetNItems(), 0);
}

}  // namespace

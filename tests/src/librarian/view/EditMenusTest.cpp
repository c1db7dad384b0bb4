#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "LibrarianRig.h"
#include "platform/view/headless/Script.h"
#include "src/config/ParameterIds.h"
#include "src/librarian/view/EditMenus.h"
#include "src/librarian/view/NumberMenus.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Calls = std::vector<std::string>;

// No item of a menu or its sub-menus carries a check mark.
bool unchecked(const IPopupMenu* menu) {
  for (int i = 0; i < menu->GetNItems(); ++i)
    if (menu->IsItemChecked(i) ||
        (menu->GetItem(i)->GetSubmenu() && !unchecked(menu->GetItem(i)->GetSubmenu())))
      return false;
  return true;
}

// The item indices that lead to each checked item of a menu and its sub-menus.
std::vector<std::vector<int>> checkedPaths(const IPopupMenu* menu, std::vector<int> at = {}) {
  std::vector<std::vector<int>> found;
  for (int i = 0; i < menu->GetNItems(); ++i) {
    at.push_back(i);
    if (menu->IsItemChecked(i)) found.push_back(at);
    if (const IPopupMenu* sub = menu->GetItem(i)->GetSubmenu()) {
      const auto inner = checkedPaths(sub, at);
      found.insert(found.end(), inner.begin(), inner.end());
    }
    at.pop_back();
  }
  return found;
}

class Menus : public ::testing::Test {
 protected:
  Menus() {
    rig.part = 4;
    rig.param(kRequestFromBank)->Set(3.0);
    rig.param(kMultiPartBank + 4)->Set(5.0);
  }
  LibrarianRig rig;
};

// Each item's calls: jobs as code, part, bank and slot with their flags (E to the editor, L to
// the librarian, d dump routing, c collector done cleared, m Multi push). Sound and Multi mode;
// the bank and program menus with the new sound fetched or the editor's sent (`fetch`).
TEST_F(Menus, EveryItemStartsItsOwnJobOrCallInEachMode) {
  enum Menu { kMain, kSlot, kBank, kProgram, kCopy };
  const struct {
    Menu menu;
    bool multi, fetch;
    std::vector<int> path;
    Calls calls;
  } cases[] = {
      {kMain, false, true, {0, 0}, {"job 6 4 0 0 Ed"}},
      {kMain, false, true, {0, 1}, {"job 6 4 0 0 "}},
      {kMain, false, true, {0, 2}, {"request 9 0 3"}},
      {kMain, false, true, {0, 4}, {"request 10 0"}},
      {kMain, false, true, {0, 11}, {"request 10 7"}},
      {kMain, false, true, {2, 0}, {"single 1 4"}},
      {kMain, false, true, {2, 9}, {"all 7"}},
      {kMain, false, true, {4}, {"job 5 0 0 0 Ed"}},
      {kMain, false, true, {5}, {"job 0 0 0 0 m"}},
      {kMain, false, true, {7}, {"status Bank save FAILED!"}},  // no bank to save
      {kMain, false, true, {8, 0}, {"status Bank save FAILED!"}},
      {kMain, false, true, {10, 1}, {"import 0", "change 8445"}},
      {kMain, false, true, {11}, {"change 8445"}},
      {kMain, false, true, {12, 0}, {"data folder 0"}},
      {kMain, false, true, {12, 1}, {}},  // the manual is greyed
      {kMain, false, true, {12, 2}, {"help 0"}},
      {kMain, false, true, {12, 4}, {"help 2"}},
      {kMain, false, true, {}, {}},
      {kMain, true, true, {0, 0}, {"job 5 0 0 0 Ed"}},
      {kMain, true, true, {0, 1}, {"job 5 0 0 0 "}},
      {kMain, true, true, {0, 2}, {"job 7 0 0 0 c"}},
      {kMain, true, true, {0, 3}, {"job 8 0 0 0 c"}},
      {kMain, true, true, {2, 1}, {"all 0"}},
      {kSlot, false, true, {4}, {"job 12 0 0 0 d"}},
      {kSlot, false, true, {5, 0}, {"job 2 4 0 0 L"}},
      {kSlot, false, true, {5, 2}, {"request 9 1 0"}},
      {kSlot, false, true, {5, 3}, {"request 9 0 0"}},
      {kSlot, true, true, {4}, {"job 11 0 0 0 d"}},
      {kSlot, true, true, {5, 0}, {"job 0 4 0 0 L"}},
      {kSlot, true, true, {5, 2}, {"job 5 0 0 0 "}},
      {kSlot, true, true, {5, 3}, {"job 7 0 0 0 c"}},
      {kBank, false, true, {2}, {"bank change 4", "job 6 4 0 0 Ed"}},
      {kBank, false, false, {6}, {"bank change 4", "send part 4 1 0 0 0"}},
      {kBank, true, true, {0}, {"bank change 4"}},
      {kBank, false, true, {}, {}},
      {kProgram, false, true, {12, 4}, {"bank change 4", "job 6 4 0 0 Ed"}},  // program 124
      {kProgram, true, false, {0, 1}, {"bank change 16", "send part 4 0 0 0 1"}},
      {kCopy, false, true, {0}, {}},
  };
  for (const auto& c : cases) {
    rig.multi = c.multi;
    rig.programRequests = c.fetch;
    BankEditPopupMenu main(&rig, &rig.librarian, IRECT(839, 187, 916, 205), &rig);
    FileEditPopupMenu slot(&rig, &rig.librarian, IRECT(50, 60, 50, 60), &rig);
    BankNumberPopupMenu banks(&rig, &rig.librarian, IRECT(1142, 60, 1180, 84), &rig);
    ProgramNumberPopupMenu programs(&rig, &rig.librarian, IRECT(1184, 60, 1229, 84), &rig);
    FileCopyPopupMenu copy(&rig, &rig.librarian, IRECT(50, 60, 50, 60), &rig);
    IControl* menus[] = {&main, &slot, &banks, &programs, &copy};
    menus[c.menu]->SetClean();
    menus[c.menu]->SetClean();  // the redraw it asked for when made is done too
    rig.choose(menus[c.menu], c.path);
    EXPECT_EQ(rig.take(), c.calls) << c.menu << c.multi << " item " << c.path.size();
    EXPECT_TRUE(menus[c.menu]->IsDirty()) << c.menu << " redrawn after its menu";
    EXPECT_TRUE(unchecked(main.menu(BankEditPopupMenu::kMain)) && unchecked(slot.menu()) &&
                unchecked(copy.menu()));
  }
  EXPECT_EQ(rig.param(kMultiPartBank + 4)->Int(), 6) << "a dismissed bank menu changes nothing";
  EXPECT_EQ(rig.param(kMultiPartPatch + 4)->Int(), 124);
  EXPECT_EQ(rig.param(kMultiPatch)->Int(), 1);
  rig.midiOut = false;
  BankEditPopupMenu main(&rig, &rig.librarian, IRECT(839, 187, 916, 205), &rig);
  rig.choose(&main, {5});
  rig.choose(&main, {14});
  EXPECT_THAT(rig.take(), IsEmpty()) << "no push without the MIDI ports";
  EXPECT_TRUE(rig.layers["aboutWindow"]->IsVisible());
}

// A menu tree as text: items by "|", a separator "-", a sub-menu in braces after its item, a
// greyed item after "~", a checked one before "*".
std::string tree(const IPopupMenu* menu) {
  std::string text;
  for (int i = 0; i < menu->GetNItems(); ++i) {
    const IPopupMenuItem* item = menu->GetItem(i);
    text += i ? "|" : "";
    if (item->GetIsSeparator()) {
      text += "-";
      continue;
    }
    text += std::string(item->GetEnabled() ? "" : "~") + item->GetText() +
            (item->GetChecked() ? "*" : "");
    if (item->GetSubmenu()) text += "{" + tree(item->GetSubmenu()) + "}";
  }
  return text;
}

// "first|...|last" for the texts from..to(i) of i = from..to.
template <class Text>
std::string run(int from, int to, Text text) {
  std::string joined;
  for (int i = from; i <= to; ++i) joined += (i > from ? "|" : "") + text(i);
  return joined;
}

std::string letter(int bank) {
  return std::string(1, static_cast<char>('A' + bank));
}

TEST_F(Menus, EveryItemReadsAsTheUserSeesItInEachMode) {
  const std::string soundRequest =
      "from Active Slot to Plug-in GUI|from Active Slot to Librarian|from Selected Program "
      "Slot|-|" +
      run(0, 7, [](int b) { return "All Patches from Bank " + letter(b); });
  const std::string soundStore = "To Currently Selected Slot & Bank|-|" + run(0, 7, [](int b) {
                                   return "All Current Patches to Bank " + letter(b);
                                 });
  const std::string rest =
      "|-|Sync Current Data from HW|Push Current Multi to HW|-|Save (Overwrite current "
      "bank)|Save As...{Standard MIDI (*.mid)|Kroma Format (*.kro)}|-|Import...{Standard MIDI "
      "(*.mid)|SysEx (*.syx / *.kro)}|Refresh Folders|Other Helpful things...{Open Data "
      "Folder|~Open User Manual|Open Support Ticket|Check for Updates|DAW Setup Guides}|-|About "
      "this Plug-in...";
  const std::string slot =
      "Paste|-|Rename|-|Initialize Slot|Get DATA from..{Plug-in (active patch)|-|Hardware Edit "
      "Buffer|Hardware by Prog No.}";
  const std::string programs = run(0, 12, [](int k) {
    const std::string range = k == 12 ? "121-128"
                              : k == 0
                                  ? "01-10"
                                  : std::to_string(10 * k + 1) + "-" + std::to_string(10 * k + 10);
    return range + "{" +
           run(10 * k + 1, std::min(10 * k + 10, 128),
               [](int p) {
                 char number[16];
                 std::snprintf(number, sizeof number, "Sound %03d", p);
                 return std::string(number) + (p == 125 ? "*" : "");
               }) +
           "}";
  });
  const struct {
    bool multi;
    std::string main, banks;
  } cases[] = {
      {false,
       "Request Patch Data{" + soundRequest + "}|-|Store Patch Data{" + soundStore + "}" + rest,
       run(0, 7, [](int b) { return "Bank " + letter(b) + " (RAM)" + (b == 2 ? "*" : ""); })},
      {true,
       "Request Multi Data{from Temp Buffer to Plug-in GUI|from Temp Buffer to Librarian|from "
       "selected Program Slot|All Multis from Selected Bank}|-|Store Multi Data{To Currently "
       "Selected Slot & Bank|All Multis from Current Bank}" +
           rest,
       "Bank 0 (RAM)"},
  };
  for (const auto& c : cases) {
    rig.multi = c.multi;
    BankEditPopupMenu main(&rig, &rig.librarian, IRECT(839, 187, 916, 205), &rig);
    FileEditPopupMenu slotMenu(&rig, &rig.librarian, IRECT(50, 60, 50, 60), &rig);
    FileCopyPopupMenu copy(&rig, &rig.librarian, IRECT(50, 60, 50, 60), &rig);
    BankNumberPopupMenu banks(&rig, &rig.librarian, IRECT(1142, 60, 1180, 84), &rig);
    ProgramNumberPopupMenu programMenu(&rig, &rig.librarian, IRECT(1184, 60, 1229, 84), &rig);
    banks.refreshPatchNames(&rig.librarian, &rig, 2);
    programMenu.refreshPatchNames(&rig.librarian, &rig, 124);
    // Menus filled again (as on a mode change) read the same, with nothing doubled.
    for (int filled = 1; filled <= 2; ++filled) {
      EXPECT_EQ(tree(main.menu(BankEditPopupMenu::kMain)), c.main) << c.multi << filled;
      EXPECT_EQ(tree(slotMenu.menu()), slot) << c.multi << filled;
      main.AddMenuItemsIn(&rig);
      slotMenu.AddMenuItemsIn();
    }
    EXPECT_EQ(tree(copy.menu()), "Copy") << c.multi;
    EXPECT_EQ(tree(banks.menu()), c.banks) << c.multi;
    EXPECT_EQ(tree(programMenu.menu()), programs) << c.multi;
  }
  // A sound bank past H checks no bank.
  rig.multi = false;
  BankNumberPopupMenu banks(&rig, &rig.librarian, IRECT(1142, 60, 1180, 84), &rig);
  banks.refreshPatchNames(&rig.librarian, &rig, 8);
  EXPECT_TRUE(unchecked(banks.menu()));
}

// A bank or program chosen comes back as the item's index and the number it stands for; a
// dismissed menu gives 0 and leaves the number as it was.
TEST_F(Menus, TheNumberMenusAnswerWithTheItemChosen) {
  BankNumberPopupMenu banks(&rig, &rig.librarian, IRECT(1142, 60, 1180, 84), &rig);
  ProgramNumberPopupMenu programs(&rig, &rig.librarian, IRECT(1184, 60, 1229, 84), &rig);
  const struct {
    bool program;
    std::vector<int> path;
    int item, number;
  } cases[] = {
      {false, {5}, 5, 5},      {false, {}, 0, 99}, {true, {3, 7}, 7, 37},
      {true, {12, 7}, 7, 127}, {true, {}, 0, 99},
  };
  // The check mark stays on the last item chosen, also when the menu is dismissed.
  std::vector<int> marked[2];
  for (const auto& c : cases) {
    VIEW_Script::instance().answerMenu(c.path);
    int number = 99;
    const int item =
        c.program ? programs.doPopupMenu(&rig, number) : banks.doPopupMenu(&rig, number);
    EXPECT_EQ(item, c.item) << c.program << " " << c.path.size();
    EXPECT_EQ(number, c.number) << c.program << " " << c.path.size();
    if (!c.path.empty()) marked[c.program] = c.path;
    EXPECT_EQ(checkedPaths(c.program ? programs.menu() : banks.menu()),
              std::vector<std::vector<int>>{marked[c.program]})
        << c.program << " " << c.path.size();
  }
  // Without a host a choice does nothing: 0, and the number stays.
  for (bool program : {false, true}) {
    VIEW_Script::instance().answerMenu(program ? std::vector<int>{3, 7} : std::vector<int>{5});
    int number = 99;
    rig.take();
    EXPECT_EQ(program ? programs.doPopupMenu(nullptr, number) : banks.doPopupMenu(nullptr, number),
              0)
        << program;
    EXPECT_EQ(number, 99) << program;
    EXPECT_THAT(rig.take(), IsEmpty()) << program;
  }
}

// A press on a number menu redraws it, whether a number was chosen or not.
TEST_F(Menus, APressRedrawsTheNumberMenus) {
  BankNumberPopupMenu banks(&rig, &rig.librarian, IRECT(1142, 60, 1180, 84), &rig);
  ProgramNumberPopupMenu programs(&rig, &rig.librarian, IRECT(1184, 60, 1229, 84), &rig);
  for (const auto& [menu, path] :
       {std::pair<IControl*, std::vector<int>>{&banks, {1}}, {&programs, {1, 1}}})
    for (bool chosen : {false, true}) {
      menu->SetClean();
      menu->SetClean();  // the redraw it asked for last time is done too
      rig.choose(menu, chosen ? path : std::vector<int>{});
      EXPECT_TRUE(menu->IsDirty()) << (menu == &banks ? "banks " : "programs ") << chosen;
    }
}

TEST_F(Menus, ProgramsComeInTensAndNameTheLibrarianSlotsTheyPlay) {
  ProgramNumberPopupMenu programs(&rig, &rig.librarian, IRECT(1184, 60, 1229, 84), &rig);
  EXPECT_EQ(programs.subMenu(12)->GetNItems(), 8);
  programs.refreshPatchNames(&rig.librarian, &rig, 127);
  EXPECT_TRUE(programs.subMenu(12)->IsItemChecked(7));
  rig.librarySlots = true;
  rig.makeView();
  banks::add(rig.librarian, "Bank.syx", banks::records("Lib"));
  programs.refreshPatchNames(&rig.librarian, &rig, 0);
  EXPECT_EQ(banks::trimmed(programs.subMenu(1)->GetItemText(3)), "Lib13");
  // A short bank names its slots; the programs past its end keep their numbers.
  banks::add(rig.librarian, "Short.syx", banks::records("Short", 100));
  rig.param(kPatchSelectionListUpper)->Set(1.0);
  programs.refreshPatchNames(&rig.librarian, &rig, 0);
  EXPECT_EQ(banks::trimmed(programs.subMenu(9)->GetItemText(9)), "Short99");
  EXPECT_EQ(std::string(programs.subMenu(10)->GetItemText(0)), "Sound 101");
  rig.param(kPatchSelectionListUpper)->Set(2.0);  // no such bank
  programs.refreshPatchNames(&rig.librarian, &rig, 0);
  EXPECT_EQ(std::string(programs.subMenu(0)->GetItemText(0)), "Sound 001");
  rig.param(kPatchSelectionListUpper)->Set(0.0);
  programs.refreshPatchNames(&rig.librarian, &rig, 0);
  rig.choose(&programs, {1, 3});
  EXPECT_EQ(rig.view->upperSelection, 13);
  EXPECT_EQ(rig.librarian.selectedProgram, 13);
  EXPECT_EQ(rig.param(kMultiPartPatch + rig.part)->Int(), 13);
  EXPECT_THAT(rig.take(), ElementsAre("pause 10", "play 13 0 4")) << "no bank change";

  // A plug-in without the upper list's parameter names the slots of the first bank.
  StandInPlugin bare;
  ProgramNumberPopupMenu unlisted(&bare, &rig.librarian, IRECT(1184, 60, 1229, 84), &rig);
  EXPECT_EQ(banks::trimmed(unlisted.subMenu(1)->GetItemText(3)), "Lib13");
}

}  // namespace

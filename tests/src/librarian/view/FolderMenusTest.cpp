#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

#include "LibrarianRig.h"
#include "platform/datafolder/DataFolder.h"
#include "platform/view/headless/Script.h"
#include "src/config/ParameterIds.h"
#include "src/librarian/view/EditMenus.h"
#include "src/librarian/view/FolderMenus.h"
#include "tests/support/OtherUser.h"
#include "tests/support/TempDir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using Texts = std::vector<std::string>;
using Host = LibrarianHost;

const IRECT kStrip(394, 188, 810, 207);

// A menu tree's file items as "folder/.../file" with the item indices that lead to each (by that
// and by the file's name), its checked items (by name and as "folder/.../file"), and whether every
// menu holds its sub-menus before its files.
struct Tree {
  Texts files, checked, checkedFiles;
  std::map<std::string, std::vector<int>> paths;
  bool ordered = true;
  explicit Tree(const IPopupMenu* menu) { walk(menu, "", {}); }
  void walk(const IPopupMenu* menu, const std::string& at, std::vector<int> path) {
    bool fileSeen = false;
    for (int i = 0; i < menu->GetNItems(); ++i) {
      const std::string text = menu->GetItemText(i);
      if (menu->IsItemChecked(i)) checked.push_back(text), checkedFiles.push_back(at + text);
      const IPopupMenu* sub = menu->GetItem(i)->GetSubmenu();
      ordered = ordered && !(sub && fileSeen);
      fileSeen = fileSeen || !sub;
      path.push_back(i);
      if (sub) walk(sub, at + text + "/", path);
      if (!sub) files.push_back(at + text), paths[text] = paths[at + text] = path;
      path.pop_back();
    }
  }
};

// A Patches folder: a bank in it, a folder with two banks and two folders of one bank each, and
// two Multi banks.
class FolderMenus : public ::testing::Test {
 protected:
  FolderMenus() : env("KROMA_DATA_DIR", dir.path().c_str()) {
    for (const std::string path : {"Root1", "Pads/P1", "Pads/P2", "Pads/Warm/W1", "Pads/Cold/C1"})
      banks::write(patches() + path + ".syx", path.substr(path.rfind('/') + 1) + "-");
    banks::write(patches() + "Multis/M1.syx", "M1-", true);
    banks::write(patches() + "M2.syx", "M2-", true);
    rig.librarian.loadPatchesFromFilesystem(DataFolder::patchesFolder());
    rig.makeView();
  }
  static std::string patches() { return DataFolder::patchesFolder() + "/"; }
  int indexOf(const std::string& name, bool multi = false) const {
    const auto& files = multi ? rig.librarian.multiFiles : rig.librarian.soundFiles;
    return std::find_if(files.begin(), files.end(),
                        [&](const PatchFile* f) { return f->fileName == name; }) -
           files.begin();
  }

  kroma_test::TempDir dir;
  kroma_test::ScopedEnv env;
  LibrarianRig rig;
};

TEST_F(FolderMenus, FoldersAreSubMenusBeforeFilesAndAChoiceIsRememberedByName) {
  LeftPatchPopupMenu menu(&rig, &rig.librarian, kStrip, &rig);
  const Tree tree(menu.rootMenu());
  EXPECT_THAT(tree.files, UnorderedElementsAre("Pads/P1.syx", "Pads/P2.syx", "Pads/Warm/W1.syx",
                                               "Pads/Cold/C1.syx", "Root1.syx"));
  EXPECT_TRUE(tree.ordered) << "folders come before the files beside them";
  EXPECT_EQ(tree.files.back(), "Root1.syx");

  rig.choose(&menu, tree.paths.at("W1.syx"));
  EXPECT_EQ(rig.files[Host::kUpperSounds].file, "W1.syx");
  EXPECT_EQ(rig.files[Host::kUpperSounds].folder, "Warm");
  EXPECT_EQ(rig.param(kPatchSelectionListUpper)->Int(), indexOf("W1.syx"));
  EXPECT_THAT(Tree(menu.rootMenu()).checked, ElementsAre("W1.syx"));
  EXPECT_EQ(banks::trimmed(rig.view->slotText(0, 3)), "W1-3");

  rig.choose(&menu, {});
  EXPECT_EQ(rig.files[Host::kUpperSounds].file, "W1.syx") << "dismissed";
}

// Every bank of the list is reached through its item, the first and the last as well; the
// control that shows the list's bank follows.
TEST_F(FolderMenus, EveryBankIsChosenByItsItem) {
  IInvisibleSwitchControl shown(&rig, IRECT(0, 0, 1, 1), kPatchSelectionListUpper);
  rig.selections[0] = &shown;
  LeftPatchPopupMenu menu(&rig, &rig.librarian, kStrip, &rig);
  const Tree tree(menu.rootMenu());
  const int count = static_cast<int>(rig.librarian.soundFiles.size());
  for (int index = count - 1; index >= 0; --index) {
    const std::string name = rig.librarian.soundFiles[index]->fileName;
    menu.SetClean();
    menu.SetClean();  // the redraw it asked for last time is done too
    rig.choose(&menu, tree.paths.at(name));
    EXPECT_TRUE(menu.IsDirty()) << "the strip shows the new bank";
    EXPECT_EQ(rig.librarian.upperFileIndex, index) << name;
    EXPECT_EQ(rig.param(kPatchSelectionListUpper)->Int(), index) << name;
    EXPECT_DOUBLE_EQ(shown.GetValue(), rig.param(kPatchSelectionListUpper)->GetNormalized(index))
        << name;
  }
  rig.selections[0] = nullptr;
}

// A dismissed menu leaves both lists' files where they were; its own list's parameter and
// display are brought in step with its file, and the other list's are not touched. While the upper
// bank holds unsaved edits, the upper list's menus open nothing and say so, as its arrows do.
TEST_F(FolderMenus, EachMenuServesItsOwnListAndADismissedOneKeepsBothFiles) {
  using Row = FolderSelectionMenu::Row;
  const struct {
    Row row;
    int list;
  } kRows[] = {{Row::kLeftPatch, 0},    {Row::kRightPatch, 1},    {Row::kLeftPerf, 0},
               {Row::kRightPerf, 1},    {Row::kRightCategory, 1}, {Row::kRightSearch, 1},
               {Row::kPerfBankName, 0}, {Row::kProgBankName, 0}};
  const int kParams[] = {kPatchSelectionListUpper, kPatchSelectionListLower};
  for (const auto& [row, list] : kRows) {
    FolderSelectionMenu menu(&rig, &rig.librarian, kStrip, &rig, row);
    rig.librarian.upperFileIndex = 3;
    rig.librarian.lowerFileIndex = 5;
    rig.param(kParams[0])->Set(11);
    rig.param(kParams[1])->Set(12);
    rig.displaysAsked.clear();
    rig.choose(&menu, {});
    EXPECT_EQ(rig.librarian.upperFileIndex, 3) << row;
    EXPECT_EQ(rig.librarian.lowerFileIndex, 5) << row;
    EXPECT_EQ(rig.param(kParams[list])->Int(), list == 0 ? 3 : 5) << row;
    EXPECT_EQ(rig.param(kParams[1 - list])->Int(), list == 0 ? 12 : 11) << row;
    EXPECT_THAT(rig.displaysAsked, ElementsAre(list)) << row;

    // While the upper bank holds unsaved edits its menus open nothing and say why.
    rig.param(kBankEditUnsaved)->Set(1.0);
    const size_t shown = VIEW_Script::instance().menusShown().size();
    rig.take();
    rig.choose(&menu, {});
    const bool opened = VIEW_Script::instance().menusShown().size() > shown;
    EXPECT_EQ(opened, list == 1) << row;
    EXPECT_EQ(rig.take(),
              list == 0 ? Texts{"status " + std::string(Host::kSaveOrDiscard)} : Texts{})
        << row;
    EXPECT_EQ(rig.librarian.upperFileIndex, 3) << row;
    rig.param(kBankEditUnsaved)->Set(0.0);  // a dismissal no menu took stays for the next one
  }
}

// A pick opens the bank as its file holds it now. A file that no longer holds it (it went, grew
// past the cap, shrank below a bank, was written over at its size with bytes that hold none or
// only a dump's start, or may no longer be read: that pick made as a user who may not read it)
// opens nothing: the status line says so, and the bank shown, its check mark and the file
// remembered stay, so that Save writes the bank on screen. A file written over with another bank
// is read again, but not into an upper bank with unsaved edits.
TEST_F(FolderMenus, APickOpensTheBankAsItsFileHoldsItNowOrFailsAloud) {
  for (const char* name : {"R1", "H1", "N1", "L1"})
    banks::write(patches() + "Pads/" + name + ".syx", "X-");
  rig.librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
  ::chmod(dir.path().c_str(), 0755);
  LeftPatchPopupMenu menu(&rig, &rig.librarian, kStrip, &rig);
  const Tree tree(menu.rootMenu());
  const struct {
    const char* file;
    std::function<int(const std::string&)> spoil;
    const char* shown;  // slot 3 after the pick; null: the pick fails
    bool anotherUser;
  } rows[] = {
      {"P1.syx", [](const std::string& path) { return ::unlink(path.c_str()); }, nullptr, false},
      {"P2.syx", [](const std::string& path) { return ::truncate(path.c_str(), 20 << 20); },
       nullptr, false},
      {"W1.syx", [](const std::string& path) { return ::truncate(path.c_str(), 100); }, nullptr,
       false},
      {"R1.syx",
       [](const std::string& path) {
         std::ofstream(path, std::ios::binary) << std::string(128 * 392, 'x');
         return 0;
       },
       nullptr, false},
      {"H1.syx",  // the first dump's F0, header and body begun, then zeros to a bank's size
       [](const std::string& path) {
         return ::truncate(path.c_str(), 200) || ::truncate(path.c_str(), 128 * 392);
       },
       nullptr, false},
      {"N1.syx", [](const std::string& path) { return banks::write(path, "Y-"), 0; }, "Y-3", false},
      {"L1.syx", [](const std::string& path) { return ::chmod(path.c_str(), 0); }, nullptr, true},
  };
  // Edits of the upper bank not yet saved stay when the lower list opens its changed file.
  RightPatchPopupMenu lower(&rig, &rig.librarian, kStrip, &rig);
  rig.choose(&menu, tree.paths.at("C1.syx"));
  rig.librarian.soundFiles[indexOf("C1.syx")]->records[3] = banks::record("Edited");
  rig.param(kBankEditUnsaved)->Set(1.0);
  banks::write(patches() + "Pads/Cold/C1.syx", "Z-");
  rig.choose(&lower, tree.paths.at("C1.syx"));
  EXPECT_EQ(banks::trimmed(rig.view->slotText(1, 3)), "Edited");
  EXPECT_EQ(banks::trimmed(rig.librarian.soundFiles[indexOf("C1.syx")]->records[3].name), "Edited");
  rig.param(kBankEditUnsaved)->Set(0.0);

  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    rig.choose(&menu, tree.paths.at("Root1.syx"));
    const std::string folder = row.file[0] == 'W' ? "Pads/Warm/" : "Pads/";
    ASSERT_EQ(row.spoil(patches() + folder + row.file), 0);
    // What the pick said, the file remembered, the bank and the item checked, and slot 3 shown.
    const auto pick = [&] {
      if (::access((patches() + "Root1.syx").c_str(), R_OK) != 0)
        return std::string("skip: the test's banks are closed to an unprivileged user");
      rig.take();
      rig.choose(&menu, tree.paths.at(row.file));
      std::string said;
      for (const std::string& call : rig.take()) said += call + "; ";
      said += rig.files[Host::kUpperSounds].file + " " +
              rig.librarian.soundFiles[rig.librarian.upperFileIndex]->fileName + " ";
      for (const std::string& checked : Tree(menu.rootMenu()).checked) said += checked + " ";
      return said + banks::trimmed(rig.view->slotText(0, 3));
    };
    const std::string outcome = row.anotherUser ? kroma_test::asAnotherUser(pick) : pick();
    if (outcome.rfind("skip: ", 0) == 0) GTEST_SKIP() << outcome;
    const std::string file = row.file;
    EXPECT_EQ(outcome, row.shown
                           ? file + " " + file + " " + file + " " + row.shown
                           : "status Bank load FAILED!; Root1.syx Root1.syx Root1.syx Root1-3");
  }
}

// A link beside its target in one folder shares the target's path, yet is a bank of its own name:
// its item opens it, and a rebuild finds the one remembered.
TEST_F(FolderMenus, ALinkBesideItsTargetIsChosenByItsOwnName) {
  banks::write(patches() + "F Same.syx", "F-");
  ASSERT_EQ(::symlink("F Same.syx", (patches() + "G Alias.syx").c_str()), 0);
  rig.librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
  LeftPatchPopupMenu menu(&rig, &rig.librarian, kStrip, &rig);
  for (const std::string name : {"G Alias.syx", "F Same.syx", "G Alias.syx"}) {
    SCOPED_TRACE(name);
    rig.choose(&menu, Tree(menu.rootMenu()).paths.at(name));
    EXPECT_EQ(rig.files[Host::kUpperSounds].file, name);
    EXPECT_EQ(rig.param(kPatchSelectionListUpper)->Int(), indexOf(name));
    EXPECT_THAT(Tree(menu.rootMenu()).checked, ElementsAre(name));
    const Host::FileName chosen = rig.files[Host::kUpperSounds];
    rig.param(kPatchSelectionListUpper)->Set(0);
    menu.refreshFolderStructure(&rig.librarian, &rig, 0, chosen.file, chosen.folder, chosen.path);
    EXPECT_EQ(rig.param(kPatchSelectionListUpper)->Int(), indexOf(name)) << "rebuilt";
  }
}

// The menu built before the rescan is rebuilt on the new folders: a folder added ahead of the
// others moves every sub-menu, and each is still known by its own folder's name.
TEST_F(FolderMenus, ARebuildAfterARescanFindsTheRememberedFileWhereverItNowStands) {
  RightPatchPopupMenu lower(&rig, &rig.librarian, kStrip, &rig);
  banks::write(patches() + "Pads/Warm/A0.syx", "A0-");
  banks::write(patches() + "Pads/Aa.syx", "Aa-");
  banks::write(patches() + "Pads/Bright/B1.syx", "B1-");
  rig.librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
  EXPECT_TRUE(lower.refreshFolderStructure(&rig.librarian, &rig, 0, "W1.syx", "Warm"));
  EXPECT_EQ(rig.param(kPatchSelectionListLower)->Int(), indexOf("W1.syx"));
  EXPECT_THAT(Tree(lower.rootMenu()).checked, ElementsAre("W1.syx"));
  for (const auto& [file, folder] : {std::pair{"C1.syx", "Cold"},
                                     {"B1.syx", "Bright"},
                                     {"P2.syx", "Pads"},
                                     {"Root1.syx", "Patches"}}) {
    rig.choose(&lower, Tree(lower.rootMenu()).paths.at(file));
    EXPECT_EQ(rig.files[Host::kLowerList].file, file);
    EXPECT_EQ(rig.files[Host::kLowerList].folder, folder) << file;
    EXPECT_EQ(rig.param(kPatchSelectionListLower)->Int(), indexOf(file)) << file;
  }
}

// Two banks of one name in two folders of one name are two banks: each item opens its own, and
// the menu built anew after a rescan finds the one chosen and checks its item alone.
TEST_F(FolderMenus, ANamesakeInAnotherFolderIsAnotherBank) {
  banks::write(patches() + "Deep/Pads/P1.syx", "Deep-");
  rig.librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
  for (const std::string item : {"Deep/Pads/P1.syx", "Pads/P1.syx", "Deep/Pads/P1.syx"}) {
    SCOPED_TRACE(item);
    const std::string prefix = item.substr(0, 4) == "Deep" ? "Deep-" : "P1-";
    {
      LeftPatchPopupMenu menu(&rig, &rig.librarian, kStrip, &rig);
      rig.choose(&menu, Tree(menu.rootMenu()).paths.at(item));
      EXPECT_EQ(banks::trimmed(rig.view->slotText(0, 3)), prefix + "3");
      EXPECT_THAT(Tree(menu.rootMenu()).checkedFiles, ElementsAre(item));
    }
    rig.librarian.initBankFilesOnDiscard(DataFolder::patchesFolder());
    rig.librarian.upperFileIndex = 0;
    LeftPatchPopupMenu rebuilt(&rig, &rig.librarian, kStrip, &rig);
    rig.view->patchSelectionUpperChanged();
    EXPECT_EQ(banks::trimmed(rig.view->slotText(0, 3)), prefix + "3");
    EXPECT_THAT(Tree(rebuilt.rootMenu()).checkedFiles, ElementsAre(item));
  }
}

// Save As offers the upper bank's name in the format chosen, beside the bank; a panel dismissed
// saves nothing and takes back an earlier save's word; a name given is written there and becomes
// the bank edited.
TEST_F(FolderMenus, SaveAsOffersTheBanksNameInTheFormatChosen) {
  constexpr int kSaveAs = 8;
  BankEditPopupMenu main(&rig, &rig.librarian, IRECT(839, 187, 916, 205), &rig);
  rig.librarian.upperFileIndex = indexOf("P1.syx");
  VIEW_Script& script = VIEW_Script::instance();
  rig.take();
  for (const auto& [item, offered] : {std::pair{0, "P1.mid"}, {1, "P1.kro"}}) {
    rig.choose(&main, {kSaveAs, item});
    ASSERT_FALSE(script.panelsShown().empty()) << item;
    EXPECT_EQ(script.panelsShown().back().fileName, offered);
    EXPECT_TRUE(script.panelsShown().back().save);
    EXPECT_THAT(rig.take(), ElementsAre("unsay Bank saved!")) << "dismissed";
  }
  script.answerPanel(patches() + "Pads/Copy.kro");
  rig.choose(&main, {kSaveAs, 1});
  EXPECT_TRUE(std::ifstream(patches() + "Pads/Copy.kro").good());
  EXPECT_EQ(rig.files[Host::kUpperSounds].file, "Copy.kro");
  EXPECT_EQ(rig.files[Host::kUpperSounds].folder, "Pads");
  EXPECT_THAT(rig.take(), ElementsAre("type 0 0 1", "saved", "status Bank saved!"));
}

TEST_F(FolderMenus, CategoriesAreOneSubMenuEachAndSearchResultsAreFoundByName) {
  RightCategoryPopupMenu categories(&rig, &rig.librarian, kStrip, &rig);
  const IPopupMenu* root = categories.rootMenu();
  ASSERT_EQ(root->GetNItems(), 13);
  // 640 init sounds: five full banks and an empty sixth.
  EXPECT_EQ(root->GetItem(0)->GetSubmenu()->GetNItems(), 6);
  rig.choose(&categories, {7, 0});  // "Lead 1": no sound, so no bank to show
  EXPECT_EQ(rig.files[Host::kLowerList].folder, "Lead");
  EXPECT_EQ(rig.librarian.lowerFileIndex, 0);

  rig.librarian.createNewSearchPatchFiles("1");
  RightSearchPopupMenu search(&rig, &rig.librarian, kStrip, &rig);
  search.refreshFolderStructure(&rig.librarian, &rig, 0, "Search Results 3", "Patches");
  EXPECT_EQ(rig.librarian.lowerFileIndex, 2) << "one list of the search results";
}

TEST_F(FolderMenus, BankNameMenusChooseTheUpperBankAndPlayTheCursorSlotEvenWhenDismissed) {
  PerfBankNamePopupMenu multis(&rig, &rig.librarian, kStrip, &rig);
  ProgBankNamePopupMenu sounds(&rig, &rig.librarian, kStrip, &rig);
  rig.librarian.type = 1;
  rig.view->keyCursor = 6;
  rig.part = 2;
  rig.choose(&multis, Tree(multis.rootMenu()).paths.at("M2.syx"));
  EXPECT_EQ(rig.librarian.upperFileIndex, indexOf("M2.syx", true));
  EXPECT_EQ(rig.param(kMultiPatch)->Int(), indexOf("M2.syx", true));
  EXPECT_EQ(rig.librarian.selectedProgram, 6);
  EXPECT_THAT(rig.take(), ElementsAre("menus 0", "play 6 0 2"));

  rig.librarian.type = 0;
  rig.param(kMainTab)->Set(1.0);
  rig.param(kMultiPatch)->Set(9.0);
  rig.choose(&sounds, {});
  EXPECT_EQ(rig.param(kMultiPatch)->Int(), 9);
  EXPECT_EQ(rig.view->slotText(0, 0),
            drawnName(rig.librarian.soundFiles[rig.librarian.upperFileIndex]->records[0].name));
  EXPECT_THAT(rig.take(), ElementsAre("menus 1", "play 6 0 2"));

  // The first slot is a slot like any other; no cursor selects none.
  for (const auto& [cursor, selected] : {std::pair{0, 0}, {-1, 9}, {128, 9}}) {
    rig.librarian.selectedProgram = 9;
    rig.view->keyCursor = cursor;
    sounds.SetClean();
    sounds.SetClean();  // the redraw it asked for last time is done too
    rig.choose(&sounds, {});
    EXPECT_TRUE(sounds.IsDirty()) << cursor;
    EXPECT_EQ(rig.librarian.selectedProgram, selected) << cursor;
  }
}

}  // namespace

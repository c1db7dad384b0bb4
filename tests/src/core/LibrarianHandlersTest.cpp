// The librarian page's buttons as the parameter dispatch handles them: which file each list
// steps to and where that is kept, what the search, category and sound/Multi buttons show and
// grey, what a discard remembers, and the program buttons on the librarian's lists.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CallNotes.h"
#include "ConnectedPlugin.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/LibrarianMenus.h"
#include "src/core/detail/PatchManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/EditMenus.h"
#include "src/librarian/view/FolderMenus.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/librarian/view/NumberMenus.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"

namespace {

// The plug-in with the calls the dispatch makes into the librarian's glue noted, as
// "name(arguments) "; each call still does its work.
class NotedKroma : public Kroma {
 public:
  using Kroma::Kroma;
  // The threads stop while the noting part of the object still stands.
  ~NotedKroma() override {
    int off = 0;
    setExternalMIDIIn(off, nullptr);
    KromaProbe(this).parts.mMIDIMessageManager->shutDown();
  }
  std::string calls;

  void updatePatchLibrarianView(int which) override {
    note("view", which);
    Kroma::updatePatchLibrarianView(which);
  }
  void refreshFolderStructure(LibrarianMenu menu, int file, const FileName& name) override {
    note("folder", menu, file, name.file);
    Kroma::refreshFolderStructure(menu, file, name);
  }
  void addBankEditMenuItems() override {
    note("bankEdit");
    Kroma::addBankEditMenuItems();
  }
  void refreshPatchNames(int program) override {
    note("names", program);
    Kroma::refreshPatchNames(program);
  }
  void sendPatchToDeviceFromLibrarian(int slot, int list, int part) override {
    note("play", slot, list, part);
  }

 private:
  template <class... Args>
  void note(const char* name, Args... args) {
    calls += callNote(name, args...);
  }
};

// Sound banks A, B and C and Multi banks M and N; the categories and the search results ("-")
// the librarian makes of the sounds.
class LibrarianHandlers : public ConnectedPlugin {
 protected:
  NotedKroma* withBanks() {
    for (const char* name : {"A", "B", "C"})
      banks::write(data.file(std::string("Patches/") + name + ".syx"), std::string(name) + "-");
    for (const char* name : {"M", "N"})
      banks::write(data.file(std::string("Patches/") + name + ".syx"), std::string(name) + "-",
                   true);
    writeData("Kroma Editor LOG.txt", "");
    NotedKroma* plug = open<NotedKroma>();
    librarian(plug).createNewSearchPatchFiles("-");
    set(plug, kMainTab, 1);
    return plug;
  }
  static PatchLibrarian& librarian(Kroma* plug) { return *KromaProbe(plug).parts.mPatchLibrarian; }
  static LibrarianSelection& selection(Kroma* plug) { return KromaProbe(plug).selection; }
  static std::string fileName(Kroma* plug, PatchFileList PatchLibrarian::*files, int n) {
    std::lock_guard<std::recursive_mutex> lock(librarian(plug).mutex());
    return (librarian(plug).*files)[n]->fileName;
  }
  static std::string lowerText(Kroma* plug, int n = 0) {
    return plug->GetParam(kPatchSelectionListLower)->GetDisplayText(n);
  }
  std::string logged() const { return readData("Kroma Editor LOG.txt"); }
  // The librarian's main menu.
  static const IPopupMenu* bankEdit(Kroma* plug) {
    return KromaProbe(plug).widgets.mBankEditMenu->menu(BankEditPopupMenu::kMain);
  }
};

// Each list steps through the files of the kind it shows: the file's name is remembered for its
// menu, which is rebuilt on it, and its number kept in the parameter of the list (per part for
// sounds); the list's selection control follows.
TEST_F(LibrarianHandlers, EachListStepsThroughTheFilesOfItsKind) {
  NotedKroma* plug = withBanks();
  const struct {
    bool multi, categories, search;
    int button;
    int menu;
    PatchFileList PatchLibrarian::*files;
    int stored;  // the parameter that keeps the file's number, of part 3 for sounds
    std::string LibrarianSelection::*remembered;
  } rows[] = {
      {false, false, false, kLibUpperNextBank, kLeftPatchMenu, &PatchLibrarian::soundFiles,
       kCurrentOpenPatchBankL + 3, &LibrarianSelection::mUpperSelectionText},
      {false, false, false, kLibLowerNextBank, kRightPatchMenu, &PatchLibrarian::soundFiles,
       kCurrentOpenPatchBankR + 3, &LibrarianSelection::mLowerSelectionText},
      {false, true, false, kLibLowerNextBank, kRightCategoryMenu, &PatchLibrarian::categoryFiles,
       kCurrentOpenPatchBankR + 3, &LibrarianSelection::mLowerSelectionText},
      {false, false, true, kLibLowerNextBank, kRightSearchMenu, &PatchLibrarian::searchResultFiles,
       kCurrentOpenPatchBankR + 3, &LibrarianSelection::mLowerSelectionText},
      {true, false, false, kLibUpperNextBank, kLeftPerfMenu, &PatchLibrarian::multiFiles,
       kCurrentOpenPerfBankL, &LibrarianSelection::mUpperMultiSelectionText},
      {true, false, false, kLibLowerNextBank, kRightPerfMenu, &PatchLibrarian::multiFiles,
       kCurrentOpenPerfBankR, &LibrarianSelection::mLowerMultiSelectionText},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.menu);
    LibrarianSelection& s = selection(plug);
    s.mMultiMode = row.multi;
    s.mLowerListShowsCategories = row.categories;
    s.mLowerListShowsSearch = row.search;
    s.mCurrentPart = 3;
    plug->patchTypeChanged(row.multi ? 1 : 0, plug->lowerListKind(), false);
    const bool upper = row.button == kLibUpperNextBank;
    const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
    const std::string file = fileName(plug, row.files, 1);
    plug->calls.clear();
    set(plug, row.button, 1);
    EXPECT_EQ(plug->calls, "folder(" + std::to_string(row.menu) + ",1," + file + ") view(" +
                               (upper ? "0" : "1") + ") ");
    EXPECT_EQ(s.*row.remembered, file);
    EXPECT_EQ(value(plug, row.stored), 1.0);
    EXPECT_EQ(value(plug, list), 1.0);
    EXPECT_EQ(plug->selectionControl(upper ? 0 : 1)->GetValue(),
              plug->GetParam(list)->GetNormalized());
    EXPECT_EQ(upper ? librarian(plug).upperFileIndex : librarian(plug).lowerFileIndex, 1);
  }
}

// A part's bank takes the upper list to that bank file, kept as the current part's bank; a bank
// with no file leaves the list's file and says so in the log.
TEST_F(LibrarianHandlers, APartsBankTakesTheUpperListToItsFile) {
  NotedKroma* plug = withBanks();
  selection(plug).mKeepSelectedBank = false;
  selection(plug).mCurrentPart = 2;
  plug->calls.clear();
  set(plug, kCurrentPatchBank + 5, 1);
  EXPECT_EQ(plug->calls, "folder(0,1,B.syx) view(0) ");
  EXPECT_EQ(value(plug, kCurrentPatchBank + 2), 1.0) << "kept as the current part's bank";
  EXPECT_EQ(value(plug, kPatchSelectionListUpper), 1.0);
  EXPECT_EQ(plug->selectionControl(0)->GetValue(),
            plug->GetParam(kPatchSelectionListUpper)->GetNormalized());
  EXPECT_EQ(selection(plug).mUpperSelectionText, "B.syx");

  for (int past : {3, 7}) {
    plug->calls.clear();
    set(plug, kCurrentPatchBank + 5, past);
    EXPECT_EQ(plug->calls, "view(0) ");
    EXPECT_EQ(selection(plug).mUpperSelectionText, "B.syx");
    EXPECT_EQ(plug->selectionControl(0)->GetValue(),
              plug->GetParam(kPatchSelectionListUpper)->GetNormalized());
    EXPECT_NE(logged().find("PATCH LIBRARIAN: no bank file " + std::to_string(past) + " to select"),
              std::string::npos);
  }
}

// The search, category and sound/Multi buttons in turn: the menus each shows over the lower
// list, the controls each greys, and what the lower list then holds.
TEST_F(LibrarianHandlers, SearchCategoryAndTypeButtonsShowTheirMenusAndGreyTheOthers) {
  NotedKroma* plug = withBanks();
  plug->patchTypeChanged(0, 0, false);
  plug->GetParam(kControlDisplayMIDIOutDelay)->SetNormalized(1.0);
  const double delay = value(plug, kControlDisplayMIDIOutDelay);
  ASSERT_GT(delay, 0.0);
  const auto kSounds = &PatchLibrarian::soundFiles, kMultis = &PatchLibrarian::multiFiles,
             kCategories = &PatchLibrarian::categoryFiles,
             kResults = &PatchLibrarian::searchResultFiles;
  const char* const menus[] = {"LOWERPOPUPMENU",           "RightPatchPopupMenu",
                               "RightSearchPopupMenu",     "UPPERPOPUPMENU",
                               "LeftPerformancePopupMenu", "RightPerformancePopupMenu"};
  const struct {
    const char* what;
    int param;
    double value;
    const char* query;       // the search field's text before, when set
    const char* menusShown;  // of `menus`, as 0/1
    bool searchField, categoryLimit, searchGreyed, typeGreyed;
    PatchFileList PatchLibrarian::*lower;  // the files the lower list names
  } rows[] = {
      {"search on", kPatchSearch, 1, nullptr, "100100", true, false, false, true, kSounds},
      {"a query", kPatchSearchString, 0, "A-1", "001100", true, false, false, true, kResults},
      {"search off", kPatchSearch, 0, nullptr, "100100", false, true, false, false, kSounds},
      {"categories", kCategorySelection, 1, nullptr, "010100", false, true, true, true,
       kCategories},
      {"sounds", kCategorySelection, 0, nullptr, "100100", false, true, false, false, kSounds},
      {"Multis", kDatatype, 1, nullptr, "000011", false, false, true, false, kMultis},
      {"sounds again", kDatatype, 0, nullptr, "100100", false, true, false, false, kSounds},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.query) plug->setDisplayText(kPatchSearchString, row.query);
    set(plug, row.param, row.value);
    std::string menusShown;
    for (const char* menu : menus) menusShown += shown(plug, menu) ? "1" : "0";
    EXPECT_EQ(menusShown, row.menusShown);
    EXPECT_EQ(shown(plug, "searchField"), row.searchField);
    EXPECT_EQ(shown(plug, "categoryLimit"), row.categoryLimit);
    EXPECT_EQ(plug->controlOf(kPatchSearch)->IsGrayed(), row.searchGreyed);
    EXPECT_EQ(plug->controlOf(kDatatype)->IsGrayed(), row.typeGreyed);
    EXPECT_EQ(lowerText(plug), fileName(plug, row.lower, 0));
    if (row.lower != kMultis) {
      // Each part's bank menu of the lower list names those files and no others.
      const int count = static_cast<int>((librarian(plug).*row.lower).size());
      for (int part : {0, 15})
        EXPECT_EQ(plug->GetParam(kCurrentOpenPatchBankR + part)->GetNDisplayTexts(), count) << part;
    }
    EXPECT_EQ(librarian(plug).type, row.lower == kMultis ? 1 : 0);
    // The upper list keeps naming the banks of the kind shown.
    const char* upper = selection(plug).mMultiMode ? "M.syx" : "A.syx";
    EXPECT_STREQ(plug->GetParam(kPatchSelectionListUpper)->GetDisplayText(0), upper);
    EXPECT_STREQ(plug->GetParam(selection(plug).mMultiMode ? int(kCurrentOpenPerfBankL)
                                                           : kCurrentOpenPatchBankL + 3)
                     ->GetDisplayText(0),
                 upper);
    EXPECT_GT(KromaProbe(plug).widgets.mRightCategoryMenu->rootMenu()->GetNItems(), 0)
        << "the categories stay listed";
    EXPECT_STREQ(bankEdit(plug)->GetItemText(0),
                 selection(plug).mMultiMode ? "Request Multi Data" : "Request Patch Data");
  }
  EXPECT_EQ(value(plug, kControlDisplayMIDIOutDelay), delay)
      << "the lists leave the parameter after their part blocks alone";
}

// The sound/Multi switch turned back to sounds shows the lower menu of what the lower list holds:
// categories grey the search and show the category limit, search results keep the search.
TEST_F(LibrarianHandlers, BackToSoundsTheLowerListKeepsItsCategoriesOrSearch) {
  NotedKroma* plug = withBanks();
  const struct {
    bool categories, search;
    const char* menu;
    bool searchGreyed;
    PatchFileList PatchLibrarian::*lower;
  } rows[] = {{true, false, "RightPatchPopupMenu", true, &PatchLibrarian::categoryFiles},
              {false, true, "RightSearchPopupMenu", false, &PatchLibrarian::searchResultFiles}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.menu);
    set(plug, kDatatype, 1);
    selection(plug).mLowerListShowsCategories = row.categories;
    selection(plug).mLowerListShowsSearch = row.search;
    set(plug, kDatatype, 0);
    EXPECT_TRUE(shown(plug, row.menu));
    EXPECT_FALSE(shown(plug, "LOWERPOPUPMENU"));
    EXPECT_EQ(shown(plug, "categoryLimit"), row.categories);
    EXPECT_EQ(plug->controlOf(kPatchSearch)->IsGrayed(), row.searchGreyed);
    for (int n : {0, 1}) EXPECT_EQ(lowerText(plug, n), fileName(plug, row.lower, n));
  }
}

// Discarding the edits remembers for each list the file it shows (not the one its part's bank
// number names, which a popup's choice leaves behind), reads the files again and takes the rename
// field and the grey away.
TEST_F(LibrarianHandlers, ADiscardRemembersTheFilesTheListsShow) {
  NotedKroma* plug = withBanks();
  selection(plug).mCurrentPart = 4;
  const struct {
    bool multi;
    int upperParam, lowerParam;
    std::string LibrarianSelection::*upper;
    std::string LibrarianSelection::*lower;
    const char *upperFile, *lowerFile;
  } rows[] = {{false, kCurrentOpenPatchBankL + 4, kCurrentOpenPatchBankR + 4,
               &LibrarianSelection::mUpperSelectionText, &LibrarianSelection::mLowerSelectionText,
               "B.syx", "C.syx"},
              {true, kCurrentOpenPerfBankL, kCurrentOpenPerfBankR,
               &LibrarianSelection::mUpperMultiSelectionText,
               &LibrarianSelection::mLowerMultiSelectionText, "N.syx", "M.syx"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.multi);
    set(plug, kDatatype, row.multi);
    librarian(plug).upperFileIndex = 1;
    librarian(plug).lowerFileIndex = row.multi ? 0 : 2;
    plug->setStoredValue(row.upperParam, 0);
    plug->setStoredValue(row.lowerParam, 1);
    plug->setStoredValue(kBankEditUnsaved, 1);
    plug->layerNamed("patchRename")->Hide(false);
    plug->controlOf(kDatatype)->GrayOut(true);
    set(plug, kDiscardBankData, 1);
    EXPECT_EQ(selection(plug).*row.upper, row.upperFile);
    EXPECT_EQ(selection(plug).*row.lower, row.lowerFile);
    EXPECT_FALSE(shown(plug, "patchRename"));
    EXPECT_FALSE(plug->controlOf(kDatatype)->IsGrayed());
    EXPECT_FALSE(shown(plug, "PROGRESS"));
  }
}

// Refresh and DISCARD while search results are shown run the search again over the banks read:
// the lower list shows its results, and the sound/Multi switch stays greyed, as after a save.
TEST_F(LibrarianHandlers, RefreshAndDiscardDuringASearchShowItsResultsAgain) {
  NotedKroma* plug = withBanks();
  set(plug, kPatchSearch, 1);
  plug->setDisplayText(kPatchSearchString, "B-1");
  set(plug, kPatchSearchString, 0);
  for (int param : {kRefreshFolders, kDiscardBankData}) {
    SCOPED_TRACE(param);
    set(plug, param, 1);
    EXPECT_EQ(plug->lowerListKind(), 4);
    EXPECT_EQ(banks::trimmed(plug->librarianView()->slotText(1, 0)), "B-1");
    EXPECT_TRUE(shown(plug, "RightSearchPopupMenu"));
    EXPECT_TRUE(plug->controlOf(kDatatype)->IsGrayed());
  }
  plug->librarianBankSaved();
  EXPECT_TRUE(plug->controlOf(kDatatype)->IsGrayed());
}

// In library mode the program buttons step the slot of the list in use, wrapping at both ends,
// and play it on their part; the librarian's page is shown anew. With Multis on they say so.
TEST_F(LibrarianHandlers, LibraryProgramButtonsStepTheSlotOfTheListInUse) {
  NotedKroma* plug = withBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  selection(plug).mShowProgramNames = true;
  librarian(plug).selectedProgram = 5;
  view->upperSelection = 5;
  const struct {
    int list;
    int button;
    int from, to;
  } rows[] = {{1, kPatchUp, 127, 0},
              {1, kPatchDown, 0, 127},
              {0, kPatchDown, 0, 127},
              {0, kPatchUp, 126, 127}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.list) + " " + std::to_string(row.from));
    view->activeList = row.list;
    (row.list ? view->lowerSelection : view->upperSelection) = row.from;
    plug->calls.clear();
    set(plug, row.button + 4, 1);
    const std::string slot = std::to_string(row.to);
    EXPECT_EQ(plug->calls, "play(" + slot + "," + std::to_string(row.list) + ",4) names(" + slot +
                               ") bankEdit ");
    EXPECT_EQ((row.list ? view->lowerSelection : view->upperSelection).load(), row.to);
    EXPECT_EQ((row.list ? view->upperSelection : view->lowerSelection).load(), row.list ? 5 : 127)
        << "the other list stays";
    EXPECT_EQ(row.list ? librarian(plug).lowerSelectedProgram : librarian(plug).selectedProgram,
              row.to);
    EXPECT_EQ(value(plug, kMultiPartPatch + 4), row.to);
    EXPECT_EQ(selection(plug).mLastProgram, row.to);
    EXPECT_TRUE(KromaProbe(plug)
                    .widgets.mProgramNumberMenu->subMenu(row.to / 10)
                    ->IsItemChecked(row.to % 10))
        << "the program menu checks the new program";
  }
  EXPECT_EQ(view->lowerSelection, 127) << "the lower list where it was";

  // Let go of, the button puts the list in use back on the last program.
  view->upperSelection = 9;
  plug->calls.clear();
  set(plug, kPatchUp + 4, 0);
  EXPECT_EQ(plug->calls, "names(127) bankEdit ");
  EXPECT_EQ(view->upperSelection, 127);

  selection(plug).mMultiMode = true;
  set(plug, kPatchDown + 4, 0);
  EXPECT_EQ(text(plug->displayNameControl()), "Disable Multi Mode first");
}

// The overwrite button puts the current part's sound as the editor holds it into the selected
// slot of the upper list, which then counts as edited; on the lower list, or let go of, it does
// nothing.
TEST_F(LibrarianHandlers, OverwriteStoresTheCurrentPartsSoundInTheSelectedUpperSlot) {
  NotedKroma* plug = withBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  PatchLibrarian& lib = librarian(plug);
  selection(plug).mCurrentPart = 2;
  selection(plug).mSendPartSounds = true;
  plug->setDisplayText(kPatchName + 2, "Fresh Brass");
  auto slotName = [&lib](int slot) {
    std::lock_guard<std::recursive_mutex> lock(lib.mutex());
    return banks::trimmed(lib.soundFiles[0]->records[slot].name);
  };
  lib.selectedProgram = 3;
  for (const auto& [list, press] : {std::pair{1, 1.0}, {0, 0.0}}) {
    view->activeList = list;
    set(plug, kOverwriteBank, press);
  }
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  EXPECT_EQ(slotName(3), "A-3");
  EXPECT_EQ(value(plug, kBankEditUnsaved), 0.0);
  view->activeList = 0;
  lib.selectedProgram = 9;
  set(plug, kOverwriteBank, 1);
  EXPECT_TRUE(eventually([&] { return slotName(9) == "Fresh Brass"; }));
  EXPECT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  EXPECT_EQ(value(plug, kBankEditUnsaved), 1.0);
  std::string stored;
  KromaProbe(plug).parts.mPatchManager->getName(&stored, Patch::kFirstPatchNameSlot + 2);
  EXPECT_EQ(stored, "Fresh Brass") << "the sound goes alone, its name with it";
}

// A rename reaches the first and the last slot of the upper bank, its name cut to the dump's 16
// letters; a slot past the end, a bank the list has no file for, or a librarian without a bank
// type renames nothing and says so in the log.
TEST_F(LibrarianHandlers, ARenameReachesBothEndSlotsAndNothingPastThem) {
  NotedKroma* plug = withBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  PatchLibrarian& lib = librarian(plug);
  const struct {
    int type, file, slot;
    const char* name;
    const char* renamed;  // null: not renamed
  } rows[] = {{0, 0, 0, "Longer than a dump holds", "Longer than a du"},
              {0, 0, 127, "Last", "Last"},
              {0, 0, 128, "Past", nullptr},
              {0, 1, 5, "Second bank", "Second bank"},
              {0, -1, 5, "Before the first", nullptr},
              {0, 3, 5, "No file", nullptr},
              {2, 0, 5, "No type", nullptr}};
  int refused = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    lib.type = row.type;
    lib.upperFileIndex = row.file;
    view->upperSelection = row.slot;
    selection(plug).mRenameFinished = false;
    plug->GetParam(kPatchRename)->SetDisplayText(0, row.name);
    set(plug, kPatchRename, 0);
    std::lock_guard<std::recursive_mutex> lock(lib.mutex());
    if (row.renamed) {
      EXPECT_EQ(banks::trimmed(lib.soundFiles[row.file]->records[row.slot].name), row.renamed);
    } else {
      ++refused;
      EXPECT_EQ(banks::trimmed(lib.soundFiles[0]->records[5].name), "A-5");
    }
  }
  const std::string log = logged();
  int lines = 0;
  for (size_t at = log.find("PATCH LIBRARIAN: no bank or slot to rename"); at != std::string::npos;
       at = log.find("PATCH LIBRARIAN: no bank or slot to rename", at + 1))
    ++lines;
  EXPECT_EQ(lines, refused);

  // A dump that ends right after its name is still renamed.
  {
    std::lock_guard<std::recursive_mutex> lock(lib.mutex());
    lib.type = 0;
    lib.upperFileIndex = 0;
    lib.soundFiles[0]->records[7].messages[0].bytes.resize(DumpLayout::kSoundNameOffset +
                                                           DumpLayout::kNameLength);
  }
  view->upperSelection = 7;
  selection(plug).mRenameFinished = false;
  plug->GetParam(kPatchRename)->SetDisplayText(0, "Short dump");
  set(plug, kPatchRename, 0);
  std::lock_guard<std::recursive_mutex> lock(lib.mutex());
  EXPECT_EQ(banks::trimmed(lib.soundFiles[0]->records[7].name), "Short dump");
  EXPECT_EQ(logged().find("holds no dump to rename"), std::string::npos);
}

// A search without results says so on both display lines.
TEST_F(LibrarianHandlers, ASearchWithoutResultsSaysSoOnBothLines) {
  NotedKroma* plug = withBanks();
  plug->setDisplayText(kPatchSearchString, "Zq");
  set(plug, kPatchSearchString, 0);
  EXPECT_EQ(text(plug->displayNameControl()), "No results - Try another keyword!");
  EXPECT_EQ(text(plug->displayValueControl()), "Letter size matters!");
}

// With Multis the top bar's bank-name menu checks the Multi bank of the list in use.
TEST_F(LibrarianHandlers, TheTopBarsMultiBankMenuFollowsTheListInUse) {
  NotedKroma* plug = withBanks();
  set(plug, kDatatype, 1);
  plug->remember(LibrarianHost::kUpperMultis, {"M.syx", "Patches"});
  plug->remember(LibrarianHost::kLowerMultis, {"N.syx", "Patches"});
  for (int list : {1, 0}) {
    plug->librarianView()->activeList = list;
    plug->refreshPopUpMenus();
    const IPopupMenu* root = KromaProbe(plug).widgets.mPerfBankNameMenu->rootMenu();
    ASSERT_EQ(root->GetNItems(), 2);
    EXPECT_TRUE(root->IsItemChecked(list)) << list;
    EXPECT_FALSE(root->IsItemChecked(1 - list)) << list;
  }
}

// Without library mode the program buttons step the synthesizer's program: in Multi mode the
// Multi's, the other lists staying where they are.
TEST_F(LibrarianHandlers, InMultiModeTheProgramButtonsStepTheMultisProgram) {
  NotedKroma* plug = withBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  selection(plug).mShowProgramNames = false;
  selection(plug).mMultiMode = true;
  selection(plug).mLastProgram = 4;
  plug->setStoredValue(kMultiPartPatch + 4, 20);
  plug->setStoredValue(kReceiveProgramChange + 4, 0);
  plug->calls.clear();
  set(plug, kPatchUp + 4, 1);
  EXPECT_EQ(plug->calls, "names(5) bankEdit ");
  EXPECT_EQ(value(plug, kMultiPatch), 5.0);
  EXPECT_EQ(value(plug, kMultiPartPatch + 4), 20.0);
  EXPECT_EQ(view->upperSelection, 5);
  EXPECT_EQ(librarian(plug).selectedProgram, 5);
}

// Rebuilt, the lower list's menu of what the list holds finds the file the list remembers: it
// becomes the list's file again.
TEST_F(LibrarianHandlers, TheLowerMenuOfTheListsKindFindsItsRememberedFile) {
  NotedKroma* plug = withBanks();
  const struct {
    bool categories, search;
    PatchFileList PatchLibrarian::*files;
  } rows[] = {{false, false, &PatchLibrarian::soundFiles},
              {true, false, &PatchLibrarian::categoryFiles},
              {false, true, &PatchLibrarian::searchResultFiles}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.categories * 2 + row.search);
    selection(plug).mLowerListShowsCategories = row.categories;
    selection(plug).mLowerListShowsSearch = row.search;
    plug->patchTypeChanged(0, plug->lowerListKind(), false);
    PatchFile* second;
    {
      std::lock_guard<std::recursive_mutex> lock(librarian(plug).mutex());
      second = (librarian(plug).*row.files)[1];
    }
    plug->remember(LibrarianHost::kLowerList, {second->fileName, second->folderName});
    librarian(plug).lowerFileIndex = 0;
    plug->refreshPopUpMenus();
    EXPECT_EQ(librarian(plug).lowerFileIndex, 1);
    EXPECT_EQ(value(plug, kPatchSelectionListLower), 1.0);
  }
}

// A list whose remembered file is gone checks its first file.
TEST_F(LibrarianHandlers, AMenuWhoseRememberedFileIsGoneChecksTheFirst) {
  NotedKroma* plug = withBanks();
  plug->remember(LibrarianHost::kUpperSounds, {"Gone.syx", "Patches"});
  plug->refreshPopUpMenus();
  const IPopupMenu* root = KromaProbe(plug).widgets.mLeftPatchMenu->rootMenu();
  ASSERT_EQ(root->GetNItems(), 3);
  EXPECT_TRUE(root->IsItemChecked(0));
  EXPECT_FALSE(root->IsItemChecked(1));
}

}  // namespace

// The librarian's page in the whole plug-in: its lists, bank buttons, menus, search and the
// slots played and stored, as the user and the synthesizer see them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ConnectedPlugin.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/LibrarianMenus.h"
#include "src/librarian/view/FolderMenus.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

// Banks "A", "B" and "C" in Patches, their names starting with the bank's letter.
class LibrarianPage : public ConnectedPlugin {
 protected:
  Kroma* withThreeBanks() {
    for (const char* name : {"A", "B", "C"})
      banks::write(data.file(std::string("Patches/") + name + ".syx"), std::string(name) + "-");
    return withEditor();
  }
};

// The search button shows the search field in place of the category limit; off, it puts the
// prompt back.
TEST_F(LibrarianPage, TheSearchButtonShowsTheSearchField) {
  Kroma* plug = settled();
  for (double on : {1.0, 0.0, 1.0}) {
    set(plug, kPatchSearch, on);
    EXPECT_EQ(shown(plug, "searchField"), on == 1.0);
    EXPECT_EQ(shown(plug, "categoryLimit"), on == 0.0);
  }
  plug->setDisplayText(kPatchSearchString, "pad");
  set(plug, kPatchSearch, 0);
  EXPECT_EQ(plug->getDisplayText(kPatchSearchString), "search...");
}

// Switching between sounds and Multis refills both lists of the librarian with the banks of
// the new kind; a bank menu number outside the list is passed over.
TEST_F(LibrarianPage, TheSoundMultiSwitchRefillsBothLists) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  banks::write(data.file("Patches/M1.syx"), "M1-", true);
  Kroma* plug = withEditor();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  const struct {
    double type;
    const char* name;
  } rows[] = {{1, "M1-3"}, {0, "S1-3"}, {1, "M1-3"}};
  for (const auto& row : rows) {
    set(plug, kDatatype, row.type);
    EXPECT_EQ(plug->multiMode(), row.type == 1.0);
    for (int list : {0, 1})
      EXPECT_EQ(banks::trimmed(view->slotText(list, 3)), row.name) << list << " " << row.type;
    const bool multi = row.type == 1.0;
    EXPECT_EQ(shown(plug, "LeftPerformancePopupMenu"), multi);
    EXPECT_EQ(shown(plug, "RightPerformancePopupMenu"), multi);
    EXPECT_EQ(shown(plug, "UPPERPOPUPMENU"), !multi);
    EXPECT_EQ(shown(plug, "LOWERPOPUPMENU"), !multi);
    // The menus that name the open bank list the banks of the kind shown.
    const char* bank = multi ? "M1.syx" : "S1.syx";
    for (int param : {int(kPatchSelectionListUpper), int(kPatchSelectionListLower)})
      EXPECT_STREQ(plug->GetParam(param)->GetDisplayText(0), bank);
    for (int param : multi ? std::vector<int>{kCurrentOpenPerfBankL, kCurrentOpenPerfBankR}
                           : std::vector<int>{kCurrentOpenPatchBankL, kCurrentOpenPatchBankR + 15})
      EXPECT_STREQ(plug->GetParam(param)->GetDisplayText(0), bank) << param;
  }
  for (int menu : {-1, int(kLibrarianMenuCount)})
    plug->refreshFolderStructure(static_cast<LibrarianMenu>(menu), 0, {"S1.syx", ""});
}

// The librarian's menus sit where the editor draws their fields, each on a layer of its own; only
// the program and bank number menus of the top bar show at start.
TEST_F(LibrarianPage, TheLibrarianMenusSitOnTheirFields) {
  Kroma* plug = open();
  const struct {
    const char* layer;
    int id, l, t, r, b;
    bool shown;
  } rows[] = {
      {"UPPERPOPUPMENU", 70, 394, 188, 810, 207, false},
      {"LOWERPOPUPMENU", 71, 394, 461, 810, 480, false},
      {"LeftPerformancePopupMenu", 72, 394, 188, 810, 207, false},
      {"RightPerformancePopupMenu", 73, 394, 461, 810, 480, false},
      {"BANKEDITMENU", 74, 839, 187, 916, 205, false},
      {"RightPatchPopupMenu", 75, 394, 461, 810, 480, false},
      {"PROGRAMNUMBERMENU", 76, 1184, 60, 1229, 84, true},
      {"BANKNUMBERMENUPROGRAMS", 77, 1142, 60, 1180, 84, true},
      {"RightSearchPopupMenu", 78, 394, 461, 810, 480, false},
      {"PERFBANKNAMEMENUPROGRAMS", 79, 1142, 60, 1180, 84, false},
      {"PROGBANKNAMEMENUPROGRAMS", 80, 1142, 60, 1180, 84, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.layer);
    ControlLayer* layer = plug->layerNamed(row.layer);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->id, row.id);
    EXPECT_EQ(layer->IsVisible(), row.shown);
    ASSERT_EQ(layer->controls.GetSize(), 1);
    const IRECT rect = layer->controls.Get(0)->GetRECT();
    EXPECT_EQ(std::vector<int>({rect.L, rect.T, rect.R, rect.B}),
              std::vector<int>({row.l, row.t, row.r, row.b}));
  }
}

// The bank buttons step each list through the bank files, round at both ends; the upper list
// stays while its bank has unsaved edits, and says so, and either list stays on its bank rather
// than step onto one whose file went.
TEST_F(LibrarianPage, BankButtonsStepTheListsRound) {
  Kroma* plug = withThreeBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  const struct {
    int button;
    int list;
    const char* bank;
  } rows[] = {{kLibUpperNextBank, 0, "B"},     {kLibUpperNextBank, 0, "C"},
              {kLibUpperNextBank, 0, "A"},     {kLibUpperPreviousBank, 0, "C"},
              {kLibUpperPreviousBank, 0, "B"}, {kLibLowerPreviousBank, 1, "C"},
              {kLibLowerNextBank, 1, "A"},     {kLibLowerNextBank, 1, "B"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(plug->GetParam(row.button)->GetNameForHost());
    set(plug, row.button, 1);
    EXPECT_EQ(banks::trimmed(view->slotText(row.list, 7)), std::string(row.bank) + "-7");
    const int selection = row.list ? kPatchSelectionListLower : kPatchSelectionListUpper;
    EXPECT_EQ(plug->GetParam(selection)->GetDisplayText(plug->GetParam(selection)->Int()),
              std::string(row.bank) + ".syx");
  }
  EXPECT_EQ(banks::trimmed(view->slotText(0, 7)), "B-7") << "the upper list where it was";
  // Pressed and let go of: what the press says stays, though no port is chosen.
  const auto press = [plug](int button) {
    set(plug, button, 1);
    set(plug, button, 0);
  };
  plug->setStoredValue(kBankEditUnsaved, 1.0);
  press(kLibUpperNextBank);
  EXPECT_EQ(banks::trimmed(view->slotText(0, 7)), "B-7");
  EXPECT_EQ(text(plug->displayNameControl()), "Save bank or Discard changes!");
  set(plug, kLibLowerNextBank, 1);
  EXPECT_EQ(banks::trimmed(view->slotText(1, 7)), "C-7") << "the lower list has no edits";

  // The buttons open a bank as a menu's pick does: a file that went opens nothing and says so, a
  // file written over is read again.
  plug->setStoredValue(kBankEditUnsaved, 0.0);
  ASSERT_EQ(std::remove(data.file("Patches/C.syx").c_str()), 0);
  banks::write(data.file("Patches/A.syx"), "Z-");
  const auto upperFile = [plug] {
    const IParam* upper = plug->GetParam(kPatchSelectionListUpper);
    return std::string(upper->GetDisplayText(upper->Int()));
  };
  press(kLibUpperNextBank);
  EXPECT_EQ(text(plug->displayNameControl()), "Bank load FAILED!");
  EXPECT_EQ(upperFile(), "B.syx");
  EXPECT_EQ(banks::trimmed(view->slotText(0, 7)), "B-7");
  press(kLibUpperPreviousBank);
  EXPECT_EQ(upperFile(), "A.syx");
  EXPECT_EQ(banks::trimmed(view->slotText(0, 7)), "Z-7");
  EXPECT_EQ(banks::trimmed(view->slotText(1, 7)), "C-7");
}

// A librarian slot played goes to the chosen part's edit buffer, unless the current part is
// locked; slots outside the bank, or parts outside the sixteen, play nothing.
TEST_F(LibrarianPage, APlayedSlotGoesToItsPartUnlessTheCurrentPartIsLocked) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = settled();
  auto played = [this] {
    std::vector<std::string> dumps;
    for (const std::vector<uint8_t>& m : midi.received("Synth Out"))
      if (m.size() == 392 && m[4] == 0x10)
        dumps.push_back(std::to_string(m[5]) + "." + std::to_string(m[6]) + " " +
                        banks::trimmed(std::string(m.begin() + 370, m.begin() + 386)));
    return dumps;
  };
  set(plug, kQuickTab, 4);
  plug->setStoredValue(kPartLock + 4, 1.0);
  plug->sendPatchToDeviceFromLibrarian(5, 0, 3);  // refused: the current part (5) is locked
  plug->setStoredValue(kPartLock + 4, 0.0);
  const int refused[][2] = {{-1, 3}, {128, 3}, {5, -1}, {5, 16}};  // slot, part
  for (const auto& row : refused) plug->sendPatchToDeviceFromLibrarian(row[0], 0, row[1]);
  for (int part : {15, 0}) {
    ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
    plug->sendPatchToDeviceFromLibrarian(part + 20, 0, part);
  }
  ASSERT_TRUE(eventually([&] { return played().size() >= 2; }));
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  EXPECT_EQ(played(), (std::vector<std::string>{"127.15 S1-35", "127.0 S1-20"}));
}

// A part's bank moves the upper list to that bank unless the librarian keeps its bank; discarding
// the unsaved edits reads the bank files again and puts the bank menus back.
TEST_F(LibrarianPage, APartsBankMovesTheUpperListAndDiscardReadsTheBanksAgain) {
  Kroma* plug = withThreeBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  const struct {
    double keep;
    int part, bank;
    const char* shown;
  } rows[] = {{0, 0, 2, "C-7"}, {0, 3, 1, "B-7"}, {1, 0, 0, "B-7"}, {0, 15, 0, "A-7"}};
  for (const auto& row : rows) {
    set(plug, kKeepSelectedBank, row.keep);
    set(plug, kCurrentPatchBank + row.part, row.bank);
    EXPECT_EQ(banks::trimmed(view->slotText(0, 7)), row.shown) << row.part << " " << row.bank;
  }
  EXPECT_EQ(plug->GetParam(kPatchSelectionListUpper)->Int(), 0);

  banks::write(data.file("Patches/A.syx"), "Z-");
  plug->setStoredValue(kBankEditUnsaved, 1.0);
  set(plug, kDiscardBankData, 0);
  EXPECT_EQ(value(plug, kBankEditUnsaved), 1.0) << "only the button's 1 discards";
  set(plug, kDiscardBankData, 1);
  EXPECT_EQ(value(plug, kBankEditUnsaved), 0.0);
  EXPECT_EQ(banks::trimmed(view->slotText(0, 7)), "Z-7");
  EXPECT_TRUE(shown(plug, "UPPERPOPUPMENU"));
  EXPECT_TRUE(shown(plug, "keepBankOpenLayer"));
  EXPECT_FALSE(shown(plug, "discardChangesLayerRight"));
  // With Multis the Multi bank menu comes back.
  set(plug, kDatatype, 1);
  plug->layerNamed("LeftPerformancePopupMenu")->Hide(true);
  plug->setStoredValue(kBankEditUnsaved, 1.0);
  set(plug, kDiscardBankData, 1);
  EXPECT_TRUE(shown(plug, "LeftPerformancePopupMenu"));
}

// A slot chosen from outside the view (a program change) becomes the view's selection; one
// outside the bank changes nothing.
TEST_F(LibrarianPage, ASlotSelectedFromOutsideBecomesTheViewsSelection) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = withEditor();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  const std::pair<int, int> rows[] = {{5, 5}, {127, 127}, {128, 127}, {-1, 127}, {0, 0}};
  for (const auto& [slot, selected] : rows) {
    plug->selectLibrarianSlot(slot);
    EXPECT_EQ(view->upperSelection, selected) << slot;
    EXPECT_EQ(view->keyCursor, selected) << slot;
  }
  plug->sendPatchToDeviceFromLibrarian(9, 0, 0);  // no port: not sent, yet the cursor moves
  EXPECT_EQ(view->keyCursor, 9);
}

// Data received into the librarian marks its bank unsaved: the discard button shows and the
// sound/Multi switch greys; the bank menu stays, but a click on it opens nothing and says why, as
// the bank buttons beside it do. Saving the bank turns all of it back.
TEST_F(LibrarianPage, UnsavedAndSavedBanksShowTheirButtons) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = withEditor();
  IRECT region;
  IMouseMod left(true);
  for (bool unsaved : {true, false, true, false}) {
    SCOPED_TRACE(unsaved);
    if (unsaved)
      plug->SetLibrarianStatusUnsaved(true);
    else
      plug->librarianBankSaved();
    plug->graphics()->IsDirty(&region);
    EXPECT_EQ(value(plug, kBankEditUnsaved), unsaved ? 1.0 : 0.0);
    EXPECT_EQ(shown(plug, "discardChangesLayerRight"), unsaved);
    EXPECT_EQ(shown(plug, "keepBankOpenLayer"), !unsaved);
    EXPECT_TRUE(shown(plug, "UPPERPOPUPMENU"));
    EXPECT_EQ(plug->controlOf(kDatatype)->IsGrayed(), unsaved);
    plug->showStatus("");
    const size_t menus = VIEW_Script::instance().menusShown().size();
    VIEW_Script::instance().answerMenu({});
    plug->graphics()->OnMouseDown(500, 195, &left);  // the bank's name above the upper list
    plug->graphics()->OnMouseUp(500, 195, &left);
    EXPECT_EQ(VIEW_Script::instance().menusShown().size(), menus + (unsaved ? 0 : 1));
    EXPECT_EQ(text(plug->displayNameControl()), unsaved ? "Save bank or Discard changes!" : "");
  }
  plug->SetLibrarianStatusUnsaved(false);
  plug->graphics()->IsDirty(&region);
  EXPECT_EQ(value(plug, kBankEditUnsaved), 0.0) << "false marks nothing";
}

// Storing the upper bank from a slot on writes those slots into the target bank's programs;
// without an output port nothing goes.
TEST_F(LibrarianPage, StoringABankFromASlotOnWritesThoseSlots) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = settled();
  plug->setStoredValue(kLibSyncTimer, 0);
  const size_t from = sentCount();
  plug->storeAllPatchesToDeviceFromLibrarian(0, 124, 3);
  ASSERT_TRUE(eventually([this, from] { return sentCount() >= from + 4; }));
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  const std::vector<std::vector<uint8_t>> all = midi.received("Synth Out");
  ASSERT_EQ(all.size(), from + 4);
  for (int n = 0; n < 4; ++n) {
    const std::vector<uint8_t>& dump = all[from + n];
    ASSERT_EQ(dump.size(), 392u);
    EXPECT_EQ(std::vector<int>({dump[3], dump[4], dump[5], dump[6]}),
              std::vector<int>({0x11, 0x10, 3, n}));
    EXPECT_EQ(banks::trimmed(std::string(dump.begin() + 370, dump.begin() + 386)),
              "S1-" + std::to_string(124 + n));
  }
  Kroma* unconnected = open();
  const size_t before = midi.received("Synth Out").size();
  unconnected->storeAllPatchesToDeviceFromLibrarian(0, 124, 3);
  EXPECT_FALSE(unconnected->ThreadRunning());
  EXPECT_EQ(midi.received("Synth Out").size(), before);
}

// What the lower list holds, as the sound/Multi switch and the category button leave it.
TEST_F(LibrarianPage, TheLowerListHoldsWhatTheButtonsChose) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = open();
  const struct {
    int param;
    double value;
    int kind;  // 0 sounds, 1 categories, 2 Multis
  } rows[] = {{kCategorySelection, 1, 1}, {kCategorySelection, 0, 0}, {kDatatype, 1, 2},
              {kDatatype, 0, 0},          {kCategorySelection, 2, 1}, {kCategorySelection, 0, 0}};
  for (const auto& row : rows) {
    set(plug, row.param, row.value);
    EXPECT_EQ(plug->lowerListKind(), row.kind)
        << plug->GetParam(row.param)->GetNameForHost() << " " << row.value;
  }
}

// A drag copies the lower slot the button went down on, wherever the first drag event lands
// (rows are 14 pixels high); a press outside the lower list drags nothing.
TEST_F(LibrarianPage, ADragCopiesTheSlotPressed) {
  Kroma* plug = withThreeBanks();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  IGraphics* editor = plug->graphics();
  IMouseMod left(true);
  const struct {
    int pressed;  // the list of the slot 9 pressed
    int firstDy;  // where the first drag event lands, below the press
    int target;   // the upper slot dropped on
    const char* after;
  } rows[] = {{1, -8, 20, "A-9"}, {1, 8, 21, "A-9"}, {0, 273, 22, "A-22"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.firstDy);
    const IRECT from = view->slotRect(row.pressed, 9), to = view->slotRect(0, row.target);
    const int x = (from.L + from.R) / 2, y = (from.T + from.B) / 2;
    editor->OnMouseDown(x, y, &left);
    editor->OnMouseDrag(x, y + row.firstDy, &left);
    editor->OnMouseDrag(to.L + 5, to.T + 5, &left);
    editor->OnMouseUp(to.L + 5, to.T + 5, &left);
    EXPECT_EQ(banks::trimmed(view->slotText(0, row.target)), row.after);
  }
}

// A search fills the lower list with its results only: each later search replaces them, and one
// without results leaves the lower list as it was, the sounds a drag or a play takes from it too.
TEST_F(LibrarianPage, EachSearchListsItsOwnResults) {
  banks::write(data.file("Patches/One.syx"), "Lead");
  banks::write(data.file("Patches/Two.syx"), "Pad");
  Kroma* plug = withEditor();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  PatchLibrarian& librarian = *KromaProbe(plug).parts.mPatchLibrarian;
  const struct {
    const char* query;
    int kind;
    const char* first;  // the lower list's first slot
  } rows[] = {{"Lead", 4, "Lead0"}, {"", 0, "Lead0"},   {"Pad", 4, "Pad0"},
              {"Lead", 4, "Lead0"}, {"Zq", 4, "Lead0"}, {"Pad", 4, "Pad0"},
              {"", 0, "Lead0"},     {"Zq", 0, "Lead0"}, {"Pad", 4, "Pad0"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.query);
    plug->setDisplayText(kPatchSearchString, row.query);
    set(plug, kPatchSearchString, 0);
    EXPECT_EQ(plug->lowerListKind(), row.kind);
    EXPECT_EQ(banks::trimmed(view->slotText(1, 0)), row.first);
    std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
    const PatchFile* taken = librarian.listedFile(1, plug->lowerListKind());
    EXPECT_EQ(taken ? banks::trimmed(taken->records[0].name) : "no bank", row.first);
  }
}

// The bank files read again show their new contents in both lists at once.
TEST_F(LibrarianPage, BanksReadAgainShowInBothLists) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = withEditor();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  for (const char* prefix : {"Z-", "Y-"}) {
    banks::write(data.file("Patches/S1.syx"), prefix);
    plug->patchTypeChanged(0, 0, true);
    for (int list : {0, 1})
      EXPECT_EQ(banks::trimmed(view->slotText(list, 3)), std::string(prefix) + "3") << list;
  }
}

// A bank file found by a rescan shows in the bank menus of both lists and of the top bar.
TEST_F(LibrarianPage, ARescanAddsTheNewBankToTheMenusOfBothLists) {
  Kroma* plug = withThreeBanks();
  banks::write(data.file("Patches/D.syx"), "D-");
  plug->patchTypeChanged(0, 0, true);
  const EditorWidgets& widgets = KromaProbe(plug).widgets;
  for (const FolderSelectionMenu* menu :
       {static_cast<const FolderSelectionMenu*>(widgets.mLeftPatchMenu),
        static_cast<const FolderSelectionMenu*>(widgets.mRightPatchMenu),
        static_cast<const FolderSelectionMenu*>(widgets.mProgBankNameMenu)}) {
    ASSERT_NE(menu, nullptr);
    const IPopupMenu* root = menu->rootMenu();
    ASSERT_EQ(root->GetNItems(), 4);
    EXPECT_STREQ(root->GetItemText(3), "D.syx");
  }
}

// A saved bank shows in both lists as the librarian holds it now: the save refills them.
TEST_F(LibrarianPage, ASavedBankShowsAnewInBothLists) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = withEditor();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  PatchLibrarian& librarian = *KromaProbe(plug).parts.mPatchLibrarian;
  {
    std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
    librarian.soundFiles[0]->records[3].name = "Renamed";
  }
  plug->librarianBankSaved();
  for (int list : {0, 1}) EXPECT_EQ(banks::trimmed(view->slotText(list, 3)), "Renamed") << list;
}

// The sound dumps that reached the synthesizer from message `from` on, each as "bank.program
// name".
std::vector<std::string> soundDumps(const std::vector<std::vector<uint8_t>>& messages,
                                    size_t from = 0) {
  std::vector<std::string> dumps;
  for (size_t i = from; i < messages.size(); ++i)
    if (messages[i].size() == 392 && messages[i][4] == 0x10)
      dumps.push_back(
          std::to_string(messages[i][5]) + "." + std::to_string(messages[i][6]) + " " +
          banks::trimmed(std::string(messages[i].begin() + 370, messages[i].begin() + 386)));
  return dumps;
}

// The librarian's selected program goes from the list the view uses (the lower one while the
// upper has no selection; its first slot is one) to the part: stored first into the part's bank
// when asked, else after the part's sounds are ended.
TEST_F(LibrarianPage, TheSelectedProgramGoesFromTheListInUse) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  banks::write(data.file("Patches/T1.syx"), "T1-");
  const struct {
    int upperSelection;
    bool store;
    const char* first;  // the first message sent
    std::vector<std::string> dumps;
  } rows[] = {
      {4, true, "F0 3E 13 11 10 02 09", {"2.9 S1-9", "127.3 S1-9"}},
      {-1, false, "B3 7B 00|", {"127.3 T1-9"}},
      {0, false, "B3 7B 00|", {"127.3 S1-9"}},
  };
  Kroma* plug = settled();
  PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
  ASSERT_EQ(lib.soundFiles.size(), 2u);
  lib.lowerFileIndex = 1;
  plug->GetParam(kMultiPartBank + 3)->Set(2);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.upperSelection);
    lib.selectedProgram = 9;
    plug->librarianView()->upperSelection = row.upperSelection;
    const size_t from = sentCount();
    plug->SendSingleProgramFromLibrarian(row.store, 3);
    ASSERT_TRUE(eventually(
        [&] { return soundDumps(midi.received("Synth Out"), from).size() >= row.dumps.size(); }));
    ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
    EXPECT_EQ(sent(from).substr(0, std::string(row.first).size()), row.first);
    EXPECT_EQ(soundDumps(midi.received("Synth Out"), from), row.dumps);
    EXPECT_FALSE(KromaProbe(plug).parts.mMIDIMessageManager->store) << "the flag goes with the job";
  }
}

// A bank shorter than the list's 128 slots is filled up when one of its slots is played; a slot
// of the filled-up part has nothing to play.
TEST_F(LibrarianPage, AShortBankIsFilledUpWhenASlotIsPlayed) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = settled();
  PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
  lib.soundFiles[0]->records.resize(10);
  const size_t from = sentCount();
  plug->sendPatchToDeviceFromLibrarian(50, 0, 0);
  EXPECT_EQ(lib.soundFiles[0]->records.size(), 128u);
  EXPECT_FALSE(plug->ThreadRunning());
  plug->sendPatchToDeviceFromLibrarian(5, 0, 0);
  ASSERT_TRUE(eventually([&] { return !soundDumps(midi.received("Synth Out"), from).empty(); }));
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  EXPECT_EQ(soundDumps(midi.received("Synth Out"), from), (std::vector<std::string>{"127.0 S1-5"}));
}

// Storing all programs writes the bank of the list in use from its first slot into the target
// bank, the librarian's selection back on the first program; without a port nothing goes.
TEST_F(LibrarianPage, AllProgramsGoFromTheListInUseIntoTheTargetBank) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  banks::write(data.file("Patches/T1.syx"), "T1-");
  Kroma* plug = settled();
  PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
  lib.lowerFileIndex = 1;
  lib.selectedProgram = 40;
  plug->librarianView()->upperSelection = -1;
  const size_t from = sentCount();
  plug->SendAllProgramsFromLibrarian(3);
  ASSERT_TRUE(eventually([&] { return soundDumps(midi.received("Synth Out"), from).size() >= 2; }));
  set(plug, kCancelDataRequest, 1);
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  const std::vector<std::string> dumps = soundDumps(midi.received("Synth Out"), from);
  ASSERT_GE(dumps.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(dumps.begin(), dumps.begin() + 2),
            (std::vector<std::string>{"3.0 T1-0", "3.1 T1-1"}));
  EXPECT_EQ(lib.selectedProgram, 0);

  Kroma* unconnected = open();
  KromaProbe(unconnected).parts.mPatchLibrarian->selectedProgram = 40;
  const size_t before = sentCount();
  unconnected->SendAllProgramsFromLibrarian(3);
  EXPECT_FALSE(unconnected->ThreadRunning());
  EXPECT_EQ(KromaProbe(unconnected).parts.mPatchLibrarian->selectedProgram, 0);
  EXPECT_EQ(sentCount(), before);
}

// Each folder menu of the lists and the top bar is rebuilt with the file asked for checked.
TEST_F(LibrarianPage, EachFolderMenuIsRebuiltOnTheFileAskedFor) {
  for (const char* name : {"A", "B", "C"})
    banks::write(data.file(std::string("Patches/") + name + ".syx"), name);
  for (const char* name : {"M", "N"})
    banks::write(data.file(std::string("Patches/") + name + ".syx"), name, true);
  Kroma* plug = open();
  const EditorWidgets& widgets = KromaProbe(plug).widgets;
  const struct {
    LibrarianMenu menu;
    const FolderSelectionMenu* widget;
  } rows[] = {{kLeftPatchMenu, widgets.mLeftPatchMenu},
              {kRightPatchMenu, widgets.mRightPatchMenu},
              {kLeftPerfMenu, widgets.mLeftPerfMenu},
              {kRightPerfMenu, widgets.mRightPerfMenu},
              {kPerfBankNameMenu, widgets.mPerfBankNameMenu},
              {kProgBankNameMenu, widgets.mProgBankNameMenu}};
  for (int file : {1, 0}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(row.menu);
      ASSERT_NE(row.widget, nullptr);
      plug->refreshFolderStructure(row.menu, file, {});
      const IPopupMenu* root = row.widget->rootMenu();
      ASSERT_GE(root->GetNItems(), 2);
      EXPECT_TRUE(root->IsItemChecked(file));
      EXPECT_FALSE(root->IsItemChecked(1 - file));
    }
  }
}

// What the librarian's menus ask of the plug-in: the file each list remembers, the selection
// control of each list and the list in use.
TEST_F(LibrarianPage, TheListsRememberTheirFilesAndNameTheirControls) {
  Kroma* plug = open();
  using Host = LibrarianHost;
  const struct {
    Host::Remembered which;
    std::string LibrarianSelection::*file;
    std::string LibrarianSelection::*folder;
  } rows[] = {
      {Host::kUpperSounds, &LibrarianSelection::mUpperSelectionText,
       &LibrarianSelection::mUpperSelectionFolder},
      {Host::kLowerList, &LibrarianSelection::mLowerSelectionText,
       &LibrarianSelection::mLowerSelectionFolder},
      {Host::kUpperMultis, &LibrarianSelection::mUpperMultiSelectionText,
       &LibrarianSelection::mUpperMultiSelectionFolder},
      {Host::kLowerMultis, &LibrarianSelection::mLowerMultiSelectionText,
       &LibrarianSelection::mLowerMultiSelectionFolder},
  };
  for (const auto& row : rows) {
    const std::string n = std::to_string(row.which);
    plug->remember(row.which, {"file" + n + ".syx", "folder" + n});
    EXPECT_EQ(KromaProbe(plug).selection.*row.file, "file" + n + ".syx");
    EXPECT_EQ(KromaProbe(plug).selection.*row.folder, "folder" + n);
  }
  for (const auto& row : rows) {
    const std::string n = std::to_string(row.which);
    EXPECT_EQ(plug->remembered(row.which).file, "file" + n + ".syx");
    EXPECT_EQ(plug->remembered(row.which).folder, "folder" + n);
  }
  EXPECT_EQ(plug->selectionControl(0), plug->controlOf(kPatchSelectionListUpper));
  EXPECT_EQ(plug->selectionControl(1), plug->controlOf(kPatchSelectionListLower));
  for (int list : {1, 0}) {
    plug->librarianView()->activeList = list;
    EXPECT_EQ(plug->activeLibrarianList(), list);
  }
}

// The view's file menus open where the view asks.
TEST_F(LibrarianPage, TheFileMenusOpenWhereAsked) {
  Kroma* plug = withEditor();
  plug->showFileEditMenu(400, 300);
  plug->showFileCopyMenu(420, 310);
  const std::vector<std::vector<std::string>> menus = VIEW_Script::instance().menusShown();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_FALSE(menus[0].empty());
  EXPECT_FALSE(menus[1].empty());
  EXPECT_NE(menus[0], menus[1]);
}

// A job the librarian starts sets, with its start, the routing and collector flags it asks for.
TEST_F(LibrarianPage, ALibrarianJobSetsTheFlagsItAsksForWithItsStart) {
  Kroma* plug = settled();
  MIDIMessageManager& manager = *KromaProbe(plug).parts.mMIDIMessageManager;
  for (const auto& [routing, clear] : {std::pair{true, false}, {false, true}}) {
    SCOPED_TRACE(routing);
    manager.dumpRouting = false;
    manager.dumpComplete = true;
    LibrarianHost::JobFlags flags;
    flags.dumpRouting = routing;
    flags.clearCollectorDone = clear;
    SenderJob job;
    job.code = kSendPartToDevice;
    ASSERT_TRUE(plug->startLibrarianJob(job, flags));
    EXPECT_EQ(manager.dumpRouting, routing);
    EXPECT_EQ(manager.dumpComplete, !clear);
    ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  }
}

}  // namespace

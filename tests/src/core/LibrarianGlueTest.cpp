// The librarian in the whole plug-in: the sound/Multi switch, and slots played, requested and
// stored and banks saved against the simulated synthesizer on in-memory MIDI ports.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "PluginFixture.h"
#include "SynthOnPorts.h"
#include "platform/view/headless/HeadlessView.h"
#include "platform/view/headless/Script.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/LibrarianMenus.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/FolderMenus.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/librarian/view/NumberMenus.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"
#include "tools/corvane-sim/Simulator.h"

namespace {

using banks::trimmed;

class Librarian : public PluginFixture {
 protected:
  // Opens the plug-in with its editor window on the headless view.
  void openWithEditor() {
    plug = open();
    openEditor(plug);
    window = VIEW_HeadlessView::of(static_cast<IGraphicsMac*>(plug->graphics())->KitView());
  }
  bool idle() const {
    return !KromaProbe(plug).parts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer);
  }
  // Slot `slot` of the upper bank, read as the librarian's other threads allow.
  std::string slotName(int slot) const {
    std::lock_guard<std::recursive_mutex> lock(KromaProbe(plug).parts.mPatchLibrarian->mutex());
    return trimmed(upperBank()->records[slot].name);
  }
  static int indexOf(const PatchFileList& files, const std::string& name) {
    return std::find_if(files.begin(), files.end(),
                        [&](const PatchFile* f) { return f->fileName == name; }) -
           files.begin();
  }
  PatchFile* upperBank() const {
    PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
    return (lib.type == 1 ? lib.multiFiles : lib.soundFiles)[lib.upperFileIndex];
  }
  // Renames slot `slot` of the upper bank as the slot menu's Rename does: an unsaved edit.
  void renameSlot(int slot, const std::string& name) {
    KromaProbe(plug).widgets.mLibrarianView->upperSelection = slot;
    KromaProbe(plug).selection.mRenameFinished = false;
    plug->GetParam(kPatchRename)->SetDisplayText(0, name.c_str());
    set(plug, kPatchRename, 0);
  }

  Kroma* plug = nullptr;
  VIEW_HeadlessView* window = nullptr;
};

TEST_F(Librarian, SwitchingToMultisAndBackResetsTheListsAndFindsTheBanksChosenBefore) {
  for (const std::string name : {"S1", "S2", "M1", "M2", "M3"})
    banks::write(data.file("Patches/" + name + ".syx"), name + "-", name[0] == 'M');
  openWithEditor();
  PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
  plug->patchTypeChanged(0, 0, false);
  KromaProbe(plug).selection.mMultiMode = true;
  plug->patchTypeChanged(1, 2, false);
  EXPECT_EQ(lib.type, 1);
  for (int param : {kPatchSelectionListUpper, kPatchSelectionListLower, kCurrentOpenPerfBankR})
    EXPECT_EQ(plug->GetParam(param)->GetNDisplayTexts(), 3) << "the three Multi banks";
  const int third = indexOf(lib.multiFiles, "M3.syx");
  choose(KromaProbe(plug).widgets.mLeftPerfMenu, {third});
  EXPECT_EQ(lib.upperFileIndex, third);
  KromaProbe(plug).selection.mMultiMode = false;
  plug->patchTypeChanged(0, 0, false);
  EXPECT_EQ(lib.upperFileIndex, 0);
  for (int param : {kPatchSelectionListUpper, kPatchSelectionListLower, kCurrentOpenPatchBankR})
    EXPECT_EQ(plug->GetParam(param)->GetNDisplayTexts(), 2) << "no Multi bank left over";
  KromaProbe(plug).selection.mMultiMode = true;
  plug->patchTypeChanged(1, 2, false);
  EXPECT_EQ(lib.upperFileIndex, third) << "the Multi bank chosen last is found again";
  EXPECT_EQ(plug->GetParam(kPatchSelectionListUpper)->Int(), third);

  upperBank()->records[4] = LibrarianPatch();
  plug->patchTypeChanged(1, 2, true);
  EXPECT_EQ(trimmed(upperBank()->records[4].name), "M3-4") << "a reload drops the edit";
}

// Long names shorten by their first 47 characters, counted while they shorten alike in a row
// (shorter names in between do not count); each renaming is one log line.
TEST(BankDisplayNames, LongNamesShortenCountInARowAndAreLogged) {
  struct Lines : TK_LogSink {
    void Write(const char* tag, const std::string& message) override {
      lines.push_back(tag + message);
    }
    std::vector<std::string> lines;
  } log;
  const std::string p(47, 'P'), q(47, 'Q');
  const struct {
    std::string name, shown;
  } cases[] = {
      {p + "-first-bank.SYX", p + "~1.syx"},
      {std::string(47, 'S') + "1.syx", std::string(47, 'S') + "1.syx"},  // 52: unchanged
      {p + "-second.Kro", p + "~2.kro"},
      {q + "12.syx", q + "~1.syx"},  // 53: shortened
      {p + "-third.mid", p + "~1.mid"},
      {std::string(53, 'N'), std::string(47, 'N') + "~1." + std::string(53, 'n')},
  };
  std::vector<std::string> names;
  for (const auto& c : cases) names.push_back(c.name);
  const std::vector<std::string> shown = bankDisplayNames(names, &log);
  ASSERT_EQ(shown.size(), names.size());
  size_t line = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(shown[i], cases[i].shown) << i;
    if (shown[i] == names[i]) continue;
    ASSERT_LT(line, log.lines.size());
    EXPECT_EQ(log.lines[line++],
              "PATCH LIBRARIAN: Filename " + names[i] + " RENAMED TO " + shown[i] +
                  " Because the filename was too long to fit in plug-in display!");
  }
  EXPECT_EQ(line, log.lines.size());
}

// Which of the bank menu and the two bank-name menus is shown, and what they check, by mode
// and by whether program numbers address the librarian.
TEST_F(Librarian, BankAndProgramMenusFollowTheModeAndTheLibraryFlag) {
  openWithEditor();
  KromaProbe(plug).selection.mCurrentPart = 2;
  plug->GetParam(kMultiPartBank + 2)->Set(3);
  plug->GetParam(kMultiPartPatch + 2)->Set(57);
  plug->GetParam(kMultiPatch)->Set(99);
  const char* const layers[] = {"BANKNUMBERMENUPROGRAMS", "PROGBANKNAMEMENUPROGRAMS",
                                "PERFBANKNAMEMENUPROGRAMS"};
  const struct {
    bool multi, library, keep;
    int layer;        // of `layers`
    int bankChecked;  // -1: the Multi's one unchecked bank
    int program;
  } cases[] = {
      {false, false, false, 0, 3, 57}, {false, true, true, 1, 6, 57},
      {false, true, false, 1, 3, 57},  {true, true, false, 2, -1, 99},
      {true, false, true, 0, -1, 99},
  };
  for (const auto& c : cases) {
    KromaProbe(plug).selection.mMultiMode = false;
    KromaProbe(plug).widgets.mBankNumberMenu->refreshPatchNames(
        KromaProbe(plug).parts.mPatchLibrarian.get(), plug, 6);
    KromaProbe(plug).widgets.mLibrarianView->upperSelection = 0;
    KromaProbe(plug).widgets.mLibrarianView->keyCursor = 0;
    KromaProbe(plug).parts.mPatchLibrarian->selectedProgram = 0;
    KromaProbe(plug).selection.mMultiMode = c.multi;
    KromaProbe(plug).selection.mShowProgramNames = c.library;
    plug->updateBankAndProgramMenuNames(c.keep);
    const std::string row =
        std::to_string(c.multi) + std::to_string(c.library) + std::to_string(c.keep);
    for (int l = 0; l < 3; ++l) EXPECT_EQ(shown(plug, layers[l]), l == c.layer) << row << l;
    const IPopupMenu* banks = KromaProbe(plug).widgets.mBankNumberMenu->menu();
    ASSERT_EQ(banks->GetNItems(), c.bankChecked < 0 ? 1 : 8) << row;
    for (int b = 0; b < banks->GetNItems(); ++b)
      EXPECT_EQ(banks->IsItemChecked(b), b == c.bankChecked) << row << " bank " << b;
    EXPECT_TRUE(KromaProbe(plug)
                    .widgets.mProgramNumberMenu->subMenu(c.program / 10)
                    ->IsItemChecked(c.program % 10))
        << row;
    EXPECT_EQ(KromaProbe(plug).widgets.mLibrarianView->upperSelection, c.library ? c.program : 0)
        << row;
    EXPECT_EQ(KromaProbe(plug).widgets.mLibrarianView->keyCursor, c.library ? c.program : 0) << row;
    EXPECT_EQ(KromaProbe(plug).parts.mPatchLibrarian->selectedProgram, c.library ? c.program : 0)
        << row;
  }
}

// A save rewrites the selection lists of the mode and keeps the selection; a lower list of
// categories keeps their names. The lower list is taken by categories, search, then mode.
TEST_F(Librarian, ASaveRewritesTheSelectionListsKeepingSelectionAndCategoryNames) {
  for (const std::string name : {"S1", "S2"})
    banks::write(data.file("Patches/" + name + ".syx"), name + "-");
  openWithEditor();
  IParam* upper = plug->GetParam(kPatchSelectionListUpper);
  IParam* lower = plug->GetParam(kPatchSelectionListLower);
  const std::string first = KromaProbe(plug).parts.mPatchLibrarian->soundFiles[0]->fileName;
  KromaProbe(plug).selection.mLowerListShowsCategories = true;
  plug->patchTypeChanged(0, 1, false);
  const std::string category = lower->GetDisplayText(0);
  upper->SetDisplayText(0, "stale");
  plug->GetParam(kCurrentOpenPatchBankL + 5)->SetDisplayText(0, "stale");
  upper->Set(1);
  plug->librarianBankSaved();
  EXPECT_EQ(std::string(upper->GetDisplayText(0)), first);
  EXPECT_EQ(std::string(plug->GetParam(kCurrentOpenPatchBankL + 5)->GetDisplayText(0)), first);
  EXPECT_EQ(upper->Value(), 1.0) << "the selection stays";
  EXPECT_EQ(std::string(lower->GetDisplayText(0)), category);

  KromaProbe(plug).selection.mLowerListShowsCategories = false;
  plug->patchTypeChanged(0, 0, false);
  lower->SetDisplayText(0, "stale");
  plug->librarianBankSaved();
  EXPECT_EQ(std::string(lower->GetDisplayText(0)), first);

  KromaProbe(plug).selection.mMultiMode = true;
  for (const auto& [categories, search, kind] :
       {std::tuple{true, true, 1}, {false, true, 4}, {false, false, 2}}) {
    KromaProbe(plug).selection.mLowerListShowsCategories = categories;
    KromaProbe(plug).selection.mLowerListShowsSearch = search;
    EXPECT_EQ(plug->lowerListKind(), kind) << categories << search;
  }
  KromaProbe(plug).selection.mLowerListShowsSearch = false;
  KromaProbe(plug).selection.mMultiMode = false;
}

// The pieces of a bank split at the scan stand at once in the bank menu, in the folder of the
// file they came from, and saving one writes its own file there.
TEST_F(Librarian, SplitPiecesStandInTheirFolderAndASaveWritesTheirOwnFile) {
  banks::write(data.file("Patches/A/Big.syx"), "Big", false, 200);
  openWithEditor();
  choose(KromaProbe(plug).widgets.mLeftPatchMenu, {0, 1});  // A, Big Singles 2.syx
  ASSERT_EQ(upperBank()->fileName, "Big Singles 2.syx");
  {
    std::lock_guard<std::recursive_mutex> lock(KromaProbe(plug).parts.mPatchLibrarian->mutex());
    upperBank()->records[3] = banks::record("Edited");
  }
  banks::write(data.file("Patches/A/Big Singles 2.syx"), "Other-");  // by another program
  const std::string other = readData("Patches/A/Big Singles 2.syx");
  choose(KromaProbe(plug).widgets.mBankEditMenu, {7});  // the question's default keeps it
  EXPECT_TRUE(readData("Patches/A/Big Singles 2.syx") == other);
  VIEW_Script::instance().answerMessageBox(2);          // Replace
  choose(KromaProbe(plug).widgets.mBankEditMenu, {7});  // Save (Overwrite current bank)
  EXPECT_FALSE(std::filesystem::exists(data.file("Patches/Big Singles 2.syx")));
  const std::string saved = readData("Patches/A/Big Singles 2.syx");
  ASSERT_GE(saved.size(), 4u * DumpLayout::kSoundSize);
  EXPECT_EQ(saved.substr(3 * DumpLayout::kSoundSize + DumpLayout::kSoundNameOffset, 6), "Edited");
}

// While the upper bank holds unsaved edits, neither Refresh Folders nor an import reads the banks
// again: the edits and their mark stay. Discarding them reopens the banks the lists showed, as
// their files hold them.
TEST_F(Librarian, UnsavedEditsStayUntilDiscardedWhichReopensTheBanksShown) {
  for (const std::string name : {"A", "B", "C"})
    banks::write(data.file("Patches/" + name + ".syx"), name + "-");
  banks::write(data.file("Import.syx"), "I-");
  openWithEditor();
  LibrarianViewControl* view = KromaProbe(plug).widgets.mLibrarianView;
  choose(KromaProbe(plug).widgets.mLeftPatchMenu, {1});   // B
  choose(KromaProbe(plug).widgets.mRightPatchMenu, {2});  // C
  renameSlot(3, "Edited");
  ASSERT_EQ(slotName(3), "Edited");

  VIEW_Script::instance().answerPanel(data.file("Import.syx"));
  for (const std::vector<int>& item : {std::vector<int>{11}, {10, 1}}) {  // Refresh, Import SysEx
    SCOPED_TRACE(item[0]);
    choose(KromaProbe(plug).widgets.mBankEditMenu, item);
    EXPECT_EQ(slotName(3), "Edited");
    EXPECT_EQ(value(plug, kBankEditUnsaved), 1.0);
    EXPECT_TRUE(shown(plug, "discardChangesLayerRight"));
    EXPECT_EQ(status(plug), "Save bank or Discard changes!");
  }
  EXPECT_FALSE(std::filesystem::exists(data.file("Patches/Import.syx")));

  set(plug, kDiscardBankData, 1);
  EXPECT_EQ(value(plug, kBankEditUnsaved), 0.0);
  EXPECT_EQ(trimmed(view->slotText(0, 3)), "B-3");
  EXPECT_EQ(trimmed(view->slotText(1, 3)), "C-3");
}

// Clearing the search field brings the sound banks back into the lower list, whose slots are then
// the records they name; the upper list keeps its bank.
TEST_F(Librarian, ClearingTheSearchShowsTheSoundBanksInTheLowerListAgain) {
  for (const std::string name : {"A", "B", "C"})
    banks::write(data.file("Patches/" + name + ".syx"), name + "-");
  openWithEditor();
  PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
  LibrarianViewControl* view = KromaProbe(plug).widgets.mLibrarianView;
  choose(KromaProbe(plug).widgets.mLeftPatchMenu, {2});  // C
  for (const char* query : {"B-", ""}) {
    plug->setDisplayText(kPatchSearchString, query);
    set(plug, kPatchSearchString, 0);
  }
  EXPECT_EQ(plug->lowerListKind(), 0);
  EXPECT_EQ(trimmed(view->slotText(1, 5)), "A-5");
  {
    std::lock_guard<std::recursive_mutex> lock(lib.mutex());
    EXPECT_EQ(trimmed(lib.listedFile(1, plug->lowerListKind())->records[5].name), "A-5");
  }
  EXPECT_STREQ(plug->GetParam(kPatchSelectionListLower)->GetDisplayText(0), "A.syx");
  EXPECT_TRUE(shown(plug, "LOWERPOPUPMENU"));
  EXPECT_FALSE(shown(plug, "RightSearchPopupMenu"));
  EXPECT_EQ(trimmed(view->slotText(0, 5)), "C-5") << "the upper list keeps its bank";
}

// Save As over a bank asks first: kept, the bank's bytes stay and the panel, still open, is
// cancelled; replaced, the file holds the bank saved. A failure text stays only until a save works.
TEST_F(Librarian, SaveAsAsksBeforeReplacingABankAndTheLastSaveSaysHowItWent) {
  banks::write(data.file("Patches/A.syx"), "A-");
  banks::write(data.file("Patches/B.syx"), "B-");
  openWithEditor();
  ASSERT_EQ(upperBank()->fileName, "A.syx");
  IControl* menu = KromaProbe(plug).widgets.mBankEditMenu;
  VIEW_Script& script = VIEW_Script::instance();
  const std::string before = readData("Patches/B.syx");
  script.answerPanel(data.file("Patches/B.syx"));
  choose(menu, {8, 1});  // Save As Kroma Format; the question's default keeps the file
  EXPECT_EQ(readData("Patches/B.syx"), before);
  EXPECT_EQ(script.messagesShown(),
            std::vector<std::string>{
                "Replace File: \"B.syx\" already exists.\nDo you want to replace it?"});
  EXPECT_EQ(script.panelsShown().size(), 2u) << "kept, the panel took the next answer: none";

  script.answerPanel(data.file("Gone/X.kro"));
  choose(menu, {8, 1});
  EXPECT_EQ(status(plug), "Bank save FAILED!");
  choose(menu, {7});  // Save (Overwrite current bank)
  EXPECT_EQ(status(plug), "Bank saved!");

  plug->showStatus("");
  script.answerPanel(data.file("Patches/B.syx"));
  script.answerMessageBox(2);  // Replace
  choose(menu, {8, 1});
  EXPECT_EQ(status(plug), "Bank saved!");
  EXPECT_EQ(upperBank()->fileName, "B.syx");
  EXPECT_EQ(slotName(0), "A-0") << "B.syx holds the bank saved";
}

// Save writes the edit bank over its file while the file holds what the librarian read from it
// or last wrote there; a file another program changed is replaced only when the musician says so
// (Cancel, the default, writes nothing and takes back an earlier save's "Bank saved!", though no
// other text), a read-only one never. The file compared is the one Save is about to replace,
// where the bank stands: a file put where its link stood, or the file the link names now. After a
// save the next row saves again without reading the bank; one that picks nothing saves it again
// as it stands, edited since. The status text of a save has one line: the value line's text of an
// earlier edit goes.
TEST_F(Librarian, SaveAsksBeforeReplacingAFileChangedElsewhereAndNeverWritesAReadOnlyOne) {
  const std::string path = data.file("Patches/A.syx");
  banks::write(path, "A-");
  kroma_test::TempDir outside;
  for (const char* name : {"One", "Two", "Three"}) {
    banks::write(outside.file(std::string(name) + ".kro"), std::string(name) + "-");
    std::filesystem::create_symlink(outside.file(std::string(name) + ".kro"),
                                    data.file(std::string("Patches/") + name + " Link.kro"));
  }
  banks::write(outside.file("Other.kro"), "Other-");
  const auto relink = [&](const char* link, const std::string& to) {
    std::filesystem::remove(data.file(std::string("Patches/") + link));
    if (!to.empty()) std::filesystem::create_symlink(to, data.file(std::string("Patches/") + link));
  };
  openWithEditor();
  const struct {
    const char* bank;
    const char* meddled;  // what another program did where the bank stands
    std::function<void()> meddle;
    int answer;  // 0 nothing asked; 1 asked, the default; 2 asked, Replace
    bool written;
    const char* status;
    bool picked = true;      // false: no pick between the row before's save and this one
    const char* shown = "";  // the status line just before the save
  } rows[] = {
      {"A.syx", "nothing", [] {}, 0, true, "Bank saved!"},
      {"A.syx", "nothing, and no pick since its save", [] {}, 0, true, "Bank saved!", false},
      {"A.syx", "its bytes written again",
       [&] { writeData("Patches/A.syx", readData("Patches/A.syx")); }, 0, true, "Bank saved!"},
      {"A.syx", "changed", [&] { banks::write(path, "Kept-"); }, 1, false, ""},
      {"A.syx", "changed after a save", [&] { banks::write(path, "Kept again-"); }, 1, false, "",
       true, "Bank saved!"},
      {"A.syx", "changed", [&] { banks::write(path, "Replaced-"); }, 2, true, "Bank saved!"},
      {"A.syx", "removed", [&] { std::remove(path.c_str()); }, 0, true, "Bank saved!"},
      {"One Link.kro", "its link pointed at another file",
       [&] { relink("One Link.kro", outside.file("Other.kro")); }, 1, false, ""},
      {"Two Link.kro", "its link replaced by a file",
       [&] {
         relink("Two Link.kro", "");
         banks::write(data.file("Patches/Two Link.kro"), "Theirs-");
       },
       1, false, ""},
      {"Three Link.kro", "its link removed", [&] { relink("Three Link.kro", ""); }, 0, true,
       "Bank saved!"},
      {"Three Link.kro", "nothing", [] {}, 0, true, "Bank saved!"},
      {"Three Link.kro", "changed during a lost link's word",
       [&] { banks::write(data.file("Patches/Three Link.kro"), "Kept-"); }, 1, false,
       "Data write FAILED!", true, "Data write FAILED!"},
      {"A.syx", "made read-only", [&] { ::chmod(path.c_str(), 0444); }, 0, false,
       "Bank save FAILED!"},
  };
  VIEW_Script& script = VIEW_Script::instance();
  for (size_t row = 0; row < std::size(rows); ++row) {
    SCOPED_TRACE(std::string(rows[row].bank) + " " + rows[row].meddled + " " +
                 std::to_string(rows[row].answer));
    const std::string bank = std::string("Patches/") + rows[row].bank;
    if (row == 0 || !rows[row - 1].written) set(plug, kDiscardBankData, 1);  // as its file holds it
    const IPopupMenu* root = KromaProbe(plug).widgets.mLeftPatchMenu->rootMenu();
    int item = 0;
    while (item < root->GetNItems() && root->GetItemText(item) != std::string(rows[row].bank))
      ++item;
    if (rows[row].picked) choose(KromaProbe(plug).widgets.mLeftPatchMenu, {item});
    ASSERT_EQ(upperBank()->fileName, rows[row].bank);
    const std::string edit = "Saved " + std::to_string(row);
    renameSlot(3, edit);
    rows[row].meddle();
    const std::string before = readData(bank);
    plug->showStatus(rows[row].shown);
    plug->setTextDisplay(kControlDisplayValue, "+2 [14]");
    const size_t asked = script.messagesShown().size();
    if (rows[row].answer == 2) script.answerMessageBox(2);
    choose(KromaProbe(plug).widgets.mBankEditMenu, {7});  // Save (Overwrite current bank)
    EXPECT_EQ(script.messagesShown().size(), asked + (rows[row].answer ? 1 : 0));
    if (rows[row].answer && script.messagesShown().size() > asked) {
      EXPECT_EQ(script.messagesShown().back(),
                "Replace File: \"" + std::string(rows[row].bank) +
                    "\" has changed on disk since it was opened.\nDo you want to replace it?");
    }
    const std::string after = readData(bank);
    EXPECT_EQ(after.find(edit) != std::string::npos, rows[row].written);
    if (!rows[row].written) {
      EXPECT_TRUE(after == before);
    }
    EXPECT_EQ(status(plug), rows[row].status);
    // A save that says nothing leaves the value line too.
    EXPECT_EQ(text(KromaProbe(plug).widgets.mValueDisplay), rows[row].answer == 1 ? "+2 [14]" : "");
  }
}

// Save As outside the bank folders, or under a name that is no bank's, is an export: the upper
// list keeps the bank being edited, with its unsaved mark, and the next Save writes that bank's
// own file, no other.
TEST_F(Librarian, SaveAsToNoBankOfTheLibrarianKeepsTheEditBank) {
  writeData("Kroma Editor LOG.txt", "");
  banks::write(data.file("Patches/A First.syx"), "A-");
  banks::write(data.file("Patches/B Mine.syx"), "B-");
  kroma_test::TempDir exports;
  openWithEditor();
  choose(KromaProbe(plug).widgets.mLeftPatchMenu, {1});  // B Mine.syx
  renameSlot(3, "Edited");
  const std::string first = readData("Patches/A First.syx");

  for (const std::string& chosen : {exports.file("Mine.mid"), data.file("Patches/Mine")}) {
    SCOPED_TRACE(chosen);
    VIEW_Script::instance().answerPanel(chosen);
    choose(KromaProbe(plug).widgets.mBankEditMenu, {8, 0});  // Save As Standard MIDI
    EXPECT_TRUE(std::filesystem::exists(chosen));
    EXPECT_EQ(upperBank()->fileName, "B Mine.syx");
    EXPECT_EQ(value(plug, kBankEditUnsaved), 1.0);
    EXPECT_EQ(status(plug), "Bank saved!");
    EXPECT_NE(readData("Kroma Editor LOG.txt").find(" saved as " + chosen), std::string::npos);
  }

  choose(KromaProbe(plug).widgets.mBankEditMenu, {7});  // Save (Overwrite current bank)
  EXPECT_TRUE(readData("Patches/A First.syx") == first) << "a bank never opened stays";
  EXPECT_NE(readData("Patches/B Mine.syx").find("Edited"), std::string::npos);
}

// Every regular file below `folder` (links not followed) by its canonical path, with its bytes.
std::map<std::string, std::string> filesBelow(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[std::filesystem::canonical(entry.path())] = {std::istreambuf_iterator<char>(in), {}};
  }
  return files;
}

// However Save As is given its path (".", "..", "//", a backslash in the name, a namesake in
// another folder, the real path of a folder linked into Patches, a link in Patches to a bank
// elsewhere, that bank by its own path, a link elsewhere to a bank in Patches), the bank being
// edited then is the very file written when the scan lists it, and shows what it holds, else
// stays the bank edited before; a Refresh keeps it, and the next Save writes that file and no
// other. Given none (the panel dismissed), nothing is written and the word of the save before
// goes.
TEST_F(Librarian, SaveAsFindsTheFileWrittenByItsWholePath) {
  banks::write(data.file("Patches/A First.syx"), "A-");
  banks::write(data.file("Patches/B Mine.syx"), "B-");
  banks::write(data.file("Patches/A/x.kro"), "AX-");
  banks::write(data.file("Patches/B/A/x.kro"), "BAX-");
  kroma_test::TempDir outside;
  std::filesystem::create_directory(outside.file("Real"));
  std::filesystem::create_directory_symlink(outside.file("Real"), data.file("Patches/Linked"));
  banks::write(outside.file("Theirs.kro"), "T-");
  std::filesystem::create_symlink(outside.file("Theirs.kro"), data.file("Patches/link.kro"));
  std::filesystem::create_symlink(data.file("Patches/A First.syx"), outside.file("Into.kro"));
  const std::string mine = data.file("Patches/B Mine.syx");
  const struct {
    std::string chosen, editedThen;  // "": the bank edited before
  } rows[] = {
      {data.file("Patches/A/x.kro"), data.file("Patches/A/x.kro")},
      {data.file("Patches/./Dot.syx"), data.file("Patches/Dot.syx")},
      {data.file("Patches//Twice.syx"), data.file("Patches/Twice.syx")},
      {data.file("Patches/A/../Back.kro"), data.file("Patches/Back.kro")},
      {data.file("Patches/Back\\slash.kro"), data.file("Patches/Back\\slash.kro")},
      {outside.file("Real/Linked.kro"), outside.file("Real/Linked.kro")},
      {data.file("Patches/link.kro"), outside.file("Theirs.kro")},
      {outside.file("Theirs.kro"), outside.file("Theirs.kro")},
      {outside.file("Into.kro"), data.file("Patches/A First.syx")},
      {data.file("Patches/../Up.syx"), ""},
      {"", ""},
  };
  openWithEditor();
  IControl* menu = KromaProbe(plug).widgets.mBankEditMenu;
  const auto allFiles = [&] {
    std::map<std::string, std::string> files = filesBelow(data.path());
    files.merge(filesBelow(outside.path()));
    return files;
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    SCOPED_TRACE(rows[row].chosen.empty() ? "the panel dismissed" : rows[row].chosen);
    const std::string tag = std::to_string(row);
    const IPopupMenu* root = KromaProbe(plug).widgets.mLeftPatchMenu->rootMenu();
    int item = 0;
    while (item < root->GetNItems() && std::string(root->GetItemText(item)) != "B Mine.syx") ++item;
    choose(KromaProbe(plug).widgets.mLeftPatchMenu, {item});
    renameSlot(3, "Row " + tag);
    if (std::filesystem::exists(rows[row].chosen)) VIEW_Script::instance().answerMessageBox(2);
    VIEW_Script::instance().answerPanel(rows[row].chosen);
    const bool dismissed = rows[row].chosen.empty();
    if (dismissed) plug->showStatus("Bank saved!");  // the row before's, which the pick replaced
    choose(menu, {8, 1});  // Save As Kroma Format
    EXPECT_EQ(status(plug), dismissed ? "" : "Bank saved!");
    const bool switched = !rows[row].editedThen.empty();
    EXPECT_EQ(value(plug, kBankEditUnsaved), switched ? 0.0 : 1.0);
    EXPECT_EQ(slotName(3), "Row " + tag) << "what the bank edited holds";

    choose(menu, {11});  // Refresh Folders
    renameSlot(4, "Next " + tag);
    const std::map<std::string, std::string> before = allFiles();
    choose(menu, {7});  // Save (Overwrite current bank)
    EXPECT_EQ(status(plug), "Bank saved!");
    const std::map<std::string, std::string> after = allFiles();
    std::vector<std::string> changed;
    for (const auto& [path, bytes] : after)
      if (!before.count(path) || before.at(path) != bytes) changed.push_back(path);
    const std::string edited = std::filesystem::canonical(switched ? rows[row].editedThen : mine);
    EXPECT_EQ(changed, std::vector<std::string>{edited});
    EXPECT_EQ(before.size(), after.size());
    ASSERT_TRUE(after.count(edited));
    EXPECT_NE(after.at(edited).find("Next " + tag), std::string::npos);
  }
}

// An import that cannot be written (no Patches folder) or read says so on the screen, and logs
// no copy.
TEST_F(Librarian, AFailedImportSaysSoAndLogsNoCopy) {
  writeData("Kroma Editor LOG.txt", "");
  kroma_test::TempDir elsewhere;
  banks::write(elsewhere.file("In.syx"), "I-");
  openWithEditor();
  for (const std::string& chosen : {elsewhere.file("In.syx"), elsewhere.file("missing.syx")}) {
    plug->showStatus("");
    VIEW_Script::instance().answerPanel(chosen);
    choose(KromaProbe(plug).widgets.mBankEditMenu, {10, 1});  // Import SysEx
    EXPECT_EQ(status(plug), "Bank import FAILED!") << chosen;
  }
  const std::string log = readData("Kroma Editor LOG.txt");
  EXPECT_NE(log.find("could not write " + data.file("Patches/In.syx")), std::string::npos);
  EXPECT_EQ(log.find("patch file copied"), std::string::npos);
}

// Import reads a file as the folder scan would: one the scan would not list (text, too short for a
// bank, no whole dump, only a dump's start) is refused and nothing is copied; a bank is copied and listed. While no
// bank is listed, the bank titles show no number.
TEST_F(Librarian, AnImportOfWhatTheScanWouldNotListIsRefused) {
  writeData("Kroma Editor LOG.txt", "");
  ASSERT_TRUE(std::filesystem::create_directory(data.file("Patches")));
  kroma_test::TempDir elsewhere;
  const std::vector<uint8_t> dump = banks::record("One").messages[0].bytes;
  std::string cut;
  for (int i = 0; i < 100; ++i) cut.append(dump.begin(), dump.end() - 30);  // no F7, no name
  const struct {
    std::string name, bytes;
  } refused[] = {
      {"notes.syx", "Bank notes: pads in A, leads in B.\n"},
      {"long notes.kro", std::string(40000, 'x')},
      {"one.syx", std::string(dump.begin(), dump.end())},
      {"cut.syx", cut},
      {"start.syx", std::string(dump.begin(), dump.begin() + 200) + std::string(29801, '\0')},
  };
  openWithEditor();
  const auto title = [&](int param) {
    char shown[IParam::kDisplayTextSize];
    const IParam* p = plug->GetParam(param);
    p->GetDisplayForHost(p->Value(), false, shown, true);
    return std::string(shown);
  };
  for (const auto& file : refused) {
    SCOPED_TRACE(file.name);
    std::ofstream(elsewhere.file(file.name), std::ios::binary) << file.bytes;
    plug->showStatus("");
    VIEW_Script::instance().answerPanel(elsewhere.file(file.name));
    choose(KromaProbe(plug).widgets.mBankEditMenu, {10, 1});  // Import SysEx
    EXPECT_EQ(status(plug), "Bank import FAILED!");
    EXPECT_FALSE(std::filesystem::exists(data.file("Patches/" + file.name)));
    for (int param : {kPatchSelectionListUpper, kPatchSelectionListLower})
      EXPECT_EQ(title(param), "----");
  }
  EXPECT_NE(readData("Kroma Editor LOG.txt").find("notes.syx holds no bank, nothing copied"),
            std::string::npos);

  banks::write(elsewhere.file("Pads.syx"), "P-");
  VIEW_Script::instance().answerPanel(elsewhere.file("Pads.syx"));
  choose(KromaProbe(plug).widgets.mBankEditMenu, {10, 1});
  EXPECT_EQ(status(plug), "Bank imported!");
  EXPECT_EQ(title(kPatchSelectionListUpper), "Pads.syx");
  EXPECT_EQ(slotName(7), "P-7");
}

// A bank of more than 128 sounds is split and its file moved into "Converted Banks/", at start-up
// and by an import: the status line says so, once; at start-up when the editor first opens, after
// the host's resume has put its own texts there, and a page turned does not write over it.
TEST_F(Librarian, ASplitBankIsToldOnTheStatusLine) {
  const auto told = [&] {
    return status(plug) + " / " + text(KromaProbe(plug).widgets.mValueDisplay);
  };
  const std::string kSplit = "Bank split into banks of 128! / File moved to Converted Banks";
  banks::write(data.file("Patches/Mine/Big.syx"), "B-", false, 256);
  kroma_test::TempDir elsewhere;
  banks::write(elsewhere.file("Huge.syx"), "H-", false, 200);
  plug = open();
  dispatch(plug, effMainsChanged, 0, 1);
  openEditorAsHost(plug);
  EXPECT_EQ(told(), kSplit);
  turn(plug, kMainTab, 1);  // the musician goes to see the pieces, with no port chosen yet
  EXPECT_EQ(told(), kSplit);
  dispatch(plug, effEditClose);
  plug->setTextDisplay(kControlDisplayName, "");
  plug->setTextDisplay(kControlDisplayValue, "");
  openEditorAsHost(plug);
  EXPECT_EQ(told(), " / ") << "told once";

  VIEW_Script::instance().answerPanel(elsewhere.file("Huge.syx"));
  choose(KromaProbe(plug).widgets.mBankEditMenu, {10, 1});  // Import SysEx
  EXPECT_EQ(told(), kSplit);
  for (const char* moved : {"Big.syx", "Huge.syx"})
    EXPECT_TRUE(std::filesystem::exists(data.file("Converted Banks/") + moved)) << moved;
  EXPECT_TRUE(std::filesystem::exists(data.file("Patches/Huge Singles 2.syx")));
}

// A named pipe fails at once, not once something writes into it; a name of up to 255 bytes is
// imported, and says so over the failure before.
TEST_F(Librarian, APipeFailsAtOnceAndALongNameIsImported) {
  kroma_test::TempDir elsewhere;
  const std::string pipe = elsewhere.file("x.syx");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string longName = std::string(251, 'L') + ".syx";
  banks::write(elsewhere.file(longName), "L-");
  banks::write(data.file("Patches/A.syx"), "A-");
  openWithEditor();
  const struct {
    std::string chosen;
    const char* status;
  } rows[] = {{pipe, "Bank import FAILED!"}, {elsewhere.file(longName), "Bank imported!"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.status);
    std::atomic<bool> done{false}, released{false};
    // A reader waiting for a writer is let go, bounded, so that the test ends.
    std::thread writer([&] {
      if (eventually([&] { return done.load(); })) return;
      released = true;
      ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    });
    VIEW_Script::instance().answerPanel(row.chosen);
    choose(KromaProbe(plug).widgets.mBankEditMenu, {10, 1});  // Import SysEx
    done = true;
    writer.join();
    EXPECT_FALSE(released) << "the import waited for a writer";
    EXPECT_EQ(status(plug), row.status);
  }
  EXPECT_TRUE(std::filesystem::exists(data.file("Patches/" + longName)));
}

// The librarian against the synthesizer on in-memory ports.
class WithSynth : public Librarian {
 protected:
  void connect() { ports.connect(plug); }

  static std::string nameIn(const sysex::SoundDumpBytes& dump) {
    return trimmed(std::string(dump.begin() + DumpLayout::kSoundNameOffset, dump.begin() + 386));
  }

  SynthOnPorts ports{midi};
  corvane_sim::Simulator& synth = ports.synth;
};

TEST_F(WithSynth, SlotsArePlayedRequestedStoredAndTheBankSavedAndReadBackUnchanged) {
  banks::write(data.file("Patches/Edit.syx"), "E");
  openWithEditor();
  connect();
  plug->mainTabSwitch(1, 0);
  LibrarianViewControl* view = KromaProbe(plug).widgets.mLibrarianView;

  window->mouseDown(view->slotRect(0, 5).L + 3, view->slotRect(0, 5).T + 3, VIEW_Event::kLeft, {},
                    2);
  window->mouseUp(view->slotRect(0, 5).L + 3, view->slotRect(0, 5).T + 3, VIEW_Event::kLeft, {});
  EXPECT_TRUE(eventually([&] { return nameIn(synth.soundEditBuffer(0)) == "E5"; }))
      << "double click plays the slot on part 1";

  std::vector<uint8_t> stored = banks::record("FromSynth").messages[0].bytes;
  stored[5] = 2;  // bank C, program 10
  stored[6] = 9;
  synth.receive(stored.data(), stored.size(), corvane_sim::Clock::now());
  ASSERT_TRUE(eventually([&] { return idle(); }));
  window->mouseDown(view->slotRect(0, 9).L + 3, view->slotRect(0, 9).T + 3);
  window->mouseUp(view->slotRect(0, 9).L + 3, view->slotRect(0, 9).T + 3, VIEW_Event::kLeft, {});
  plug->GetParam(kRequestFromBank)->Set(2.0);
  choose(KromaProbe(plug).widgets.mBankEditMenu, {0, 2});  // from Selected Program Slot
  EXPECT_TRUE(eventually([&] { return slotName(9) == "FromSynth"; }));
  ASSERT_TRUE(eventually([&] { return idle(); }));

  choose(KromaProbe(plug).widgets.mBankEditMenu, {2, 5});  // All Current Patches to Bank D
  ASSERT_TRUE(eventually([&] { return nameIn(synth.storedSound(3, 127)) == "E127"; }));
  EXPECT_EQ(nameIn(synth.storedSound(3, 9)), "FromSynth");

  const std::vector<LibrarianPatch> edited = upperBank()->records;
  choose(KromaProbe(plug).widgets.mBankEditMenu, {7});  // Save (Overwrite current bank)
  VIEW_Script::instance().answerPanel(data.file("Patches/Copy.kro"));
  choose(KromaProbe(plug).widgets.mBankEditMenu, {8, 1});  // Save As Kroma Format
  EXPECT_EQ(upperBank()->fileName, "Copy.kro") << "the new file is the bank being edited";
  EXPECT_EQ(plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
  // Both files read back: a file numbers its slots in their headers, the sounds stay as edited.
  for (const PatchFile* file : KromaProbe(plug).parts.mPatchLibrarian->soundFiles)
    for (size_t i = 0; i < edited.size(); ++i)
      EXPECT_TRUE(std::equal(edited[i].messages[0].bytes.begin() + 7,
                             edited[i].messages[0].bytes.end(),
                             file->records.at(i).messages[0].bytes.begin() + 7))
          << file->fileName << " slot " << i;
  EXPECT_EQ(KromaProbe(plug).parts.mPatchLibrarian->soundFiles.size(), 2u);
}

// What the librarian's requests and sends report, as the musician meets them: without a bank
// nothing goes to the synthesizer; an answer, or the editor's sound, that no slot takes is no
// completion; what a slot takes completes and marks the bank unsaved.
TEST_F(WithSynth, ARequestOrSendCompletesOnlyWithWhatASlotTook) {
  writeData("Kroma Editor LOG.txt", "");  // every status text goes to the debug log
  openWithEditor();
  connect();
  plug->mainTabSwitch(1, 0);
  LibrarianViewControl* view = KromaProbe(plug).widgets.mLibrarianView;
  const auto click = [&](int list, int slot) {
    const IRECT r = view->slotRect(list, slot);
    window->mouseDown(r.L + 3, r.T + 3);
    window->mouseUp(r.L + 3, r.T + 3, VIEW_Event::kLeft, {});
  };
  // What one step showed, from its start to its end, and whether it marked the bank unsaved.
  const auto step = [&](const std::function<void()>& act) {
    const size_t from = readData("Kroma Editor LOG.txt").size();
    act();
    EXPECT_TRUE(eventually([&] { return idle(); }));
    std::string texts;
    const std::string log = readData("Kroma Editor LOG.txt").substr(from);
    const std::string tag = "STATUS: ";
    for (size_t at = log.find(tag); at != std::string::npos; at = log.find(tag, at + 1)) {
      const size_t text = at + tag.size();
      texts += log.substr(text, log.find('\n', text) - text) + "|";
    }
    return texts + (plug->getValue(kBankEditUnsaved) == 1.0 ? " unsaved" : "");
  };
  const auto request = [&](std::vector<int> item) {
    return [&, item] { choose(KromaProbe(plug).widgets.mBankEditMenu, item); };
  };
  const auto overwrite = [&] { set(plug, kOverwriteBank, 1); };

  size_t sent = sentCount();
  EXPECT_EQ(step(request({0, 4})), "No Bank to receive Data!|") << "All Patches from Bank A";
  EXPECT_EQ(step(request({0, 1})), "No Bank to receive Data!|") << "from Active Slot to Librarian";
  EXPECT_EQ(step(overwrite), "No Bank to receive Data!|");
  EXPECT_EQ(sentCount(), sent) << "nothing went to the synthesizer";

  banks::write(data.file("Patches/Edit.syx"), "E");
  plug->patchTypeChanged(0, 0, true);
  click(1, 3);  // a slot of the lower list: none of the upper one is selected
  sent = sentCount();
  EXPECT_EQ(step(request({0, 1})), "Data processing, please wait...|Slot update FAILED!|");
  EXPECT_EQ(sentCount(), sent + 1) << "the request went out and was answered";
  click(0, 5);
  set(plug, kMIDIFilterHWSEPassThrough, 0);  // the synthesizer's SysEx filtered out
  EXPECT_EQ(step(overwrite), "Slot update FAILED!|");
  EXPECT_EQ(slotName(5), "E5");
  set(plug, kMIDIFilterHWSEPassThrough, 1);
  EXPECT_EQ(step(request({0, 1})),
            "Data processing, please wait...|Data request Completed!|Data received to slot(s)| "
            "unsaved");
  EXPECT_NE(slotName(5), "E5");
}

// Each answer of a bank request lands in the slot of its program: a synthesizer slower than the
// job's wait answers twice (the job asks again), and a part turned on its panel mid-request moves
// the librarian's selection; the bank still ends as the synthesizer holds it.
TEST_F(WithSynth, ABankRequestFillsEachSlotWithItsOwnProgram) {
  writeData("Kroma Editor LOG.txt", "");
  banks::write(data.file("Patches/Edit.syx"), "E");
  for (int program = 0; program < 128; ++program) {
    std::vector<uint8_t> dump = banks::record("P" + std::to_string(program)).messages[0].bytes;
    dump[6] = static_cast<uint8_t>(program);  // bank A
    synth.receive(dump.data(), dump.size(), corvane_sim::Clock::now());
  }
  openWithEditor();
  connect();
  plug->mainTabSwitch(1, 0);
  set(plug, kControlLibrary, 1);
  synth.setFault({corvane_sim::Fault::kLate, 1300});       // past 25 waits of 50 ms
  choose(KromaProbe(plug).widgets.mBankEditMenu, {0, 4});  // All Patches from Bank A
  ASSERT_TRUE(eventually([&] { return slotName(1) != "E1"; }));
  synth.setFault({});
  synth.turnPartAfter(5, 0, 2);
  ASSERT_TRUE(eventually([&] { return idle(); }));
  for (int slot = 0; slot < 128; ++slot) EXPECT_EQ(slotName(slot), "P" + std::to_string(slot));
  EXPECT_NE(readData("Kroma Editor LOG.txt").find("128 of 128 slot(s) received"),
            std::string::npos);
  EXPECT_EQ(KromaProbe(plug).widgets.mLibrarianView->upperSelection, 2) << "followed the panel";
}

// Each category a sound can carry, and bytes past the categories, go back to the synthesizer as it
// held them: asked into the editor (GET FROM SYNTH), sent with the whole Multi (PUSH), pushed by
// the project's reload, and played from a librarian slot.
TEST_F(WithSynth, EachSoundsCategoryGoesBackToTheSynthesizerAsItHeldIt) {
  // Part p's category in the synthesizer, and that of slot p of the bank.
  const std::vector<int> categories = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 64, 127};
  const int none = 100;  // no part's
  const auto setSynth = [&](const std::vector<int>& of) {
    for (int p = 0; p < 16; ++p) {
      corvane_sim::Bytes sound = banks::record("Src " + std::to_string(p)).messages[0].bytes;
      sound[sound_dump::kCategoryOffset] = static_cast<uint8_t>(of[p]);
      sound = corvane_sim::Simulator::asSent(sound, 0, sysex::kEditBufferBank, p);
      synth.receive(sound.data(), sound.size(), corvane_sim::Clock::now());
    }
  };
  const auto synthHolds = [&] {
    std::vector<int> held;
    for (int p = 0; p < 16; ++p)
      held.push_back(synth.soundEditBuffer(p)[sound_dump::kCategoryOffset]);
    return held;
  };
  const auto done = [&] { return !plug->ThreadRunning() && idle(); };
  {
    std::filesystem::create_directory(data.file("Patches"));
    std::ofstream bank(data.file("Patches/Cats.syx"), std::ios::binary);
    for (int slot = 0; slot < 128; ++slot) {
      std::vector<uint8_t> dump = banks::record("C" + std::to_string(slot)).messages[0].bytes;
      dump[sound_dump::kCategoryOffset] = static_cast<uint8_t>(categories[slot % 16]);
      bank.write(reinterpret_cast<const char*>(dump.data()), dump.size());
    }
  }
  setSynth(categories);
  // Every part on (bit 6 of its flag byte 12 clear), on a MIDI channel (byte 7) and a program
  // (byte 1) of its own, none of them a slot played below.
  sysex::MultiDumpBytes multi = synth.multiEditBuffer();
  for (int p = 0; p < 16; ++p) {
    uint8_t* record = multi.data() + multi_dump::kRecordBase + multi_dump::kRecordSize * p;
    record[1] = static_cast<uint8_t>(100 + p);
    record[7] = static_cast<uint8_t>(p + 2);
    record[12] &= ~0x40;
  }
  const corvane_sim::Bytes allOn = corvane_sim::Simulator::asSent(
      corvane_sim::Bytes(multi.begin(), multi.end()), 0, sysex::kEditBufferBank, 0);
  synth.receive(allOn.data(), allOn.size(), corvane_sim::Clock::now());
  // No editor yet: a dump taken into an open editor reaches each control, which a sanitizer on a
  // loaded machine stretches past the request's waits.
  plug = open();
  connect();

  set(plug, kRequestTempData, 1);  // GET FROM SYNTH
  ASSERT_TRUE(eventually(
      [&] { return done() && trimmed(plug->getDisplayText(kPatchName + 15)) == "Src 15"; }));
  for (int p = 0; p < 16; ++p)
    EXPECT_EQ(value(plug, kCategoryName + p), categories[p]) << "part " << p + 1;
  setSynth(std::vector<int>(16, none));
  set(plug, kPushArrangement, 1);
  EXPECT_TRUE(eventually([&] { return done() && synthHolds() == categories; }))
      << "PUSH: " << testing::PrintToString(synthHolds());

  const std::vector<uint8_t> project = saveChunk(plug);
  close(plug);
  setSynth(std::vector<int>(16, none));
  openWithEditor();
  plug->GetParam(kLibSyncTimer)->Set(0.0);  // not kept in the project
  ASSERT_EQ(loadChunk(plug, project), 1);
  EXPECT_TRUE(eventually([&] { return done() && synthHolds() == categories; }))
      << "reload: " << testing::PrintToString(synthHolds());

  plug->mainTabSwitch(1, 0);
  LibrarianViewControl* view = KromaProbe(plug).widgets.mLibrarianView;
  for (int slot = 0; slot < 16; ++slot) {
    const IRECT r = view->slotRect(0, slot);
    window->mouseDown(r.L + 3, r.T + 3, VIEW_Event::kLeft, {}, 2);
    window->mouseUp(r.L + 3, r.T + 3, VIEW_Event::kLeft, {});
    ASSERT_TRUE(eventually([&] {
      return done() && nameIn(synth.soundEditBuffer(0)) == "C" + std::to_string(slot);
    })) << "slot "
        << slot;
    EXPECT_EQ(int(synth.soundEditBuffer(0)[sound_dump::kCategoryOffset]), categories[slot])
        << "double click on slot " << slot;
  }
}

// A bank store cancelled part-way says how many of the synthesizer's sounds it has overwritten,
// and the log names them: the programs the synthesizer's bank changed in, no other. Closing the
// instance during a store stops it where it is, and the log says so alike.
TEST_F(WithSynth, ACancelledStoreSaysWhichSoundsItOverwrote) {
  writeData("Kroma Editor LOG.txt", "");
  banks::write(data.file("Patches/Edit.syx"), "E");
  openWithEditor();
  connect();
  plug->mainTabSwitch(1, 0);
  const auto overwritten = [&] {
    std::vector<int> programs;
    for (int program = 0; program < 128; ++program)
      if (nameIn(synth.storedSound(3, program)) != "Init") programs.push_back(program);
    return programs;
  };
  choose(KromaProbe(plug).widgets.mBankEditMenu, {2, 5});  // All Current Patches to Bank D
  ASSERT_TRUE(eventually([&] { return overwritten().size() >= 30; }));
  set(plug, kCancelDataRequest, 1);
  ASSERT_TRUE(eventually([&] { return idle(); }));
  EXPECT_EQ(status(plug), "Data write CANCELLED!");
  const std::string said = text(KromaProbe(plug).widgets.mValueDisplay);
  const int count = std::atoi(said.c_str());
  EXPECT_EQ(said, std::to_string(count) + " of 128 sounds written");
  std::vector<int> first(count);
  std::iota(first.begin(), first.end(), 0);
  EXPECT_TRUE(eventually([&] { return overwritten() == first; }))
      << testing::PrintToString(overwritten());
  EXPECT_NE(readData("Kroma Editor LOG.txt")
                .find("store cancelled: " + said + ", Bank D programs 1 to " +
                      std::to_string(count) + " overwritten"),
            std::string::npos);

  choose(KromaProbe(plug).widgets.mBankEditMenu, {2, 5});
  ASSERT_TRUE(eventually([&] { return overwritten().size() >= (size_t)count + 5; }));
  close(plug);
  const std::string log = readData("Kroma Editor LOG.txt");
  const size_t closed = log.find("store cancelled: ", log.find("store cancelled: ") + 1);
  ASSERT_NE(closed, std::string::npos) << log;
  const int written = std::atoi(log.c_str() + closed + std::strlen("store cancelled: "));
  EXPECT_GE(written, count + 5);
  const std::string line = "store cancelled: " + std::to_string(written) +
                           " of 128 sounds written, Bank D programs 1 to " +
                           std::to_string(written) + " overwritten";
  EXPECT_EQ(log.compare(closed, line.size(), line), 0) << log.substr(closed, line.size());
  std::vector<int> stored(written);
  std::iota(stored.begin(), stored.end(), 0);
  EXPECT_TRUE(eventually([&] { return overwritten() == stored; }))
      << testing::PrintToString(overwritten());
}

}  // namespace

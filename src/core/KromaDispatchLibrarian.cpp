// The dispatch's handlers of the librarian page and the top bar: bank lists, program stepping,
// slot rename, search, categories, sounds or Multis, discarding edits.
#include <mutex>
#include <vector>

#include "src/core/Kroma.h"
#include "src/core/detail/KromaDispatch.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/editor/IControl.h"

namespace dispatch {

namespace {

constexpr int kLastSlot = DumpLayout::kBankSlots - 1;

using FileList = PatchFileList PatchLibrarian::*;

// Where a list's current bank file goes: the parameter that keeps it, the file list it is taken
// from, the file remembered, and the popup rebuilt.
struct BankList {
  int stored;
  bool perPart;
  FileList files;
  LibrarianHost::Remembered remembered;
  LibrarianMenu menu;
};

constexpr BankList kUpperMulti{kCurrentOpenPerfBankL, false, &PatchLibrarian::multiFiles,
                               LibrarianHost::kUpperMultis, kLeftPerfMenu};
constexpr BankList kUpperSounds{kCurrentOpenPatchBankL, true, &PatchLibrarian::soundFiles,
                                LibrarianHost::kUpperSounds, kLeftPatchMenu};
constexpr BankList kLowerMulti{kCurrentOpenPerfBankR, false, &PatchLibrarian::multiFiles,
                               LibrarianHost::kLowerMultis, kRightPerfMenu};
constexpr BankList kLowerCategories{kCurrentOpenPatchBankR, true, &PatchLibrarian::categoryFiles,
                                    LibrarianHost::kLowerList, kRightCategoryMenu};
constexpr BankList kLowerSearch{kCurrentOpenPatchBankR, true, &PatchLibrarian::searchResultFiles,
                                LibrarianHost::kLowerList, kRightSearchMenu};
constexpr BankList kLowerSounds{kCurrentOpenPatchBankR, true, &PatchLibrarian::soundFiles,
                                LibrarianHost::kLowerList, kRightPatchMenu};

const BankList& lowerList(const LibrarianSelection& selection) {
  if (selection.mMultiMode) return kLowerMulti;
  if (selection.mLowerListShowsCategories) return kLowerCategories;
  return selection.mLowerListShowsSearch ? kLowerSearch : kLowerSounds;
}

// File n of the list remembered, so that a rebuilt popup finds it. False, remembering nothing,
// for a number past the list's end.
bool rememberFile(Change& c, const BankList& list, int n) {
  PatchLibrarian& librarian = *c.parts.mPatchLibrarian;
  std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
  const PatchFileList& files = librarian.*list.files;
  if (n < 0 || n >= static_cast<int>(files.size())) return false;
  c.plug.remember(list.remembered, {files[n]->fileName, files[n]->folderName, files[n]->path});
  return true;
}

// File n of the list made the current one: remembered, its popup rebuilt.
// A number past the list's end changes neither.
void takeFile(Change& c, const BankList& list, int n) {
  Kroma& plug = c.plug;
  std::lock_guard<std::recursive_mutex> lock(c.parts.mPatchLibrarian->mutex());
  if (!rememberFile(c, list, n)) {
    TK_Log(plug.GetLog(), "PATCH LIBRARIAN: ", "no bank file " + std::to_string(n) + " to select");
    return;
  }
  plug.refreshFolderStructure(list.menu, n, plug.remembered(list.remembered));
}

void selectListEntry(Kroma& plug, int selection, IControl* control, int n) {
  store(plug, selection, n);
  if (control) control->SetValueFromPlug(plug.GetParam(selection)->GetNormalized());
}

// Whether file n of the list opens as its file holds it now, as a menu's pick asks; a number past
// the list's end is left to takeFile. A bank read again is refilled in both lists, which may show
// it.
bool opensAsFileHolds(Change& c, const BankList& list, int n) {
  PatchLibrarian& librarian = *c.parts.mPatchLibrarian;
  bool readAgain = false;
  {
    std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
    const PatchFileList& files = librarian.*list.files;
    if (n < 0 || n >= static_cast<int>(files.size())) return true;
    if (!librarian.opensAsFileHolds(files[n], c.plug.getValue(kBankEditUnsaved) == 1.0, &readAgain))
      return false;
  }
  if (readAgain) c.plug.updatePatchLibrarianView(2);
  return true;
}

void stepBank(Change& c, bool upper, bool next) {
  Kroma& plug = c.plug;
  const int selection = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
  const IParam* param = plug.GetParam(selection);
  const int last = sysex::truncateValue(param->GetMax());
  const int n = sysex::truncateValue(param->Value());
  const int step = next ? (n + 1 > last ? 0 : n + 1) : (n <= 0 ? last : n - 1);
  const BankList& list =
      upper ? (c.selection.mMultiMode ? kUpperMulti : kUpperSounds) : lowerList(c.selection);
  // The list stays on its bank, which Save writes, when the next one no longer opens.
  if (!opensAsFileHolds(c, list, step)) {
    status(plug, LibrarianHost::kLoadFailed);
    return;
  }
  selectListEntry(plug, selection,
                  upper ? c.widgets.mUpperSelectionControl : c.widgets.mLowerSelectionControl,
                  step);
  (upper ? c.parts.mPatchLibrarian->upperFileIndex : c.parts.mPatchLibrarian->lowerFileIndex) =
      step;
  store(plug, list.stored + (list.perPart ? c.selection.mCurrentPart.load() : 0), step);
  takeFile(c, list, step);
  // The list stepped shows the names of its new bank.
  plug.updatePatchLibrarianView(upper ? 0 : 1);
  if (upper) plug.updateBankAndProgramMenuNames(false);
}

// True, saying so, while the upper bank has edits not saved: what would drop them waits.
bool refusedWhileUnsaved(Change& c) {
  if (c.plug.getValue(kBankEditUnsaved) != 1.0) return false;
  status(c.plug, LibrarianHost::kSaveOrDiscard);
  return true;
}

// The upper list moves only while no edit of its bank is unsaved. A button let go of ends the
// change: it sends nothing, and what its press said stays readable.
template <bool Next>
Then upperBankStep(Change& c) {
  if (c.vi == 1 && !refusedWhileUnsaved(c)) stepBank(c, true, Next);
  return Then::kReturn;
}

template <bool Next>
Then lowerBankStep(Change& c) {
  if (c.vi == 1) stepBank(c, false, Next);
  return Then::kReturn;
}

// A part's bank, followed by the upper list unless the librarian keeps its bank.
Then currentPatchBank(Change& c) {
  Kroma& plug = c.plug;
  if (c.selection.mKeepSelectedBank) return Then::kGoOn;
  selectListEntry(plug, kPatchSelectionListUpper, c.widgets.mUpperSelectionControl, c.vi);
  store(plug, kCurrentPatchBank + c.selection.mCurrentPart, c.vi);
  c.parts.mPatchLibrarian->upperFileIndex = c.vi;
  takeFile(c, kUpperSounds, c.vi);
  plug.updatePatchLibrarianView(0);
  return Then::kReturn;
}

int wrapSlot(int slot) {
  return slot > kLastSlot ? 0 : slot < 0 ? kLastSlot : slot;
}

// The part's sound asked of the synthesizer into the editor, and sent back when its sections
// are locked.
void requestPart(Change& c, int part) {
  Kroma& plug = c.plug;
  MIDIMessageManager& manager = *c.parts.mMIDIMessageManager;
  manager.SetLibrarianRequestActive(false);
  SenderJob request;
  request.code = kSendPartRequest;
  request.part = part;
  request.toEditor = true;
  plug.startSenderJob(request, [&manager] { manager.dumpRouting = true; });
  plug.sendPartDataBackToHardware(part);
}

// The top bar's program buttons of part p: the next librarian slot played in library mode, else
// the next program selected on the synthesizer.
template <bool Up>
Then programStep(Change& c) {
  Kroma& plug = c.plug;
  const int p = c.part;
  if (c.selection.mMultiMode) status(plug, "Disable Multi Mode first");
  if (!Up && c.vi == 0) return Then::kReturn;
  LibrarianViewControl* view = c.widgets.mLibrarianView;
  const bool acting = !Up || c.vi == 1;
  if (acting && plug.getValue(kPartLock + p) == 1.0) return Then::kReturn;
  if (acting) {
    c.parts.mMIDIMessageManager->unhandled = false;
    const int step = Up ? 1 : -1;
    if (c.selection.mShowProgramNames) {
      const int list = view && view->activeList == 1 ? 1 : 0;
      const int current = view ? (list ? view->lowerSelection : view->upperSelection).load() : 0;
      const int slot = wrapSlot(current + step);
      if (view) (list ? view->lowerSelection : view->upperSelection) = slot;
      (list ? c.parts.mPatchLibrarian->lowerSelectedProgram
            : c.parts.mPatchLibrarian->selectedProgram) = slot;
      store(plug, kMultiPartPatch + p, slot);
      c.selection.mLastProgram = slot;
      plug.sendPatchToDeviceFromLibrarian(slot, list, p);
      if (!c.routing.mMIDIOutSet) status(plug, "Set MIDI I/O First!");
    } else if (plug.getValue(kReceiveProgramChange + p) == 0.0) {
      const int program = wrapSlot(c.selection.mLastProgram + step);
      c.selection.mLastProgram = program;
      plug.setParameterFromPlug(c.selection.mMultiMode ? kMultiPatch : kMultiPartPatch + p,
                                program);
      if (view) view->upperSelection = program;
      c.parts.mPatchLibrarian->selectedProgram = program;
      if (plug.BankChangeMessage(p) && c.selection.mProgBankMode) requestPart(c, p);
    } else {
      status(plug, "Program Change Disabled.");
    }
  }
  if (view)
    (view->activeList == 1 ? view->lowerSelection : view->upperSelection) =
        c.selection.mLastProgram.load();
  plug.refreshPatchNames(c.selection.mLastProgram);
  plug.OnParamChange(kMainTab);
  return Then::kReturn;
}

// The upper bank of the librarian's type, made 128 slots long; null when there is none.
PatchFile* upperBank(PatchLibrarian& librarian) {
  const int type = librarian.type;
  if (type != 0 && type != 1) return nullptr;
  const PatchFileList& files = type == 0 ? librarian.soundFiles : librarian.multiFiles;
  const int index = librarian.upperFileIndex;
  if (index < 0 || index >= static_cast<int>(files.size()) || !files[index]) return nullptr;
  if (files[index]->records.size() < DumpLayout::kBankSlots)
    files[index]->records.resize(DumpLayout::kBankSlots);
  return files[index];
}

// The edited name of the selected upper slot, written into the slot and into its dump; the dump
// goes in as a librarian answer would, into the selected slot, and the bank counts as edited.
void renameSlot(Change& c) {
  Kroma& plug = c.plug;
  PatchLibrarian& librarian = *c.parts.mPatchLibrarian;
  std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
  PatchFile* bank = upperBank(librarian);
  const int slot = c.widgets.mLibrarianView ? c.widgets.mLibrarianView->upperSelection.load() : -1;
  if (!bank || slot < 0 || slot > kLastSlot) {
    TK_Log(plug.GetLog(), "PATCH LIBRARIAN: ", "no bank or slot to rename");
    return;
  }
  LibrarianPatch& record = bank->records[slot];
  const bool multi = c.selection.mMultiMode;
  const int nameOffset = multi ? DumpLayout::kMultiNameOffset : DumpLayout::kSoundNameOffset;
  if (record.messages.empty() ||
      record.messages[0].bytes.size() < static_cast<size_t>(nameOffset + DumpLayout::kNameLength)) {
    TK_Log(plug.GetLog(),
           "PATCH LIBRARIAN: ", "slot " + std::to_string(slot + 1) + " holds no dump to rename");
    return;
  }
  const std::string name = std::string(plug.GetParam(kPatchRename)->GetDisplayText(c.vi))
                               .substr(0, DumpLayout::kNameLength);
  record.name = name;
  std::vector<uint8_t> dump = record.messages[0].bytes;
  sysex::writeNameField(dump.data() + nameOffset, name);

  MIDIMessageManager& manager = *c.parts.mMIDIMessageManager;
  librarian.selectedProgram = slot;
  manager.SetLibrarianRequestActive(true);
  plug.ProcessSysEx(dump.data(), static_cast<int>(dump.size()), true);
  manager.disarmCollectors();
  showLayer(plug, "discardChangesLayerRight", true);
  showLayer(plug, "keepBankOpenLayer", false);
  grayOut(plug, kDatatype, true);
  store(plug, kBankEditUnsaved, 1.0);
}

Then patchRename(Change& c) {
  if (c.selection.mRenameFinished) return Then::kGoOn;
  renameSlot(c);
  showLayer(c.plug, "patchRename", false);
  c.selection.mRenameFinished = true;
  return Then::kGoOn;
}

constexpr const char* kSearchPrompt = "search...";

// The lower list shows the sounds whose names hold `query`, in place of what it showed. False,
// the lower list as it was, when no name holds it.
bool showSearchResults(Change& c, const std::string& query) {
  Kroma& plug = c.plug;
  PatchLibrarian& librarian = *c.parts.mPatchLibrarian;
  {
    std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
    librarian.createNewSearchPatchFiles(query);
    if (librarian.searchResultFiles.empty()) {
      // The results shown went with the new search: they are made again.
      if (c.selection.mLowerListShowsSearch)
        librarian.createNewSearchPatchFiles(c.selection.mSearchQuery);
      return false;
    }
  }
  c.selection.mSearchQuery = query;
  c.selection.mLowerListShowsSearch = true;
  showLayer(plug, "LOWERPOPUPMENU", false);
  plug.patchTypeChanged(0, 4, false);
  showLayer(plug, "RightSearchPopupMenu", true);
  return true;
}

// The lower list shows what its menu now offers, the sound banks; the upper keeps its bank.
void endSearch(Change& c) {
  Kroma& plug = c.plug;
  const bool showedResults = c.selection.mLowerListShowsSearch;
  c.selection.mLowerListShowsSearch = false;
  plug.setDisplayText(kPatchSearchString, kSearchPrompt);
  if (showedResults) {
    showLayer(plug, "RightSearchPopupMenu", false);
    plug.lowerSoundListChanged();
  }
  showLayer(plug, "LOWERPOPUPMENU", true);
}

Then searchString(Change& c) {
  Kroma& plug = c.plug;
  const std::string query = plug.getDisplayText(kPatchSearchString);
  if (query.empty()) {
    endSearch(c);
  } else if (query.size() == 1) {
    plug.setDisplayText(kPatchSearchString, kSearchPrompt);
    status(plug, "Enter 2 digits or more!");
  } else if (!showSearchResults(c, query)) {
    status(plug, "No results - Try another keyword!");
    valueText(plug, "Letter size matters!");
    plug.setDisplayText(kPatchSearchString, kSearchPrompt);
    return Then::kReturn;
  }
  return Then::kGoOn;
}

Then search(Change& c) {
  Kroma& plug = c.plug;
  if (c.vi == 1) {
    showLayer(plug, "categoryLimit", false);
    grayOut(plug, kDatatype, true);
    showLayer(plug, "searchField", true);
    return Then::kGoOn;
  }
  c.selection.mLowerListShowsSearch = false;
  plug.setDisplayText(kPatchSearchString, kSearchPrompt);
  showLayer(plug, "categoryLimit", true);
  grayOut(plug, kDatatype, false);
  showLayer(plug, "searchField", false);
  plug.patchTypeChanged(0, 0, false);
  showLayer(plug, "LOWERPOPUPMENU", true);
  showLayer(plug, "RightSearchPopupMenu", false);
  return Then::kGoOn;
}

Then categorySelection(Change& c) {
  Kroma& plug = c.plug;
  for (const char* layer : {"RightSearchPopupMenu", "RightPatchPopupMenu", "LOWERPOPUPMENU"})
    showLayer(plug, layer, false);
  const bool categories = c.vi > 0;
  c.selection.mLowerListShowsCategories = categories;
  plug.patchTypeChanged(0, categories ? 1 : 0, false);
  showLayer(plug, categories ? "RightPatchPopupMenu" : "LOWERPOPUPMENU", true);
  grayOut(plug, kPatchSearch, categories);
  grayOut(plug, kDatatype, categories);
  return Then::kGoOn;
}

// The current part's sound stored into the selected slot of the upper list.
Then overwriteBank(Change& c) {
  Kroma& plug = c.plug;
  if (c.vi != 1 || !c.widgets.mLibrarianView || c.widgets.mLibrarianView->activeList != 0)
    return Then::kGoOn;
  SenderJob job;
  job.code = kSendPartToDevice;
  job.part = c.selection.mCurrentPart;
  job.toLibrarian = true;
  plug.startSenderJob(job, [&selection = c.selection] { selection.mSendPartSounds = false; });
  return Then::kGoOn;
}

// The unsaved edits dropped: the bank files read again, and each list opens the bank it showed.
// The banks are remembered by the files the lists show, not by the selection lists' texts at the
// parts' bank numbers: a bank chosen in a popup leaves those numbers behind, and a long name's
// text is shortened.
Then discardBankData(Change& c) {
  Kroma& plug = c.plug;
  if (c.vi != 1) return Then::kGoOn;
  plug.DisplayProcessingIndicator(true);
  showLayer(plug, "discardChangesLayerRight", false);
  showLayer(plug, "keepBankOpenLayer", true);
  grayOut(plug, kDatatype, plug.typeSwitchHeld());
  showLayer(plug, "patchRename", false);
  store(plug, kBankEditUnsaved, 0.0);
  const bool multi = c.selection.mMultiMode;
  showLayer(plug, multi ? "LeftPerformancePopupMenu" : "UPPERPOPUPMENU", true);
  rememberFile(c, multi ? kUpperMulti : kUpperSounds, c.parts.mPatchLibrarian->upperFileIndex);
  rememberFile(c, lowerList(c.selection), c.parts.mPatchLibrarian->lowerFileIndex);
  plug.OnParamChange(kRefreshFolders);
  plug.DisplayProcessingIndicator(false);
  return Then::kGoOn;
}

Then datatype(Change& c) {
  Kroma& plug = c.plug;
  for (const char* layer :
       {"LeftPerformancePopupMenu", "RightPerformancePopupMenu", "UPPERPOPUPMENU", "LOWERPOPUPMENU",
        "RightPatchPopupMenu", "RightSearchPopupMenu", "categoryLimit"})
    showLayer(plug, layer, false);
  grayOut(plug, kPatchSearch, true);
  c.selection.mMultiMode = c.vi == 1;
  if (c.vi == 1) {
    plug.patchTypeChanged(1, 2, false);
    showLayer(plug, "LeftPerformancePopupMenu", true);
    showLayer(plug, "RightPerformancePopupMenu", true);
  } else {
    showLayer(plug, "UPPERPOPUPMENU", true);
    const int kind = plug.lowerListKind();
    if (kind != 1) grayOut(plug, kPatchSearch, false);
    plug.patchTypeChanged(0, kind, false);
    showLayer(plug,
              kind == 1   ? "RightPatchPopupMenu"
              : kind == 4 ? "RightSearchPopupMenu"
                          : "LOWERPOPUPMENU",
              true);
    showLayer(plug, "categoryLimit", true);
  }
  plug.addBankEditMenuItems();
  plug.updateBankAndProgramMenuNames(true);
  plug.OnParamChange(kMainTab);
  flashOverlay(plug);
  return Then::kGoOn;
}

// The bank files read again for what the lists show now; never over unsaved edits, which the
// reading would drop while their mark stayed.
Then refreshFolders(Change& c) {
  if (refusedWhileUnsaved(c)) return Then::kGoOn;
  c.plug.patchTypeChanged(c.selection.mMultiMode ? 1 : 0, c.plug.lowerListKind(), true);
  // The reading dropped the search results: the search shown runs again over the banks read.
  if (c.selection.mLowerListShowsSearch && !showSearchResults(c, c.selection.mSearchQuery))
    endSearch(c);
  return Then::kGoOn;
}

constexpr Row kFirst[] = {
    {kLibUpperPreviousBank, 1, upperBankStep<false>}, {kLibUpperNextBank, 1, upperBankStep<true>},
    {kLibLowerPreviousBank, 1, lowerBankStep<false>}, {kLibLowerNextBank, 1, lowerBankStep<true>},
    {kCurrentPatchBank, partCount, currentPatchBank},
};

constexpr Row kMain[] = {
    {kPatchRename, 1, patchRename},
    {kPatchUp, partCount, programStep<true>},
    {kPatchDown, partCount, programStep<false>},
    {kPatchSearchString, 1, searchString},
    {kPatchSearch, 1, search},
    {kCategorySelection, 1, categorySelection},
    {kOverwriteBank, 1, overwriteBank},
    {kDiscardBankData, 1, discardBankData},
    {kDatatype, 1, datatype},
    {kRefreshFolders, 1, refreshFolders},
};

}  // namespace

Rows librarianRowsFirst() {
  return {kFirst, std::size(kFirst)};
}

Rows librarianRowsMain() {
  return {kMain, std::size(kMain)};
}

}  // namespace dispatch

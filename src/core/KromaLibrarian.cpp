// The plug-in's side of the librarian in the editor: what the bank view and the menus call,
// playing and storing slots, the sound/Multi switch and the selection lists' texts.
#include <mutex>

#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/core/detail/EditorRequests.h"
#include "src/editor/EditorConfigManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/FolderMenus.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/librarian/view/NumberMenus.h"
#include "src/protocol/MIDIMessageManager.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/ITextControl.h"

using namespace layer_visibility;

namespace {

constexpr int kSoundList = 0;
constexpr int kCategoryList = 1;
constexpr int kMultiList = 2;
constexpr int kSearchList = 4;
constexpr int kParts = 16;

struct RememberedFields {
  std::string LibrarianSelection::*file;
  std::string LibrarianSelection::*folder;
  std::string LibrarianSelection::*path;
};
// By LibrarianHost::Remembered.
constexpr RememberedFields kRemembered[] = {
    {&LibrarianSelection::mUpperSelectionText, &LibrarianSelection::mUpperSelectionFolder,
     &LibrarianSelection::mUpperSelectionPath},
    {&LibrarianSelection::mLowerSelectionText, &LibrarianSelection::mLowerSelectionFolder,
     &LibrarianSelection::mLowerSelectionPath},
    {&LibrarianSelection::mUpperMultiSelectionText, &LibrarianSelection::mUpperMultiSelectionFolder,
     &LibrarianSelection::mUpperMultiSelectionPath},
    {&LibrarianSelection::mLowerMultiSelectionText, &LibrarianSelection::mLowerMultiSelectionFolder,
     &LibrarianSelection::mLowerMultiSelectionPath},
};

bool isSlot(int slot) {
  return slot >= 0 && slot < LibrarianViewControl::kSlots;
}

// The files of a list kind; null for another kind.
const PatchFileList PatchLibrarian::*filesOfKind(int listKind) {
  return listKind == kSoundList      ? &PatchLibrarian::soundFiles
         : listKind == kCategoryList ? &PatchLibrarian::categoryFiles
         : listKind == kMultiList    ? &PatchLibrarian::multiFiles
         : listKind == kSearchList   ? &PatchLibrarian::searchResultFiles
                                     : nullptr;
}

std::vector<std::string> fileNamesOf(PatchLibrarian& librarian, int listKind) {
  std::vector<std::string> fileNames;
  const PatchFileList PatchLibrarian::*list = filesOfKind(listKind);
  if (!list) return fileNames;
  std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
  for (const PatchFile* file : librarian.*list) fileNames.push_back(file->fileName);
  return fileNames;
}

// A selection list's texts removed and its value set to 0, nobody told.
void clearList(IParam* param) {
  param->ResetDisplayTexts();
  param->SetClamped(0.0);
}

}  // namespace

LibrarianHost::FileName Kroma::remembered(Remembered which) const {
  const RememberedFields& fields = kRemembered[which];
  return {mSelection.*fields.file, mSelection.*fields.folder, mSelection.*fields.path};
}

void Kroma::remember(Remembered which, const FileName& name) {
  const RememberedFields& fields = kRemembered[which];
  mSelection.*fields.file = name.file;
  mSelection.*fields.folder = name.folder;
  mSelection.*fields.path = name.path;
}

IControl* Kroma::selectionControl(int list) const {
  return list == 0 ? mWidgets.mUpperSelectionControl : mWidgets.mLowerSelectionControl;
}

void Kroma::showFileEditMenu(int x, int y) {
  mWidgets.mFileEditMenu = std::make_unique<FileEditPopupMenu>(this, mParts.mPatchLibrarian.get(),
                                                               IRECT(x, y, x, y), this);
  IMouseMod right(false, true);
  mWidgets.mFileEditMenu->OnMouseDown(x, y, &right);
}

void Kroma::showFileCopyMenu(int x, int y) {
  mWidgets.mFileCopyMenu = std::make_unique<FileCopyPopupMenu>(this, mParts.mPatchLibrarian.get(),
                                                               IRECT(x, y, x, y), this);
  IMouseMod right(false, true);
  mWidgets.mFileCopyMenu->OnMouseDown(x, y, &right);
}

void Kroma::showStatus(const std::string& text) {
  setTextDisplay(kControlDisplayName, text);
  setTextDisplay(kControlDisplayValue, "");
}

void Kroma::clearStatus(const std::string& text) {
  // One step: a text another thread shows meanwhile, a lost link's say, stays.
  ITextControl* display = displayNameControl();
  if (display && display->ReplaceTextFromPlug(text.c_str(), "")) logStatus("");
}

void Kroma::tellOfSplitBanks() {
  if (!mParts.mPatchLibrarian || !mParts.mPatchLibrarian->takeSplitNotice()) return;
  // Two lines: either alone would run past the status line.
  showStatus("Bank split into banks of 128!");
  setTextDisplay(kControlDisplayValue, "File moved to Converted Banks");
}

void Kroma::OnGUIOpen() {
  tellOfSplitBanks();
}

bool Kroma::startLibrarianJob(const SenderJob& job, JobFlags flags) {
  return startSenderJob(job, [this, flags] {
    if (flags.dumpRouting) mParts.mMIDIMessageManager->dumpRouting = true;
    if (flags.clearCollectorDone) mParts.mMIDIMessageManager->dumpComplete = false;
    if (flags.multiPush) {
      mRouting.mSendingSysEx = true;
      mSelection.mMultiSendRequested = true;
      mSelection.mSendPartSounds = true;
      mSelection.mSendGlobalFirst = true;
    }
  });
}

bool Kroma::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) {
  return mParts.mMIDIMessageManager &&
         mParts.mMIDIMessageManager->sendSinglePatchRequestSysexFromLibrarian(editBuffer, bank);
}

bool Kroma::sendAllPatchRequestSysexFromLibrarian(int bank) {
  return mParts.mMIDIMessageManager &&
         mParts.mMIDIMessageManager->sendAllPatchRequestSysexFromLibrarian(bank);
}

// The store flag goes up with the job's start only: a refused play never leaves it set for the
// next one, which would then overwrite a program of the synthesizer.
void Kroma::playLibrarianSlot(int slot, int list, int part, bool store) {
  if (getValue(kPartLock + mSelection.mCurrentPart) == 1.0) return;
  if (!isSlot(slot) || part < 0 || part >= kParts) return;
  SenderJob job;
  job.code = kSendPatchToDeviceFromLibrarian;
  job.slot = slot;
  job.part = part;
  {
    std::lock_guard<std::recursive_mutex> lock(mParts.mPatchLibrarian->mutex());
    PatchFile* file = mParts.mPatchLibrarian->listedFile(list, lowerListKind());
    if (!file) return;
    if (file->records.size() < static_cast<size_t>(LibrarianViewControl::kSlots))
      file->records.resize(LibrarianViewControl::kSlots);
    if (file->records[slot].messages.empty()) return;
    job.record = file->records[slot];
  }
  if (mWidgets.mLibrarianView) mWidgets.mLibrarianView->keyCursor = slot;
  if (!mRouting.mMIDIOutSet) return;
  // Kept rather than dropped: the musician asked for this sound, and nothing would say it never
  // came. A later play replaces it.
  if (!transferRunning() && startSlotJob(job, store)) return;
  std::lock_guard<std::mutex> lock(mClock.mKeptPlayLock);
  mClock.mKeptPlay = std::move(job);
  mClock.mKeptPlayStores = store;
  mClock.mPlayKept = true;
}

bool Kroma::startSlotJob(const SenderJob& job, bool store) {
  if (!store) AllSoundsOff(job.part, false);
  return startSenderJob(job, [this, store] { mParts.mMIDIMessageManager->store = store; });
}

void Kroma::playKeptSlot() {
  if (!mClock.mPlayKept || mRouting.mSendingSysEx || transferRunning()) return;
  std::unique_lock<std::mutex> lock(mClock.mKeptPlayLock, std::try_to_lock);
  if (!lock.owns_lock() || !startSlotJob(mClock.mKeptPlay, mClock.mKeptPlayStores)) return;
  mClock.mPlayKept = false;
}

void Kroma::sendPatchToDeviceFromLibrarian(int slot, int list, int part) {
  playLibrarianSlot(slot, list, part, false);
}

void Kroma::SendSingleProgramFromLibrarian(bool store, int part) {
  const int list = mWidgets.mLibrarianView && mWidgets.mLibrarianView->upperSelection < 0 ? 1 : 0;
  playLibrarianSlot(mParts.mPatchLibrarian->selectedProgram, list, part, store);
}

void Kroma::SendAllProgramsFromLibrarian(int targetBank) {
  mParts.mPatchLibrarian->selectedProgram = 0;
  if (!mRouting.mMIDIOutSet) return;
  SenderJob job;
  job.code = kStoreAllPatchesToDeviceFromLibrarian;
  job.list = mWidgets.mLibrarianView && mWidgets.mLibrarianView->upperSelection < 0 ? 1 : 0;
  job.targetBank = targetBank;
  startSenderJob(job, [this] { mParts.mMIDIMessageManager->store = true; });
}

void Kroma::storeAllPatchesToDeviceFromLibrarian(int list, int firstRecord, int targetBank) {
  if (!mRouting.mMIDIOutSet) return;
  SenderJob job;
  job.code = kStoreAllPatchesToDeviceFromLibrarian;
  job.list = list;
  job.firstRecord = firstRecord;
  job.targetBank = targetBank;
  startSenderJob(job);
}

void Kroma::selectLibrarianSlot(int slot) {
  if (!mWidgets.mLibrarianView || !isSlot(slot)) return;
  mWidgets.mLibrarianView->upperSelection = slot;
  mWidgets.mLibrarianView->keyCursor = slot;
  markLibrarianViewDirty();
}

int Kroma::activeLibrarianList() const {
  return mWidgets.mLibrarianView ? mWidgets.mLibrarianView->activeList.load() : 0;
}

void Kroma::refillLibrarianList(int list) {
  if (!mWidgets.mLibrarianView) return;
  if (list == 0)
    mWidgets.mLibrarianView->patchSelectionUpperChanged();
  else
    mWidgets.mLibrarianView->patchSelectionLowerChanged();
}

void Kroma::updateBankAndProgramMenuNames(bool keepBankMenu) {
  static const char key = 0;
  onEditorThread(&key, [this, keepBankMenu] {
    for (const char* layer :
         {"BANKNUMBERMENUPROGRAMS", "PERFBANKNAMEMENUPROGRAMS", "PROGBANKNAMEMENUPROGRAMS"})
      hide(layerNamed(layer));
    const bool multi = mSelection.mMultiMode;
    const int bank =
        static_cast<int>(getValue(multi ? kMultiBank : kMultiPartBank + mSelection.mCurrentPart));
    const int program =
        static_cast<int>(getValue(multi ? kMultiPatch : kMultiPartPatch + mSelection.mCurrentPart));
    const bool librarySlots = mSelection.mShowProgramNames;
    if (librarySlots) {
      show(layerNamed(multi ? "PERFBANKNAMEMENUPROGRAMS" : "PROGBANKNAMEMENUPROGRAMS"));
      if (mWidgets.mLibrarianView) {
        mWidgets.mLibrarianView->upperSelection = program;
        mWidgets.mLibrarianView->keyCursor = program;
      }
      mParts.mPatchLibrarian->selectedProgram = program;
    }
    if (mWidgets.mProgramNumberMenu)
      mWidgets.mProgramNumberMenu->refreshPatchNames(mParts.mPatchLibrarian.get(), this, program);
    if (mWidgets.mBankNumberMenu && !(librarySlots && keepBankMenu))
      mWidgets.mBankNumberMenu->refreshPatchNames(mParts.mPatchLibrarian.get(), this, bank);
    if (!librarySlots) show(layerNamed("BANKNUMBERMENUPROGRAMS"));
  });
}

void Kroma::updatePatchLibrarianView(int which) {
  if (mParts.mMIDIMessageManager)
    mParts.mMIDIMessageManager->displays().updatePatchLibrarianView(which);
}

void Kroma::refreshFolderStructure(LibrarianMenu menu, int fileIndex, const FileName& name) {
  FolderSelectionMenu* const menus[kLibrarianMenuCount] = {mWidgets.mLeftPatchMenu,
                                                           mWidgets.mRightPatchMenu,
                                                           mWidgets.mLeftPerfMenu,
                                                           mWidgets.mRightPerfMenu,
                                                           nullptr,
                                                           mWidgets.mRightCategoryMenu,
                                                           nullptr,
                                                           nullptr,
                                                           mWidgets.mRightSearchMenu,
                                                           mWidgets.mPerfBankNameMenu,
                                                           mWidgets.mProgBankNameMenu};
  if (menu >= 0 && menu < kLibrarianMenuCount && menus[menu])
    menus[menu]->refreshFolderStructure(mParts.mPatchLibrarian.get(), this, fileIndex, name.file,
                                        name.folder, name.path);
}

void Kroma::addBankEditMenuItems() {
  if (mWidgets.mBankEditMenu) mWidgets.mBankEditMenu->AddMenuItemsIn(this);
}

void Kroma::refreshPatchNames(int program) {
  if (mWidgets.mProgramNumberMenu)
    mWidgets.mProgramNumberMenu->refreshPatchNames(mParts.mPatchLibrarian.get(), this, program);
}

void Kroma::SetLibrarianStatusUnsaved(bool on) {
  if (mParts.mMIDIMessageManager) mParts.mMIDIMessageManager->SetLibrarianStatusUnsaved(on);
}

void Kroma::librarianBankSaved() {
  setStoredValue(kBankEditUnsaved, 0.0);
  hide(mWidgets.mTabLayers.discardChangesLayerRight);
  show(mWidgets.mTabLayers.keepBankOpenLayer);
  if (mWidgets.mDatatypeControl) mWidgets.mDatatypeControl->GrayOut(typeSwitchHeld());
  show(layerNamed(mSelection.mMultiMode ? "LeftPerformancePopupMenu" : "UPPERPOPUPMENU"));
  ResetPatchSelectionMenus();
}

bool Kroma::typeSwitchHeld() const {
  return getValue(kPatchSearch) == 1.0 || mSelection.mLowerListShowsCategories;
}

void Kroma::writeSelectionTexts(const std::vector<std::string>& fileNames, int listKind, bool upper,
                                bool lower) {
  std::vector<std::string> texts = bankDisplayNames(fileNames, GetLog());
  // With no bank a list shows what it showed before the first scan, not the number 0.
  if (texts.empty()) texts.push_back(EditorConfigManager::kEmptyMenuText);
  auto set = [this, &texts](bool on, int param, int value) {
    if (on) GetParam(param)->SetDisplayText(value, texts[value].c_str());
  };
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
    set(upper, kPatchSelectionListUpper, i);
    set(lower, kPatchSelectionListLower, i);
    if (listKind == kMultiList) {
      set(upper, kCurrentOpenPerfBankL, i);
      set(lower, kCurrentOpenPerfBankR, i);
    }
    for (int part = 0; part < kParts && listKind != kMultiList; ++part) {
      set(upper, kCurrentOpenPatchBankL + part, i);
      set(lower, kCurrentOpenPatchBankR + part, i);
    }
  }
}

void Kroma::patchTypeChanged(int type, int listKind, bool reload) {
  PatchLibrarian& librarian = *mParts.mPatchLibrarian;
  if (reload) {
    librarian.initBankFilesOnDiscard(getPatchesFolderStr());
    tellOfSplitBanks();
  }
  librarian.type = type;
  librarian.upperFileIndex = 0;
  librarian.lowerFileIndex = 0;
  refillLibrarianList(0);
  refillLibrarianList(1);
  if (!filesOfKind(listKind)) return;
  const std::vector<std::string> fileNames = fileNamesOf(librarian, listKind);
  const bool bothLists = listKind == kSoundList || listKind == kMultiList;
  if (bothLists) clearList(GetParam(kPatchSelectionListUpper));
  clearList(GetParam(kPatchSelectionListLower));
  for (int part = 0; part < kParts && listKind != kMultiList; ++part) {
    if (listKind == kSoundList) clearList(GetParam(kCurrentOpenPatchBankL + part));
    clearList(GetParam(kCurrentOpenPatchBankR + part));
  }
  clearList(GetParam(kCurrentOpenPerfBankL));
  clearList(GetParam(kCurrentOpenPerfBankR));
  userEdit(mWidgets.mUpperSelectionControl, 0.0);
  userEdit(mWidgets.mLowerSelectionControl, 0.0);
  writeSelectionTexts(fileNames, listKind, bothLists, true);
  refreshPopUpMenus();
}

void Kroma::lowerSoundListChanged() {
  const int kind = lowerListKind();
  mParts.mPatchLibrarian->lowerFileIndex = 0;
  clearList(GetParam(kPatchSelectionListLower));
  for (int part = 0; part < kParts; ++part) clearList(GetParam(kCurrentOpenPatchBankR + part));
  userEdit(mWidgets.mLowerSelectionControl, 0.0);
  writeSelectionTexts(fileNamesOf(*mParts.mPatchLibrarian, kind), kind, false, true);
  rebuildLowerSoundMenu();
  refillLibrarianList(1);
}

void Kroma::ResetPatchSelectionMenus() {
  // A lower list of categories or search results keeps their names.
  const int kind = mSelection.mMultiMode ? kMultiList : kSoundList;
  writeSelectionTexts(fileNamesOf(*mParts.mPatchLibrarian, kind), kind, true,
                      lowerListKind() == kind);
  refillLibrarianList(0);
  refillLibrarianList(1);
}

void Kroma::rebuildLowerSoundMenu() {
  FolderSelectionMenu* lower = mWidgets.mRightPatchMenu;
  if (mSelection.mLowerListShowsCategories)
    lower = mWidgets.mRightCategoryMenu;
  else if (mSelection.mLowerListShowsSearch)
    lower = mWidgets.mRightSearchMenu;
  const FileName name = remembered(kLowerList);
  if (lower)
    lower->refreshFolderStructure(mParts.mPatchLibrarian.get(), this, 0, name.file, name.folder,
                                  name.path);
}

void Kroma::refreshPopUpMenus() {
  PatchLibrarian* librarian = mParts.mPatchLibrarian.get();
  auto rebuild = [&](FolderSelectionMenu* menu, Remembered which) {
    const FileName name = remembered(which);
    if (menu) menu->refreshFolderStructure(librarian, this, 0, name.file, name.folder, name.path);
  };
  if (!mSelection.mMultiMode) {
    rebuild(mWidgets.mLeftPatchMenu, kUpperSounds);
    rebuildLowerSoundMenu();
    // The bank-name menu chooses the upper sound bank: it looks for the upper sound selection.
    rebuild(mWidgets.mProgBankNameMenu, kUpperSounds);
  } else {
    rebuild(mWidgets.mLeftPerfMenu, kUpperMultis);
    rebuild(mWidgets.mRightPerfMenu, kLowerMultis);
    const bool upper = !mWidgets.mLibrarianView || mWidgets.mLibrarianView->activeList == 0;
    rebuild(mWidgets.mPerfBankNameMenu, upper ? kUpperMultis : kLowerMultis);
  }
  if (mWidgets.mLibrarianView) mWidgets.mLibrarianView->setRedraw();
  refillLibrarianList(0);
  refillLibrarianList(1);
}

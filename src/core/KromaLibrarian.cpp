// The plug-in's side of the librarian in the editor: what the bank view and the menus call,
// playing and storing slots, the sound/Multi switch and the selection lists' texts.
#include <mutex>

#include "src/config/ParameterIds.h"
#include "src/core/EditorRequests.h"
#include "src/core/Kroma.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/FolderMenus.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/librarian/view/NumberMenus.h"
#include "src/protocol/MIDIMessageManager.h"
#include "toolkit/plugin/editor/ControlLayer.h"

using namespace layer_visibility;

namespace {

constexpr int kSoundList = 0;
constexpr int kCategoryList = 1;
constexpr int kMultiList = 2;
constexpr int kSearchList = 4;
constexpr int kParts = 16;

struct RememberedFields {
  std::string Kroma::*file;
  std::string Kroma::*folder;
};
// By LibrarianHost::Remembered.
constexpr RememberedFields kRemembered[] = {
    {&Kroma::mUpperSelectionText, &Kroma::mUpperSelectionFolder},
    {&Kroma::mLowerSelectionText, &Kroma::mLowerSelectionFolder},
    {&Kroma::mUpperMultiSelectionText, &Kroma::mUpperMultiSelectionFolder},
    {&Kroma::mLowerMultiSelectionText, &Kroma::mLowerMultiSelectionFolder},
};

bool isSlot(int slot) {
  return slot >= 0 && slot < LibrarianViewControl::kSlots;
}

}  // namespace

LibrarianHost::FileName Kroma::remembered(Remembered which) const {
  const RememberedFields& fields = kRemembered[which];
  return {this->*fields.file, this->*fields.folder};
}

void Kroma::remember(Remembered which, const FileName& name) {
  const RememberedFields& fields = kRemembered[which];
  this->*fields.file = name.file;
  this->*fields.folder = name.folder;
}

IControl* Kroma::selectionControl(int list) const {
  return list == 0 ? mUpperSelectionControl : mLowerSelectionControl;
}

void Kroma::showFileEditMenu(int x, int y) {
  mFileEditMenu =
      std::make_unique<FileEditPopupMenu>(this, mPatchLibrarian.get(), IRECT(x, y, x, y), this);
  IMouseMod right(false, true);
  mFileEditMenu->OnMouseDown(x, y, &right);
}

void Kroma::showFileCopyMenu(int x, int y) {
  mFileCopyMenu =
      std::make_unique<FileCopyPopupMenu>(this, mPatchLibrarian.get(), IRECT(x, y, x, y), this);
  IMouseMod right(false, true);
  mFileCopyMenu->OnMouseDown(x, y, &right);
}

void Kroma::showStatus(const std::string& text) {
  setTextDisplay(kControlDisplayName, text);
}

bool Kroma::startLibrarianJob(const SenderJob& job, JobFlags flags) {
  return startSenderJob(job, [this, flags] {
    if (flags.dumpRouting) mMIDIMessageManager->dumpRouting = true;
    if (flags.clearCollectorDone) mMIDIMessageManager->dumpComplete = false;
    if (flags.multiPush) {
      mSendingSysEx = true;
      mMultiSendRequested = true;
      mSendPartSounds = true;
      mSendGlobalFirst = true;
    }
  });
}

bool Kroma::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) {
  return mMIDIMessageManager &&
         mMIDIMessageManager->sendSinglePatchRequestSysexFromLibrarian(editBuffer, bank);
}

bool Kroma::sendAllPatchRequestSysexFromLibrarian(int bank) {
  return mMIDIMessageManager && mMIDIMessageManager->sendAllPatchRequestSysexFromLibrarian(bank);
}

// The store flag goes up with the job's start only: a refused play never leaves it set for the
// next one, which would then overwrite a program of the synthesizer.
void Kroma::playLibrarianSlot(int slot, int list, int part, bool store) {
  if (getValue(kPartLock + mCurrentPart) == 1.0) return;
  if (!isSlot(slot) || part < 0 || part >= kParts) return;
  SenderJob job;
  job.code = kSendPatchToDeviceFromLibrarian;
  job.slot = slot;
  job.part = part;
  {
    std::lock_guard<std::recursive_mutex> lock(mPatchLibrarian->mutex());
    PatchFile* file = mPatchLibrarian->listedFile(list, lowerListKind());
    if (!file) return;
    if (file->records.size() < static_cast<size_t>(LibrarianViewControl::kSlots))
      file->records.resize(LibrarianViewControl::kSlots);
    if (file->records[slot].messages.empty()) return;
    job.record = file->records[slot];
  }
  if (mLibrarianView) mLibrarianView->keyCursor = slot;
  if (!mMIDIOutSet) return;
  if (!store) AllSoundsOff(part, false);
  startSenderJob(job, [this, store] { mMIDIMessageManager->store = store; });
}

void Kroma::sendPatchToDeviceFromLibrarian(int slot, int list, int part) {
  playLibrarianSlot(slot, list, part, false);
}

void Kroma::SendSingleProgramFromLibrarian(bool store, int part) {
  const int list = mLibrarianView && mLibrarianView->upperSelection < 0 ? 1 : 0;
  playLibrarianSlot(mPatchLibrarian->selectedProgram, list, part, store);
}

void Kroma::SendAllProgramsFromLibrarian(int targetBank) {
  mPatchLibrarian->selectedProgram = 0;
  if (!mMIDIOutSet) return;
  SenderJob job;
  job.code = kStoreAllPatchesToDeviceFromLibrarian;
  job.list = mLibrarianView && mLibrarianView->upperSelection < 0 ? 1 : 0;
  job.targetBank = targetBank;
  startSenderJob(job, [this] { mMIDIMessageManager->store = true; });
}

void Kroma::storeAllPatchesToDeviceFromLibrarian(int list, int firstRecord, int targetBank) {
  if (!mMIDIOutSet) return;
  SenderJob job;
  job.code = kStoreAllPatchesToDeviceFromLibrarian;
  job.list = list;
  job.firstRecord = firstRecord;
  job.targetBank = targetBank;
  startSenderJob(job);
}

void Kroma::selectLibrarianSlot(int slot) {
  if (!mLibrarianView || !isSlot(slot)) return;
  mLibrarianView->upperSelection = slot;
  mLibrarianView->keyCursor = slot;
  markLibrarianViewDirty();
}

void Kroma::refillLibrarianList(int list) {
  if (!mLibrarianView) return;
  if (list == 0)
    mLibrarianView->patchSelectionUpperChanged();
  else
    mLibrarianView->patchSelectionLowerChanged();
}

void Kroma::updateBankAndProgramMenuNames(bool keepBankMenu) {
  static const char key = 0;
  onEditorThread(&key, [this, keepBankMenu] {
    for (const char* layer :
         {"BANKNUMBERMENUPROGRAMS", "PERFBANKNAMEMENUPROGRAMS", "PROGBANKNAMEMENUPROGRAMS"})
      hide(layerNamed(layer));
    const bool multi = mMultiMode;
    const int bank = static_cast<int>(getValue(multi ? kMultiBank : kMultiPartBank + mCurrentPart));
    const int program =
        static_cast<int>(getValue(multi ? kMultiPatch : kMultiPartPatch + mCurrentPart));
    const bool librarySlots = mShowProgramNames;
    if (librarySlots) {
      show(layerNamed(multi ? "PERFBANKNAMEMENUPROGRAMS" : "PROGBANKNAMEMENUPROGRAMS"));
      if (mLibrarianView) {
        mLibrarianView->upperSelection = program;
        mLibrarianView->keyCursor = program;
      }
      mPatchLibrarian->selectedProgram = program;
    }
    if (mProgramNumberMenu)
      mProgramNumberMenu->refreshPatchNames(mPatchLibrarian.get(), this, program);
    if (mBankNumberMenu && !(librarySlots && keepBankMenu))
      mBankNumberMenu->refreshPatchNames(mPatchLibrarian.get(), this, bank);
    if (!librarySlots) show(layerNamed("BANKNUMBERMENUPROGRAMS"));
  });
}

void Kroma::updatePatchLibrarianView(int which) {
  if (mMIDIMessageManager) mMIDIMessageManager->displays().updatePatchLibrarianView(which);
}

void Kroma::refreshFolderStructure(LibrarianMenu menu, int fileIndex, const std::string& name,
                                   const std::string& folder) {
  FolderSelectionMenu* const menus[kLibrarianMenuCount] = {
      mLeftPatchMenu,   mRightPatchMenu,    mLeftPerfMenu,    mRightPerfMenu,
      nullptr,          mRightCategoryMenu, nullptr,          nullptr,
      mRightSearchMenu, mPerfBankNameMenu,  mProgBankNameMenu};
  if (menu >= 0 && menu < kLibrarianMenuCount && menus[menu])
    menus[menu]->refreshFolderStructure(mPatchLibrarian.get(), this, fileIndex, name, folder);
}

void Kroma::addBankEditMenuItems() {
  if (mBankEditMenu) mBankEditMenu->AddMenuItemsIn(this);
}

void Kroma::refreshPatchNames(int program) {
  if (mProgramNumberMenu)
    mProgramNumberMenu->refreshPatchNames(mPatchLibrarian.get(), this, program);
}

void Kroma::SetLibrarianStatusUnsaved(bool on) {
  if (mMIDIMessageManager) mMIDIMessageManager->SetLibrarianStatusUnsaved(on);
}

void Kroma::librarianBankSaved() {
  setStoredValue(kBankEditUnsaved, 0.0);
  hide(mTabLayers.discardChangesLayerRight);
  show(mTabLayers.keepBankOpenLayer);
  if (mDatatypeControl) mDatatypeControl->GrayOut(false);
  show(layerNamed(mMultiMode ? "LeftPerformancePopupMenu" : "UPPERPOPUPMENU"));
  ResetPatchSelectionMenus();
}

void Kroma::writeSelectionTexts(const std::vector<std::string>& fileNames, int listKind, bool upper,
                                bool lower) {
  const std::vector<std::string> texts = bankDisplayNames(fileNames, GetLog());
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
  if (reload) mPatchLibrarian->initBankFilesOnDiscard(getPatchesFolderStr());
  mPatchLibrarian->type = type;
  mPatchLibrarian->upperFileIndex = 0;
  mPatchLibrarian->lowerFileIndex = 0;
  refillLibrarianList(0);
  refillLibrarianList(1);
  const std::vector<PatchFile*> PatchLibrarian::*list =
      listKind == kSoundList      ? &PatchLibrarian::soundFiles
      : listKind == kCategoryList ? &PatchLibrarian::categoryFiles
      : listKind == kMultiList    ? &PatchLibrarian::multiFiles
      : listKind == kSearchList   ? &PatchLibrarian::searchResultFiles
                                  : nullptr;
  if (!list) return;
  std::vector<std::string> fileNames;
  {
    std::lock_guard<std::recursive_mutex> lock(mPatchLibrarian->mutex());
    for (const PatchFile* file : (*mPatchLibrarian).*list) fileNames.push_back(file->fileName);
  }
  auto clear = [this](int param) {
    GetParam(param)->ResetDisplayTexts();
    GetParam(param)->SetClamped(0.0);
  };
  const bool bothLists = listKind == kSoundList || listKind == kMultiList;
  if (bothLists) clear(kPatchSelectionListUpper);
  clear(kPatchSelectionListLower);
  for (int part = 0; part < kParts && listKind != kMultiList; ++part) {
    if (listKind == kSoundList) clear(kCurrentOpenPatchBankL + part);
    clear(kCurrentOpenPatchBankR + part);
  }
  clear(kCurrentOpenPerfBankL);
  clear(kCurrentOpenPerfBankR);
  userEdit(mUpperSelectionControl, 0.0);
  userEdit(mLowerSelectionControl, 0.0);
  writeSelectionTexts(fileNames, listKind, bothLists, true);
  refreshPopUpMenus();
}

void Kroma::ResetPatchSelectionMenus() {
  const bool multi = mMultiMode;
  std::vector<std::string> fileNames;
  {
    std::lock_guard<std::recursive_mutex> lock(mPatchLibrarian->mutex());
    for (const PatchFile* file : multi ? mPatchLibrarian->multiFiles : mPatchLibrarian->soundFiles)
      fileNames.push_back(file->fileName);
  }
  // A lower list of categories or search results keeps their names.
  const int kind = multi ? kMultiList : kSoundList;
  writeSelectionTexts(fileNames, kind, true, lowerListKind() == kind);
  refillLibrarianList(0);
  refillLibrarianList(1);
}

void Kroma::refreshPopUpMenus() {
  PatchLibrarian* librarian = mPatchLibrarian.get();
  auto rebuild = [&](FolderSelectionMenu* menu, Remembered which) {
    const FileName name = remembered(which);
    if (menu) menu->refreshFolderStructure(librarian, this, 0, name.file, name.folder);
  };
  if (!mMultiMode) {
    rebuild(mLeftPatchMenu, kUpperSounds);
    FolderSelectionMenu* lower = mRightPatchMenu;
    if (mLowerListShowsCategories)
      lower = mRightCategoryMenu;
    else if (mLowerListShowsSearch)
      lower = mRightSearchMenu;
    rebuild(lower, kLowerList);
    // The bank-name menu chooses the upper sound bank: it looks for the upper sound selection.
    rebuild(mProgBankNameMenu, kUpperSounds);
  } else {
    rebuild(mLeftPerfMenu, kUpperMultis);
    rebuild(mRightPerfMenu, kLowerMultis);
    const bool upper = !mLibrarianView || mLibrarianView->activeList == 0;
    rebuild(mPerfBankNameMenu, upper ? kUpperMultis : kLowerMultis);
  }
  if (mLibrarianView) mLibrarianView->setRedraw();
  refillLibrarianList(0);
  refillLibrarianList(1);
}

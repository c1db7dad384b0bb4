#include "src/librarian/view/NumberMenus.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "src/config/ParameterIds.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianHost.h"
#include "src/librarian/view/LibrarianViewControl.h"

namespace {

constexpr int kSoundBanks = 8;
constexpr int kPrograms = 128;
constexpr int kPerSubMenu = 10;
constexpr int kMultiBankChange = 16;
constexpr int kPauseBeforePlayMs = 10;
const char* const kRanges[ProgramNumberPopupMenu::kSubMenus] = {
    "01-10", "11-20", "21-30",  "31-40",   "41-50",   "51-60",  "61-70",
    "71-80", "81-90", "91-100", "101-110", "111-120", "121-128"};

// Starts the request that fetches the synthesizer's new sound (or Multi) into the editor.
void fetchIntoEditor(LibrarianHost& host, bool multi) {
  SenderJob job;
  job.code = multi ? kSendActiveArrangementRequest : kSendPartRequest;
  job.part = host.currentPart();
  job.toEditor = true;
  LibrarianHost::JobFlags flags;
  flags.dumpRouting = true;
  host.startLibrarianJob(job, flags);
}

}  // namespace

BankNumberPopupMenu::BankNumberPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                                         LibrarianHost* host)
    : LibrarianMenuControl(plug, librarian, rect, host) {
  refreshPatchNames(librarian, host, 0);
}

int BankNumberPopupMenu::bankParam() const {
  return mHost && mHost->multiMode() ? kMultiBank : kMultiPartBank + mHost->currentPart();
}

void BankNumberPopupMenu::refreshPatchNames(PatchLibrarian*, LibrarianHost*, int bank) {
  mMenu.RemoveAllItems();
  if (mHost && mHost->multiMode()) {
    mMenu.AddItem("Bank 0 (RAM)");
    return;
  }
  for (int b = 0; b < kSoundBanks; ++b)
    mMenu.AddItem(("Bank " + std::string(1, static_cast<char>('A' + b)) + " (RAM)").c_str());
  mMenu.CheckItemAlone(bank);
}

int BankNumberPopupMenu::doPopupMenu(LibrarianHost* host, int& bank) {
  IPopupMenu* chosen = open(&mMenu);
  if (!chosen) return 0;
  mMenu.CheckItemAlone(-1);
  if (chosen != &mMenu || !host) return 0;
  const int item = chosen->GetChosenItemIdx();
  bank = item;
  const int param = bankParam();
  setFromPlug(param, bank);
  const bool multi = host->multiMode();
  if (host->BankChangeMessage(host->currentPart()) && !multi) {
    if (host->programControl())
      fetchIntoEditor(*host, false);
    else
      host->sendPatchToDevice(host->currentPart(), true, false, false, false);
  }
  store(param, bank);
  mMenu.CheckItemAlone(item);
  return item;
}

void BankNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  if (!mHost) return;
  const int param = bankParam();
  mCurrentBank = intValue(param);
  doPopupMenu(mHost, mCurrentBank);
  setFromPlug(param, mCurrentBank);
  SetDirty(false);
}

ProgramNumberPopupMenu::ProgramNumberPopupMenu(IPluginBase* plug, PatchLibrarian* librarian,
                                               IRECT rect, LibrarianHost* host)
    : LibrarianMenuControl(plug, librarian, rect, host) {
  refreshPatchNames(librarian, host, 0);
}

void ProgramNumberPopupMenu::refreshPatchNames(PatchLibrarian*, LibrarianHost*, int program) {
  mMenu.RemoveAllItems();
  for (IPopupMenu& sub : mSubMenus) sub.RemoveAllItems();
  const bool named = mHost && mHost->libraryControl();
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
    const PatchFileList& files =
        mHost && mHost->multiMode() ? mLibrarian->multiFiles : mLibrarian->soundFiles;
    const int index = intValue(kPatchSelectionListUpper);
    const PatchFile* file =
        named && index >= 0 && index < static_cast<int>(files.size()) ? files[index] : nullptr;
    for (int p = 0; p < kPrograms; ++p) {
      char number[16];
      std::snprintf(number, sizeof number, "Sound %03d", p + 1);
      const bool hasName = file && p < static_cast<int>(file->records.size());
      const std::string text = hasName ? drawnName(file->records[p].name) : number;
      mSubMenus[p / kPerSubMenu].AddItem(text.c_str());
    }
  }
  for (int k = 0; k < kSubMenus; ++k) mMenu.AddItem(kRanges[k], &mSubMenus[k]);
  if (program >= 0 && program < kPrograms)
    mSubMenus[program / kPerSubMenu].CheckItemAlone(program % kPerSubMenu);
}

int ProgramNumberPopupMenu::doPopupMenu(LibrarianHost* host, int& program) {
  IPopupMenu* chosen = open(&mMenu);
  if (!chosen) return 0;
  mMenu.CheckItemAlone(-1);
  int k = -1;
  for (int sub = 0; sub < kSubMenus; ++sub) {
    mSubMenus[sub].CheckItemAlone(-1);
    if (chosen == &mSubMenus[sub]) k = sub;
  }
  if (k < 0 || !host) return 0;
  const int item = chosen->GetChosenItemIdx();
  const int n = item + kPerSubMenu * k;
  program = n;
  const bool multi = host->multiMode();
  const int param = multi ? kMultiPatch : kMultiPartPatch + host->currentPart();
  if (host->libraryControl()) {
    LibrarianViewControl* view = host->librarianView();
    if (view) {
      view->upperSelection = n;
      view->keyCursor = n;
    }
    mLibrarian->selectedProgram = n;
    host->pauseUnlocked(kPauseBeforePlayMs);
    host->sendPatchToDeviceFromLibrarian(n, view ? view->activeList.load() : 0,
                                         host->currentPart());
  } else {
    setFromPlug(param, n);
    if (host->BankChangeMessage(multi ? kMultiBankChange : host->currentPart())) {
      if (host->programControl())
        fetchIntoEditor(*host, multi);
      else
        host->sendPatchToDevice(host->currentPart(), !multi, false, false, multi);
    }
  }
  store(param, n);
  chosen->CheckItemAlone(item);
  return item;
}

void ProgramNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu(mHost, mCurrentProgram);
  SetDirty(false);
}

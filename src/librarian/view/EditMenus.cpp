#include "src/librarian/view/EditMenus.h"

#include <mutex>
#include <string>

#include "platform/datafolder/DataFolder.h"
#include "src/config/ParameterIds.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianHost.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "toolkit/log.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

constexpr int kSynthBanks = 8;
constexpr const char* kSaveFailed = "Bank save FAILED!";
constexpr const char* kSaved = "Bank saved!";

std::string bankLetter(int bank) {
  return std::string(1, static_cast<char>('A' + bank));
}

// Where the upper bank's file stands: its folder (without a closing "/"), and the bank's name,
// folder name and canonical path as the scan read them. False when the upper list shows no bank.
bool upperBankFile(PatchLibrarian& librarian, std::string& folder, LibrarianHost::FileName& bank) {
  std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
  const PatchFileList& files = librarian.type == 1 ? librarian.multiFiles : librarian.soundFiles;
  const int index = librarian.upperFileIndex;
  if (index < 0 || index >= static_cast<int>(files.size()) || !files[index]) return false;
  const PatchFile& file = *files[index];
  folder = DataFolder::patchesFolder();
  for (size_t level = 1; level < file.folderPath.size(); ++level)
    folder += "/" + file.folderPath[level];
  bank = {file.fileName, file.folderName, file.path};
  return true;
}

// Whether a bank of the lists was read from the file of canonical path `path`.
bool listed(PatchLibrarian& librarian, const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(librarian.mutex());
  for (const PatchFileList* files : {&librarian.soundFiles, &librarian.multiFiles})
    for (const PatchFile* file : *files)
      if (file->path == path) return true;
  return false;
}

// A job of the transfer lane, started when the lane is idle.
void start(LibrarianHost& host, int code, const std::function<void(SenderJob&)>& arguments = {},
           LibrarianHost::JobFlags flags = {}) {
  SenderJob job;
  job.code = code;
  if (arguments) arguments(job);
  host.startLibrarianJob(job, flags);
}

LibrarianHost::JobFlags routedToEditor() {
  LibrarianHost::JobFlags flags;
  flags.dumpRouting = true;
  return flags;
}

LibrarianHost::JobFlags collectorDoneCleared() {
  LibrarianHost::JobFlags flags;
  flags.clearCollectorDone = true;
  return flags;
}

}  // namespace

BankEditPopupMenu::BankEditPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianHost* host)
    : LibrarianMenuControl(plug, librarian, rect, host) {
  AddMenuItemsIn(host);
}

void BankEditPopupMenu::AddMenuItemsIn(LibrarianHost*) {
  for (IPopupMenu& menu : mMenus) menu.RemoveAllItems();
  const bool multi = mHost && mHost->multiMode();
  IPopupMenu& main = mMenus[kMain];
  main.AddItem(multi ? "Request Multi Data" : "Request Patch Data",
               &mMenus[multi ? kMultiRequest : kSoundRequest]);
  main.AddSeparator();
  main.AddItem(multi ? "Store Multi Data" : "Store Patch Data",
               &mMenus[multi ? kMultiStore : kSoundStore]);
  main.AddSeparator();
  main.AddItem("Sync Current Data from HW");
  main.AddItem("Push Current Multi to HW");
  main.AddSeparator();
  main.AddItem("Save (Overwrite current bank)");
  main.AddItem("Save As...", &mMenus[kSaveAs]);
  main.AddSeparator();
  main.AddItem("Import...", &mMenus[kImport]);
  main.AddItem("Refresh Folders");
  main.AddItem("Other Helpful things...", &mMenus[kHelp]);
  main.AddSeparator();
  main.AddItem("About this Plug-in...");

  if (multi) {
    for (const char* text : {"from Temp Buffer to Plug-in GUI", "from Temp Buffer to Librarian",
                             "from selected Program Slot", "All Multis from Selected Bank"})
      mMenus[kMultiRequest].AddItem(text);
    mMenus[kMultiStore].AddItem("To Currently Selected Slot & Bank");
    mMenus[kMultiStore].AddItem("All Multis from Current Bank");
  } else {
    IPopupMenu& request = mMenus[kSoundRequest];
    for (const char* text : {"from Active Slot to Plug-in GUI", "from Active Slot to Librarian",
                             "from Selected Program Slot"})
      request.AddItem(text);
    request.AddSeparator();
    IPopupMenu& storeMenu = mMenus[kSoundStore];
    storeMenu.AddItem("To Currently Selected Slot & Bank");
    storeMenu.AddSeparator();
    for (int bank = 0; bank < kSynthBanks; ++bank) {
      request.AddItem(("All Patches from Bank " + bankLetter(bank)).c_str());
      storeMenu.AddItem(("All Current Patches to Bank " + bankLetter(bank)).c_str());
    }
  }
  mMenus[kSaveAs].AddItem("Standard MIDI (*.mid)");
  mMenus[kSaveAs].AddItem("Kroma Format (*.kro)");
  mMenus[kImport].AddItem("Standard MIDI (*.mid)");
  mMenus[kImport].AddItem("SysEx (*.syx / *.kro)");
  IPopupMenu& help = mMenus[kHelp];
  help.AddItem("Open Data Folder");
  help.AddItem("Open User Manual", -1, IPopupMenuItem::kDisabled);
  help.AddItem("Open Support Ticket");
  help.AddItem("Check for Updates");
  help.AddItem("DAW Setup Guides");
}

void BankEditPopupMenu::doPopupMenu(LibrarianHost*) {
  const IPopupMenu* chosen = open(&mMenus[kMain]);
  if (chosen && mHost) run(chosen, chosen->GetChosenItemIdx());
  for (IPopupMenu& menu : mMenus) menu.CheckItemAlone(-1);
}

void BankEditPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu(mHost);
  SetDirty(false);
}

void BankEditPopupMenu::run(const IPopupMenu* menu, int index) {
  LibrarianHost& host = *mHost;
  const int part = host.currentPart();
  if (menu == &mMenus[kMain]) {
    runMain(index);
  } else if (menu == &mMenus[kSoundRequest]) {
    runSoundRequest(index);
  } else if (menu == &mMenus[kMultiRequest]) {
    runMultiRequest(index);
  } else if (menu == &mMenus[kSoundStore] || menu == &mMenus[kMultiStore]) {
    const int firstBank = menu == &mMenus[kSoundStore] ? 2 : 1;
    if (index == 0)
      host.SendSingleProgramFromLibrarian(true, part);
    else if (index >= firstBank)
      host.SendAllProgramsFromLibrarian(index - firstBank);
  } else if (menu == &mMenus[kSaveAs]) {
    if (index == 0 || index == 1) saveAs(index == 0);
  } else if (menu == &mMenus[kImport]) {
    if (index != 0 && index != 1) return;
    // An import ends in reading every bank again, which would drop the unsaved edits.
    if (intValue(kBankEditUnsaved) == 1) {
      host.showStatus(LibrarianHost::kSaveOrDiscard);
      return;
    }
    host.saveImportedFile(index == 0);
    host.OnParamChange(kRefreshFolders);
  } else if (menu == &mMenus[kHelp]) {
    if (index == 0) host.OpenDataDirectory(false);
    if (index >= 2 && index <= 4) host.OpenHelpTopics(index - 2);
  }
}

void BankEditPopupMenu::runMain(int index) {
  LibrarianHost& host = *mHost;
  switch (index) {
    case 4:
      start(
          host, kSendActiveArrangementRequest, [](SenderJob& job) { job.toEditor = true; },
          routedToEditor());
      break;
    case 5: {
      if (!host.midiOutSet()) break;
      LibrarianHost::JobFlags flags;
      flags.multiPush = true;
      start(host, kSendArrangementToDevice, {}, flags);
      break;
    }
    case 7:
      save();
      break;
    case 11:
      host.OnParamChange(kRefreshFolders);
      break;
    case 14:
      if (ControlLayer* about = host.layerNamed("aboutWindow")) about->Hide(false);
      break;
    default:
      break;
  }
}

void BankEditPopupMenu::runSoundRequest(int index) {
  LibrarianHost& host = *mHost;
  const int part = host.currentPart();
  if (index == 0 || index == 1) {
    const bool toEditor = index == 0;
    start(
        host, kSendPartRequest,
        [&](SenderJob& job) {
          job.part = part;
          job.toEditor = toEditor;
        },
        toEditor ? routedToEditor() : LibrarianHost::JobFlags{});
  } else if (index == 2) {
    host.sendSinglePatchRequestSysexFromLibrarian(false, intValue(kRequestFromBank));
  } else if (index >= 4 && index < 4 + kSynthBanks) {
    host.sendAllPatchRequestSysexFromLibrarian(index - 4);
  }
}

void BankEditPopupMenu::runMultiRequest(int index) {
  LibrarianHost& host = *mHost;
  if (index == 0 || index == 1) {
    const bool toEditor = index == 0;
    start(
        host, kSendActiveArrangementRequest, [&](SenderJob& job) { job.toEditor = toEditor; },
        toEditor ? routedToEditor() : LibrarianHost::JobFlags{});
  } else if (index == 2 || index == 3) {
    start(host, index == 2 ? kSendSingleMultiRequest : kSendAllMultiRequest, {},
          collectorDoneCleared());
  }
}

void BankEditPopupMenu::save() {
  std::string folder;
  LibrarianHost::FileName bank;
  if (!upperBankFile(*mLibrarian, folder, bank)) {
    mHost->showStatus(kSaveFailed);
    return;
  }
  const std::string path = folder + "/" + bank.file;
  // What another program wrote into the file is replaced only when the musician says so. Kept,
  // nothing is written, and an earlier save's word would tell the edit saved.
  IGraphics* graphics = mPlug->GetGUI();
  if (mLibrarian->upperBankFileChanged(path) &&
      !(graphics && graphics->PromptToReplaceChangedFile(path.c_str()))) {
    mHost->clearStatus(kSaved);
    return;
  }
  if (!mLibrarian->saveEditedPatch(path, bank.file)) {
    mHost->showStatus(kSaveFailed);
    return;
  }
  // Another file stood where the bank's link did (a file in its place, a link pointing elsewhere
  // or none): the file written is the bank now, and may be another listed bank.
  const std::string written = LibrarianFiles::canonicalPath(path);
  if (written != bank.path) editWritten({bank.file, bank.folder, written});
  mHost->librarianBankSaved();
  mHost->showStatus(kSaved);  // over the text of a save that failed before
}

void BankEditPopupMenu::saveAs(bool midi) {
  std::string folder;
  LibrarianHost::FileName bank;
  if (!upperBankFile(*mLibrarian, folder, bank)) {
    mHost->showStatus(kSaveFailed);
    return;
  }
  IGraphics* graphics = mPlug->GetGUI();
  std::string chosen;
  const PatchLibrarian::FilePrompt prompt = [&](const std::string& name, const std::string& start,
                                                const std::string& extension) {
    TK_String path(name.c_str());
    TK_String where(start.c_str());
    if (graphics) graphics->PromptForFile(&path, kFileSave, &where, extension.c_str());
    chosen = path.Get();
    return chosen;
  };
  const std::string proposed = LibrarianFiles::stemOf(bank.file) + (midi ? ".mid" : ".kro");
  PatchLibrarian::SavedFile saved;
  if (!mLibrarian->savePatchAs(proposed.c_str(), folder, midi, prompt, &saved)) {
    // A dismissed panel is no failure, and no save either.
    if (chosen.empty())
      mHost->clearStatus(kSaved);
    else
      mHost->showStatus(kSaveFailed);
    return;
  }
  // No bank of the librarian to switch to: the bank being edited stays, unsaved, as its own file
  // was not written. The path is judged as chosen (a link is a bank where it stands), and by the
  // file written, which a listed bank may have been read from under another path.
  if (!mLibrarian->readsAsBank(chosen) && !listed(*mLibrarian, saved.path)) {
    TK_Log(mPlug->GetLog(), "PATCH LIBRARIAN: ",
           "bank " + bank.file + " saved as " + chosen + ", which is no bank of the librarian");
    mHost->showStatus(kSaved);
    return;
  }
  editWritten({saved.fileName, saved.folderName, saved.path});
  mHost->librarianBankSaved();
  mHost->showStatus(kSaved);
}

void BankEditPopupMenu::editWritten(const LibrarianHost::FileName& written) {
  const bool multi = mHost->multiMode();
  mHost->remember(multi ? LibrarianHost::kUpperMultis : LibrarianHost::kUpperSounds, written);
  mHost->patchTypeChanged(multi ? 1 : 0, mHost->lowerListKind(), true);
}

FileEditPopupMenu::FileEditPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianHost* host)
    : LibrarianMenuControl(plug, librarian, rect, host) {
  AddMenuItemsIn();
}

void FileEditPopupMenu::AddMenuItemsIn() {
  mMenu.RemoveAllItems();
  mFetch.RemoveAllItems();
  mMenu.AddItem("Paste");
  mMenu.AddSeparator();
  mMenu.AddItem("Rename");
  mMenu.AddSeparator();
  mMenu.AddItem("Initialize Slot");
  mMenu.AddItem("Get DATA from..", &mFetch);
  mFetch.AddItem("Plug-in (active patch)");
  mFetch.AddSeparator();
  mFetch.AddItem("Hardware Edit Buffer");
  mFetch.AddItem("Hardware by Prog No.");
}

void FileEditPopupMenu::doPopupMenu(LibrarianHost*, int x, int y) {
  const IPopupMenu* chosen = open(&mMenu);
  LibrarianViewControl* view = mHost ? mHost->librarianView() : nullptr;
  const int index = chosen ? chosen->GetChosenItemIdx() : -1;
  if (chosen == &mMenu && mHost) {
    if (index == 0 && view) view->PasteSlotData(x, y);
    if (index == 2 && view) view->renameSlot(x, y);
    if (index == 4)
      start(*mHost, mHost->multiMode() ? kInitPerformance : kInitClassicPatch, {},
            routedToEditor());
  } else if (chosen == &mFetch && mHost) {
    fetch(index);
  }
  mMenu.CheckItemAlone(-1);
  mFetch.CheckItemAlone(-1);
}

void FileEditPopupMenu::fetch(int index) {
  LibrarianHost& host = *mHost;
  const bool multi = host.multiMode();
  if (index == 0) {
    const int part = host.currentPart();
    start(host, multi ? kSendArrangementToDevice : kSendPartToDevice, [&](SenderJob& job) {
      job.part = part;
      job.toLibrarian = true;
      job.requestParts = false;
    });
  } else if (index == 2 && multi) {
    start(host, kSendActiveArrangementRequest, [](SenderJob& job) { job.toEditor = false; });
  } else if (index == 3 && multi) {
    start(host, kSendSingleMultiRequest, {}, collectorDoneCleared());
  } else if (index == 2 || index == 3) {
    host.sendSinglePatchRequestSysexFromLibrarian(index == 2, 0);
  }
}

void FileEditPopupMenu::OnMouseDown(int x, int y, IMouseMod*) {
  doPopupMenu(mHost, x, y);
  SetDirty(false);
}

FileCopyPopupMenu::FileCopyPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     LibrarianHost* host)
    : LibrarianMenuControl(plug, librarian, rect, host) {
  mMenu.AddItem("Copy");
}

void FileCopyPopupMenu::doPopupMenu(LibrarianHost*, int x, int y) {
  const IPopupMenu* chosen = open(&mMenu);
  LibrarianViewControl* view = mHost ? mHost->librarianView() : nullptr;
  if (chosen == &mMenu && chosen->GetChosenItemIdx() == 0 && view) view->CopySlotData(x, y);
  mMenu.CheckItemAlone(-1);
}

void FileCopyPopupMenu::OnMouseDown(int x, int y, IMouseMod*) {
  doPopupMenu(mHost, x, y);
  SetDirty(false);
}

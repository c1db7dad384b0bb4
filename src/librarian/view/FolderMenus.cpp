#include "src/librarian/view/FolderMenus.h"

#include <mutex>

#include "src/config/ParameterIds.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "toolkit/log.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginBase.h"

namespace {

using Source = FolderSelectionMenu::Source;
using Host = LibrarianHost;

// The files directly in "Patches" are filed under its name.
constexpr const char* kRootFolder = "Patches";

// By FolderSelectionMenu::Row.
const Source kSources[] = {
    // kLeftPatch
    {0, &PatchLibrarian::soundFolders, &PatchLibrarian::soundFiles, Host::kUpperSounds,
     Host::kUpperSounds},
    // kRightPatch
    {1, &PatchLibrarian::soundFolders, &PatchLibrarian::soundFiles, Host::kLowerList,
     Host::kLowerList},
    // kLeftPerf
    {0, &PatchLibrarian::multiFolders, &PatchLibrarian::multiFiles, Host::kUpperMultis,
     Host::kUpperMultis},
    // kRightPerf
    {1, &PatchLibrarian::multiFolders, &PatchLibrarian::multiFiles, Host::kLowerMultis,
     Host::kLowerMultis},
    // kRightCategory
    {1, &PatchLibrarian::categoryFolders, &PatchLibrarian::categoryFiles, Host::kLowerList,
     Host::kLowerList},
    // kRightSearch
    {1, &PatchLibrarian::searchResultFolders, &PatchLibrarian::searchResultFiles, Host::kLowerList,
     Host::kLowerList},
    // kPerfBankName
    {0, &PatchLibrarian::multiFolders, &PatchLibrarian::multiFiles, Host::kUpperMultis,
     Host::kLowerMultis},
    // kProgBankName
    {0, &PatchLibrarian::soundFolders, &PatchLibrarian::soundFiles, Host::kUpperSounds,
     Host::kLowerList},
};
static_assert(sizeof(kSources) / sizeof(kSources[0]) == FolderSelectionMenu::kProgBankName + 1);

int selectionParam(int list) {
  return list == 0 ? kPatchSelectionListUpper : kPatchSelectionListLower;
}

// A file is wanted by its path when one is given: names stand in several folders, and a rebuild
// that took a namesake would make another bank the one edited.
bool wanted(const PatchFile& file, const Host::FileName& name) {
  if (!name.path.empty()) return file.path == name.path;
  return file.fileName == name.file && file.folderName == name.folder;
}

}  // namespace

FolderSelectionMenu::FolderSelectionMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                                         LibrarianHost* host, Row row)
    : LibrarianMenuControl(plug, librarian, rect, host), mSource(kSources[row]) {
  const LibrarianHost::FileName first =
      host ? host->remembered(mSource.first) : LibrarianHost::FileName{};
  refreshFolderStructure(librarian, host, 0, first.file, first.folder, first.path);
}

FolderSelectionMenu::~FolderSelectionMenu() = default;

IPopupMenu* FolderSelectionMenu::newMenu() {
  mSubMenus.push_back(std::make_unique<IPopupMenu>());
  return mSubMenus.back().get();
}

void FolderSelectionMenu::addFiles(IPopupMenu* menu, const std::vector<PatchFile*>& files,
                                   int index, const Host::FileName& name) {
  std::vector<std::string>& paths = mItemPaths[menu];
  for (size_t i = 0; i < files.size(); ++i) {
    const PatchFile* file = files[i];
    menu->AddItem(file->fileName.c_str());
    paths.resize(static_cast<size_t>(menu->GetNItems()));
    paths.back() = file->path;
    if (mFound) continue;  // one check mark; the files are compared only until it is placed
    if (wanted(*file, name) || mBase + static_cast<int>(i) == index) {
      menu->CheckItemAlone(menu->GetNItems() - 1);
      mFound = true;
    }
  }
  mBase += static_cast<int>(files.size());
}

bool FolderSelectionMenu::refreshFolderStructure(PatchLibrarian*, LibrarianHost*, int index,
                                                 std::string fileName, std::string folderName,
                                                 const std::string& path) {
  const Host::FileName name{fileName, folderName, path};
  auto root = std::make_unique<IPopupMenu>();
  mSubMenus.clear();
  mMenus.clear();
  mFolderNames.clear();
  mItemPaths.clear();
  mBase = 0;
  mFound = false;
  int found = -1;
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
    bool rootFiles = false;
    for (const std::unique_ptr<FolderFiles>& top : mLibrarian->*mSource.tree) {
      if (top->subFolders.empty()) {
        addFiles(root.get(), top->files, index, name);
        rootFiles = rootFiles || !top->files.empty();
        continue;
      }
      for (const SubFolderFiles& sub : top->subFolders) {
        IPopupMenu* first = newMenu();
        for (const SubFolderFiles2& subSub : sub.subFolders) {
          IPopupMenu* second = newMenu();
          addFiles(second, subSub.files, index, name);
          first->AddItem(subSub.name.c_str(), second);
          mMenus.push_back(second);
          mFolderNames.push_back(subSub.name);
        }
        addFiles(first, sub.files, index, name);
        root->AddItem(sub.name.c_str(), first);
        mMenus.push_back(first);
        mFolderNames.push_back(sub.name);
      }
    }
    if (rootFiles) {
      mMenus.push_back(root.get());
      mFolderNames.push_back(kRootFolder);
    }
    found = find(name, true);
  }
  mRoot = std::move(root);
  if (found >= 0) {
    select(found);
    checkMenuItemAlone(mLibrarian, mHost, found);
  }
  return true;
}

int FolderSelectionMenu::find(const Host::FileName& name, bool last) const {
  const PatchFileList& files = mLibrarian->*mSource.files;
  int found = -1;
  int foundRank = 0;
  for (size_t k = 0; k < files.size(); ++k) {
    // A link beside its target shares the target's path: the file of the name asked for wins.
    const int rank = !wanted(*files[k], name) ? 0 : files[k]->fileName == name.file ? 2 : 1;
    if (rank == 0 || rank < foundRank || (rank == foundRank && !last)) continue;
    found = static_cast<int>(k);
    foundRank = rank;
  }
  return found;
}

std::string FolderSelectionMenu::itemPath(const IPopupMenu* menu, int item) const {
  const auto paths = mItemPaths.find(menu);
  if (paths == mItemPaths.end() || item < 0 || item >= static_cast<int>(paths->second.size()))
    return {};
  return paths->second[static_cast<size_t>(item)];
}

void FolderSelectionMenu::checkMenuItemAlone(PatchLibrarian*, LibrarianHost*, int index) {
  Host::FileName name;
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
    const PatchFileList& files = mLibrarian->*mSource.files;
    if (index >= 0 && index < static_cast<int>(files.size()))
      name = {files[index]->fileName, files[index]->folderName, files[index]->path};
  }
  bool checked = false;
  for (size_t i = 0; i < mMenus.size(); ++i) {
    IPopupMenu* menu = mMenus[i];
    menu->CheckItemAlone(-1);
    if (checked || name.file.empty() || mFolderNames[i] != name.folder) continue;
    for (int item = 0; item < menu->GetNItems() && !checked; ++item) {
      if (name.file != menu->GetItemText(item) || itemPath(menu, item) != name.path) continue;
      menu->CheckItemAlone(item);
      checked = true;
    }
  }
}

int FolderSelectionMenu::doPopupMenu(LibrarianHost* host, int& index) {
  IPopupMenu* chosen = open(mRoot.get());
  if (!chosen) return 0;
  LibrarianHost::FileName name;
  bool matched = false, failed = false;
  for (size_t i = 0; i < mMenus.size(); ++i) {
    mMenus[i]->CheckItemAlone(-1);
    if (matched || mMenus[i] != chosen) continue;
    matched = true;
    const int item = chosen->GetChosenItemIdx();
    chosen->CheckItemAlone(item);
    name = {chosen->GetItemText(item), mFolderNames[i], itemPath(chosen, item)};
    std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
    const int k = find(name, false);
    failed = !name.path.empty() && !opens(k);
    if (k >= 0 && !failed) index = k;
  }
  if (failed) {
    // The bank shown stays the one Save writes, and keeps its check mark.
    TK_Log(mPlug->GetLog(), "PATCH LIBRARIAN: ", name.path + " no longer reads as a bank");
    checkMenuItemAlone(mLibrarian, host, index);
    if (host) host->showStatus(Host::kLoadFailed);
    return index;
  }
  if (host) host->remember(mSource.chosen, name);
  return index;
}

bool FolderSelectionMenu::opens(int k) const {
  const PatchFileList& files = mLibrarian->*mSource.files;
  if (k < 0 || k >= static_cast<int>(files.size())) return false;
  bool readAgain = false;
  if (!mLibrarian->opensAsFileHolds(files[k], intValue(kBankEditUnsaved) == 1, &readAgain))
    return false;
  LibrarianViewControl* librarianView = view();
  if (readAgain && librarianView) {
    librarianView->patchSelectionUpperChanged();
    librarianView->patchSelectionLowerChanged();
  }
  return true;
}

bool FolderSelectionMenu::refusedWhileUnsaved() const {
  if (mSource.list != 0 || intValue(kBankEditUnsaved) != 1) return false;
  if (mHost) mHost->showStatus(Host::kSaveOrDiscard);
  return true;
}

int FolderSelectionMenu::currentIndex() const {
  return mSource.list == 0 ? mLibrarian->upperFileIndex : mLibrarian->lowerFileIndex;
}

LibrarianViewControl* FolderSelectionMenu::view() const {
  return mHost ? mHost->librarianView() : nullptr;
}

void FolderSelectionMenu::select(int index) {
  const int param = selectionParam(mSource.list);
  setFromPlug(param, index);
  if (IControl* display = mHost ? mHost->selectionControl(mSource.list) : nullptr)
    display->SetValueFromPlug(mPlug->GetParam(param)->GetNormalized(index));
  (mSource.list == 0 ? mLibrarian->upperFileIndex : mLibrarian->lowerFileIndex) = index;
}

void FolderSelectionMenu::OnMouseDown(int, int, IMouseMod*) {
  if (refusedWhileUnsaved()) return;
  mChosenIndex = currentIndex();
  doPopupMenu(mHost, mChosenIndex);
  select(mChosenIndex);
  if (LibrarianViewControl* librarianView = view()) {
    librarianView->setRedraw();
    if (mSource.list == 0)
      librarianView->patchSelectionUpperChanged();
    else
      librarianView->patchSelectionLowerChanged();
  }
  SetRedraw();
  SetDirty(false);
}

BankNameMenu::BankNameMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                           LibrarianHost* host, Row row)
    : FolderSelectionMenu(plug, librarian, rect, host, row), mMulti(row == kPerfBankName) {}

void BankNameMenu::OnMouseDown(int, int, IMouseMod*) {
  if (refusedWhileUnsaved()) return;
  mChosenIndex = currentIndex();
  doPopupMenu(mHost, mChosenIndex);
  select(mChosenIndex);
  if (mMulti) setFromPlug(kMultiPatch, mChosenIndex);
  LibrarianViewControl* librarianView = view();
  if (librarianView && mPlug->GetParam(kMainTab)->Value() == 1.0) {
    librarianView->setRedraw();
    librarianView->patchSelectionUpperChanged();
  }
  if (mHost) {
    mHost->updateBankAndProgramMenuNames(!mMulti);
    if (librarianView) {
      const int slot = librarianView->keyCursor;
      if (slot >= 0 && slot < LibrarianViewControl::kSlots) mLibrarian->selectedProgram = slot;
      mHost->sendPatchToDeviceFromLibrarian(slot, librarianView->activeList, mHost->currentPart());
    }
  }
  SetRedraw();
  SetDirty(false);
}

PerfBankNamePopupMenu::PerfBankNamePopupMenu(IPluginBase* plug, PatchLibrarian* librarian,
                                             IRECT rect, LibrarianHost* host)
    : BankNameMenu(plug, librarian, rect, host, kPerfBankName) {}

ProgBankNamePopupMenu::ProgBankNamePopupMenu(IPluginBase* plug, PatchLibrarian* librarian,
                                             IRECT rect, LibrarianHost* host)
    : BankNameMenu(plug, librarian, rect, host, kProgBankName) {}

#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "src/librarian/LibrarianRecords.h"
#include "src/librarian/view/LibrarianHost.h"
#include "src/librarian/view/LibrarianMenuControl.h"
#include "toolkit/plugin/base/IPopupMenu.h"

// A menu of the librarian's bank files that mirrors one of its folder trees: folders are
// sub-menus (two levels deep), files are items. Choosing a file makes it the file of the view's
// upper or lower list. The file last chosen is remembered in the plug-in by its canonical path
// (by name and folder for an in-memory bank), so that a rebuild after a rescan finds it again
// wherever it now stands in the list, and never a namesake in another folder.
//
// The trees: sound and Multi banks show the first-level folders as sub-menus, their
// second-level folders as sub-menus inside them before their own files, and the files directly in
// "Patches" after every sub-menu; categories show one sub-menu per category; search results are
// one flat list.
class FolderSelectionMenu : public LibrarianMenuControl {
 public:
  // The menus, by their row of the table of lists and trees.
  enum Row {
    kLeftPatch,      // upper list, sound banks
    kRightPatch,     // lower list, sound banks
    kLeftPerf,       // upper list, Multi banks
    kRightPerf,      // lower list, Multi banks
    kRightCategory,  // lower list, the category banks
    kRightSearch,    // lower list, the search results
    kPerfBankName,   // the top bar's Multi banks
    kProgBankName,   // the top bar's sound banks
  };
  // Which list and tree a menu serves.
  struct Source {
    int list;  // 0 the view's upper list, 1 its lower list
    FolderTree PatchLibrarian::*tree;
    PatchFileList PatchLibrarian::*files;
    LibrarianHost::Remembered chosen;  // written by a choice
    LibrarianHost::Remembered first;   // looked for by the first build
  };

  FolderSelectionMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianHost* host,
                      Row row);
  ~FolderSelectionMenu() override;

  // Rebuilds the tree and checks the file named (or, when there is none such, the file at
  // `index` in tree order): the file at `path` when a path is given, else the one of that name
  // and folder name. A named file found in the file list becomes the list's file: its selection
  // parameter, the librarian's file index and the check mark follow it. Always true.
  bool refreshFolderStructure(PatchLibrarian* librarian, LibrarianHost* host, int index,
                              std::string fileName, std::string folderName,
                              const std::string& path = {});
  // Checks the item of file `index` of the file list alone in the whole tree.
  void checkMenuItemAlone(PatchLibrarian* librarian, LibrarianHost* host, int index);
  // Opens the tree: the chosen item's own file's index goes into `index` and the file is
  // remembered; a dismissed menu changes nothing. The chosen bank opens as its file holds it now
  // (PatchLibrarian::opensAsFileHolds): a file that no longer holds it (it went, became unreadable,
  // too large or something else since the scan) changes nothing either and shows "Bank load
  // FAILED!". Returns `index`, or 0 when dismissed.
  int doPopupMenu(LibrarianHost* host, int& index);
  // Opens the tree and makes the chosen file (or, dismissed, the current one) the list's. The
  // upper list's bank stays while it holds unsaved edits: it opens nothing and says so.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* rootMenu() const { return mRoot.get(); }

 protected:
  // The list's file becomes `index`: its selection parameter and display and the librarian's
  // index.
  void select(int index);
  int currentIndex() const;
  LibrarianViewControl* view() const;
  // True, saying so, for a menu of the upper list while its bank holds unsaved edits.
  bool refusedWhileUnsaved() const;

  const Source& mSource;
  int mChosenIndex = 0;

 private:
  IPopupMenu* newMenu();
  // Adds the files as items of `menu`, checking the first that matches `wanted` while none did.
  void addFiles(IPopupMenu* menu, const std::vector<PatchFile*>& files, int index,
                const LibrarianHost::FileName& wanted);
  // The position in the file list of the first (or the last) file `wanted` names, one of its
  // name before one that only shares its path; -1 for none.
  int find(const LibrarianHost::FileName& wanted, bool last) const;
  // Whether file `k` of the file list is there and opens as its file holds it now. The caller
  // holds the librarian lock.
  bool opens(int k) const;
  // The path of the file of item `item` of `menu`; "" for none.
  std::string itemPath(const IPopupMenu* menu, int item) const;

  std::unique_ptr<IPopupMenu> mRoot;
  std::vector<std::unique_ptr<IPopupMenu>> mSubMenus;
  // The menus that hold file items, and the folder of each one's files.
  std::vector<IPopupMenu*> mMenus;
  std::vector<std::string> mFolderNames;
  // By menu, the canonical path of each item's file ("" for a sub-menu or an in-memory bank):
  // two items of one name and folder name are two files.
  std::map<const IPopupMenu*, std::vector<std::string>> mItemPaths;
  // Scratch of a rebuild.
  int mBase = 0;
  bool mFound = false;
};

// The six selection menus keep the names the plug-in knows them by; each is a row of the table.
template <FolderSelectionMenu::Row row>
class FolderMenuRow : public FolderSelectionMenu {
 public:
  FolderMenuRow(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianHost* host)
      : FolderSelectionMenu(plug, librarian, rect, host, row) {}
};

class LeftPatchPopupMenu final : public FolderMenuRow<FolderSelectionMenu::kLeftPatch> {
  using FolderMenuRow::FolderMenuRow;
};
class RightPatchPopupMenu final : public FolderMenuRow<FolderSelectionMenu::kRightPatch> {
  using FolderMenuRow::FolderMenuRow;
};
class LeftPerfPopupMenu final : public FolderMenuRow<FolderSelectionMenu::kLeftPerf> {
  using FolderMenuRow::FolderMenuRow;
};
class RightPerfPopupMenu final : public FolderMenuRow<FolderSelectionMenu::kRightPerf> {
  using FolderMenuRow::FolderMenuRow;
};
class RightCategoryPopupMenu final : public FolderMenuRow<FolderSelectionMenu::kRightCategory> {
  using FolderMenuRow::FolderMenuRow;
};
class RightSearchPopupMenu final : public FolderMenuRow<FolderSelectionMenu::kRightSearch> {
  using FolderMenuRow::FolderMenuRow;
};

// The top bar's bank menu while program numbers address librarian slots: it chooses the upper
// list's bank, as the upper selection menus do, then brings the bank and program menus in step
// and plays the key cursor's slot of the new bank, also when dismissed.
class BankNameMenu : public FolderSelectionMenu {
 public:
  bool refreshPatchNames(PatchLibrarian* librarian, LibrarianHost* host, int index,
                         std::string fileName, std::string folderName,
                         const std::string& path = {}) {
    return refreshFolderStructure(librarian, host, index, fileName, folderName, path);
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

 protected:
  BankNameMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianHost* host,
               Row row);

 private:
  bool mMulti;
};

// Multi banks; the choice also becomes the Multi's program number.
class PerfBankNamePopupMenu : public BankNameMenu {
 public:
  PerfBankNamePopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                        LibrarianHost* host);
};

// Sound banks.
class ProgBankNamePopupMenu : public BankNameMenu {
 public:
  ProgBankNamePopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                        LibrarianHost* host);
};

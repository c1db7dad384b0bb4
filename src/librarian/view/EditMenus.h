#pragma once

#include "src/librarian/view/LibrarianHost.h"
#include "src/librarian/view/LibrarianMenuControl.h"
#include "toolkit/plugin/base/IPopupMenu.h"

// The librarian's main menu: requests from the synthesizer, stores into it, sync and push of the
// current Multi, saving, importing, rescanning, help and about. Its wording and requests follow
// the sound/Multi mode; the plug-in rebuilds it when the mode changes and when the librarian page
// is shown.
class BankEditPopupMenu : public LibrarianMenuControl {
 public:
  // The menus, main first; the sub-menus of the other mode stay empty.
  enum Menu {
    kMain,
    kSoundRequest,
    kMultiRequest,
    kSoundStore,
    kMultiStore,
    kSaveAs,
    kImport,
    kHelp,
    kMenus
  };

  BankEditPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianHost* host);

  void AddMenuItemsIn(LibrarianHost* host);
  // Opens the menu, runs the chosen item and clears every check mark.
  void doPopupMenu(LibrarianHost* host);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* menu(Menu which) { return &mMenus[which]; }

 private:
  void run(const IPopupMenu* menu, int index);
  void runMain(int index);
  void runSoundRequest(int index);
  void runMultiRequest(int index);
  // Saves the upper bank over the file where it stands, asking first when that file does not hold
  // what the librarian read from the bank's file or last wrote there; Cancel writes nothing.
  void save();
  // Saves the upper bank as a new file the user names, which then becomes the upper bank when the
  // librarian reads it as a bank, or read one from it by another path.
  void saveAs(bool midi);
  // Reads the banks again and makes the file just written, found by its canonical path, the bank
  // being edited.
  void editWritten(const LibrarianHost::FileName& written);

  IPopupMenu mMenus[kMenus];
};

// The menu of a slot of the upper list: paste, rename, initialize, and fetch its content from
// the editor or the synthesizer. Made for each right click at the mouse position.
class FileEditPopupMenu : public LibrarianMenuControl {
 public:
  FileEditPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianHost* host);

  void AddMenuItemsIn();
  // Opens the menu and runs the chosen item; (x, y) is the right click, where the view needs it.
  void doPopupMenu(LibrarianHost* host, int x, int y);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* menu() { return &mMenu; }

 private:
  void fetch(int index);

  IPopupMenu mMenu;
  IPopupMenu mFetch;
};

// The one-item menu of the lower list: "Copy" picks up the slot under the right click.
class FileCopyPopupMenu : public LibrarianMenuControl {
 public:
  FileCopyPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect, LibrarianHost* host);

  void doPopupMenu(LibrarianHost* host, int x, int y);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* menu() { return &mMenu; }

 private:
  IPopupMenu mMenu;
};

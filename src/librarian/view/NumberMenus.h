#pragma once

#include <memory>

#include "src/librarian/view/LibrarianMenuControl.h"
#include "toolkit/plugin/base/IPopupMenu.h"

// The top bar's bank menu: banks A to H of the synthesizer for the current part's sound, the one
// bank 0 for the Multi. A choice selects the bank on the synthesizer and then fetches the new
// sound into the editor (kControlProgBank on) or sends the editor's sound to it.
class BankNumberPopupMenu : public LibrarianMenuControl {
 public:
  BankNumberPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                      LibrarianHost* host);

  // Rebuilds the items for the current mode and checks `bank` (a sound bank of 8 or more checks
  // none).
  void refreshPatchNames(PatchLibrarian* librarian, LibrarianHost* host, int bank);
  // Opens the menu and carries out a choice, leaving the chosen bank in `bank`; the chosen item's
  // index, or 0 when dismissed.
  int doPopupMenu(LibrarianHost* host, int& bank);
  // A dismissed menu writes the unchanged bank back to its parameter.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* menu() { return &mMenu; }

 private:
  int bankParam() const;

  int mCurrentBank = 0;
  IPopupMenu mMenu;
};

// The top bar's program menu: 128 programs in sub-menus of ten, numbered "Sound 001" on, or,
// while program numbers address the librarian, named after the slots of the upper bank. A choice
// selects the program on the synthesizer as the bank menu does, or plays that librarian slot.
class ProgramNumberPopupMenu : public LibrarianMenuControl {
 public:
  static constexpr int kSubMenus = 13;

  ProgramNumberPopupMenu(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                         LibrarianHost* host);

  // Rebuilds the items and checks `program` (0 to 127; others check none).
  void refreshPatchNames(PatchLibrarian* librarian, LibrarianHost* host, int program);
  // Opens the menu and carries out a choice, leaving the program in `program`; the chosen item's
  // index in its sub-menu, or 0 when nothing was chosen.
  int doPopupMenu(LibrarianHost* host, int& program);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  IPopupMenu* menu() { return &mMenu; }
  IPopupMenu* subMenu(int k) { return &mSubMenus[k]; }

 private:
  int mCurrentProgram = 0;
  IPopupMenu mMenu;
  IPopupMenu mSubMenus[kSubMenus];
};

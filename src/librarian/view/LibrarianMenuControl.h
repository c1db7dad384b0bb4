#pragma once

#include "toolkit/plugin/editor/IControl.h"

class IPopupMenu;
class LibrarianHost;
class PatchLibrarian;

// The base of the librarian's popup menus: an invisible control over a strip of the editor (the
// button is part of the background picture) that owns a tree of menus and opens it on a press.
class LibrarianMenuControl : public IControl {
 public:
  LibrarianMenuControl(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                       LibrarianHost* host);

  // Adds nothing to the picture.
  bool Draw(IGraphics* graphics) override;

 protected:
  // Shows `menu` at the control's rectangle and waits for the user: the menu (or sub-menu) in
  // which an item was chosen, its chosen index set; null when dismissed or without an editor.
  IPopupMenu* open(IPopupMenu* menu);
  // The value of a parameter, cut toward zero.
  int intValue(int paramIdx) const;
  // Sets a parameter from the plug-in side (its controls follow) with a plain value.
  void setFromPlug(int paramIdx, double value) const;
  // Stores a plain value in a parameter, held to its range; nobody is told.
  void store(int paramIdx, double value) const;

  PatchLibrarian* mLibrarian;
  LibrarianHost* mHost;
};

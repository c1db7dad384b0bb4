#pragma once

#include "toolkit/plugin/editor/IStockControls.h"

class PatchLibrarian;

// Seam: the librarian's bank view, as far as the layout and the tab switches use it. The
// librarian view replaces this with the drawn two-list view; until then it keeps the selection
// the switches set and takes no clicks.
class LibrarianViewControl : public IBitmapOverlayControl {
 public:
  // Over one frame of the bitmap at (x, y); `area` is where it takes clicks.
  LibrarianViewControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT area,
                       PatchLibrarian* librarian, double scale);

  void OnMouseDown(int, int, IMouseMod*) override {}
  void OnMouseDblClick(int, int, IMouseMod*) override {}

  // Refreshes the view after its upper-list selection changed.
  void patchSelectionUpperChanged();
  // Draws the view once more after the next redraw.
  void setRedraw() { mRedraw = true; }

  PatchLibrarian* librarian() const { return mLibrarian; }
  double scale() const { return mScale; }

  // The selection, written by the switches and menus on the editor thread.
  int upperSelection = 0;   // -1: none
  int lowerSelection = -1;  // -1: none
  int activeList = 0;       // 0 upper, 1 lower: the list the last selection concerned
  // Dragging from the lower list does nothing until the librarian page was shown.
  bool dragEnabled = false;

 private:
  PatchLibrarian* mLibrarian;
  double mScale;
};

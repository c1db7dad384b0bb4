#include "src/librarian/view/LibrarianViewControl.h"

LibrarianViewControl::LibrarianViewControl(IPluginBase* plug, int x, int y, int paramIdx,
                                           IBitmap* bitmap, IRECT area, PatchLibrarian* librarian,
                                           double scale)
    : IBitmapOverlayControl(plug, x, y, paramIdx, bitmap, area),
      mLibrarian(librarian),
      mScale(scale) {}

void LibrarianViewControl::patchSelectionUpperChanged() {
  SetDirty(false);
}

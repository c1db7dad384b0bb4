#pragma once

#include <string>

#include "src/editor/DisplayHost.h"

struct TabLayers;

// What the tab switches read and call of the plug-in, beyond what the value display reads. The
// plug-in implements it; the switches run on the editor thread under the plug-in's lock: in the
// main thread's own parameter dispatch, or at the editor timer when another thread asked for
// them. Each entry names its threads and what it may take.
class EditorHost : public DisplayHost {
 public:
  // The part tab's switch makes its part the one being edited.
  // [main thread, editor timer; plug-in lock held; atomic]
  virtual void setCurrentPart(int part) = 0;
  // The plug-in edits a Multi rather than single sounds.
  // [main thread, editor timer; plug-in lock held; atomic]
  virtual bool multiMode() const = 0;
  // While kKeepSelectedBank is non-zero: the librarian page keeps its selection.
  // [main thread, editor timer; plug-in lock held; atomic]
  virtual bool keepSelectedBank() const = 0;
  // What the lower librarian list shows: 0 sounds, 1 a category (while kCategorySelection is
  // above 0), 2 Multis, 4 the results of a search.
  // [main thread, editor timer; plug-in lock held; atomic]
  virtual int lowerListKind() const = 0;
  // The layers and controls switched, complete from the plug-in's constructor on.
  // [main thread, editor timer; fixed from the constructor on]
  virtual const TabLayers& tabLayers() const = 0;

  // The librarian's selected program (slot 0 to 127 of its current bank).
  // [main thread, editor timer; plug-in lock held; atomic]
  virtual void setLibrarianSelectedProgram(int program) = 0;
  // The plug-in's handling of a parameter change (the framework's OnParamChange).
  // [main thread, editor timer; takes the plug-in lock, already held]
  virtual void OnParamChange(int paramIdx) = 0;
  // Replaces the text of the display control bound to `displayParam` (here the patch-name and
  // the category display, kControlDisplayPatch and kControlDisplayCategory).
  // [main thread, editor timer; plug-in lock held; takes the text's lock]
  virtual void setTextDisplay(int displayParam, const std::string& text) = 0;
};

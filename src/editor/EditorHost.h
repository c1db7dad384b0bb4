#pragma once

#include <string>

#include "src/editor/DisplayHost.h"

struct TabLayers;

// What the tab switches read and call of the plug-in, beyond what the value display reads. The
// plug-in implements it; the switches run on the editor thread under the plug-in's lock.
class EditorHost : public DisplayHost {
 public:
  // The part tab's switch makes its part the one being edited.
  virtual void setCurrentPart(int part) = 0;
  // The plug-in edits a Multi rather than single sounds.
  virtual bool multiMode() const = 0;
  // While kKeepSelectedBank is non-zero: the librarian page keeps its selection.
  virtual bool keepSelectedBank() const = 0;
  // What the lower librarian list shows: 0 sounds, 1 a category (while kCategorySelection is
  // above 0), 2 Multis, 4 the results of a search.
  virtual int lowerListKind() const = 0;
  // The layers and controls switched, complete from the plug-in's constructor on.
  virtual const TabLayers& tabLayers() const = 0;

  // The librarian's selected program (slot 0 to 127 of its current bank).
  virtual void setLibrarianSelectedProgram(int program) = 0;
  // The plug-in's handling of a parameter change (the framework's OnParamChange).
  virtual void OnParamChange(int paramIdx) = 0;
  // Replaces the text of the display control bound to `displayParam` (here the patch-name and
  // the category display, kControlDisplayPatch and kControlDisplayCategory).
  virtual void setTextDisplay(int displayParam, const std::string& text) = 0;
};

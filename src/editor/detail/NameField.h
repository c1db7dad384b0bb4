#pragma once

#include <string>

#include "toolkit/plugin/editor/IStockControls.h"

// An editable name field (a part's sound, the Multi, the librarian's entries). Names come padded
// with blanks, which would push a centred name aside: it is drawn without them, and a name wider
// than its field starts at the field's left edge and is cut at its right, clear of its
// neighbours at every size.
class NameField : public ICaptionControl {
 public:
  NameField(IPluginBase* plug, IRECT rect, int paramIdx, IText* style);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

 private:
  std::string name() const;
  // The entry edits the name without its blanks, so that it can grow to the field's length; the
  // blanks come back when the name's bytes are built.
  void promptName();
};

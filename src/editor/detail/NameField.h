#pragma once

#include <string>

#include "toolkit/plugin/editor/IStockControls.h"

class DisplayHost;

// An editable name field (a part's sound, the Multi, the librarian's entries). Names come padded
// with blanks, which would push a centred name aside: it is drawn without them, and a name wider
// than its field starts at the field's left edge and is cut at its right, clear of its
// neighbours at every size.
//
// A field that takes printable ASCII only (a name that goes to the synthesizer) says on the
// status line, the host's name line, when it refuses a character.
class NameField : public ICaptionControl {
 public:
  NameField(IPluginBase* plug, IRECT rect, int paramIdx, IText* style, const DisplayHost* host);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  void OnTextEntryRefused() override;

 private:
  std::string name() const;
  // The entry edits the name without its blanks, so that it can grow to the field's length; the
  // blanks come back when the name's bytes are built.
  void promptName();

  const DisplayHost* mHost;
};

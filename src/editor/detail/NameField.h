#pragma once

#include "toolkit/plugin/editor/IStockControls.h"

// An editable name field (a part's sound, the Multi, the librarian's entries). Names come padded
// with blanks, which would push a centred name aside: it is drawn without them, and a name wider
// than its field starts at the field's left edge and is cut at its right, clear of its
// neighbours at every size.
class NameField : public ICaptionControl {
 public:
  NameField(IPluginBase* plug, IRECT rect, int paramIdx, IText* style);

  bool Draw(IGraphics* graphics) override;
};

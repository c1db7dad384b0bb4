#pragma once

#include "toolkit/plugin/editor/IStockControls.h"

// A row or column of buttons over an enumerated parameter, one button per value, drawn from a
// strip of two frames: frame 1 shows every button plain, frame 2 every button lit, and each
// button is cut from the strip at its own offset. Stacked frames make a row (direction
// horizontal), side-by-side frames a column (vertical). A press on button i sets value i.
class ICustomRadioButtonsControl : public IRadioButtonsControl {
 public:
  // `rect` is one frame of the strip at the control's place. Fewer than two buttons make one
  // button that stands for value 0.
  ICustomRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int nButtons,
                             IBitmap* bitmap, EDirection direction);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Neither presses a button nor restores a default.
  void OnMouseDblClick(int, int, IMouseMod*) override {}
  void OnMouseOver(int, int, IMouseMod*) override {}
  void OnMouseOut() override { SetDirty(false); }
  // Drawn at full strength also while greyed.
  bool Draw(IGraphics* g) override;

  // The press itself; a right press does nothing here.
  void OnMouseDownCustom(int x, int y, IMouseMod* mod);

 private:
  bool mRightClickAsLeft = false;
  bool mShowSelection = true;
  int mButtonWidth;
  int mButtonHeight;
  int mHitLimit = -1;  // from 0: buttons above it take no presses
};

#include "src/editor/detail/ICustomRadioButtonsControl.h"

#include <algorithm>

#include "toolkit/plugin/editor/IGraphics.h"

ICustomRadioButtonsControl::ICustomRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                                       int nButtons, IBitmap* bitmap,
                                                       EDirection direction)
    : IRadioButtonsControl(plug, rect, paramIdx, nButtons, bitmap, direction, false) {
  // The base made at least one button and holds the count.
  const int n = NButtons();
  const bool stacked = !mBitmap.mFramesAreHorizontal;
  mButtonWidth = stacked ? mBitmap.W / n : mBitmap.W / 2;
  mButtonHeight = stacked ? mBitmap.H / 2 : mBitmap.H / n;
  const int frameHeight = static_cast<int>(static_cast<double>(mBitmap.H) / std::max(mBitmap.N, 1));
  for (int i = 0; i < n; ++i) {
    IRECT& button = mRECTs.Get()[i];
    if (direction == kHorizontal)
      button = IRECT(rect.L + i * mButtonWidth, rect.T, rect.L + (i + 1) * mButtonWidth,
                     rect.T + frameHeight);
    else
      button = IRECT(rect.L, rect.T + i * mButtonHeight, rect.L + mButtonWidth,
                     rect.T + (i + 1) * mButtonHeight);
  }
}

bool ICustomRadioButtonsControl::Draw(IGraphics* g) {
  const int n = NButtons();
  const int selected = std::clamp(static_cast<int>((n - 1) * mValue + 0.5), 0, n - 1);
  mBlend.mWeight = 1.0f;
  const bool stacked = !mBitmap.mFramesAreHorizontal;
  for (int i = 0; i < n; ++i) {
    const int frame = i == selected && mShowSelection ? 2 : 1;
    g->DrawBitmap(&mBitmap, mRECTs.Get() + i, frame, stacked ? i * mButtonWidth : 0,
                  stacked ? 0 : i * mButtonHeight, &mBlend);
  }
  return true;
}

void ICustomRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R && mRightClickAsLeft) {
    mod->L = true;
    mod->R = false;
  }
  if (!mod || !mod->R) OnMouseDownCustom(x, y, mod);
  SetDirty(true);
}

void ICustomRadioButtonsControl::OnMouseDownCustom(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) return;
  const int n = NButtons();
  for (int i = 0; i < n; ++i) {
    if (mHitLimit >= 0 && i > mHitLimit) break;
    if (mRECTs.Get()[i].Contains(x, y)) {
      // One button has no range to spread over: it stands for 0.
      mValue = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
      break;
    }
  }
  SetDirty(true);
}

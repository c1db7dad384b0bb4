#include <algorithm>
#include <cmath>

#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/IStockControls.h"

int FrameForValue(double value, int frameCount) {
  if (frameCount < 2) return 1;
  const long frame = std::lround((frameCount - 1) * value) + 1;
  return (int)std::clamp(frame, 1L, (long)frameCount);
}

IPanelControl::IPanelControl(IPluginBase* plug, IRECT rect, const IColor* colour)
    : IControl(plug, rect), mColor(*colour) {}

bool IPanelControl::Draw(IGraphics* g) {
  return g->FillIRect(&mColor, &mRECT, &mBlend);
}

// ---- bitmaps and switches ----

IBitmapControl::IBitmapControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap)
    : IBitmapControl(plug, IRECT(x, y, x + bitmap->FrameWidth(), y + bitmap->FrameHeight()),
                     paramIdx, bitmap) {}

IBitmapControl::IBitmapControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap)
    : IControl(plug, rect, paramIdx), mBitmap(*bitmap) {}

bool IBitmapControl::Draw(IGraphics* g) {
  return g->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*) {
  if (mGrayed) return;
  const double next = mValue + (mBitmap.N > 1 ? 1.0 / (double)(mBitmap.N - 1) : 1.0);
  // A little above 1 absorbs the rounding of the steps.
  mValue = next > 1.001 ? 0.0 : next;
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  OnMouseDown(x, y, mod);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*) {
  PromptUserInput();
  SetDirty(true);
}

void IContactControl::OnMouseUp(int, int, IMouseMod*) {
  mValue = 0.0;
  SetDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IPluginBase* plug, int x, int y, int paramIdx,
                                             IBitmap* bitmap, IRECT offArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(offArea) {
  mTargetRECT = offArea;
}

IBitmapOverlayControl::IBitmapOverlayControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                             IBitmap* bitmap, IRECT offArea)
    : ISwitchControl(plug, rect, paramIdx, bitmap), mTargetArea(offArea) {
  mTargetRECT = offArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* g) {
  if (mValue < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(g);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPluginBase* plug, IRECT rect, int paramIdx)
    : IControl(plug, rect, paramIdx) {
  mDisablePrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*) {
  if (mGrayed) return;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

// ---- radio buttons ----

IRadioButtonsControl::IRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                           int buttonCount, IBitmap* bitmap, EDirection direction,
                                           bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(*bitmap) {
  // With fewer than two buttons there is no gap to share out; a count too
  // large to hold is one button too.
  int n = std::max(1, buttonCount);
  IRECT* buttons = mRECTs.Resize(n);
  if (!buttons) buttons = mRECTs.Resize(n = 1);
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  const bool horizontal = direction == kHorizontal;
  const int extent = horizontal ? w : h;
  const int gap =
      n > 1
          ? (int)(((long long)(horizontal ? rect.W() : rect.H()) - (long long)n * extent) / (n - 1))
          : 0;
  for (int i = 0; i < n; ++i) {
    const int offset = i * (extent + gap);
    int start = (horizontal ? rect.L : rect.T) + offset;
    if (reverse) start = (horizontal ? rect.R : rect.B) - offset - extent;
    buttons[i] = horizontal ? IRECT(start, rect.T, start + w, rect.T + h)
                            : IRECT(rect.L, start, rect.L + w, start + h);
  }
}

int IRadioButtonsControl::HitButton(int x, int y) {
  for (int i = 0; i < NButtons(); ++i)
    if (mRECTs.Get()[i].Contains(x, y)) return i;
  return -1;
}

int IRadioButtonsControl::SelectedButton() const {
  const int last = mRECTs.GetSize() - 1;
  return last > 0 ? (int)std::clamp(std::lround(last * mValue), 0L, (long)last) : 0;
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mGrayed) return;
  if (mod && mod->R) {
    PromptUserInput();
  } else {
    const int hit = HitButton(x, y);
    if (hit >= 0) mValue = NButtons() > 1 ? (double)hit / (double)(NButtons() - 1) : 0.0;
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* g) {
  const int selected = SelectedButton();
  for (int i = 0; i < NButtons(); ++i)
    g->DrawBitmap(&mBitmap, mRECTs.Get() + i, i == selected ? 2 : 1, &mBlend);
  return true;
}

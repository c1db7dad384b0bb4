#include <algorithm>
#include <cmath>

#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/IStockControls.h"

// ---- fader ----

static IRECT FaderRECT(int x, int y, int length, const IBitmap& handle, EDirection direction) {
  return direction == kHorizontal ? IRECT(x, y, x + length, y + handle.FrameHeight())
                                  : IRECT(x, y, x + handle.FrameWidth(), y + length);
}

IFaderControl::IFaderControl(IPluginBase* plug, int x, int y, int length, int paramIdx,
                             IBitmap* bitmap, EDirection direction, bool onlyHandle)
    : IControl(plug, FaderRECT(x, y, length, *bitmap, direction), paramIdx),
      mLen(length),
      mHandleHeadroom(direction == kHorizontal ? bitmap->FrameWidth() : bitmap->FrameHeight()),
      mBitmap(*bitmap),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {}

IRECT IFaderControl::GetHandleRECT(double value) const {
  const int travel = mLen - mHandleHeadroom;
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  if (mDirection == kHorizontal) {
    const int left = mRECT.L + (int)(value * travel);
    return IRECT(left, mRECT.T, left + w, mRECT.T + h);
  }
  const int top = mRECT.T + (int)(travel * (1.0 - value));
  return IRECT(mRECT.L, top, mRECT.L + w, top + h);
}

void IFaderControl::SnapToMouse(int x, int y) {
  // A track no longer than its handle has no travel; it must not divide by zero.
  const double travel = std::max(1, mLen - mHandleHeadroom);
  const int half = mHandleHeadroom / 2;
  if (mDirection == kHorizontal)
    mValue = (double)(x - half - mRECT.L) / travel;
  else
    mValue = 1.0 - (double)(y - half - mRECT.T) / travel;
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mGrayed) return;
  if (mod && mod->R)
    PromptUserInput();
  else
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
  if (mGrayed) return;
  SnapToMouse(x, y);
}

bool IFaderControl::Draw(IGraphics* g) {
  IRECT handle = GetHandleRECT();
  return g->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) {
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}

// ---- knobs ----

IKnobControl::IKnobControl(IPluginBase* plug, IRECT rect, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing) {}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod) {
  if (mGrayed) return;
  double gearing = mGearing;
  if (mod && (mod->S || mod->C)) gearing *= 10.0;
  // Dragging up turns a vertical knob up: screen y grows downwards.
  const double step = mDirection == kVertical ? (double)dY / (double)(mRECT.T - mRECT.B)
                                              : (double)dX / (double)(mRECT.R - mRECT.L);
  const double delta = step / gearing;
  if (!std::isfinite(delta)) return;
  mValue = mValue + delta;
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                   const IColor* colour, double innerRadius, double outerRadius,
                                   double angleMin, double angleMax, EDirection direction,
                                   double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing),
      mColor(*colour),
      mMinAngle((float)angleMin),
      mMaxAngle((float)angleMax),
      mInnerRadius((float)innerRadius),
      mOuterRadius(outerRadius == 0.0 ? 0.5f * (float)rect.W() : (float)outerRadius) {
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber, 1.0f);
}

bool IKnobLineControl::Draw(IGraphics* g) {
  const double angle = AngleFor(mMinAngle, mMaxAngle);
  const float cx = mRECT.MW(), cy = (float)(mRECT.T + mRECT.B) * 0.5f;
  const float sinA = (float)std::sin(angle), cosA = (float)std::cos(angle);
  return g->DrawLine(&mColor, cx + sinA * mInnerRadius, cy - cosA * mInnerRadius,
                     cx + sinA * mOuterRadius, cy - cosA * mOuterRadius, &mBlend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IPluginBase* plug, int x, int y, int paramIdx,
                                         IBitmap* bitmap, double minAngle, double maxAngle,
                                         int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + bitmap->W, y + bitmap->H), paramIdx, direction, gearing),
      mBitmap(*bitmap),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mYOffset(yOffsetZeroDeg) {}

bool IKnobRotaterControl::Draw(IGraphics* g) {
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  return g->DrawRotatedBitmap(&mBitmap, cx, cy, AngleFor(mMinAngle, mMaxAngle), mYOffset, &mBlend);
}

IKnobMultiControl::IKnobMultiControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + bitmap->FrameWidth(), y + bitmap->FrameHeight()), paramIdx,
                   direction, gearing),
      mBitmap(*bitmap) {}

bool IKnobMultiControl::Draw(IGraphics* g) {
  return g->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPluginBase* plug, int x, int y, int paramIdx,
                                                   IBitmap* base, IBitmap* mask, IBitmap* top,
                                                   double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + base->W, y + base->H), paramIdx, direction, gearing),
      mBase(*base),
      mMask(*mask),
      mTop(*top),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle) {}

bool IKnobRotatingMaskControl::Draw(IGraphics* g) {
  return g->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, AngleFor(mMinAngle, mMaxAngle),
                            &mBlend);
}

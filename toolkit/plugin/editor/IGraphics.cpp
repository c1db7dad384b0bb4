#include "toolkit/plugin/editor/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "toolkit/gfx/Bitmap.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/plugin/editor/ControlLayer.h"

namespace {

constexpr int kDefaultFPS = 25;
constexpr int kDisplayBufferSize = 64;

// The editor's background: one bitmap, copied plainly.
class BackgroundBitmap : public IControl {
 public:
  BackgroundBitmap(IPluginBase* plug, const IBitmap& bitmap)
      : IControl(plug, IRECT(0, 0, bitmap.W, bitmap.FrameHeight())), mBitmap(bitmap) {}
  bool Draw(IGraphics* graphics) override {
    return graphics->DrawBitmap(&mBitmap, &mRECT, 1, &mBlend);
  }

 private:
  IBitmap mBitmap;
};

// The editor's background: one colour.
class BackgroundPanel : public IControl {
 public:
  BackgroundPanel(IPluginBase* plug, IRECT rect, const IColor& color)
      : IControl(plug, rect), mColor(color) {}
  // Drawn on every redraw: only the region being drawn is filled.
  bool Draw(IGraphics* graphics) override {
    IRECT area = mRECT.Intersect(graphics->GetDrawRect());
    return area.Empty() || graphics->FillIRect(&mColor, &area, &mBlend);
  }

 private:
  IColor mColor;
};

bool IsMenuKind(const IParam* param) {
  return (param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum) &&
         param->GetNDisplayTexts() > 0;
}

}  // namespace

IGraphics::IGraphics(IPluginBase* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps < 1 ? kDefaultFPS : fps) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  for (int i = mControls.GetSize() - 1; i >= 0; --i) delete mControls.Get(i);
  for (int i = mLayers.GetSize() - 1; i >= 0; --i) delete mLayers.Get(i);
  DestroyBuffers();
}

void IGraphics::DestroyBuffers() {
  mBackBuffer.reset();
  mScratch.reset();
}

// ---- Set-up ----------------------------------------------------------------

void IGraphics::PrepDraw() {
  DestroyBuffers();
  mBackBuffer = std::make_unique<GFX_SysBitmap>(mWidth, mHeight);
  mScratch = std::make_unique<GFX_MemBitmap>(0, 0, 4);
}

void IGraphics::Resize(int w, int h) {
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::AttachBackground(int id, const char* name, double scale) {
  IBitmap bitmap = LoadIBitmap(id, name, scale, 1, false);
  mControls.Insert(new BackgroundBitmap(mPlug, bitmap), 0);
}

void IGraphics::AttachPanelBackground(const IColor* color) {
  mControls.Insert(new BackgroundPanel(mPlug, IRECT(0, 0, mWidth, mHeight), *color), 0);
}

int IGraphics::AttachControl(IControl* control) {
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

int IGraphics::AttachLayer(ControlLayer* layer) {
  mLayers.Add(layer);
  return mLayers.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control) {
  if (mKeyCatcher != control) delete mKeyCatcher;
  mKeyCatcher = control;
}

// ---- Control state ---------------------------------------------------------

template <class Op>
void IGraphics::ForEachControlOf(int paramIdx, Op op) {
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) op(mControls.Get(i));
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  ForEachControlOf(paramIdx, [hide](IControl* control) { control->Hide(hide); });
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  ForEachControlOf(paramIdx, [gray](IControl* control) { control->GrayOut(gray); });
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  ForEachControlOf(paramIdx, [lo, hi](IControl* control) { control->SetClamp(lo, hi); });
}

void IGraphics::SetAllControlsDirty() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* control = mControls.Get(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  ForEachControlOf(paramIdx, [normalizedValue](IControl* control) {
    control->SetValueFromUserInput(normalizedValue);
  });
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
    param->SetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
    PushValueToControl(mControls.Get(i), paramIdx, value);
  for (int i = 0; i < mLayers.GetSize(); ++i)
    mLayers.Get(i)->SetParameterFromPlug(paramIdx, value, normalized);
}

void IGraphics::SetParametersFromPlug(const std::vector<std::pair<int, double>>& values,
                                      bool normalized) {
  if (!mPlug) return;
  std::vector<double> shown(mPlug->NParams(), std::nan(""));
  for (const auto& [paramIdx, value] : values) {
    IParam* param = mPlug->GetParam(paramIdx);
    if (!param) continue;
    shown[paramIdx] = normalized ? value : param->GetNormalized(value);
    if (!normalized) param->SetNormalized(shown[paramIdx]);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) PushValuesToControl(mControls.Get(i), shown);
  for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->SetParametersFromPlug(shown);
}

// ---- Redraw ----------------------------------------------------------------

bool IGraphics::IsDirty(IRECT* region) {
  bool dirty = false;
  // The background (control 0) never makes the editor dirty by itself.
  for (int i = 1; i < mControls.GetSize(); ++i)
    if (ScanDirtyControl(mControls.Get(i), region)) dirty = true;
  for (int i = 0; i < mLayers.GetSize(); ++i)
    if (mLayers.Get(i)->isDirty(region)) dirty = true;
  return dirty;
}

bool IGraphics::Draw(IRECT* region) {
  if (!mControls.GetSize() && !mLayers.GetSize()) return true;
  if (mStrict)
    StrictDraw(region);
  else
    LooseDraw();
  for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->Draw(this, &mDrawRECT);
  return DrawScreen(&mDrawRECT);
}

void IGraphics::StrictDraw(IRECT* region) {
  mDrawRECT = *region;
  if (IControl* background = mControls.Get(0)) background->Draw(this);
  for (int i = 1; i < mControls.GetSize(); ++i)
    DrawControlAndClean(mControls.Get(i), this, *region, true);
}

void IGraphics::LooseDraw() {
  IControl* background = mControls.Get(0);
  if (background && background->IsDirty()) {
    mDrawRECT = background->GetRECT();
    for (int j = 0; j < mControls.GetSize(); ++j) {
      IControl* control = mControls.Get(j);
      if (j > 0 && control->IsHidden()) continue;
      control->Draw(this);
      control->SetClean();
    }
    return;
  }
  for (int i = 1; i < mControls.GetSize(); ++i) {
    IControl* dirty = mControls.Get(i);
    if (!dirty->IsDirty()) continue;
    mDrawRECT = dirty->GetRECT();
    for (int j = 0; j < mControls.GetSize(); ++j) {
      IControl* control = mControls.Get(j);
      const IRECT& rect = control->GetRECT();
      if (control->IsHidden()) continue;
      if (j == i || (!rect.Empty() && !mDrawRECT.Empty() && rect.Intersects(mDrawRECT)))
        control->Draw(this);
    }
    dirty->SetClean();
  }
}

// ---- Input -----------------------------------------------------------------

IControl* IGraphics::HitTest(int x, int y, bool mouseOver) {
  for (int i = mLayers.GetSize() - 1; i >= 0; --i)
    if (IControl* hit = mLayers.Get(i)->isHit(x, y)) return hit;
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* control = mControls.Get(i);
    if (control->IsHidden()) continue;
    if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
    if (control->IsHit(x, y)) return control;
  }
  return nullptr;
}

IControl* IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
  return mMouseCapture ? mMouseCapture : HitTest(x, y, mouseOver);
}

IControl* IGraphics::CapturedOrHit(int x, int y) {
  return GetMouseControlIdx(x, y, false);
}

// The host hears only of parameters it was offered.
bool IGraphics::OfferedToHost(int paramIdx) const {
  return mPlug && paramIdx >= 0 && paramIdx < mPlug->NHostParams();
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  IControl* control = HitTest(x, y, false);
  if (!control) return;
  mMouseCapture = control;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDown(x, y, mod);
  if (OfferedToHost(control->ParamIdx())) mPlug->BeginInformHostOfParamChange(control->ParamIdx());
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  IControl* control = CapturedOrHit(x, y);
  ReleaseMouseCapture();
  if (!control) return;
  control->OnMouseUp(x, y, mod);
  if (OfferedToHost(control->ParamIdx())) mPlug->EndInformHostOfParamChange(control->ParamIdx());
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  if (!mMouseCapture || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX;
  const int dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  mMouseCapture->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  IControl* control = HitTest(x, y, false);
  if (!control) return false;
  if (control->GetDblAsSingleClick()) {
    mMouseCapture = control;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDown(x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  if (IControl* control = CapturedOrHit(x, y)) control->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  if (!mHandleMouseOver) return false;
  IControl* control = GetMouseControlIdx(x, y, true);
  if (control) {
    mMouseX = x;
    mMouseY = y;
    control->OnMouseOver(x, y, mod);
    if (mMouseOver && mMouseOver != control) mMouseOver->OnMouseOut();
    mMouseOver = control;
  }
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = nullptr;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  IControl* control = CapturedOrHit(x, y);
  if (!control) control = mKeyCatcher;
  return control ? control->OnKeyDown(x, y, key) : false;
}

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = nullptr;
  mMouseX = mMouseY = -1;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  IControl* control = CapturedOrHit(x, y);
  mLastClickedParam = control ? control->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  const int last = mLastClickedParam;
  mLastClickedParam = -1;
  return last;
}

// ---- Prompts ---------------------------------------------------------------

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect) {
  if (!control || !param || !rect) return;
  char current[kDisplayBufferSize];
  if (IsMenuKind(param)) {
    param->GetDisplayForHost(param->Value(), false, current, true, sizeof current);
    IPopupMenu menu;
    for (int i = 0; i < param->GetNDisplayTexts(); ++i) {
      const char* text = param->GetDisplayText(i);
      const bool checked = std::strcmp(text, current) == 0;
      menu.AddItem(text, -1, checked ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }
    if (CreateIPopupMenu(&menu, rect))
      control->SetValueFromUserInput(param->GetNormalized(menu.GetChosenItemIdx()));
    return;
  }
  const bool isText = param->Type() == IParam::kTypeText;
  param->GetDisplayForHost(param->Value(), false, current, isText, sizeof current);
  CreateTextEntry(control, control->GetText(), rect, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text) {
  if (!param || !control) return;
  double plain = 0.0;
  switch (param->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeEnum: {
      int mapped = 0;
      if (param->MapDisplayText(text, &mapped)) plain = mapped;
      break;
    }
    case IParam::kTypeText: {
      // A new text always changes the control, so that the plug-in hears it.
      param->SetDisplayText(0, text ? text : "");
      const double x = control->GetValue() == 0.0 ? 1.0 : 0.0;
      param->Set(x < param->GetMin() ? param->GetMin() : std::min(x, param->GetMax()));
      control->SetValueFromUserInput(x);
      break;
    }
    default:
      plain = text ? std::atof(text) : 0.0;
      break;
  }
  control->SetValueFromUserInput(param->GetNormalized(plain));
}

// ---- Files -----------------------------------------------------------------

unsigned char* IGraphics::LoadFile(int id, const char* name) {
  return OSLoadFile(id, name);
}

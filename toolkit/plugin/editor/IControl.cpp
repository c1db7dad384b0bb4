#include "toolkit/plugin/editor/IControl.h"

#include <algorithm>
#include <cmath>

#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace {

// The value prompt of a parameter without display texts is this small.
constexpr int kPromptHalfWidth = 15;
constexpr int kPromptHalfHeight = 8;
constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;
constexpr float kGreyedWeight = 0.5f;

}  // namespace

IControl::IControl(IPluginBase* plug, IRECT rect, int paramIdx, IChannelBlend blend)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blend) {}

IControl::~IControl() {
  mAuxParams.Empty(true);
}

void IControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (!mGrayed && mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (mGrayed || mDefaultValue < 0.0) return;
  mValue = mDefaultValue.load();
  SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
  const bool fine = mod && (mod->S || mod->C);
  mValue = mValue + d * (fine ? kFineWheelStep : kWheelStep);
  SetDirty(true);
}

bool IControl::TakeFirstOrSameValue(double value) {
  if (mDefaultValue < 0.0) {
    mValue = value;
    mDefaultValue = value;
    return true;
  }
  return value == mValue;
}

void IControl::SetValueFromPlug(double value) {
  if (TakeFirstOrSameValue(value)) return;
  mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::SetValueFromHardware(double value) {
  if (TakeFirstOrSameValue(value)) return;
  mValue = value;
  SetDirty2(true);
  mRedraw = true;
}

void IControl::SetValueFromUserInput(double value) {
  if (value == mValue) {
    if (mReportsRepeat && mPlug && mParamIdx >= 0) mPlug->RepeatParameterFromGUI(mParamIdx);
    return;
  }
  mValue = value;
  SetDirty(true);
  mRedraw = true;
}

void IControl::Hide(bool hide) {
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlend.mWeight = gray ? kGreyedWeight : 1.0f;
  SetDirty(false);
}

void IControl::SetDirty(bool report) {
  Report(report, false);
}

void IControl::SetDirty2(bool report) {
  Report(report, true);
}

void IControl::Report(bool report, bool fromHardware) {
  const double value = mValue.load();
  const double lo = mClampLo.load();
  const double hi = mClampHi.load();
  // NaN would pass any clamp and reach the drawing's integer casts.
  mValue = std::isnan(value) ? lo : std::clamp(value, lo, std::max(lo, hi));
  mDirty = true;
  if (!report || !mPlug || mParamIdx < 0) return;
  if (fromHardware)
    mPlug->SetParameterFromGUI2(mParamIdx, mValue);
  else
    mPlug->SetParameterFromGUI(mParamIdx, mValue);
  UpdateDisplays();
}

void IControl::UpdateDisplays() {
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  if (mValueDisplayControl) {
    char display[IParam::kDisplayTextSize];
    param->GetDisplayForHost(param->Value(), false, display, true);
    if (!mValueDisplayControl->TextEquals(display)) mValueDisplayControl->SetTextFromPlug(display);
  }
  if (mNameDisplayControl && !mNameDisplayControl->TextEquals(param->GetNameForHost()))
    mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean() {
  mDirty = mRedraw.load();
  mRedraw = false;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  AuxParam* aux = GetAuxParam(auxParamIdx);
  if (!aux || aux->mValue == value) return;
  aux->mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::PromptUserInput() {
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  IGraphics* graphics = mPlug->GetGUI();
  if (!param || !graphics) return;
  if (mBeforePrompt) mBeforePrompt();
  if (param->GetNDisplayTexts()) {
    graphics->PromptUserInput(this, param, &mRECT);
  } else {
    const int cx = (int)((mRECT.L + mRECT.R) * 0.5);
    const int cy = (int)((mRECT.T + mRECT.B) * 0.5);
    IRECT rect(cx - kPromptHalfWidth, cy - kPromptHalfHeight, cx + kPromptHalfWidth,
               cy + kPromptHalfHeight);
    graphics->PromptUserInput(this, param, &rect);
  }
  mRedraw = true;
}

void IControl::PromptUserInput(IRECT* rect) {
  if (mParamIdx < 0 || mDisablePrompt || !mPlug || !rect) return;
  if (IGraphics* graphics = mPlug->GetGUI()) {
    if (mBeforePrompt) mBeforePrompt();
    graphics->PromptUserInput(this, mPlug->GetParam(mParamIdx), rect);
  }
  mRedraw = true;
}

int IControl::AuxParamIdx(int paramIdx) const {
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get(i)->mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx) {
  mAuxParams.Add(new AuxParam(paramIdx));
}

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    mPlug->SetParameterFromGUI(mAuxParams.Get(i)->mParamIdx, mAuxParams.Get(i)->mValue);
}

#include "src/editor/detail/NameField.h"

#include "src/editor/DisplayHost.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

constexpr const char* kAsciiOnly = "Names take ASCII only!";

}  // namespace

NameField::NameField(IPluginBase* plug, IRECT rect, int paramIdx, IText* style,
                     const DisplayHost* host)
    : ICaptionControl(plug, rect, paramIdx, style, true), mHost(host) {}

void NameField::OnMouseDown(int, int, IMouseMod* mod) {
  if (mGrayed || !mod || !(mod->L || mod->R)) return;
  promptName();
}

void NameField::OnMouseDblClick(int, int, IMouseMod*) {
  if (!mGrayed) promptName();
}

bool NameField::Draw(IGraphics* graphics) {
  const std::string shown = name();
  return shown.empty() || graphics->DrawITextInside(&mText, shown.c_str(), mRECT);
}

void NameField::OnTextEntryRefused() {
  if (!mHost) return;
  if (ITextControl* statusLine = mHost->displayNameControl())
    statusLine->SetTextFromPlug(kAsciiOnly);
  // The value line under it was an earlier edit's.
  if (ITextControl* valueLine = mHost->displayValueControl()) valueLine->SetTextFromPlug("");
}

std::string NameField::name() const {
  std::string name = Caption();
  name.erase(name.find_last_not_of(' ') + 1);
  return name;
}

void NameField::promptName() {
  IParam* param = mPlug->GetParam(mParamIdx);
  IGraphics* graphics = mPlug->GetGUI();
  if (IsPromptDisabled() || !param || !graphics) return;
  graphics->CreateTextEntry(this, &mText, &mRECT, name().c_str(), param);
  SetRedraw();
}

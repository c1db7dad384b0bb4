#include "src/librarian/view/LibrarianMenuControl.h"

#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IGraphics.h"

LibrarianMenuControl::LibrarianMenuControl(IPluginBase* plug, PatchLibrarian* librarian, IRECT rect,
                                           LibrarianHost* host)
    : IControl(plug, rect), mLibrarian(librarian), mHost(host) {}

bool LibrarianMenuControl::Draw(IGraphics* graphics) {
  return graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT);
}

IPopupMenu* LibrarianMenuControl::open(IPopupMenu* menu) {
  IGraphics* graphics = mPlug->GetGUI();
  return graphics ? graphics->CreateIPopupMenu(menu, &mRECT) : nullptr;
}

int LibrarianMenuControl::intValue(int paramIdx) const {
  const IParam* param = mPlug->GetParam(paramIdx);
  return param ? sysex::truncateValue(param->Value()) : 0;
}

void LibrarianMenuControl::setFromPlug(int paramIdx, double value) const {
  if (IGraphics* graphics = mPlug->GetGUI())
    graphics->SetParameterFromPlug(paramIdx, value, false);
  else if (IParam* param = mPlug->GetParam(paramIdx))
    param->SetClamped(value);
}

void LibrarianMenuControl::store(int paramIdx, double value) const {
  if (IParam* param = mPlug->GetParam(paramIdx)) param->SetClamped(value);
}

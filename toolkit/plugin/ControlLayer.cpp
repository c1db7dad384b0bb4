#include "toolkit/plugin/ControlLayer.h"

#include <utility>

#include "toolkit/plugin/IControl.h"

namespace {

// Zones that the custom grey-out and the user arpeggiator act on.
constexpr int kCustomZoneFirst = 10;
constexpr int kArpZoneFirst = 200;
constexpr int kZoneLast = 252;

}  // namespace

ControlLayer::ControlLayer(int layerId, std::string layerName)
    : id(layerId), name(std::move(layerName)) {}

ControlLayer::~ControlLayer() {
  for (int i = controls.GetSize() - 1; i >= 0; --i) delete controls.Get(i);
  for (int i = childLayers.GetSize() - 1; i >= 0; --i) delete childLayers.Get(i);
}

template <class Apply>
void ControlLayer::ForSelectedChild(Apply apply) {
  for (int i = 0; i < childLayers.GetSize(); ++i)
    if (childLayers.Get(i)->id == selectedChildId) apply(childLayers.Get(i));
}

void ControlLayer::Hide(bool hide) {
  visible = !hide;
  setControlsDirty();
  for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->Hide(hide);
  if (hide) {
    for (int i = 0; i < childLayers.GetSize(); ++i) childLayers.Get(i)->Hide(true);
  } else {
    ForSelectedChild([](ControlLayer* child) { child->Hide(false); });
  }
}

void ControlLayer::GrayOut(bool gray) {
  for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->GrayOut(gray);
  if (gray) {
    for (int i = 0; i < childLayers.GetSize(); ++i) childLayers.Get(i)->GrayOut(true);
  } else {
    ForSelectedChild([](ControlLayer* child) { child->GrayOut(false); });
  }
}

void ControlLayer::setControlsDirty() {
  for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->SetDirty(false);
  for (int i = 0; i < childLayers.GetSize(); ++i) childLayers.Get(i)->setControlsDirty();
}

void ControlLayer::setIgnoreHiddenWhenUpdatingScreen(bool flag) {
  ignoreHiddenWhenUpdatingScreen = flag;
  for (int i = 0; i < childLayers.GetSize(); ++i)
    childLayers.Get(i)->setIgnoreHiddenWhenUpdatingScreen(flag);
  // Only the first control keeps its area in the dirty scan while hidden.
  if (IControl* first = controls.Get(0)) first->SetIgnoreHiddenWhenUpdatingScreen(flag);
}

void ControlLayer::GrayOutCustomZone(bool gray, int zone) {
  selectedChildId = zone;
  if (zone < kCustomZoneFirst || zone > kZoneLast) return;
  for (int i = 0; i < childLayers.GetSize(); ++i)
    if (childLayers.Get(i)->id == zone) childLayers.Get(i)->GrayOut(gray);
}

void ControlLayer::GrayOutUserArp(bool, int selection, int limit) {
  selectedChildId = selection;
  if (selection < kArpZoneFirst || selection > kZoneLast) return;
  for (int i = 0; i < childLayers.GetSize(); ++i) {
    ControlLayer* child = childLayers.Get(i);
    child->GrayOut(child->id > limit && child->id <= kZoneLast);
  }
}

bool ControlLayer::isDirty(IRECT* region) {
  if (!visible && !ignoreHiddenWhenUpdatingScreen) return false;
  bool dirty = false;
  for (int i = 0; i < controls.GetSize(); ++i) {
    IControl* control = controls.Get(i);
    if (control->IsHidden() && !control->IgnoresHiddenWhenUpdatingScreen()) continue;
    if (control->IsDirty()) {
      *region = region->Union(control->GetRECT());
      dirty = true;
    }
  }
  for (int i = 0; i < childLayers.GetSize(); ++i)
    if (childLayers.Get(i)->isDirty(region)) dirty = true;
  return dirty;
}

void ControlLayer::Draw(IGraphics* graphics, IRECT* drawRect) {
  const bool canDraw = visible && !drawRect->Empty();
  for (int i = 0; i < controls.GetSize(); ++i) {
    IControl* control = controls.Get(i);
    const IRECT& rect = control->GetRECT();
    if (canDraw && !control->IsHidden() && !rect.Empty() && drawRect->Intersects(rect))
      control->Draw(graphics);
    control->SetClean();
  }
  for (int i = 0; i < childLayers.GetSize(); ++i) childLayers.Get(i)->Draw(graphics, drawRect);
}

IControl* ControlLayer::isHit(int x, int y) {
  if (!visible) return nullptr;
  for (int i = childLayers.GetSize() - 1; i >= 0; --i)
    if (IControl* hit = childLayers.Get(i)->isHit(x, y)) return hit;
  for (int i = controls.GetSize() - 1; i >= 0; --i) {
    IControl* control = controls.Get(i);
    if (!control->IsHidden() && control->IsHit(x, y)) return control;
  }
  return nullptr;
}

IControl* ControlLayer::getControlFromParam(int paramIdx) {
  if (!visible) return nullptr;
  for (int i = childLayers.GetSize() - 1; i >= 0; --i)
    if (IControl* found = childLayers.Get(i)->getControlFromParam(paramIdx)) return found;
  for (int i = controls.GetSize() - 1; i >= 0; --i)
    if (controls.Get(i)->ParamIdx() == paramIdx) return controls.Get(i);
  return nullptr;
}

void ControlLayer::SetParameterFromPlug(int paramIdx, double normalizedValue, bool normalized) {
  for (int i = 0; i < controls.GetSize(); ++i) {
    IControl* control = controls.Get(i);
    if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(normalizedValue);
    const int aux = control->AuxParamIdx(paramIdx);
    if (aux >= 0) control->SetAuxParamValueFromPlug(aux, normalizedValue);
  }
  for (int i = 0; i < childLayers.GetSize(); ++i)
    childLayers.Get(i)->SetParameterFromPlug(paramIdx, normalizedValue, normalized);
}

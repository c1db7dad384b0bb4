#include "toolkit/plugin/editor/ControlLayer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "toolkit/plugin/editor/IControl.h"

namespace {

// Zones that the custom grey-out and the user arpeggiator act on.
constexpr int kCustomZoneFirst = 10;
constexpr int kArpZoneFirst = 200;
constexpr int kZoneLast = 252;

bool Within(int value, int lo, int hi) {
  return value >= lo && value <= hi;
}

// Whether selecting v touches the member `id`, by v's band.
bool MemberTouched(int v, int id) {
  const bool low = id < 10, arp = Within(id, 200, 299);
  const int decade = v / 10 * 10;
  if (Within(v, 10, 19)) return id < 20 || Within(id, 70, 299);
  // Above 100 a band is nine selections wide; its tenth id is still touched.
  if (Within(v, 20, 188) && (v < 100 || v % 10 != 9))
    return low || Within(id, decade, decade + 9) || arp;
  if (Within(v, 190, 198)) return low || Within(id, 190, 199);
  if (Within(v, 200, 298)) return low || arp;
  if (v >= 300) return low || id >= 300;
  return false;
}

}  // namespace

bool ScanDirtyControl(IControl* control, IRECT* region) {
  if (control->IsHidden() && !control->IgnoresHiddenWhenUpdatingScreen()) return false;
  if (!control->IsDirty()) return false;
  *region = region->Union(control->GetRECT());
  return true;
}

void DrawControlAndClean(IControl* control, IGraphics* graphics, const IRECT& drawRect,
                         bool canDraw) {
  // Intersects is false for an empty rectangle on either side.
  if (canDraw && !control->IsHidden() && drawRect.Intersects(control->GetRECT()))
    control->Draw(graphics);
  control->SetClean();
}

void PushValueToControl(IControl* control, int paramIdx, double normalizedValue) {
  if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(normalizedValue);
  const int aux = control->AuxParamIdx(paramIdx);
  if (aux >= 0) control->SetAuxParamValueFromPlug(aux, normalizedValue);
}

void PushValuesToControl(IControl* control, const std::vector<double>& normalizedValues) {
  auto push = [&](int paramIdx) {
    if (paramIdx >= 0 && paramIdx < (int)normalizedValues.size() &&
        !std::isnan(normalizedValues[paramIdx]))
      PushValueToControl(control, paramIdx, normalizedValues[paramIdx]);
  };
  if (control->NAuxParams() == 0) return push(control->ParamIdx());
  std::vector<int> bound = {control->ParamIdx()};
  for (int i = 0; i < control->NAuxParams(); ++i)
    bound.push_back(control->GetAuxParam(i)->mParamIdx);
  std::sort(bound.begin(), bound.end());
  bound.erase(std::unique(bound.begin(), bound.end()), bound.end());
  for (int paramIdx : bound) push(paramIdx);
}

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

void ControlLayer::setIgnoreHiddenFlags(bool flag) {
  ignoreHiddenWhenUpdatingScreen = flag;
  for (int i = 0; i < childLayers.GetSize(); ++i) childLayers.Get(i)->setIgnoreHiddenFlags(flag);
}

void ControlLayer::setIgnoreHiddenWhenUpdatingScreen(bool flag) {
  setIgnoreHiddenFlags(flag);
  // Only the layer's own first control keeps its area in the dirty scan while hidden; the
  // controls of the layers below keep theirs.
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

void ControlLayer::showMultiLayers(int v) {
  selectedChildId = v;
  const bool showAll = Within(v, 200, 298);
  for (int i = 0; i < childLayers.GetSize(); ++i) {
    ControlLayer* member = childLayers.Get(i);
    if (MemberTouched(v, member->id)) member->Hide(!showAll && member->id != v);
  }
}

bool ControlLayer::isDirty(IRECT* region) {
  if (!visible && !ignoreHiddenWhenUpdatingScreen) return false;
  bool dirty = false;
  for (int i = 0; i < controls.GetSize(); ++i)
    if (ScanDirtyControl(controls.Get(i), region)) dirty = true;
  for (int i = 0; i < childLayers.GetSize(); ++i)
    if (childLayers.Get(i)->isDirty(region)) dirty = true;
  return dirty;
}

void ControlLayer::Draw(IGraphics* graphics, IRECT* drawRect) {
  for (int i = 0; i < controls.GetSize(); ++i)
    DrawControlAndClean(controls.Get(i), graphics, *drawRect, visible);
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

void ControlLayer::SetParametersFromPlug(const std::vector<double>& normalizedValues) {
  for (int i = 0; i < controls.GetSize(); ++i)
    PushValuesToControl(controls.Get(i), normalizedValues);
  for (int i = 0; i < childLayers.GetSize(); ++i)
    childLayers.Get(i)->SetParametersFromPlug(normalizedValues);
}

void ControlLayer::SetParameterFromPlug(int paramIdx, double normalizedValue, bool normalized) {
  for (int i = 0; i < controls.GetSize(); ++i)
    PushValueToControl(controls.Get(i), paramIdx, normalizedValue);
  for (int i = 0; i < childLayers.GetSize(); ++i)
    childLayers.Get(i)->SetParameterFromPlug(paramIdx, normalizedValue, normalized);
}

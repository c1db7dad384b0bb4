#include "src/editor/EditorConfigManager.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/IStockControls.h"

namespace {

// The mixer and settings pages of the MSB/LSB kinds; knobs and menus know the first five.
const char* const kMsbLsbPages[] = {"miniMixer",
                                    "multiModeMixer",
                                    "miniMixer2",
                                    "multiModeMixer2",
                                    "multiModeSettingsPage1",
                                    "additionalSettingsPart1",
                                    "additionalSettingsPart2",
                                    "additionalSettingsPart3",
                                    "additionalSettingsPart4",
                                    "additionalSettingsPart5",
                                    "additionalSettingsPart6",
                                    "additionalSettingsPart7",
                                    "additionalSettingsPart8"};
constexpr size_t kMixerPages = 5;

bool onMsbLsbPage(const ControlLayer* layer, bool switchPages) {
  if (!layer) return false;
  const size_t count = switchPages ? std::size(kMsbLsbPages) : kMixerPages;
  return std::find(kMsbLsbPages, kMsbLsbPages + count, layer->name) != kMsbLsbPages + count;
}

}  // namespace

static_assert(kSliderVertical == kVertical && kSliderHorizontal == kHorizontal,
              "the configuration's slider directions are the framework's");

void EditorConfigManager::initImages(IGraphics* graphics) {
  mImages.setStyle(style());
  mImages.setScale(scale());
  mImages.setLog(logSink());
  mImages.initImages(graphics);
}

ControlLayer* EditorConfigManager::newLayer(int id, const std::string& name) {
  return new ControlLayer(id, name);
}

void EditorConfigManager::attachLayer(ControlLayer* layer, ControlLayer* parent) {
  if (parent)
    parent->childLayers.Add(layer);
  else
    graphics()->AttachLayer(layer);
}

void EditorConfigManager::setLayerOverlay(ControlLayer* layer, bool overlay) {
  layer->setIgnoreHiddenWhenUpdatingScreen(overlay);
}

IPluginBase* EditorConfigManager::plug() const {
  return plugin()->configPluginBase();
}

IParam* EditorConfigManager::parameter(int paramIdx) const {
  IParam* param = plug()->GetParam(paramIdx);
  if (!param) logSkipped("parameter index " + std::to_string(paramIdx) + " names no parameter");
  return param;
}

std::string EditorConfigManager::partName(const std::string& name, int part) {
  return part >= 0 ? "[" + std::to_string(part + 1) + "] " + name : name;
}

int EditorConfigManager::scaled(int value) const {
  return whole(value * scale());
}

int EditorConfigManager::whole(double value) {
  if (!(value == value)) return 0;
  return static_cast<int>(std::trunc(std::fmin(std::fmax(value, INT_MIN), INT_MAX)));
}

int EditorConfigManager::valueCount(double minValue, double maxValue) {
  return whole(std::trunc(maxValue) - std::trunc(minValue) + 1);
}

IRECT EditorConfigManager::frameRect(int x, int y, const IBitmap& bitmap) const {
  const int left = scaled(x), top = scaled(y);
  return IRECT(left, top, left + bitmap.W, top + bitmap.H / std::max(bitmap.N, 1));
}

void EditorConfigManager::place(IControl* control, ControlLayer* layer) {
  if (layer)
    layer->controls.Add(control);
  else
    graphics()->AttachControl(control);
}

ControlAction& EditorConfigManager::placeAndBind(IControl* control, ControlLayer* layer,
                                                 int messageType) {
  return placeAndBind(control, layer, control->ParamIdx(), messageType);
}

ControlAction& EditorConfigManager::placeAndBind(IControl* control, ControlLayer* layer,
                                                 int paramIdx, int messageType) {
  place(control, layer);
  ControlAction& action = bindControlAction(paramIdx, messageType);
  action.controls.push_back(control);
  return action;
}

void EditorConfigManager::bindMsbLsb(ControlAction& action, const MsbLsbNumbers& numbers,
                                     int mixerChannel, int part, const ControlLayer* layer,
                                     bool switchPages, IControl* control) {
  const bool onPage = onMsbLsbPage(layer, switchPages);
  bindNRPNControl(action, numbers, onPage ? mixerChannel : part + 1, onPage && !switchPages ? 1 : 0,
                  control);
}

IRECT EditorConfigManager::scaledRect(int x, int y, int w, int h) const {
  const int left = scaled(x), top = scaled(y);
  return IRECT(left, top, left + scaled(w), top + scaled(h));
}

IText EditorConfigManager::textStyle(int h, const IColor& colour) const {
  return IText(scaled(h), &colour, "NK57 Monospace");
}

#include <utility>

#include "src/config/ControlMaps.h"
#include "src/editor/EditorConfigManager.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/IStockControls.h"

namespace {

// Dragging up by four knob heights turns a knob from end to end.
constexpr double knobGearing = 4.0;

}  // namespace

void EditorConfigManager::createNoValKnobControl(std::string name, int paramIdx, int x, int y,
                                                 std::string imageId, double defaultValue,
                                                 double minValue, double maxValue, double, int part,
                                                 ControlLayer* layer, std::string group) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return;
  param->InitDouble(name.c_str(), defaultValue, minValue, maxValue, 1.0, "",
                    getParamGroup(part, group), -1, -1);
  IControl* knob = new IKnobMultiControl(plug(), scaled(x), scaled(y), paramIdx, &bitmap, kVertical,
                                         knobGearing);
  place(knob, layer);
}

void EditorConfigManager::createCCKnobControl(int ccNumber, int channel, std::string name,
                                              int paramIdx, int x, int y, std::string imageId,
                                              double defaultValue, double minValue, double maxValue,
                                              double step, LinkInfo link, int part,
                                              ControlLayer* layer, std::string group) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return;
  param->InitDouble(partName(name, part).c_str(), defaultValue, minValue, maxValue, whole(step), "",
                    getParamGroup(part, group), -1, -1);
  IControl* knob = new IKnobMultiControl(plug(), scaled(x), scaled(y), paramIdx, &bitmap, kVertical,
                                         knobGearing);
  ControlAction& action = placeAndBind(knob, layer, kMessageCC);
  setControlLink(&action, paramIdx, link, part);
  // Outside every part the knob answers only its own channel's lookups, not sub-key 0.
  bindCCControl(action, ccNumber, channel, part, part == -1 ? 1 : 0, knob);
}

void EditorConfigManager::createSysExKnobControl(std::string name, int paramIdx, int x, int y,
                                                 std::string imageId, double defaultValue,
                                                 double minValue, double maxValue, double, int,
                                                 int sysexIndex, int changingByte, int part,
                                                 LinkInfo link, ControlLayer* layer,
                                                 std::string group) {
  const int first = whole(minValue);
  ControlActionSysExMessage table;
  unsigned char address[4];
  IParam* param = parameter(paramIdx);
  if (!param || !precomputeSysEx(sysexIndex, changingByte, valueCount(minValue, maxValue), first,
                                 first, part, table, address))
    return;
  IBitmap bitmap = getImageByName(graphics(), imageId);
  param->InitDouble(partName(name, part).c_str(), defaultValue, minValue, maxValue, 1.0, "",
                    getParamGroup(part, group), -1, -1);
  IControl* knob = new IKnobMultiControl(plug(), scaled(x), scaled(y), paramIdx, &bitmap, kVertical,
                                         knobGearing);
  ControlAction& action = placeAndBind(knob, layer, kMessageSysEx);
  setControlLink(&action, paramIdx, link, part);
  action.sysexMessages = std::move(table);
  sysexControls().addToControlMap(address, static_cast<unsigned char>(sysexEffectVariant(paramIdx)),
                                  knob);
}

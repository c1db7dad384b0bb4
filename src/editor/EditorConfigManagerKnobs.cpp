#include <utility>

#include "src/config/ControlMaps.h"
#include "src/editor/EditorConfigManager.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/IStockControls.h"

namespace {

// Dragging up by four knob heights turns a knob from end to end.
constexpr double knobGearing = 4.0;

}  // namespace

IControl* EditorConfigManager::makeKnob(const std::string& paramName, int paramIdx, int x, int y,
                                        const std::string& imageId, double defaultValue,
                                        double minValue, double maxValue, double step, int part,
                                        const std::string& group) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return nullptr;
  param->InitDouble(paramName.c_str(), defaultValue, minValue, maxValue, step, "",
                    getParamGroup(part, group), -1, -1);
  return new IKnobMultiControl(plug(), scaled(x), scaled(y), paramIdx, &bitmap, kVertical,
                               knobGearing);
}

void EditorConfigManager::createNoValKnobControl(std::string name, int paramIdx, int x, int y,
                                                 std::string imageId, double defaultValue,
                                                 double minValue, double maxValue, double, int part,
                                                 ControlLayer* layer, std::string group) {
  if (IControl* knob = makeKnob(name, paramIdx, x, y, imageId, defaultValue, minValue, maxValue,
                                1.0, part, group))
    place(knob, layer);
}

void EditorConfigManager::createCCKnobControl(int ccNumber, int channel, std::string name,
                                              int paramIdx, int x, int y, std::string imageId,
                                              double defaultValue, double minValue, double maxValue,
                                              double step, LinkInfo link, int part,
                                              ControlLayer* layer, std::string group) {
  IControl* knob = makeKnob(partName(name, part), paramIdx, x, y, imageId, defaultValue, minValue,
                            maxValue, whole(step), part, group);
  if (!knob) return;
  ControlAction& action = placeAndBind(knob, layer, kMessageCC);
  setControlLink(&action, paramIdx, link, part);
  // Outside every part the knob answers only its own channel's lookups, not sub-key 0.
  bindCCControl(action, ccNumber, channel, part, part == -1 ? 1 : 0, knob);
}

void EditorConfigManager::createMsbLsbKnobControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3,
                                                  int mixerChannel, std::string name, int paramIdx,
                                                  int x, int y, std::string imageId,
                                                  double defaultValue, double minValue,
                                                  double maxValue, double, LinkInfo link, int part,
                                                  ControlLayer* layer, std::string group) {
  IControl* knob = makeKnob(partName(name, part), paramIdx, x, y, imageId, defaultValue, minValue,
                            maxValue, 1.0, part, group);
  if (!knob) return;
  ControlAction& action = placeAndBind(knob, layer, kMessageNRPN);
  setControlLink(&action, paramIdx, link, part);
  bindMsbLsb(action, {ccNumber, nrpn1, nrpn2, nrpn3}, mixerChannel, part, layer, false, knob);
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
  if (!parameter(paramIdx) ||
      !precomputeSysEx(sysexIndex, changingByte, valueCount(minValue, maxValue), first, first, part,
                       table, address))
    return;
  IControl* knob = makeKnob(partName(name, part), paramIdx, x, y, imageId, defaultValue, minValue,
                            maxValue, 1.0, part, group);
  ControlAction& action = placeAndBind(knob, layer, kMessageSysEx);
  setControlLink(&action, paramIdx, link, part);
  action.sysexMessages = std::move(table);
  sysexControls().addToControlMap(address, static_cast<unsigned char>(sysexEffectVariant(paramIdx)),
                                  knob);
}

#include <cmath>
#include <utility>

#include "src/editor/EditorConfigManager.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/IStockControls.h"

IControl* EditorConfigManager::makeFader(const std::string& paramName, int paramIdx, int x, int y,
                                         int length, const std::string& imageId,
                                         double defaultValue, double minValue, double maxValue,
                                         int part, const std::string& group, EDirection direction) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return nullptr;
  param->InitDouble(paramName.c_str(), defaultValue, minValue, maxValue, 1.0, "",
                    getParamGroup(part, group), -1, -1);
  return new IFaderControl(plug(), scaled(x), scaled(y), scaled(length), paramIdx, &bitmap,
                           direction, false);
}

void EditorConfigManager::createCCSliderControl(int ccNumber, int channel, std::string name,
                                                int paramIdx, int x, int y, int length,
                                                std::string imageId, double defaultValue,
                                                double minValue, double maxValue, LinkInfo link,
                                                int part, ControlLayer* layer, std::string group,
                                                EDirection direction, bool) {
  IControl* fader = makeFader(partName(name, part), paramIdx, x, y, length, imageId, defaultValue,
                              minValue, maxValue, part, group, direction);
  if (!fader) return;
  ControlAction& action = placeAndBind(fader, layer, kMessageCC);
  setControlLink(&action, paramIdx, link, part);
  bindCCControl(action, ccNumber, channel, part, 0, fader);
}

void EditorConfigManager::createSysExSliderControl(std::string name, int paramIdx, int x, int y,
                                                   int length, std::string imageId,
                                                   double defaultValue, double minValue,
                                                   double maxValue, double, int msgZeroVal,
                                                   int sysexIndex, int changingByte, int part,
                                                   LinkInfo link, ControlLayer* layer,
                                                   std::string group, EDirection direction, bool) {
  // The zero offset shifts the values sent against the parameter's own range.
  const int first = whole(std::trunc(minValue) + msgZeroVal);
  ControlActionSysExMessage table;
  unsigned char address[4];
  if (!parameter(paramIdx) ||
      !precomputeSysEx(sysexIndex, changingByte, valueCount(minValue, maxValue), first,
                       whole(minValue), part, table, address))
    return;
  IControl* fader = makeFader(partName(name, part), paramIdx, x, y, length, imageId, defaultValue,
                              minValue, maxValue, part, group, direction);
  ControlAction& action = placeAndBind(fader, layer, kMessageSysEx);
  setControlLink(&action, paramIdx, link, part);
  action.sysexMessages = std::move(table);
  sysexControls().addToControlMap(address, 0, fader);
}

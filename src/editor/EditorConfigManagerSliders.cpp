#include <cmath>
#include <utility>

#include "src/editor/EditorConfigManager.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/IStockControls.h"

void EditorConfigManager::createCCSliderControl(int ccNumber, int channel, std::string name,
                                                int paramIdx, int x, int y, int length,
                                                std::string imageId, double defaultValue,
                                                double minValue, double maxValue, LinkInfo link,
                                                int part, ControlLayer* layer, std::string group,
                                                EDirection direction, bool) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return;
  param->InitDouble(partName(name, part).c_str(), defaultValue, minValue, maxValue, 1.0, "",
                    getParamGroup(part, group), -1, -1);
  IControl* fader = new IFaderControl(plug(), scaled(x), scaled(y), scaled(length), paramIdx,
                                      &bitmap, direction, false);
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
  IParam* param = parameter(paramIdx);
  if (!param || !precomputeSysEx(sysexIndex, changingByte, valueCount(minValue, maxValue), first,
                                 whole(minValue), part, table, address))
    return;
  IBitmap bitmap = getImageByName(graphics(), imageId);
  param->InitDouble(partName(name, part).c_str(), defaultValue, minValue, maxValue, 1.0, "",
                    getParamGroup(part, group), -1, -1);
  IControl* fader = new IFaderControl(plug(), scaled(x), scaled(y), scaled(length), paramIdx,
                                      &bitmap, direction, false);
  ControlAction& action = placeAndBind(fader, layer, kMessageSysEx);
  setControlLink(&action, paramIdx, link, part);
  action.sysexMessages = std::move(table);
  sysexControls().addToControlMap(address, 0, fader);
}

#include <utility>

#include "src/editor/EditorConfigManager.h"
#include "src/editor/detail/ICustomRadioButtonsControl.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/IStockControls.h"

IControl* EditorConfigManager::makeSwitch(bool momentary, const std::string& paramName,
                                          int paramIdx, bool defaultOn, int x, int y,
                                          const std::string& imageId, int part,
                                          const std::string& group) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return nullptr;
  param->InitBool(paramName.c_str(), defaultOn, "", getParamGroup(part, group), -1, -1);
  const IRECT rect = frameRect(x, y, bitmap);
  if (momentary) return new IContactControl(plug(), rect, paramIdx, &bitmap);
  return new ISwitchControl(plug(), rect, paramIdx, &bitmap);
}

void EditorConfigManager::createBoolControl(std::string name, int paramIdx, int defaultOn, int x,
                                            int y, std::string imageId, int part,
                                            ControlLayer* layer, std::string group) {
  if (IControl* button =
          makeSwitch(false, name, paramIdx, defaultOn != 0, x, y, imageId, part, group))
    placeAndBind(button, layer, kMessageNone);
}

void EditorConfigManager::createSwitchControl(std::string name, int paramIdx, int defaultOn, int x,
                                              int y, std::string imageId, int part,
                                              ControlLayer* layer, std::string group) {
  if (IControl* button =
          makeSwitch(true, name, paramIdx, defaultOn != 0, x, y, imageId, part, group))
    placeAndBind(button, layer, kMessageNone);
}

IControl* EditorConfigManager::createAutoOffSwitchControl(std::string name, int paramIdx, int x,
                                                          int y, std::string imageId, int part,
                                                          ControlLayer* layer, std::string group) {
  IControl* button = makeSwitch(true, name, paramIdx, false, x, y, imageId, part, group);
  if (button) placeAndBind(button, layer, kMessageNone);
  return button;
}

void EditorConfigManager::createCCBoolControl(int ccNumber, int channel, std::string name,
                                              int paramIdx, int x, int y, std::string imageId,
                                              double defaultOn, double offValue, double onValue,
                                              LinkInfo, int part, ControlLayer* layer,
                                              std::string group) {
  IControl* button = makeSwitch(false, partName(name, part), paramIdx, defaultOn != 0.0, x, y,
                                imageId, part, group);
  if (!button) return;
  ControlAction& action = placeAndBind(button, layer, kMessageCCOffOn);
  action.ccOffValue = whole(offValue);
  action.ccOnValue = whole(onValue);
  bindCCControl(action, ccNumber, channel, part, 0, button);
}

void EditorConfigManager::createMsbLsbBoolControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3,
                                                  int mixerChannel, std::string name, int paramIdx,
                                                  int x, int y, std::string imageId,
                                                  double defaultOn, double offValue, double onValue,
                                                  LinkInfo link, int part, ControlLayer* layer,
                                                  std::string group) {
  IControl* button = makeSwitch(false, partName(name, part), paramIdx, defaultOn != 0.0, x, y,
                                imageId, part, group);
  if (!button) return;
  ControlAction& action = placeAndBind(button, layer, kMessageNRPN);
  action.ccOffValue = whole(offValue);
  action.ccOnValue = whole(onValue);
  setControlLink(&action, paramIdx, link, part);
  bindMsbLsb(action, {ccNumber, nrpn1, nrpn2, nrpn3}, mixerChannel, part, layer, true, button);
}

void EditorConfigManager::createSysExBoolControl(std::string name, int paramIdx, int x, int y,
                                                 std::string imageId, double defaultOn, int,
                                                 int sysexIndex, int changingByte, int part,
                                                 LinkInfo link, ControlLayer* layer,
                                                 std::string group) {
  // Off and on: the values 0 and 1, whatever the zero offset.
  ControlActionSysExMessage table;
  unsigned char address[4];
  if (!parameter(paramIdx) ||
      !precomputeSysEx(sysexIndex, changingByte, 2, 0, 0, part, table, address))
    return;
  IControl* button = makeSwitch(false, partName(name, part), paramIdx, defaultOn != 0.0, x, y,
                                imageId, part, group);
  ControlAction& action = placeAndBind(button, layer, kMessageSysExOne);
  setControlLink(&action, paramIdx, link, part);
  action.sysexMessages = std::move(table);
  sysexControls().addToControlMap(address, 0, button);
}

void EditorConfigManager::createRadioControl(std::string name, int paramIdx, int x, int y,
                                             std::string imageId, int buttons, int part,
                                             ControlLayer* layer, std::string group, bool) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  IParam* param = parameter(paramIdx);
  if (!param) return;
  param->InitEnum(name.c_str(), 0, buttons, "", getParamGroup(part, group), -1, -1);
  // The frame layout of the strip decides: stacked frames make a row, side by side a column.
  const bool stacked = !bitmap.mFramesAreHorizontal;
  const int left = scaled(x), top = scaled(y);
  const IRECT rect(left, top, left + (stacked ? bitmap.W : bitmap.W / 2),
                   top + (stacked ? bitmap.H / 2 : bitmap.H));
  IControl* radio = new ICustomRadioButtonsControl(plug(), rect, paramIdx, buttons, &bitmap,
                                                   stacked ? kHorizontal : kVertical);
  placeAndBind(radio, layer, kMessageNone);
}

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"

ControlAction* UIConfigManager::getControlAction(int paramIdx) const {
  if (paramIdx < 0 || paramIdx >= static_cast<int>(controlActions.size())) return nullptr;
  return controlActions[static_cast<size_t>(paramIdx)].get();
}

std::unique_ptr<ControlAction>& UIConfigManager::actionSlot(int paramIdx) {
  if (controlActions.empty()) controlActions.resize(numParams);
  return controlActions.at(static_cast<size_t>(paramIdx));
}

ControlAction& UIConfigManager::bindControlAction(int paramIdx, int messageType) {
  std::unique_ptr<ControlAction>& action = actionSlot(paramIdx);
  if (!action) action = std::make_unique<ControlAction>(messageType);
  action->messageType = messageType;
  return *action;
}

void UIConfigManager::bindCCControl(ControlAction& action, int ccNumber, int channel, int part,
                                    int subKey, IControl* control) {
  action.ccNumber = ccNumber;
  action.channelKey = part >= 0 ? part + 1 : channel;
  action.subKey = subKey;
  ccControlMap.addToControlMap(action.channelKey, ccNumber, subKey, control);
}

void UIConfigManager::bindNRPNControl(ControlAction& action, const MsbLsbNumbers& numbers,
                                      int channelKey, int subKey, IControl* control) {
  action.ccNumber = numbers.ccNumber;
  action.nrpnNumber1 = numbers.nrpn1;
  action.nrpnNumber2 = numbers.nrpn2;
  action.nrpnNumber3 = numbers.nrpn3;
  action.channelKey = channelKey;
  action.subKey = subKey;
  nrpnControlMap.addToControlMap(&action, control);
}

bool UIConfigManager::precomputeSysEx(int sysexIndex, int changingByte, int count, int first,
                                      int minValue, int part, ControlActionSysExMessage& table,
                                      unsigned char* address) {
  std::string text;
  if (!getSysexTemplate(sysexIndex, text) ||
      !calculateSysexWithChangingByte(text, changingByte, count, &table, first, part))
    return false;
  // Without a first message long enough for an address, the synthesizer's changes could never
  // find the control.
  if (table.messages.empty() ||
      !SysExControlContainer::addressOf(table.messages[0], changingByte, address)) {
    logSkipped("SysEx template \"" + text + "\" gives no message to find the control by");
    return false;
  }
  table.firstValue = minValue;
  return true;
}

void UIConfigManager::logSkipped(const std::string& reason) const {
  log(reason + "; " + (mElement ? mElement->where() : std::string("control")) + " skipped!");
}

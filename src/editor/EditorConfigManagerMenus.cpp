#include <cstdio>
#include <string>
#include <utility>

#include "src/config/ParameterIds.h"
#include "src/editor/DisplayHost.h"
#include "src/editor/EditorConfigManager.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IStockControls.h"

namespace {

const IColor kGrey(255, 200, 200, 200);
const IColor kAmber(255, 255, 173, 0);
const IColor kBlue(255, 0, 174, 255);
const IColor kWhite(255, 255, 255, 255);
const IColor kBlack(255, 0, 0, 0);
const IColor kMsbLsbAmber(254, 255, 173, 0);

// No menu of the editor comes near this; a layout asking for more is mistaken.
constexpr long long maxMenuValues = 4096;

// The texts of a menu's `count` values: the list's when it has one per value, else
// numberText(i) for each value when the layout gives two different numbers. False when it gives
// neither: no menu is made then.
template <class NumberText>
bool setMenuTexts(IParam& param, int count, const std::vector<std::string>& texts, int firstNumber,
                  int lastNumber, NumberText numberText) {
  if (texts.size() == static_cast<size_t>(count)) {
    param.SetDisplayTexts(count, [&](int i) -> const std::string& { return texts[(size_t)i]; });
    return true;
  }
  if (firstNumber == lastNumber) return false;
  param.SetDisplayTexts(count, numberText);
  return true;
}

// Entry i of a menu numbered from `first`.
auto numbersFrom(int first) {
  return [first](int i) { return std::to_string(first + i); };
}

}  // namespace

IParam* EditorConfigManager::initMenu(const std::string& paramName, int paramIdx, int defaultValue,
                                      int minValue, int maxValue, int part,
                                      const std::string& group) {
  IParam* param = parameter(paramIdx);
  if (!param) return nullptr;
  const long long count = static_cast<long long>(maxValue) - minValue;
  if (count < 0 || count > maxMenuValues) {
    logSkipped("a menu of " + std::to_string(count) + " values");
    return nullptr;
  }
  param->InitEnum(paramName.c_str(), defaultValue, static_cast<int>(count), "",
                  getParamGroup(part, group), -1, -1);
  return param;
}

IControl* EditorConfigManager::makeCaption(int paramIdx, int x, int y, int w, int h,
                                           const IColor& colour, bool prompt) {
  IText style = textStyle(h, colour);
  IControl* caption = new ICaptionControl(plug(), scaledRect(x, y, w, h), paramIdx, &style, true);
  caption->DisablePrompt(!prompt);
  return caption;
}

std::string EditorConfigManager::noValEntryText(int paramIdx, int i, int firstNumber) const {
  const int v = firstNumber + i;
  if (isPartOf(paramIdx, kOscillator1Sample) || isPartOf(paramIdx, kOscillator2Sample)) {
    if (!mHost || !mHost->samplesFileRead()) return "Sample A" + std::to_string(v);
    const std::vector<std::string>& names = mHost->sampleNames();
    return static_cast<size_t>(i) < names.size() ? names[static_cast<size_t>(i)] : "";
  }
  if (isPartOf(paramIdx, kMultiPartPatch) || paramIdx == kMultiPatch) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", v);
    return number;
  }
  return std::to_string(v);
}

void EditorConfigManager::createDropDownMenu(std::string name, int paramIdx, int x, int y, int w,
                                             int h, int part, ControlLayer* layer,
                                             std::string group) {
  IParam* param = parameter(paramIdx);
  if (!param) return;
  param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(part, group), -1, -1);
  param->SetDisplayText(0, kEmptyMenuText);
  // Only shows its text; the plug-in opens the menu it stands for.
  placeAndBind(makeCaption(paramIdx, x, y, w, h, kGrey, false), layer, kMessageNone);
}

void EditorConfigManager::createDropDownMenu2(std::string name, int paramIdx, int x, int y, int w,
                                              int h, int defaultValue, int minValue, int maxValue,
                                              const std::vector<std::string>& texts, int part,
                                              ControlLayer* layer, std::string group) {
  IParam* param = initMenu(name, paramIdx, defaultValue, minValue, maxValue, part, group);
  if (!param ||
      !setMenuTexts(*param, maxValue - minValue, texts, 0, 0, [](int) { return std::string(); }))
    return;
  placeAndBind(makeCaption(paramIdx, x, y, w, h, kAmber, true), layer, kMessageNone);
}

void EditorConfigManager::setPortMenuEntries(IParam& param, const std::vector<std::string>& ports) {
  const int count = static_cast<int>(ports.size());
  param.ResetDisplayTexts();
  param.InitEnum("Device Selection", 0, count, "", "", -1, -1);
  param.SetDisplayTexts(count, [&](int i) { return ports[static_cast<size_t>(i)]; });
}

void EditorConfigManager::createMIDIDeviceSelectionControl(std::string, int paramIdx, int x, int y,
                                                           int w, int h, int inputDev, int,
                                                           ControlLayer* layer, std::string) {
  IParam* param = parameter(paramIdx);
  if (!param) return;
  setPortMenuEntries(
      *param, inputDev == 1 ? plug()->getExternalMIDIInNames() : plug()->getExternalMIDIOutNames());
  // In the layer the layout gives: under every layer, the page's pictures would hide the menus
  // and take their clicks.
  placeAndBind(makeCaption(paramIdx, x, y, w, h, kBlue, true), layer, kMessageNone);
}

void EditorConfigManager::createNoValDropDown(std::string name, int paramIdx, int x, int y, int w,
                                              int h, int defaultValue, int minValue, int maxValue,
                                              int firstNumber, int lastNumber, int visible,
                                              const std::vector<std::string>& texts, int part,
                                              ControlLayer* layer, std::string group, bool white) {
  IParam* param = initMenu(name, paramIdx, defaultValue, minValue, maxValue, part, group);
  if (!param || !setMenuTexts(*param, maxValue - minValue, texts, firstNumber, lastNumber,
                              [&](int i) { return noValEntryText(paramIdx, i, firstNumber); }))
    return;
  IColor colour(0, 255, 173, 0);  // a menu whose text the picture beneath shows
  if (visible == 1) colour = white ? kWhite : style() == 1 ? kGrey : kAmber;
  place(makeCaption(paramIdx, x, y, w, h, colour, true), layer);
}

void EditorConfigManager::createMultiSelectionCCControl(
    int ccNumber, int channel, std::string name, int paramIdx, int x, int y, int w, int h,
    int defaultValue, int minValue, int maxValue, int firstNumber, int lastNumber,
    const std::vector<std::string>& texts, int part, ControlLayer* layer, std::string group) {
  IParam* param =
      initMenu(partName(name, part), paramIdx, defaultValue, minValue, maxValue, part, group);
  if (!param || !setMenuTexts(*param, maxValue - minValue, texts, firstNumber, lastNumber,
                              numbersFrom(firstNumber)))
    return;
  IControl* caption = makeCaption(paramIdx, x, y, w, h, style() == 1 ? kGrey : kBlack, true);
  ControlAction& action = placeAndBind(caption, layer, kMessageCC);
  // Outside every part the menu answers only its own channel's lookups, not sub-key 0.
  bindCCControl(action, ccNumber, channel, part, part == -1 ? 1 : 0, caption);
}

void EditorConfigManager::createMsbLsbSelectionCCControl(
    int ccNumber, int nrpn1, int nrpn2, int nrpn3, int mixerChannel, std::string name, int paramIdx,
    int x, int y, int w, int h, int defaultValue, int minValue, int maxValue, int firstNumber,
    int lastNumber, std::vector<std::string> texts, int part, ControlLayer* layer,
    std::string group) {
  IParam* param =
      initMenu(partName(name, part), paramIdx, defaultValue, minValue, maxValue, part, group);
  if (!param || !setMenuTexts(*param, maxValue - minValue, texts, firstNumber, lastNumber,
                              numbersFrom(firstNumber)))
    return;
  IControl* caption = makeCaption(paramIdx, x, y, w, h, kMsbLsbAmber, true);
  ControlAction& action = placeAndBind(caption, layer, kMessageNRPN);
  bindMsbLsb(action, {ccNumber, nrpn1, nrpn2, nrpn3}, mixerChannel, part, layer, false, caption);
}

void EditorConfigManager::createMultiSelectionSysExControl(
    std::string name, int paramIdx, int x, int y, int w, int h, int defaultValue, int minValue,
    int maxValue, int firstNumber, int lastNumber, const std::vector<std::string>& texts, int, int,
    int sysexIndex, int changingByte, int part, ControlLayer* layer, std::string group,
    bool white) {
  IParam* param =
      initMenu(partName(name, part), paramIdx, defaultValue, minValue, maxValue, part, group);
  const int count = maxValue - minValue;
  if (!param ||
      !setMenuTexts(*param, count, texts, firstNumber, lastNumber, numbersFrom(firstNumber)))
    return;
  // One message per value from minValue up, one more than the menu has; the menu's value k
  // (its parameter counts from 0) sends message k.
  ControlActionSysExMessage table;
  unsigned char address[4];
  if (!precomputeSysEx(sysexIndex, changingByte, count + 1, minValue, 0, part, table, address))
    return;
  const IColor colour = white ? kWhite : style() == 1 ? kGrey : kBlack;
  IControl* caption = makeCaption(paramIdx, x, y, w, h, colour, true);
  ControlAction& action = placeAndBind(caption, layer, kMessageSysEx);
  action.sysexMessages = std::move(table);
  sysexControls().addToControlMap(address, 0, caption);
}

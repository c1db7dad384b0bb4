#include "src/editor/ControlDisplay.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/editor/DisplayHost.h"
#include "src/editor/DisplayRules.h"
#include "toolkit/log.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace {

constexpr const char* kTag = "VALUE DISPLAY: ";

// Each LFO's clock switch lies as far after its speed.
constexpr int kClockDistance = kLFO1Clock - kLFO1Speed;
static_assert(kLFO2Clock - kLFO2Speed == kClockDistance &&
              kLFO3Clock - kLFO3Speed == kClockDistance);

// Three characters right-aligned, a blank and the acute accent in UTF-8.
const char* const kFootage[] = {"128 \xC2\xB4", " 64 \xC2\xB4", " 32 \xC2\xB4",
                                " 16 \xC2\xB4", "  8 \xC2\xB4", "  4 \xC2\xB4",
                                "  2 \xC2\xB4", "  1 \xC2\xB4", "1/2 \xC2\xB4"};
constexpr int kFootageCount = sizeof(kFootage) / sizeof(kFootage[0]);

// Toward zero and held within int; NaN reads as 0.
int truncated(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

std::string percent(long long n) {
  return std::to_string(n) + "%";
}

// Entry n of a table, or an empty text outside it.
std::string entry(const std::vector<std::string>& table, int n) {
  return n >= 0 && n < static_cast<int>(table.size()) ? table[static_cast<size_t>(n)]
                                                      : std::string();
}

// What a rule works with: the value as passed, v (that value truncated) and i (the parameter's
// stored value truncated), which indexes value lists and sample names.
struct RuleInput {
  const DisplayHost& host;
  int paramIdx;
  double value;
  int v;
  int i;
};

std::string signedOffset(const DisplayRule& rule, int v) {
  if (v == rule.centre) return rule.centreText;
  if (v >= 0 && v < rule.centre) return std::to_string(v - rule.centre);
  if (v > rule.centre && v <= rule.top) return "+" + std::to_string(v - rule.centre);
  return {};
}

std::string octaveFootage(int v) {
  return v >= 0 && v < kFootageCount ? kFootage[v] : "";
}

std::string pulseWidth(int v) {
  if (v <= 2) return "<1%";
  if (v == 127) return "50%";
  return percent(static_cast<long long>(v / 1.28 * 0.5));
}

std::string filterBalance(int v, double value) {
  if (v == 0) return "FILTER 1 100%";
  if (v == 127) return "FILTER 2 100%";
  if (v == 64) return "F1 50% : F2 50%";
  if (v < 1 || v > 126) return {};
  const int b = static_cast<int>(value / 1.28);
  return "F1 " + std::to_string(100 - b) + "% : F2 " + percent(b);
}

std::string panning(int v) {
  if (v == 127) return "RIGHT 100%";
  if (v == 64) return "< CENTER >";
  if (v == 0) return "LEFT 100%";
  if (v >= 1 && v <= 63) return "LEFT " + percent(static_cast<long long>((v - 64) * -1.55));
  if (v >= 65 && v <= 126) return "RIGHT " + percent(static_cast<long long>((v - 64) * 1.55));
  return {};
}

std::string sampleName(const RuleInput& in) {
  if (in.host.samplesFileRead()) return entry(in.host.sampleNames(), in.i);
  return "Sample A" + std::to_string(in.v + 1LL);
}

std::string fixedText(const DisplayRule& rule, int v) {
  return v >= 0 && v < rule.textCount ? rule.texts[v] : "";
}

std::string feedback(int v) {
  if (v == 127) return "100%";
  if (v == 64) return " 50%";
  if (v == 0) return "   0%";
  if (v >= 1 && v <= 126) return percent(static_cast<long long>(v / 1.27));
  return {};
}

std::string midiChannel(int v) {
  if (v > 1) return std::to_string(v - 1);
  return v == 0 ? "Global" : "Omni";
}

bool lfoClocked(const RuleInput& in) {
  const IParam* clock = in.host.displayParam(in.paramIdx + kClockDistance);
  return clock && clock->Value() == 1.0;
}

// The rule's text followed by the bracketed v, or the bare number.
std::string valueText(const DisplayRule& rule, const RuleInput& in) {
  using K = DisplayRuleKind;
  std::string text;
  switch (rule.kind) {
    case K::fallback:
    case K::excluded:
      return ControlDisplay::getValueString(in.v);
    case K::lfoSpeed:
      if (!lfoClocked(in)) return ControlDisplay::getValueString(in.v);
      text = entry(in.host.valueList(rule.list), in.i);
      break;
    case K::valueList:
      text = entry(in.host.valueList(rule.list), in.i);
      break;
    case K::signedOffset:
      text = signedOffset(rule, in.v);
      break;
    case K::octaveFootage:
      text = octaveFootage(in.v);
      break;
    case K::pulseWidth:
      text = pulseWidth(in.v);
      break;
    case K::filterBalance:
      text = filterBalance(in.v, in.value);
      break;
    case K::panning:
      text = panning(in.v);
      break;
    case K::sampleName:
      text = sampleName(in);
      break;
    case K::fixedTexts:
      text = fixedText(rule, in.v);
      break;
    case K::feedback:
      text = feedback(in.v);
      break;
    case K::midiChannel:
      text = midiChannel(in.v);
      break;
    case K::countFromOne:
      text = std::to_string(in.v + 1LL);
      break;
  }
  return text + " [" + std::to_string(in.v) + "]";
}

// While the host plays only the current part's parameters are shown: those whose name carries
// the part's number from its second character on ("[12] ..."). Names whose second character is
// "X" or "f" are shown for every part.
bool shownWhilePlaying(const char* name, int currentPart) {
  if (!name[0] || !name[1]) return false;
  if (name[1] == 'X' || name[1] == 'f') return true;
  const std::string part = std::to_string(currentPart + 1);
  return std::strspn(name + 1, "0123456789") == part.size() &&
         std::strncmp(name + 1, part.c_str(), part.size()) == 0;
}

}  // namespace

void ControlDisplay::controlDisplay(DisplayHost* plugin, int paramIdx, double value,
                                    bool transportRunning) {
  const DisplayRule& rule = displayRuleOf(paramIdx);
  if (rule.kind == DisplayRuleKind::excluded || !plugin->startupComplete()) return;
  if (paramIdx == kControlLibrary && !plugin->programChangeSwitchState()) return;
  const IParam* param = plugin->displayParam(paramIdx);
  if (!param) return;
  const char* name = param->GetNameForHost();
  if (transportRunning && !shownWhilePlaying(name, plugin->currentPart())) return;

  ITextControl* nameLine = plugin->displayNameControl();
  ITextControl* valueDisplay = plugin->displayValueControl();
  if (!nameLine || !valueDisplay) reportMissingControls(*plugin, nameLine, valueDisplay);
  if (nameLine) nameLine->SetTextFromPlug(name);
  if (!valueDisplay) return;
  const RuleInput in{*plugin, paramIdx, value, truncated(value), truncated(param->Value())};
  valueDisplay->SetTextFromPlug(valueText(rule, in).c_str());
}

std::string ControlDisplay::getValueString(double value) {
  // Room for the largest double written out whole.
  char text[320];
  std::snprintf(text, sizeof(text), "%.0f", value);
  return text;
}

void ControlDisplay::reportMissingControls(const DisplayHost& plugin, const ITextControl* nameLine,
                                           const ITextControl* valueDisplay) {
  if (mMissingReported) return;
  mMissingReported = true;
  if (!nameLine)
    TK_Log(plugin.debugLog(), kTag, "the layout built no control for kControlDisplayName");
  if (!valueDisplay)
    TK_Log(plugin.debugLog(), kTag, "the layout built no control for kControlDisplayValue");
}

#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The quick mixer's band at the bottom of the sound and librarian pages: a strip per part.
constexpr Box kQuickMixer{90, kPageBottom + 1, 1400, 43};
constexpr int kStripX = 98;
constexpr int kStripPitch = 86;
constexpr int kStripY = kPageBottom + 3;

std::string withOffset(const std::string& id, int offset) {
  return offset == 0 ? id : id + "+" + std::to_string(offset);
}

// One strip of the quick mixer: the part's on switch, its level and its MIDI light.
std::vector<Element> mixerStrip(int part) {
  const int x = kStripX + kStripPitch * part;
  const std::string n = std::to_string(part + 1);
  return {
      seButton({withOffset("kMultiPartStatus", part), "Part " + n + " On", "ON"},
               {x + 2, kStripY + 2}, "BUTTON_MIXER_MUTE" + n + "_ID", part < 4 ? 1 : 0,
               LabelSide::kNone),
      onOff({withOffset("kMIDILed", part), "Part " + n + " MIDI", "MIDI"}, {x + 15, kStripY + 26},
            "LED_MIXER_MIDI_ID", 0, LabelSide::kNone),
      seKnob({withOffset("kMultiPartLevel", part), "Part " + n + " Level", "LEVEL"},
             {x + 44, kStripY}, 128, 100, "IKNOBROTATERCONTROL_ID3", LabelSide::kNone),
  };
}

// The readout of the bank and program beside the plug-in core's menus, which draw nothing:
// bank letter and three-digit program number, shown whatever chose them.
constexpr At kBankReadout{1044, 64};
constexpr At kProgramReadout{1074, 64};

Element readout(const Param& p, At at, int width, const std::string& list, int values, int first) {
  Element e("multiFx");
  e.attr("type", "Menu").attr("name", p.name).attr("paramId", p.id);
  e.attr("position", {at.x, at.y, width, 16}).attr("visible", {1, 0});
  e.attr("valueBounds", {0, 0, values});
  if (list.empty())
    e.attr("valueDisplay", std::to_string(first) + ":" + std::to_string(first + values - 1));
  else
    e.attr("valueList", list);
  return e.attr("label", p.label);
}

// Program stepping beside the plug-in core's program menu, and the part's lock.
std::vector<Element> bankAndProgram(int part) {
  const std::string n = std::to_string(part + 1);
  return {
      readout({withOffset("kMultiPartBank", part), "Part " + n + " Bank", "BANK"}, kBankReadout, 24,
              "bankLetters", 8, 0),
      readout({withOffset("kMultiPartPatch", part), "Part " + n + " Program", "PROGRAM"},
              kProgramReadout, 56, "", 128, 1),
      momentary({withOffset("kPatchDown", part), "Previous Program", "PREV"}, {1234, 62},
                "BUTTON_PATCHDW_ID", LabelSide::kNone),
      momentary({withOffset("kPatchUp", part), "Next Program", "NEXT"}, {1260, 62},
                "BUTTON_PATCHUP_ID", LabelSide::kNone),
      onOff({withOffset("kPartLock", part), "Part " + n + " Lock", "LOCK"}, {1294, 62},
            "BUTTON_LOCK_ID", 0, LabelSide::kNone),
  };
}

std::vector<Element> multiBankAndProgram() {
  return {
      readout({"kMultiBank", "Multi Bank", "BANK"}, kBankReadout, 24, "multiBanks", 1, 0),
      readout({"kMultiPatch", "Multi Program", "PROGRAM"}, kProgramReadout, 56, "", 128, 1),
      momentary({"kPatchDown", "Previous Program", "PREV"}, {1234, 62}, "BUTTON_PATCHDW_ID",
                LabelSide::kNone),
      momentary({"kPatchUp", "Next Program", "NEXT"}, {1260, 62}, "BUTTON_PATCHUP_ID",
                LabelSide::kNone),
  };
}

Element panelLayer(const std::string& name, std::vector<Element> children) {
  return layer(name, 0, std::move(children));
}

}  // namespace

std::vector<Element> frameControls() {
  return {
      background("MAIN_BG_ID", {0, 0}),
      radio({"kMainTab", "Page", "PAGES"}, {180, 16}, "BUTTON_TAB_TOPBAR_ID", 6),
      display("kControlDisplayName", "PARAMETER", {876, 12}, 344, 20),
      display("kControlDisplayValue", "VALUE", {876, 34}, 344, 20),
      display("kControlDisplayPatch", "SOUND", {1248, 12}, 232, 20),
      display("kControlDisplayCategory", "CATEGORY", {1248, 36}, 120, 18),
      display("kControlDisplayCC", "MIDI", {16, 66}, 150, 14),
      momentary({"kRandomize", "Randomize", "RANDOMIZE"}, {1376, 60}, "ID_RANDOMIZE",
                LabelSide::kNone),
      radio({"kQuickTab", "Part", "PARTS"}, {8, 96}, "BUTTON_TAB_SIDEBAR_ID", 16),
  };
}

std::vector<Element> frameLayers() {
  std::vector<Element> mixer = {background("QUICK_MIXER_ID", {kPageOrigin.x, kPageBottom}),
                                plate(kQuickMixer)};
  for (int part = 0; part < kParts; ++part)
    for (Element& e : mixerStrip(part)) mixer.push_back(std::move(e));
  std::vector<Element> out = {panelLayer("miniMixer", std::move(mixer))};
  // One by one: a multilayer would name them from 0 without the leading zero.
  for (int part = 0; part < kParts; ++part)
    out.push_back(panelLayer("bankAndProgram" + twoDigits(part + 1), bankAndProgram(part)));
  out.push_back(panelLayer("bankAndProgramMulti", multiBankAndProgram()));
  return out;
}

}  // namespace layout_tables

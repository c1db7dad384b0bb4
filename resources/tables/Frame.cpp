#include <cstdio>

#include "resources/tables/Pages.h"

namespace layout_tables {
namespace {

constexpr int kParts = 16;
constexpr int kMixerTop = 122;
constexpr int kPartPitch = 28;

std::string twoDigits(int n) {
  char text[3];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

std::string withOffset(const std::string& id, int offset) {
  return offset == 0 ? id : id + "+" + std::to_string(offset);
}

// A button whose picture carries its own text.
Element labelledButton(const Param& p, At at, const std::string& image) {
  Element e = momentary(p, at, image, LabelSide::kNone);
  return e;
}

// Patch down and up beside the program menu the plug-in core makes in the top bar.
std::vector<Element> patchStepping(int part) {
  return {momentary({withOffset("kPatchDown", part), "Previous Program", "PREV"}, {1236, 61},
                    "BUTTON_PATCHDW_ID", LabelSide::kNone),
          momentary({withOffset("kPatchUp", part), "Next Program", "NEXT"}, {1260, 61},
                    "BUTTON_PATCHUP_ID", LabelSide::kNone)};
}

// One strip of the mini mixer: the part's MIDI light, its on switch and its level.
std::vector<Element> mixerStrip(int part) {
  const int y = kMixerTop + kPartPitch * part;
  const std::string n = std::to_string(part + 1);
  return {
      onOff({withOffset("kMIDILed", part), "Part " + n + " MIDI", "MIDI"}, {66, y + 9},
            "LED_MIXER_MIDI_ID", 0, LabelSide::kNone),
      seButton({withOffset("kMultiPartStatus", part), "Part " + n + " On", "ON"}, {82, y + 6},
               "BUTTON_MIXER_MUTE" + n + "_ID", part < 4 ? 1 : 0, LabelSide::kNone),
      seKnob({withOffset("kMultiPartLevel", part), "Part " + n + " Level", "LEVEL"}, {116, y + 1},
             128, 100, "IKNOBROTATERCONTROL_ID3", LabelSide::kNone),
  };
}

Element panelLayer(const std::string& name, std::vector<Element> children) {
  return layer(name, 0, std::move(children));
}

std::vector<Element> midiFilterSwitches() {
  const char* const kinds[7] = {"CC", "PC", "Note", "PP", "PA", "CA", "SE"};
  const char* const labels[7] = {"CONTROLLERS",   "PROGRAM CHANGES",  "NOTES", "PITCH BEND",
                                 "POLY PRESSURE", "CHANNEL PRESSURE", "SYSEX"};
  std::vector<Element> out = {background("BG_ID_MIDI_FILTERS", {500, 200}),
                              caption("FROM HOST", {520, 218}, 200),
                              caption("FROM SYNTHESIZER", {760, 218}, 200)};
  for (int k = 0; k < 7; ++k) {
    const int y = 240 + 24 * k;
    out.push_back(onOff({std::string("kMIDIFilterDAW") + kinds[k] + "PassThrough",
                         std::string("Host ") + labels[k], labels[k]},
                        {520, y}, "BTN_CHECKBOX_ID", 1));
    out.push_back(onOff({std::string("kMIDIFilterHW") + kinds[k] + "PassThrough",
                         std::string("Synth ") + labels[k], labels[k]},
                        {760, y}, "BTN_CHECKBOX_ID", 1));
  }
  const std::pair<Param, At> others[] = {
      {{"kMIDIFilterTrackIncomingMIDI", "Track Incoming MIDI", "SHOW MIDI ACTIVITY"}, {520, 420}},
      {{"kMIDIFilterDirectToHardware", "Direct To Hardware", "SEND DIRECTLY"}, {520, 444}},
      {{"kMIDIFilterToDAWBuffer", "Through Host Buffer", "SEND WITH HOST TIMING"}, {520, 468}},
      {{"kSendMIDIClockPointer", "Clock Start Stop", "CLOCK START/STOP"}, {760, 420}},
      {{"kSendMIDIClockInfo", "Clock Output", "CLOCK OUTPUT"}, {760, 444}},
  };
  for (const auto& o : others) out.push_back(onOff(o.first, o.second, "BTN_CHECKBOX_ID"));
  return out;
}

}  // namespace

std::vector<Element> frameControls() {
  return {
      background("MAIN_BG_ID", {0, 0}),
      display("kControlDisplayName", "PARAMETER", {200, 8}, 520, 18),
      display("kControlDisplayValue", "VALUE", {200, 30}, 520, 18),
      display("kControlDisplayCC", "MIDI", {730, 30}, 100, 18),
      display("kControlDisplayPatch", "SOUND", {880, 8}, 250, 18),
      display("kControlDisplayCategory", "CATEGORY", {880, 30}, 250, 16),
      display("kControlDisplayBuild", "VERSION", {12, 66}, 170, 12),
      display("kControlDisplayMIDIOutDelay", "OUTPUT TIMING", {12, 84}, 170, 12),
      radio({"kMainTab", "Page", "PAGES"}, {196, 62}, "BUTTON_TAB_TOPBAR_ID", 6),
      radio({"kQuickTab", "Part", "PARTS"}, {8, kMixerTop}, "BUTTON_TAB_SIDEBAR_ID", kParts),
      onOff({"kControlProgBank", "Program Change Mode", "PROGRAM"}, {880, 66}, "BTN_SMALL_ID", 1),
      onOff({"kControlLibrary", "Librarian Program Mode", "LIBRARY"}, {990, 66}, "BTN_SMALL_ID"),
      onOff({"kViewMIDIFilterSettings", "MIDI Settings", "MIDI"}, {1140, 8}, "GEARS_ICON_ID"),
      deviceMenu({"kDeviceOutSelection", "MIDI Setup", "OUT"}, {1260, 8}, 150, 16, false),
      deviceMenu({"kDeviceInSelection", "MIDI Setup", "IN"}, {1260, 30}, 150, 16, true),
      labelledButton({"kRandomize", "Randomize", "RANDOMIZE"}, {1290, 62}, "ID_RANDOMIZE"),
      labelledButton({"kDisplayAboutWindow", "About", "ABOUT"}, {1396, 62}, "BTN_SEE_ABOUT_ID"),
  };
}

std::vector<Element> frameLayers() {
  std::vector<Element> mixer = {background("QUICK_MIXER_ID", {60, 104}),
                                caption("MIDI", {60, 108}, 24), caption("ON", {82, 108}, 26),
                                caption("LEVEL", {110, 108}, 40)};
  for (int part = 0; part < kParts; ++part)
    for (Element& e : mixerStrip(part)) mixer.push_back(std::move(e));
  std::vector<Element> out = {panelLayer("miniMixer", std::move(mixer))};
  for (int part = 0; part < kParts; ++part)
    out.push_back(panelLayer("bankAndProgram" + twoDigits(part + 1), patchStepping(part)));
  out.push_back(panelLayer("bankAndProgramMulti", patchStepping(0)));
  return out;
}

Element multiPage() {
  std::vector<Element> settings;
  for (int part = 0; part < kParts; ++part)
    settings.push_back(seMenu(
        {withOffset("kMultiPartMIDICh", part), "Part " + std::to_string(part + 1) + " MIDI Channel",
         "PART " + std::to_string(part + 1)},
        {214 + 78 * part, 150}, 70, "multiChannel", part + 2));
  settings.push_back(
      onOff({"kOverrideTempo", "Tempo From Host", "HOST TEMPO"}, {214, 200}, "BTN_OFFON_ID", 1));
  std::vector<Element> page = {background("MULTI_SETTINGS_BG_ID", kPageOrigin),
                               layer("multiModeSettingsPage1", 0, std::move(settings))};
  for (int part = 1; part <= kParts; ++part)
    page.push_back(layer("multiSettingsPart" + twoDigits(part), part, {}));
  return layer("multiPage", 0, std::move(page));
}

Element librarianPage() {
  Element browser("patchBrowser");
  browser.attr("imageId", "BG_ID_BROWSER").attr("bounds", {200, 214, 620, 232});
  browser.attr("label", "BANKS");
  return layer(
      "patchLibrarian", 1,
      {background("MANAGER_BG_ID2", kPageOrigin), std::move(browser),
       textMenu({"kPatchSelectionListUpper", "Bank Selection List 1", "BANK"}, {200, 190}, 180, 16),
       textMenu({"kPatchSelectionListLower", "Bank Selection List 2", "BANK"}, {200, 463}, 180, 16),
       onOff({"kDatatype", "Sounds or Multis", "SOUNDS / MULTIS"}, {840, 120},
             "BUTTON_LIB_DATATYPE_ID", 0, LabelSide::kNone),
       onOff({"kPatchSearch", "Search", "SEARCH"}, {950, 122}, "BUTTON_BANK_SEARCH_ID", 0,
             LabelSide::kNone)});
}

std::vector<Element> corePanelLayers() {
  return {
      panelLayer("categoryLimit", {background("BG_ID_CATEGORY_FILTER", {820, 490}),
                                   onOff({"kCategorySelection", "Categories", "CATEGORIES"},
                                         {824, 494}, "BTN_CHECKBOX_ID")}),
      panelLayer("searchField", {background("BG_SEARCH_FIELD_ID", {820, 520}),
                                 nameField({"kPatchSearchString", "Search", "SEARCH"}, {824, 524},
                                           190, 16, 0, LabelSide::kNone)}),
      panelLayer("discardChangesLayerRight",
                 {labelledButton({"kDiscardBankData", "Discard Changes", "DISCARD"}, {1040, 187},
                                 "BUTTON_LIB_DISCARD_ID")}),
      panelLayer("keepBankOpenLayer", {onOff({"kKeepSelectedBank", "Keep Bank", "KEEP BANK"},
                                             {1040, 188}, "BTN_CHECKBOX_ID", 1, LabelSide::kNone)}),
      panelLayer("saveChangesLayer", {}),
      panelLayer("patchRename",
                 {background("BG_RENAME_ID", {600, 300}),
                  nameField({"kPatchRename", "Rename", "NEW NAME"}, {616, 340}, 268, 18, 16)}),
      panelLayer("midiFilterSettings", midiFilterSwitches()),
      panelLayer("aboutWindow", {background("BG_ABOUT_ID", {450, 180}),
                                 labelledButton({"kExitAboutWindow", "Close About", "CLOSE"},
                                                {710, 540}, "BTN_EXIT_ABOUT_ID")}),
      panelLayer("firstRunNotification", {background("BG_FIRST_RUN_ID", {450, 230}),
                                          labelledButton({"kFirstRunExit", "Close Notice", "OK"},
                                                         {710, 490}, "BTN_EXIT_FIRST_RUN_ID")}),
      panelLayer("bankPatchConflictWindow", {background("BG_PATCH_CONFLICT_ID", {500, 280}),
                                             labelledButton({"kFirstRunExit", "Close Notice", "OK"},
                                                            {710, 440}, "BTN_EXIT_FIRST_RUN_ID")}),
  };
}

}  // namespace layout_tables

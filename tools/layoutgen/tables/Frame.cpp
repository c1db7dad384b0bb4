#include "tools/layoutgen/tables/Pages.h"

namespace layout_tables {
namespace {

constexpr int kParts = 16;
// The quick mixer's strips, as its picture numbers them.
constexpr int kStripX = 98;
constexpr int kStripPitch = 86;
constexpr int kStripY = 678;

std::string withOffset(const std::string& id, int offset) {
  return offset == 0 ? id : id + "+" + std::to_string(offset);
}

// Patch down and up beside the program menu the plug-in core makes in the top bar.
std::vector<Element> patchStepping(int part) {
  return {momentary({withOffset("kPatchDown", part), "Previous Program", "PREV"}, {1234, 62},
                    "BUTTON_PATCHDW_ID", LabelSide::kNone),
          momentary({withOffset("kPatchUp", part), "Next Program", "NEXT"}, {1260, 62},
                    "BUTTON_PATCHUP_ID", LabelSide::kNone)};
}

// One strip of the mini mixer: the part's on switch, its level and its MIDI light.
std::vector<Element> mixerStrip(int part) {
  const int x = kStripX + kStripPitch * part;
  const std::string n = std::to_string(part + 1);
  return {
      seButton({withOffset("kMultiPartStatus", part), "Part " + n + " On", "ON"},
               {x + 2, kStripY + 2}, "BUTTON_MIXER_MUTE" + n + "_ID", part < 4 ? 1 : 0,
               LabelSide::kNone),
      onOff({withOffset("kMIDILed", part), "Part " + n + " MIDI", "MIDI"}, {x + 15, kStripY + 34},
            "LED_MIXER_MIDI_ID", 0, LabelSide::kNone),
      seKnob({withOffset("kMultiPartLevel", part), "Part " + n + " Level", "LEVEL"},
             {x + 44, kStripY}, 128, 100, "IKNOBROTATERCONTROL_ID3", LabelSide::kNone),
  };
}

Element panelLayer(const std::string& name, std::vector<Element> children) {
  return layer(name, 0, std::move(children));
}

// The MIDI filter dialog: a host and a synthesizer column of switches by the rows its picture
// prints, then the output options.
std::vector<Element> midiFilterSwitches() {
  constexpr At dialog{430, 170};
  const char* const kinds[7] = {"Note", "CC", "PC", "PA", "CA", "PP", "SE"};
  const char* const names[7] = {"Notes",         "Controllers",      "Program Changes",
                                "Poly Pressure", "Channel Pressure", "Pitch Bend",
                                "SysEx"};
  std::vector<Element> out = {background("BG_ID_MIDI_FILTERS", dialog)};
  for (int k = 0; k < 7; ++k) {
    const int y = dialog.y + 78 + 30 * k;
    out.push_back(onOff({std::string("kMIDIFilterDAW") + kinds[k] + "PassThrough",
                         std::string("Host ") + names[k], names[k]},
                        {dialog.x + 401, y}, "BTN_CHECKBOX_ID", 1, LabelSide::kNone));
    out.push_back(onOff({std::string("kMIDIFilterHW") + kinds[k] + "PassThrough",
                         std::string("Synth ") + names[k], names[k]},
                        {dialog.x + 521, y}, "BTN_CHECKBOX_ID", 1, LabelSide::kNone));
  }
  const Param options[3] = {{"kMIDIFilterDirectToHardware", "Direct To Hardware", "SEND DIRECTLY"},
                            {"kMIDIFilterToDAWBuffer", "Through Host Buffer", "THROUGH HOST"},
                            {"kMIDIFilterTrackIncomingMIDI", "Track Incoming MIDI", "FOLLOW MIDI"}};
  for (int k = 0; k < 3; ++k)
    out.push_back(onOff(options[k], {dialog.x + 581, dialog.y + 308 + 34 * k}, "BTN_CHECKBOX_ID",
                        k == 1 ? 0 : 1, LabelSide::kNone));
  out.push_back(display("kControlDisplayMIDIOutDelay", "OUTPUT TIMING",
                        {dialog.x + 420, dialog.y + 342}, 140, 18));
  return out;
}

}  // namespace

std::vector<Element> frameControls() {
  return {
      background("MAIN_BG_ID", {0, 0}),
      radio({"kMainTab", "Page", "PAGES"}, {180, 16}, "BUTTON_TAB_TOPBAR_ID", 6),
      display("kControlDisplayName", "PARAMETER", {876, 14}, 344, 20),
      display("kControlDisplayValue", "VALUE", {876, 38}, 344, 20),
      display("kControlDisplayPatch", "SOUND", {1248, 14}, 232, 20),
      display("kControlDisplayCategory", "CATEGORY", {1248, 40}, 116, 18),
      display("kControlDisplayCC", "MIDI", {16, 56}, 150, 14),
      momentary({"kRandomize", "Randomize", "RANDOMIZE"}, {1370, 34}, "ID_RANDOMIZE",
                LabelSide::kNone),
      radio({"kQuickTab", "Part", "PARTS"}, {8, 96}, "BUTTON_TAB_SIDEBAR_ID", kParts),
  };
}

std::vector<Element> frameLayers() {
  std::vector<Element> mixer = {background("QUICK_MIXER_ID", {80, 632})};
  for (int part = 0; part < kParts; ++part)
    for (Element& e : mixerStrip(part)) mixer.push_back(std::move(e));
  std::vector<Element> out = {panelLayer("miniMixer", std::move(mixer))};
  for (int part = 0; part < kParts; ++part)
    out.push_back(panelLayer("bankAndProgram" + twoDigits(part + 1), patchStepping(part)));
  out.push_back(panelLayer("bankAndProgramMulti", patchStepping(0)));
  return out;
}

// Until the Multi page is laid out: the controls the plug-in core looks up, in its sections.
Element multiPage() {
  constexpr At midiClock{1110, 104};
  std::vector<Element> settings;
  for (int part = 0; part < kParts; ++part)
    settings.push_back(seMenu({withOffset("kMultiPartMIDICh", part),
                               "Part " + std::to_string(part + 1) + " MIDI Channel", "CHANNEL"},
                              {kStripX + 4 + kStripPitch * part, 340}, 76, "multiChannel", part + 2,
                              LabelSide::kNone));
  const std::vector<Element> midi = {
      deviceMenu({"kDeviceOutSelection", "MIDI Setup", "OUT"}, {midiClock.x + 10, midiClock.y + 12},
                 200, 16, false),
      deviceMenu({"kDeviceInSelection", "MIDI Setup", "IN"}, {midiClock.x + 10, midiClock.y + 40},
                 200, 16, true),
      onOff({"kViewMIDIFilterSettings", "MIDI Filters", "FILTERS"},
            {midiClock.x + 290, midiClock.y + 10}, "GEARS_ICON_ID"),
      onOff({"kControlProgBank", "Program Change Mode", "PROGRAMS"},
            {midiClock.x + 10, midiClock.y + 76}, "BTN_SMALL_ID", 1),
      onOff({"kControlLibrary", "Librarian Program Mode", "LIBRARY"},
            {midiClock.x + 130, midiClock.y + 76}, "BTN_SMALL_ID"),
      onOff({"kSendMIDIClockPointer", "Clock Start Stop", "CLOCK START"},
            {midiClock.x + 10, midiClock.y + 104}, "BTN_SMALL_ID"),
      onOff({"kSendMIDIClockInfo", "Clock Output", "CLOCK OUT"},
            {midiClock.x + 130, midiClock.y + 104}, "BTN_SMALL_ID"),
      momentary({"kDisplayAboutWindow", "About", "ABOUT"}, {midiClock.x + 250, midiClock.y + 104},
                "BTN_18x18_ID"),
      onOff({"kOverrideTempo", "Tempo From Host", "HOST TEMPO"}, {100, 116}, "BTN_OFFON_ID", 1),
  };
  settings.insert(settings.end(), midi.begin(), midi.end());
  std::vector<Element> page = {background("MULTI_SETTINGS_BG_ID", kPageOrigin),
                               background("MULTI_MIXER_BG_ID", {80, 272}),
                               layer("multiModeSettingsPage1", 0, std::move(settings))};
  for (int part = 1; part <= kParts; ++part)
    page.push_back(layer("multiSettingsPart" + twoDigits(part), part, {}));
  return layer("multiPage", 0, std::move(page));
}

// Until the librarian page is laid out: the controls the plug-in core looks up, clear of the
// menus it makes itself.
Element librarianPage() {
  Element browser("patchBrowser");
  browser.attr("imageId", "BG_ID_BROWSER").attr("bounds", {100, 214, 700, 232});
  browser.attr("label", "BANKS");
  return layer(
      "patchLibrarian", 1,
      {background("MANAGER_BG_ID2", kPageOrigin), std::move(browser),
       textMenu({"kPatchSelectionListUpper", "Bank Selection List 1", "BANK"}, {100, 190}, 280, 16),
       textMenu({"kPatchSelectionListLower", "Bank Selection List 2", "BANK"}, {100, 463}, 280, 16),
       onOff({"kDatatype", "Sounds or Multis", "SOUNDS / MULTIS"}, {1170, 120},
             "BUTTON_LIB_DATATYPE_ID", 0, LabelSide::kNone),
       onOff({"kPatchSearch", "Search", "SEARCH"}, {1170, 160}, "BUTTON_BANK_SEARCH_ID")});
}

std::vector<Element> corePanelLayers() {
  return {
      panelLayer("categoryLimit", {background("BG_ID_CATEGORY_FILTER", {1170, 380}),
                                   onOff({"kCategorySelection", "Categories", "CATEGORIES"},
                                         {1282, 399}, "BTN_CHECKBOX_ID", 0, LabelSide::kNone)}),
      panelLayer("searchField", {background("BG_SEARCH_FIELD_ID", {1170, 440}),
                                 nameField({"kPatchSearchString", "Search", "SEARCH"}, {1282, 458},
                                           168, 20, 0, LabelSide::kNone)}),
      panelLayer("discardChangesLayerRight",
                 {momentary({"kDiscardBankData", "Discard Changes", "DISCARD"}, {1170, 200},
                            "BUTTON_LIB_DISCARD_ID", LabelSide::kNone)}),
      panelLayer("keepBankOpenLayer", {onOff({"kKeepSelectedBank", "Keep Bank", "KEEP BANK"},
                                             {1170, 205}, "BTN_CHECKBOX_ID", 1, LabelSide::kNone)}),
      panelLayer("saveChangesLayer", {}),
      panelLayer("patchRename", {background("BG_RENAME_ID", {540, 300}),
                                 nameField({"kPatchRename", "Rename", "NEW NAME"}, {624, 362}, 312,
                                           20, 16, LabelSide::kNone)}),
      panelLayer("midiFilterSettings", midiFilterSwitches()),
      panelLayer("aboutWindow", {background("BG_ABOUT_ID", {450, 188}),
                                 display("kControlDisplayBuild", "VERSION", {654, 382}, 272, 20),
                                 momentary({"kExitAboutWindow", "Close About", "CLOSE"}, {702, 518},
                                           "BTN_EXIT_ABOUT_ID", LabelSide::kNone)}),
      panelLayer("firstRunNotification",
                 {background("BG_FIRST_RUN_ID", {450, 208}),
                  momentary({"kFirstRunExit", "Close Notice", "OK"}, {702, 504},
                            "BTN_EXIT_FIRST_RUN_ID", LabelSide::kNone)}),
      panelLayer("bankPatchConflictWindow",
                 {background("BG_PATCH_CONFLICT_ID", {490, 268}),
                  momentary({"kFirstRunExit", "Close Notice", "OK"}, {702, 448},
                            "BTN_EXIT_FIRST_RUN_ID", LabelSide::kNone)}),
  };
}

}  // namespace layout_tables

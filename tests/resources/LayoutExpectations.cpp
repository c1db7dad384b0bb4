#include "tests/resources/LayoutExpectations.h"

#include <cstdio>
#include <map>

#include "resources/tables/ImageSizes.h"

namespace layout_check {
namespace {

std::string twoDigits(int n) {
  char text[3];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// The identifier with N replaced by 1..count (two digits when `pad`).
std::vector<std::string> numbered(const std::string& before, const std::string& after, int count,
                                  bool pad = false) {
  std::vector<std::string> out;
  for (int n = 1; n <= count; ++n)
    out.push_back(before + (pad ? twoDigits(n) : std::to_string(n)) + after);
  return out;
}

std::vector<std::string> joined(std::vector<std::vector<std::string>> groups) {
  std::vector<std::string> out;
  for (auto& g : groups) out.insert(out.end(), g.begin(), g.end());
  return out;
}

constexpr unsigned kAllTabs = 0x3F;
constexpr unsigned kLibrarianTab = 1u << 1;

}  // namespace

const int kOctaveCC[3] = {27, 35, 42};
const int kSemitoneCC[3] = {28, 36, 43};
const int kSampleCC[2] = {31, 39};

const std::vector<std::string>& imageNames() {
  static const std::vector<std::string> names = joined({
      {"IKNOBROTATERCONTROL_ID2", "IKNOBROTATERCONTROL_ID2FC", "IKNOBROTATERCONTROL_ID3",
       "IKNOBROTATERCONTROL_ID97", "IKNOBROTATERCONTROL_ID49", "IKNOBROTATERCONTROL_ID25",
       "IKNOBROTATERCONTROL_ID12", "IKNOBROTATERCONTROL_ID9", "IKNOBROTATERCONTROL_ID8",
       "IKNOBROTATERCONTROL_ID6", "IKNOBROTATERCONTROL_ID5"},
      {"BUTTON_ARP_POWER1", "BUTTON_LIB_DATATYPE_ID", "BUTTON_TAB_TOPBAR_ID"},
      numbered("BUTTON_MIXER_MUTE", "_ID", 16),
      {"LED_MIXER_MIDI_ID",
       "LED_MIXER_MIDI_INV_ID",
       "BTN_SMALL_ID",
       "BUTTON_BANK_RECALL_ID",
       "BUTTON_PART_MUTE",
       "BUTTON_PATCHUP_ID",
       "BUTTON_PATCHDW_ID",
       "LED_MIXER_MIDI_LARGE_ID",
       "BUTTON_LOCK_WHITE_ID",
       "BTN_OFFON_ID",
       "BTN_CHECKBOX_ID",
       "BTN_SMALL_LED_SM_ID",
       "BUTTON_BANK_SEARCH_ID",
       "BUTTON_TAB_SIDEBAR_ID",
       "SLIDER_PYSTY",
       "SLIDER_VAAKA",
       "MANAGER_BG_ID2",
       "MAIN_BG_FRAME_ID",
       "BG_ID_INDICATOR_PROTECTOR",
       "BG_ID_SINGLE_PROTECTOR",
       "BTN_18x18_ID",
       "BG_RENAME_ID",
       "BG_ABOUT_ID",
       "BTN_EXIT_ABOUT_ID",
       "BTN_SEE_ABOUT_ID",
       "BUTTON_LIB_DISCARD_ID",
       "BTN_127x18_ID",
       "BUTTON_LIB_CANCEL_ID",
       "ID_TRIGGER",
       "ID_RANDOMIZE",
       "BG_ID_BROWSER",
       "BTN_MULTIMODE_LED_PROTECT_ID",
       "BG_FIRST_RUN_ID",
       "BTN_EXIT_FIRST_RUN_ID",
       "BG_ID_CATEGORY_FILTER",
       "BG_ID_MIDI_FILTERS",
       "BG_SEARCH_FIELD_ID",
       "BG_PATCH_CONFLICT_ID",
       "BUTTON_BANK_OVERWRITE_ID"},
      // The names each colour style has a picture for.
      {"PROGRESS_INDICATOR_ID",
       "MAIN_BG_ID",
       "MULTI_SETTINGS_BG_ID",
       "MULTI_MIXER_BG_ID",
       "MULTI_PART_SETTINGS_BG_ID",
       "QUICK_MIXER_ID",
       "OSCILLATORS_ID",
       "BUTTON_LOCK_ID",
       "FILTERS_ENV_ID",
       "LFO_MODMATRIX_ID",
       "EFFECTS_ID",
       "GEARS_ICON_ID",
       "BG_ID_OSC_BRI",
       "BG_ID_OSC_PW",
       "BG_ID_OSC_LWT",
       "BG_ID_FLP",
       "BG_ID_FBP",
       "BG_ID_FHP",
       "BG_ID_FNOTCH",
       "BG_ID_FCOMB1",
       "BG_ID_FCOMB2",
       "BG_ID_ADSR",
       "BG_ID_ADSD2S2R",
       "BG_ID_ONESHOT",
       "BG_ID_LOOPS1S2",
       "BG_ID_LOOPALL",
       "EFFECTS_BYPASS_ID",
       "EFFECTS_CHORUS_ID",
       "EFFECTS_FLANGER_ID",
       "EFFECTS_PHASER_ID",
       "EFFECTS_OVERDRIVE_ID",
       "EFFECTS_TRIPLEFX_ID",
       "EFFECTS_DELAY_ID",
       "EFFECTS_REVERB_ID",
       "BG_ID_OSCSHA",
       "BG_ID_OSCSAM"},
  });
  return names;
}

int knobFrames(const std::string& image) {
  static const std::map<std::string, int> frames = {
      {"IKNOBROTATERCONTROL_ID2", 128}, {"IKNOBROTATERCONTROL_ID2FC", 128},
      {"IKNOBROTATERCONTROL_ID3", 128}, {"IKNOBROTATERCONTROL_ID97", 97},
      {"IKNOBROTATERCONTROL_ID49", 49}, {"IKNOBROTATERCONTROL_ID25", 25},
      {"IKNOBROTATERCONTROL_ID12", 12}, {"IKNOBROTATERCONTROL_ID9", 9},
      {"IKNOBROTATERCONTROL_ID8", 8},   {"IKNOBROTATERCONTROL_ID6", 6},
      {"IKNOBROTATERCONTROL_ID5", 5}};
  const auto it = frames.find(image);
  return it == frames.end() ? 0 : it->second;
}

const std::vector<std::string>& lookedUpLayers() {
  static const std::vector<std::string> names = joined({
      {"root",
       "oscillators",
       "filtersEnvelopes",
       "lfoModMatrix",
       "effectsArp",
       "miniMixer",
       "patchLibrarian",
       "multiModeSettingsPage1",
       "filter1LP",
       "filter1BP",
       "filter1HP",
       "filter1Notch",
       "filter1CombMinus",
       "filter1CombPlus",
       "filter2LP",
       "filter2BP",
       "filter2HP",
       "filter2Notch",
       "filter2CombMinus",
       "filter2CombPlus"},
      numbered("bankAndProgram", "", 16, true),
      {"bankAndProgramMulti", "saveChangesLayer"},
      numbered("multiSettingsPart", "", 16, true),
      {"discardChangesLayerRight", "keepBankOpenLayer", "aboutWindow", "firstRunNotification",
       "bankPatchConflictWindow", "midiFilterSettings", "Bypass", "Chorus", "Flanger", "Phaser",
       "Overdrive", "TripleFX", "Delay", "DelayClocked", "Reverb", "patchRename", "categoryLimit",
       "searchField"},
  });
  return names;
}

const std::vector<std::string>& lookedUpControls() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out = {"kRandomize",
                                    "kDatatype",
                                    "kPatchSearch",
                                    "kControlProgBank",
                                    "kQuickTab",
                                    "kMainTab",
                                    "kPatchSelectionListUpper",
                                    "kPatchSelectionListLower",
                                    "kDeviceOutSelection",
                                    "kDeviceInSelection",
                                    "kPatchRename",
                                    "kControlDisplayName",
                                    "kControlDisplayValue",
                                    "kControlDisplayCategory",
                                    "kControlDisplayPatch",
                                    "kControlDisplayCC",
                                    "kControlDisplayBuild",
                                    "kControlDisplayMIDIOutDelay",
                                    "kControlLibrary",
                                    "kKeepSelectedBank",
                                    "kOverrideTempo",
                                    "kMIDIFilterTrackIncomingMIDI",
                                    "kMIDIFilterDirectToHardware",
                                    "kMIDIFilterToDAWBuffer",
                                    "kSendMIDIClockPointer",
                                    "kSendMIDIClockInfo",
                                    "kMultiPartMIDICh"};
    for (int part = 1; part < 16; ++part) out.push_back("kMultiPartMIDICh+" + std::to_string(part));
    for (const char* side : {"DAW", "HW"})
      for (const char* kind : {"CC", "PC", "Note", "PP", "PA", "CA", "SE"})
        out.push_back(std::string("kMIDIFilter") + side + kind + "PassThrough");
    return out;
  }();
  return names;
}

const std::vector<std::string>& requiredLists() {
  static const std::vector<std::string> names = {"arpAccent",
                                                 "arpClock",
                                                 "arpDirection",
                                                 "arpMode",
                                                 "arpNoteLengthClock",
                                                 "arpPattern",
                                                 "arpSortOrder",
                                                 "arpStepDisplay",
                                                 "arpStepLength",
                                                 "arpTiming",
                                                 "arpVeloMode",
                                                 "clockedDelayValues",
                                                 "clockedValues",
                                                 "controlList",
                                                 "controllerReceive",
                                                 "controllerSend",
                                                 "envelopeMode",
                                                 "envelopeTrigger",
                                                 "filter1Type",
                                                 "fmSources",
                                                 "fx1Mode",
                                                 "fx2Mode",
                                                 "fxOverdriveCurve",
                                                 "globalChannel",
                                                 "globalClock",
                                                 "globalPopupTime",
                                                 "globalTuning",
                                                 "keyList",
                                                 "keyVelocityCurve",
                                                 "keytrackValues",
                                                 "lfoShape",
                                                 "modifier2Sources",
                                                 "modifierOperators",
                                                 "modulationDestinations",
                                                 "modulationSources",
                                                 "oscillator12shape",
                                                 "oscillator3shape",
                                                 "oscillatorWavetable",
                                                 "partStatus",
                                                 "programChange",
                                                 "reverbSize",
                                                 "sampleRate",
                                                 "startPhase",
                                                 "tempoValues"};
  return names;
}

const std::vector<ListRule>& displayListRules() {
  static const std::vector<ListRule> rules = {
      {"oscillator12shape", {"kOscillator1Shape", "kOscillator2Shape"}},
      {"oscillator3shape", {"kOscillator3Shape"}},
      {"oscillatorWavetable", {"kOscillator1Wavetable", "kOscillator2Wavetable"}},
      {"keytrackValues", joined({{"kFilter1Keytrack", "kFilter2Keytrack"},
                                 numbered("kOscillator", "Keytrack", 3),
                                 numbered("kLFO", "Keytrack", 3)})},
      {"modulationSources", joined({numbered("kOscillator", "PWMSource", 3),
                                    {"kOscillatorPitchSource", "kAmpModSource"},
                                    numbered("kModulation", "Source", 16, true),
                                    numbered("kModifier", "Source1", 4)})},
      {"fmSources",
       joined({numbered("kOscillator", "FMSource", 3), {"kFilter1FMSource", "kFilter2FMSource"}})},
      {"modifier2Sources", numbered("kModifier", "Source2", 4)},
      {"modifierOperators", numbered("kModifier", "SourceType", 4)},
      {"modulationDestinations", numbered("kModulation", "Destination", 16, true)},
      {"filter1Type", {"kFilter1Type", "kFilter2Type"}},
      {"lfoShape", numbered("kLFO", "Shape", 3)},
      {"clockedValues", numbered("kLFO", "Speed", 3)},
      {"fx1Mode", {"kEffect1Mode"}},
      {"fx2Mode", {"kEffect2Mode"}},
      {"fxOverdriveCurve", {"kFX1OverdriveCurve", "kFX2OverdriveCurve"}},
      {"clockedDelayValues", {"kFX2DelayLengthClock"}},
      {"reverbSize", {"kFX2ReverbSize"}},
      {"envelopeMode", {"kFilterEnvMode", "kAmpEnvMode", "kEnvelope3Mode", "kEnvelope4Mode"}},
      {"envelopeTrigger", {"kFilterEnvTrigger", "kAmpEnvTrigger", "kEnv3Trigger", "kEnv4Trigger"}},
      {"startPhase", numbered("kLFO", "Startphase", 3)},
      {"sampleRate", {"kFX1TripleFXSampleHold", "kFX2TripleFXSampleHold"}},
      {"arpMode", {"kArpMode"}},
      {"arpNoteLengthClock", {"kArpNoteLength"}},
      {"arpPattern", {"kArpPattern"}},
      {"arpClock", {"kArpClock"}},
      {"arpDirection", {"kArpDirection"}},
      {"arpSortOrder", {"kArpSortOrder"}},
      {"arpVeloMode", {"kArpVelocityMode"}},
      {"arpStepDisplay", numbered("kArpPattern", "Step", 16, true)},
      {"arpTiming", numbered("kArpPattern", "Timing", 16, true)},
      {"arpAccent", numbered("kArpPattern", "Accent", 16, true)},
      {"arpStepLength", numbered("kArpPattern", "StepLen", 16, true)},
      {"keyVelocityCurve", {"kGlobalVelocityCurve"}},
      {"globalChannel", {"kGlobalMidiChannel"}},
      {"globalClock", {"kGlobalClock"}},
      {"controllerSend", {"kGlobalControlSend"}},
      {"controllerReceive", {"kGlobalReceive"}},
      {"controlList", {"kGlobalControlW", "kGlobalControlX", "kGlobalControlY", "kGlobalControlZ"}},
      {"programChange", {"kGlobalRxProgramChange", "kGlobalTxProgramChange"}},
      {"globalTuning", {"kGlobalTuning"}},
      {"globalPopupTime", {"kGlobalPopupTime"}},
      {"tempoValues", {"kMultiTempo"}},
      {"keyList", {"kMultiPartKeyLow", "kMultiPartKeyHigh"}},
      {"partStatus", {"kMultiPartStatus"}},
  };
  return rules;
}

std::vector<int> memberIds(const std::string& page) {
  if (page == "oscillators") return {10, 20, 30, 40, 50, 60, 70, 80, 90, 91, 100, 101};
  if (page == "filtersEnvelopes") {
    std::vector<int> ids;
    for (int decade = 10; decade <= 40; decade += 10)
      for (int mode = 0; mode < 5; ++mode) ids.push_back(decade + mode);
    return ids;
  }
  if (page == "lfoModMatrix") return {10, 20, 30};
  if (page == "effectsArp") return {10, 11, 12, 13, 14, 15};
  return {};
}

std::vector<CorePlace> corePlaces() {
  const layout_tables::ImageSize cancel = layout_tables::imageSize("BUTTON_LIB_CANCEL_ID");
  return {
      {"bank menu", 1142, 60, 1180, 84, kAllTabs},
      {"program menu", 1184, 60, 1229, 84, kAllTabs},
      {"cancel button", 740, 83, 740 + cancel.w, 83 + cancel.h, kAllTabs & ~kLibrarianTab},
      {"librarian cancel button", 835, 457, 835 + cancel.w, 457 + cancel.h, kLibrarianTab},
      {"upper bank menu", 394, 188, 810, 207, kLibrarianTab},
      {"lower bank menu", 394, 461, 810, 480, kLibrarianTab},
      {"bank edit menu", 839, 187, 916, 205, kLibrarianTab},
  };
}

}  // namespace layout_check

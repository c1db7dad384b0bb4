#include "resources/tables/ImageSizes.h"

#include <map>

namespace layout_tables {
namespace {

std::map<std::string, ImageSize> makeSizes() {
  std::map<std::string, ImageSize> sizes = {
      // Knob strips: a normal knob, a large one for the cutoffs, a small one for the mixer.
      {"IKNOBROTATERCONTROL_ID2", {40, 40, 128}},
      {"IKNOBROTATERCONTROL_ID2FC", {52, 52, 128}},
      {"IKNOBROTATERCONTROL_ID3", {26, 26, 128}},
      {"IKNOBROTATERCONTROL_ID97", {40, 40, 97}},
      {"IKNOBROTATERCONTROL_ID49", {40, 40, 49}},
      {"IKNOBROTATERCONTROL_ID25", {40, 40, 25}},
      {"IKNOBROTATERCONTROL_ID12", {40, 40, 12}},
      {"IKNOBROTATERCONTROL_ID9", {40, 40, 9}},
      {"IKNOBROTATERCONTROL_ID8", {40, 40, 8}},
      {"IKNOBROTATERCONTROL_ID6", {40, 40, 6}},
      {"IKNOBROTATERCONTROL_ID5", {40, 40, 5}},
      // Two-frame switches, off above on.
      {"BUTTON_ARP_POWER1", {44, 18, 2}},
      {"BUTTON_LIB_DATATYPE_ID", {96, 20, 2}},
      {"BUTTON_TAB_TOPBAR_ID", {540, 26, 2}},
      {"LED_MIXER_MIDI_ID", {10, 10, 2}},
      {"LED_MIXER_MIDI_INV_ID", {10, 10, 2}},
      {"LED_MIXER_MIDI_LARGE_ID", {14, 14, 2}},
      {"BTN_SMALL_ID", {44, 16, 2}},
      {"BUTTON_BANK_RECALL_ID", {60, 18, 2}},
      {"BUTTON_PART_MUTE", {24, 16, 2}},
      {"BUTTON_PATCHUP_ID", {22, 22, 2}},
      {"BUTTON_PATCHDW_ID", {22, 22, 2}},
      {"BUTTON_LOCK_WHITE_ID", {16, 16, 2}},
      {"BUTTON_LOCK_ID", {16, 16, 2}},
      {"BTN_OFFON_ID", {34, 16, 2}},
      {"BTN_CHECKBOX_ID", {16, 16, 2}},
      {"BTN_SMALL_LED_SM_ID", {12, 12, 2}},
      {"BUTTON_BANK_SEARCH_ID", {60, 18, 2}},
      {"GEARS_ICON_ID", {22, 22, 2}},
      // The part selector: sixteen buttons in a column, normal frame left of the lit one.
      {"BUTTON_TAB_SIDEBAR_ID", {48, 448, 2}},
      // Fader handles.
      {"SLIDER_PYSTY", {20, 12, 1}},
      {"SLIDER_VAAKA", {12, 20, 1}},
      // Buttons and panels of one frame.
      {"BTN_18x18_ID", {18, 18, 1}},
      {"BTN_127x18_ID", {127, 18, 1}},
      {"BUTTON_LIB_CANCEL_ID", {127, 18, 1}},
      {"BUTTON_LIB_DISCARD_ID", {127, 18, 1}},
      {"BUTTON_BANK_OVERWRITE_ID", {127, 18, 1}},
      {"BTN_EXIT_ABOUT_ID", {80, 20, 1}},
      {"BTN_SEE_ABOUT_ID", {80, 20, 1}},
      {"BTN_EXIT_FIRST_RUN_ID", {80, 20, 1}},
      {"BTN_MULTIMODE_LED_PROTECT_ID", {14, 14, 1}},
      {"ID_TRIGGER", {58, 14, 1}},
      {"ID_RANDOMIZE", {96, 22, 1}},
      {"BG_ID_INDICATOR_PROTECTOR", {14, 14, 1}},
      {"BG_ID_SINGLE_PROTECTOR", {40, 40, 1}},
      // Backgrounds.
      {"MAIN_BG_FRAME_ID", {1500, 757, 1}},
      {"MAIN_BG_ID", {1500, 757, 1}},
      {"MANAGER_BG_ID2", {1300, 646, 1}},
      {"MULTI_SETTINGS_BG_ID", {1300, 646, 1}},
      {"OSCILLATORS_ID", {1300, 646, 1}},
      {"FILTERS_ENV_ID", {1300, 646, 1}},
      {"LFO_MODMATRIX_ID", {1300, 646, 1}},
      {"EFFECTS_ID", {1300, 646, 1}},
      {"MULTI_MIXER_BG_ID", {1280, 300, 1}},
      {"MULTI_PART_SETTINGS_BG_ID", {300, 200, 1}},
      {"QUICK_MIXER_ID", {120, 470, 1}},
      {"BG_ID_BROWSER", {760, 520, 1}},
      {"BG_ID_CATEGORY_FILTER", {200, 24, 1}},
      {"BG_SEARCH_FIELD_ID", {200, 24, 1}},
      {"BG_RENAME_ID", {300, 80, 1}},
      {"BG_ABOUT_ID", {600, 400, 1}},
      {"BG_FIRST_RUN_ID", {600, 300, 1}},
      {"BG_PATCH_CONFLICT_ID", {500, 200, 1}},
      {"BG_ID_MIDI_FILTERS", {500, 360, 1}},
      {"PROGRESS_INDICATOR_ID", {1500, 757, 1}},
      // Section pictures of the sound pages.
      {"BG_ID_OSC_PW", {200, 74, 1}},
      {"BG_ID_OSC_LWT", {70, 74, 1}},
      {"BG_ID_OSC_BRI", {70, 74, 1}},
      {"BG_ID_OSCSHA", {200, 74, 1}},
      {"BG_ID_OSCSAM", {200, 74, 1}},
      {"BG_ID_ADSR", {150, 60, 1}},
      {"BG_ID_ADSD2S2R", {150, 60, 1}},
      {"BG_ID_ONESHOT", {150, 60, 1}},
      {"BG_ID_LOOPS1S2", {150, 60, 1}},
      {"BG_ID_LOOPALL", {150, 60, 1}},
      {"BG_ID_FLP", {130, 60, 1}},
      {"BG_ID_FBP", {130, 60, 1}},
      {"BG_ID_FHP", {130, 60, 1}},
      {"BG_ID_FNOTCH", {130, 60, 1}},
      {"BG_ID_FCOMB1", {130, 60, 1}},
      {"BG_ID_FCOMB2", {130, 60, 1}},
      {"EFFECTS_BYPASS_ID", {480, 150, 1}},
      {"EFFECTS_CHORUS_ID", {480, 150, 1}},
      {"EFFECTS_FLANGER_ID", {480, 150, 1}},
      {"EFFECTS_PHASER_ID", {480, 150, 1}},
      {"EFFECTS_OVERDRIVE_ID", {480, 150, 1}},
      {"EFFECTS_TRIPLEFX_ID", {480, 150, 1}},
      {"EFFECTS_DELAY_ID", {480, 150, 1}},
      {"EFFECTS_REVERB_ID", {480, 150, 1}},
  };
  for (int part = 1; part <= 16; ++part)
    sizes["BUTTON_MIXER_MUTE" + std::to_string(part) + "_ID"] = {24, 16, 2};
  return sizes;
}

}  // namespace

ImageSize imageSize(const std::string& name) {
  static const std::map<std::string, ImageSize> sizes = makeSizes();
  const auto it = sizes.find(name);
  return it == sizes.end() ? ImageSize{} : it->second;
}

}  // namespace layout_tables

#include <cstdio>

#include "resources/tables/Pages.h"

namespace layout_tables {
namespace {

constexpr int kFx1X = 200;
constexpr int kFx2X = 850;
constexpr int kEffectY = 112;
constexpr int kEffectH = 200;
constexpr int kArpX = 200;
constexpr int kArpY = 320;
constexpr int kArpW = 1280;
constexpr int kArpH = 396;
constexpr int kSteps = 16;
constexpr int kStepPitch = 74;

// One knob of an effect type's panel.
struct EffectKnob {
  const char* setting;  // the identifier after "kFX1" or "kFX2"
  const char* name;
  const char* label;
  int values;
  int def;
};

// An effect type: its panel name and picture, and its knobs.
struct EffectType {
  const char* layerName;
  const char* picture;
  std::vector<EffectKnob> knobs;
};

std::vector<EffectType> effectTypes(int fx) {
  std::vector<EffectType> types = {
      {"Bypass", "EFFECTS_BYPASS_ID", {}},
      {"Chorus",
       "EFFECTS_CHORUS_ID",
       {{"ChorusSpeed", "Chorus Speed", "SPEED", 128, 40},
        {"ChorusDepth", "Chorus Depth", "DEPTH", 128, 64}}},
      {"Flanger",
       "EFFECTS_FLANGER_ID",
       {{"FlangerSpeed", "Flanger Speed", "SPEED", 128, 40},
        {"FlangerDepht", "Flanger Depth", "DEPTH", 128, 64},
        {"FlangerFeedBack", "Flanger Feedback", "FEEDBACK", 128, 64},
        {"FlangerPolarity", "Flanger Polarity", "POLARITY", 2, 0}}},
      {"Phaser",
       "EFFECTS_PHASER_ID",
       {{"PhaserSpeed", "Phaser Speed", "SPEED", 128, 40},
        {"PhaserDepth", "Phaser Depth", "DEPTH", 128, 64},
        {"PhaserCenter", "Phaser Center", "CENTER", 128, 64},
        {"PhaserSpacing", "Phaser Spacing", "SPACING", 128, 64},
        {"PhaserFeedback", "Phaser Feedback", "FEEDBACK", 128, 64},
        {"PhaserPolarity", "Phaser Polarity", "POLARITY", 2, 0}}},
      {"Overdrive",
       "EFFECTS_OVERDRIVE_ID",
       {{"OverdriveDrive", "Overdrive Drive", "DRIVE", 128, 32},
        {"OverdrivePostGain", "Overdrive Gain", "POST GAIN", 128, 64},
        {"OverdriveCutoff", "Overdrive Cutoff", "CUTOFF", 128, 127},
        {"OverdriveCurve", "Overdrive Curve", "CURVE", 6, 0}}},
      {"TripleFX",
       "EFFECTS_TRIPLEFX_ID",
       {{"TripleFXSampleHold", "Triple Sample & Hold", "S&H", 128, 0},
        {"TripleFXOverdrive", "Triple Overdrive", "OVERDRIVE", 128, 0},
        {"TripleFXChorusMix", "Triple Chorus Mix", "CHORUS MIX", 128, 64},
        {"TripleFXSpeed", "Triple Speed", "SPEED", 128, 40},
        {"TripleFXDepth", "Triple Depth", "DEPTH", 128, 64}}},
  };
  if (fx == 1) return types;
  const EffectKnob delayCommon[4] = {{"DelaySpread", "Delay Spread", "SPREAD", 128, 64},
                                     {"DelayFeedback", "Delay Feedback", "FEEDBACK", 128, 64},
                                     {"DelayPolarity", "Delay Polarity", "POLARITY", 2, 0},
                                     {"DelayCutoff", "Delay Cutoff", "CUTOFF", 128, 127}};
  EffectType delay{"Delay", "EFFECTS_DELAY_ID", {{"DelayLength", "Delay Time", "TIME", 128, 64}}};
  EffectType clocked{"DelayClocked",
                     "EFFECTS_DELAY_ID",
                     {{"DelayLengthClock", "Delay Clocked Time", "CLOCKED TIME", 13, 8}}};
  for (const EffectKnob& k : delayCommon) {
    delay.knobs.push_back(k);
    clocked.knobs.push_back(k);
  }
  types.push_back(delay);
  types.push_back(clocked);
  types.push_back({"Reverb",
                   "EFFECTS_REVERB_ID",
                   {{"ReverbHighPass", "Reverb High Pass", "LOW CUT", 128, 0},
                    {"ReverbLowppass", "Reverb Low Pass", "HIGH CUT", 128, 127},
                    {"ReverbDiffusion", "Reverb Diffusion", "DIFFUSION", 128, 64},
                    {"ReverbSize", "Reverb Size", "SIZE", 9, 4},
                    {"ReverbShape", "Reverb Shape", "SHAPE", 128, 64},
                    {"ReverbDecay", "Reverb Decay", "DECAY", 128, 64},
                    {"ReverbDamping", "Reverb Damping", "DAMPING", 128, 64}}});
  return types;
}

// The effect's panel picture and knobs, at the panel's top-left corner.
std::vector<Element> effectPanel(int fx, const EffectType& type, At at) {
  const std::string prefix = "kFX" + std::to_string(fx);
  // The second effect's controls stand outside the part panels; names starting "FX" pass the
  // value display's filter while the host plays.
  const std::string namePrefix = "FX" + std::to_string(fx) + " ";
  std::vector<Element> out = {background(type.picture, at)};
  for (size_t k = 0; k < type.knobs.size(); ++k) {
    const EffectKnob& knob = type.knobs[k];
    out.push_back(seKnob({prefix + knob.setting, namePrefix + knob.name, knob.label},
                         {at.x + 20 + 66 * static_cast<int>(k), at.y + 60}, knob.values, knob.def));
  }
  return out;
}

At effectPanelAt(int fx) {
  return {(fx == 1 ? kFx1X : kFx2X) + 140, kEffectY + 30};
}

// The first effect's type panels are members 10 (bypass) to 15 of each part panel.
std::vector<Element> effect1() {
  std::vector<Element> out = {
      seMenu({"kEffect1Mode", "Effect 1 Type", "TYPE"}, {kFx1X + 12, kEffectY + 44}, 100,
             "fx1Mode"),
      seKnob({"kEffect1Mix", "Effect 1 Mix", "MIX"}, {kFx1X + 42, kEffectY + 80}, 128, 64),
  };
  const std::vector<EffectType> types = effectTypes(1);
  for (size_t m = 0; m < types.size(); ++m)
    out.push_back(layer(std::string("fx1") + types[m].layerName, 10 + static_cast<int>(m),
                        effectPanel(1, types[m], effectPanelAt(1))));
  return out;
}

// The second effect is the first part's: the tab switching shows its panel by the first part's
// type, whatever part is edited, so its type, mix and panels stand outside the part panels.
std::vector<Element> effect2Controls() {
  return {
      seMenu({"kEffect2Mode", "Effect 2 Type", "TYPE"}, {kFx2X + 12, kEffectY + 44}, 100,
             "fx2Mode"),
      seKnob({"kEffect2Mix", "FX2 Mix", "MIX"}, {kFx2X + 42, kEffectY + 80}, 128, 64),
  };
}

std::vector<Element> arpSettings() {
  const int x = kArpX, y = kArpY;
  return {
      seMenu({"kArpMode", "Arp Mode", "MODE"}, {x + 12, y + 44}, 90, "arpMode"),
      seMenu({"kArpPattern", "Arp Pattern", "PATTERN"}, {x + 114, y + 44}, 100, "arpPattern"),
      seMenu({"kArpClock", "Arp Clock", "CLOCK"}, {x + 226, y + 44}, 70, "arpClock", 7),
      seMenu({"kArpDirection", "Arp Direction", "DIRECTION"}, {x + 308, y + 44}, 90,
             "arpDirection"),
      seMenu({"kArpSortOrder", "Arp Sort Order", "SORT ORDER"}, {x + 410, y + 44}, 110,
             "arpSortOrder"),
      seMenu({"kArpVelocityMode", "Arp Velocity", "VELOCITY"}, {x + 532, y + 44}, 100,
             "arpVeloMode"),
      seNumberMenu({"kArpOctRange", "Arp Octaves", "OCTAVES"}, {x + 644, y + 44}, 50, 4, 1),
      seNumberMenu({"kArpPatternLength", "Arp Steps", "STEPS"}, {x + 706, y + 44}, 50, 16, 1, 15),
      seKnob({"kArpNoteLength", "Arp Note Length", "NOTE LENGTH"}, {x + 800, y + 26}, 128, 63),
      seKnob({"kArpTimeFactor", "Arp Time Factor", "TIME FACTOR"}, {x + 872, y + 26}, 128, 64),
      seButton({"kArpSameNoteOverlap", "Arp Note Overlap", "NOTE OVERLAP"}, {x + 944, y + 44},
               "BTN_OFFON_ID"),
      seButton({"kArpPatternReset", "Arp Pattern Reset", "PATTERN RESET"}, {x + 1034, y + 44},
               "BTN_OFFON_ID"),
  };
}

// Rows of the step blocks: the block's identifier suffix, its list, its label.
struct StepRow {
  const char* setting;
  const char* list;
  const char* label;
};

const StepRow kStepRows[4] = {{"Step", "arpStepDisplay", "STEP"},
                              {"Accent", "arpAccent", "ACCENT"},
                              {"Timing", "arpTiming", "TIMING"},
                              {"StepLen", "arpStepLength", "LENGTH"}};
constexpr int kStepDefaults[4] = {1, 4, 3, 7};

int stepX(int step) {
  return kArpX + 90 + kStepPitch * step;
}

int stepRowY(int row) {
  return kArpY + 110 + 40 * row;
}

// One block per step: step type, accent, timing, length and glide, one above the other.
std::vector<Element> arpSteps() {
  std::vector<Element> out;
  for (int s = 0; s < kSteps; ++s) {
    char step[3];
    std::snprintf(step, sizeof step, "%02d", s + 1);
    const std::string id = std::string("kArpPattern") + step;
    const std::string name = "Arp Step " + std::to_string(s + 1) + " ";
    for (int r = 0; r < 4; ++r)
      out.push_back(seMenu(
          {id + kStepRows[r].setting, name + kStepRows[r].label, kStepRows[r].label},
          {stepX(s), stepRowY(r)}, 66, kStepRows[r].list, kStepDefaults[r], LabelSide::kNone));
    out.push_back(seButton({id + "Glide", name + "Glide", "GLIDE"}, {stepX(s) + 25, stepRowY(4)},
                           "BTN_CHECKBOX_ID", 0, LabelSide::kNone));
  }
  return out;
}

std::vector<Element> arpCaptions() {
  std::vector<Element> out;
  for (int r = 0; r < 4; ++r)
    out.push_back(caption(kStepRows[r].label, {kArpX + 12, stepRowY(r) + 1}, 70));
  out.push_back(caption("GLIDE", {kArpX + 12, stepRowY(4) + 3}, 70));
  for (int s = 0; s < kSteps; ++s)
    out.push_back(caption(std::to_string(s + 1), {stepX(s), stepRowY(0) - 16}, 66));
  return out;
}

}  // namespace

Element effectsArpPage() {
  std::vector<Element> panel = effect1();
  for (Element& e : arpSettings()) panel.push_back(std::move(e));
  for (Element& e : arpSteps()) panel.push_back(std::move(e));

  std::vector<Element> page = {background("EFFECTS_ID", kPageOrigin),
                               section("EFFECT 1", {kFx1X, kEffectY}, 640, kEffectH),
                               section("EFFECT 2 (PART 1)", {kFx2X, kEffectY}, 630, kEffectH),
                               section("ARPEGGIATOR", {kArpX, kArpY}, kArpW, kArpH)};
  for (Element& e : arpCaptions()) page.push_back(std::move(e));
  for (Element& e : effect2Controls()) page.push_back(std::move(e));
  page.push_back(multilayer("effectsArpPart", std::move(panel)));
  return layer("effectsArp", 5, std::move(page));
}

std::vector<Element> effectPanelLayers() {
  std::vector<Element> out;
  for (const EffectType& type : effectTypes(2))
    out.push_back(layer(type.layerName, 0, effectPanel(2, type, effectPanelAt(2))));
  return out;
}

}  // namespace layout_tables

#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The page picture's sections.
constexpr Box kEffect[2] = {{90, kTopRow, 560, kTopRowHeight}, {660, kTopRow, 580, kTopRowHeight}};
constexpr Box kMix{1250, kTopRow, 240, kTopRowHeight};
constexpr Box kArp{90, kBottomRow, 400, kBottomRowHeight};
constexpr Box kPattern{500, kBottomRow, 990, kBottomRowHeight};

// The lock in a section's top right corner.
At lockAt(const Box& s) {
  return inPlate(s, s.w - 30, 6);
}

constexpr int kSteps = 16;
constexpr int kStepPitch = 57;
constexpr int kKnobPitch = 62;
// Effect panels: knobs start right of the band's caption.
constexpr int kFirstKnob = 120;
constexpr int kBandHeight = 40;

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
        {"OverdrivePostGain", "Overdrive Gain", "GAIN", 128, 64},
        {"OverdriveCutoff", "Overdrive Cutoff", "CUTOFF", 128, 127},
        {"OverdriveCurve", "Overdrive Curve", "CURVE", 6, 0}}},
      {"TripleFX",
       "EFFECTS_TRIPLEFX_ID",
       {{"TripleFXSampleHold", "Triple Sample & Hold", "S&H", 128, 0},
        {"TripleFXOverdrive", "Triple Overdrive", "OVERDRIVE", 128, 0},
        {"TripleFXChorusMix", "Triple Chorus Mix", "CHORUS", 128, 64},
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
                     {{"DelayLengthClock", "Delay Clocked Time", "TIME", 13, 8}}};
  for (const EffectKnob& k : delayCommon) {
    delay.knobs.push_back(k);
    clocked.knobs.push_back(k);
  }
  types.push_back(delay);
  types.push_back(clocked);
  types.push_back({"Reverb",
                   "EFFECTS_REVERB_ID",
                   {{"ReverbHighPass", "Reverb High Pass", "LO CUT", 128, 0},
                    {"ReverbLowppass", "Reverb Low Pass", "HI CUT", 128, 127},
                    {"ReverbDiffusion", "Reverb Diffusion", "DIFFUSE", 128, 64},
                    {"ReverbSize", "Reverb Size", "SIZE", 9, 4},
                    {"ReverbShape", "Reverb Shape", "SHAPE", 128, 64},
                    {"ReverbDecay", "Reverb Decay", "DECAY", 128, 64},
                    {"ReverbDamping", "Reverb Damping", "DAMPING", 128, 64}}});
  return types;
}

// The effect's caption band and knobs, from the band's top-left corner.
std::vector<Element> effectPanel(int fx, const EffectType& type, At at) {
  const std::string prefix = "kFX" + std::to_string(fx);
  // The second effect's controls stand outside the part panels; names starting "FX" pass the
  // value display's filter while the host plays.
  const std::string namePrefix = "FX" + std::to_string(fx) + " ";
  std::vector<Element> out = {background(type.picture, at)};
  for (size_t k = 0; k < type.knobs.size(); ++k) {
    const EffectKnob& knob = type.knobs[k];
    // Right under the band, whose lower edge carries the labels: the panels take turns in one
    // place, so each label goes on its own panel's picture.
    out.push_back(seKnob({prefix + knob.setting, namePrefix + knob.name, knob.label},
                         {at.x + kFirstKnob + kKnobPitch * static_cast<int>(k), at.y + kBandHeight},
                         knob.values, knob.def, "", LabelSide::kAbove));
  }
  return out;
}

At effectPanelAt(int fx) {
  return inPlate(kEffect[fx - 1], fx == 1 ? 2 : 10, 110);
}

// The first effect's type panels are members 10 (bypass) to 15 of each part panel.
std::vector<Element> effect1() {
  std::vector<Element> out = {
      seMenu({"kEffect1Mode", "Effect 1 Type", "TYPE"}, inPlate(kEffect[0], 14, 34), 120,
             "fx1Mode"),
      seKnob({"kEffect1Mix", "Effect 1 Mix", "EFFECT 1"}, inPlate(kMix, 40, 40), 128, 64),
      sectionLock("kSectionLockFX1", "Effect 1 Lock", lockAt(kEffect[0])),
      sectionLock("kSectionLockFX2", "Effect 2 Lock", lockAt(kEffect[1])),
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
      seMenu({"kEffect2Mode", "Effect 2 Type", "TYPE"}, inPlate(kEffect[1], 14, 34), 140,
             "fx2Mode"),
      seKnob({"kEffect2Mix", "FX2 Mix", "EFFECT 2"}, inPlate(kMix, 144, 40), 128, 64),
  };
}

std::vector<Element> arpSettings() {
  const Box& s = kArp;
  return {
      seMenu({"kArpMode", "Arp Mode", "MODE"}, inPlate(s, 12, 30), 110, "arpMode"),
      seMenu({"kArpPattern", "Arp Pattern", "PATTERN"}, inPlate(s, 12, 76), 110, "arpPattern"),
      seMenu({"kArpClock", "Arp Clock", "CLOCK"}, inPlate(s, 12, 122), 110, "arpClock", 7),
      seMenu({"kArpDirection", "Arp Direction", "DIRECTION"}, inPlate(s, 12, 168), 110,
             "arpDirection"),
      seMenu({"kArpSortOrder", "Arp Sort Order", "SORT ORDER"}, inPlate(s, 138, 30), 110,
             "arpSortOrder"),
      seMenu({"kArpVelocityMode", "Arp Velocity", "VELOCITY"}, inPlate(s, 138, 76), 110,
             "arpVeloMode"),
      seNumberMenu({"kArpOctRange", "Arp Octaves", "OCTAVES"}, inPlate(s, 138, 122), 110, 4, 1),
      seNumberMenu({"kArpPatternLength", "Arp Steps", "STEPS"}, inPlate(s, 138, 168), 110, 16, 1,
                   15),
      seKnob({"kArpNoteLength", "Arp Note Length", "NOTE LENGTH"}, inPlate(s, 266, 32), 128, 63),
      seKnob({"kArpTimeFactor", "Arp Time Factor", "TIME FACTOR"}, inPlate(s, 266, 130), 128, 64),
      seButton({"kArpSameNoteOverlap", "Arp Note Overlap", "OVERLAP"}, inPlate(s, 340, 58),
               "BTN_OFFON_ID"),
      seButton({"kArpPatternReset", "Arp Pattern Reset", "RESET"}, inPlate(s, 340, 156),
               "BTN_OFFON_ID"),
      sectionLock("kSectionLockArp", "Arp Lock", lockAt(s)),
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

At stepAt(int step, int row) {
  return inPlate(kPattern, 70 + kStepPitch * step, 40 + 42 * row);
}

// One block per step: step type, accent, timing, length and glide, one above the other.
std::vector<Element> arpSteps() {
  std::vector<Element> out;
  for (int s = 0; s < kSteps; ++s) {
    const std::string id = "kArpPattern" + twoDigits(s + 1);
    const std::string name = "Arp Step " + std::to_string(s + 1) + " ";
    for (int r = 0; r < 4; ++r)
      out.push_back(
          seMenu({id + kStepRows[r].setting, name + kStepRows[r].label, kStepRows[r].label},
                 stepAt(s, r), 52, kStepRows[r].list, kStepDefaults[r], LabelSide::kNone));
    const At glide = stepAt(s, 4);
    out.push_back(seButton({id + "Glide", name + "Glide", "GLIDE"}, {glide.x + 18, glide.y - 2},
                           "BTN_CHECKBOX_ID", 0, LabelSide::kNone));
  }
  return out;
}

std::vector<Element> arpCaptions() {
  std::vector<Element> out;
  for (int r = 0; r < 4; ++r) {
    const At row = stepAt(0, r);
    out.push_back(caption(kStepRows[r].label, {row.x - 62, row.y + 1}, 56));
  }
  const At glide = stepAt(0, 4);
  out.push_back(caption("GLIDE", {glide.x - 62, glide.y + 1}, 56));
  for (int s = 0; s < kSteps; ++s) {
    const At top = stepAt(s, 0);
    out.push_back(caption(std::to_string(s + 1), {top.x, top.y - 18}, 54));
  }
  return out;
}

}  // namespace

Element effectsArpPage() {
  std::vector<Element> panel = effect1();
  for (Element& e : arpSettings()) panel.push_back(std::move(e));
  for (Element& e : arpSteps()) panel.push_back(std::move(e));

  std::vector<Element> page = {
      background("EFFECTS_ID", kPageOrigin),
      section("EFFECT 1", kEffect[0]),
      section("EFFECT 2", kEffect[1]),
      section("EFFECT MIX", kMix),
      section("ARPEGGIATOR", kArp),
      section("PATTERN", kPattern),
      caption("OF PART 1", inPlate(kEffect[1], 170, 34), 120),
      // Greyed on the other parts' panels; this says why.
      caption("FOR PARTS 1 TO 4", inPlate(kEffect[0], 150, 34), 130),
  };
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

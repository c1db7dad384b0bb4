#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The page picture's sections.
constexpr Box kFilter[2] = {{90, kTopRow, 520, kTopRowHeight}, {970, kTopRow, 520, kTopRowHeight}};
constexpr Box kRoutingAmp{620, kTopRow, 340, kTopRowHeight};
constexpr Box kEnvelope[4] = {{90, kBottomRow, 342, kBottomRowHeight},
                              {442, kBottomRow, 342, kBottomRowHeight},
                              {794, kBottomRow, 342, kBottomRowHeight},
                              {1146, kBottomRow, 344, kBottomRowHeight}};

// The lock in a section's top right corner.
At lockAt(const Box& s) {
  return inPlate(s, s.w - 30, 6);
}

// Where the tab switching shows the filter's picture, chosen by its type.
At filterPictureAt(int filter) {
  return inPlate(kFilter[filter - 1], 10, 16);
}

std::vector<Element> filter(int f) {
  const Box& s = kFilter[f - 1];
  const std::string n = std::to_string(f);
  auto p = [&](const std::string& setting, const std::string& name, const std::string& label) {
    return Param{"kFilter" + n + setting, "Filter " + n + " " + name, label};
  };
  return {
      seKnob(p("Cutoff", "Cutoff", "CUTOFF"), inPlate(s, 226, 14), 128, 127,
             "IKNOBROTATERCONTROL_ID2FC"),
      seKnob(p("Resonance", "Resonance", "RESONANCE"), inPlate(s, 304, 20), 128, 0),
      seKnob(p("Drive", "Drive", "DRIVE"), inPlate(s, 376, 20), 128, 0),
      seKnob(p("DriveCurve", "Drive Curve", "CURVE"), inPlate(s, 446, 36), 12, 0),
      seMenu(p("Type", "Type", "TYPE"), inPlate(s, 10, 118), 120, "filter1Type", 1),
      seKnob(p("Keytrack", "Keytrack", "KEYTRACK"), inPlate(s, 150, 112), 128, 64),
      seKnob(p("EnvAmount", "Env Amount", "ENV AMT"), inPlate(s, 214, 112), 128, 64),
      seKnob(p("EnvVelocity", "Env Velocity", "ENV VEL"), inPlate(s, 278, 112), 128, 64),
      seKnob(p("Panning", "Panning", "PAN"), inPlate(s, 342, 112), 128, 64),
      seMenu(p("ModSource", "Mod Source", "MOD SOURCE"), inPlate(s, 10, 226), 100,
             "modulationSources"),
      seKnob(p("ModAmount", "Mod Amount", "MOD AMT"), inPlate(s, 116, 204), 128, 64),
      seMenu(p("FMSource", "FM Source", "FM SOURCE"), inPlate(s, 184, 226), 90, "fmSources"),
      seKnob(p("FMAmount", "FM Amount", "FM AMT"), inPlate(s, 280, 204), 128, 0),
      seMenu(p("PanSource", "Pan Source", "PAN SOURCE"), inPlate(s, 346, 226), 100,
             "modulationSources"),
      seKnob(p("PanAmount", "Pan Amount", "PAN AMT"), inPlate(s, 452, 204), 128, 64),
      sectionLock("kSectionLockFilter" + n, "Lock Filter " + n, lockAt(s)),
  };
}

std::vector<Element> amplifierAndRouting() {
  const Box& s = kRoutingAmp;
  return {
      seKnob({"kAmpLevel", "Amp Level", "LEVEL"}, inPlate(s, 14, 20), 128, 100),
      seKnob({"kAmpLevelVelocity", "Amp Velocity", "VELOCITY"}, inPlate(s, 84, 20), 128, 64),
      seMenu({"kAmpModSource", "Amp Mod Source", "MOD SOURCE"}, inPlate(s, 14, 136), 110,
             "modulationSources"),
      seKnob({"kAmpModAmount", "Amp Mod Amount", "MOD AMT"}, inPlate(s, 142, 114), 128, 64),
      sectionLock("kSectionLockAmp", "Lock Amplifier", lockAt(s)),
      // The trigger switches the routing and both of its switches together; the lamp sends it.
      seButton({"kFilterRoutingSerial", "Filter Routing", "SERIAL ROUTING"}, inPlate(s, 14, 236),
               "BTN_SMALL_LED_SM_ID", 0, LabelSide::kNone),
      momentary({"kTriggerFilterRouting", "Filter Routing", "SERIAL ROUTING"}, inPlate(s, 42, 238),
                "BTN_SMALL_ID"),
  };
}

struct EnvelopeIds {
  const char* title;
  const char* lock;
  const char* mode;
  const char* trigger;
  const char* stages[7];  // attack, attack level, decay, sustain, decay 2, sustain 2, release
};

const EnvelopeIds kEnvelopes[4] = {
    {"Filter Env",
     "kSectionLockFilterEnv",
     "kFilterEnvMode",
     "kFilterEnvTrigger",
     {"kFilterEnvAttack", "kFilterAttackLevel", "kFilterEnvDecay", "kFilterEnvSustain",
      "kFilterEnvDecay2", "kFilterEnvSustain2", "kFilterEnvRelease"}},
    {"Amp Env",
     "kSectionLockAmpEnv",
     "kAmpEnvMode",
     "kAmpEnvTrigger",
     {"kAmpEnvAttack", "kAmpAttackLevel", "kAmpEnvDecay", "kAmpEnvSustain", "kAmpEnvDecay2",
      "kAmpEnvSustain2", "kAmpEnvRelease"}},
    {"Env 3",
     "kSectionLockEnv3",
     "kEnvelope3Mode",
     "kEnv3Trigger",
     {"kEnv3Attack", "kEnv3AttackLevel", "kEnv3Decay", "kEnv3Sustain", "kEnv3Decay2",
      "kEnv3Sustain2", "kEnv3Release"}},
    {"Env 4",
     "kSectionLockEnv4",
     "kEnvelope4Mode",
     "kEnv4Trigger",
     {"kEnv4Attack", "kEnv4AttackLevel", "kEnv4Decay", "kEnv4Sustain", "kEnv4Decay2",
      "kEnv4Sustain2", "kEnv4Release"}},
};

// The envelope's shape picture, one member per mode in the envelope's decade.
std::vector<Element> modePictures(int k) {
  static const char* const pictures[5] = {"BG_ID_ADSR", "BG_ID_ADSD2S2R", "BG_ID_ONESHOT",
                                          "BG_ID_LOOPS1S2", "BG_ID_LOOPALL"};
  std::vector<Element> out;
  for (int mode = 0; mode < 5; ++mode)
    out.push_back(layer("env" + std::to_string(k + 1) + "Mode" + std::to_string(mode),
                        10 * (k + 1) + mode,
                        {background(pictures[mode], inPlate(kEnvelope[k], 86, 30))}));
  return out;
}

std::vector<Element> envelope(int k) {
  static const char* const names[7] = {"Attack",  "Attack Level", "Decay",  "Sustain",
                                       "Decay 2", "Sustain 2",    "Release"};
  static const char* const labels[7] = {"ATT", "LEVEL", "DEC 1", "SUS 1", "DEC 2", "SUS 2", "REL"};
  static const int defaults[7] = {0, 127, 64, 64, 64, 64, 32};
  const EnvelopeIds& e = kEnvelopes[k];
  const Box& s = kEnvelope[k];
  const std::string title = e.title;
  std::vector<Element> out = {
      seMenu({e.mode, title + " Mode", "MODE"}, inPlate(s, 8, 46), 72, "envelopeMode"),
      seMenu({e.trigger, title + " Trigger", "TRIGGER"}, inPlate(s, 8, 86), 72, "envelopeTrigger"),
      sectionLock(e.lock, title + " Lock", lockAt(s)),
  };
  for (int i = 0; i < 7; ++i)
    out.push_back(seKnob({e.stages[i], title + " " + names[i], labels[i]},
                         inPlate(s, 8 + 47 * i, 160), 128, defaults[i], "IKNOBROTATERCONTROL_ID3"));
  for (Element& m : modePictures(k)) out.push_back(std::move(m));
  return out;
}

}  // namespace

Element filtersEnvelopesPage() {
  std::vector<Element> panel;
  for (int f : {1, 2})
    for (Element& e : filter(f)) panel.push_back(std::move(e));
  for (Element& e : amplifierAndRouting()) panel.push_back(std::move(e));
  for (int k = 0; k < 4; ++k)
    for (Element& e : envelope(k)) panel.push_back(std::move(e));

  std::vector<Element> page = {
      background("FILTERS_ENV_ID", kPageOrigin), section("FILTER 1", kFilter[0]),
      section("ROUTING & AMP", kRoutingAmp), section("FILTER 2", kFilter[1])};
  static const char* const titles[4] = {"FILTER ENVELOPE", "AMP ENVELOPE", "ENVELOPE 3",
                                        "ENVELOPE 4"};
  for (int k = 0; k < 4; ++k) page.push_back(section(titles[k], kEnvelope[k]));
  page.push_back(multilayer("filtersEnvelopesPart", std::move(panel)));
  return layer("filtersEnvelopes", 3, std::move(page));
}

std::vector<Element> filterPictureLayers() {
  static const std::pair<const char*, const char*> kinds[6] = {
      {"LP", "BG_ID_FLP"},       {"BP", "BG_ID_FBP"},           {"HP", "BG_ID_FHP"},
      {"Notch", "BG_ID_FNOTCH"}, {"CombMinus", "BG_ID_FCOMB1"}, {"CombPlus", "BG_ID_FCOMB2"}};
  std::vector<Element> out;
  for (int f : {1, 2})
    for (const auto& kind : kinds)
      out.push_back(layer("filter" + std::to_string(f) + kind.first, 0,
                          {background(kind.second, filterPictureAt(f))}));
  return out;
}

}  // namespace layout_tables

#include "resources/tables/Pages.h"

namespace layout_tables {
namespace {

constexpr int kLeftX = 200;
constexpr int kLeftW = 640;
constexpr int kFilterH = 196;
constexpr int kRightX = 850;
constexpr int kRightW = 630;
constexpr int kEnvelopeH = 144;

int filterY(int filter) {
  return 112 + (kFilterH + 8) * (filter - 1);
}

// Where the tab switching shows the filter's picture, chosen by its type.
At filterPictureAt(int filter) {
  return {kLeftX + 8, filterY(filter) + 24};
}

Param filterParam(int filter, const std::string& setting, const std::string& name,
                  const std::string& label) {
  const std::string n = std::to_string(filter);
  return {"kFilter" + n + setting, "Filter " + n + " " + name, label};
}

std::vector<Element> filter(int f) {
  const int x = kLeftX, y = filterY(f);
  auto p = [f](const std::string& setting, const std::string& name, const std::string& label) {
    return filterParam(f, setting, name, label);
  };
  return {
      seKnob(p("Cutoff", "Cutoff", "CUTOFF"), {x + 148, y + 22}, 128, 127,
             "IKNOBROTATERCONTROL_ID2FC"),
      seKnob(p("Resonance", "Resonance", "RESONANCE"), {x + 214, y + 26}, 128, 0),
      seKnob(p("Drive", "Drive", "DRIVE"), {x + 276, y + 26}, 128, 0),
      seKnob(p("DriveCurve", "Drive Curve", "DRIVE CURVE"), {x + 338, y + 26}, 12, 0),
      seKnob(p("Keytrack", "Keytrack", "KEYTRACK"), {x + 400, y + 26}, 128, 64),
      seKnob(p("EnvAmount", "Env Amount", "ENV AMT"), {x + 462, y + 26}, 128, 64),
      seKnob(p("EnvVelocity", "Env Velocity", "ENV VEL"), {x + 524, y + 26}, 128, 64),
      seMenu(p("Type", "Type", "TYPE"), {x + 12, y + 124}, 110, "filter1Type", 1),
      seMenu(p("ModSource", "Mod Source", "MOD SOURCE"), {x + 134, y + 124}, 100,
             "modulationSources"),
      seKnob(p("ModAmount", "Mod Amount", "MOD AMT"), {x + 240, y + 108}, 128, 64),
      seMenu(p("FMSource", "FM Source", "FM SOURCE"), {x + 292, y + 124}, 80, "fmSources"),
      seKnob(p("FMAmount", "FM Amount", "FM AMT"), {x + 378, y + 108}, 128, 0),
      seKnob(p("Panning", "Panning", "PANNING"), {x + 432, y + 108}, 128, 64),
      seMenu(p("PanSource", "Pan Source", "PAN SOURCE"), {x + 478, y + 124}, 100,
             "modulationSources"),
      seKnob(p("PanAmount", "Pan Amount", "PAN AMT"), {x + 584, y + 108}, 128, 64),
  };
}

std::vector<Element> amplifierAndRouting() {
  const int x = kLeftX, y = 520;
  return {
      seKnob({"kAmpLevel", "Amp Level", "LEVEL"}, {x + 14, y + 26}, 128, 100),
      seKnob({"kAmpLevelVelocity", "Amp Velocity", "VELOCITY"}, {x + 76, y + 26}, 128, 64),
      seMenu({"kAmpModSource", "Amp Mod Source", "MOD SOURCE"}, {x + 134, y + 44}, 100,
             "modulationSources"),
      seKnob({"kAmpModAmount", "Amp Mod Amount", "MOD AMT"}, {x + 244, y + 26}, 128, 64),
      // The trigger switches routing and both of its switches together; the lamp sends it.
      trigger({"kTriggerFilterRouting", "Filter Routing", "SERIAL"}, {x + 340, y + 44}),
      seButton({"kFilterRoutingSerial", "Filter Routing", "SERIAL"}, {x + 402, y + 45},
               "BTN_SMALL_LED_SM_ID", 0, LabelSide::kNone),
  };
}

struct EnvelopeIds {
  const char* title;
  const char* mode;
  const char* trigger;
  const char* stages[7];  // attack, attack level, decay, sustain, decay 2, sustain 2, release
};

const EnvelopeIds kEnvelopes[4] = {
    {"Filter Env",
     "kFilterEnvMode",
     "kFilterEnvTrigger",
     {"kFilterEnvAttack", "kFilterAttackLevel", "kFilterEnvDecay", "kFilterEnvSustain",
      "kFilterEnvDecay2", "kFilterEnvSustain2", "kFilterEnvRelease"}},
    {"Amp Env",
     "kAmpEnvMode",
     "kAmpEnvTrigger",
     {"kAmpEnvAttack", "kAmpAttackLevel", "kAmpEnvDecay", "kAmpEnvSustain", "kAmpEnvDecay2",
      "kAmpEnvSustain2", "kAmpEnvRelease"}},
    {"Env 3",
     "kEnvelope3Mode",
     "kEnv3Trigger",
     {"kEnv3Attack", "kEnv3AttackLevel", "kEnv3Decay", "kEnv3Sustain", "kEnv3Decay2",
      "kEnv3Sustain2", "kEnv3Release"}},
    {"Env 4",
     "kEnvelope4Mode",
     "kEnv4Trigger",
     {"kEnv4Attack", "kEnv4AttackLevel", "kEnv4Decay", "kEnv4Sustain", "kEnv4Decay2",
      "kEnv4Sustain2", "kEnv4Release"}},
};

int envelopeY(int k) {
  return 112 + (kEnvelopeH + 8) * k;
}

// The envelope's shape picture, one member per mode in the envelope's decade.
std::vector<Element> modePictures(int k) {
  static const char* const pictures[5] = {"BG_ID_ADSR", "BG_ID_ADSD2S2R", "BG_ID_ONESHOT",
                                          "BG_ID_LOOPS1S2", "BG_ID_LOOPALL"};
  std::vector<Element> out;
  for (int mode = 0; mode < 5; ++mode)
    out.push_back(layer("env" + std::to_string(k + 1) + "Mode" + std::to_string(mode),
                        10 * (k + 1) + mode,
                        {background(pictures[mode], {kRightX + 12, envelopeY(k) + 80})}));
  return out;
}

std::vector<Element> envelope(int k) {
  static const char* const names[7] = {"Attack",  "Attack Level", "Decay",  "Sustain",
                                       "Decay 2", "Sustain 2",    "Release"};
  static const char* const labels[7] = {"ATTACK",  "ATT LEVEL", "DECAY",  "SUSTAIN",
                                        "DECAY 2", "SUSTAIN 2", "RELEASE"};
  static const int defaults[7] = {0, 127, 64, 64, 64, 64, 32};
  const EnvelopeIds& e = kEnvelopes[k];
  const int x = kRightX, y = envelopeY(k);
  const std::string title = e.title;
  std::vector<Element> out = {
      seMenu({e.mode, title + " Mode", "MODE"}, {x + 12, y + 36}, 100, "envelopeMode"),
      seMenu({e.trigger, title + " Trigger", "TRIGGER"}, {x + 12, y + 64}, 100, "envelopeTrigger"),
  };
  for (int s = 0; s < 7; ++s)
    out.push_back(seKnob({e.stages[s], title + " " + names[s], labels[s]},
                         {x + 178 + 62 * s, y + 40}, 128, defaults[s]));
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

  std::vector<Element> page = {background("FILTERS_ENV_ID", kPageOrigin),
                               section("FILTER 1", {kLeftX, filterY(1)}, kLeftW, kFilterH),
                               section("FILTER 2", {kLeftX, filterY(2)}, kLeftW, kFilterH),
                               section("AMPLIFIER", {kLeftX, 520}, 320, 110),
                               section("FILTER ROUTING", {kLeftX + 328, 520}, kLeftW - 328, 110)};
  static const char* const titles[4] = {"FILTER ENVELOPE", "AMP ENVELOPE", "ENVELOPE 3",
                                        "ENVELOPE 4"};
  for (int k = 0; k < 4; ++k)
    page.push_back(section(titles[k], {kRightX, envelopeY(k)}, kRightW, kEnvelopeH));
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

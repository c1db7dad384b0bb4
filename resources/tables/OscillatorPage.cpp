#include "resources/tables/Pages.h"

namespace layout_tables {
namespace {

constexpr int kSectionX = 200;
constexpr int kSectionW = 640;
constexpr int kSectionH = 196;
constexpr int kRightX = 850;
constexpr int kRightW = 630;

// Controller numbers of octave, semitone and wave of the three oscillators.
constexpr int kOctaveCC[3] = {27, 35, 42};
constexpr int kSemitoneCC[3] = {28, 36, 43};
constexpr int kWaveCC[2] = {31, 39};

int sectionY(int osc) {
  return 112 + (kSectionH + 8) * (osc - 1);
}

std::string id(int osc, const std::string& setting) {
  return "kOscillator" + std::to_string(osc) + setting;
}

Param oscParam(int osc, const std::string& setting, const std::string& name,
               const std::string& label) {
  return {id(osc, setting), "Osc " + std::to_string(osc) + " " + name, label};
}

// Pitch and FM settings along the top of an oscillator section.
std::vector<Element> pitchRow(int osc) {
  const int x = kSectionX, y = sectionY(osc);
  std::vector<Element> row = {
      ccKnob(oscParam(osc, "Octave", "Octave", "OCTAVE"), {x + 14, y + 26}, 9, 4,
             kOctaveCC[osc - 1]),
      ccKnob(oscParam(osc, "Semitone", "Semitone", "SEMITONE"), {x + 74, y + 26}, 25, 12,
             kSemitoneCC[osc - 1]),
      seKnob(oscParam(osc, "Detune", "Detune", "DETUNE"), {x + 134, y + 26}, 128, 64),
      seKnob(oscParam(osc, "Keytrack", "Keytrack", "KEYTRACK"), {x + 194, y + 26}, 128, 96),
      // The bend range sends 40 above its value, as the sound data holds it.
      seSlider(oscParam(osc, "BendRange", "Bend Range", "BEND RANGE"), {x + 254, y + 44}, 100, 49,
               26, 40),
      seMenu(oscParam(osc, "FMSource", "FM Source", "FM SOURCE"), {x + 372, y + 44}, 90,
             "fmSources"),
      seKnob(oscParam(osc, "FMAmount", "FM Amount", "FM AMOUNT"), {x + 480, y + 26}, 128, 0),
  };
  if (osc == 2)
    row.push_back(seButton({"kOscillator2SyncToOsc3", "Osc 2 Sync to Osc 3", "SYNC"},
                           {x + 560, y + 44}, "BTN_OFFON_ID"));
  return row;
}

// Zone of the pulse width settings, greyed for shapes without a pulse width.
Element pulseZone(int osc, int zoneId) {
  const int x = kSectionX, y = sectionY(osc);
  return layer(
      "osc" + std::to_string(osc) + "PulseWidth", zoneId,
      {background("BG_ID_OSC_PW", {x + 216, y + 96}),
       seKnob(oscParam(osc, "Pulsewidth", "Pulse Width", "PW"), {x + 226, y + 104}, 128, 64),
       seMenu(oscParam(osc, "PWMSource", "PWM Source", "PWM SOURCE"), {x + 272, y + 128}, 80,
              "modulationSources"),
       seKnob(oscParam(osc, "PWMAmount", "PWM Amount", "PWM AMOUNT"), {x + 362, y + 104}, 128,
              64)});
}

Element brillianceZone(int osc, int zoneId, int zoneX) {
  const int x = kSectionX + zoneX, y = sectionY(osc);
  return layer("osc" + std::to_string(osc) + "Brilliance", zoneId,
               {background("BG_ID_OSC_BRI", {x, y + 96}),
                seKnob(oscParam(osc, "Brilliance", "Brilliance", "BRILLIANCE"), {x + 15, y + 104},
                       128, 64)});
}

Element limitZone(int osc, int zoneId) {
  const int x = kSectionX + 420, y = sectionY(osc);
  return layer("osc" + std::to_string(osc) + "LimitWT", zoneId,
               {background("BG_ID_OSC_LWT", {x, y + 96}),
                seButton(oscParam(osc, "LimitWT", "Limit Wavetable", "LIMIT WT"), {x + 18, y + 128},
                         "BTN_OFFON_ID")});
}

// The wave of oscillators 1 and 2: a shape with its wavetable, or a sample of the sample
// memory; the two variants are members 0 and 1 of a decade, chosen by the sample switch.
std::vector<Element> waveVariants(int osc, int decade) {
  const int x = kSectionX, y = sectionY(osc);
  const std::string n = std::to_string(osc);
  return {
      layer("osc" + n + "Shape", decade,
            {background("BG_ID_OSCSHA", {x + 8, y + 96}),
             seMenu(oscParam(osc, "Shape", "Shape", "SHAPE"), {x + 16, y + 128}, 84,
                    "oscillator12shape"),
             dropMenu(oscParam(osc, "Wavetable", "Wavetable", "WAVETABLE"), {x + 108, y + 128}, 92,
                      13, "oscillatorWavetable")}),
      layer("osc" + n + "Sample", decade + 1,
            {background("BG_ID_OSCSAM", {x + 8, y + 96}),
             ccNumberMenu(oscParam(osc, "Sample", "Sample", "SAMPLE"), {x + 16, y + 128}, 120, 128,
                          1, kWaveCC[osc - 1])}),
  };
}

std::vector<Element> sampleSwitch(int osc) {
  const int x = kSectionX, y = sectionY(osc);
  const std::string n = std::to_string(osc);
  return {
      trigger({"kTriggerOscillator" + n + "Samples", "Osc " + n + " Sample Memory", "SAMPLE MEM"},
              {x + 8, y + 176}),
      seButton({"kOsc" + n + "UseSampleMemory", "Osc " + n + " Use Sample Memory", "SAMPLE MEM"},
               {x + 70, y + 177}, "BTN_SMALL_LED_SM_ID", 0, LabelSide::kNone)};
}

std::vector<Element> oscillator12(int osc) {
  const int first = 10 + 30 * (osc - 1);
  std::vector<Element> out = pitchRow(osc);
  for (Element& e : sampleSwitch(osc)) out.push_back(std::move(e));
  out.push_back(pulseZone(osc, first));
  out.push_back(limitZone(osc, first + 10));
  out.push_back(brillianceZone(osc, first + 20, 498));
  for (Element& e : waveVariants(osc, 90 + 10 * (osc - 1))) out.push_back(std::move(e));
  return out;
}

std::vector<Element> oscillator3() {
  std::vector<Element> out = pitchRow(3);
  out.push_back(seMenu(oscParam(3, "Shape", "Shape", "SHAPE"), {kSectionX + 16, sectionY(3) + 128},
                       84, "oscillator3shape"));
  out.push_back(pulseZone(3, 70));
  out.push_back(brillianceZone(3, 80, 420));
  return out;
}

std::vector<Element> mixer() {
  const int x = kRightX, y = 112;
  const Param levels[] = {{"kOscillator1Level", "Osc 1 Level", "OSC 1 LEVEL"},
                          {"kOscillator1Balance", "Osc 1 Balance", "OSC 1 BAL"},
                          {"kOscillator2Level", "Osc 2 Level", "OSC 2 LEVEL"},
                          {"kOscillator2Balance", "Osc 2 Balance", "OSC 2 BAL"},
                          {"kOscillator3Level", "Osc 3 Level", "OSC 3 LEVEL"},
                          {"kOscillator3Balance", "Osc 3 Balance", "OSC 3 BAL"}};
  const Param others[] = {{"kNoiseLevel", "Noise Level", "NOISE LEVEL"},
                          {"kNoiseBalance", "Noise Balance", "NOISE BAL"},
                          {"kNoiseColour", "Noise Colour", "NOISE COLOUR"},
                          {"kRingModulationLevel", "Ring Mod Level", "RING LEVEL"},
                          {"kRingModulationBalance", "Ring Mod Balance", "RING BAL"}};
  std::vector<Element> out;
  for (int k = 0; k < 6; ++k)
    out.push_back(seKnob(levels[k], {x + 20 + 84 * k, y + 26}, 128, k % 2 == 0 ? 100 : 64));
  for (int k = 0; k < 5; ++k)
    out.push_back(seKnob(others[k], {x + 20 + 84 * k, y + 110}, 128, k == 0 || k == 3 ? 0 : 64));
  return out;
}

std::vector<Element> voice() {
  const int x = kRightX, y = 316;
  return {
      seButton({"kOscillatorGlideOnOffSwitch", "Glide", "GLIDE"}, {x + 14, y + 44}, "BTN_OFFON_ID"),
      seKnob({"kOscillatorGlideRate", "Glide Rate", "GLIDE RATE"}, {x + 66, y + 26}, 128, 64),
      seMenu({"kOscillatorGlideMode", "Glide Mode", "GLIDE MODE"}, {x + 130, y + 44}, 110,
             "glideMode"),
      seMenu({"kOscillatorMonoPolyMode", "Voice Mode", "VOICE MODE"}, {x + 256, y + 44}, 70,
             "voiceMode"),
      seMenu({"kOscillatorUnisono", "Unison", "UNISON"}, {x + 342, y + 44}, 80, "unisonVoices"),
      seKnob({"kOscillatorUniDetune", "Unison Detune", "UNI DETUNE"}, {x + 440, y + 26}, 128, 32),
      seMenu({"kOscillatorPitchSource", "Pitch Mod Source", "PITCH SOURCE"}, {x + 14, y + 128}, 110,
             "modulationSources"),
      seKnob({"kOscillatorPitchAmount", "Pitch Mod Amount", "PITCH AMOUNT"}, {x + 140, y + 110},
             128, 64),
  };
}

}  // namespace

Element oscillatorsPage() {
  std::vector<Element> panel;
  for (int osc : {1, 2})
    for (Element& e : oscillator12(osc)) panel.push_back(std::move(e));
  for (Element& e : oscillator3()) panel.push_back(std::move(e));
  for (Element& e : mixer()) panel.push_back(std::move(e));
  for (Element& e : voice()) panel.push_back(std::move(e));

  std::vector<Element> page = {background("OSCILLATORS_ID", kPageOrigin)};
  for (int osc = 1; osc <= 3; ++osc)
    page.push_back(section("OSCILLATOR " + std::to_string(osc), {kSectionX, sectionY(osc)},
                           kSectionW, kSectionH));
  page.push_back(section("MIXER", {kRightX, 112}, kRightW, kSectionH));
  page.push_back(section("VOICE & PITCH", {kRightX, 316}, kRightW, kSectionH));
  page.push_back(multilayer("oscillatorsPart", std::move(panel)));
  return layer("oscillators", 2, std::move(page));
}

}  // namespace layout_tables

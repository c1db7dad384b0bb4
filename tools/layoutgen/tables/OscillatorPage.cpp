#include "tools/layoutgen/tables/Pages.h"

namespace layout_tables {
namespace {

// The page picture's sections.
constexpr Box kOsc[3] = {{90, 80, 460, 290}, {560, 80, 460, 290}, {1030, 80, 460, 290}};
constexpr Box kPitchGlide{90, 380, 460, 244};
constexpr Box kRingNoise{560, 380, 460, 244};
constexpr Box kSampleMemory{1030, 380, 460, 244};

// Controller numbers of octave, semitone and wave of the three oscillators.
constexpr int kOctaveCC[3] = {27, 35, 42};
constexpr int kSemitoneCC[3] = {28, 36, 43};
constexpr int kWaveCC[2] = {31, 39};

// Knobs of a row stand this far apart; the first row keeps clear of the transfer's cancel button.
constexpr int kPitch = 64;
constexpr int kRowA = 10;
constexpr int kRowB = 82;
constexpr int kRowC = 158;

Param oscParam(int osc, const std::string& setting, const std::string& name,
               const std::string& label) {
  const std::string n = std::to_string(osc);
  return {"kOscillator" + n + setting, "Osc " + n + " " + name, label};
}

At at(int osc, int dx, int dy) {
  return inPlate(kOsc[osc - 1], dx, dy);
}

// Pitch, level and balance along the top of an oscillator section.
std::vector<Element> pitchRow(int osc) {
  return {
      ccKnob(oscParam(osc, "Octave", "Octave", "OCTAVE"), at(osc, 10, kRowA), 9, 4,
             kOctaveCC[osc - 1]),
      ccKnob(oscParam(osc, "Semitone", "Semitone", "SEMITONE"), at(osc, 10 + kPitch, kRowA), 25, 12,
             kSemitoneCC[osc - 1]),
      seKnob(oscParam(osc, "Detune", "Detune", "DETUNE"), at(osc, 10 + 2 * kPitch, kRowA), 128, 64),
      // The bend range sends 40 above its value, as the sound data holds it.
      seSlider(oscParam(osc, "BendRange", "Bend Range", "BEND"), at(osc, 10 + 3 * kPitch, kRowA),
               56, 49, 26, 40, true),
      seKnob(oscParam(osc, "Keytrack", "Keytrack", "KEYTRACK"),
             at(osc, 10 + 3 * kPitch + 42, kRowA), 128, 96),
      seKnob(oscParam(osc, "Level", "Level", "LEVEL"), at(osc, 10 + 4 * kPitch + 42, kRowA), 128,
             100),
      seKnob(oscParam(osc, "Balance", "Filter Balance", "F1 / F2"),
             at(osc, 10 + 5 * kPitch + 42, kRowA), 128, 64),
  };
}

// FM source and amount, and the wavetable limit of oscillators 1 and 2 (zone `limitZone`).
std::vector<Element> fmRow(int osc, int limitZone) {
  std::vector<Element> row = {
      seMenu(oscParam(osc, "FMSource", "FM Source", "FM SOURCE"), at(osc, 236, kRowB + 38), 90,
             "fmSources"),
      seKnob(oscParam(osc, "FMAmount", "FM Amount", "FM AMT"), at(osc, 336, kRowB + 8), 128, 0),
  };
  if (limitZone > 0)
    row.push_back(layer("osc" + std::to_string(osc) + "LimitWT", limitZone,
                        {seButton(oscParam(osc, "LimitWT", "Limit Wavetable", "WT LIMIT"),
                                  at(osc, 406, kRowB + 36), "BTN_OFFON_ID")}));
  return row;
}

// Zone of the pulse width settings, greyed for shapes without a pulse width.
Element pulseZone(int osc, int zoneId) {
  return layer("osc" + std::to_string(osc) + "PulseWidth", zoneId,
               {background("BG_ID_OSC_PW", at(osc, 10, kRowC)),
                seKnob(oscParam(osc, "Pulsewidth", "Pulse Width", "WIDTH"), at(osc, 10, kRowC + 32),
                       128, 64),
                seMenu(oscParam(osc, "PWMSource", "PWM Source", "PWM SOURCE"),
                       at(osc, 74, kRowC + 52), 92, "modulationSources"),
                seKnob(oscParam(osc, "PWMAmount", "PWM Amount", "PWM AMT"),
                       at(osc, 174, kRowC + 32), 128, 64)});
}

Element brillianceZone(int osc, int zoneId) {
  return layer("osc" + std::to_string(osc) + "Brilliance", zoneId,
               {background("BG_ID_OSC_BRI", at(osc, 240, kRowC)),
                seKnob(oscParam(osc, "Brilliance", "Brilliance", "AMOUNT"),
                       at(osc, 240, kRowC + 32), 128, 64)});
}

// The wave of oscillators 1 and 2: a shape with its wavetable, or a sample of the sample
// memory; the two variants are members 0 and 1 of a decade, chosen by the sample switch.
std::vector<Element> waveVariants(int osc, int decade) {
  const std::string n = std::to_string(osc);
  // The band's caption labels the menus under it.
  return {
      layer(
          "osc" + n + "Shape", decade,
          {background("BG_ID_OSCSHA", at(osc, 10, kRowB)),
           seMenu(oscParam(osc, "Shape", "Shape", "SHAPE"), at(osc, 10, kRowB + 34), 96,
                  "oscillator12shape", 0, LabelSide::kNone),
           dropMenu(oscParam(osc, "Wavetable", "Wavetable", "WAVETABLE"), at(osc, 114, kRowB + 34),
                    106, 13, "oscillatorWavetable", 0, LabelSide::kNone)}),
      layer("osc" + n + "Sample", decade + 1,
            {background("BG_ID_OSCSAM", at(osc, 10, kRowB)),
             ccNumberMenu(oscParam(osc, "Sample", "Sample", "SAMPLE"), at(osc, 10, kRowB + 34), 210,
                          128, 1, kWaveCC[osc - 1], LabelSide::kNone)}),
  };
}

std::vector<Element> oscillator12(int osc) {
  const int first = 10 + 30 * (osc - 1);
  std::vector<Element> out = pitchRow(osc);
  for (Element& e : fmRow(osc, first + 10)) out.push_back(std::move(e));
  out.push_back(pulseZone(osc, first));
  out.push_back(brillianceZone(osc, first + 20));
  for (Element& e : waveVariants(osc, 90 + 10 * (osc - 1))) out.push_back(std::move(e));
  return out;
}

std::vector<Element> oscillator3() {
  std::vector<Element> out = pitchRow(3);
  for (Element& e : fmRow(3, 0)) out.push_back(std::move(e));
  out.push_back(
      seMenu(oscParam(3, "Shape", "Shape", "WAVE"), at(3, 10, kRowB + 38), 96, "oscillator3shape"));
  out.push_back(pulseZone(3, 70));
  out.push_back(brillianceZone(3, 80));
  return out;
}

std::vector<Element> pitchAndGlide() {
  const Box& s = kPitchGlide;
  return {
      seButton({"kOscillatorGlideOnOffSwitch", "Glide", "GLIDE"}, inPlate(s, 10, 30),
               "BTN_OFFON_ID"),
      seKnob({"kOscillatorGlideRate", "Glide Rate", "RATE"}, inPlate(s, 64, 10), 128, 64),
      seMenu({"kOscillatorGlideMode", "Glide Mode", "GLIDE MODE"}, inPlate(s, 134, 32), 130,
             "glideMode"),
      seButton({"kOscillator2SyncToOsc3", "Osc 2 Sync to Osc 3", "SYNC 2 TO 3"},
               inPlate(s, 300, 30), "BTN_OFFON_ID"),
      seMenu({"kOscillatorPitchSource", "Pitch Mod Source", "PITCH MOD"}, inPlate(s, 10, 106), 110,
             "modulationSources"),
      seKnob({"kOscillatorPitchAmount", "Pitch Mod Amount", "AMOUNT"}, inPlate(s, 134, 84), 128,
             64),
      seMenu({"kOscillatorMonoPolyMode", "Voice Mode", "VOICE"}, inPlate(s, 10, 172), 70,
             "voiceMode"),
      seMenu({"kOscillatorUnisono", "Unison", "UNISON"}, inPlate(s, 96, 172), 90, "unisonVoices"),
      seKnob({"kOscillatorUniDetune", "Unison Detune", "UNI DETUNE"}, inPlate(s, 200, 150), 128,
             32),
  };
}

std::vector<Element> ringAndNoise() {
  const Box& s = kRingNoise;
  return {
      seKnob({"kRingModulationLevel", "Ring Mod Level", "LEVEL"}, inPlate(s, 10, 26), 128, 0),
      seKnob({"kRingModulationBalance", "Ring Mod Balance", "F1 / F2"}, inPlate(s, 74, 26), 128,
             64),
      seKnob({"kNoiseLevel", "Noise Level", "LEVEL"}, inPlate(s, 170, 26), 128, 0),
      seKnob({"kNoiseBalance", "Noise Balance", "F1 / F2"}, inPlate(s, 234, 26), 128, 64),
      seKnob({"kNoiseColour", "Noise Colour", "COLOUR"}, inPlate(s, 298, 26), 128, 64),
  };
}

// The sample memory switch of oscillators 1 and 2: its trigger flips it and refreshes the wave
// variant; the lamp shows and sends it.
std::vector<Element> sampleMemory() {
  std::vector<Element> out;
  for (int osc : {1, 2}) {
    const std::string n = std::to_string(osc);
    const int y = 20 + 40 * (osc - 1);
    out.push_back(seButton(
        {"kOsc" + n + "UseSampleMemory", "Osc " + n + " Use Sample Memory", "SAMPLE MEMORY"},
        inPlate(kSampleMemory, 10, y), "BTN_SMALL_LED_SM_ID", 0, LabelSide::kNone));
    out.push_back(momentary({"kTriggerOscillator" + n + "Samples", "Osc " + n + " Sample Memory",
                             "OSC " + n + " PLAYS SAMPLES"},
                            inPlate(kSampleMemory, 38, y + 2), "BTN_SMALL_ID"));
  }
  return out;
}

}  // namespace

Element oscillatorsPage() {
  std::vector<Element> panel;
  for (int osc : {1, 2})
    for (Element& e : oscillator12(osc)) panel.push_back(std::move(e));
  for (Element& e : oscillator3()) panel.push_back(std::move(e));
  for (auto part : {pitchAndGlide(), ringAndNoise(), sampleMemory()})
    for (Element& e : part) panel.push_back(std::move(e));

  std::vector<Element> page = {background("OSCILLATORS_ID", kPageOrigin)};
  for (int osc = 1; osc <= 3; ++osc)
    page.push_back(section("OSCILLATOR " + std::to_string(osc), kOsc[osc - 1]));
  page.push_back(section("PITCH & GLIDE", kPitchGlide));
  page.push_back(section("RING MOD & NOISE", kRingNoise));
  page.push_back(section("SAMPLE MEMORY", kSampleMemory));
  page.push_back(caption("RING MOD", inPlate(kRingNoise, 10, 6), 120));
  page.push_back(caption("NOISE", inPlate(kRingNoise, 170, 6), 184));
  page.push_back(multilayer("oscillatorsPart", std::move(panel)));
  return layer("oscillators", 2, std::move(page));
}

}  // namespace layout_tables

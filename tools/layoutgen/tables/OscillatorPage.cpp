#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The page picture's sections. The bottom row follows the sound's section locks: pitch and
// glide, voice, the mixer of the oscillators, ring modulator and noise, the noise colour.
constexpr Box kOsc[3] = {{90, kTopRow, 460, kTopRowHeight},
                         {560, kTopRow, 460, kTopRowHeight},
                         {1030, kTopRow, 460, kTopRowHeight}};
constexpr Box kPitchGlide{90, kBottomRow, 330, kBottomRowHeight};
constexpr Box kVoice{430, kBottomRow, 200, kBottomRowHeight};
constexpr Box kMixer{640, kBottomRow, 480, kBottomRowHeight};
constexpr Box kNoise{1130, kBottomRow, 360, 110};
constexpr Box kSampleMemory{1130, kBottomRow + 120, 360, kBottomRowHeight - 120};

// Controller numbers of octave, semitone and wave of the three oscillators.
constexpr int kOctaveCC[3] = {27, 35, 42};
constexpr int kSemitoneCC[3] = {28, 36, 43};
constexpr int kWaveCC[2] = {31, 39};

// Knobs of a row stand this far apart; the first row keeps clear of the transfer's cancel button.
constexpr int kPitch = 64;
constexpr int kRowA = 16;
constexpr int kRowB = 100;
constexpr int kRowC = 182;

Param oscParam(int osc, const std::string& setting, const std::string& name,
               const std::string& label) {
  const std::string n = std::to_string(osc);
  return {"kOscillator" + n + setting, "Osc " + n + " " + name, label};
}

At at(int osc, int dx, int dy) {
  return inPlate(kOsc[osc - 1], dx, dy);
}

// The lock in a section's top right corner.
At lockAt(const Box& s) {
  return inPlate(s, s.w - 30, 6);
}

// Pitch along the top of an oscillator section.
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
      sectionLock("kSectionLockOsc" + std::to_string(osc), "Lock Oscillator " + std::to_string(osc),
                  lockAt(kOsc[osc - 1])),
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
                seKnob(oscParam(osc, "Pulsewidth", "Pulse Width", "WIDTH"), at(osc, 10, kRowC + 34),
                       128, 64),
                seMenu(oscParam(osc, "PWMSource", "PWM Source", "PWM SOURCE"),
                       at(osc, 74, kRowC + 56), 92, "modulationSources"),
                seKnob(oscParam(osc, "PWMAmount", "PWM Amount", "PWM AMT"),
                       at(osc, 174, kRowC + 34), 128, 64)});
}

Element brillianceZone(int osc, int zoneId) {
  return layer("osc" + std::to_string(osc) + "Brilliance", zoneId,
               {background("BG_ID_OSC_BRI", at(osc, 240, kRowC)),
                seKnob(oscParam(osc, "Brilliance", "Brilliance", "AMOUNT"),
                       at(osc, 240, kRowC + 34), 128, 64)});
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
           seMenu(oscParam(osc, "Shape", "Shape", "SHAPE"), at(osc, 10, kRowB + 36), 96,
                  "oscillator12shape", 0, LabelSide::kNone),
           dropMenu(oscParam(osc, "Wavetable", "Wavetable", "WAVETABLE"), at(osc, 114, kRowB + 36),
                    106, 13, "oscillatorWavetable", 0, LabelSide::kNone)}),
      layer("osc" + n + "Sample", decade + 1,
            {background("BG_ID_OSCSAM", at(osc, 10, kRowB)),
             ccNumberMenu(oscParam(osc, "Sample", "Sample", "SAMPLE"), at(osc, 10, kRowB + 36), 210,
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

// Oscillator 2's sync belongs to its section, whose lock guards it.
Element sync2To3() {
  return seButton({"kOscillator2SyncToOsc3", "Osc 2 Sync to Osc 3", "SYNC TO 3"},
                  at(2, 350, kRowA + 30), "BTN_OFFON_ID");
}

std::vector<Element> pitchAndGlide() {
  const Box& s = kPitchGlide;
  return {
      seButton({"kOscillatorGlideOnOffSwitch", "Glide", "GLIDE"}, inPlate(s, 14, 40),
               "BTN_OFFON_ID"),
      seKnob({"kOscillatorGlideRate", "Glide Rate", "RATE"}, inPlate(s, 74, 20), 128, 64),
      seMenu({"kOscillatorGlideMode", "Glide Mode", "GLIDE MODE"}, inPlate(s, 150, 42), 130,
             "glideMode"),
      seMenu({"kOscillatorPitchSource", "Pitch Mod Source", "PITCH MOD"}, inPlate(s, 14, 146), 120,
             "modulationSources"),
      seKnob({"kOscillatorPitchAmount", "Pitch Mod Amount", "AMOUNT"}, inPlate(s, 150, 124), 128,
             64),
      sectionLock("kSectionLockPitchMod", "Lock Pitch and Glide", lockAt(s)),
  };
}

std::vector<Element> voice() {
  const Box& s = kVoice;
  return {
      seMenu({"kOscillatorMonoPolyMode", "Voice Mode", "VOICE"}, inPlate(s, 14, 42), 70,
             "voiceMode"),
      seMenu({"kOscillatorUnisono", "Unison", "UNISON"}, inPlate(s, 14, 100), 90, "unisonVoices"),
      seKnob({"kOscillatorUniDetune", "Unison Detune", "UNI DETUNE"}, inPlate(s, 14, 140), 128, 32),
      sectionLock("kSectionLockUnisono", "Lock Voice", lockAt(s)),
  };
}

// Level and filter balance of each source, a column each.
std::vector<Element> mixer() {
  const Box& s = kMixer;
  struct Source {
    const char* level;
    const char* balance;
    const char* name;
    int levelDefault;
  };
  const Source sources[5] = {{"kOscillator1Level", "kOscillator1Balance", "Osc 1", 100},
                             {"kOscillator2Level", "kOscillator2Balance", "Osc 2", 100},
                             {"kOscillator3Level", "kOscillator3Balance", "Osc 3", 100},
                             {"kRingModulationLevel", "kRingModulationBalance", "Ring Mod", 0},
                             {"kNoiseLevel", "kNoiseBalance", "Noise", 0}};
  std::vector<Element> out;
  for (int i = 0; i < 5; ++i) {
    const std::string name = sources[i].name;
    out.push_back(seKnob({sources[i].level, name + " Level", "LEVEL"}, inPlate(s, 22 + 88 * i, 32),
                         128, sources[i].levelDefault));
    out.push_back(seKnob({sources[i].balance, name + " Filter Balance", "F1 / F2"},
                         inPlate(s, 22 + 88 * i, 132), 128, 64));
  }
  out.push_back(sectionLock("kSectionLockMixer", "Lock Mixer", lockAt(s)));
  return out;
}

std::vector<Element> mixerCaptions() {
  const char* const names[5] = {"OSC 1", "OSC 2", "OSC 3", "RING MOD", "NOISE"};
  std::vector<Element> out;
  for (int i = 0; i < 5; ++i) out.push_back(caption(names[i], inPlate(kMixer, 8 + 88 * i, 12), 84));
  return out;
}

std::vector<Element> noise() {
  return {
      seKnob({"kNoiseColour", "Noise Colour", "COLOUR"}, inPlate(kNoise, 20, 12), 128, 64,
             "IKNOBROTATERCONTROL_ID3", LabelSide::kRight),
      sectionLock("kSectionLockNoiseExt", "Lock Noise Colour", lockAt(kNoise)),
  };
}

// The sample memory switch of oscillators 1 and 2: its trigger flips it and refreshes the wave
// variant; the lamp shows and sends it.
std::vector<Element> sampleMemory() {
  std::vector<Element> out;
  for (int osc : {1, 2}) {
    const std::string n = std::to_string(osc);
    const int y = 16 + 40 * (osc - 1);
    out.push_back(seButton(
        {"kOsc" + n + "UseSampleMemory", "Osc " + n + " Use Sample Memory", "SAMPLE MEMORY"},
        inPlate(kSampleMemory, 14, y), "BTN_SMALL_LED_SM_ID", 0, LabelSide::kNone));
    out.push_back(momentary({"kTriggerOscillator" + n + "Samples", "Osc " + n + " Sample Memory",
                             "OSC " + n + " PLAYS SAMPLES"},
                            inPlate(kSampleMemory, 42, y + 2), "BTN_SMALL_ID"));
  }
  return out;
}

}  // namespace

Element oscillatorsPage() {
  std::vector<Element> panel;
  for (int osc : {1, 2})
    for (Element& e : oscillator12(osc)) panel.push_back(std::move(e));
  for (Element& e : oscillator3()) panel.push_back(std::move(e));
  panel.push_back(sync2To3());
  for (auto part : {pitchAndGlide(), voice(), mixer(), noise(), sampleMemory()})
    for (Element& e : part) panel.push_back(std::move(e));

  std::vector<Element> page = {background("OSCILLATORS_ID", kPageOrigin)};
  for (int osc = 1; osc <= 3; ++osc)
    page.push_back(section("OSCILLATOR " + std::to_string(osc), kOsc[osc - 1]));
  page.push_back(section("PITCH & GLIDE", kPitchGlide));
  page.push_back(section("VOICE", kVoice));
  page.push_back(section("MIXER", kMixer));
  page.push_back(section("NOISE", kNoise));
  page.push_back(section("SAMPLE MEMORY", kSampleMemory));
  for (Element& e : mixerCaptions()) page.push_back(std::move(e));
  page.push_back(multilayer("oscillatorsPart", std::move(panel)));
  return layer("oscillators", 2, std::move(page));
}

}  // namespace layout_tables

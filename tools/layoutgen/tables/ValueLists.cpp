#include "tools/layoutgen/detail/tables/ValueLists.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace layout_tables {
namespace {

using Texts = std::vector<std::string>;

std::string format(const char* pattern, double value) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// 128 texts, one per 7-bit value.
Texts perValue(const std::function<std::string(int)>& text) {
  Texts out;
  for (int v = 0; v < 128; ++v) out.push_back(text(v));
  return out;
}

Texts numbered(const std::string& prefix, int first, int count) {
  Texts out;
  for (int n = first; n < first + count; ++n) out.push_back(prefix + std::to_string(n));
  return out;
}

std::string signedPercent(int value) {
  return (value > 0 ? "+" : "") + std::to_string(value) + "%";
}

// Key names from C-2 (0) to G8 (127).
Texts keyNames() {
  static const char* const names[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
  return perValue([](int v) { return names[v % 12] + std::to_string(v / 12 - 2); });
}

// The clocked LFO speeds: 128 values share 22 note values from a 64th to 16 bars.
Texts clockedSpeeds() {
  static const char* const divisions[] = {
      "1/64",     "1/32",   "1/16 T", "1/16",   "1/8 T",  "1/16 .", "1/8",   "1/4 T",
      "1/8 .",    "1/4",    "1/2 T",  "1/4 .",  "1/2",    "1/1 T",  "1/2 .", "1 Bar",
      "1.5 Bars", "2 Bars", "3 Bars", "4 Bars", "8 Bars", "16 Bars"};
  constexpr int count = sizeof divisions / sizeof divisions[0];
  return perValue([](int v) { return std::string(divisions[v * count / 128]); });
}

Texts controllerNames() {
  return perValue([](int v) {
    // Short enough for the menus: the number and a word.
    static const std::pair<int, const char*> names[] = {
        {0, "Bank"},     {1, "Mod"},    {2, "Breath"},  {4, "Foot"}, {5, "Glide T"},
        {6, "Data"},     {7, "Volume"}, {8, "Balance"}, {10, "Pan"}, {11, "Expr"},
        {64, "Sustain"}, {65, "Glide"}, {66, "Sosten"}, {67, "Soft"}};
    std::string text = "CC " + std::to_string(v);
    for (const auto& n : names)
      if (n.first == v) text += std::string(" ") + n.second;
    return text;
  });
}

Texts modulationSources() {
  return {"Off",        "Filter Env", "Amp Env",   "Env 3",        "Env 4",      "LFO 1",
          "LFO 2",      "LFO 3",      "Mod Wheel", "Pitch Bend",   "Aftertouch", "Velocity",
          "Keytrack",   "Breath",     "Foot",      "Expression",   "Sustain",    "Control W",
          "Control X",  "Control Y",  "Control Z", "Unison Voice", "Random",     "Modifier 1",
          "Modifier 2", "Modifier 3", "Modifier 4"};
}

Texts modifierSecondSources() {
  Texts out = modulationSources();
  out.push_back("Constant");
  return out;
}

Texts modulationDestinations() {
  return {"Off",
          "Pitch",
          "Osc 1 Pitch",
          "Osc 2 Pitch",
          "Osc 3 Pitch",
          "Osc 1 FM",
          "Osc 2 FM",
          "Osc 3 FM",
          "Osc 1 PW",
          "Osc 2 PW",
          "Osc 3 PW",
          "Osc 1 Wave",
          "Osc 2 Wave",
          "Osc 1 Brilliance",
          "Osc 2 Brilliance",
          "Osc 3 Brilliance",
          "Osc 1 Level",
          "Osc 2 Level",
          "Osc 3 Level",
          "Noise Level",
          "Ring Mod Level",
          "Osc 1 Balance",
          "Osc 2 Balance",
          "Osc 3 Balance",
          "Noise Balance",
          "F1 Cutoff",
          "F2 Cutoff",
          "F1 Resonance",
          "F2 Resonance",
          "F1 Drive",
          "F2 Drive",
          "F1 Env Amount",
          "F2 Env Amount",
          "F1 FM",
          "F2 FM",
          "F1 Pan",
          "F2 Pan",
          "Amp Level",
          "Panning",
          "LFO 1 Speed",
          "LFO 2 Speed",
          "LFO 3 Speed",
          "Env Attack",
          "Env Decay",
          "Env Sustain",
          "Env Release",
          "FX 1 Mix",
          "FX 2 Mix",
          "Unison Detune",
          "Glide Rate"};
}

std::vector<ValueList> makeLists() {
  return {
      {"arpAccent", {"Silent", "-96", "-64", "-32", "Normal", "+32", "+64", "+96"}},
      {"arpClock",
       {"1/64", "1/32 T", "1/32", "1/16 T", "1/16", "1/16 .", "1/8 T", "1/8", "1/8 .", "1/4 T",
        "1/4", "1/4 .", "1/2 T", "1/2", "1/2 .", "1/1"}},
      {"arpDirection", {"Up", "Down", "Up & Down", "Down & Up"}},
      {"arpMode", {"Off", "On", "One Shot", "Hold"}},
      {"arpNoteLengthClock", perValue([](int v) {
         return v == 127 ? std::string("Legato") : std::to_string((v + 1) * 100 / 128) + "%";
       })},
      {"arpPattern",
       [] {
         Texts t{"User"};
         for (const std::string& s : numbered("Pattern ", 1, 63)) t.push_back(s);
         return t;
       }()},
      {"arpSortOrder",
       {"As Played", "Reversed", "Key Low>High", "Key High>Low", "Vel Low>High", "Vel High>Low"}},
      {"arpStepDisplay", {"Off", "On", "Root", "Last", "First", "L + F", "Chord", "Random"}},
      {"arpStepLength", {"1/8", "1/4", "3/8", "1/2", "5/8", "3/4", "7/8", "Legato"}},
      {"arpTiming", {"-3", "-2", "-1", "On Beat", "+1", "+2", "+3", "Random"}},
      {"arpVeloMode",
       {"Each Note", "First Note", "Last Note", "Fixed 32", "Fixed 64", "Fixed 100", "Fixed 127"}},
      {"clockedDelayValues",
       {"1/32", "1/16 T", "1/16", "1/16 .", "1/8 T", "1/8", "1/8 .", "1/4 T", "1/4", "1/4 .",
        "1/2 T", "1/2", "1/2 ."}},
      {"clockedValues", clockedSpeeds()},
      {"controlList", controllerNames()},
      {"controllerReceive", {"Off", "CC", "SysEx", "CC + SysEx"}},
      {"controllerSend", {"Off", "CC", "SysEx", "CC + SysEx"}},
      {"envelopeMode", {"ADSR", "ADS1DS2R", "One Shot", "Loop S1S2", "Loop All"}},
      {"envelopeTrigger", {"Multi", "Single"}},
      {"filter1Type",
       {"Bypass", "LP 24 dB", "LP 12 dB", "BP 24 dB", "BP 12 dB", "HP 24 dB", "HP 12 dB",
        "Notch 24 dB", "Notch 12 dB", "Comb -", "Comb +", "LP 6 dB", "LP Ladder"}},
      {"fmSources", {"Off", "Osc 1", "Osc 2", "Osc 3", "Noise", "Ext. Input"}},
      {"fx1Mode", {"Bypass", "Chorus", "Flanger", "Phaser", "Overdrive", "Triple FX"}},
      {"fx2Mode",
       {"Bypass", "Chorus", "Flanger", "Phaser", "Overdrive", "Triple FX", "Delay", "Clocked Delay",
        "Reverb"}},
      {"fxOverdriveCurve", {"Light", "Soft", "Middle", "Hard", "Digital", "Shaper"}},
      {"globalChannel",
       [] {
         Texts t{"Omni"};
         for (const std::string& s : numbered("", 1, 16)) t.push_back(s);
         return t;
       }()},
      {"globalClock", {"Internal", "Send", "Auto", "Receive"}},
      {"globalPopupTime", perValue([](int v) { return format("%.1f s", (v + 1) / 10.0); })},
      {"globalTuning",
       [] {
         Texts t;
         for (const std::string& s : numbered("", 430, 21)) t.push_back(s + " Hz");
         return t;
       }()},
      {"keyList", keyNames()},
      {"keyVelocityCurve",
       {"Linear", "Soft 1", "Soft 2", "Soft 3", "Hard 1", "Hard 2", "Hard 3", "Fixed"}},
      {"keytrackValues", perValue([](int v) {
         return signedPercent(static_cast<int>(std::lround((v - 64) * 200 / 64.0)));
       })},
      {"lfoShape", {"Sine", "Triangle", "Saw", "Square", "S&H", "S&G", "Random", "Wave"}},
      {"modifier2Sources", modifierSecondSources()},
      {"modifierOperators",
       {"Add", "Subtract", "Multiply", "AND", "OR", "XOR", "Max", "Min", "Difference", "Lag"}},
      {"modulationDestinations", modulationDestinations()},
      {"modulationSources", modulationSources()},
      {"oscillator12shape",
       {"Off", "Pulse", "Saw", "Triangle", "Sine", "Alt 1", "Alt 2", "Wavetable"}},
      {"oscillator3shape", {"Off", "Pulse", "Saw", "Triangle", "Sine"}},
      {"oscillatorWavetable", numbered("Wavetable ", 1, 121)},
      {"partStatus", {"Off", "On"}},
      {"programChange", {"Off", "Program", "Bank + Program"}},
      {"reverbSize",
       {"Tiny", "Small", "Medium", "Large", "Huge", "Room", "Hall", "Church", "Arena"}},
      {"sampleRate", perValue([](int v) {
         return v == 0 ? std::string("Off") : format("%.0f Hz", 44100.0 / (v + 1));
       })},
      {"startPhase", perValue([](int v) {
         return v == 0
                    ? std::string("Free")
                    : std::to_string(static_cast<int>(std::lround((v - 1) * 360 / 127.0))) + " deg";
       })},
      {"tempoValues", perValue([](int v) { return std::to_string(65 + v) + " BPM"; })},
      // Menus of the sound pages whose values the display shows by fixed texts or numbers.
      {"glideMode", {"Portamento", "Fingered Porta", "Glissando", "Fingered Gliss"}},
      {"voiceMode", {"Poly", "Mono"}},
      {"multiChannel",
       [] {
         Texts t{"Global", "Omni"};
         for (const std::string& s : numbered("", 1, 16)) t.push_back(s);
         return t;
       }()},
      {"unisonVoices", {"Off", "2 Voices", "3 Voices", "4 Voices", "5 Voices", "6 Voices"}},
      // The Multi page, the editor's settings and the librarian.
      {"bankLetters", {"A", "B", "C", "D", "E", "F", "G", "H"}},
      {"multiBanks", {"0"}},
      {"offOn", {"Off", "On"}},
      {"uiSize", {"Small", "Normal", "Large"}},
      {"uiStyle", {"Light", "Dark"}},
      {"transferPauses",
       {"50 ms", "75 ms", "100 ms", "150 ms", "200 ms", "300 ms", "400 ms", "500 ms"}},
  };
}

}  // namespace

const std::vector<ValueList>& valueLists() {
  static const std::vector<ValueList> lists = makeLists();
  return lists;
}

int listSize(const std::string& name) {
  for (const ValueList& list : valueLists())
    if (list.name == name) return static_cast<int>(list.texts.size());
  return 0;
}

}  // namespace layout_tables

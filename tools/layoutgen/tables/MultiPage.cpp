#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The settings band: the Multi's own settings, the synthesizer's Global settings, the MIDI
// set-up and the editor's own. Below it a card per part, in two rows of eight.
constexpr int kSettingsHeight = 170;
constexpr Box kMulti{90, 104, 300, 154};
constexpr Box kGlobal{400, 104, 600, 154};
constexpr Box kMidi{1010, 104, 480, 154};
constexpr int kCardWidth = 168;
constexpr int kCardHeight = 240;
constexpr int kCardPitchX = 175;
constexpr int kCardPitchY = 242;
constexpr At kFirstCard{90, kPageOrigin.y + kSettingsHeight + 6};
// The part's receive switches and ranges below the card's always-shown settings.
constexpr int kSetupTop = 160;

std::string withOffset(const std::string& id, int offset) {
  return offset == 0 ? id : id + "+" + std::to_string(offset);
}

std::vector<Element> multiSettings() {
  const Box& s = kMulti;
  return {
      nameField({"kMultiName", "Multi Name", "NAME"}, inPlate(s, 12, 22), 170, 16, 16),
      seKnob({"kMultiMasterVolume", "Master Volume", "VOLUME"}, inPlate(s, 232, 4), 128, 100),
      seNumberMenu({"kMultiPatch", "Multi Program", "PROGRAM"}, inPlate(s, 12, 70), 50, 128, 1),
      seMenu({"kMultiTempo", "Multi Tempo", "TEMPO"}, inPlate(s, 72, 70), 80, "tempoValues", 55),
      onOff({"kOverrideTempo", "Tempo From Host", "HOST TEMPO"}, inPlate(s, 172, 70),
            "BTN_OFFON_ID", 1, LabelSide::kAbove),
      momentary({"kPushArrangement", "Send Multi", "SEND TO SYNTH"}, inPlate(s, 12, 102),
                "BTN_SMALL_ID"),
      momentary({"kRequestTempData", "Request Multi", "GET FROM SYNTH"}, inPlate(s, 150, 102),
                "BTN_SMALL_ID"),
  };
}

// The Global record's settings in five columns; tuning and transposition are faders, as their
// bytes sit above their values.
std::vector<Element> globalSettings() {
  const Box& s = kGlobal;
  auto cell = [&](int column, int row) { return inPlate(s, 12 + 116 * column, 20 + 42 * row); };
  constexpr int w = 104;
  return {
      seMenu({"kGlobalMidiChannel", "Global MIDI Channel", "CHANNEL"}, cell(0, 0), w,
             "globalChannel", 1),
      seMenu({"kGlobalControlSend", "Controller Send", "CTRL SEND"}, cell(0, 1), w,
             "controllerSend", 3),
      seMenu({"kGlobalControlW", "Control W", "CONTROL W"}, cell(0, 2), w, "controlList", 2),
      seNumberMenu({"kGlobalSysExID", "SysEx Device ID", "DEVICE ID"}, cell(1, 0), w, 128, 0),
      seMenu({"kGlobalReceive", "Controller Receive", "CTRL RECEIVE"}, cell(1, 1), w,
             "controllerReceive", 1),
      seMenu({"kGlobalControlX", "Control X", "CONTROL X"}, cell(1, 2), w, "controlList", 4),
      seMenu({"kGlobalClock", "Global Clock", "CLOCK"}, cell(2, 0), w, "globalClock"),
      seMenu({"kGlobalTxProgramChange", "Send Program Change", "SEND PROGRAMS"}, cell(2, 1), w,
             "programChange", 2),
      seMenu({"kGlobalControlY", "Control Y", "CONTROL Y"}, cell(2, 2), w, "controlList", 11),
      seMenu({"kGlobalVelocityCurve", "Velocity Curve", "VELOCITY"}, cell(3, 0), w,
             "keyVelocityCurve"),
      seMenu({"kGlobalLocalControl", "Local Control", "LOCAL"}, cell(3, 1), w, "offOn", 1),
      seMenu({"kGlobalControlZ", "Control Z", "CONTROL Z"}, cell(3, 2), w, "controlList", 12),
      seSlider({"kGlobalTuning", "Master Tuning", "TUNING"}, inPlate(s, 476, 16), 90, 21, 10, 54),
      seSlider({"kGlobalTranspose", "Master Transpose", "TRANSPOSE"}, inPlate(s, 476, 66), 90, 25,
               12, 52),
      sectionLock("kSectionLockGlobal", "Lock Global", inPlate(s, s.w - 30, 6)),
  };
}

std::vector<Element> midiAndEditor() {
  const Box& s = kMidi;
  return {
      deviceMenu({"kDeviceOutSelection", "MIDI Setup", "OUT"}, inPlate(s, 12, 12), 180, 16, false),
      deviceMenu({"kDeviceInSelection", "MIDI Setup", "IN"}, inPlate(s, 12, 38), 180, 16, true),
      onOff({"kViewMIDIFilterSettings", "MIDI Filters", "MIDI FILTERS"}, inPlate(s, 250, 6),
            "GEARS_ICON_ID"),
      dropMenu({"kUserInterfaceSize", "Editor Size", "SIZE"}, inPlate(s, 400, 40), 70, 13, "uiSize",
               1, LabelSide::kLeft),
      onOff({"kControlProgBank", "Program Change Mode", "SYNTH PROGRAMS"}, inPlate(s, 12, 68),
            "BTN_SMALL_ID", 1),
      onOff({"kControlLibrary", "Librarian Program Mode", "LIBRARY PROGRAMS"}, inPlate(s, 170, 68),
            "BTN_SMALL_ID"),
      onOff({"kMasterKeyboard", "Master Keyboard", "MASTER KBD"}, inPlate(s, 330, 68),
            "BTN_SMALL_ID"),
      onOff({"kSendMIDIClockPointer", "Clock Start Stop", "CLOCK START"}, inPlate(s, 12, 96),
            "BTN_SMALL_ID"),
      onOff({"kSendMIDIClockInfo", "Clock Output", "CLOCK OUT"}, inPlate(s, 170, 96),
            "BTN_SMALL_ID"),
      dropMenu({"kUserInterfaceStyle", "Editor Colours", "STYLE"}, inPlate(s, 400, 98), 70, 13,
               "uiStyle", 0, LabelSide::kLeft),
      momentary({"kDisplayAboutWindow", "About", "ABOUT"}, inPlate(s, 400, 14), "BTN_18x18_ID"),
  };
}

At cardAt(int part) {
  return {kFirstCard.x + kCardPitchX * (part % 8), kFirstCard.y + kCardPitchY * (part / 8)};
}

// A part's card: on switch, sound name and lock; channel, bank and program, key range; level,
// pan, detune and transposition; the switch that shows the part's setup below.
std::vector<Element> card(int part) {
  const At c = cardAt(part);
  const std::string n = std::to_string(part + 1);
  auto p = [&](const char* id, const std::string& name, const std::string& label) {
    return Param{withOffset(id, part), "Part " + n + " " + name, label};
  };
  auto at = [&](int dx, int dy) { return At{c.x + dx, c.y + dy}; };
  return {
      seButton(p("kMultiPartStatus", "On", "ON"), at(6, 6), "BUTTON_MIXER_MUTE" + n + "_ID",
               part < 4 ? 1 : 0, LabelSide::kNone),
      nameField(p("kPatchName", "Sound Name", "SOUND"), at(50, 11), 88, 14, 16, LabelSide::kNone),
      onOff(p("kPartLock", "Lock", "LOCK"), at(142, 7), "BUTTON_LOCK_ID", 0, LabelSide::kNone),
      seMenu(p("kMultiPartMIDICh", "MIDI Channel", "CHANNEL"), at(6, 48), 76, "multiChannel",
             part + 2),
      seMenu(p("kMultiPartBank", "Bank", "BANK"), at(6, 78), 30, "bankLetters"),
      seNumberMenu(p("kMultiPartPatch", "Program", "PROG"), at(42, 78), 40, 128, 1),
      seMenu(p("kMultiPartKeyLow", "Key Low", "LOW"), at(6, 109), 36, "keyList", 0,
             LabelSide::kNone),
      seMenu(p("kMultiPartKeyHigh", "Key High", "HIGH"), at(46, 109), 36, "keyList", 127,
             LabelSide::kNone),
      onOff(p("kMultiPartSettings", "Setup", "SETUP"), at(6, 134), "BTN_SMALL_ID"),
      seKnob(p("kMultiPartLevel", "Level", "LEVEL"), at(84, 34), 128, 100,
             "IKNOBROTATERCONTROL_ID3"),
      seKnob(p("kMultiPartPanning", "Panning", "PAN"), at(126, 34), 128, 64,
             "IKNOBROTATERCONTROL_ID3"),
      seKnob(p("kMultiPartDetune", "Detune", "DETUNE"), at(84, 94), 128, 64,
             "IKNOBROTATERCONTROL_ID3"),
      // The record holds the transposition 16 above its value.
      seSlider(p("kMultiPartTranspose", "Transpose", "TRANS"), at(130, 92), 54, 97, 48, 16, true),
  };
}

// The part's setup, shown while its setup switch is on: what the part receives, and its
// velocity range (the record holds both ends one above their values).
std::vector<Element> setup(int part) {
  const At c = cardAt(part);
  const std::string n = std::to_string(part + 1);
  struct Receive {
    const char* id;
    const char* name;
    const char* label;
  };
  static const Receive receives[9] = {{"kReceiveMIDI", "Receive MIDI", "MID"},
                                      {"kReceiveUSB", "Receive USB", "USB"},
                                      {"kReceiveLocal", "Receive Local", "LOC"},
                                      {"kReceivePitchBend", "Receive Bend", "BND"},
                                      {"kReceiveModWheel", "Receive Wheel", "MOD"},
                                      {"kReceivePressure", "Receive Pressure", "PRS"},
                                      {"kReceiveSustain", "Receive Sustain", "SUS"},
                                      {"kReceiveEdits", "Receive Edits", "EDT"},
                                      {"kReceiveProgramChange", "Receive Programs", "PRG"}};
  std::vector<Element> out = {background("MULTI_PART_SETTINGS_BG_ID", {c.x + 2, c.y + kSetupTop})};
  for (int i = 0; i < 9; ++i)
    out.push_back(seMenu(
        {withOffset(receives[i].id, part), "Part " + n + " " + receives[i].name, receives[i].label},
        {c.x + 7 + 30 * (i % 3), c.y + kSetupTop + 12 + 25 * (i / 3)}, 26, "offOn", 1));
  out.push_back(
      seSlider({withOffset("kMultiPartVeloLow", part), "Part " + n + " Velocity Low", "V.LO"},
               {c.x + 98, c.y + kSetupTop + 6}, 50, 127, 0, 1, true));
  out.push_back(
      seSlider({withOffset("kMultiPartVeloHigh", part), "Part " + n + " Velocity High", "V.HI"},
               {c.x + 132, c.y + kSetupTop + 6}, 50, 127, 126, 1, true));
  return out;
}

std::vector<Element> cardPictures() {
  std::vector<Element> out;
  for (int part = 0; part < kParts; ++part) {
    const At c = cardAt(part);
    out.push_back(plate({c.x, c.y, kCardWidth, kCardHeight}));
    out.push_back(caption("KEY RANGE", {c.x + 6, c.y + 96}, 76));
  }
  return out;
}

}  // namespace

Element multiPage() {
  std::vector<Element> settings;
  for (auto part : {multiSettings(), globalSettings(), midiAndEditor()})
    for (Element& e : part) settings.push_back(std::move(e));
  for (int part = 0; part < kParts; ++part)
    for (Element& e : card(part)) settings.push_back(std::move(e));

  std::vector<Element> page = {
      background("MULTI_SETTINGS_BG_ID", kPageOrigin),
      background("MULTI_MIXER_BG_ID", {kPageOrigin.x, kPageOrigin.y + kSettingsHeight}),
      section("MULTI", kMulti), section("GLOBAL", kGlobal), section("MIDI & EDITOR", kMidi)};
  for (Element& e : cardPictures()) page.push_back(std::move(e));
  page.push_back(layer("multiModeSettingsPage1", 0, std::move(settings)));
  // One by one: a multilayer would name them from 0 without the leading zero.
  for (int part = 0; part < kParts; ++part)
    page.push_back(overlayLayer("multiSettingsPart" + twoDigits(part + 1), part + 1, setup(part)));
  return layer("multiPage", 0, std::move(page));
}

}  // namespace layout_tables

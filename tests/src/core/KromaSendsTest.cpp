// Edits in the whole plug-in as the synthesizer and the user see them: the bytes a change sends,
// the switches that follow their parameters, the requests that wait for the editor thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ConnectedPlugin.h"
#include "SynthOnPorts.h"
#include "platform/vst2/opcodes.h"
#include "src/core/detail/EditorRequests.h"
#include "src/core/detail/KromaDialogs.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/midi/IMidiMsg.h"
#include "toolkit/wsys/Dialog.h"

namespace {

// Part 2's level in a Multi dump.
constexpr int kPart2Level = multi_dump::kRecordBase + multi_dump::kRecordSize * 1 + 2;

class Sends : public ConnectedPlugin {
 protected:
  // The plug-in on the synthesizer's ports, the connection check done.
  Kroma* checked(Kroma* plug, SynthOnPorts& ports) {
    ports.connect(plug);
    plug->sendSysExInitialization();
    EXPECT_TRUE(eventually(
        [&] { return plug->deviceId() == ports.synth.deviceId() && !plug->ThreadRunning(); }));
    return plug;
  }
  template <class Dump>
  static bool named(const Dump& dump, int nameOffset) {
    return std::string(dump.begin() + nameOffset, dump.begin() + nameOffset + 4) == "Held";
  }
  // An audio restart (suspend, resume) with the host playing: whole dumps wait for the stop.
  static void playAfterRestart(Kroma* plug) {
    dispatch(plug, effMainsChanged, 0, 0);
    dispatch(plug, effMainsChanged, 0, 1);
    hostTime.flags = kVstTempoValid | kVstTransportPlaying;
    process(plug, 64);
  }
  static void stopHost(Kroma* plug) {
    hostTime.flags = kVstTempoValid;
    process(plug, 64);
  }
  // What reached the synthesizer from message `from` on: each dump by its type and program byte
  // ("dump 11 0|"), the others by their first two bytes ("B0 7B|"), or the dumps only.
  std::string kinds(size_t from, bool dumpsOnly = false) const {
    std::string out;
    const std::vector<std::vector<uint8_t>> all = midi.received("Synth Out");
    for (size_t m = from; m < all.size(); ++m) {
      char text[16];
      if (all[m][0] == 0xF0)
        std::snprintf(text, sizeof text, "dump %02X %d|", all[m][4], all[m][6]);
      else if (!dumpsOnly)
        std::snprintf(text, sizeof text, "%02X %02X|", all[m][0], all[m][1]);
      else
        continue;
      out += text;
    }
    return out;
  }
  // The last whole Multi that reached the synthesizer; empty when none did.
  std::vector<uint8_t> lastMulti() const {
    const std::vector<std::vector<uint8_t>> all = midi.received("Synth Out");
    for (auto m = all.rbegin(); m != all.rend(); ++m)
      if (m->size() == sysex::kMultiDumpSize && (*m)[sysex::kTypeOffset] == sysex::kMultiDump)
        return *m;
    return {};
  }
  // A cutoff edit of part 1 changed the synthesizer's sound.
  static bool editLands(Kroma* plug, const SynthOnPorts& ports) {
    const sysex::SoundDumpBytes before = ports.synth.soundEditBuffer(0);
    set(plug, kFilter1Cutoff, value(plug, kFilter1Cutoff) == 10 ? 20 : 10);
    return eventually([&] { return ports.synth.soundEditBuffer(0) != before; });
  }
};

// Part 3 (index 2) on MIDI channel 4. Each edit sends its parameter message with the device id,
// the part and the value; bytes that pack several parameters (arpeggiator steps, voice mode and
// unison, envelope trigger and mode) carry the others' current values too; a wavetable is a CC
// of its oscillator's shape controller. The rows run in order: each sees the values before it.
TEST_F(Sends, EachEditSendsItsMessageWithTheBytesItShares) {
  Kroma* plug = settled();
  const int p = 2;
  setChannel(plug, p, 5);
  const struct {
    int param;
    double value;
    const char* bytes;  // after F0 3E 13 11 20 02; empty for a CC
    const char* cc;
  } rows[] = {
      {kFilter1Cutoff, 100, "00 4E 64", ""},
      {kOscillatorGlideOnOffSwitch, 1, "00 35 01", ""},
      {kArpPattern01Glide, 1, "02 47 1C", ""},
      {kArpPattern01Step, 0, "02 47 0C", ""},
      {kArpPattern01Accent, 0, "02 47 08", ""},
      {kArpPattern01Glide, 0, "02 47 00", ""},
      {kArpPattern03Accent, 2, "02 49 12", ""},
      {kArpPattern02Timing, 3, "02 58 73", ""},
      {kArpPattern02StepLen, 2, "02 58 23", ""},
      {kArpPattern02Timing, 0, "02 58 20", ""},
      {kOscillatorMonoPolyMode, 1, "00 3A 01", ""},
      {kOscillatorUnisono, 3, "00 3A 31", ""},
      {kOscillatorMonoPolyMode, 0, "00 3A 30", ""},
      {kOscillatorUnisono, 0, "00 3A 00", ""},
      {kFilterEnvTrigger, 1, "01 44 20", ""},
      {kFilterEnvMode, 0, "01 44 20", ""},
      {kFilterEnvMode, 3, "01 44 23", ""},
      {kFilterEnvTrigger, 0, "01 44 03", ""},
      {kAmpEnvMode, 2, "01 50 02", ""},
      {kAmpEnvTrigger, 1, "01 50 22", ""},
      {kEnv3Trigger, 1, "01 5C 20", ""},
      {kEnvelope4Mode, 3, "01 68 03", ""},
      {kLFO1Speed, 7, "01 21 07", ""},
      {kEffect1Mode, 2, "01 00 02", ""},
      {kArpMode, 1, "02 37 01", ""},
      {kOscillator1Wavetable, 4, "", "B3 1F 0B|"},
      {kOscillator2Wavetable, 0, "", "B3 27 07|"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(plug->GetParam(row.param + p)->GetNameForHost() + std::string(" ") +
                 std::to_string(row.value));
    const std::string expected = *row.cc ? row.cc : parameterChange("11", row.bytes);
    EXPECT_EQ(change(plug, row.param + p, row.value), expected);
  }
  EXPECT_EQ(value(plug, kOscillator1Shape + p), 7.0) << "a wavetable is shape 7";
  EXPECT_EQ(value(plug, kOscillator2Shape + p), 7.0);
  // Another device id goes into every message from then on.
  setDeviceId(plug, 5);
  EXPECT_EQ(plug->deviceId(), 5);
  EXPECT_EQ(change(plug, kLFO1Speed + p, 9), parameterChange("05", "01 21 09"));
  EXPECT_EQ(change(plug, kAmpEnvMode + p, 1), parameterChange("05", "01 50 21"));
  // A Multi or Global setting sends the whole dump instead.
  for (int param : {int(kMultiTempo), kMultiPartLevel + p, int(kGlobalTranspose)}) {
    const std::string type = param == kGlobalTranspose ? "14" : "11";
    const size_t from = sentCount();
    set(plug, param, 20);
    EXPECT_TRUE(eventually([&] {
      return !plug->ThreadRunning() && sent(from).find("F0 3E 13 05 " + type) != std::string::npos;
    })) << param;
  }
}

// The synthesizer takes a new device id from the Global dump that DEVICE ID sends, so that dump
// goes to the id it answers to; once it has arrived, the synthesizer answers to the new id, and
// the edits after it, addressed to that id, land.
TEST_F(Sends, ANewDeviceIdReachesTheSynthesizerAndTheNextEditLands) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(3);
  Kroma* plug = open();
  ports.connect(plug);
  plug->sendSysExInitialization();  // the connection check finds it on id 3
  ASSERT_TRUE(eventually([plug] { return plug->deviceId() == 3 && !plug->ThreadRunning(); }));
  for (int id : {11, 10}) {
    SCOPED_TRACE(id);
    set(plug, kGlobalSysExID, id);
    EXPECT_TRUE(eventually([&] { return ports.synth.deviceId() == id && !plug->ThreadRunning(); }));
    EXPECT_EQ(value(plug, kDeviceID_old), id);
    const sysex::SoundDumpBytes before = ports.synth.soundEditBuffer(0);
    set(plug, kFilter1Cutoff, value(plug, kFilter1Cutoff) == 10 ? 20 : 10);
    EXPECT_TRUE(eventually([&] { return ports.synth.soundEditBuffer(0) != before; }));
  }
}

// DEVICE ID chosen before the ports, as the synthesizer's own id: the connection check finds it
// there, and the next DEVICE ID reaches it.
TEST_F(Sends, AnIdChosenBeforeThePortsIsWhereTheNextIdGoes) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(3);
  Kroma* plug = open();
  set(plug, kGlobalSysExID, 3);
  checked(plug, ports);
  set(plug, kGlobalSysExID, 5);
  EXPECT_TRUE(eventually([&] { return ports.synth.deviceId() == 5 && !plug->ThreadRunning(); }));
  EXPECT_TRUE(editLands(plug, ports));
}

// An input port picked while the output is set runs the connection check, as the output's pick
// does: picked after the output, it finds the synthesizer.
TEST_F(Sends, AnInputPickedAfterTheOutputRunsTheConnectionCheck) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(3);
  Kroma* plug = open();
  ports.connect(plug);
  turn(plug, kDeviceInSelection, plug->getExternalMIDIInDevice("Synth In"));
  EXPECT_TRUE(eventually([plug] { return plug->deviceId() == 3 && !plug->ThreadRunning(); }));
  EXPECT_EQ(status(plug), "Plug-in is ready to go!");
}

// After an audio restart the Global dump waits while the host plays: the edits until then go to
// the id the synthesizer still answers to, and the new id reaches it once the transport stops.
TEST_F(Sends, ANewDeviceIdWaitsForTheTransportToStopAfterAnAudioRestart) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(3);
  Kroma* plug = checked(open(), ports);
  playAfterRestart(plug);
  set(plug, kGlobalSysExID, 5);
  EXPECT_EQ(status(plug), "STOP PLAYBACK TO SEND GLOBAL DATA");
  process(plug, 64);
  EXPECT_TRUE(editLands(plug, ports));
  // A renamed sound or Multi goes out whole, to the same id.
  plug->setDisplayText(kPatchName, "Held");
  set(plug, kPatchName, 0);
  EXPECT_TRUE(eventually([&] {
    return named(ports.synth.soundEditBuffer(0), sound_dump::kNameOffset) && !plug->ThreadRunning();
  }));
  plug->setDisplayText(kMultiName, "Held");
  set(plug, kMultiName, 0);
  EXPECT_TRUE(eventually([&] {
    return named(ports.synth.multiEditBuffer(), multi_dump::kNameOffset) && !plug->ThreadRunning();
  }));
  EXPECT_EQ(ports.synth.deviceId(), 3);
  stopHost(plug);
  EXPECT_TRUE(eventually([&] { return ports.synth.deviceId() == 5 && !plug->ThreadRunning(); }));
  EXPECT_TRUE(editLands(plug, ports));
  // With nothing after it, the refusal's text stays until the id goes out, and then goes.
  playAfterRestart(plug);
  set(plug, kGlobalSysExID, 6);
  EXPECT_EQ(status(plug), "STOP PLAYBACK TO SEND GLOBAL DATA");
  stopHost(plug);
  EXPECT_EQ(status(plug), "");
  EXPECT_TRUE(eventually([&] { return ports.synth.deviceId() == 6 && !plug->ThreadRunning(); }));
}

// A project saved while a new DEVICE ID waits for the stop holds the id the synthesizer answers
// to: the restore gives the synthesizer the new id with its Global dump, to the old id, and the
// pushed Multi and the edits after it land.
TEST_F(Sends, ARestoredProjectReachesTheSynthesizerOnTheIdItLastAnsweredTo) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(3);
  Kroma* first = checked(open(), ports);
  playAfterRestart(first);
  set(first, kGlobalSysExID, 31);
  ASSERT_EQ(status(first), "STOP PLAYBACK TO SEND GLOBAL DATA");
  const std::vector<uint8_t> project = saveChunk(first);
  close(first);
  Kroma* second = open();
  ASSERT_EQ(loadChunk(second, project), 1);
  EXPECT_NE(status(second), "NO SYNTH ANSWERED ON ID 31!") << "no input port: no answer to hear";
  EXPECT_TRUE(eventually([&] { return ports.synth.deviceId() == 31; }));
  EXPECT_EQ(second->deviceId(), 31);
  EXPECT_EQ(value(second, kDeviceID_old), 31);
  EXPECT_TRUE(editLands(second, ports));
}

// The stop comes while a transfer runs: the Global dump kept for it waits for the transfer's end
// and then gives the synthesizer the new id.
TEST_F(Sends, AnIdKeptForTheStopGoesOutAfterTheTransferThatRanAtTheStop) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(3);
  Kroma* plug = checked(open(), ports);
  playAfterRestart(plug);
  set(plug, kGlobalSysExID, 5);
  ports.synth.setFault({corvane_sim::Fault::kSilent});
  set(plug, kRequestTempData, 1);  // GET FROM SYNTH waits for answers that do not come
  ASSERT_TRUE(plug->ThreadRunning());
  stopHost(plug);
  process(plug, 64);
  set(plug, kCancelDataRequest, 1);
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  ports.synth.setFault({});
  EXPECT_EQ(ports.synth.deviceId(), 3);
  process(plug, 64);
  EXPECT_TRUE(eventually([&] { return ports.synth.deviceId() == 5 && !plug->ThreadRunning(); }));
  EXPECT_TRUE(editLands(plug, ports));
}

// Two instances on one synthesizer: a DEVICE ID that one gives it reaches no other, whose edits
// go to the old id unseen. GET FROM SYNTH, or the output port picked again, finds it again.
TEST_F(Sends, AnotherInstanceFindsTheSynthesizerAgainAfterItsIdChanged) {
  SynthOnPorts ports(midi);
  const struct {
    int id;
    const char* how;
  } rows[] = {{8, "output port"}, {9, "GET FROM SYNTH"}};
  ports.synth.setDeviceId(3);
  Kroma* changer = checked(open(), ports);
  Kroma* other = checked(open(), ports);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.how);
    set(changer, kGlobalSysExID, row.id);
    ASSERT_TRUE(eventually([&] { return ports.synth.deviceId() == row.id; }));
    EXPECT_EQ(other->deviceId(), row.id == 8 ? 3 : 8) << "the id it still sends to";
    if (row.id == 8)
      set(other, kDeviceOutSelection, value(other, kDeviceOutSelection));
    else
      set(other, kRequestTempData, 1);
    // GET FROM SYNTH also brings the 16 sounds and the Multi in: slow under a sanitizer.
    EXPECT_TRUE(eventually([&] { return other->deviceId() == row.id && !other->ThreadRunning(); }));
    EXPECT_EQ(value(other, kGlobalSysExID), row.id);
    EXPECT_TRUE(editLands(other, ports));
  }
}

// A Multi edit refused while the host plays after an audio restart is kept, as the Global is,
// and goes out at the stop, its text with it.
TEST_F(Sends, AMultiEditRefusedWhilePlayingGoesOutAtTheStop) {
  SynthOnPorts ports(midi);
  Kroma* plug = checked(open(), ports);
  ASSERT_NE(ports.synth.multiEditBuffer()[kPart2Level], 92);
  playAfterRestart(plug);
  set(plug, kMultiPartLevel + 1, 92);
  EXPECT_EQ(status(plug), "STOP PLAYBACK TO SEND MULTI DATA");
  stopHost(plug);
  EXPECT_EQ(status(plug), "");
  EXPECT_TRUE(eventually([&] { return ports.synth.multiEditBuffer()[kPart2Level] == 92; }));
}

// A Multi edit during a Multi push, under its overlay, waits for the push's end and then goes
// out with the enabled parts' sounds. The push keeps its own options meanwhile: a renamed Multi
// is followed by the current part's sound only.
TEST_F(Sends, AMultiEditDuringAPushWaitsForItAndLeavesItsOptionsAlone) {
  Kroma* plug = settled();
  for (int part = 0; part < 16; ++part) plug->setStoredValue(kMultiPartStatus + part, part == 1);
  const size_t from = sentCount();
  set(plug, kMultiName, 0);
  ASSERT_TRUE(eventually([&] { return !kinds(from, true).empty(); }));
  set(plug, kMultiPartLevel + 1, 92);  // in the pause after the Multi
  const std::string expected = "dump 11 0|dump 10 0|dump 11 0|dump 10 1|";
  EXPECT_TRUE(eventually([&] {
    process(plug, 64);
    return kinds(from, true).size() >= expected.size() && !plug->ThreadRunning();
  }));
  EXPECT_EQ(kinds(from, true), expected);
  EXPECT_EQ(lastMulti()[kPart2Level], 92);
}

// SEND TO SYNTH sends the Global first, whose end frees the editor, and pauses between the Multi
// and the part sounds with the transfer lane busy: a Multi edit and a librarian slot played
// (double-clicked) in that pause go out once the push has ended.
TEST_F(Sends, AnEditAndASlotPlayedInTheSendToSynthPauseGoOutAfterThePush) {
  banks::write(data.file("Patches/S1.syx"), "S1-");
  Kroma* plug = settled();
  for (int part = 0; part < 16; ++part) plug->setStoredValue(kMultiPartStatus + part, 0);
  const size_t from = sentCount();
  set(plug, kPushArrangement, 1);
  ASSERT_TRUE(eventually([&] { return kinds(from, true).find("dump 11") != std::string::npos; }));
  set(plug, kMultiPartLevel + 1, 92);
  plug->sendPatchToDeviceFromLibrarian(20, 0, 0);
  EXPECT_TRUE(eventually([&] {
    process(plug, 64);
    return kinds(from).find("C0 14|") != std::string::npos && !plug->ThreadRunning();
  }));
  EXPECT_EQ(lastMulti()[kPart2Level], 92);
  const std::vector<uint8_t> sound = midi.received("Synth Out").back();
  ASSERT_EQ(sound.size(), sizeof(sysex::SoundDumpBytes));
  EXPECT_EQ(banks::trimmed(std::string(sound.begin() + sound_dump::kNameOffset,
                                       sound.begin() + sound_dump::kNameOffset + 16)),
            "S1-20");
}

// A part's CCs go on the channel of its MIDI channel setting: 2..17 are channels 1..16, 0 and 1
// are channels 1 and 2 as they stand.
TEST_F(Sends, AWavetableGoesOnThePartsChannel) {
  Kroma* plug = settled();
  const struct {
    int part;
    double setting;
    const char* bytes;
  } rows[] = {{4, 2, "B0 1F 08|"},
              {5, 17, "BF 1F 08|"},
              {6, 0, "B0 1F 08|"},
              {7, 1, "B1 1F 08|"},
              {8, 3, "B1 1F 08|"}};
  for (const auto& row : rows) {
    setChannel(plug, row.part, row.setting);
    EXPECT_EQ(change(plug, kOscillator1Wavetable + row.part, 1), row.bytes) << row.setting;
  }
}

// Each MIDI filter switch lets its kinds of message pass while it is 1, on its own side (the
// host's or the synthesizer's) only.
TEST_F(Sends, EachFilterSwitchBlocksItsKindsOnItsSide) {
  Kroma* plug = settled();
  // Filter entry: the kinds it holds.
  const std::vector<int> kinds[] = {{IMidiMsg::kControlChange},
                                    {IMidiMsg::kProgramChange},
                                    {IMidiMsg::kNoteOff, IMidiMsg::kNoteOn},
                                    {IMidiMsg::kPitchWheel},
                                    {IMidiMsg::kPolyAftertouch},
                                    {IMidiMsg::kChannelAftertouch}};
  for (bool device : {false, true})
    for (int entry = 0; entry < 6; ++entry) {
      SCOPED_TRACE(testing::Message() << (device ? "synthesizer " : "host ") << entry);
      const int first = device ? kMIDIFilterHWCCPassThrough : kMIDIFilterDAWCCPassThrough;
      for (int e = 0; e < 7; ++e) set(plug, kMIDIFilterDAWCCPassThrough + e, 1);
      for (int e = 0; e < 7; ++e) set(plug, kMIDIFilterHWCCPassThrough + e, 1);
      set(plug, first + entry, 0);
      for (int kind = IMidiMsg::kNoteOff; kind <= IMidiMsg::kPitchWheel; ++kind) {
        const bool held =
            std::find(kinds[entry].begin(), kinds[entry].end(), kind) != kinds[entry].end();
        EXPECT_EQ(plug->midiKindBlocked(kind, device), held) << kind;
        EXPECT_FALSE(plug->midiKindBlocked(kind, !device)) << kind;
      }
    }
  EXPECT_TRUE(plug->midiKindBlocked(IMidiMsg::kNoteOff - 1, false));
  EXPECT_TRUE(plug->midiKindBlocked(IMidiMsg::kPitchWheel + 1, true));
}

// Switches the plug-in's other parts read follow their parameters both ways.
TEST_F(Sends, SwitchesFollowTheirParameters) {
  Kroma* plug = settled();
  using Read = bool (Kroma::*)() const;
  const struct {
    int param;
    Read read;
  } rows[] = {{kGlobalLocalControl, &Kroma::localControl},
              {kSendMIDIClockPointer, &Kroma::sendClockPointer},
              {kSendMIDIClockInfo, &Kroma::sendClockInfo},
              {kControlLibrary, &Kroma::libraryControl},
              {kControlProgBank, &Kroma::programControl}};
  for (const auto& row : rows)
    for (double v : {1.0, 0.0, 1.0}) {
      set(plug, row.param, v);
      EXPECT_EQ((plug->*row.read)(), v == 1.0) << plug->GetParam(row.param)->GetNameForHost();
    }
  // The two menu modes never hold both.
  set(plug, kControlLibrary, 1);
  EXPECT_TRUE(plug->libraryControl() && !plug->programControl());
  EXPECT_EQ(value(plug, kControlProgBank), 0.0);
  set(plug, kControlProgBank, 1);
  EXPECT_TRUE(!plug->libraryControl() && plug->programControl());
  EXPECT_EQ(value(plug, kControlLibrary), 0.0);
  // The part tab makes its part the current one.
  for (int part : {5, 0, 15}) {
    set(plug, kQuickTab, part);
    EXPECT_EQ(plug->currentPart(), part);
  }
}

// Trigger buttons flip their switch (exactly 1 turns to 0, anything else to 1) and send the
// switch's message (effect 2's polarities and the filter link send none of their own); a
// trigger's 0 does nothing.
TEST_F(Sends, TriggerButtonsFlipTheirSwitchAndSendIt) {
  Kroma* plug = settled();
  const int p = 2;
  const struct {
    int trigger, target;
    bool sends = true;
  } rows[] = {{kTriggerOscillatorMonoPolyMode, kOscillatorMonoPolyMode},
              {kTriggerFilterEnvTrigger, kFilterEnvTrigger},
              {kTriggerAmpEnvTrigger, kAmpEnvTrigger},
              {kTriggerEnv3Trigger, kEnv3Trigger},
              {kTriggerEnv4Trigger, kEnv4Trigger},
              {kTriggerLFO1Clock, kLFO1Clock},
              {kTriggerLFO2Clock, kLFO2Clock},
              {kTriggerLFO3Clock, kLFO3Clock},
              {kTriggerLFO1SyncOnOff, kLFO1SyncOnOff},
              {kTriggerOscillatorGlideOnOffSwitch, kOscillatorGlideOnOffSwitch},
              {kTriggerArpPatternReset, kArpPatternReset},
              {kTriggerOscillator1LimitWT, kOscillator1LimitWT},
              {kTriggerOscillator2LimitWT, kOscillator2LimitWT},
              {kTriggerOscillator1Samples, kOsc1UseSampleMemory},
              {kTriggerOscillator2Samples, kOsc2UseSampleMemory},
              {kTriggerFX1PhaserPolarity, kFX1PhaserPolarity},
              {kTriggerFX2PhaserPolarity, kFX2PhaserPolarity, false},
              {kTriggerFX1FlangerPolarity, kFX1FlangerPolarity},
              {kTriggerFX2FlangerPolarity, kFX2FlangerPolarity, false},
              {kTriggerFX2DelayPolarity, kFX2DelayPolarity, false},
              {kTriggerArpNoteOverlap, kArpSameNoteOverlap},
              {kTriggerOscillator2SyncToOsc3, kOscillator2SyncToOsc3},
              {kTriggerLFO2SyncOnOff, kLFO2SyncOnOff},
              {kTriggerLFO3SyncOnOff, kLFO3SyncOnOff},
              {kFilterLinkTrigger, kFilterLinkSwitch, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.trigger);
    const double before = value(plug, row.target + p);
    const std::string sentOn = change(plug, row.trigger + p, 1);
    EXPECT_EQ(value(plug, row.target + p), before == 1.0 ? 0.0 : 1.0);
    EXPECT_EQ(sentOn.empty(), !row.sends);
    const size_t from = sentCount();
    set(plug, row.trigger + p, 0);
    EXPECT_EQ(value(plug, row.target + p), before == 1.0 ? 0.0 : 1.0);
    EXPECT_EQ(sentCount(), from);
    change(plug, row.trigger + p, 1);
    EXPECT_EQ(value(plug, row.target + p), before);
  }
  // Serial and parallel routing switch as a pair; the routing byte says which.
  const std::string first = change(plug, kTriggerFilterRouting + p, 1);
  const double serial = value(plug, kFilterRoutingSerial + p);
  EXPECT_EQ(value(plug, kFilterRoutingParallel + p), 1.0 - serial);
  EXPECT_EQ(value(plug, kFilterRouting + p), serial);
  EXPECT_EQ(first, parameterChange("11", serial == 1.0 ? "00 75 01" : "00 75 00"));
  EXPECT_EQ(change(plug, kTriggerFilterRouting + p, 1),
            parameterChange("11", serial == 1.0 ? "00 75 00" : "00 75 01"));
  EXPECT_EQ(value(plug, kFilterRoutingSerial + p), 1.0 - serial);
}

// Requests from other threads wait, in order, for the editor thread; a call with the key of one
// still waiting replaces it and goes last, calls without a key all run.
TEST_F(Sends, EditorRequestsRunInOrderAndAKeyReplacesItsWaitingCall) {
  Kroma* plug = open();
  EditorRequests requests(plug);
  std::vector<std::string> ran;
  const char keyA = 0, keyB = 0;
  std::thread other([&] {
    EXPECT_FALSE(requests.onEditorThread());
    requests.requestCall(&keyA, [&] { ran.push_back("A1"); });
    requests.requestCall(&keyB, [&] { ran.push_back("B"); });
    requests.requestCall(nullptr, [&] { ran.push_back("free1"); });
    requests.requestCall(&keyA, [&] { ran.push_back("A2"); });
    requests.requestCall(nullptr, [&] { ran.push_back("free2"); });
  });
  other.join();
  EXPECT_TRUE(ran.empty());
  EXPECT_FALSE(requests.IsDirty());
  EXPECT_EQ(ran, (std::vector<std::string>{"B", "free1", "A2", "free2"}));
  requests.apply();
  EXPECT_EQ(ran.size(), 4u) << "each request runs once";
  EXPECT_TRUE(requests.onEditorThread());
}

using Help = PluginFixture;

// The help buttons open their page of the support site; a page the list lacks opens nothing.
TEST_F(Help, EachHelpButtonOpensItsPage) {
  VIEW_Script::instance().reset();
  Kroma* plug = open();
  for (int page : {-1, 0, 1, 2, 3}) plug->OpenHelpTopics(page);
  const std::string site = "https://support.quillonbaysound.com";
  EXPECT_EQ(VIEW_Script::instance().urlsOpened(),
            (std::vector<std::string>{site + "/my-tickets/", site + "/downloads/",
                                      site + "/kb/articles/"}));
}

// A part with a locked section sends its whole sound back to the synthesizer (its own edits
// would otherwise be lost there); a part without one, or outside the sixteen, sends nothing.
TEST_F(Sends, APartWithALockedSectionSendsItsSoundBack) {
  Kroma* plug = settled();
  plug->setStoredValue(kLibSyncTimer, 0);
  for (int lock : {kSectionLockFX2 + 15, kSectionLockOsc1 + 0, kSectionLockOsc2 + 0})
    plug->setStoredValue(lock, 1.0);
  auto soundParts = [this] {
    std::vector<int> parts;
    for (const std::vector<uint8_t>& m : midi.received("Synth Out"))
      if (m.size() > 6 && m[0] == 0xF0 && m[4] == 0x10) parts.push_back(m[6]);
    return parts;
  };
  // One job at a time: each call waits until the one before has ended.
  for (int part : {16, -1, 3, 15, 0}) {
    ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
    plug->sendPartDataBackToHardware(part);
  }
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  EXPECT_EQ(soundParts(), (std::vector<int>{15, 0}));
}

// The randomizer and the dumps bring values into the parameter's own range.
TEST_F(Sends, ParameterRangesAreThoseOfTheParameters) {
  Kroma* plug = open();
  for (int param :
       {int(kMultiTempo), kOscillator1Semitone + 3, int(kFilter1Cutoff), int(kGlobalTuning)}) {
    const ProtocolPlugin::Range range = plug->paramRange(param);
    EXPECT_EQ(range.min, plug->GetParam(param)->GetMin()) << param;
    EXPECT_EQ(range.max, plug->GetParam(param)->GetMax()) << param;
    EXPECT_LT(range.min, range.max) << param;
  }
  const ProtocolPlugin::Range none = plug->paramRange(-1);
  EXPECT_EQ(none.min, 0.0);
  EXPECT_EQ(none.max, 0.0);
}

// With the filter link on, a filter's paired setting moves its twin, keeping the distance they
// had while the link was off, on the side the twin is; both messages go out. A value from the
// synthesizer is not sent back, its twin is. With the link off the twin stays.
TEST_F(Sends, LinkedFiltersMoveTogether) {
  Kroma* plug = settled();
  const int p = 2;
  const struct {
    int param;
    double value;
    bool fromSynthesizer;
    const char* bytes;  // the messages' address and value bytes
    double twin;        // filter 2's cutoff after
  } rows[] = {
      {kFilter2Cutoff, 80, false, "00 62 50", 80},
      {kFilter1Cutoff, 60, false, "00 4E 3C", 80},
      {kFilterLinkSwitch, 1, false, "", 80},
      {kFilter1Cutoff, 70, false, "00 4E 46|00 62 5A", 90},
      {kFilter1Cutoff, 100, false, "00 4E 64|00 62 50", 80},
      {kFilter1Cutoff, 50, true, "00 62 46", 70},
      {kFilterLinkSwitch, 0, false, "", 70},
      {kFilter1Cutoff, 20, false, "00 4E 14", 70},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(plug->GetParam(row.param + p)->GetNameForHost() + std::string(" ") +
                 std::to_string(row.value));
    const size_t from = sentCount();
    plug->GetParam(row.param + p)->Set(row.value);
    if (row.fromSynthesizer)
      plug->OnParamChange2(row.param + p);
    else
      plug->OnParamChange(row.param + p);
    std::string expected;
    for (const char* at = row.bytes; *at; at += std::min<size_t>(9, std::strlen(at)))
      expected += parameterChange("11", std::string(at, 8).c_str());
    EXPECT_EQ(sent(from), expected);
    EXPECT_EQ(value(plug, kFilter2Cutoff + p), row.twin);
  }
}

// The top bar's mode buttons flip their mode on 1 and leave it on 0; the window buttons show and
// hide their windows.
TEST_F(Sends, ModeAndWindowButtons) {
  Kroma* plug = settled();
  using Read = bool (Kroma::*)() const;
  const struct {
    int button, target;
    Read read;
  } modes[] = {{kTriggerLibControl, kControlLibrary, &Kroma::libraryControl},
               {kTriggerProgControl, kControlProgBank, &Kroma::programControl},
               {kTriggerGlobalLocalKBDControl, kGlobalLocalControl, &Kroma::localControl}};
  for (const auto& row : modes) {
    SCOPED_TRACE(plug->GetParam(row.target)->GetNameForHost());
    for (double v : {1.0, 0.0, 1.0}) {
      const double before = value(plug, row.target);
      set(plug, row.button, v);
      EXPECT_EQ(value(plug, row.target), v == 1.0 ? 1.0 - before : before) << v;
      EXPECT_EQ((plug->*row.read)(), value(plug, row.target) == 1.0) << v;
    }
  }
  for (double v : {0.0, 1.0, 0.0}) {
    set(plug, kKeepSelectedBank, v);
    EXPECT_EQ(plug->keepSelectedBank(), v == 1.0);
  }
  const struct {
    int button;
    double value;
    const char* layer;
    bool shown;
  } windows[] = {{kViewMIDIFilterSettings, 1, "midiFilterSettings", true},
                 {kViewMIDIFilterSettings, 0, "midiFilterSettings", false},
                 {kDisplayAboutWindow, 1, "aboutWindow", true},
                 {kDisplayAboutWindow, 0, "aboutWindow", true},
                 {kExitAboutWindow, 0, "aboutWindow", true},
                 {kExitAboutWindow, 1, "aboutWindow", false}};
  for (const auto& row : windows) {
    set(plug, row.button, row.value);
    EXPECT_EQ(shown(plug, row.layer), row.shown)
        << plug->GetParam(row.button)->GetNameForHost() << " " << row.value;
  }
  plug->requestLayerHidden("bankPatchConflictWindow", false);
  IRECT region;
  plug->graphics()->IsDirty(&region);
  ASSERT_TRUE(shown(plug, "bankPatchConflictWindow"));
  set(plug, kFirstRunExit, 1);
  EXPECT_FALSE(shown(plug, "bankPatchConflictWindow")) << "the notice's button closes it";
}

// Output goes straight to the port or waits in the queue for the host's block that holds its
// offset (here blocks of 64 with no extra offset); the two switches exclude each other.
TEST_F(Sends, TheOutputRouteSwitchesExcludeEachOther) {
  Kroma* plug = settled();
  dispatch(plug, effSetBlockSize, 0, 64);
  process(plug, 64);  // past the all notes off after the reset
  set(plug, kAdjustDAWOffset, 0);
  const IMidiMsg late(100, 0x91, 60, 100);  // off the global channel
  set(plug, kMIDIFilterToDAWBuffer, 1);
  EXPECT_EQ(value(plug, kMIDIFilterDirectToHardware), 0.0);
  size_t from = sentCount();
  process(plug, 64, {late});
  EXPECT_EQ(sent(from), "") << "queued for the next block";
  process(plug, 64);
  EXPECT_EQ(sent(from), "91 3C 64|");
  set(plug, kMIDIFilterDirectToHardware, 1);
  EXPECT_EQ(value(plug, kMIDIFilterToDAWBuffer), 0.0);
  from = sentCount();
  process(plug, 64, {late});
  EXPECT_EQ(sent(from), "91 3C 64|");
  set(plug, kMIDIFilterDirectToHardware, 0);
  EXPECT_EQ(value(plug, kMIDIFilterToDAWBuffer), 0.0) << "a switch turned off moves no other";
  from = sentCount();
  process(plug, 64, {late});
  EXPECT_EQ(sent(from), "91 3C 64|");
}

// A part's sound sent on its own: all notes off on its channel, then the sound, then the Multi
// when asked; a part outside the sixteen sends nothing.
TEST_F(Sends, APartSentOnItsOwnAndWithTheMulti) {
  Kroma* plug = settled();
  plug->setStoredValue(kLibSyncTimer, 0);
  const struct {
    int part;
    bool withMulti;
    const char* sent;
  } rows[] = {{16, true, ""},
              {-1, false, ""},
              {15, false, "BF 7B|dump 10 15|"},
              {0, true, "B0 7B|dump 10 0|dump 11 0|"}};
  for (const auto& row : rows) {
    const size_t from = sentCount();
    plug->sendPatchToDevice(row.part, false, false, false, row.withMulti);
    ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
    // The Multi's own job may go on with the enabled parts' sounds.
    const std::string sent = kinds(from);
    EXPECT_EQ(*row.sent ? sent.substr(0, std::strlen(row.sent)) : sent, row.sent) << row.part;
  }
}

// The start-up's milestones reach the log in the order they happen, the layout reader's own lines
// among them.
TEST_F(Sends, TheStartUpLogsEachMilestoneInOrder) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = open();
  close(plug);
  const std::string log = readData("Kroma Editor LOG.txt");
  const std::string lines[] = {"INITIALIZATION STARTED!",
                               "Data folder located at " + Kroma::getDataFolder(),
                               "PATCH MANAGER INITIALIZED...",
                               "PATCH LIBRARIAN INITIALIZED...",
                               "PATCH LIBRARIAN COMPLETED FILE LOADING...",
                               "STARTING USER INTERFACE CONFIGURATION...",
                               "CONFIG READER: Started to read SysEx Data...",
                               "USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI",
                               "Layers attached...",
                               "Control set 1 attached",
                               "Librarian menus attached",
                               "Control set 2 attached... Resetting",
                               "Plug-in is ready to load!"};
  size_t at = 0;
  for (const std::string& line : lines) {
    const size_t found = log.find(line, at);
    EXPECT_NE(found, std::string::npos) << line;
    if (found != std::string::npos) at = found + line.size();
  }
}

// The bank and program each part (0..15) and the Multi (16) last asked for.
TEST_F(Sends, EachPartKeepsItsOwnBankAndProgram) {
  Kroma* plug = open();
  using Which = ProtocolPlugin::PartSound;
  for (int part : {-1, 0, 7, 15, 16, 17}) {
    plug->setPartSound(part, Which::kBank, 40 + part);
    plug->setPartSound(part, Which::kProgram, 80 + part);
  }
  for (int part : {-1, 0, 7, 15, 16, 17}) {
    const bool kept = part >= 0 && part <= 16;
    EXPECT_EQ(plug->partSound(part, Which::kBank), kept ? 40 + part : 0) << part;
    EXPECT_EQ(plug->partSound(part, Which::kProgram), kept ? 80 + part : 0) << part;
  }
}

// A part's bank and program picked on the Multi page reach the synthesizer as parameter
// changes, and every whole Multi sent after them (the next Multi edit's) carries them too.
TEST_F(Sends, APartsSoundPickedOnTheMultiPageStaysInTheNextMulti) {
  SynthOnPorts ports(midi);
  Kroma* plug = open();
  ports.connect(plug);
  const int part = 2;
  const int record = multi_dump::kRecordBase + multi_dump::kRecordSize * part;
  auto synthHas = [&](int bank, int program) {
    const sysex::MultiDumpBytes multi = ports.synth.multiEditBuffer();
    return multi[record] == bank && multi[record + 1] == program;
  };
  turn(plug, kMultiPartBank + part, 2);
  turn(plug, kMultiPartPatch + part, 19);
  ASSERT_TRUE(eventually([&] { return synthHas(2, 19); }));
  turn(plug, kMultiPartLevel, 90);
  ASSERT_TRUE(eventually([&] {
    return !plug->ThreadRunning() &&
           ports.synth.multiEditBuffer()[multi_dump::kRecordBase + 2] == 90;
  }));
  EXPECT_TRUE(synthHas(2, 19));
}

// Each part's Multi settings page opens and closes with its switch.
TEST_F(Sends, EachPartsMultiSettingsPageFollowsItsSwitch) {
  Kroma* plug = open();
  for (int part : {0, 7, 15}) {
    char layer[32];
    std::snprintf(layer, sizeof layer, "multiSettingsPart%02d", part + 1);
    for (double v : {1.0, 0.0, 2.0}) {
      set(plug, kMultiPartSettings + part, v);
      EXPECT_EQ(shown(plug, layer), v > 0) << layer << " " << v;
    }
  }
}

// A Multi pushed from the librarian sends the part sounds and the Global first; the push's end
// clears both.
TEST_F(Sends, AMultiPushSendsPartsAndGlobalFirstUntilItEnds) {
  Kroma* plug = settled();
  LibrarianHost::JobFlags flags;
  flags.multiPush = true;
  SenderJob job;
  job.code = kSendDeviceIdEnquiry;
  ASSERT_TRUE(plug->startLibrarianJob(job, flags));
  EXPECT_TRUE(plug->sendPartSounds());
  EXPECT_TRUE(plug->sendGlobalFirst());
  plug->clearMultiPushFlags();
  EXPECT_FALSE(plug->sendPartSounds());
  EXPECT_FALSE(plug->sendGlobalFirst());
  EXPECT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
}

// The bank-name prompt over an editor window, its buttons pressed by `runner`; its answer.
int promptBankName(WSYS_DialogRunner runner) {
  RECT area = {100, 50, 1100, 850};
  HWND editor = WSYS_CreateWindow(nullptr, &area, 1, "editor");
  WSYS_SetDialogRunner(runner);
  const int answer = WSYS_DialogBox(0, kEnterBankNameDialog, editor, &MessageBoxProg, 0);
  WSYS_SetDialogRunner(nullptr);
  DestroyWindow(editor);
  return answer;
}

// What a dialog shows: its place and title, then each control's kind, id, text and place within
// it; then OK is pressed.
std::vector<std::string> gDialogSeen;

bool recordAndConfirm(HWND dialog, const std::function<void(int)>& command) {
  char line[96];
  std::snprintf(line, sizeof line, "dialog %d %d %d %d %s", dialog->rect.left, dialog->rect.top,
                dialog->rect.right, dialog->rect.bottom, dialog->text.Get());
  gDialogSeen.push_back(line);
  for (int i = dialog->children.GetSize() - 1; i >= 0; --i) {
    const WSYS_Window* c = dialog->children.Get(i);
    std::snprintf(line, sizeof line, "%s %d '%s' %d %d %d %d", c->kind.Get(), c->id, c->text.Get(),
                  c->rect.left - dialog->rect.left, c->rect.top - dialog->rect.top,
                  c->rect.right - c->rect.left, c->rect.bottom - c->rect.top);
    gDialogSeen.push_back(line);
  }
  command(IDOK);
  return true;
}

// The bank-name prompt opens centred on the editor with its label, field and two buttons where
// the user expects them (scaled 1.8 from dialog units); OK answers it.
TEST_F(Sends, TheBankNamePromptIsCentredWithItsControls) {
  open();
  gDialogSeen.clear();
  EXPECT_EQ(promptBankName(&recordAndConfirm), IDOK);
  EXPECT_EQ(gDialogSeen, (std::vector<std::string>{
                             "dialog 244 321 956 580 Enter Bank Name",
                             "static -1 'Bank Name' 18 18 360 14",
                             "edit 10013 '' 18 36 360 21",
                             "button 2 '&Cancel' 288 108 90 25",
                             "button 10006 '&OK    ' 180 108 90 25",
                         }));
}

bool cancelOnly(HWND, const std::function<void(int)>& command) {
  command(IDCANCEL);
  return true;
}

// The bank-name prompt ends only with OK: cancelled, it answers cancel.
TEST_F(Sends, TheBankNamePromptCancelledAnswersCancel) {
  open();
  EXPECT_EQ(promptBankName(&cancelOnly), IDCANCEL);
}

// The UI settings file's lines set the style and size menus the Global page shows.
TEST_F(Sends, TheSettingsFileSetsTheStyleAndSizeMenus) {
  const struct {
    const char* settings;
    double style, size;
  } rows[] = {{"white\nsmall\nyes\n", 0, 0},
              {"black\nnormal\nyes\n", 1, 1},
              {"normal\nlarge\nyes\n", 0, 2},
              {"grey\nhuge\nyes\n", 0, 1}};  // what no line names stays as it starts
  for (const auto& row : rows) {
    writeData("Kroma Editor UI.txt", row.settings);
    Kroma* plug = open();
    EXPECT_EQ(value(plug, kUserInterfaceStyle), row.style) << row.settings;
    EXPECT_EQ(value(plug, kUserInterfaceSize), row.size) << row.settings;
    close(plug);
  }
}

}  // namespace

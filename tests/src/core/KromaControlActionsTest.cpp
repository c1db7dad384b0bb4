// Control actions turned into what the synthesizer gets: message lists, the device id in every
// message, and the effect position bytes the sound dump is built from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginFixture.h"
#include "SynthOnPorts.h"
#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/KromaProbe.h"

namespace {

// The first sixteen parameters (oscillator 1's octaves) offered to the host.
class HostVisibleKroma : public Kroma {
 public:
  explicit HostVisibleKroma(IPluginInstanceInfo info) : Kroma(info) {
    addNonAutomateParamCount(numParams - 16);
  }
};

class ControlActions : public PluginFixture {
 protected:
  // Connected to the synthesizer's output port with the device id given.
  Kroma* connected(int deviceId) {
    Kroma* plug = openConnected();
    KromaProbe(plug).routing.mDeviceID = deviceId;
    plug->GetParam(kGlobalSysExID)->Set(deviceId);
    return plug;
  }
};

// An action of the list form sends every message of its value's list (kept, as all parameter
// messages, without F0 and F7), the device id in place:
// values before the first or past the last have none. A value from the synthesizer sends nothing.
TEST_F(ControlActions, AListActionSendsEachMessageOfItsValue) {
  for (int device : {0, 0x11}) {
    SCOPED_TRACE(device);
    Kroma* plug = connected(device);
    ControlAction action(kMessageSysEx);
    action.sysexMessages.multiMessage = true;
    action.sysexMessages.firstValue = 2;
    action.sysexMessages.messageLists = {
        {{0x3E, 0x13, 0x7F, 0x20, 0x01}, {0x3E, 0x13, 0x7F, 0x20, 0x02}},
        {{0x3E, 0x13, 0x7F, 0x20, 0x03}}};
    const std::string id = device ? "11" : "00";
    const struct {
      double value;
      bool echo;
      std::string sent;
    } rows[] = {
        {2, false, "F0 3E 13 " + id + " 20 01 F7|F0 3E 13 " + id + " 20 02 F7|"},
        {3.5, false, "F0 3E 13 " + id + " 20 03 F7|"},
        {1, false, ""},
        {4, false, ""},
        {2, true, ""},
    };
    for (const auto& row : rows) {
      KromaProbe(plug).routing.mEchoFromHardware = row.echo;
      const size_t from = sentCount();
      plug->processControlAction(&action, kFilter1Cutoff, row.value);
      KromaProbe(plug).routing.mEchoFromHardware = false;
      EXPECT_EQ(sent(from), row.sent) << row.value;
    }
    close(plug);
  }
}

// Every parameter message carries the device id, 0 as well, whatever the stored message held in
// its place.
TEST_F(ControlActions, AParameterMessageCarriesDeviceIdZero) {
  Kroma* plug = connected(0);
  size_t from = sentCount();
  turn(plug, kFilter1Cutoff + 3, 100);
  EXPECT_EQ(sent(from), "F0 3E 13 00 20 03 00 4E 64 F7|");
  for (int type : {kMessageSysExOne, kMessageSysEx}) {
    ControlAction action(type);
    action.sysexMessages.messages =
        SysExMessageTable({0x3E, 0x13, 0x7F, 0x20, 0x03, 0x00}, 5, {4, 5});
    from = sentCount();
    plug->processControlAction(&action, kFilter1Cutoff + 3, 1);
    EXPECT_EQ(sent(from), "F0 3E 13 00 20 03 05 F7|") << type;
  }
}

// An edit of effect 2 reaches its position byte too, for its own part only.
TEST_F(ControlActions, AnEffect2EditReachesItsPositionByte) {
  Kroma* plug = open();
  turn(plug, kFX2ChorusSpeed, 70);
  EXPECT_EQ(value(plug, kEffect2Param01), 70);
  EXPECT_EQ(value(plug, kEffect2Param01 + 1), 0);
  EXPECT_EQ(value(plug, kEffect1Param01), 0);
}

// The synthesizer keeps an effect's position bytes through a type change. The new type's knobs
// show them, held to each knob's range as a dump from the synthesizer is read, so that the next
// notch moves from there; asking the synthesizer's sounds back moves none of them.
TEST_F(ControlActions, ANewEffectTypesKnobsShowThePositionBytesTheSynthesizerKeeps) {
  SynthOnPorts ports(midi);
  Kroma* plug = open();
  ports.connect(plug);
  const std::pair<int, double> edits[] = {
      {kEffect1Mode, 2}, {kFX1FlangerSpeed, 127}, {kFX1FlangerPolarity, 1}, {kEffect1Mode, 3},
      {kEffect2Mode, 1}, {kFX2ChorusSpeed, 127},  {kEffect2Mode, 8}};
  for (const auto& [param, v] : edits) turn(plug, param, v);
  ASSERT_TRUE(eventually([&] { return ports.synth.soundEditBuffer(0)[151] == 8; }));  // Reverb
  // Effect 1's position bytes 01 and 09, effect 2's 01.
  const struct {
    int knob;
    int byte;
    int played;
    double shown;
  } rows[] = {{kFX1PhaserSpeed, 137, 127, 127},
              {kFX1PhaserPolarity, 145, 1, 1},
              {kFX2ReverbSize, 153, 127, 8}};
  auto showsWhatIsPlayed = [&](const char* when) {
    const sysex::SoundDumpBytes played = ports.synth.soundEditBuffer(0);
    for (const auto& row : rows) {
      EXPECT_EQ(played[row.byte], row.played) << when << " " << row.knob;
      EXPECT_EQ(value(plug, row.knob), row.shown) << when << " " << row.knob;
    }
  };
  showsWhatIsPlayed("after the type change");
  set(plug, kRequestTempData, 1);  // GET FROM SYNTH
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  showsWhatIsPlayed("asked back");
  turn(plug, kFX2ReverbSize, 7);
  EXPECT_TRUE(eventually([&] { return ports.synth.soundEditBuffer(0)[153] == 7; }));
}

// A CC goes on its part's channel, the first and the last part's too; a CC of a part past the
// sixteen, or before the first, has none: it is logged and not sent.
TEST_F(ControlActions, ACCGoesOnlyOnAPartsOwnChannel) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = connected(0x11);
  const struct {
    int part;
    double setting;
    const char* bytes;
    const char* logged;
  } rows[] = {{0, 2, "B0 1E 09|", nullptr},
              {15, 17, "BF 1E 09|", nullptr},
              {16, 2, "", "part 17 has no MIDI channel; nothing sent to it"},
              {-1, 2, "", "part 0 has no MIDI channel; nothing sent to it"}};
  for (const auto& row : rows) {
    if (row.part >= 0 && row.part < 16)
      plug->setStoredValue(kMultiPartMIDICh + row.part, row.setting);
    ControlAction action(kMessageCC);
    action.part = row.part;
    action.ccNumber = 30;
    writeData("Kroma Editor LOG.txt", "");
    const size_t from = sentCount();
    plug->processControlAction(&action, kFilter1Cutoff, 9);
    EXPECT_EQ(sent(from), row.bytes) << row.part;
    const std::string log = readData("Kroma Editor LOG.txt");
    EXPECT_EQ(log.find("has no MIDI channel") != std::string::npos, row.logged != nullptr) << log;
    if (row.logged) {
      EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    }
  }
  // A wavetable, which sends its CC itself, of the first and the last part.
  for (int part : {0, 15}) {
    const size_t from = sentCount();
    turn(plug, kOscillator2Wavetable + part, 2);
    EXPECT_EQ(sent(from), part ? "BF 27 09|" : "B0 27 09|") << part;
  }
}

// SysEx from the synthesizer makes every parameter the host sees, the first and the last too,
// forget the value it last sent; a parameter the host does not see keeps its own.
TEST_F(ControlActions, SysExFromTheSynthesizerResetsWhatEachHostParameterSent) {
  auto* plug = open<HostVisibleKroma>();
  std::vector<ControlAction*> actions;
  for (int param : {int(kOscillator1Octave), kOscillator1Octave + 15, int(kOscillator1Balance)}) {
    actions.push_back(KromaProbe(plug).parts.mUIConfigManager->getControlAction(param));
    ASSERT_NE(actions.back(), nullptr) << param;
    actions.back()->value = 5.0;
  }
  const unsigned char echo[] = {0xF0, 0x3E, 0x13, 0x11, 0x20, 0x02, 0x00, 0x4E, 0x40, 0xF7};
  plug->ProcessSysEx(echo, sizeof echo, true);
  std::vector<double> values;
  for (const ControlAction* action : actions) values.push_back(action->value);
  EXPECT_EQ(values, (std::vector<double>{-1.0, -1.0, 5.0}));
}

}  // namespace

#include <gtest/gtest.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;
using Calls = std::vector<std::string>;

using Byte = unsigned char;
Bytes change(Byte type, Byte location, Byte high, Byte low, Byte value) {
  return {0xF0, 0x3E, 0x13, 0, type, location, high, low, value, 0xF7};
}

struct Change {
  const char* what;
  Bytes message;
  int control, variant;  // the parameter registered under the message's address, or -1
  std::map<int, double> before, after;
  Calls calls;
  bool unhandled;
  uint32_t sinceProgramChange = 5000;  // ms
};

TEST(IncomingSysEx, ParameterChangesFollowTheirRules) {
  const int p1 = kEffect1Param04 + 2, step16 = 15 * 80 + 1;  // step 16 of part 1
  const int program = kMultiPartPatch + 3;
  const std::string quickTab = "OnParamChange2 8452";
  auto hw = [](int param) { return "hw " + std::to_string(param); };
  // clang-format off
  const Change changes[] = {
    {"effect 1: the mode's variant, else 0", change(0x20, 2, 1, 5, 64), p1, 0, {{kEffect1Mode + 2, 3}}, {{p1, 64}}, {hw(p1)}, false},
    {"effect 2 modes 6 and 7: the delays", change(0x20, 1, 1, 20, 16), kFX2DelayFeedback + 1, 6, {{kEffect2Mode + 1, 7}}, {{kFX2DelayFeedback + 1, 16}}, {hw(kFX2DelayFeedback + 1)}, false},
    {"the last effect byte", change(0x20, 1, 1, 31, 16), kFX2DelayFeedback + 1, 6, {{kEffect2Mode + 1, 7}}, {{kFX2DelayFeedback + 1, 16}}, {hw(kFX2DelayFeedback + 1)}, false},
    {"effect 1's last byte: its own mode's variant", change(0x20, 2, 1, 15, 64), kEffect1Param14 + 2, 3, {{kEffect1Mode + 2, 3}}, {{kEffect1Param14 + 2, 64}}, {hw(kEffect1Param14 + 2)}, false},
    // The last mode of each effect has a variant; a mode past it has none and finds no control.
    {"effect 1 mode 5", change(0x20, 2, 1, 5, 64), p1, 5, {{kEffect1Mode + 2, 5}}, {{p1, 64}}, {hw(p1)}, false},
    {"effect 1 mode 6: no such mode", change(0x20, 2, 1, 5, 64), p1, 6, {{kEffect1Mode + 2, 6}}, {{p1, 0}}, {}, false},
    {"effect 2 mode 8: the reverb", change(0x20, 1, 1, 20, 16), kFX2ReverbDecay + 1, 7, {{kEffect2Mode + 1, 8}}, {{kFX2ReverbDecay + 1, 16}}, {hw(kFX2ReverbDecay + 1)}, false},
    {"effect 2 mode 9: no such mode", change(0x20, 1, 1, 20, 16), kFX2ReverbDecay + 1, 7, {{kEffect2Mode + 1, 9}}, {{kFX2ReverbDecay + 1, 0}}, {}, false},
    {"an effect byte without a control", change(0x20, 2, 1, 5, 1), -1, 0, {}, {}, {}, false},
    {"effect 1 mode refreshes the quick tab", change(0x20, 0, 1, 0, 2), kEffect1Mode, 0, {}, {{kEffect1Mode, 2}}, {hw(kEffect1Mode), "OnParamChange2 8452"}, false},
    {"effect 2 mode from 32 on", change(0x20, 0, 1, 16, 40), kEffect2Mode, 0, {}, {{kEffect2Mode, 18}}, {hw(kEffect2Mode), "OnParamChange 8450", hw(kEffect2Mode)}, false},
    {"Global transpose wraps", change(0x24, 0, 6, 0, 0x30), kGlobalTranspose, 0, {}, {{kGlobalTranspose, 252}}, {hw(kGlobalTranspose)}, false},
    {"Global tuning wraps", change(0x24, 0, 5, 0, 0x30), kGlobalTuning, 0, {}, {{kGlobalTuning, 250}}, {hw(kGlobalTuning)}, false},
    {"Global tuning", change(0x24, 0, 5, 0, 0x40), kGlobalTuning, 0, {}, {{kGlobalTuning, 10}}, {hw(kGlobalTuning)}, false},
    {"other Global bytes: the fallback, once", change(0x24, 0, 3, 0, 0x30), kGlobalClock, 0, {}, {{kGlobalClock, 48}}, {hw(kGlobalClock)}, true},
    {"arpeggiator step byte", change(0x20, 1, 2, 71, 0x3B), -1, 0, {}, {{kArpPattern01Step + 1, 3}, {kArpPattern01Accent + 1, 3}, {kArpPattern01Glide + 1, 1}}, {}, false},
    {"step byte of 128 or more", change(0x20, 1, 2, 71, 0x83), -1, 0, {{kArpPattern01Accent + 1, 5}, {kArpPattern01Glide + 1, 1}}, {{kArpPattern01Step + 1, 8}, {kArpPattern01Accent + 1, 0}, {kArpPattern01Glide + 1, 0}}, {}, false},
    {"step 16 length and timing", change(0x20, 1, 2, 102, 0x2C), -1, 0, {}, {{kArpPattern01StepLen + step16, 2}, {kArpPattern01Timing + step16, 12}}, {}, false},
    {"high byte 2 of a multi parameter", change(0x21, 3, 2, 5, 1), -1, 0, {}, {}, {}, true},
    {"unison 17", change(0x20, 0, 0, 58, 0x11), -1, 0, {}, {{kOscillatorUnisono, 1}, {kOscillatorMonoPolyMode, 1}}, {}, false},
    {"unison 80", change(0x20, 15, 0, 58, 0x50), -1, 0, {{kOscillatorMonoPolyMode + 15, 1}}, {{kOscillatorUnisono + 15, 5}, {kOscillatorMonoPolyMode + 15, 0}}, {}, false},
    {"amp envelope mode and trigger", change(0x20, 0, 1, 80, 0x23), -1, 0, {}, {{kAmpEnvMode, 3}, {kAmpEnvTrigger, 1}}, {"OnParamChange 8452"}, false},
    // The unison and envelope bytes follow their rule for every type but 0x24's.
    {"unison of another type", change(0x21, 2, 0, 58, 0x60), 7, 0, {}, {{kOscillatorUnisono + 2, 5}, {kOscillatorMonoPolyMode + 2, 1}, {7, 0}}, {}, false},
    {"envelope mode of another type", change(0x22, 1, 1, 68, 0x21), 7, 0, {}, {{kFilterEnvMode + 1, 1}, {kFilterEnvTrigger + 1, 1}, {7, 0}}, {"OnParamChange 8452"}, false},
    {"address 80 is an ordinary parameter", change(0x20, 0, 0, 80, 0x23), kFilter1ModSource, 0, {}, {{kFilter1ModSource, 35}}, {hw(kFilter1ModSource)}, false},
    {"the very first parameter", change(0x20, 0, 0, 0, 40), kOscillator1Octave, 0, {}, {{kOscillator1Octave, 40}}, {hw(kOscillator1Octave)}, false},
    {"bend range 52 is 12", change(0x20, 0, 0, 4, 52), kOscillator1BendRange, 0, {}, {{kOscillator1BendRange, 12}}, {hw(kOscillator1BendRange)}, false},
    {"transpose of a part", change(0x21, 3, 0, 5, 20), kMultiPartTranspose + 3, 0, {}, {{kMultiPartTranspose + 3, 4}}, {hw(kMultiPartTranspose + 3)}, false},
    {"location 16 is no part", change(0x20, 16, 0, 4, 52), kOscillator1BendRange, 0, {}, {{kOscillator1BendRange, 0}}, {}, false},
    {"9 bytes: the address alone", {0xF0, 0x3E, 0x13, 0x20, 2, 1, 5, 64, 0xF7}, p1, 3, {{kEffect1Mode + 2, 3}}, {}, {}, true},
    {"a part's program within a second of a program change", change(0x21, 3, 0, 1, 9), program, 0, {{kControlLibrary, 1}, {kGlobalRxProgramChange, 1}}, {{program, 9}}, {hw(program)}, false, 999},
    {"a part's program: the slot of the upper list", change(0x21, 3, 0, 1, 9), program, 0, {{kControlLibrary, 1}}, {}, {hw(program), "select 9", "play 9 on 3", quickTab}, false},
    {"a part's program a second after a program change", change(0x21, 3, 0, 1, 9), program, 0, {{kControlLibrary, 1}, {kGlobalRxProgramChange, 1}}, {{program, 9}}, {hw(program)}, false, 1000},
    {"a part's program just over a second after", change(0x21, 3, 0, 1, 9), program, 0, {{kControlLibrary, 1}}, {}, {hw(program), "select 9", "play 9 on 3", quickTab}, false, 1001},
    // The answer to the request is one more message: the quick tab is refreshed again.
    {"a part's program: bank change and request", change(0x21, 3, 0, 1, 9), program, 0, {{kGlobalRxProgramChange, 1}}, {}, {hw(program), "AllSoundsOff 3", "BankChangeMessage 3", "select 9", quickTab, quickTab}, false},
    {"a locked part's program", change(0x21, 3, 0, 1, 9), program, 0, {{kControlLibrary, 1}, {kPartLock + 3, 1}}, {}, {hw(program)}, false},
    {"11 bytes carry no change", {0xF0, 0x3E, 0x13, 0, 0x20, 0, 0, 4, 52, 0, 0xF7}, kOscillator1BendRange, 0, {}, {{kOscillator1BendRange, 0}}, {}, false},
  };
  // clang-format on
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    Engine e;
    e.realDispatch();
    e.manager->setTickSource([] { return 10000u; });
    e.manager->programChangeTime = 10000u - c.sinceProgramChange;
    e.plugin.ranges[kOscillator1BendRange] = {-24, 24};
    for (const auto& [index, value] : c.before) e.plugin.values[index] = value;
    const Bytes& m = c.message;
    const size_t at = m.size() == 9 ? 3 : 4;
    e.plugin.controls[{m[at], m[at + 1], m[at + 2], m[at + 3], c.variant}] = c.control;
    e.fromDevice(m);
    ASSERT_TRUE(e.idle());
    for (const auto& [index, value] : c.after) EXPECT_NEAR(e.plugin.values[index], value, 1e-9);
    EXPECT_EQ(e.plugin.calls, c.calls);
    EXPECT_EQ(e.manager->unhandled, c.unhandled);
    EXPECT_FALSE(e.manager->hardwareSet);
    EXPECT_EQ(e.plugin.partSounds[1][3],
              c.control == program && c.sinceProgramChange > 1000 ? 9 : 0);
  }
}

// An effect byte goes to the control of its effect mode's variant: effect 1's modes are their own
// variants; effect 2's delays (modes 6 and 7) share one, and its reverb (8) is the last.
TEST(IncomingSysEx, EachEffectModeFindsTheControlOfItsVariant) {
  const int effect2Variants[] = {0, 1, 2, 3, 4, 5, 6, 6, 7};
  for (bool effect2 : {false, true}) {
    for (int mode = 0; mode < (effect2 ? 9 : 6); ++mode) {
      SCOPED_TRACE(testing::Message() << "effect " << (effect2 ? 2 : 1) << " mode " << mode);
      Engine e;
      e.realDispatch();
      const int low = effect2 ? 20 : 5;
      e.plugin.values[(effect2 ? kEffect2Mode : kEffect1Mode) + 1] = mode;
      for (int variant = 0; variant < 8; ++variant)
        e.plugin.controls[{0x20, 1, 1, low, variant}] = kLFO1Speed + variant;
      e.fromDevice(change(0x20, 1, 1, low, 64));
      ASSERT_TRUE(e.idle());
      const int variant = effect2 ? effect2Variants[mode] : mode;
      EXPECT_EQ(e.plugin.calls, Calls{"hw " + std::to_string(kLFO1Speed + variant)});
    }
  }
}

// Before the part's sound is asked for, its notes are ended and the synthesizer is given 20 ms.
TEST(IncomingSysEx, APartsProgramEndsItsNotesAndWaitsBeforeTheRequest) {
  Engine e;
  e.realDispatch();
  e.manager->setTickSource([] { return 10000u; });
  e.manager->programChangeTime = 0;
  e.plugin.values[kGlobalRxProgramChange] = 1;
  e.plugin.controls[{0x21, 3, 0, 1, 0}] = kMultiPartPatch + 3;
  std::vector<std::string> callsAtFirstPause;
  e.clock->onPause = [&](int count) {
    if (count == 1) callsAtFirstPause = e.plugin.calls;
  };
  e.fromDevice(change(0x21, 3, 0, 1, 9));
  ASSERT_TRUE(e.idle());
  ASSERT_FALSE(e.clock->pauses.empty());
  EXPECT_EQ(e.clock->pauses.front(), 20);
  EXPECT_EQ(callsAtFirstPause,
            (Calls{"hw " + std::to_string(kMultiPartPatch + 3), "AllSoundsOff 3"}));
}

// A bank change follows the part's stored program; one outside the bank selects nothing.
TEST(IncomingSysEx, ABankChangeWithAProgramOutsideTheBankIsLoggedAndSelectsNothing) {
  Engine e;
  e.realDispatch();
  e.manager->setTickSource([] { return 10000u; });
  e.manager->programChangeTime = 0;
  e.plugin.values[kControlLibrary] = 1;
  e.plugin.partSounds[1][3] = 130;
  const Bytes bank = change(0x21, 3, 0, 0, 2);
  e.plugin.controls[{0x21, 3, 0, 0, 0}] = kMultiPartBank + 3;
  e.fromDevice(bank);
  ASSERT_TRUE(e.idle());
  EXPECT_EQ(e.plugin.partSounds[0][3], 2);
  EXPECT_EQ(e.plugin.calls, Calls{"hw " + std::to_string(kMultiPartBank + 3)});
  EXPECT_EQ(e.log.lines, std::vector<std::string>{"program 130 has no slot"});
}

// From 60 bytes on a message is taken as a dump, and ends the routing however it reads; a
// shorter one leaves the routing waiting.
TEST(SoundParse, MessagesFromSixtyBytesOnAreDumps) {
  Engine e;
  e.realDispatch();
  for (int size : {59, 60}) {
    SCOPED_TRACE(size);
    Bytes message = namedDump(false, "Short", 0x7F, 3);
    message.resize(static_cast<size_t>(size));
    message.back() = 0xF7;
    e.manager->dumpRouting = true;
    e.log.lines.clear();
    e.fromDevice(message);
    EXPECT_EQ(e.manager->dumpRouting, size < 60);
    EXPECT_EQ(e.log.lines, size < 60 ? std::vector<std::string>()
                                     : std::vector<std::string>{"sound dump of 60 bytes ignored"});
  }
}

TEST(SoundParse, LockedSectionsKeepTheirValuesNameAndCategoryAlwaysCome) {
  Engine e;
  e.realDispatch();
  e.plugin.part = 2;
  e.plugin.values[kSectionLockFilterEnv + 3] = 1.0;
  e.plugin.values[kSectionLockAmpEnv + 3] = 0.5;
  Bytes dump = namedDump(false, "Warm Pad", 0x7F, 3);
  std::fill(dump.begin() + 8, dump.begin() + 366, 33);  // envelope modes: 1 and the trigger
  dump[386] = 9;
  dump[3] = 5;  // only a request learns the id of its answer
  auto offer = [&](const Bytes& message) {
    e.manager->dumpRouting = true;
    e.manager->dumpComplete = false;
    e.fromDevice(message);
  };
  offer(dump);
  const std::vector<double>& v = e.plugin.values;
  EXPECT_EQ(std::vector<double>({v[kFilterEnvMode + 3], v[kFilterEnvAttack + 3], v[kAmpEnvMode + 3],
                                 v[kAmpEnvTrigger + 3], v[kLFO1Speed + 3], v[kCategoryName + 3]}),
            std::vector<double>({0, 0, 1, 1, 33, 9}));
  EXPECT_EQ(e.plugin.nameSlots, (std::map<int, std::string>{{4, field("Warm Pad")}, {22, "Pad"}}));
  EXPECT_EQ(e.plugin.last(kControlDisplayCategory), "Pad");
  EXPECT_EQ(e.plugin.last(kControlDisplayPatch), "") << "the display shows part 2";
  EXPECT_TRUE(e.manager->dumpComplete);
  EXPECT_TRUE(v[kGlobalSysExID] == 0 && v[kDeviceID_old] == 0 && e.plugin.id == 0);
  // The multi and Global parsers, and the routing that ends with any dump.
  Bytes multi = namedDump(true, "Strings Split", 0, 0);
  multi[39 + 24 * 4] = 2;
  Bytes global(sysex::globalDumpTemplate().begin(), sysex::globalDumpTemplate().end());
  Bytes longer = global;
  longer.push_back(0xF7);
  for (const Bytes& other : {multi, longer, global}) offer(other);
  EXPECT_FALSE(e.manager->dumpRouting);
  EXPECT_EQ(e.log.lines, std::vector<std::string>({"Global dump of 81 bytes ignored"}));
  EXPECT_EQ(e.plugin.nameSlots[0], field("Strings Split"));
  EXPECT_EQ(e.plugin.partSounds[0][4], 2);
  EXPECT_TRUE(e.plugin.localControlOn);
  // While a restored project waits to go to the synthesizer, its Global answers the connection
  // check with its id only, which the check then learns.
  e.plugin.pushPending = true;
  e.plugin.localControlOn = false;
  e.plugin.values[kGlobalVelocityCurve] = 2;
  global[3] = 6;
  e.manager->awaitInEditor({sysex::kGlobalDump});
  e.fromDevice(global);
  EXPECT_TRUE(e.manager->dumpComplete);
  EXPECT_EQ(e.manager->answerDeviceId(), 6);
  EXPECT_EQ(e.plugin.values[kGlobalVelocityCurve], 2);
  EXPECT_FALSE(e.plugin.localControlOn);

  // Size, a byte changed and its value, the line logged (none: parsed).
  const std::tuple<int, int, int, std::string> offers[] = {
      {389, 8, 1, "sound dump of 389 bytes ignored"},
      {392, 6, 16, "sound dump for program 16 ignored"},
      {392, 200, 0x80, "sound dump with a byte above 7F ignored"},
      {390, 386, 13, ""}};
  for (const auto& [size, at, value, logged] : offers) {
    Bytes message = dump;
    message.resize(size);
    message[at] = static_cast<unsigned char>(value);
    message[8] = 40;  // octave 2
    e.log.lines.clear();
    offer(message);
    const bool parsed = logged.empty();
    EXPECT_EQ(v[kOscillator1Octave + 3], parsed ? 2 : 1) << size;
    EXPECT_EQ(e.manager->dumpComplete, parsed);
    EXPECT_EQ(e.log.lines, parsed ? std::vector<std::string>() : std::vector{logged});
  }
  EXPECT_EQ(e.plugin.nameSlots[22], "Set Name") << "category 13 has no text";
}

}  // namespace

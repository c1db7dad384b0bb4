#include <gtest/gtest.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;
using Calls = std::vector<std::string>;
using Values = std::map<int, double>;

struct Passage {
  const char* what;
  bool fromDevice;
  Bytes messages;                          // three bytes each
  std::set<std::pair<int, bool>> blocked;  // kind, from the synthesizer
  Values before, after;
  Bytes routed;  // what went on towards the synthesizer
  Calls calls;
  int bound = -1;  // the parameter bound to the controller of the message, on channel 2
  ProtocolPlugin::Range range{0, 127};
};

void check(const Passage& p) {
  SCOPED_TRACE(p.what);
  Engine e;
  for (int part = 0; part < 16; ++part) e.plugin.values[kMultiPartMIDICh + part] = part + 2;
  e.plugin.values[kMultiPartMIDICh + 4] = 5;  // part 3 comes first on channel 3
  for (const auto& [param, value] : p.before) e.plugin.values[param] = value;
  e.plugin.blockedKinds = p.blocked;
  e.plugin.localControlOn = e.plugin.values[kGlobalLocalControl] == 1;
  if (p.bound >= 0) e.plugin.ccControls[{3, p.messages[1]}] = p.bound;
  e.plugin.ranges[p.bound] = p.range;
  for (size_t at = 0; at + 3 <= p.messages.size(); at += 3) {
    const IMidiMsg msg(0, p.messages[at], p.messages[at + 1], p.messages[at + 2]);
    p.fromDevice ? e.manager->ProcessMidiMsgFromDevice(&msg)
                 : e.manager->ProcessMidiMsgFromDAW(&msg, 3);
  }
  ASSERT_TRUE(e.idle());
  for (const auto& [param, value] : p.after)
    EXPECT_DOUBLE_EQ(e.plugin.values[param], value) << param;
  Bytes routed;
  for (const Bytes& each : e.plugin.routed) routed.insert(routed.end(), each.begin(), each.end());
  EXPECT_EQ(routed, p.routed);
  EXPECT_EQ(e.plugin.calls, p.calls);
  EXPECT_EQ(e.manager->fromDAW, !p.fromDevice);
  EXPECT_FALSE(e.manager->hardwareSet);
  EXPECT_EQ(e.plugin.partSounds[1][0], 0) << "no passage is on part 0's channel";
}

TEST(IncomingChannel, MessagesPassTheirFiltersAndReachTheirParameters) {
  const int rx = kGlobalRxProgramChange, octave = kOscillator1Octave + 2;
  const int cutoff = kFilter1Cutoff + 2, serial = kFilterRoutingSerial + 2;
  auto hw = [](int param) { return "hw " + std::to_string(param) + " unmarked"; };
  auto changed2 = [](int param) { return "OnParamChange2 " + std::to_string(param); };
  // clang-format off
  const Passage passages[] = {
    {"a note from the synthesizer", true, {0x92, 60, 100}, {}, {}, {}, {0x92, 60, 100}, {"led 2"}},
    {"its note filter closed", true, {0x92, 60, 100}, {{IMidiMsg::kNoteOn, true}}, {}, {}, {}, {}},
    {"local control on: shown, not sent back", true, {0xE1, 0, 64}, {}, {{kGlobalLocalControl, 1}}, {}, {}, {"led 1"}},
    {"a note from the host, whatever local control", false, {0x83, 60, 0}, {}, {{kGlobalLocalControl, 1}}, {}, {0x83, 60, 0}, {"led 3"}},
    {"the synthesizer's bank change swallowed", true, {0xB2, 0, 0, 0xB2, 32, 64, 0xB2, 32, 66}, {}, {}, {}, {0xB2, 32, 66}, {"led 2"}},
    {"the host's bank selects of 0 and LSBs dropped", false, {0xB2, 0, 0, 0xB2, 32, 80, 0xB2, 7, 1}, {}, {}, {}, {0xB2, 7, 1}, {"led 2"}},
    {"a program change to its own part", true, {0xC3, 5, 0}, {}, {{rx, 1}}, {{kMultiPartPatch + 3, 5}, {kMultiPartPatch, 0}}, {0xC3, 5, 0}, {"AllSoundsOff 3", "BankChangeMessage 3", "select 5", "led 3"}},
    {"a program change to a librarian slot", false, {0xC3, 5, 0}, {}, {{kControlLibrary, 1}}, {}, {0xC3, 5, 0}, {"select 5", "play 5 on 3", "led 3"}},
    {"a channel no part listens on: part 0 plays it, its sound kept", true, {0xC4, 5, 0}, {}, {{rx, 1}}, {{kMultiPartPatch, 5}}, {0xC4, 5, 0}, {"AllSoundsOff 0", "BankChangeMessage 0", "select 5", "led 4"}},
    {"a locked part", true, {0xC3, 5, 0}, {}, {{rx, 1}, {kPartLock + 3, 1}}, {{kMultiPartPatch + 3, 0}}, {0xC3, 5, 0}, {"led 3"}},
    {"octave byte 40 is octave 2 of 8", false, {0xB2, 27, 40}, {}, {}, {{octave, 2}}, {0xB2, 27, 40}, {hw(octave), "led 2"}, octave, {0, 8}},
    {"a plain value, the minimum not taken off", false, {0xB2, 74, 64}, {}, {}, {{cutoff, 74}}, {0xB2, 74, 64}, {hw(cutoff), "led 2"}, cutoff, {10, 137}},
    {"oscillator 1 wavetable", false, {0xB2, 31, 10}, {}, {}, {{kOscillator1Wavetable + 2, 3}, {kOscillator1Shape + 2, 7}}, {0xB2, 31, 10}, {changed2(kOscillator1Wavetable + 2), hw(kOscillator1Sample + 2), changed2(kQuickTab), "led 2"}, kOscillator1Sample + 2},
    {"oscillator 2 wavetable", false, {0xB2, 39, 12}, {}, {}, {{kOscillator2Wavetable + 2, 5}, {kOscillator2Shape + 2, 7}}, {0xB2, 39, 12}, {changed2(kOscillator2Wavetable + 2), hw(kOscillator2Sample + 2), "led 2"}, kOscillator2Sample + 2},
    {"the synthesizer's filter routing", true, {0xB2, 77, 0}, {}, {}, {{serial, 0}, {serial + 16, 1}}, {0xB2, 77, 0}, {"OnParamChange " + std::to_string(serial), "led 2"}, serial + 16},
    {"an unbound bank select: the part's bank", false, {0xB2, 0, 5}, {}, {}, {{kMultiPartBank + 2, 5}, {kCurrentBank + 2, 5}, {kRequestFromBank, 5}}, {0xB2, 0, 5}, {"led 2"}},
  };
  // clang-format on
  for (const Passage& p : passages) check(p);
}

// The controllers that carry an offset or stand for something else, each oscillator's, from the
// host (their values unmarked) and from the synthesizer.
TEST(IncomingChannel, ControllersWithOffsetsSamplesAndPagesOfTheirOwn) {
  auto hw = [](int param, bool marked = false) {
    return "hw " + std::to_string(param) + (marked ? "" : " unmarked");
  };
  auto changed2 = [](int param) { return "OnParamChange2 " + std::to_string(param); };
  const int quick = kQuickTab, osc1 = kOscillator1Shape + 2, osc2 = kOscillator2Shape + 2;
  const int wt1 = kOscillator1Wavetable + 2, wt2 = kOscillator2Wavetable + 2;
  const int sample1 = kOscillator1Sample + 2, sample2 = kOscillator2Sample + 2;
  // clang-format off
  const Passage passages[] = {
    {"oscillator 2's octave", false, {0xB2, 35, 52}, {}, {}, {{kOscillator2Octave + 2, 3}}, {0xB2, 35, 52}, {hw(kOscillator2Octave + 2), "led 2"}, kOscillator2Octave + 2, {0, 8}},
    {"oscillator 3's octave", true, {0xB2, 42, 16}, {}, {{kOscillator3Octave + 2, 5}}, {{kOscillator3Octave + 2, 0}}, {0xB2, 42, 16}, {hw(kOscillator3Octave + 2, true), "led 2"}, kOscillator3Octave + 2, {0, 8}},
    {"oscillator 1's semitone", false, {0xB2, 28, 64}, {}, {}, {{kOscillator1Semitone + 2, 12}}, {0xB2, 28, 64}, {hw(kOscillator1Semitone + 2), "led 2"}, kOscillator1Semitone + 2, {0, 24}},
    {"oscillator 2's semitone", false, {0xB2, 36, 58}, {}, {}, {{kOscillator2Semitone + 2, 6}}, {0xB2, 36, 58}, {hw(kOscillator2Semitone + 2), "led 2"}, kOscillator2Semitone + 2, {0, 24}},
    {"oscillator 3's semitone", false, {0xB2, 43, 76}, {}, {}, {{kOscillator3Semitone + 2, 24}}, {0xB2, 43, 76}, {hw(kOscillator3Semitone + 2), "led 2"}, kOscillator3Semitone + 2, {0, 24}},
    {"a page of its own: 46", false, {0xB2, 46, 3}, {}, {}, {{kFilter1Type + 2, 3}}, {0xB2, 46, 3}, {hw(kFilter1Type + 2), changed2(quick), "led 2"}, kFilter1Type + 2},
    {"a page of its own: 68", false, {0xB2, 68, 2}, {}, {}, {{kFilter2Type + 2, 2}}, {0xB2, 68, 2}, {hw(kFilter2Type + 2), changed2(quick), "led 2"}, kFilter2Type + 2},
    {"a page of its own: 79", false, {0xB2, 79, 1}, {}, {}, {{kAmpEnvMode + 2, 1}}, {0xB2, 79, 1}, {hw(kAmpEnvMode + 2), changed2(quick), "led 2"}, kAmpEnvMode + 2},
    {"oscillator 1's shape below 8", false, {0xB2, 31, 5}, {}, {{wt1, 3}}, {{osc1, 5}, {wt1, 0}}, {0xB2, 31, 5}, {changed2(osc1), hw(sample1), changed2(quick), "led 2"}, sample1},
    {"oscillator 1's wavetable 8 is the first", false, {0xB2, 31, 8}, {}, {}, {{wt1, 1}, {osc1, 7}}, {0xB2, 31, 8}, {changed2(wt1), hw(sample1), changed2(quick), "led 2"}, sample1},
    {"oscillator 1 on sample memory", false, {0xB2, 31, 9}, {}, {{kOsc1UseSampleMemory + 2, 1}, {osc1, 2}}, {{osc1, 2}, {wt1, 0}}, {0xB2, 31, 9}, {hw(sample1), changed2(quick), "led 2"}, sample1},
    {"oscillator 2's shape below 8", false, {0xB2, 39, 7}, {}, {{wt2, 4}, {osc2, 3}}, {{osc2, 3}, {wt2, 0}}, {0xB2, 39, 7}, {hw(sample2), changed2(quick), "led 2"}, sample2},
    // The bound sample parameter names the part: the first and the last alike.
    {"part 0's oscillator 1 wavetable", false, {0xB2, 31, 10}, {}, {}, {{kOscillator1Wavetable, 3}, {kOscillator1Shape, 7}}, {0xB2, 31, 10}, {changed2(kOscillator1Wavetable), hw(kOscillator1Sample), changed2(quick), "led 2"}, kOscillator1Sample},
    {"part 15's oscillator 2 wavetable", false, {0xB2, 39, 12}, {}, {}, {{kOscillator2Wavetable + 15, 5}, {kOscillator2Shape + 15, 7}}, {0xB2, 39, 12}, {changed2(kOscillator2Wavetable + 15), hw(kOscillator2Sample + 15), "led 2"}, kOscillator2Sample + 15},
    {"the synthesizer's bank change with LSB 96", true, {0xB2, 0, 0, 0xB2, 32, 96, 0xB2, 32, 96}, {}, {}, {}, {0xB2, 32, 96}, {"led 2"}},
    {"the synthesizer's bank change with LSB 80", true, {0xB2, 0, 0, 0xB2, 32, 80}, {}, {}, {}, {}, {}},
    {"the host's LSBs 64, 66 and 96 dropped, 65 passes", false, {0xB2, 32, 64, 0xB2, 32, 66, 0xB2, 32, 96, 0xB2, 32, 65}, {}, {}, {}, {0xB2, 32, 65}, {"led 2"}},
  };
  // clang-format on
  for (const Passage& p : passages) check(p);
}

// A program change that the editor follows ends any librarian request still collecting: a dump
// that comes after it is the editor's, never stored into the slot of the program. (The transfer
// lane is held by another job meanwhile, so that only the program change acts.)
// A program change from the synthesizer is the sound of the part on its channel, the first and
// the last part alike.
TEST(IncomingChannel, AProgramChangeIsTheSoundOfThePartOnItsChannel) {
  for (const auto& [status, part] : {std::pair{0xC0, 0}, {0xCF, 15}}) {
    SCOPED_TRACE(part);
    Engine e;
    for (int p = 0; p < 16; ++p) e.plugin.values[kMultiPartMIDICh + p] = p + 2;
    const IMidiMsg msg(0, static_cast<unsigned char>(status), 7, 0);
    e.manager->ProcessMidiMsgFromDevice(&msg);
    ASSERT_TRUE(e.idle());
    EXPECT_EQ(e.plugin.partSounds[1][part], 7);
  }
}

TEST(IncomingChannel, AProgramChangeEndsTheLibrariansCollecting) {
  for (bool library : {false, true}) {
    SCOPED_TRACE(library ? "library control" : "program change");
    Engine e;
    e.plugin.values[kGlobalRxProgramChange] = 1;
    e.plugin.values[kControlLibrary] = library;
    std::atomic<bool> held{false}, release{false};
    e.clock->onPause = [&](int) {
      held = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    ASSERT_TRUE(e.manager->startJob(job(kSendDeviceIdEnquiry)));
    while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    e.manager->SetLibrarianRequestActive(true);
    e.plugin.received = true;
    const IMidiMsg change(0, 0xC0, 9, 0);
    e.manager->ProcessMidiMsgFromDevice(&change);
    EXPECT_FALSE(e.plugin.received);
    EXPECT_TRUE(e.manager->dumpRouting);
    const int parsed = e.dispatch->parsed;
    e.fromDevice(namedDump(false, "Incoming", 0x7F, 0));
    EXPECT_EQ(e.dispatch->parsed, parsed + 1);
    EXPECT_EQ(e.slot(9).name, slotName(9));
    e.clock->onPause = nullptr;
    release = true;
    ASSERT_TRUE(e.idle());
  }
}

}  // namespace

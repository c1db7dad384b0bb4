#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <future>
#include <iterator>
#include <limits>
#include <thread>

#include "PortFixtures.h"
#include "platform/view/headless/Script.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/HostMessageWorker.h"
#include "src/protocol/LaneClock.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "tests/support/Patience.h"
#include "toolkit/wsys/Timing.h"

namespace {

using namespace std::chrono_literals;

using MidiPaths = FirstBlockPlugin;

// In DAW-buffer mode (here with kAdjustDAWOffset 64) the messages due in a block leave in offset
// order, equal offsets in the order they came; the rest move on into the next block.
TEST_F(MidiPaths, QueuedMidiLeavesByOffsetAndTheRestMovesOn) {
  Kroma* plug = settled();
  KromaProbe(plug).routing.mQueuedOutput = true;
  KromaProbe(plug).routing.mBlockSize = 256 + 2 * 64;
  for (IMidiMsg msg : {noteOn(500, 1), noteOn(10, 2), noteOn(383, 3), noteOn(0, 4), noteOn(10, 5)})
    plug->MIDIOutRoutingSwitch(&msg);
  process(plug, 256);
  EXPECT_EQ(sent(start), "90 04 64|90 02 64|90 05 64|90 03 64|");
  process(plug, 256);
  EXPECT_EQ(sent(start), "90 04 64|90 02 64|90 05 64|90 03 64|90 01 64|");
}

// After a reset the all notes off leaves at the block's start, before what waits later in it.
TEST_F(MidiPaths, TheAllNotesOffAfterAResetLeadsTheQueuedBlock) {
  Kroma* plug = settled();
  for (int part = 0; part < 16; ++part) plug->GetParam(kMultiPartStatus + part)->Set(part == 1);
  plug->GetParam(kMultiPartMIDICh + 1)->Set(4);  // channel 3
  KromaProbe(plug).routing.mQueuedOutput = true;
  KromaProbe(plug).routing.mBlockSize = 256 + 2 * 64;
  for (IMidiMsg msg : {noteOn(0, 4), noteOn(1, 5)}) plug->MIDIOutRoutingSwitch(&msg);
  KromaProbe(plug).clock.mFreshReset = true;
  process(plug, 256);
  EXPECT_EQ(sent(start), "90 04 64|B2 7B 00|90 05 64|");
}

// Whatever the host's block size, 1,024 waiting messages are taken and the next one is the
// overflow, until a block a second later. Out of DAW-buffer mode the queue is dropped.
TEST_F(MidiPaths, TheQueueOverflowsOnlyWithAThousandAndTwentyFourWaiting) {
  Kroma* plug = settled();
  WSYS_HoldTickCount(true);  // "within the second" holds on a busy machine
  for (int block : {64, 4096}) {
    SCOPED_TRACE(block);
    dispatch(plug, effSetBlockSize, 0, block);
    KromaProbe(plug).routing.mQueuedOutput = true;
    IMidiMsg msg = noteOn(0, 60);
    for (int i = 0; i < 1024; ++i) plug->MIDIOutRoutingSwitch(&msg);
    EXPECT_FALSE(KromaProbe(plug).routing.mOutputOverflow);
    plug->MIDIOutRoutingSwitch(&msg);
    EXPECT_TRUE(KromaProbe(plug).routing.mOutputOverflow &&
                KromaProbe(plug).routing.mOutputBlocked &&
                KromaProbe(plug).routing.mDAWFilterBlocked[2]);
    KromaProbe(plug).routing.mQueuedOutput = false;
    process(plug, block);
    EXPECT_TRUE(KromaProbe(plug).routing.mOutputOverflow) << "within the second";
    WSYS_AdvanceTickCount(1001);
    process(plug, block);
    EXPECT_FALSE(KromaProbe(plug).routing.mOutputOverflow ||
                 KromaProbe(plug).routing.mOutputBlocked ||
                 KromaProbe(plug).routing.mDAWFilterBlocked[2]);
  }
  WSYS_HoldTickCount(false);
  EXPECT_EQ(sentCount(), start);
}

// MIDI Start when the host's transport starts, Stop when it stops; the Multi's tempo follows
// the host's (140.7 BPM is 75, 65 BPM being 0).
TEST_F(MidiPaths, TheTransportSendsStartAndStopAndTheTempoFollows) {
  Kroma* plug = settled();
  KromaProbe(plug).clock.mSendClockPointer = true;
  plug->GetParam(kMultiTempo)->InitInt("Tempo", 0, 0, 235);
  hostTime.tempo = 140.7;
  for (bool playing : {true, false}) {
    hostTime.flags = kVstTempoValid | (playing ? kVstTransportPlaying : 0);
    process(plug, 64);
    awaitSent(start, playing ? 1 : 2);
  }
  EXPECT_EQ(sent(start), "FA|FC|");
  EXPECT_EQ(plug->GetParam(kMultiTempo)->Value(), 75.0);
}

// With debug logging on, the Multi's tempo taking the host's is logged; off, nothing is.
TEST_F(MidiPaths, TheTempoTakenFromTheHostIsLoggedOnlyWithDebugLogging) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = settled();
  ASSERT_TRUE(plug->GetLog()->IsOn());
  plug->GetParam(kOverrideTempo)->Set(1);
  hostTime.flags = kVstTempoValid;
  for (double tempo : {150.0, 90.0}) {
    const bool logging = tempo > 100;
    KromaProbe(plug).parts.mDebugLogging = logging;
    hostTime.tempo = tempo;
    process(plug, 64);
    const std::string line =
        "Host tempo synced to " + std::to_string(static_cast<int>(tempo)) + "BPM";
    EXPECT_EQ(readData("Kroma Editor LOG.txt").find(line) != std::string::npos, logging) << line;
  }
}

// The clock switch turned on while its clock runs restarts the clock, so that it takes the
// tempo of now; turned off, the clock stops.
TEST_F(MidiPaths, TheClockSwitchTurnedOnAgainRestartsTheRunningClock) {
  Kroma* plug = settled();
  MIDIMessageManager& manager = *KromaProbe(plug).parts.mMIDIMessageManager;
  auto running = [&manager] { return manager.isLaneRunning(Lane::kContinuousClock); };
  auto started = [plug] {
    process(plug, 64);
    return KromaProbe(plug).clock.mContinuousClockStarted.load();
  };
  EXPECT_TRUE(eventually([&] { return !running(); })) << "off at start: no clock stays";
  set(plug, kSendMIDIClockInfo, 1);
  EXPECT_TRUE(eventually(started));
  EXPECT_TRUE(
      eventually([&] { return running() && sent(start).find("F8|") != std::string::npos; }));
  set(plug, kSendMIDIClockInfo, 1);
  EXPECT_FALSE(KromaProbe(plug).clock.mContinuousClockStarted);
  EXPECT_TRUE(eventually(started)) << "the running clock leaves for the new one";
  EXPECT_TRUE(running());
  set(plug, kSendMIDIClockInfo, 0);
  EXPECT_TRUE(eventually([&] { return !running(); }));
}

// A tempo past what the Multi takes, however large, is held to its ends before it becomes a whole
// number (an unchecked conversion of 2^31 BPM is undefined). A host that gives no tempo (none
// marked valid, none above 0, or none finite) leaves the Multi's own.
TEST_F(MidiPaths, AHostTempoOutOfRangeIsHeldToTheMultiTempos) {
  Kroma* plug = settled();
  plug->GetParam(kMultiTempo)->InitInt("Tempo", 0, 0, 128);
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double bpm;
    bool valid;
    double expected;
  } rows[] = {{2147483648.0, true, 128}, {1e300, true, 128},       {inf, true, 128},
              {100.0, true, 35},         {inf, true, 35},          {-inf, true, 35},
              {-3e9, true, 35},          {std::nan(""), true, 35}, {0.0, true, 35},
              {120.0, false, 35},        {30.0, true, 0}};
  for (const auto& row : rows) {
    hostTime.tempo = row.bpm;
    hostTime.flags = row.valid ? kVstTempoValid : 0;
    process(plug, 64);
    EXPECT_EQ(plug->GetParam(kMultiTempo)->Value(), row.expected) << row.bpm;
  }
}

// A bank change under the plug-in lock lets go of it in each pause, so that the host's process
// call runs meanwhile. Pauses: 25, 25, 50 ms, then the sync delay (kLibSyncTimer 3: 150 ms).
TEST_F(MidiPaths, AProcessCallRunsWhileABankChangePauses) {
  Kroma* plug = settled();
  HeldClock held;
  KromaProbe(plug).clock.mPauseClock = &held;
  plug->GetParam(kLibSyncTimer)->Set(3);
  plug->GetParam(kMultiPartBank + 1)->Set(2);
  plug->GetParam(kMultiPartPatch + 1)->Set(9);
  std::thread dispatch([plug] {
    TK_MutexLock lock(plug->GetMutex());
    EXPECT_TRUE(plug->BankChangeMessage(1));
  });
  ASSERT_EQ(held.paused.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  auto block = std::async(std::launch::async, [plug] { process(plug, 256); });
  EXPECT_EQ(block.wait_for(kroma_test::kWaitCap), std::future_status::ready)
      << "the audio waited for the pause";
  held.release.set_value();
  dispatch.join();
  EXPECT_EQ(held.pauses, (std::vector<int>{25, 25, 50, 150}));
  EXPECT_EQ(sent(start), "B1 7B 00|B1 00 02|B1 20 40|C1 09|");
  KromaProbe(plug).clock.mPauseClock = nullptr;
}

// The host's program change runs on the plug-in's own thread: the events call returns while its
// bank change pauses, and its bytes, then the note the host sent after it, arrive in order.
TEST_F(MidiPaths, TheHostsProgramChangeLeavesTheAudioThreadBeforeItsPauses) {
  Kroma* plug = settled();
  HeldClock held;
  KromaProbe(plug).clock.mPauseClock = &held;
  KromaProbe(plug).selection.mProgBankMode = false;
  KromaProbe(plug).routing.mDAWFilterBlocked[1] = false;  // program changes from the host pass
  plug->GetParam(kGlobalRxProgramChange)->Set(1.0);
  plug->GetParam(kMultiPartBank + 1)->Set(2);
  auto block = std::async(std::launch::async, [plug] {
    process(plug, 64, {IMidiMsg(0, 0xC1, 9, 0), IMidiMsg(0, 0x91, 60, 100)});
  });
  ASSERT_EQ(held.paused.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  const bool returned = block.wait_for(kroma_test::kWaitCap) == std::future_status::ready;
  const std::string whilePaused = sent(start);
  held.release.set_value();
  block.wait();
  EXPECT_TRUE(returned) << "the audio thread waited for the pauses";
  EXPECT_EQ(whilePaused, "B1 7B 00|B1 7B 00|B1 00 02|");
  ASSERT_TRUE(eventually([plug] { return KromaProbe(plug).parts.mHostMessages->idle(); }));
  EXPECT_EQ(held.pauses, (std::vector<int>{25, 25, 50, 100}));
  EXPECT_EQ(sent(start), "B1 7B 00|B1 7B 00|B1 00 02|B1 20 40|C1 09|C1 09|91 3C 64|");
  EXPECT_EQ(value(plug, kMultiPartPatch + 1), 9);
  KromaProbe(plug).clock.mPauseClock = nullptr;
}

// A program change from the host on a channel that no part has of its own goes to part 1.
TEST_F(MidiPaths, TheHostsProgramChangeOnAChannelOfNoPartGoesToTheFirstPart) {
  Kroma* plug = settled();
  KromaProbe(plug).selection.mProgBankMode = false;
  KromaProbe(plug).routing.mDAWFilterBlocked[1] = false;
  plug->GetParam(kGlobalRxProgramChange)->Set(1.0);
  plug->GetParam(kGlobalMidiChannel)->Set(1);
  for (int part = 0; part < 16; ++part) {
    plug->GetParam(kMultiPartMIDICh + part)->Set(0);  // the global channel
    plug->GetParam(kMultiPartPatch + part)->Set(3);
  }
  process(plug, 64, {IMidiMsg(0, 0xC4, 9, 0)});
  EXPECT_TRUE(eventually([plug] {
    return KromaProbe(plug).parts.mHostMessages->idle() && value(plug, kMultiPartPatch) == 9;
  }));
  for (int part = 1; part < 16; ++part) EXPECT_EQ(value(plug, kMultiPartPatch + part), 3) << part;
}

// Pauses on the manager's clock, so that closing the plug-in ends them; the first is a long one
// the test learns of.
class StoppableClock : public LaneClock {
 public:
  explicit StoppableClock(LaneClock& clock) : mClock(clock) {}
  bool pause(int ms) override {
    if (!entered.exchange(true)) {
      paused.set_value();
      ms = 60000;
    }
    return mClock.pause(ms);
  }
  void stop() override {}
  std::atomic<bool> entered{false};
  std::promise<void> paused;

 private:
  LaneClock& mClock;
};

// Closing the plug-in while the host's program change sits in a minute's pause ends the pause
// (the close returns long before the minute is out), joins its thread before what it uses goes,
// and drops the note waiting behind it.
TEST_F(MidiPaths, ClosingWhileTheHostsProgramChangePausesJoinsItsThread) {
  Kroma* plug = settled();
  StoppableClock clock(KromaProbe(plug).parts.mMIDIMessageManager->laneClock());
  KromaProbe(plug).clock.mPauseClock = &clock;
  KromaProbe(plug).selection.mProgBankMode = false;
  KromaProbe(plug).routing.mDAWFilterBlocked[1] = false;  // program changes from the host pass
  plug->GetParam(kGlobalRxProgramChange)->Set(1.0);
  process(plug, 64, {IMidiMsg(0, 0xC1, 9, 0), IMidiMsg(0, 0x91, 60, 100)});
  ASSERT_EQ(clock.paused.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  auto closed = std::async(std::launch::async, [this, plug] { close(plug); });
  ASSERT_EQ(closed.wait_for(kroma_test::kWaitCap), std::future_status::ready)
      << "the close waited out the pause";
  EXPECT_EQ(sent(start).find("91 3C 64"), std::string::npos);
}

// Closing lets go of the synthesizer's input port.
TEST_F(MidiPaths, ClosingLetsGoOfTheInputPort) {
  midi.addInputPort("Synth In");
  Kroma* plug = open();
  int in = 1;
  ASSERT_EQ(plug->setExternalMIDIIn(in, "Synth In"), 1);
  ASSERT_TRUE(midi.inputConnected("Synth In"));
  close(plug);
  EXPECT_FALSE(midi.inputConnected("Synth In"));
}

// Host messages pass their kind's filter entry and go on to the synthesizer; the drop rules hold
// for both sources.
TEST_F(MidiPaths, ChannelMessagesAreDroppedByTheirRulesAndFilters) {
  Kroma* plug = settled();
  const int kinds[][2] = {{0x80, 2}, {0x90, 2}, {0xA0, 4}, {0xB0, 0},
                          {0xC0, 1}, {0xD0, 5}, {0xE0, 3}};  // status, filter entry
  for (const auto& kind : kinds)
    for (bool blocked : {true, false}) {
      KromaProbe(plug).routing.mDAWFilterBlocked[kind[1]] = blocked;
      const size_t before = sentCount();
      IMidiMsg msg(0, static_cast<uint8_t>(kind[0] | 1), 7, 1);  // off the global channel
      plug->ProcessMidiMsg(&msg, false);
      ASSERT_TRUE(eventually([plug] { return KromaProbe(plug).parts.mHostMessages->idle(); }));
      EXPECT_EQ(sentCount(), before + !blocked) << kind[0];
    }
  // clang-format off
  const struct { std::atomic<bool>* flag; bool fromDevice; uint8_t status; } drops[] = {
      {&KromaProbe(plug).selection.mTransferInProgress, false, 0x90}, {&KromaProbe(plug).routing.mOutputOverflow, true, 0x90},
      {&KromaProbe(plug).selection.mMultiSendRequested, false, 0x90}, {&KromaProbe(plug).routing.mBlockDeviceInput, true, 0x90},
      {nullptr, false, 0xF8} /* system */, {nullptr, true, 0x9F} /* global channel */};
  // clang-format on
  plug->GetParam(kGlobalMidiChannel)->InitInt("Global Channel", 16, 0, 16);
  const size_t before = sentCount();
  for (const auto& drop : drops) {
    if (drop.flag) *drop.flag = true;
    IMidiMsg msg(0, drop.status, 60, 100);
    plug->ProcessMidiMsg(&msg, drop.fromDevice);
    if (drop.flag) *drop.flag = false;
  }
  IMidiMsg fromSynth(0, 0x91, 60, 100);
  plug->ProcessMidiMsg(&fromSynth, true);
  EXPECT_EQ(sent(before), "91 3C 64|") << "only this one, played back with local control off";
}

// A chosen bank file is copied into the Patches folder under its own name, or, where a bank has
// that name, the next free number; a file that cannot be read writes nothing, and a cancelled
// prompt does nothing.
TEST_F(MidiPaths, ImportCopiesAReadableFileAndNothingElse) {
  ASSERT_EQ(mkdir(data.file("Patches").c_str(), 0755), 0);
  writeData("Patches/My Bank.syx", "older copy");
  kroma_test::TempDir elsewhere;
  banks::write(elsewhere.file("My Bank.syx"), "B-");
  std::ifstream in(elsewhere.file("My Bank.syx"), std::ios::binary);
  const std::string bank{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  VIEW_Script::instance().reset();
  Kroma* plug = open();
  dispatch(plug, effEditOpen);
  for (const std::string& chosen :
       {elsewhere.file("My Bank.syx"), elsewhere.file("missing.syx"), elsewhere.path(),
        std::string(), elsewhere.file("My Bank.syx")}) {
    VIEW_Script::instance().answerPanel(chosen);
    plug->saveImportedFile(false);
  }
  EXPECT_EQ(readData("Patches/My Bank.syx"), "older copy");
  EXPECT_EQ(readData("Patches/My Bank (2).syx"), bank);
  EXPECT_EQ(readData("Patches/My Bank (3).syx"), bank);
  EXPECT_FALSE(std::ifstream(data.file("Patches/missing.syx")).good());
  dispatch(plug, effEditClose);
}

}  // namespace

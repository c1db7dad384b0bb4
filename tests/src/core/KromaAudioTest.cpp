#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "PluginFixture.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/protocol/LaneClock.h"
#include "src/protocol/MIDIMessageManager.h"
#include "toolkit/wsys/Timing.h"

namespace {

using namespace std::chrono_literals;

class Clock : public PluginFixture {
 protected:
  // The plug-in with the synthesizer's port chosen, past its first block, which silences every
  // part after the reset; `start` is the number of messages the port has then.
  Kroma* settled() {
    Kroma* plug = openConnected();
    process(plug, 64);
    start = midi.received("Synth Out").size();
    return plug;
  }
  size_t start = 0;
};

IMidiMsg note(int offset, int key) {
  return IMidiMsg(offset, 0x90, static_cast<uint8_t>(key), 100);
}

// Waits (bounded) until the port has received `count` messages.
bool receives(const MidiBackendMemory& midi, size_t count) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (midi.received("Synth Out").size() < count && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(1ms);
  return midi.received("Synth Out").size() >= count;
}

// In DAW-buffer mode the messages due in a block leave in offset order (equal offsets in the
// order they came); the rest move on into the next block. Without it the queue is dropped.
TEST_F(Clock, QueuedMidiLeavesByOffsetAndTheRestMovesOn) {
  Kroma* plug = settled();
  plug->mQueuedOutput = true;
  plug->mBlockSize = 256 + 2 * 64;  // kAdjustDAWOffset 64
  for (IMidiMsg msg : {note(500, 1), note(10, 2), note(383, 3), note(0, 4), note(10, 5)})
    plug->MIDIOutRoutingSwitch(&msg);
  process(plug, 256);
  EXPECT_EQ(sent(start), "90 04 64|90 02 64|90 05 64|90 03 64|");
  EXPECT_EQ(plug->mMidiQueue.Peek()->mOffset, 500 - 384);
  process(plug, 256);
  EXPECT_EQ(sent(start), "90 04 64|90 02 64|90 05 64|90 03 64|90 01 64|");

  IMidiMsg late = note(0, 6);
  plug->MIDIOutRoutingSwitch(&late);
  plug->mQueuedOutput = false;
  process(plug, 256);
  EXPECT_TRUE(plug->mMidiQueue.Empty());
  EXPECT_EQ(midi.received("Synth Out").size(), start + 5);
}

// Whatever block size the host announces, 1,024 waiting messages are taken and the next one is
// the overflow: output and host notes blocked until a block a second later ends it.
TEST_F(Clock, TheQueueOverflowsOnlyWithAThousandAndTwentyFourWaiting) {
  Kroma* plug = settled();
  for (int block : {64, 512, 1024, 4096}) {
    SCOPED_TRACE(block);
    dispatch(plug, effSetBlockSize, 0, block);
    plug->mQueuedOutput = true;
    IMidiMsg msg = note(0, 60);
    for (int i = 0; i < 1024; ++i) plug->MIDIOutRoutingSwitch(&msg);
    EXPECT_FALSE(plug->mOutputOverflow);
    plug->MIDIOutRoutingSwitch(&msg);
    EXPECT_TRUE(plug->mOutputOverflow && plug->mTransferInProgress && plug->mOutputBlocked);
    EXPECT_TRUE(plug->mDAWFilterBlocked[2]);
    EXPECT_EQ(plug->mMidiQueue.Count(), 1024);
    plug->mQueuedOutput = false;
    process(plug, block);
    EXPECT_TRUE(plug->mOutputOverflow) << "within the second";
    WSYS_AdvanceTickCount(1001);
    process(plug, block);
    EXPECT_FALSE(plug->mOutputOverflow || plug->mTransferInProgress || plug->mOutputBlocked);
    EXPECT_FALSE(plug->mDAWFilterBlocked[2]);
  }
  EXPECT_EQ(midi.received("Synth Out").size(), start) << "the queue and the resets' notes off";
}

// MIDI Start when the host's transport starts, Stop when it stops; none in DAW-buffer mode. The
// host tempo sets the Multi's (140.7 BPM is 75, 65 BPM being 0).
TEST_F(Clock, TheTransportSendsStartAndStopAndTheTempoFollows) {
  Kroma* plug = settled();
  plug->mSendClockPointer = true;
  plug->GetParam(kMultiTempo)->InitInt("Tempo", 0, 0, 235);
  hostTime.tempo = 140.7;
  hostTime.flags |= kVstTransportPlaying;
  process(plug, 64);
  EXPECT_EQ(plug->GetParam(kMultiTempo)->Value(), 75.0);
  ASSERT_TRUE(receives(midi, start + 1));
  process(plug, 64);
  hostTime.flags &= ~kVstTransportPlaying;
  process(plug, 64);
  ASSERT_TRUE(receives(midi, start + 2));
  EXPECT_EQ(sent(start), "FA|FC|");

  plug->mQueuedOutput = true;
  hostTime.flags |= kVstTransportPlaying;
  process(plug, 64);
  hostTime.flags &= ~kVstTransportPlaying;
  process(plug, 64);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(sent(start), "FA|FC|");
}

// Pauses on a clock of the test's own: each recorded, the first held until the test lets go.
class HeldClock : public LaneClock {
 public:
  bool pause(int ms) override {
    std::unique_lock<std::mutex> lock(mMutex);
    pauses.push_back(ms);
    mChanged.notify_all();
    mChanged.wait(lock, [this] { return released; });
    return true;
  }
  void stop() override {}
  void waitForPause() {
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait_for(lock, 10s, [this] { return !pauses.empty(); });
  }
  void release() {
    std::lock_guard<std::mutex> lock(mMutex);
    released = true;
    mChanged.notify_all();
  }
  std::vector<int> pauses;
  bool released = false;

 private:
  std::mutex mMutex;
  std::condition_variable mChanged;
};

// A bank change made under the plug-in lock (as the dispatch makes it) lets go of the lock in
// each pause: the host's process call runs meanwhile. Its pauses: 25, 25 and 50 ms between the
// messages, then the librarian sync delay (kLibSyncTimer 3: 150 ms).
TEST_F(Clock, AProcessCallRunsWhileABankChangePauses) {
  Kroma* plug = settled();
  HeldClock held;
  plug->mPauseClock = &held;
  plug->GetParam(kLibSyncTimer)->Set(3);
  plug->GetParam(kMultiPartBank + 1)->Set(2);
  plug->GetParam(kMultiPartPatch + 1)->Set(9);
  std::thread dispatch([plug] {
    TK_MutexLock lock(plug->GetMutex());
    EXPECT_TRUE(plug->BankChangeMessage(1));
  });
  held.waitForPause();
  auto block = std::async(std::launch::async, [plug] { process(plug, 256); });
  EXPECT_EQ(block.wait_for(10s), std::future_status::ready) << "the audio waited for the pause";
  held.release();
  dispatch.join();
  EXPECT_EQ(held.pauses, (std::vector<int>{25, 25, 50, 150}));
  EXPECT_EQ(sent(start), "B1 7B 00|B1 00 02|B1 20 40|C1 09|");
  plug->mPauseClock = nullptr;
}

}  // namespace

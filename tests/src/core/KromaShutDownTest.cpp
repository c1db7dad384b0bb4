// Closing the plug-in while one of its threads waits in a pause: the pause ends, nothing is
// waited out.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "ConnectedPlugin.h"
#include "src/core/KromaProbe.h"
#include "src/protocol/LaneClock.h"
#include "src/protocol/MIDIMessageManager.h"

namespace {

using namespace std::chrono_literals;

// Pauses on the manager's clock, the first one a minute long; the test learns when it begins.
class MinuteClock : public LaneClock {
 public:
  explicit MinuteClock(LaneClock& clock) : mClock(clock) {}
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

using ShutDown = ConnectedPlugin;

// The host's program change sits in a minute's pause: closing ends the pause, so the close
// returns long before the minute is out.
TEST_F(ShutDown, ClosingEndsThePauseOfTheHostsProgramChange) {
  Kroma* plug = settled();
  MinuteClock clock(KromaProbe(plug).parts.mMIDIMessageManager->laneClock());
  KromaProbe(plug).clock.mPauseClock = &clock;
  KromaProbe(plug).selection.mProgBankMode = false;
  KromaProbe(plug).routing.mDAWFilterBlocked[1] = false;  // program changes from the host pass
  plug->GetParam(kGlobalRxProgramChange)->Set(1.0);
  process(plug, 64, {IMidiMsg(0, 0xC1, 9, 0)});
  ASSERT_EQ(clock.paused.get_future().wait_for(10s), std::future_status::ready);
  auto closed = std::async(std::launch::async, [this, plug] { close(plug); });
  EXPECT_EQ(closed.wait_for(20s), std::future_status::ready) << "the close waited out the pause";
}

// Closing lets go of the synthesizer's input port.
TEST_F(ShutDown, ClosingLetsGoOfTheInputPort) {
  midi.addInputPort("Synth In");
  Kroma* plug = open();
  int in = 1;
  ASSERT_EQ(plug->setExternalMIDIIn(in, "Synth In"), 1);
  ASSERT_TRUE(midi.inputConnected("Synth In"));
  close(plug);
  EXPECT_FALSE(midi.inputConnected("Synth In"));
}

}  // namespace

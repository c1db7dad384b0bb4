#include <gtest/gtest.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;
using namespace std::chrono_literals;

// Time that jumps to each deadline; every byte sent takes a millisecond of it.
class DeadlineClock : public LaneClock {
 public:
  bool pause(int) override { return true; }
  void stop() override {}
  TimePoint now() const override { return at; }
  bool pauseUntil(TimePoint deadline) override { return at = std::max(at, deadline), true; }
  TimePoint at{};
  std::vector<TimePoint> sentAt;
};

// At 120 BPM a clock every 20,833,333 ns counted from the first, though each send takes a
// millisecond: the 481st falls on ten seconds. Stopping another instance's clock changes nothing.
TEST(MIDIClock, TicksKeepTheirDeadlinesOnTheInstancesClock) {
  FakePlugin plugin;
  PatchLibrarian librarian;
  auto* clock = new DeadlineClock;
  MIDIMessageManager manager(plugin, librarian, nullptr, std::unique_ptr<LaneClock>(clock));
  MIDIMessageManager other(plugin, librarian);
  plugin.manager = &manager;
  plugin.values[kOverrideTempo] = 1;
  manager.setTempoValue(120.9);
  plugin.onByte = [&](unsigned char) {
    clock->at += 1ms;
    clock->sentAt.push_back(clock->at);
    if (clock->sentAt.size() == 240) other.sender().resetContinuousClock(true);
    if (clock->sentAt.size() == 481) manager.sender().resetContinuousClock(true);
  };
  manager.sender().resetContinuousClock(false);
  ASSERT_TRUE(manager.startJob(job(kSendContinuousMIDIClock)));
  for (int i = 0; i < 10000 && manager.isLaneRunning(Lane::kContinuousClock); ++i)
    std::this_thread::sleep_for(1ms);
  ASSERT_EQ(clock->sentAt.size(), 481u);
  EXPECT_EQ(clock->sentAt.back() - clock->sentAt.front(), 480 * std::chrono::nanoseconds(20833333));
}

}  // namespace

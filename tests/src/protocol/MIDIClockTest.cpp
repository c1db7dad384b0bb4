#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tests/src/protocol/ProtocolDoubles.h"
#include "tests/support/Patience.h"

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

// Whether the lane's job ended within the wait cap.
bool laneEnds(MIDIMessageManager& manager, Lane lane) {
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  while (manager.isLaneRunning(lane) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(1ms);
  return !manager.isLaneRunning(lane);
}

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
  ASSERT_TRUE(laneEnds(manager, Lane::kContinuousClock));
  ASSERT_EQ(clock->sentAt.size(), 481u);
  EXPECT_EQ(clock->sentAt.back() - clock->sentAt.front(), 480 * std::chrono::nanoseconds(20833333));
}

// Without the override the Multi's tempo names an entry of the tempo list: entry 2, "120", sets the
// rate of 120 BPM; an entry past the list is no tempo.
TEST(MIDIClock, WithoutTheOverrideTheMultisTempoEntrySetsTheRate) {
  const struct {
    int entry;
    size_t ticks;
    const char* text;
  } rows[] = {{2, 2, ""}, {3, 2, ""}, {4, 0, "Unable to get DAW Tempo"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.entry);
    FakePlugin plugin;
    PatchLibrarian librarian;
    auto* clock = new DeadlineClock;
    MIDIMessageManager manager(plugin, librarian, nullptr, std::unique_ptr<LaneClock>(clock));
    plugin.manager = &manager;
    plugin.tempoValues = {"65", "90", "120", "120"};
    plugin.values[kMultiTempo] = row.entry;
    manager.setTempoValue(60);
    plugin.onByte = [&](unsigned char) {
      clock->sentAt.push_back(clock->at);
      if (clock->sentAt.size() == 2) manager.sender().resetContinuousClock(true);
    };
    manager.sender().resetContinuousClock(false);
    ASSERT_TRUE(manager.startJob(job(kSendContinuousMIDIClock)));
    ASSERT_TRUE(laneEnds(manager, Lane::kContinuousClock));
    ASSERT_EQ(clock->sentAt.size(), row.ticks);
    if (row.ticks == 2) {
      EXPECT_EQ(clock->sentAt[1] - clock->sentAt[0], std::chrono::nanoseconds(20833333));
    }
    EXPECT_EQ(plugin.last(kControlDisplayValue), row.text);
  }
}

// Start and stop go out only while the song position switch is on.
TEST(MIDIClock, StartAndStopFollowTheSongPositionSwitch) {
  for (bool pointer : {false, true}) {
    SCOPED_TRACE(pointer);
    Engine e;
    e.plugin.clockPointer = pointer;
    for (int code : {kStartMIDIClockOutput, kStopMIDIClockOutput}) {
      ASSERT_TRUE(e.manager->startJob(job(code)));
      ASSERT_TRUE(laneEnds(*e.manager, Lane::kClockStartStop));
    }
    const std::vector<Bytes> expected = {{0xFA}, {0xFC}};
    EXPECT_EQ(e.plugin.sent, pointer ? expected : std::vector<Bytes>());
  }
}

// A job that throws is logged with its code, and its lane takes the next job.
TEST(MIDIClock, AJobThatThrowsIsLoggedAndItsLaneTakesTheNext) {
  Engine e;
  e.plugin.onByte = [&](unsigned char byte) {
    if (byte == 0xFA) throw std::runtime_error("port gone");
    throw 1;
  };
  for (int code : {kStartMIDIClockOutput, kStopMIDIClockOutput}) {
    ASSERT_TRUE(e.manager->startJob(job(code)));
    ASSERT_TRUE(laneEnds(*e.manager, Lane::kClockStartStop));
  }
  EXPECT_EQ(e.log.lines, std::vector<std::string>({"job 15 failed: port gone", "job 17 failed"}));
}

// The clock ends when the MIDI output goes: no tick is sent to an output that is not set.
TEST(MIDIClock, TheClockEndsWhenTheOutputGoes) {
  FakePlugin plugin;
  PatchLibrarian librarian;
  auto* clock = new DeadlineClock;
  MIDIMessageManager manager(plugin, librarian, nullptr, std::unique_ptr<LaneClock>(clock));
  plugin.manager = &manager;
  plugin.values[kOverrideTempo] = 1;
  manager.setTempoValue(120);
  plugin.onByte = [&](unsigned char) {
    if (plugin.sent.size() == 3) plugin.midiOut = false;
  };
  manager.sender().resetContinuousClock(false);
  ASSERT_TRUE(manager.startJob(job(kSendContinuousMIDIClock)));
  ASSERT_TRUE(laneEnds(manager, Lane::kContinuousClock));
  EXPECT_EQ(plugin.sent, std::vector<Bytes>(3, Bytes{0xF8}));
}

// A pause until a deadline lasts to it in whole milliseconds, rounded up; a deadline passed
// gives a pause of none; a stopped clock's pause says so.
TEST(LaneClockDeadlines, APauseUntilADeadlineRoundsUpAndNeverGoesBack) {
  class FixedNow : public LaneClock {
   public:
    bool pause(int ms) override { return pauses.push_back(ms), !stopped; }
    void stop() override { stopped = true; }
    TimePoint now() const override { return TimePoint(std::chrono::seconds(100)); }
    std::vector<int> pauses;
    bool stopped = false;
  };
  FixedNow clock;
  const LaneClock::TimePoint at = clock.now();
  for (auto offset : {std::chrono::microseconds(3000), std::chrono::microseconds(1200),
                      std::chrono::microseconds(1), std::chrono::microseconds(0),
                      std::chrono::microseconds(-5000)})
    EXPECT_TRUE(clock.pauseUntil(at + offset));
  EXPECT_EQ(clock.pauses, std::vector<int>({3, 2, 1, 0, 0}));
  clock.stop();
  EXPECT_FALSE(clock.pauseUntil(at + std::chrono::milliseconds(1)))
      << "a stopped clock ends the job";
}

// Pauses recorded and passed at once; `atPause` hears of each by its number.
class CountingClock : public LaneClock {
 public:
  bool pause(int ms) override {
    pauses.push_back(ms);
    if (atPause) atPause(static_cast<int>(pauses.size()));
    return true;
  }
  void stop() override {}
  bool pauseUntil(TimePoint) override { return true; }
  std::vector<int> pauses;
  std::function<void(int)> atPause;
};

// Without a tempo the clock reads it ten times, a second apart, then gives up: its switch goes
// off, "Unable to get DAW Tempo" shows and no clock goes out. A tempo at the tenth reading still
// starts it.
TEST(MIDIClock, WithoutATempoItGivesUpAfterTheTenthReading) {
  for (bool tempoAtLast : {false, true}) {
    SCOPED_TRACE(tempoAtLast);
    FakePlugin plugin;
    PatchLibrarian librarian;
    auto* clock = new CountingClock;
    MIDIMessageManager manager(plugin, librarian, nullptr, std::unique_ptr<LaneClock>(clock));
    plugin.manager = &manager;
    plugin.values[kOverrideTempo] = 1;
    plugin.values[kSendMIDIClockInfo] = 1;
    manager.setTempoValue(0);
    clock->atPause = [&](int count) {
      if (tempoAtLast && count == 9) manager.setTempoValue(120);
    };
    plugin.onByte = [&](unsigned char) { manager.sender().resetContinuousClock(true); };
    manager.sender().resetContinuousClock(false);
    ASSERT_TRUE(manager.startJob(job(kSendContinuousMIDIClock)));
    ASSERT_TRUE(laneEnds(manager, Lane::kContinuousClock));
    EXPECT_EQ(clock->pauses, std::vector<int>(9, 1000));
    EXPECT_EQ(plugin.sent, tempoAtLast ? std::vector<Bytes>{{0xF8}} : std::vector<Bytes>{});
    EXPECT_EQ(plugin.values[kSendMIDIClockInfo], tempoAtLast ? 1.0 : 0.0);
    EXPECT_EQ(plugin.clockInfo, tempoAtLast);
    EXPECT_EQ(plugin.last(kControlDisplayValue), tempoAtLast ? "" : "Unable to get DAW Tempo");
  }
}

// The flag bytes by the names the multi dump's writer and reader use: packed from a part's
// switches (a bit for each switch that is not on), and unpacked into them.
TEST(MultiFlagByteNames, PackAndUnpackThroughTheManagerAndTheSender) {
  Engine e;
  std::vector<double>& v = e.plugin.values;
  e.manager->encryptMultiSettings1Values(0x41, 3);
  EXPECT_EQ(std::vector<double>({v[kMultiPartStatus + 3], v[kReceiveMIDI + 3], v[kReceiveUSB + 3],
                                 v[kReceiveLocal + 3]}),
            std::vector<double>({0, 0, 1, 1}));
  EXPECT_EQ(e.manager->sender().decryptMultiSettings1Values(3), 0x41);
  e.manager->encryptMultiSettings2Values(0x15, 3);
  EXPECT_EQ(std::vector<double>({v[kReceivePitchBend + 3], v[kReceiveModWheel + 3],
                                 v[kReceivePressure + 3], v[kReceiveSustain + 3],
                                 v[kReceiveEdits + 3], v[kReceiveProgramChange + 3]}),
            std::vector<double>({0, 1, 0, 1, 0, 1}));
  EXPECT_EQ(e.manager->sender().decryptMultiSettings2Values(3), 0x15);
  e.manager->encryptMultiSettings2Values(0x40, 3);
  EXPECT_EQ(e.manager->sender().decryptMultiSettings2Values(3), 0x30);
  EXPECT_EQ(v[kReceiveSustain + 4], 0.0) << "another part is left alone";
}

}  // namespace

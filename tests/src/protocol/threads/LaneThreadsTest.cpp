// The plug-in tests drop a start on a busy lane.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "tests/src/protocol/ProtocolDoubles.h"
#include "tests/support/Patience.h"

namespace {

using namespace protocol_test;
using namespace std::chrono_literals;

// The steady clock, counting the pauses begun once the shut-down started that ran their full
// length: a pause already running then may end by itself on a slow machine.
class WatchedClock : public LaneClock {
 public:
  WatchedClock(const std::atomic<bool>& shuttingDown, std::atomic<int>& ranOut)
      : mShuttingDown(shuttingDown), mRanOut(ranOut) {}
  bool pause(int ms) override {
    const bool watched = mShuttingDown;
    const auto start = std::chrono::steady_clock::now();
    const bool on = mClock.pause(ms);
    if (watched && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ms))
      ++mRanOut;
    return on;
  }
  void stop() override { mClock.stop(); }

 private:
  SteadyLaneClock mClock;
  const std::atomic<bool>& mShuttingDown;
  std::atomic<int>& mRanOut;
};

TEST(LaneThreads, ShutDownJoinsARunningJobWithoutWaitingOutItsPauses) {
  for (int code : {kSendActiveArrangementRequest, kSendPartRequest, kSendSingleMultiRequest,
                   kSendAllMultiRequest, kSendSinglePatchRequest, kSendAllPatchRequest,
                   kSendDeviceIdEnquiry}) {
    SCOPED_TRACE(code);
    FakePlugin plugin;
    PatchLibrarian librarian;
    // A bank for the requests into the librarian to fill.
    librarian.soundFiles.push_back(bankOf(false));
    librarian.multiFiles.push_back(bankOf(true));
    librarian.type = code == kSendSingleMultiRequest || code == kSendAllMultiRequest;
    plugin.values[kLibSyncTimer] = 7;  // 500 ms a pause
    std::atomic<bool> shuttingDown{false};
    std::atomic<int> ranOut{0};
    auto manager = std::make_unique<MIDIMessageManager>(
        plugin, librarian, nullptr, std::make_unique<WatchedClock>(shuttingDown, ranOut));
    plugin.manager = manager.get();
    std::promise<void> sent;
    plugin.output = [&](const Bytes&) { sent.set_value(); };
    ASSERT_TRUE(manager->startJob(job(code, 0, true)));
    ASSERT_EQ(sent.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
    shuttingDown = true;
    manager.reset();
    EXPECT_EQ(ranOut, 0);
    EXPECT_EQ(plugin.sent.size(), 1u);
    EXPECT_FALSE(plugin.overlay);
  }
}

TEST(LaneThreads, AnswersFromTheMidiThreadWhileTheEditorReadsTheLibrarian) {
  Engine e;
  // Each pause waits until a MIDI input thread has handled what fell due.
  e.clock->deliver = [&](corvane_sim::Clock::time_point now) {
    std::thread midi([&, due = e.sim.takeDue(now)] {
      for (const Bytes& m : due) e.plugin.ProcessSysEx(m.data(), (int)m.size(), true);
    });
    midi.join();
  };
  std::atomic<bool> done{false};
  std::thread editor([&] {
    while (!done) {
      std::lock_guard<std::recursive_mutex> hold(e.librarian.mutex());
      for (const LibrarianPatch& slot : e.librarian.soundFiles[0]->records)
        EXPECT_EQ(slot.messages.size(), 1u);
    }
  });
  const bool ran = e.run(job(kSendAllPatchRequest, 0, false, 6));
  done = true;
  editor.join();
  ASSERT_TRUE(ran);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(e.slot(i).name, field(simSound(6, i)));
}

}  // namespace

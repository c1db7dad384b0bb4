// The lanes under real threads: starts racing for one lane, shut-down in the middle of a job,
// and answers arriving on a MIDI input thread while the editor reads the librarian.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/ProtocolDoubles.h"

namespace {

using namespace protocol_test;
using namespace std::chrono_literals;

// Holds the first pause of a job until released, so that the job keeps its lane.
class Gate {
 public:
  void hold() {
    std::unique_lock<std::mutex> lock(mMutex);
    mHeld = true;
    mChanged.notify_all();
    mChanged.wait_for(lock, 30s, [this] { return mOpen; });
  }
  bool waitHeld() {
    std::unique_lock<std::mutex> lock(mMutex);
    return mChanged.wait_for(lock, 30s, [this] { return mHeld; });
  }
  void open() {
    std::lock_guard<std::mutex> lock(mMutex);
    mOpen = true;
    mChanged.notify_all();
  }

 private:
  std::mutex mMutex;
  std::condition_variable mChanged;
  bool mHeld = false, mOpen = false;
};

SenderJob partRequest() {
  SenderJob job = jobOf(kSendPartRequest);
  job.part = 1;
  return job;
}

TEST(LaneThreads, ABusyLaneDropsAStartAndTakesTheNextOneAfterwards) {
  Engine engine;
  Gate gate;
  engine.clock->onPause = [&](int n) {
    if (n == 1) gate.hold();
  };
  ASSERT_TRUE(engine.manager->startJob(partRequest()));
  ASSERT_TRUE(gate.waitHeld());
  bool prepared = false;
  SenderJob other = jobOf(kSendAllPatchRequest);
  EXPECT_FALSE(engine.manager->startJob(other, [&] { prepared = true; }));
  EXPECT_FALSE(engine.manager->sendSinglePatchRequestSysexFromLibrarian(false, 0));
  EXPECT_FALSE(prepared) << "a dropped start sets no flags";
  EXPECT_TRUE(engine.manager->isLaneRunning(Lane::kTransfer));
  EXPECT_FALSE(engine.manager->isLaneRunning(Lane::kClockStartStop));
  gate.open();
  ASSERT_TRUE(engine.waitIdle());
  EXPECT_EQ(engine.requests().size(), 1u) << "the dropped job never ran";

  engine.librarian.selectedProgram = 9;
  ASSERT_TRUE(engine.manager->sendSinglePatchRequestSysexFromLibrarian(false, 2));
  ASSERT_TRUE(engine.waitIdle());
  EXPECT_EQ(engine.slot(9).name, "Sim 2 9         ");
}

TEST(LaneThreads, OfStartsRacingForAnIdleLaneExactlyOneWins) {
  Engine engine;
  for (int round = 0; round < 20; ++round) {
    Gate gate;
    engine.clock->onPause = [&](int) { gate.hold(); };
    std::atomic<int> ready{0}, started{0}, prepared{0};
    std::vector<std::thread> starters;
    for (int i = 0; i < 6; ++i)
      starters.emplace_back([&] {
        ++ready;
        while (ready < 6) std::this_thread::yield();
        if (engine.manager->startJob(partRequest(), [&] { ++prepared; })) ++started;
      });
    for (std::thread& t : starters) t.join();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(prepared, 1);
    gate.open();
    ASSERT_TRUE(engine.waitIdle());
    engine.clock->onPause = nullptr;
  }
}

// How the pauses of a job ended.
struct PauseEnds {
  std::atomic<int> ranOut{0}, cutShort{0};
};

// The plug-in's steady clock, noting of each pause whether it ran its full length.
class WatchedClock : public LaneClock {
 public:
  explicit WatchedClock(PauseEnds& ends) : mEnds(ends) {}
  bool pause(int milliseconds) override {
    const auto start = std::chrono::steady_clock::now();
    const bool on = mClock.pause(milliseconds);
    const bool full =
        std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(milliseconds);
    ++(full ? mEnds.ranOut : mEnds.cutShort);
    return on;
  }
  void stop() override { mClock.stop(); }

 private:
  SteadyLaneClock mClock;
  PauseEnds& mEnds;
};

TEST(LaneThreads, ShutDownJoinsARunningJobWithoutWaitingOutItsPauses) {
  SenderJob toEditor = jobOf(kSendActiveArrangementRequest);
  toEditor.toEditor = true;
  for (const SenderJob& job :
       {toEditor, partRequest(), jobOf(kSendSingleMultiRequest), jobOf(kSendAllMultiRequest),
        jobOf(kSendSinglePatchRequest), jobOf(kSendAllPatchRequest), jobOf(kSendDeviceIdEnquiry)}) {
    SCOPED_TRACE(job.code);
    FakePlugin plugin;
    PatchLibrarian librarian;
    plugin.setStoredValue(kLibSyncTimer, 7);  // 500 ms a pause
    PauseEnds ends;
    auto manager = std::make_unique<MIDIMessageManager>(plugin, librarian, nullptr,
                                                        std::make_unique<WatchedClock>(ends));
    plugin.manager = manager.get();
    ASSERT_TRUE(manager->startJob(job));
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (plugin.sent().empty() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(1ms);
    ASSERT_EQ(plugin.sent().size(), 1u);
    manager.reset();
    EXPECT_EQ(ends.ranOut, 0);
    EXPECT_GE(ends.cutShort, 1);
    EXPECT_EQ(plugin.sent().size(), 1u) << "nothing more was sent after the shut-down";
    EXPECT_FALSE(plugin.overlayShown());
  }
}

// The synthesizer's answers on a thread of their own, as the MIDI input delivers them: each
// pause hands over what is due and waits until it is handled.
class MidiInput {
 public:
  explicit MidiInput(FakePlugin& plugin) : mPlugin(plugin), mThread([this] { run(); }) {}
  ~MidiInput() {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mStop = true;
    }
    mChanged.notify_all();
    mThread.join();
  }
  void post(std::vector<Bytes> messages) {
    std::unique_lock<std::mutex> lock(mMutex);
    for (Bytes& m : messages) mInbox.push_back(std::move(m));
    mChanged.notify_all();
    mChanged.wait_for(lock, 30s, [this] { return mInbox.empty() && !mBusy; });
  }

 private:
  void run() {
    std::unique_lock<std::mutex> lock(mMutex);
    while (!mStop) {
      if (mInbox.empty()) {
        mChanged.wait(lock);
        continue;
      }
      std::vector<Bytes> batch;
      batch.swap(mInbox);
      mBusy = true;
      lock.unlock();
      for (const Bytes& m : batch) mPlugin.ProcessSysEx(m.data(), static_cast<int>(m.size()), true);
      lock.lock();
      mBusy = false;
      mChanged.notify_all();
    }
  }

  FakePlugin& mPlugin;
  std::mutex mMutex;
  std::condition_variable mChanged;
  std::vector<Bytes> mInbox;
  bool mBusy = false, mStop = false;
  std::thread mThread;
};

TEST(LaneThreads, AnswersFromTheMidiThreadWhileTheEditorReadsTheLibrarian) {
  Engine engine;
  MidiInput input(engine.plugin);
  engine.clock->deliver = [&](corvane_sim::Clock::time_point now) {
    input.post(engine.sim.takeDue(now));
  };
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::thread editor([&] {
    while (!done) {
      std::lock_guard<std::recursive_mutex> lock(engine.librarian.mutex());
      for (const LibrarianPatch& slot : engine.librarian.soundFiles[0]->records)
        if (slot.name.empty()) ADD_FAILURE() << "a slot without a name";
      ++reads;
    }
  });
  SenderJob job = jobOf(kSendAllPatchRequest);
  job.bank = 6;
  const bool ran = engine.run(job);
  done = true;
  editor.join();
  ASSERT_TRUE(ran);
  EXPECT_GT(reads, 0);
  for (int slot = 0; slot < 128; ++slot) {
    const std::string name = soundName(6, slot);
    ASSERT_EQ(engine.slot(slot).name, name + std::string(16 - name.size(), ' '));
  }
  EXPECT_EQ(engine.plugin.lastText(), "Data received to slot(s)");
}

}  // namespace

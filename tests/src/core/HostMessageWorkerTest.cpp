#include "src/core/detail/HostMessageWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Patience.h"

namespace {

using namespace std::chrono_literals;

class Lines : public TK_LogSink {
 public:
  void Write(const char* tag, const std::string& message) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mLines.push_back(tag + message);
  }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mLines;
  }

 private:
  std::mutex mMutex;
  std::vector<std::string> mLines;
};

// A worker of two places (or as many as asked) whose handler records each message's first data
// byte; the first message is held until the test lets go, data byte 0 throws an exception and
// data byte 9 a number.
struct Held {
  explicit Held(size_t capacity = 2)
      : worker(
            [this](const IMidiMsg& msg) {
              {
                std::lock_guard<std::mutex> lock(mutex);
                handled.push_back(msg.mData1);
              }
              if (!running.exchange(true)) {
                started.set_value();
                released.wait();
              }
              if (msg.mData1 == 0) throw std::runtime_error("bad byte");
              if (msg.mData1 == 9) throw 9;
            },
            &log, capacity) {}
  std::vector<int> seen() {
    std::lock_guard<std::mutex> lock(mutex);
    return handled;
  }
  bool waitIdle() {
    for (auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(1ms))
      if (worker.idle()) return true;
    return false;
  }

  Lines log;
  std::mutex mutex;
  std::vector<int> handled;
  std::atomic<bool> running{false};
  std::promise<void> started, release;
  std::shared_future<void> released = release.get_future().share();
  HostMessageWorker worker;
};

IMidiMsg msg(uint8_t status, uint8_t data1) {
  return IMidiMsg(0, status, data1, 0);
}

// Idle, a message that cannot pause stays with the caller; one that may pause is taken, and so is
// every message behind it, in order, up to the queue's two places: the next is dropped and logged.
// A handler's exception is logged and the worker goes on.
TEST(HostMessageWorker, TakesWhatMayPauseAndWhatFollowsInOrderWithinItsBound) {
  Held held;
  EXPECT_FALSE(held.worker.offer(msg(0x90, 1), false));
  EXPECT_TRUE(held.worker.offer(msg(0xC0, 2), true));
  ASSERT_EQ(held.started.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  for (uint8_t data1 : {0, 3, 4}) EXPECT_TRUE(held.worker.offer(msg(0x90, data1), false));
  held.release.set_value();
  ASSERT_TRUE(held.waitIdle());
  EXPECT_EQ(held.seen(), (std::vector<int>{2, 0, 3}));
  EXPECT_EQ(held.log.lines(),
            (std::vector<std::string>{"HOST MIDI: 1 dropped: the queue was full",
                                      "HOST MIDI: message not handled: bad byte"}));
  EXPECT_FALSE(held.worker.offer(msg(0x90, 5), false)) << "idle again";
}

// Stopping lets the running message finish and joins its thread; afterwards every message is
// taken and none runs.
TEST(HostMessageWorker, StopJoinsTheRunningMessageAndRunsNothingMore) {
  Held held;
  held.worker.offer(msg(0xC0, 2), true);
  ASSERT_EQ(held.started.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  held.worker.offer(msg(0x90, 3), false);
  auto stopped = std::async(std::launch::async, [&held] { held.worker.stop(); });
  held.release.set_value();
  stopped.wait();
  const std::vector<int> seen = held.seen();
  EXPECT_TRUE(held.worker.offer(msg(0xC0, 4), true));
  EXPECT_TRUE(held.worker.idle());
  EXPECT_EQ(held.seen(), seen);
  EXPECT_EQ(seen.front(), 2);
}

// A worker made without room still holds one message behind the running one; a handler that
// throws something other than an exception is logged too; a message offered once the worker
// idles wakes it.
TEST(HostMessageWorker, HoldsOneWithoutRoomLogsAnyThrowAndWakesFromIdle) {
  Held held(0);
  EXPECT_TRUE(held.worker.offer(msg(0xC0, 2), true));
  ASSERT_EQ(held.started.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  for (uint8_t data1 : {9, 4}) EXPECT_TRUE(held.worker.offer(msg(0x90, data1), false));
  held.release.set_value();
  ASSERT_TRUE(held.waitIdle());
  EXPECT_EQ(held.seen(), (std::vector<int>{2, 9}));
  EXPECT_EQ(held.log.lines(), (std::vector<std::string>{"HOST MIDI: 1 dropped: the queue was full",
                                                        "HOST MIDI: message not handled"}));
  EXPECT_TRUE(held.worker.offer(msg(0xC0, 7), true));
  ASSERT_TRUE(held.waitIdle());
  EXPECT_EQ(held.seen(), (std::vector<int>{2, 9, 7}));
}

}  // namespace

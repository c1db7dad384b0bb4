#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "tests/support/Patience.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/Timing.h"
#include "toolkit/wsys/WsysTypes.h"

// The count starts at the program's first call, so the wrap is 49 days of running away, not
// wherever the machine's own clock happens to stand. A fresh process makes that first call.
TEST(TimingDeathTest, TickCountStartsAtTheFirstCall) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(GetTickCount() < 5000 ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST(Timing, TickCountAdvancesWithSleepAndWrapsAt32Bits) {
  Sleep(-5);  // returns at once, not after 2^32 ms
  Sleep(0);
  // The shortest sleep asked for lasts at least its millisecond.
  const auto start = std::chrono::steady_clock::now();
  Sleep(1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1));
  const uint32_t before = GetTickCount();
  // Bring the counter 5 ms short of the wrap.
  WSYS_AdvanceTickCount(0xFFFFFFFFu - before - 5);
  const uint32_t nearEnd = GetTickCount();
  EXPECT_GE(nearEnd, 0xFFFFFFFFu - 10);
  Sleep(30);
  const uint32_t after = GetTickCount();
  EXPECT_LT(after, nearEnd);                    // wrapped
  EXPECT_GE((uint32_t)(after - nearEnd), 30u);  // unsigned differences stay right
  EXPECT_LT(std::chrono::milliseconds(after - nearEnd), kroma_test::kWaitCap);
}

TEST(Timing, AHeldTickCountMovesOnlyByHandAndRunsOnFromThere) {
  WSYS_HoldTickCount(true);
  const uint32_t held = GetTickCount();
  Sleep(20);
  EXPECT_EQ(GetTickCount(), held);
  WSYS_AdvanceTickCount(100);
  EXPECT_EQ(GetTickCount(), held + 100);
  Sleep(20);
  // The time held is taken out: from the release on, the count runs no faster than the clock.
  const auto beforeRelease = std::chrono::steady_clock::now();
  WSYS_HoldTickCount(false);
  const uint32_t released = GetTickCount();
  const auto sinceRelease = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - beforeRelease);
  EXPECT_GE(released, held + 100);
  EXPECT_LE(released - (held + 100), (uint32_t)sinceRelease.count() + 1);
  Sleep(20);
  EXPECT_GE(GetTickCount(), released + 20);
}

// Polls `done` every millisecond until it holds, at most the wait cap.
void waitUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  while (!done() && std::chrono::steady_clock::now() < end) Sleep(1);
}

TEST(Keys, StateSetByTheBackEndIsSeenOnOtherThreadsAndOnlyInsideTheTable) {
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
  std::atomic<bool> seenDown{false}, seenUp{false};
  std::thread reader([&] {
    waitUntil([&] { return seenDown = GetAsyncKeyState(VK_SHIFT) != 0; });
    waitUntil([&] { return seenUp = GetAsyncKeyState(VK_SHIFT) == 0; });
  });
  WSYS_SetKeyState(VK_SHIFT, true);
  waitUntil([&] { return seenDown.load(); });
  WSYS_SetKeyState(VK_SHIFT, false);
  reader.join();
  EXPECT_TRUE(seenDown);
  EXPECT_TRUE(seenUp);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);

  // The first and the last code in the table hold their state too.
  WSYS_SetKeyState(0, true);
  EXPECT_EQ(GetAsyncKeyState(0), (short)0x8000);
  WSYS_SetKeyState(0, false);
  WSYS_SetKeyState(255, true);
  EXPECT_EQ(GetAsyncKeyState(255), (short)0x8000) << "the high bit alone";
  WSYS_SetKeyState(255, false);
  EXPECT_EQ(GetAsyncKeyState(255), 0);

  WSYS_SetKeyState(-1, true);
  WSYS_SetKeyState(256, true);
  EXPECT_EQ(GetAsyncKeyState(-1), 0);
  EXPECT_EQ(GetAsyncKeyState(256), 0);
}

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "toolkit/mutex.h"

namespace {

TEST(Mutex, OwnerDeepensOthersWaitAndANonOwnersLeaveIsIgnored) {
  TK_Mutex mutex;
  mutex.Enter();
  mutex.Enter();
  EXPECT_EQ(mutex.GetDepth(), 2);
  std::thread([&] { mutex.Leave(); }).join();
  EXPECT_EQ(mutex.GetDepth(), 2);

  std::atomic<bool> entered{false};
  std::thread other([&] {
    EXPECT_FALSE(mutex.TryEnter());
    mutex.Enter();
    entered = true;
    EXPECT_EQ(mutex.GetDepth(), 1);
    mutex.Leave();
  });
  mutex.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(entered) << "one Leave of two must keep the lock";
  EXPECT_TRUE(mutex.IsOwnedByCurrentThread());
  mutex.Leave();
  other.join();
  EXPECT_TRUE(entered);
  EXPECT_FALSE(mutex.IsOwnedByCurrentThread());

  EXPECT_TRUE(mutex.TryEnter());  // free again: taken at depth 1
  EXPECT_TRUE(mutex.IsOwnedByCurrentThread());
  EXPECT_TRUE(mutex.TryEnter());  // ours: deepened
  EXPECT_EQ(mutex.GetDepth(), 2);
  mutex.Leave();
  mutex.Leave();
}

TEST(Mutex, GuardsSharedCountAcrossThreads) {
  TK_Mutex mutex;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      TK_MutexLock outer(mutex);
      TK_MutexLock inner(mutex);
      ++counter;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}

}  // namespace

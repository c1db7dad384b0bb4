#include <gtest/gtest.h>

#include <thread>

#include "toolkit/mutex.h"

namespace {

// The output port's lock is taken again by the thread that holds it; every
// level must be left before another thread gets it.
TEST(MutexReentry, TheOwnerGetsItAgainAndOthersOnlyAfterEveryLeave) {
  TK_Mutex mutex;
  auto anotherThreadGetsIt = [&] {
    bool got = false;
    std::thread([&] {
      got = mutex.TryEnter();
      if (got) mutex.Leave();
    }).join();
    return got;
  };
  ASSERT_TRUE(mutex.TryEnter());
  ASSERT_TRUE(mutex.TryEnter());
  mutex.Enter();
  EXPECT_EQ(mutex.GetDepth(), 3);
  for (int depth = 2; depth >= 0; --depth) {
    mutex.Leave();
    EXPECT_EQ(anotherThreadGetsIt(), depth == 0) << "left to depth " << depth;
  }
}

}  // namespace

#include "src/protocol/LaneClock.h"

#include <chrono>

bool SteadyLaneClock::pause(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock<std::mutex> lock(mMutex);
  mWake.wait_until(lock, until, [this] { return mStopped; });
  return !mStopped;
}

void SteadyLaneClock::stop() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopped = true;
  }
  mWake.notify_all();
}

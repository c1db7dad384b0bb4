#include "src/protocol/LaneClock.h"

bool LaneClock::pauseUntil(TimePoint deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now()).count();
  return pause(left > 0 ? static_cast<int>(left) : 0);
}

bool SteadyLaneClock::pause(int milliseconds) {
  return pauseUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

void SteadyLaneClock::stop() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopped = true;
  }
  mWake.notify_all();
}

bool SteadyLaneClock::pauseUntil(TimePoint deadline) {
  std::unique_lock<std::mutex> lock(mMutex);
  mWake.wait_until(lock, deadline, [this] { return mStopped; });
  return !mStopped;
}

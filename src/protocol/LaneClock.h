#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// The time the jobs pause in. The plug-in pauses on the steady clock; tests run on a virtual
// clock in which a pause takes no real time.
class LaneClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~LaneClock() = default;
  // Pauses the calling lane for `milliseconds`. False, at once, after stop(): the job ends.
  virtual bool pause(int milliseconds) = 0;
  // Ends every pause now and every later one at once, so that unloading never waits them out.
  virtual void stop() = 0;
  // The time deadlines are counted in, and a pause until one of them (none when it has passed);
  // false after stop(). The MIDI clock keeps its ticks on such deadlines, so that the time it
  // takes to send never adds up.
  virtual TimePoint now() const { return std::chrono::steady_clock::now(); }
  virtual bool pauseUntil(TimePoint deadline);
};

class SteadyLaneClock : public LaneClock {
 public:
  bool pause(int milliseconds) override;
  void stop() override;
  bool pauseUntil(TimePoint deadline) override;

 private:
  std::mutex mMutex;
  std::condition_variable mWake;
  bool mStopped = false;
};

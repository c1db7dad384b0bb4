#pragma once

#include <condition_variable>
#include <mutex>

// The time the jobs pause in. The plug-in pauses on the steady clock; tests run on a virtual
// clock in which a pause takes no real time.
class LaneClock {
 public:
  virtual ~LaneClock() = default;
  // Pauses the calling lane for `milliseconds`. False, at once, after stop(): the job ends.
  virtual bool pause(int milliseconds) = 0;
  // Ends every pause now and every later one at once, so that unloading never waits them out.
  virtual void stop() = 0;
};

class SteadyLaneClock : public LaneClock {
 public:
  bool pause(int milliseconds) override;
  void stop() override;

 private:
  std::mutex mMutex;
  std::condition_variable mWake;
  bool mStopped = false;
};

#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "toolkit/log.h"
#include "toolkit/plugin/midi/IMidiMsg.h"

// The host's MIDI messages that may pause (a program change's bank change does), run on a thread
// of the plug-in's own so that the audio thread that hands them over never waits through a
// pause. Messages keep their order: while any waits or runs here, every later one is taken too.
// The thread starts with the first message taken.
class HostMessageWorker {
 public:
  using Handler = std::function<void(const IMidiMsg&)>;
  static constexpr size_t kCapacity = 1024;

  // `handler` runs each message on the worker's thread; what it throws is logged.
  HostMessageWorker(Handler handler, TK_LogSink* log, size_t capacity = kCapacity);
  ~HostMessageWorker();
  HostMessageWorker(const HostMessageWorker&) = delete;
  HostMessageWorker& operator=(const HostMessageWorker&) = delete;

  // Whether the message is taken here; false: the caller handles it now. Taken while the queue is
  // full, it is dropped (and the drop logged); after stop() everything is taken and dropped.
  // [audio thread; takes the queue lock for a few instructions, never waits through a pause]
  bool offer(const IMidiMsg& msg, bool mayPause);
  // Whether nothing waits or runs here. [any thread]
  bool idle();
  // Drops what waits, lets the running message finish and joins the thread.
  // [main thread; not under a lock the handler takes]
  void stop();

 private:
  bool startThread();
  void run();
  void reportDrops(size_t dropped);

  const Handler mHandler;
  TK_LogSink* const mLog;
  std::mutex mMutex;
  std::condition_variable mWake;
  std::vector<IMidiMsg> mRing;  // sized once, so that taking a message allocates nothing
  size_t mFirst = 0;
  size_t mCount = 0;
  size_t mDropped = 0;
  bool mBusy = false;
  bool mStopped = false;
  std::thread mThread;
};

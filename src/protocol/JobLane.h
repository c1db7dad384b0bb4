#pragma once

#include <Poco/Runnable.h>
#include <Poco/Thread.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "src/protocol/SenderJob.h"
#include "toolkit/log.h"

// One background thread that runs one job at a time with its own copy of the job. A start on a
// running lane is dropped, not queued.
class JobLane : private Poco::Runnable {
 public:
  using Body = std::function<void(const SenderJob&)>;

  JobLane(const std::string& name, Body body, TK_LogSink* log);
  ~JobLane() override;
  JobLane(const JobLane&) = delete;
  JobLane& operator=(const JobLane&) = delete;

  // Takes the idle lane in one step, runs `prepare` (the flags the job needs), copies the job and
  // starts it. False, with nothing run or copied, when the lane is running, being started or
  // closed, or the thread cannot start. Safe from any thread; never waits for a job.
  bool start(const SenderJob& job, const std::function<void()>& prepare);
  bool isRunning() const { return mBusy; }
  // Refuses every later start and waits for the running job to end.
  void close();

 private:
  void run() override;
  // The thread of a job that has ended must be joined before the lane starts again.
  void joinFinished();

  Poco::Thread mThread;
  Body mBody;
  TK_LogSink* mLog;
  SenderJob mJob;  // written only while the lane is idle
  std::mutex mStartLock;
  std::atomic<bool> mBusy{false};
  std::atomic<bool> mClosed{false};
  bool mStarted = false;  // a thread was started and not yet joined; under mStartLock
};

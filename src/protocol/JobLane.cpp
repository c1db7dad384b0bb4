#include "src/protocol/JobLane.h"

#include <exception>

namespace {

constexpr const char* kTag = "MIDI MESSAGE MANAGER: ";

}  // namespace

JobLane::JobLane(const std::string& name, Body body, TK_LogSink* log)
    : mThread(name), mBody(std::move(body)), mLog(log) {}

JobLane::~JobLane() {
  close();
}

bool JobLane::start(const SenderJob& job, const std::function<void()>& prepare) {
  if (mClosed) return false;
  std::unique_lock<std::mutex> lock(mStartLock, std::try_to_lock);
  if (!lock.owns_lock() || mClosed) return false;
  bool idle = false;
  if (!mBusy.compare_exchange_strong(idle, true)) return false;
  try {
    joinFinished();
    if (prepare) prepare();
    mJob = job;
    mThread.start(*this);
    mStarted = true;
    return true;
  } catch (const std::exception& e) {
    TK_Log(mLog, kTag,
           std::string("job ") + std::to_string(job.code) + " not started: " + e.what());
  } catch (...) {
    TK_Log(mLog, kTag, "job " + std::to_string(job.code) + " not started");
  }
  mBusy = false;
  return false;
}

void JobLane::close() {
  mClosed = true;
  std::lock_guard<std::mutex> lock(mStartLock);
  try {
    joinFinished();
  } catch (const std::exception& e) {
    TK_Log(mLog, kTag, std::string("lane not joined: ") + e.what());
  }
}

void JobLane::run() {
  try {
    mBody(mJob);
  } catch (const std::exception& e) {
    TK_Log(mLog, kTag, std::string("job ") + std::to_string(mJob.code) + " failed: " + e.what());
  } catch (...) {
    TK_Log(mLog, kTag, "job " + std::to_string(mJob.code) + " failed");
  }
  mBusy = false;
}

void JobLane::joinFinished() {
  if (!mStarted) return;
  mStarted = false;
  mThread.join();
}

#include "src/core/detail/HostMessageWorker.h"

#include <exception>
#include <string>
#include <system_error>

namespace {

constexpr const char* kTag = "HOST MIDI: ";

}  // namespace

HostMessageWorker::HostMessageWorker(Handler handler, TK_LogSink* log, size_t capacity)
    : mHandler(std::move(handler)), mLog(log), mRing(capacity > 0 ? capacity : 1) {}

HostMessageWorker::~HostMessageWorker() {
  stop();
}

bool HostMessageWorker::offer(const IMidiMsg& msg, bool mayPause) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mStopped) return true;
  if (!mayPause && mCount == 0 && !mBusy) return false;
  // Without a thread nothing waits here yet: the caller handles the message as it always did.
  if (!mThread.joinable() && !startThread()) return false;
  if (mCount == mRing.size()) {
    ++mDropped;
    return true;
  }
  mRing[(mFirst + mCount++) % mRing.size()] = msg;
  mWake.notify_one();
  return true;
}

bool HostMessageWorker::startThread() {
  try {
    mThread = std::thread(&HostMessageWorker::run, this);
    return true;
  } catch (const std::system_error& e) {
    TK_Log(mLog, kTag, std::string("no worker thread: ") + e.what());
    return false;
  }
}

bool HostMessageWorker::idle() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mCount == 0 && !mBusy;
}

void HostMessageWorker::stop() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopped = true;
    mCount = 0;
  }
  mWake.notify_one();
  if (mThread.joinable()) mThread.join();
}

void HostMessageWorker::run() {
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;) {
    mBusy = false;
    mWake.wait(lock, [this] { return mStopped || mCount > 0; });
    if (mStopped) return;
    const IMidiMsg msg = mRing[mFirst];
    mFirst = (mFirst + 1) % mRing.size();
    --mCount;
    mBusy = true;
    const size_t dropped = mDropped;
    mDropped = 0;
    lock.unlock();
    try {
      reportDrops(dropped);
      mHandler(msg);
    } catch (const std::exception& e) {
      TK_Log(mLog, kTag, std::string("message not handled: ") + e.what());
    } catch (...) {
      TK_Log(mLog, kTag, "message not handled");
    }
    lock.lock();
  }
}

void HostMessageWorker::reportDrops(size_t dropped) {
  if (dropped > 0) TK_Log(mLog, kTag, std::to_string(dropped) + " dropped: the queue was full");
}

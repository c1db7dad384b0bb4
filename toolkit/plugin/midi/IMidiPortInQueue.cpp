#include "toolkit/plugin/midi/IMidiPortInQueue.h"

#include <new>

namespace {

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool IMidiPortInQueue::push(const uint8_t* bytes, size_t size) {
  const double arrival = steadySeconds();
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mAccepting) return false;
  if (mBytes + size > mMaxBytes) {
    ++mRefused;
    return false;
  }
  try {
    mMessages.push_back({std::vector<uint8_t>(bytes, bytes + size), arrival});
  } catch (const std::bad_alloc&) {
    // Runs on the MIDI system's thread, which must never see an exception.
    ++mRefused;
    return false;
  }
  mBytes += size;
  mReady.notify_one();
  return true;
}

void IMidiPortInQueue::popAll(std::deque<Message>& out, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mMutex);
  mReady.wait_for(lock, timeout, [this] { return !mMessages.empty() || !mAccepting; });
  for (Message& message : mMessages) out.push_back(std::move(message));
  mMessages.clear();
  mBytes = 0;
}

void IMidiPortInQueue::start() {
  std::lock_guard<std::mutex> lock(mMutex);
  mMessages.clear();
  mBytes = 0;
  mAccepting = true;
}

void IMidiPortInQueue::stop() {
  std::lock_guard<std::mutex> lock(mMutex);
  mAccepting = false;
  mMessages.clear();
  mBytes = 0;
  mReady.notify_all();
}

size_t IMidiPortInQueue::takeRefused() {
  std::lock_guard<std::mutex> lock(mMutex);
  const size_t refused = mRefused;
  mRefused = 0;
  return refused;
}

#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Patience.h"
#include "toolkit/log.h"

namespace midi_test {

using Bytes = std::vector<uint8_t>;

// Collects the log lines of the port objects it is handed to.
class LogCapture : public TK_LogSink {
 public:
  void Write(const char* tag, const std::string& message) override {
    std::lock_guard<std::mutex> lock(mMutex);
    mLines.push_back(tag + message);
  }

  bool contains(const std::string& text) const {
    std::lock_guard<std::mutex> lock(mMutex);
    for (const std::string& line : mLines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> lines() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mLines;
  }

 private:
  mutable std::mutex mMutex;
  std::vector<std::string> mLines;
};

// Polls `done` until it holds or `limit` passes. The default is generous: a
// loaded machine running sanitized builds may be slow, and a pass returns early.
template <class Pred>
bool waitFor(Pred done, std::chrono::milliseconds limit = kroma_test::kWaitCap) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Stops and joins a test's threads when its scope ends, also when a failed
// ASSERT leaves early: a joinable thread that is destroyed ends the program.
class StopAndJoin {
 public:
  StopAndJoin(std::atomic<bool>& stop, std::initializer_list<std::thread*> threads)
      : mStop(stop), mThreads(threads) {}
  ~StopAndJoin() {
    mStop = true;
    for (std::thread* thread : mThreads)
      if (thread->joinable()) thread->join();
  }
  StopAndJoin(const StopAndJoin&) = delete;
  StopAndJoin& operator=(const StopAndJoin&) = delete;

 private:
  std::atomic<bool>& mStop;
  std::vector<std::thread*> mThreads;
};

// A SysEx of `size` bytes from F0 to F7 with a counting body.
inline Bytes sysEx(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = (uint8_t)(i % 128);
  bytes.front() = 0xF0;
  bytes.back() = 0xF7;
  return bytes;
}

// What an input port's callback received, and on which thread.
class Received {
 public:
  static void callback(double arrival, std::vector<unsigned char>* message, void* self) {
    auto* received = static_cast<Received*>(self);
    std::lock_guard<std::mutex> lock(received->mMutex);
    received->mMessages.emplace_back(message->begin(), message->end());
    received->mArrivals.push_back(arrival);
    received->mThread = std::this_thread::get_id();
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mMutex);
    mMessages.clear();
  }
  std::vector<Bytes> messages() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mMessages;
  }
  size_t count() const { return messages().size(); }
  // The arrival time handed over with each message, in steady-clock seconds.
  std::vector<double> arrivals() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mArrivals;
  }
  std::thread::id thread() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mThread;
  }

 private:
  mutable std::mutex mMutex;
  std::vector<Bytes> mMessages;
  std::vector<double> mArrivals;
  std::thread::id mThread;
};

}  // namespace midi_test

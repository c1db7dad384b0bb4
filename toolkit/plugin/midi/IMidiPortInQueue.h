#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// Hands incoming messages from the MIDI system's thread (JACK's real-time
// thread) to the plug-in's MIDI input thread. The producer only copies bytes
// under a short lock; everything else happens on the consumer's side.
class IMidiPortInQueue {
 public:
  struct Message {
    std::vector<uint8_t> bytes;
    double arrival = 0.0;  // seconds on the steady clock
  };

  // Bytes held beyond `maxBytes` are refused and counted.
  explicit IMidiPortInQueue(size_t maxBytes = 4 << 20) : mMaxBytes(maxBytes) {}

  // False while closed or full.
  bool push(const uint8_t* bytes, size_t size);
  // Waits at most `timeout` for messages and moves all of them into `out`.
  void popAll(std::deque<Message>& out, std::chrono::milliseconds timeout);

  // Accepting starts empty; stopping drops what is held and wakes the consumer.
  void start();
  void stop();
  // Messages refused as too many since the last call.
  size_t takeRefused();

 private:
  std::mutex mMutex;
  std::condition_variable mReady;
  std::deque<Message> mMessages;
  size_t mBytes = 0, mRefused = 0;
  const size_t mMaxBytes;
  bool mAccepting = false;
};

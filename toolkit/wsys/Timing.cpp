#include "toolkit/wsys/Timing.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<uint32_t> gTickOffset{0};

// Made on first use, so that callers during static start-up find it set.
std::chrono::steady_clock::time_point start() {
  static const std::chrono::steady_clock::time_point first = std::chrono::steady_clock::now();
  return first;
}

}  // namespace

uint32_t GetTickCount() {
  const auto elapsed = std::chrono::steady_clock::now() - start();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  // Unsigned arithmetic wraps at 2^32 like the system counter does.
  return (uint32_t)(uint64_t)ms + gTickOffset.load(std::memory_order_relaxed);
}

void Sleep(int ms) {
  if (ms <= 0) {
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void WSYS_AdvanceTickCount(uint32_t delta) {
  gTickOffset.fetch_add(delta, std::memory_order_relaxed);
}

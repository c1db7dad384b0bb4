#include "toolkit/wsys/Timing.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<uint32_t> gTickOffset{0};
std::atomic<bool> gTickHeld{false};
std::atomic<uint32_t> gTickHeldAt{0};

// Made on first use, so that callers during static start-up find it set.
std::chrono::steady_clock::time_point start() {
  static const std::chrono::steady_clock::time_point first = std::chrono::steady_clock::now();
  return first;
}

}  // namespace

namespace {

uint32_t runningTicks() {
  const auto elapsed = std::chrono::steady_clock::now() - start();
  return (uint32_t)(uint64_t)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

}  // namespace

uint32_t GetTickCount() {
  const uint32_t ticks = gTickHeld.load() ? gTickHeldAt.load() : runningTicks();
  // Unsigned arithmetic wraps at 2^32 like the system counter does.
  return ticks + gTickOffset.load(std::memory_order_relaxed);
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

void WSYS_HoldTickCount(bool hold) {
  if (hold == gTickHeld.load()) return;
  if (hold) {
    gTickHeldAt = runningTicks();
    gTickHeld = true;
    return;
  }
  // Runs on from the held count: the time that passed while held is taken out.
  gTickOffset.fetch_add(gTickHeldAt.load() - runningTicks());
  gTickHeld = false;
}

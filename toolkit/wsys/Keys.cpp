#include "toolkit/wsys/Keys.h"

#include <atomic>

namespace {

constexpr int kKeyCount = 256;
std::atomic<bool> gKeyDown[kKeyCount];

bool validKey(int key) {
  return key >= 0 && key < kKeyCount;
}

}  // namespace

short GetAsyncKeyState(int key) {
  if (!validKey(key)) return 0;
  return gKeyDown[key].load(std::memory_order_relaxed) ? (short)0x8000 : (short)0;
}

void WSYS_SetKeyState(int key, bool down) {
  if (validKey(key)) gKeyDown[key].store(down, std::memory_order_relaxed);
}

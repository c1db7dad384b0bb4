#include "toolkit/mutex.h"

void TK_Mutex::Enter() {
  if (IsOwnedByCurrentThread()) {
    ++mDepth;
    return;
  }
  mMutex.lock();
  mOwner.store(std::this_thread::get_id());
  mDepth = 1;
}

bool TK_Mutex::TryEnter() {
  if (IsOwnedByCurrentThread()) {
    ++mDepth;
    return true;
  }
  if (!mMutex.try_lock()) return false;
  mOwner.store(std::this_thread::get_id());
  mDepth = 1;
  return true;
}

void TK_Mutex::Leave() {
  if (!IsOwnedByCurrentThread()) return;  // not ours: leaving would corrupt the owner's depth
  if (--mDepth > 0) return;
  mOwner.store(std::thread::id());
  mMutex.unlock();
}

#pragma once

#include <atomic>
#include <mutex>
#include <thread>

// A recursive lock: a thread that already owns it only deepens it.
class TK_Mutex {
 public:
  TK_Mutex() = default;
  TK_Mutex(const TK_Mutex&) = delete;
  TK_Mutex& operator=(const TK_Mutex&) = delete;

  void Enter();
  bool TryEnter();
  void Leave();

  bool IsOwnedByCurrentThread() const { return mOwner.load() == std::this_thread::get_id(); }
  // The owner's nesting depth; 0 while free. Meaningful to the owner only.
  int GetDepth() const { return mDepth; }

 private:
  std::mutex mMutex;
  std::atomic<std::thread::id> mOwner{};
  int mDepth = 0;
};

// Holds a TK_Mutex for a scope.
class TK_MutexLock {
 public:
  explicit TK_MutexLock(TK_Mutex& mutex) : mMutex(mutex) { mMutex.Enter(); }
  ~TK_MutexLock() { mMutex.Leave(); }
  TK_MutexLock(const TK_MutexLock&) = delete;
  TK_MutexLock& operator=(const TK_MutexLock&) = delete;

 private:
  TK_Mutex& mMutex;
};

// Lets go of a TK_Mutex that the calling thread holds, at every depth, for a scope, and takes it
// back to the same depth afterwards: for waits that another thread must be able to get the lock
// through. Nothing when the thread does not hold it.
class TK_MutexReleased {
 public:
  explicit TK_MutexReleased(TK_Mutex& mutex)
      : mMutex(mutex), mDepth(mutex.IsOwnedByCurrentThread() ? mutex.GetDepth() : 0) {
    for (int i = 0; i < mDepth; ++i) mMutex.Leave();
  }
  ~TK_MutexReleased() {
    for (int i = 0; i < mDepth; ++i) mMutex.Enter();
  }
  TK_MutexReleased(const TK_MutexReleased&) = delete;
  TK_MutexReleased& operator=(const TK_MutexReleased&) = delete;

 private:
  TK_Mutex& mMutex;
  const int mDepth;
};

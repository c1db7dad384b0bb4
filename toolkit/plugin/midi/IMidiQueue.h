#pragma once

#include "toolkit/plugin/midi/IMidiMsg.h"

// The timed outgoing MIDI messages of one plug-in, ordered by sample offset;
// messages of equal offset keep the order in which they were added. One flat
// buffer: consuming never allocates, only Add grows it.
class IMidiQueue {
 public:
  explicit IMidiQueue(int size = 1024);
  ~IMidiQueue();
  IMidiQueue(const IMidiQueue&) = delete;
  IMidiQueue& operator=(const IMidiQueue&) = delete;

  // Inserts a copy in offset order; dropped only when the buffer cannot grow.
  void Add(const IMidiMsg* msg);
  bool Empty() const { return mFront == mBack; }
  int Count() const { return mBack - mFront; }
  // The first message, or null when the queue is empty.
  IMidiMsg* Peek() const { return Empty() ? nullptr : mBuf + mFront; }
  void Remove() {
    if (!Empty()) ++mFront;
  }
  void Clear() { mFront = mBack = 0; }
  int Capacity() const { return mCapacity; }
  int GrowStep() const { return mGrowStep; }
  // Moves what was not sent in this block into the next one.
  void Flush(int frameCount);
  // Capacity and growth step become size rounded up to 512 (at least 512),
  // or more when more messages are waiting.
  void Resize(int size);

 private:
  bool Grow();
  bool Reallocate(int capacity);
  void Compact();

  IMidiMsg* mBuf = nullptr;
  int mCapacity = 0;
  int mGrowStep = 0;
  int mFront = 0;
  int mBack = 0;
};

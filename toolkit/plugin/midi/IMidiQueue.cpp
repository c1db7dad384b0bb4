#include "toolkit/plugin/midi/IMidiQueue.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
const int kGranularity = 512;

// Rounded up to a multiple of 512, never below 512: a step of 0 would leave a
// queue that can never grow again.
int roundedStep(int size) {
  if (size <= kGranularity) return kGranularity;
  if (size > INT_MAX - kGranularity) return INT_MAX / kGranularity * kGranularity;
  return (size + kGranularity - 1) / kGranularity * kGranularity;
}
}  // namespace

IMidiQueue::IMidiQueue(int size) : mGrowStep(roundedStep(size)) {
  Grow();
}

IMidiQueue::~IMidiQueue() {
  std::free(mBuf);
}

bool IMidiQueue::Reallocate(int capacity) {
  void* grown = std::realloc(mBuf, (size_t)capacity * sizeof(IMidiMsg));
  if (!grown) return false;
  mBuf = static_cast<IMidiMsg*>(grown);
  mCapacity = capacity;
  return true;
}

bool IMidiQueue::Grow() {
  const long long capacity = ((long long)mCapacity / mGrowStep + 1) * mGrowStep;
  if (capacity > INT_MAX / (long long)sizeof(IMidiMsg)) return false;
  return Reallocate((int)capacity);
}

void IMidiQueue::Compact() {
  if (mFront <= 0) return;
  const int count = Count();
  if (count) std::memmove(mBuf, mBuf + mFront, (size_t)count * sizeof(IMidiMsg));
  mFront = 0;
  mBack = count;
}

void IMidiQueue::Add(const IMidiMsg* msg) {
  if (!msg) return;
  if (mBack == mCapacity) {
    if (mFront > 0)
      Compact();
    else if (!Grow())
      return;
  }
  if (Empty() || msg->mOffset >= mBuf[mBack - 1].mOffset) {
    mBuf[mBack++] = *msg;
    return;
  }
  // After the last message whose offset is not greater than the new one.
  int pos = mFront;
  for (int i = mBack - 2; i >= mFront; --i) {
    if (mBuf[i].mOffset <= msg->mOffset) {
      pos = i + 1;
      break;
    }
  }
  std::memmove(mBuf + pos + 1, mBuf + pos, (size_t)(mBack - pos) * sizeof(IMidiMsg));
  mBuf[pos] = *msg;
  ++mBack;
}

void IMidiQueue::Flush(int frameCount) {
  Compact();
  for (int i = 0; i < mBack; ++i) mBuf[i].mOffset -= frameCount;
}

void IMidiQueue::Resize(int size) {
  Compact();
  mGrowStep = roundedStep(size);
  const int capacity = Count() > mGrowStep ? roundedStep(Count()) : mGrowStep;
  if (capacity != mCapacity) Reallocate(capacity);
}

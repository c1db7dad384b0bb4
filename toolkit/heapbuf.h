#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

// A growable byte buffer. Its storage grows in whole steps of the granularity
// (never below 1), so that many small appends cost few reallocations. Bytes
// gained by growth are not initialised.
class TK_HeapBuf {
 public:
  explicit TK_HeapBuf(int granularity = 4096) { SetGranularity(granularity); }
  ~TK_HeapBuf() { std::free(mBuf); }

  TK_HeapBuf(const TK_HeapBuf& other) : mGranularity(other.mGranularity) {
    if (Resize(other.mSize, false)) std::memcpy(mBuf, other.mBuf, (size_t)other.mSize);
  }
  TK_HeapBuf& operator=(const TK_HeapBuf& other) {
    if (this != &other) {
      mGranularity = other.mGranularity;
      if (Resize(other.mSize, false)) std::memcpy(mBuf, other.mBuf, (size_t)other.mSize);
    }
    return *this;
  }

  void SetGranularity(int granularity) { mGranularity = granularity < 1 ? 1 : granularity; }
  int GetGranularity() const { return mGranularity; }

  // Sets the size in bytes; keeps the first min(old, new) bytes when keepData.
  // Returns the buffer; null when newSize is negative or memory ran out (the
  // buffer is then left as it was), and possibly for a size of 0.
  void* Resize(int newSize, bool keepData = true) {
    if (newSize < 0) return nullptr;
    if (newSize > mAlloc) {
      const long long want = Rounded(newSize);
      if (want > 0x7fffffff) return nullptr;
      void* grown = keepData ? std::realloc(mBuf, (size_t)want) : std::malloc((size_t)want);
      if (!grown) return nullptr;
      if (!keepData) std::free(mBuf);
      mBuf = grown;
      mAlloc = (int)want;
    }
    mSize = newSize;
    return mBuf;
  }

  // Sets the size in bytes with every byte 0; the contents are not kept. Storage that has to
  // grow comes zeroed from the allocator, which leaves fresh pages untouched until written.
  void* ResizeZeroed(int newSize) {
    if (newSize < 0) return nullptr;
    if (newSize > mAlloc) {
      const long long want = Rounded(newSize);
      if (want > 0x7fffffff) return nullptr;
      void* grown = std::calloc(1, (size_t)want);
      if (!grown) return nullptr;
      std::free(mBuf);
      mBuf = grown;
      mAlloc = (int)want;
    } else if (newSize > 0) {
      std::memset(mBuf, 0, (size_t)newSize);
    }
    mSize = newSize;
    return mBuf;
  }

  // Releases the storage.
  void Free() {
    std::free(mBuf);
    mBuf = nullptr;
    mSize = mAlloc = 0;
  }

  void* Get() const { return mBuf; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAlloc; }

 private:
  // The size rounded up to whole steps of the granularity.
  long long Rounded(int size) const {
    return ((long long)size + mGranularity - 1) / mGranularity * mGranularity;
  }

  void* mBuf = nullptr;
  int mSize = 0;
  int mAlloc = 0;
  int mGranularity = 4096;
};

// An array of T (trivially copyable) over a TK_HeapBuf; sizes count elements.
template <class T>
class TK_TypedBuf {
 public:
  explicit TK_TypedBuf(int granularityBytes = 4096) : mBuf(granularityBytes) {}

  T* Get() const { return static_cast<T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / (int)sizeof(T); }
  int GetBytes() const { return mBuf.GetSize(); }
  int GetAllocated() const { return mBuf.GetAllocated() / (int)sizeof(T); }

  // Returns null (and keeps the old contents) when count is negative or too
  // large to address in bytes.
  T* Resize(int count, bool keepData = true) {
    if (count < 0 || (long long)count * (long long)sizeof(T) > 0x7fffffffLL) return nullptr;
    return static_cast<T*>(mBuf.Resize(count * (int)sizeof(T), keepData));
  }
  void SetGranularity(int bytes) { mBuf.SetGranularity(bytes); }
  void Free() { mBuf.Free(); }

 private:
  TK_HeapBuf mBuf;
};

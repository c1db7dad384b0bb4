#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "toolkit/heapbuf.h"
#include "toolkit/tkstring.h"

// The growable byte buffer every state chunk is built in. Values are copied in
// host byte order (little-endian here) with no alignment or padding. Every read
// returns the position after the value, or -1 when the value does not lie
// wholly inside the chunk; positions are checked in 64 bits.
class ByteChunk {
 public:
  ByteChunk() : mBytes(4096) {}

  template <class T>
  int AppendValue(const T& value) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    return AppendBytes(&value, (int)sizeof(T));
  }

  template <class T>
  int ReadValue(T& value, int startPos) const {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    if (!Fits(startPos, sizeof(T))) return -1;
    std::memcpy(&value, Data() + startPos, sizeof(T));
    return startPos + (int)sizeof(T);
  }
  // A stored byte other than 0 or 1 is no valid bool: read it as a flag.
  int ReadValue(bool& value, int startPos) const { return ReadFlag(value, startPos); }

  // A 32-bit length, then the bytes without a terminator.
  int AppendText(const char* text);
  // Reads a text written by AppendText. A length of 0 leaves the string as it
  // was; a negative length or one past the end fails with -1.
  int ReadText(TK_String& text, int startPos) const;

  int AppendFlag(bool flag);
  int ReadFlag(bool& flag, int startPos) const;

  int AppendBytes(const void* bytes, int n);
  int AppendChunk(const ByteChunk& other) { return AppendBytes(other.Data(), other.Size()); }

  void Clear() { mBytes.Resize(0); }
  // Sets the size; bytes gained are zeroed. A negative size is refused.
  int SetSize(int n);
  int Size() const { return mBytes.GetSize(); }
  const uint8_t* Data() const { return Size() ? mBytes.Get() : nullptr; }
  uint8_t* Data() { return Size() ? mBytes.Get() : nullptr; }

  bool operator==(const ByteChunk& other) const {
    return Size() == other.Size() &&
           (Size() == 0 || std::memcmp(Data(), other.Data(), Size()) == 0);
  }
  bool operator!=(const ByteChunk& other) const { return !(*this == other); }

 private:
  bool Fits(int64_t pos, int64_t n) const { return pos >= 0 && n >= 0 && pos + n <= Size(); }
  TK_TypedBuf<uint8_t> mBytes;
};

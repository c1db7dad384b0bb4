#pragma once

#include <cstdarg>

#include "toolkit/heapbuf.h"

// A growable zero-terminated string. Get() never returns null.
class TK_String {
 public:
  TK_String() = default;
  explicit TK_String(const char* text, int maxLength = -1) { Set(text, maxLength); }
  TK_String(const TK_String& other) { Set(other.Get()); }
  TK_String& operator=(const TK_String& other) {
    if (this != &other) Set(other.Get());
    return *this;
  }

  const char* Get() const { return mBuf.GetSize() ? static_cast<const char*>(mBuf.Get()) : ""; }
  int GetLength() const { return mBuf.GetSize() ? mBuf.GetSize() - 1 : 0; }

  // Sets from text (null reads as empty), at most maxLength bytes when >= 0.
  void Set(const char* text, int maxLength = -1);
  // Appends text, at most maxLength bytes of it when >= 0.
  void Append(const char* text, int maxLength = -1);
  // printf-style, the result cut to maxLength bytes.
  void SetFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLength, const char* format, ...)
      __attribute__((format(printf, 3, 4)));
  // Cuts the string to at most length bytes.
  void SetLength(int length);
  void Clear() { mBuf.Resize(0); }

 private:
  void AppendFormattedV(int maxLength, const char* format, va_list args);
  TK_HeapBuf mBuf{256};
};

#include "toolkit/tkstring.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
int boundedLength(const char* text, int maxLength) {
  if (!text) return 0;
  if (maxLength < 0) return (int)std::strlen(text);
  const void* end = std::memchr(text, 0, (size_t)maxLength);
  return end ? (int)(static_cast<const char*>(end) - text) : maxLength;
}
}  // namespace

void TK_String::Set(const char* text, int maxLength) {
  if (text && text == Get()) {  // setting from itself: only a cut is possible
    if (maxLength >= 0) SetLength(maxLength);
    return;
  }
  mBuf.Resize(0);
  Append(text, maxLength);
}

void TK_String::Append(const char* text, int maxLength) {
  const int add = boundedLength(text, maxLength);
  if (add == 0 && mBuf.GetSize()) return;
  const int old = GetLength();
  // text may point into this string; copy it before the buffer moves.
  const std::string copy = add ? std::string(text, (size_t)add) : std::string();
  char* buf = static_cast<char*>(mBuf.Resize(old + add + 1));
  if (!buf) return;
  copy.copy(buf + old, copy.size());
  buf[old + add] = 0;
}

void TK_String::SetLength(int length) {
  if (length < 0) length = 0;
  if (length >= GetLength()) return;
  static_cast<char*>(mBuf.Get())[length] = 0;
  mBuf.Resize(length + 1);
}

void TK_String::AppendFormattedV(int maxLength, const char* format, va_list args) {
  va_list probe;
  va_copy(probe, args);
  const int need = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (need <= 0) return;
  std::string out((size_t)need, '\0');
  std::vsnprintf(&out[0], out.size() + 1, format, args);
  Append(out.c_str(), maxLength);
}

void TK_String::SetFormatted(int maxLength, const char* format, ...) {
  mBuf.Resize(0);
  va_list args;
  va_start(args, format);
  AppendFormattedV(maxLength, format, args);
  va_end(args);
}

void TK_String::AppendFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendFormattedV(maxLength, format, args);
  va_end(args);
}

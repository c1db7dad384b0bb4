#include "toolkit/plugin/base/ByteChunk.h"

int ByteChunk::AppendBytes(const void* bytes, int n) {
  if (n <= 0 || !bytes) return Size();
  const int old = Size();
  uint8_t* data = mBytes.Resize(old + n);
  if (!data) return old;
  std::memcpy(data + old, bytes, (size_t)n);
  return Size();
}

int ByteChunk::AppendText(const char* text) {
  const int32_t length = text ? (int32_t)std::strlen(text) : 0;
  AppendValue(length);
  return AppendBytes(text, length);
}

int ByteChunk::ReadText(TK_String& text, int startPos) const {
  int32_t length = 0;
  const int pos = ReadValue(length, startPos);
  if (pos < 0 || !Fits(pos, length)) return -1;
  if (length >= 1) text.Set(reinterpret_cast<const char*>(Data() + pos), length);
  return pos + length;
}

int ByteChunk::AppendFlag(bool flag) {
  const uint8_t byte = flag ? 1 : 0;
  return AppendBytes(&byte, 1);
}

int ByteChunk::ReadFlag(bool& flag, int startPos) const {
  uint8_t byte = 0;
  const int pos = ReadValue(byte, startPos);
  if (pos >= 0) flag = byte != 0;
  return pos;
}

int ByteChunk::SetSize(int n) {
  const int old = Size();
  if (n < 0 || !mBytes.Resize(n)) return old;
  if (n > old) std::memset(mBytes.Get() + old, 0, (size_t)(n - old));
  return Size();
}

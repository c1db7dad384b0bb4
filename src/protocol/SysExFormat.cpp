#include "src/protocol/SysExFormat.h"

#include <cmath>

namespace sysex {

unsigned char sumOfBytes(const unsigned char* data, int first, int last) {
  unsigned int sum = 0;
  for (int i = first; i <= last; ++i) sum += data[i];
  return static_cast<unsigned char>(sum & 0x7F);
}

unsigned char dumpChecksum(const unsigned char* data, int size) {
  return sumOfBytes(data, kFirstSummedByte, size - 3);
}

void applySendChecksum(unsigned char* data, int size) {
  if (size < kChecksummedMinSize) return;
  if (data[0] == kStart) {
    data[size - 2] = dumpChecksum(data, size);
  } else {
    data[size - 1] = sumOfBytes(data, kFirstSummedByte - 1, size - 2);
  }
}

bool hasDumpHeader(const unsigned char* data, int size, int minSize, unsigned char type) {
  return data != nullptr && size >= minSize && size > kTypeOffset && data[1] == kManufacturer &&
         data[2] == kModel && data[kTypeOffset] == type;
}

bool hasCleanBody(const unsigned char* data, int size) {
  for (int i = 1; i < size - 1; ++i)
    if (data[i] >= 0x80) return false;
  return true;
}

unsigned char toDataByte(int value) {
  if (value < 0) return 0;
  if (value > 0x7F) return 0x7F;
  return static_cast<unsigned char>(value);
}

int truncateValue(double value) {
  constexpr double kLimit = 65536.0;
  if (std::isnan(value)) return 0;
  if (value >= kLimit) return static_cast<int>(kLimit);
  if (value <= -kLimit) return -static_cast<int>(kLimit);
  return static_cast<int>(value);
}

void writeNameField(unsigned char* dest, const std::string& name) {
  for (int i = 0; i < kNameLength; ++i) {
    if (i >= static_cast<int>(name.size())) {
      dest[i] = ' ';
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(name[i]);
    dest[i] = (c >= 0x20 && c <= 0x7E) ? c : '?';
  }
}

std::string readNameField(const unsigned char* src) {
  return std::string(reinterpret_cast<const char*>(src), kNameLength);
}

std::string nameUpToZero(const std::string& field) {
  return field.substr(0, field.find('\0'));
}

}  // namespace sysex

#include "src/config/ControlActionSysExMessage.h"

#include <cmath>
#include <utility>

SysExMessageTable::SysExMessageTable(std::vector<int> base, size_t valueEntry,
                                     std::vector<int> values)
    : mBase(std::move(base)), mValueEntry(valueEntry), mValues(std::move(values)) {
  mBase.shrink_to_fit();
  mValues.shrink_to_fit();
}

std::vector<int> SysExMessageTable::operator[](size_t k) const {
  std::vector<int> message = mBase;
  message[mValueEntry] = mValues[k];
  return message;
}

size_t SysExMessageTable::storageBytes() const {
  return (mBase.capacity() + mValues.capacity()) * sizeof(int);
}

long ControlActionSysExMessage::entryOf(double value, size_t size) const {
  // NaN and values beyond any table fail the range test without an overflowing conversion.
  const double entry = std::trunc(value) - firstValue;
  return entry >= 0 && entry < static_cast<double>(size) ? static_cast<long>(entry) : -1;
}

bool ControlActionSysExMessage::messageFor(double value, std::vector<int>& message) const {
  const long entry = entryOf(value, messages.size());
  if (entry < 0) return false;
  message = messages[static_cast<size_t>(entry)];
  return true;
}

const std::vector<std::vector<int>>* ControlActionSysExMessage::messageListFor(double value) const {
  const long entry = entryOf(value, messageLists.size());
  return entry < 0 ? nullptr : &messageLists[static_cast<size_t>(entry)];
}

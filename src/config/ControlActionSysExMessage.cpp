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

bool ControlActionSysExMessage::messageFor(double value, std::vector<int>& message) const {
  // NaN and values beyond any table fail the range test without an overflowing conversion.
  const double entry = std::trunc(value) - firstValue;
  if (!(entry >= 0 && entry < static_cast<double>(messages.size()))) return false;
  message = messages[static_cast<size_t>(entry)];
  return true;
}

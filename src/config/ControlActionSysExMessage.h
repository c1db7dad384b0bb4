#pragma once

#include <cstddef>
#include <vector>

// One SysEx parameter-change message per value of a parameter, without F0/F7. The messages of a
// table differ only in their value byte, so a table keeps the template once (with the part in
// place) and the value of each message: a few hundred bytes instead of kilobytes per control.
class SysExMessageTable {
 public:
  SysExMessageTable() = default;
  // `values[k]` goes into entry `valueEntry` of `base` to make message k.
  SysExMessageTable(std::vector<int> base, size_t valueEntry, std::vector<int> values);

  size_t size() const { return mValues.size(); }
  bool empty() const { return mValues.empty(); }
  // Message k, for k below size().
  std::vector<int> operator[](size_t k) const;
  // Where each message carries its value.
  size_t valueEntry() const { return mValueEntry; }
  // The heap bytes the table holds.
  size_t storageBytes() const;

 private:
  std::vector<int> mBase;
  size_t mValueEntry = 0;
  std::vector<int> mValues;
};

// The precomputed messages of a SysEx-bound parameter, kept in its ControlAction.
struct ControlActionSysExMessage {
  bool multiMessage = false;
  SysExMessageTable messages;
  std::vector<std::vector<std::vector<int>>> messageLists;  // per value, for the multi form
  // The parameter value whose message is entry 0: the parameter's minimum.
  int firstValue = 0;

  // The message of a parameter value, found at trunc(value) - firstValue: false for a value
  // that has none. Senders take messages only through here, never by the plain value.
  bool messageFor(double value, std::vector<int>& message) const;
};

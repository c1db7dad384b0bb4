#pragma once

#include <string>
#include <vector>

// One value group of the SysEx value list: its texts in document order.
struct Values {
  std::vector<std::string> entries;
};

// One entry of the SysEx value list; its position in the list is its SysEx index. The first
// text of its first single-list group is the entry's parameter-change template.
struct SysExContainer {
  std::vector<Values> values;                    // single-list groups
  std::vector<std::vector<Values>> multiValues;  // multi-list groups, one Values per multivalue
  bool hasMultiValues = false;
};

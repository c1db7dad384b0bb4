#pragma once

#include <vector>

// The precomputed SysEx parameter-change messages of one parameter, without F0/F7: entry i of
// `messages` is sent for the parameter's i-th value counted from its minimum.
struct ControlActionSysExMessage {
  bool multiMessage = false;
  std::vector<std::vector<int>> messages;
  std::vector<std::vector<std::vector<int>>> messageLists;  // per value, for the multi form
};

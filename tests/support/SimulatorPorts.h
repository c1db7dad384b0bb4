#pragma once

#include <string>

namespace kroma_test {

// The index of the simulator program's port `name` ("in", "out") in a MIDI port's list, or -1.
template <class Port>
int simulatorPort(Port& port, const std::string& name) {
  std::string each;
  for (unsigned i = 0; i < port.portCount(); ++i)
    if (port.portName(i, each) && each == "corvane-sim:" + name) return static_cast<int>(i);
  return -1;
}

}  // namespace kroma_test

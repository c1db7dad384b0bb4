#pragma once

#include <string>

#include "tools/corvane-sim/Simulator.h"

namespace corvane_sim {

// "none", "silent", "late MS", "other-id ID", "truncate BYTES", "wrong-type", "bad-checksum".
// False for anything else; `out` is then left alone.
bool parseFault(const std::string& text, FaultSetting& out);

// One log line: microseconds since `start`, then the bytes in upper-case hex.
std::string formatReceived(const ReceivedMessage& message, Clock::time_point start);

}  // namespace corvane_sim

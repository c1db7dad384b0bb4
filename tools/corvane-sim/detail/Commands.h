#pragma once

#include <string>

#include "tools/corvane-sim/Simulator.h"

namespace corvane_sim {

// "none", "silent", "late MS", "other-id ID", "truncate BYTES", "wrong-type", "bad-checksum",
// "echo ID".
// False for anything else; `out` is then left alone.
bool parseFault(const std::string& text, FaultSetting& out);

// The record that "sound PART", "multi", "global", "stored BANK PROGRAM" or
// "stored-multi NUMBER" names, as the synthesizer would send it, as one line of upper-case hex
// bytes. False for anything else or a
// number out of range; `out` is then left alone.
bool recordText(const Simulator& sim, const std::string& command, std::string& out);

// One log line: microseconds since `start`, then the bytes in upper-case hex.
std::string formatReceived(const ReceivedMessage& message, Clock::time_point start);

}  // namespace corvane_sim

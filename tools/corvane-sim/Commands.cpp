#include "tools/corvane-sim/Commands.h"

#include <cstdio>
#include <sstream>

namespace corvane_sim {
namespace {

struct FaultName {
  const char* name;
  Fault kind;
  bool takesAmount;
};

constexpr FaultName kFaultNames[] = {
    {"none", Fault::kNone, false},
    {"silent", Fault::kSilent, false},
    {"late", Fault::kLate, true},
    {"other-id", Fault::kOtherId, true},
    {"truncate", Fault::kTruncate, true},
    {"wrong-type", Fault::kWrongType, false},
    {"bad-checksum", Fault::kBadChecksum, false},
};

}  // namespace

bool parseFault(const std::string& text, FaultSetting& out) {
  std::istringstream in(text);
  std::string name;
  if (!(in >> name)) return false;
  for (const FaultName& entry : kFaultNames) {
    if (name != entry.name) continue;
    FaultSetting fault{entry.kind, 0};
    if (entry.takesAmount && !(in >> fault.amount)) return false;
    std::string rest;
    if (in >> rest) return false;
    out = fault;
    return true;
  }
  return false;
}

std::string formatReceived(const ReceivedMessage& message, Clock::time_point start) {
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(message.time - start);
  std::string line = std::to_string(us.count());
  char hex[4];
  for (unsigned char b : message.bytes) {
    std::snprintf(hex, sizeof hex, " %02X", b);
    line += hex;
  }
  return line;
}

}  // namespace corvane_sim

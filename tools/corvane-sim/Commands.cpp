#include "tools/corvane-sim/detail/Commands.h"

#include <cstdio>
#include <initializer_list>
#include <sstream>

#include "src/protocol/SysExFormat.h"

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
    {"echo", Fault::kEcho, true},
};

template <class Record>
std::string hexLine(const Record& bytes) {
  std::string line;
  char hex[4];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, line.empty() ? "%02X" : " %02X", b);
    line += hex;
  }
  return line;
}

// Reads one number per limit, each from 0 to below its limit, and nothing after them.
bool readNumbers(std::istringstream& in, std::initializer_list<int> limits, int* numbers) {
  for (int limit : limits) {
    if (!(in >> *numbers) || *numbers < 0 || *numbers >= limit) return false;
    ++numbers;
  }
  std::string rest;
  return !(in >> rest);
}

template <size_t N>
Bytes toBytes(const std::array<unsigned char, N>& record) {
  return Bytes(record.begin(), record.end());
}

}  // namespace

bool recordText(const Simulator& sim, const std::string& command, std::string& out) {
  std::istringstream in(command);
  std::string name;
  in >> name;
  int n[2] = {0, 0};
  const int id = sim.deviceId();
  Bytes record;
  if (name == "sound" && readNumbers(in, {sysex::kParts}, n))
    record =
        Simulator::asSent(toBytes(sim.soundEditBuffer(n[0])), id, sysex::kEditBufferBank, n[0]);
  else if (name == "multi" && readNumbers(in, {}, n))
    record = Simulator::asSent(toBytes(sim.multiEditBuffer()), id, sysex::kEditBufferBank, 0);
  else if (name == "global" && readNumbers(in, {}, n))
    record = Simulator::asSent(toBytes(sim.globalRecord()), id, -1, -1);
  else if (name == "stored" &&
           readNumbers(in, {sysex::kStoredSoundBanks, sysex::kProgramsPerBank}, n))
    record = Simulator::asSent(toBytes(sim.storedSound(n[0], n[1])), id, n[0], n[1]);
  else if (name == "stored-multi" && readNumbers(in, {sysex::kProgramsPerBank}, n))
    record = Simulator::asSent(toBytes(sim.storedMulti(n[0])), id, 0, n[0]);
  else
    return false;
  out = hexLine(record);
  return true;
}

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
  return std::to_string(us.count()) + (message.bytes.empty() ? "" : " " + hexLine(message.bytes));
}

}  // namespace corvane_sim

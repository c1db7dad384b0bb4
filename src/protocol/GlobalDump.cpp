#include "src/protocol/GlobalDump.h"

#include "src/config/ParameterIds.h"

namespace global_dump {
namespace {

using sysex::toDataByte;
using sysex::truncateValue;

constexpr int kLocalControlOffset = 62;
constexpr int kFixed7FOffset = 60;
constexpr int kSettleMs = 1000;

struct Field {
  int offset;
  int param;
  int add;
};

constexpr Field kFields[] = {
    {39, kMultiPatch, 0},
    {41, kGlobalMidiChannel, 0},
    {kNewDeviceIdOffset, kGlobalSysExID, 0},
    {45, kGlobalTuning, 54},
    {46, kGlobalTranspose, 52},
    {49, kGlobalControlSend, 0},
    {50, kGlobalReceive, 0},
    {51, kGlobalTxProgramChange, 0},
    {53, kGlobalClock, 0},
    {55, kGlobalVelocityCurve, 0},
    {56, kGlobalControlW, 0},
    {57, kGlobalControlX, 0},
    {58, kGlobalControlY, 0},
    {59, kGlobalControlZ, 0},
    {kLocalControlOffset, kGlobalLocalControl, 0},
};

}  // namespace

sysex::GlobalDumpBytes buildGlobalDump(const ParameterAccess& params, int deviceId) {
  sysex::GlobalDumpBytes dump = sysex::globalDumpTemplate();
  dump[sysex::kDeviceIdOffset] = toDataByte(deviceId & 0xFF);
  for (const Field& field : kFields)
    dump[field.offset] = toDataByte(truncateValue(params.getValue(field.param)) + field.add);
  dump[kFixed7FOffset] = 0x7F;
  return dump;
}

void sendGlobalToDevice(TransferServices& services, const ParameterAccess& params, int deviceId) {
  services.DisplayProcessingIndicator(true);
  sysex::GlobalDumpBytes dump = buildGlobalDump(params, deviceId);
  services.checksumCheckAndSend(dump.data(), static_cast<int>(dump.size()));
  services.pause(kSettleMs);
  services.DisplayProcessingIndicator(false);
  services.clearSoundSendBusy();
}

bool parseGlobalDump(const unsigned char* data, int size, ParameterAccess& params,
                     bool& localControl) {
  if (size != sysex::kGlobalDumpSize ||
      !sysex::hasDumpHeader(data, size, sysex::kGlobalDumpSize, sysex::kGlobalDump))
    return false;
  for (const Field& field : kFields)
    params.setParameterFromPlug(field.param, data[field.offset] - field.add);
  localControl = data[kLocalControlOffset] != 0;
  return true;
}

}  // namespace global_dump

#include "src/protocol/MultiDump.h"

#include "src/config/ParameterIds.h"

namespace multi_dump {
namespace {

using sysex::toDataByte;
using sysex::truncateValue;

constexpr int kMasterVolumeOffset = 24;
constexpr int kTempoOffset = 25;
constexpr int kBankByte = 0;
constexpr int kProgramByte = 1;
constexpr int kFlagByteA = 12;
constexpr int kFlagByteB = 13;

// Record bytes that carry one parameter each, with the offset the byte adds to its value.
struct RecordField {
  int byte;
  int param;
  int add;
};

constexpr RecordField kRecordFields[] = {
    {2, kMultiPartLevel, 0},   {3, kMultiPartPanning, 0},  {5, kMultiPartTranspose, 16},
    {6, kMultiPartDetune, 0},  {7, kMultiPartMIDICh, 0},   {8, kMultiPartKeyLow, 0},
    {9, kMultiPartKeyHigh, 0}, {10, kMultiPartVeloLow, 1}, {11, kMultiPartVeloHigh, 1},
};

struct FlagBit {
  int bit;
  int param;
};

constexpr FlagBit kFlagBitsA[] = {
    {0, kReceiveMIDI}, {1, kReceiveUSB}, {2, kReceiveLocal}, {6, kMultiPartStatus}};
constexpr FlagBit kFlagBitsB[] = {{0, kReceivePitchBend}, {1, kReceiveModWheel},
                                  {2, kReceivePressure},  {3, kReceiveSustain},
                                  {4, kReceiveEdits},     {5, kReceiveProgramChange}};

template <std::size_t N>
unsigned char packFlags(const FlagBit (&bits)[N], const ParameterAccess& params, int part) {
  int value = 0;
  for (const FlagBit& flag : bits)
    if (truncateValue(params.getValue(flag.param + part)) != 1) value |= 1 << flag.bit;
  return static_cast<unsigned char>(value);
}

int recordOffset(int part, int byte) {
  return kRecordBase + kRecordSize * part + byte;
}

void setSwitch(ParameterAccess& params, int param, int part, bool on) {
  params.setParameterFromPlug(param + part, on ? 1 : 0);
}

}  // namespace

unsigned char packFlagByteA(const ParameterAccess& params, int part) {
  return packFlags(kFlagBitsA, params, part);
}

unsigned char packFlagByteB(const ParameterAccess& params, int part) {
  return packFlags(kFlagBitsB, params, part);
}

void unpackFlagByteA(int value, int part, ParameterAccess& params) {
  setSwitch(params, kMultiPartStatus, part, true);
  for (int i = 0; i < 3; ++i) setSwitch(params, kFlagBitsA[i].param, part, true);
  if (value >= 64) setSwitch(params, kMultiPartStatus, part, false);
  const int receive = value >= 64 ? value - 64 : value;
  if (receive < 1 || receive > 7) return;
  for (int i = 0; i < 3; ++i)
    if (receive & (1 << kFlagBitsA[i].bit)) setSwitch(params, kFlagBitsA[i].param, part, false);
}

void unpackFlagByteB(int value, int part, ParameterAccess& params) {
  for (const FlagBit& flag : kFlagBitsB) setSwitch(params, flag.param, part, true);
  if (value >= 64) {
    setSwitch(params, kReceiveProgramChange, part, false);
    setSwitch(params, kReceiveEdits, part, false);
    return;
  }
  for (const FlagBit& flag : kFlagBitsB)
    if (value & (1 << flag.bit)) setSwitch(params, flag.param, part, false);
}

sysex::MultiDumpBytes buildMultiDump(const ParameterAccess& params, const PartSounds& sounds) {
  sysex::MultiDumpBytes dump = sysex::multiSendTemplate();
  auto byteOf = [&](int param) { return toDataByte(truncateValue(params.getValue(param))); };
  dump[sysex::kDeviceIdOffset] = byteOf(kGlobalSysExID);
  dump[kMasterVolumeOffset] = byteOf(kMultiMasterVolume);
  dump[kTempoOffset] = byteOf(kMultiTempo);
  for (int part = 0; part < sysex::kParts; ++part) {
    dump[recordOffset(part, kBankByte)] = toDataByte(sounds.banks[part]);
    dump[recordOffset(part, kProgramByte)] = toDataByte(sounds.programs[part]);
    for (const RecordField& field : kRecordFields)
      dump[recordOffset(part, field.byte)] =
          toDataByte(truncateValue(params.getValue(field.param + part)) + field.add);
    dump[recordOffset(part, kFlagByteA)] = packFlagByteA(params, part);
    dump[recordOffset(part, kFlagByteB)] = packFlagByteB(params, part);
  }
  sysex::writeNameField(dump.data() + kNameOffset, params.getDisplayText(kMultiName));
  return dump;
}

bool parseMultiDump(const unsigned char* data, int size, ParameterAccess& params,
                    ParsedMulti& out) {
  if (!sysex::hasDumpHeader(data, size, sysex::kMultiDumpSize, sysex::kMultiDump)) return false;
  out.name = sysex::readNameField(data + kNameOffset);
  params.setDisplayText(kMultiName, sysex::nameUpToZero(out.name));
  params.setParameterFromPlug(kMultiMasterVolume, data[kMasterVolumeOffset]);
  params.setParameterFromPlug(kMultiTempo, data[kTempoOffset]);
  for (int part = 0; part < sysex::kParts; ++part) {
    const unsigned char* record = data + recordOffset(part, 0);
    out.sounds.banks[part] = record[kBankByte];
    out.sounds.programs[part] = record[kProgramByte];
    params.setParameterFromPlug(kMultiPartBank + part, record[kBankByte]);
    params.setParameterFromPlug(kMultiPartPatch + part, record[kProgramByte]);
    for (const RecordField& field : kRecordFields)
      params.setParameterFromPlug(field.param + part, record[field.byte] - field.add);
    unpackFlagByteA(record[kFlagByteA], part, params);
    unpackFlagByteB(record[kFlagByteB], part, params);
  }
  return true;
}

}  // namespace multi_dump

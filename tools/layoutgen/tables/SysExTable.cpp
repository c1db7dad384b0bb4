#include "tools/layoutgen/tables/SysExTable.h"

#include <cstdio>
#include <map>

#include "src/config/ParameterIds.h"
#include "src/protocol/SoundDump.h"

namespace layout_tables {
namespace {

// The synthesizer addresses a sound byte from the sound data, which starts at dump byte 7.
constexpr int kSoundDataBase = 7;
// A Global parameter change names the byte by its distance from Global byte 40, as a signed
// seven-bit number: 0x7F names byte 39, the Multi program.
constexpr int kGlobalAddressBase = 40;
// A Multi parameter change with high address 1 names a byte of the Multi's own settings by its
// dump offset; lower addresses name a byte of the part record of the location's part.
constexpr int kMultiCommonHigh = 1;

// Bytes of a Multi part record and the parameters each carries.
struct RecordByte {
  int byte;
  std::vector<int> params;
};

const RecordByte kMultiRecord[] = {
    {0, {kMultiPartBank}},
    {1, {kMultiPartPatch}},
    {2, {kMultiPartLevel}},
    {3, {kMultiPartPanning}},
    {5, {kMultiPartTranspose}},
    {6, {kMultiPartDetune}},
    {7, {kMultiPartMIDICh}},
    {8, {kMultiPartKeyLow}},
    {9, {kMultiPartKeyHigh}},
    {10, {kMultiPartVeloLow}},
    {11, {kMultiPartVeloHigh}},
    {12, {kReceiveMIDI, kReceiveUSB, kReceiveLocal, kMultiPartStatus}},
    {13,
     {kReceivePitchBend, kReceiveModWheel, kReceivePressure, kReceiveSustain, kReceiveEdits,
      kReceiveProgramChange}},
};

// The Multi's own settings in its dump.
const RecordByte kMultiCommon[] = {{24, {kMultiMasterVolume}}, {25, {kMultiTempo}}};

// Global dump bytes from 39 on and their parameters.
const RecordByte kGlobalRecord[] = {
    {39, {kMultiPatch}},          {41, {kGlobalMidiChannel}},     {42, {kGlobalSysExID}},
    {45, {kGlobalTuning}},        {46, {kGlobalTranspose}},       {49, {kGlobalControlSend}},
    {50, {kGlobalReceive}},       {51, {kGlobalTxProgramChange}}, {53, {kGlobalClock}},
    {55, {kGlobalVelocityCurve}}, {56, {kGlobalControlW}},        {57, {kGlobalControlX}},
    {58, {kGlobalControlY}},      {59, {kGlobalControlZ}},        {62, {kGlobalLocalControl}},
};

// The parameters that send a sound byte: the wave byte is sent by the shape alone (the
// wavetable and the sample have controller messages of their own), the routing byte by the
// routing and its serial switch, every other byte by each parameter it carries and by the
// effect-type views of a positional effect byte.
std::vector<int> soundSenders(const sound_dump::ByteRule& row) {
  if (row.rule == sound_dump::Rule::kWave) return {row.params[2]};
  // The parallel switch reads the routing byte the other way round.
  if (row.rule == sound_dump::Rule::kFilterRouting) return {row.params[0], row.params[1]};
  std::vector<int> params;
  for (int p : row.params)
    if (p >= 0) params.push_back(p);
  for (int v : row.views) {
    if (v < 0) break;
    params.push_back(v);
  }
  return params;
}

std::vector<SysExEntry> makeEntries() {
  std::vector<SysExEntry> entries;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules()) {
    const int address = row.offset - kSoundDataBase;
    entries.push_back({kSoundChange, 0, address / 128, address % 128, soundSenders(row)});
  }
  // A Multi control outside the part panels keeps its template's part, so each part has its own.
  for (const RecordByte& b : kMultiRecord)
    for (int part = 0; part < 16; ++part) {
      std::vector<int> params;
      for (int p : b.params) params.push_back(p + part);
      entries.push_back({kMultiChange, part, 0, b.byte, params});
    }
  for (const RecordByte& b : kMultiCommon)
    entries.push_back({kMultiChange, 0, kMultiCommonHigh, b.byte, b.params});
  for (const RecordByte& b : kGlobalRecord)
    entries.push_back({kGlobalChange, 0, (b.byte - kGlobalAddressBase) & 0x7F, 0, b.params});
  return entries;
}

// A parameter on two bytes (the delay spread) sends through the first.
std::map<int, int> makeIndex() {
  std::map<int, int> index;
  const std::vector<SysExEntry>& entries = sysexEntries();
  for (size_t i = 0; i < entries.size(); ++i)
    for (int p : entries[i].params) index.emplace(p, static_cast<int>(i));
  return index;
}

}  // namespace

std::string SysExEntry::templateText() const {
  char text[32];
  std::snprintf(text, sizeof text, "3E 13 00 %02X %02X %02X %02X 00", type, location, high, low);
  return text;
}

const std::vector<SysExEntry>& sysexEntries() {
  static const std::vector<SysExEntry> entries = makeEntries();
  return entries;
}

int sysexIndexOf(int param) {
  static const std::map<int, int> index = makeIndex();
  const auto it = index.find(param);
  return it == index.end() ? -1 : it->second;
}

}  // namespace layout_tables

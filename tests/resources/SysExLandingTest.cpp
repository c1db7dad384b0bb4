// A parameter change the editor sends must land, in the synthesizer, on the byte its dump
// carries: the message every SysEx control of the built layout sends is given to the simulator
// and the byte it changed compared with the one the dump writer fills from the parameter.

#include <gtest/gtest.h>

#include <algorithm>

#include "src/config/ParameterIds.h"
#include "src/protocol/GlobalDump.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"
#include "tests/resources/LayoutWalk.h"
#include "tests/src/protocol/FakeParameters.h"
#include "tools/corvane-sim/Simulator.h"

namespace {

using protocol_test::FakeParameters;
using Bytes = std::vector<unsigned char>;

// The row of the sound dump that carries a parameter (part 0), directly or as an effect view.
const sound_dump::ByteRule* rowOf(int param) {
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    if (std::count(std::begin(row.params), std::end(row.params), param) ||
        std::count(std::begin(row.views), std::end(row.views), param))
      return &row;
  return nullptr;
}

template <class Record>
Bytes toBytes(const Record& r) {
  return Bytes(r.begin(), r.end());
}

// The SysEx table of the control the builders made for a parameter; null without one.
const ControlActionSysExMessage* tableOf(int param) {
  const ControlAction* action = layout_check::builtLayout().config.getControlAction(param);
  return action && !action->sysexMessages.messages.empty() ? &action->sysexMessages : nullptr;
}

// Sends the message the table holds for `value` to a fresh simulator: the record `read` takes
// must differ from before only in byte `offset`, now `expected`. A byte packed from several
// settings travels packed, as the dump has it.
template <class Read>
void expectLands(int param, const ControlActionSysExMessage& table, int value, int offset,
                 int expected, bool packedByte, Read read) {
  std::vector<int> message;
  ASSERT_TRUE(table.messageFor(value, message)) << param;
  message[2] = 0;  // the device id in use
  if (packedByte) message[7] = expected;
  corvane_sim::Simulator sim(0);
  Bytes before = read(sim), framed{0xF0};
  before[offset] = static_cast<unsigned char>(expected);
  for (int b : message) framed.push_back(static_cast<unsigned char>(b));
  framed.push_back(0xF7);
  sim.receive(framed.data(), framed.size(), corvane_sim::Clock::now());
  EXPECT_EQ(read(sim), before) << "parameter " << param << " with value " << value
                               << " should set byte " << offset << " to " << expected;
}

// Sound parameters of the first and a later part, at their lowest and highest value (a menu's
// table holds one message past its last entry).
TEST(SoundChanges, LandOnTheByteTheSoundDumpCarries) {
  using sound_dump::Rule;
  int sent = 0;
  for (int part : {0, 9})
    for (int param = part; param < kMultiPartBank; ++param) {
      const ControlActionSysExMessage* table = tableOf(param);
      const sound_dump::ByteRule* row = rowOf(param - part);
      if (!table || !row) continue;
      const bool view = std::count(std::begin(row->views), std::end(row->views), param - part);
      const bool packed = row->rule == Rule::kUnison || row->rule == Rule::kEnvelopeMode ||
                          row->rule == Rule::kArpStep || row->rule == Rule::kArpTiming;
      const int last = static_cast<int>(layout_check::builtLayout().GetParam(param)->GetMax());
      for (int value : {table->firstValue, last}) {
        FakeParameters params;
        params.values[param] = value;
        // An effect type's setting reaches the dump through the positional parameter.
        if (view) params.values[row->params[0] + part] = value;
        expectLands(
            param, *table, value, row->offset, sound_dump::encodeByte(*row, params, part), packed,
            [&](corvane_sim::Simulator& sim) { return toBytes(sim.soundEditBuffer(part)); });
        ++sent;
      }
    }
  EXPECT_GT(sent, 500);
}

// A Multi or Global dump as its writer fills it; the part's bank and program travel in the part
// sounds beside the parameters.
Bytes dumpOf(bool multi, const FakeParameters& params) {
  if (!multi) return toBytes(global_dump::buildGlobalDump(params, 0));
  multi_dump::PartSounds sounds;
  for (int part = 0; part < 16; ++part) {
    sounds.banks[part] = static_cast<int>(params.values[kMultiPartBank + part]);
    sounds.programs[part] = static_cast<int>(params.values[kMultiPartPatch + part]);
  }
  return toBytes(multi_dump::buildMultiDump(params, sounds));
}

// Every setting the Multi and the Global dump carry (the byte a parameter moves from 0 to 1)
// has a control whose change lands there; a flag byte of a part record packs several switches.
TEST(SoundChanges, MultiAndGlobalChangesLandOnTheByteTheirDumpCarries) {
  int carried = 0;
  for (int param = kMultiPartBank; param <= kMultiPatch; ++param) {
    // The Global settings lie inside the Multi's indices; the Global dump starts at kMultiPatch.
    const bool multi =
        param < kGlobalInitSound1 || (param > kGlobalDisplayContrast && param != kMultiPatch);
    FakeParameters params;
    const Bytes zero = dumpOf(multi, params);
    params.values[param] = 1;
    const Bytes one = dumpOf(multi, params);
    std::vector<int> offsets;
    for (size_t i = 0; i < zero.size(); ++i)
      if (zero[i] != one[i]) offsets.push_back(static_cast<int>(i));
    if (offsets.empty() || (param > kMultiTempo && param != kMultiPatch)) continue;
    ++carried;
    ASSERT_EQ(offsets.size(), 1u) << param;
    const ControlActionSysExMessage* table = tableOf(param);
    ASSERT_NE(table, nullptr) << "parameter " << param << " has no control that sends it";
    const int inRecord = (offsets[0] - multi_dump::kRecordBase) % multi_dump::kRecordSize;
    const bool flags =
        multi && offsets[0] >= multi_dump::kRecordBase && inRecord >= 12 && inRecord <= 13;
    const int last = static_cast<int>(layout_check::builtLayout().GetParam(param)->GetMax());
    for (int value : {table->firstValue, last}) {
      params.values[param] = value;
      expectLands(param, *table, value, offsets[0], dumpOf(multi, params)[offsets[0]], flags,
                  [&](corvane_sim::Simulator& sim) {
                    return multi ? toBytes(sim.multiEditBuffer()) : toBytes(sim.globalRecord());
                  });
    }
  }
  EXPECT_GT(carried, 16 * 21);
}

}  // namespace

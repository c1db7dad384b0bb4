// A parameter change the editor sends must land, in the synthesizer, on the byte its dump
// carries: every SysEx control of the shipped layout is sent to the simulator and the byte it
// changed compared with the one the dump writer fills from the parameter.

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

using layout_check::Control;
using protocol_test::FakeParameters;
using Bytes = std::vector<unsigned char>;

// The row of the sound dump that carries a parameter (part 0), directly or as an effect view.
const sound_dump::ByteRule* rowOf(int param) {
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules()) {
    if (std::find(std::begin(row.params), std::end(row.params), param) != std::end(row.params) ||
        std::find(std::begin(row.views), std::end(row.views), param) != std::end(row.views))
      return &row;
  }
  return nullptr;
}

// Bytes whose value the control action packs from several parameters, as the dump does.
bool packed(const sound_dump::ByteRule& row) {
  using sound_dump::Rule;
  return row.rule == Rule::kUnison || row.rule == Rule::kEnvelopeMode ||
         row.rule == Rule::kArpStep || row.rule == Rule::kArpTiming;
}

void send(corvane_sim::Simulator& sim, const std::vector<int>& message) {
  Bytes framed{0xF0};
  for (int b : message) framed.push_back(static_cast<unsigned char>(b));
  framed.push_back(0xF7);
  sim.receive(framed.data(), framed.size(), corvane_sim::Clock::now());
}

template <class Record>
Bytes toBytes(const Record& r) {
  return Bytes(r.begin(), r.end());
}

// The message the control sends for `value`: its precomputed table entry, with the device id.
std::vector<int> messageFor(UIConfigManager& config, const Control& c, int value) {
  std::string text;
  EXPECT_TRUE(config.getSysexTemplate(c.intAttr("sysexIndex", -1), text));
  const std::vector<int> bounds = c.list("valueBounds");
  const int count = bounds[2] - bounds[1] + 1;
  const int zero = c.type.find("Slider") != std::string::npos ? c.intAttr("msgZeroVal") : 0;
  ControlActionSysExMessage table;
  EXPECT_TRUE(config.calculateSysexWithChangingByte(text, c.intAttr("changingByte"), count, &table,
                                                    bounds[1] + zero, c.part));
  table.firstValue = bounds[1];
  std::vector<int> message;
  EXPECT_TRUE(table.messageFor(value, message)) << c.where();
  message[2] = 0;  // the device id in use
  return message;
}

// Sends the change the control makes for `value` to a fresh simulator: the record `read` takes
// must differ from before only in byte `offset`, now `expected`. A byte packed from several
// settings travels packed, as the dump has it.
template <class Read>
void expectLands(UIConfigManager& config, const Control& c, int value, int offset, int expected,
                 bool packedByte, Read read) {
  std::vector<int> message = messageFor(config, c, value);
  if (packedByte) message[7] = expected;
  corvane_sim::Simulator sim(0);
  Bytes before = read(sim);
  before[offset] = static_cast<unsigned char>(expected);
  send(sim, message);
  EXPECT_EQ(read(sim), before) << c.where() << " with value " << value << " should set byte "
                               << offset << " to " << expected;
}

// Sound controls of the first and a later part panel and those outside them, at their lowest
// and highest value.
TEST(SoundChanges, LandOnTheByteTheSoundDumpCarries) {
  const layout_check::Layout& layout = layout_check::shippedLayout();
  UIConfigManager& config = const_cast<UIConfigManager&>(layout.config());
  int sent = 0;
  for (const Control& c : layout.controls()) {
    if (c.attr("changingByte").empty() || c.index < 0 || c.index >= kMultiPartBank) continue;
    if (c.part != -1 && c.part != 0 && c.part != 9) continue;
    const int part = std::max(c.part, 0);
    const sound_dump::ByteRule* row = rowOf(c.index - part);
    ASSERT_NE(row, nullptr) << c.where();
    const bool view = std::count(std::begin(row->views), std::end(row->views), c.index - part);
    for (int value : {c.list("valueBounds")[1], c.list("valueBounds")[2]}) {
      FakeParameters params;
      params.values[c.index] = value;
      // An effect type's setting reaches the dump through the positional parameter.
      if (view) params.values[row->params[0] + part] = value;
      EXPECT_EQ(messageFor(config, c, value)[4], part) << c.where();
      expectLands(config, c, value, row->offset, sound_dump::encodeByte(*row, params, part),
                  packed(*row),
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

// Every setting the Multi and the Global dump carry (the bytes a parameter moves from 0 to 1)
// has a control whose change lands there; a flag byte of a part record packs several switches.
TEST(SoundChanges, MultiAndGlobalChangesLandOnTheByteTheirDumpCarries) {
  const layout_check::Layout& layout = layout_check::shippedLayout();
  UIConfigManager& config = const_cast<UIConfigManager&>(layout.config());
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
    const int inRecord = (offsets[0] - multi_dump::kRecordBase) % multi_dump::kRecordSize;
    const bool flags =
        multi && offsets[0] >= multi_dump::kRecordBase && inRecord >= 12 && inRecord <= 13;
    int sends = 0;
    for (const Control* c : layout.controlsOf(param)) {
      if (c->attr("changingByte").empty()) continue;
      ++sends;
      const std::vector<int> bounds = c->list("valueBounds");
      for (int value : {bounds[1], bounds[2] - (c->type == "seMenu" ? 1 : 0)}) {
        FakeParameters at;
        at.values[param] = value;
        expectLands(config, *c, value, offsets[0], dumpOf(multi, at)[offsets[0]], flags,
                    [&](corvane_sim::Simulator& sim) {
                      return multi ? toBytes(sim.multiEditBuffer()) : toBytes(sim.globalRecord());
                    });
      }
    }
    EXPECT_GT(sends, 0) << "parameter " << param << " has no control that sends it";
  }
  EXPECT_GT(carried, 16 * 21);
}

}  // namespace

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
#include "tools/layoutgen/tables/SysExTable.h"

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

template <size_t N>
std::vector<int> changedBytes(const std::array<unsigned char, N>& before,
                              const std::array<unsigned char, N>& after) {
  std::vector<int> offsets;
  for (size_t i = 0; i < N; ++i)
    if (before[i] != after[i]) offsets.push_back(static_cast<int>(i));
  return offsets;
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

class SoundChanges : public testing::Test {
 protected:
  static void SetUpTestSuite() { sLayout = layout_check::Layout::shipped(BUILT_BUNDLE).release(); }
  static void TearDownTestSuite() {
    delete sLayout;
    sLayout = nullptr;
  }
  static layout_check::Layout* sLayout;
};

layout_check::Layout* SoundChanges::sLayout = nullptr;

TEST_F(SoundChanges, LandOnTheByteTheSoundDumpCarries) {
  UIConfigManager& config = const_cast<UIConfigManager&>(sLayout->config());
  int sent = 0;
  for (const Control& c : sLayout->controls()) {
    if (c.attr("changingByte").empty() || c.index < 0 || c.index >= kMultiPartBank) continue;
    // The first and a later part panel, and the controls outside them.
    if (c.part != -1 && c.part != 0 && c.part != 9) continue;
    const int part = std::max(c.part, 0);
    const sound_dump::ByteRule* row = rowOf(c.index - part);
    ASSERT_NE(row, nullptr) << c.where();
    const std::vector<int> bounds = c.list("valueBounds");
    for (int value : {bounds[1], bounds[2]}) {
      FakeParameters params;
      params.values[c.index] = value;
      // An effect type's setting reaches the dump through the positional parameter it is
      // copied into.
      if (std::find(std::begin(row->views), std::end(row->views), c.index - part) !=
          std::end(row->views))
        params.values[row->params[0] + part] = value;
      const int expected = sound_dump::encodeByte(*row, params, part);
      std::vector<int> message = messageFor(config, c, value);
      if (packed(*row)) message[7] = expected;
      EXPECT_EQ(message[4], part) << c.where();

      corvane_sim::Simulator sim(0);
      sysex::SoundDumpBytes before = sim.soundEditBuffer(part);
      before[row->offset] = static_cast<unsigned char>(expected);
      send(sim, message);
      EXPECT_EQ(changedBytes(before, sim.soundEditBuffer(part)), std::vector<int>{})
          << c.where() << " with value " << value << " should set byte " << row->offset << " to "
          << expected;
      ++sent;
    }
  }
  EXPECT_GT(sent, 500);
}

// A Multi or Global dump as its writer fills it from the parameters; the part's bank and
// program travel in the part sounds beside them.
struct RecordDump {
  bool multi;
  Bytes operator()(const FakeParameters& params) const {
    if (!multi) {
      const sysex::GlobalDumpBytes d = global_dump::buildGlobalDump(params, 0);
      return Bytes(d.begin(), d.end());
    }
    multi_dump::PartSounds sounds;
    for (int part = 0; part < 16; ++part) {
      sounds.banks[part] = static_cast<int>(params.values[kMultiPartBank + part]);
      sounds.programs[part] = static_cast<int>(params.values[kMultiPartPatch + part]);
    }
    const sysex::MultiDumpBytes d = multi_dump::buildMultiDump(params, sounds);
    return Bytes(d.begin(), d.end());
  }
};

// The bytes of the dump a parameter moves from 0 to 1.
std::vector<int> bytesOf(const RecordDump& dump, int param) {
  FakeParameters params;
  const Bytes zero = dump(params);
  params.values[param] = 1;
  const Bytes one = dump(params);
  std::vector<int> moved;
  for (size_t i = 0; i < zero.size(); ++i)
    if (zero[i] != one[i]) moved.push_back(static_cast<int>(i));
  return moved;
}

// The simulator's copy of the record.
Bytes recordOf(const corvane_sim::Simulator& sim, bool multi) {
  if (multi) {
    const sysex::MultiDumpBytes r = sim.multiEditBuffer();
    return Bytes(r.begin(), r.end());
  }
  const sysex::GlobalDumpBytes r = sim.globalRecord();
  return Bytes(r.begin(), r.end());
}

// Parameters whose values the Multi and the Global dump carry (the Multi dump's device id is the
// Global one's).
std::vector<std::pair<int, RecordDump>> dumpParameters() {
  std::vector<std::pair<int, RecordDump>> out;
  for (int p = kMultiPartBank; p <= kMultiTempo; ++p) {
    const bool global = p >= kGlobalInitSound1 && p <= kGlobalDisplayContrast;
    if (!global && !bytesOf(RecordDump{true}, p).empty()) out.push_back({p, RecordDump{true}});
    if (global && !bytesOf(RecordDump{false}, p).empty()) out.push_back({p, RecordDump{false}});
  }
  out.push_back({kMultiPatch, RecordDump{false}});
  return out;
}

// The two flag bytes of a part record.
bool isFlagByte(const RecordDump& dump, int offset) {
  const int inRecord = (offset - multi_dump::kRecordBase) % multi_dump::kRecordSize;
  return dump.multi && offset >= multi_dump::kRecordBase && (inRecord == 12 || inRecord == 13);
}

// Every Multi and Global setting of the dumps has a control, and the change each such control
// sends at its lowest and highest value lands, in the synthesizer, on the byte the dump carries
// with the value the dump writer puts there. Flag bytes pack several switches: their change
// carries the packed byte.
TEST_F(SoundChanges, MultiAndGlobalChangesLandOnTheByteTheirDumpCarries) {
  UIConfigManager& config = const_cast<UIConfigManager&>(sLayout->config());
  const std::vector<std::pair<int, RecordDump>> carried = dumpParameters();
  EXPECT_GT(carried.size(), 16u * 21);
  for (const auto& [param, dump] : carried) {
    const std::vector<const Control*> controls = sLayout->controlsOf(param);
    const auto sends = std::count_if(controls.begin(), controls.end(), [](const Control* c) {
      return !c->attr("changingByte").empty();
    });
    EXPECT_GT(sends, 0) << "parameter " << param << " has no control that sends it";
    const std::vector<int> offsets = bytesOf(dump, param);
    ASSERT_EQ(offsets.size(), 1u) << "parameter " << param;
    for (const Control* c : controls) {
      if (c->attr("changingByte").empty()) continue;
      const std::vector<int> bounds = c->list("valueBounds");
      for (int value : {bounds[1], bounds[2] - (c->type == "seMenu" ? 1 : 0)}) {
        FakeParameters params;
        params.values[param] = value;
        const int expected = dump(params)[offsets[0]];
        std::vector<int> message = messageFor(config, *c, value);
        if (isFlagByte(dump, offsets[0])) message[7] = expected;
        corvane_sim::Simulator sim(0);
        Bytes before = recordOf(sim, dump.multi);
        send(sim, message);
        before[offsets[0]] = static_cast<unsigned char>(expected);
        EXPECT_EQ(recordOf(sim, dump.multi), before)
            << c->where() << " with value " << value << " should set byte " << offsets[0] << " to "
            << expected;
      }
    }
  }
}

// The Multi and Global entries address the simulator's records the way the dump writers fill
// them: a change of each entry's parameters moves exactly the byte its message sets.
TEST(SysExValueList, MultiAndGlobalEntriesNameTheBytesTheirDumpsCarry) {
  for (const layout_tables::SysExEntry& entry : layout_tables::sysexEntries()) {
    if (entry.type == layout_tables::kSoundChange) continue;
    const bool multi = entry.type == layout_tables::kMultiChange;
    for (int param : entry.params) {
      FakeParameters params;
      // The part's bank and program travel in the part sounds beside the parameters.
      multi_dump::PartSounds sounds;
      const auto dump = [&] {
        if (multi) {
          const sysex::MultiDumpBytes d = multi_dump::buildMultiDump(params, sounds);
          return Bytes(d.begin(), d.end());
        }
        const sysex::GlobalDumpBytes d = global_dump::buildGlobalDump(params, 0);
        return Bytes(d.begin(), d.end());
      };
      const Bytes zero = dump();
      params.values[param] = 1;
      if (param >= kMultiPartBank && param < kMultiPartBank + 16)
        sounds.banks[param - kMultiPartBank] = 1;
      if (param >= kMultiPartPatch && param < kMultiPartPatch + 16)
        sounds.programs[param - kMultiPartPatch] = 1;
      const Bytes one = dump();
      std::vector<int> moved;
      for (size_t i = 0; i < zero.size(); ++i)
        if (zero[i] != one[i]) moved.push_back(static_cast<int>(i));

      corvane_sim::Simulator sim(0);
      std::vector<int> message = UIConfigManager::convertStringSysextoVector(entry.templateText());
      message[7] = 0x55;
      const auto record = [&] {
        if (multi) {
          const sysex::MultiDumpBytes r = sim.multiEditBuffer();
          return Bytes(r.begin(), r.end());
        }
        const sysex::GlobalDumpBytes r = sim.globalRecord();
        return Bytes(r.begin(), r.end());
      };
      const Bytes before = record();
      send(sim, message);
      const Bytes after = record();
      std::vector<int> landed;
      for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) landed.push_back(static_cast<int>(i));
      EXPECT_EQ(landed, moved) << entry.templateText() << " for parameter " << param;
    }
  }
}

}  // namespace

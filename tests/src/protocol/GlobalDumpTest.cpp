#include "src/protocol/GlobalDump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/src/protocol/FakeParameters.h"

namespace global_dump {
namespace {

using protocol_test::FakeParameters;
using Bytes = std::vector<unsigned char>;

// The settings of the dump below, as the editor holds them.
FakeParameters settings() {
  FakeParameters params;
  const std::pair<int, double> values[] = {
      {kMultiPatch, 0x21},       {kGlobalMidiChannel, 3},     {kGlobalSysExID, 9},
      {kGlobalTuning, -10.7},    {kGlobalTranspose, 12},      {kGlobalControlSend, 1},
      {kGlobalReceive, 0},       {kGlobalTxProgramChange, 1}, {kGlobalClock, 3.9},
      {kGlobalVelocityCurve, 5}, {kGlobalControlW, 250},      {kGlobalControlX, 20},
      {kGlobalControlY, 21},     {kGlobalControlZ, 22},       {kGlobalLocalControl, 0}};
  for (const auto& [index, value] : values) params.values[index] = value;
  return params;
}

// Written out from the synthesizer's documented record: 16 pairs 00 k, the settings at their
// offsets (tuning + 54, transpose + 52, low 8 bits), 7F at 60 and 69, and 7F where larger dumps
// keep their checksum.
const Bytes kDump = {
    0xF0, 0x3E, 0x13, 0x07, 0x14, 0x06, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00,
    0x04, 0x00, 0x05, 0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x09, 0x00, 0x0A, 0x00, 0x0B, 0x00,
    0x0C, 0x00, 0x0D, 0x00, 0x0E, 0x00, 0x0F, 0x21, 0x01, 0x03, 0x09, 0x05, 0x2D, 0x2C, 0x40, 0x00,
    0x00, 0x01, 0x00, 0x01, 0x02, 0x03, 0x00, 0x05, 0x7F, 0x14, 0x15, 0x16, 0x7F, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F, 0xF7};

TEST(GlobalDump, TheSettingsGiveTheDocumentedBytesAndAreReadBackInOffsetOrder) {
  const FakeParameters params = settings();
  const sysex::GlobalDumpBytes dump = buildGlobalDump(params, 7);
  EXPECT_EQ(Bytes(dump.begin(), dump.end()), kDump);
  EXPECT_EQ(buildGlobalDump(params, 0x12C)[3], 0x2C) << "the low 8 bits of the id";
  EXPECT_EQ(buildGlobalDump(params, 200)[3], 0x7F) << "never a status byte";
  FakeParameters read;
  bool localControl = true;
  ASSERT_TRUE(parseGlobalDump(kDump.data(), 80, read, localControl));
  const std::vector<int> order = {
      kMultiPatch,      kGlobalMidiChannel,   kGlobalSysExID,     kGlobalTuning,
      kGlobalTranspose, kGlobalControlSend,   kGlobalReceive,     kGlobalTxProgramChange,
      kGlobalClock,     kGlobalVelocityCurve, kGlobalControlW,    kGlobalControlX,
      kGlobalControlY,  kGlobalControlZ,      kGlobalLocalControl};
  EXPECT_EQ(read.setOrder, order);
  // The settings cut to whole numbers; W limited to 127.
  const std::vector<double> values = {0x21, 3, 9, -10, 12, 1, 0, 1, 3, 5, 127, 20, 21, 22, 0};
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(read.values[order[i]], values[i]) << i;
  EXPECT_FALSE(localControl);
  Bytes on = kDump, longer = kDump, otherType = kDump;
  on[62] = 2;
  ASSERT_TRUE(parseGlobalDump(on.data(), 80, read, localControl));
  EXPECT_TRUE(localControl);
  longer.push_back(0xF7);
  otherType[4] = 0x11;
  for (const Bytes& wrong : {longer, otherType}) {
    FakeParameters untouched;
    EXPECT_FALSE(parseGlobalDump(wrong.data(), int(wrong.size()), untouched, localControl));
    EXPECT_TRUE(untouched.setOrder.empty() && localControl);
  }
}

}  // namespace
}  // namespace global_dump

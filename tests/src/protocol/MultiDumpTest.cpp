#include "src/protocol/MultiDump.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/src/protocol/FakeParameters.h"

namespace multi_dump {
namespace {

using protocol_test::FakeParameters;
using Bytes = std::vector<unsigned char>;

// Part-0 indices of the plain record fields, the two flag bytes' switches (A: bits 0, 1, 2, 6).
const int kFields[] = {6449, 6465, 6481, 6497, 6433, 6513, 6529, 6545, 6561};
const int kSwitchesA[] = {6606, 6622, 6638, 6417};
const int kSwitchesB[] = {6654, 6670, 6686, 6702, 6718, 6734};

// The record offsets are checked against the synthesizer by the layout tests; the reader, and
// the flag bytes packed, are checked here against the writer.
TEST(MultiDump, EveryPartRecordReadBack) {
  FakeParameters params;
  PartSounds sounds;
  params.values[kGlobalSysExID] = 12;
  params.values[kMultiMasterVolume] = 99;
  params.values[kMultiTempo] = 61;
  params.texts[kMultiName] = "Stage Split";
  for (int p = 0; p < 16; ++p) {
    sounds.banks[p] = p % 8;
    sounds.programs[p] = 127 - p;
    params.values[kMultiPartBank + p] = 5;  // the dump carries the plug-in's numbers instead
    for (int f : kFields) params.values[f + p] = (f / 16 + 3 * p) % 100;
    for (int s = 0; s < 4; ++s) params.values[kSwitchesA[s] + p] = (p >> s) & 1;
    for (int s = 0; s < 6; ++s) params.values[kSwitchesB[s] + p] = ((p + 5) >> (s % 4)) & 1;
  }
  const sysex::MultiDumpBytes dump = buildMultiDump(params, sounds);
  // Header, name, volume, tempo, the common bytes around them as the init Multi has them.
  // clang-format off
  const Bytes head = {0xF0, 0x3E, 0x13, 12, 0x11, 0x7F, 0, 'S', 't', 'a', 'g', 'e', ' ', 'S', 'p', 'l', 'i', 't',
                      ' ', ' ', ' ', ' ', ' ', 0, 99, 61, 1, 0, 2, 4, 11, 12, 0, 0, 0, 0, 0, 0, 0};
  // clang-format on
  EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 39), head);
  EXPECT_EQ(Bytes(dump.end() - 2, dump.end()), Bytes({0x1C, 0xF7}));
  // Bytes the reader never looks at, and a name that is kept whole and shown up to a zero.
  Bytes damaged(dump.begin(), dump.end());
  for (int p = 0; p < 16; ++p) std::fill_n(damaged.begin() + 39 + 24 * p + 14, 10, 0x55);
  const char raw[] = "Split\0Pad\x01 Lead ";
  std::copy(raw, raw + 16, damaged.begin() + 7);
  FakeParameters target;
  ParsedMulti parsed;
  ASSERT_TRUE(parseMultiDump(damaged.data(), 425, target, parsed));
  EXPECT_EQ(parsed.name, std::string(raw, 16));
  EXPECT_EQ(target.texts[kMultiName], "Split");
  EXPECT_EQ(target.values[kMultiTempo], 61);
  for (int p = 0; p < 16; ++p) {
    EXPECT_EQ(std::make_pair(parsed.sounds.banks[p], parsed.sounds.programs[p]),
              std::make_pair(sounds.banks[p], sounds.programs[p]));
    EXPECT_EQ(target.values[kMultiPartBank + p], sounds.banks[p]);
    EXPECT_EQ(target.values[kMultiPartPatch + p], sounds.programs[p]);
    for (int f : kFields) EXPECT_EQ(target.values[f + p], params.values[f + p]) << p;
    for (int s : kSwitchesA) EXPECT_EQ(target.values[s + p], params.values[s + p]) << p;
    for (int s : kSwitchesB) EXPECT_EQ(target.values[s + p], params.values[s + p]) << p;
  }
}

TEST(MultiDumpWriter, OffsetsAndLimits) {
  FakeParameters params;
  PartSounds sounds;
  params.values[kMultiPartTranspose + 2] = 48;
  params.values[kMultiPartVeloLow + 2] = 0;
  params.values[kMultiPartVeloHigh + 2] = 126;
  params.values[kMultiPartLevel + 3] = 500;  // out of range: limited, never a status byte
  params.values[kMultiPartDetune + 3] = -4;
  sounds.programs[3] = 200;
  params.texts[kMultiName] = "Multi\x01\xE9name that runs on";
  const sysex::MultiDumpBytes dump = buildMultiDump(params, sounds);
  EXPECT_EQ(Bytes({dump[39 + 48 + 5], dump[39 + 48 + 10], dump[39 + 48 + 11], dump[39 + 72 + 2],
                   dump[39 + 72 + 6], dump[39 + 72 + 1]}),
            Bytes({64, 1, 127, 127, 0, 127}));
  EXPECT_EQ(std::string(dump.begin() + 7, dump.begin() + 23), "Multi??name that");
  for (int i = 1; i < 424; ++i) ASSERT_LT(dump[i], 0x80) << i;
}

TEST(MultiFlagBytes, UnpackAsTheSynthesizerSendsThem) {
  // Byte, then receive MIDI, USB, local, status (A) or the six switches (B).
  const std::pair<int, std::vector<int>> a[] = {{0x41, {0, 1, 1, 0}}, {0x09, {1, 1, 1, 1}},
                                                {0x07, {0, 0, 0, 1}}, {0x4F, {1, 1, 1, 0}},
                                                {0x40, {1, 1, 1, 0}}, {0x3F, {1, 1, 1, 1}}};
  const std::pair<int, std::vector<int>> b[] = {
      {0x15, {0, 1, 0, 1, 0, 1}}, {0x00, {1, 1, 1, 1, 1, 1}}, {0x40, {1, 1, 1, 1, 0, 0}}};
  for (const auto& [byte, bits] : a) {
    FakeParameters params;
    unpackFlagByteA(byte, 6, params);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(params.values[kSwitchesA[s] + 6], bits[s]) << byte;
  }
  for (const auto& [byte, bits] : b) {
    FakeParameters params;
    unpackFlagByteB(byte, 15, params);
    for (int s = 0; s < 6; ++s) EXPECT_EQ(params.values[kSwitchesB[s] + 15], bits[s]) << byte;
  }
}

}  // namespace
}  // namespace multi_dump

#include "src/protocol/MultiDump.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/src/protocol/FakeParameters.h"

namespace multi_dump {
namespace {

using protocol_test::FakeParameters;

// Part-0 index, record byte and offset of the plain record fields, numbered independently.
struct Field {
  int index, byte, add;
};
const Field kFields[] = {{6449, 2, 0}, {6465, 3, 0}, {6481, 5, 16}, {6497, 6, 0}, {6433, 7, 0},
                         {6513, 8, 0}, {6529, 9, 0}, {6545, 10, 1}, {6561, 11, 1}};
const int kSwitchesA[] = {6606, 6622, 6638, 6417};  // bits 0, 1, 2, 6
const int kSwitchesB[] = {6654, 6670, 6686, 6702, 6718, 6734};

void fillParts(FakeParameters& params, PartSounds& sounds) {
  params.values[kGlobalSysExID] = 12;
  params.values[kMultiMasterVolume] = 99;
  params.values[kMultiTempo] = 61;
  params.texts[kMultiName] = "Stage Split";
  for (int p = 0; p < 16; ++p) {
    sounds.banks[p] = p % 8;
    sounds.programs[p] = 127 - p;
    params.values[kMultiPartBank + p] = 5;  // the dump carries the plug-in's numbers instead
    params.values[kMultiPartPatch + p] = 6;
    for (const Field& f : kFields) params.values[f.index + p] = (f.index / 16 + 3 * p) % 100;
    for (int s = 0; s < 4; ++s) params.values[kSwitchesA[s] + p] = (p >> s) & 1;
    for (int s = 0; s < 6; ++s) params.values[kSwitchesB[s] + p] = ((p + 5) >> (s % 4)) & 1;
  }
}

TEST(MultiDump, EveryPartRecordWrittenAndReadBack) {
  FakeParameters params;
  PartSounds sounds;
  fillParts(params, sounds);
  const sysex::MultiDumpBytes dump = buildMultiDump(params, sounds);
  EXPECT_EQ(dump[3], 12);
  EXPECT_EQ(dump[5], 0x7F);
  EXPECT_EQ(std::string(dump.begin() + 7, dump.begin() + 23), "Stage Split     ");
  EXPECT_EQ(dump[24], 99);
  EXPECT_EQ(dump[25], 61);
  for (int p = 0; p < 16; ++p) {
    const int base = 39 + 24 * p;
    EXPECT_EQ(dump[base], p % 8);
    EXPECT_EQ(dump[base + 1], 127 - p);
    for (const Field& f : kFields)
      EXPECT_EQ(dump[base + f.byte], params.values[f.index + p] + f.add) << "part " << p;
    int a = 0;
    for (int s = 0; s < 4; ++s)
      if (params.values[kSwitchesA[s] + p] != 1) a |= 1 << (s == 3 ? 6 : s);
    EXPECT_EQ(dump[base + 12], a) << "part " << p;
    int b = 0;
    for (int s = 0; s < 6; ++s)
      if (params.values[kSwitchesB[s] + p] != 1) b |= 1 << s;
    EXPECT_EQ(dump[base + 13], b) << "part " << p;
    // Template bytes of the record stay.
    EXPECT_EQ(dump[base + 4], 0x00);
    EXPECT_EQ(dump[base + 14], 0x01);
    EXPECT_EQ(dump[base + 15], 0x3F);
    for (int i = 16; i < 24; ++i) EXPECT_EQ(dump[base + i], 0x00);
  }
  const unsigned char common[] = {0x00, 0x01, 0x00, 0x02, 0x04, 0x0B, 0x0C};
  EXPECT_EQ(dump[23], common[0]);
  for (int i = 1; i < 7; ++i) EXPECT_EQ(dump[25 + i], common[i]);
  for (int i = 32; i <= 38; ++i) EXPECT_EQ(dump[i], 0x00);
  EXPECT_EQ(dump[423], 0x1C);
  EXPECT_EQ(dump[424], 0xF7);
  // Read back, the record gives every value again.
  FakeParameters target;
  ParsedMulti parsed;
  ASSERT_TRUE(parseMultiDump(dump.data(), 425, target, parsed));
  EXPECT_EQ(parsed.name, "Stage Split     ");
  EXPECT_EQ(target.texts[kMultiName], "Stage Split     ");
  EXPECT_EQ(target.values[kMultiMasterVolume], 99);
  EXPECT_EQ(target.values[kMultiTempo], 61);
  for (int p = 0; p < 16; ++p) {
    EXPECT_EQ(parsed.sounds.banks[p], sounds.banks[p]);
    EXPECT_EQ(parsed.sounds.programs[p], sounds.programs[p]);
    EXPECT_EQ(target.values[kMultiPartBank + p], sounds.banks[p]);
    EXPECT_EQ(target.values[kMultiPartPatch + p], sounds.programs[p]);
    for (const Field& f : kFields)
      EXPECT_EQ(target.values[f.index + p], params.values[f.index + p]);
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
  EXPECT_EQ(dump[39 + 48 + 5], 64);
  EXPECT_EQ(dump[39 + 48 + 10], 1);
  EXPECT_EQ(dump[39 + 48 + 11], 127);
  EXPECT_EQ(dump[39 + 72 + 2], 127);
  EXPECT_EQ(dump[39 + 72 + 6], 0);
  EXPECT_EQ(dump[39 + 72 + 1], 127);
  EXPECT_EQ(std::string(dump.begin() + 7, dump.begin() + 23), "Multi??name that");
  for (int i = 1; i < 424; ++i) ASSERT_LT(dump[i], 0x80) << i;
}

TEST(MultiDumpReader, SetsEachRecordFieldOnceInOffsetOrder) {
  sysex::MultiDumpBytes dump = sysex::multiSendTemplate();
  for (int p = 0; p < 16; ++p) {
    const int base = 39 + 24 * p;
    dump[base + 12] = 0x00;  // flag bytes that clear nothing: one set per switch
    dump[base + 13] = 0x00;
    for (int i = 14; i < 24; ++i) dump[base + i] = 0x55;  // never read
  }
  for (int i = 23; i <= 38; ++i)
    if (i != 24 && i != 25) dump[i] = 0x66;  // never read either
  FakeParameters params;
  ParsedMulti parsed;
  ASSERT_TRUE(parseMultiDump(dump.data(), 425, params, parsed));

  std::vector<int> expected = {6750, 6751};  // master volume, tempo
  for (int p = 0; p < 16; ++p) {
    for (int index : {6385, 6401, 6449, 6465, 6481, 6497, 6433, 6513, 6529, 6545, 6561})
      expected.push_back(index + p);
    for (int index : {6417, 6606, 6622, 6638}) expected.push_back(index + p);
    for (int index : kSwitchesB) expected.push_back(index + p);
  }
  EXPECT_EQ(params.setOrder, expected);
}

TEST(MultiDumpReader, NamesAreKeptWholeAndShownUpToAZero) {
  FakeParameters params;
  ParsedMulti parsed;
  sysex::MultiDumpBytes dump = sysex::multiSendTemplate();
  const char raw[] = "Split\0Pad\x01 Lead ";
  std::copy(raw, raw + 16, dump.begin() + 7);
  ASSERT_TRUE(parseMultiDump(dump.data(), 425, params, parsed));
  EXPECT_EQ(parsed.name, std::string(raw, 16));
  EXPECT_EQ(params.texts[kMultiName], "Split");
}

TEST(MultiFlagBytes, UnpackAsTheSynthesizerSendsThem) {
  struct Case {
    int value;
    int expected[4];  // receive MIDI, USB, local, status
  };
  for (const Case& c :
       {Case{0x41, {0, 1, 1, 0}}, Case{0x09, {1, 1, 1, 1}}, Case{0x07, {0, 0, 0, 1}},
        Case{0x00, {1, 1, 1, 1}}, Case{0x4F, {1, 1, 1, 0}}}) {
    FakeParameters params;
    unpackFlagByteA(c.value, 6, params);
    for (int s = 0; s < 4; ++s)
      EXPECT_EQ(params.values[kSwitchesA[s] + 6], c.expected[s]) << "A " << c.value << " bit " << s;
  }
  struct CaseB {
    int value;
    int expected[6];
  };
  for (const CaseB& c : {CaseB{0x3F, {0, 0, 0, 0, 0, 0}}, CaseB{0x15, {0, 1, 0, 1, 0, 1}},
                         CaseB{0x00, {1, 1, 1, 1, 1, 1}}, CaseB{0x40, {1, 1, 1, 1, 0, 0}},
                         CaseB{0x7F, {1, 1, 1, 1, 0, 0}}}) {
    FakeParameters params;
    unpackFlagByteB(c.value, 15, params);
    for (int s = 0; s < 6; ++s)
      EXPECT_EQ(params.values[kSwitchesB[s] + 15], c.expected[s])
          << "B " << c.value << " bit " << s;
  }
}

TEST(MultiFlagBytes, PackSetsABitForEverySwitchNotOn) {
  FakeParameters params;
  for (int s : kSwitchesA) params.values[s + 1] = 1;
  EXPECT_EQ(packFlagByteA(params, 1), 0x00);
  params.values[kReceiveUSB + 1] = 0;
  params.values[kMultiPartStatus + 1] = 0.4;  // cut toward zero: off
  EXPECT_EQ(packFlagByteA(params, 1), 0x42);
  params.values[kReceiveUSB + 1] = 1.7;  // cut to 1: on
  EXPECT_EQ(packFlagByteA(params, 1), 0x40);
  EXPECT_EQ(packFlagByteB(params, 1), 0x3F);
}

}  // namespace
}  // namespace multi_dump

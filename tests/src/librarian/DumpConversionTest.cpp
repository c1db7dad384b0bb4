#include <gtest/gtest.h>

#include "BankFixtures.h"
#include "src/librarian/PatchLibrarian.h"

using fixtures::Bytes;

namespace {

PatchSysexMessage blankDump() {
  PatchSysexMessage dump;
  dump.bytes = fixtures::soundDump("older", 0, 0, 0, 0, 0, 0x10);
  return dump;
}

}  // namespace

TEST(DumpConversion, EveryLengthComesOutAsAClosedSoundDump) {
  for (size_t length : {10u, 391u, 393u}) {
    SCOPED_TRACE(length);
    for (auto routine :
         {&PatchLibrarian::alterPatchFromVelaFormat, &PatchLibrarian::alterPatchFromNimbraFormat}) {
      PatchSysexMessage dump = blankDump();
      dump.bytes.resize(length, 0x55);
      if (length > 15) dump.bytes[14] = dump.bytes[15] = 0x7F;  // 127 + 1 stays in 7 bits
      routine(&dump);
      ASSERT_EQ(dump.bytes.size(), 392u);
      EXPECT_EQ(dump.bytes.front(), 0xF0);
      EXPECT_EQ(dump.bytes.back(), 0xF7);
      for (size_t i = 1; i + 1 < dump.bytes.size(); ++i) ASSERT_LT(dump.bytes[i], 0x80) << i;
    }
  }
}

TEST(DumpConversion, CategoryTextsBecomeNumbers) {
  const std::pair<const char*, uint8_t> cases[] = {
      {"Arp ", 1}, {"FX  ", 5}, {"Pad ", 9}, {"Seq ", 12}, {"PAD ", 0}, {"Init", 0}, {"Pad.", 0}};
  for (const auto& c : cases) {
    PatchSysexMessage dump = blankDump();
    std::copy(c.first, c.first + 4, dump.bytes.begin() + 386);
    PatchLibrarian::alterCategoryFormatToInt(&dump);
    EXPECT_EQ(Bytes(dump.bytes.begin() + 386, dump.bytes.begin() + 390), Bytes({c.second, 0, 0, 0}))
        << c.first;
  }
}

// One row per rule of the two conversion tables: what a value at an offset becomes. The Vela
// layout has one byte more from 252 on, so from there each byte comes from the next offset. Both
// ends of every range of values a rule names are rows too.
TEST(DumpConversion, EachRuleOfTheTables) {
  const struct {
    bool vela;
    int offset, value, expected;
  } cases[] = {
      {false, 17, 12, 15}, {false, 289, 11, 16}, {false, 130, 10, 11}, {false, 33, 13, 13},
      {false, 19, 99, 0},  {false, 109, 5, 0},   {false, 76, 0, 64},   {false, 151, 7, 6},
      {false, 151, 9, 0},  {false, 151, 8, 8},   {false, 252, 24, 0},  {false, 313, 24, 0},
      {false, 269, 31, 0}, {false, 290, 30, 30}, {false, 293, 54, 0},  {false, 314, 53, 53},
      {false, 18, 12, 12}, {true, 13, 5, 0},     {true, 29, 8, 42},    {true, 45, 4, 4},
      {true, 15, 3, 4},    {true, 84, 17, 1},    {true, 104, 16, 16},  {true, 124, 0, 1},
      {true, 124, 3, 0},   {true, 135, 5, 4},    {true, 135, 8, 0},    {true, 135, 3, 3},
      {true, 151, 4, 7},   {true, 151, 9, 0},    {true, 151, 33, 10},  {true, 151, 8, 8},
      {true, 252, 20, 0},  {true, 314, 21, 20},  {true, 253, 31, 0},   {true, 313, 43, 31},
      {true, 300, 50, 50}, {true, 389, 9, 9},    {true, 251, 9, 9},    {true, 253, 42, 0},
      {true, 253, 30, 30}, {true, 313, 44, 32},  {true, 252, 19, 19},  {true, 13, 7, 0},
      {true, 29, 6, 0},    {true, 135, 4, 0},    {true, 135, 7, 6},    {true, 151, 5, 4},
      {true, 151, 7, 6},   {true, 151, 32, 9},   {true, 151, 31, 31},  {true, 151, 34, 34},
      {false, 151, 6, 6},  {false, 151, 10, 0},  {false, 292, 23, 23},
  };
  for (const auto& c : cases) {
    PatchSysexMessage dump = blankDump();
    const int from = c.vela && c.offset >= 252 ? c.offset + 1 : c.offset;
    dump.bytes[from] = (uint8_t)c.value;
    if (c.vela && c.offset < 252) dump.bytes[c.offset + 3] = 42;  // what 13, 29, 45 take from
    c.vela ? PatchLibrarian::alterPatchFromVelaFormat(&dump)
           : PatchLibrarian::alterPatchFromNimbraFormat(&dump);
    EXPECT_EQ(dump.bytes[c.offset], c.expected)
        << (c.vela ? "Vela " : "Nimbra ") << c.offset << " " << c.value;
  }
}

// Every waveform offset of the middle model's layout turns waveform 12 into 15.
TEST(DumpConversion, EveryWaveformOffsetIsConverted) {
  for (int offset :
       {17, 33, 49, 57, 96, 101, 116, 121, 130, 268, 271, 274, 277, 280, 283, 286, 289}) {
    PatchSysexMessage dump = blankDump();
    dump.bytes[offset] = 12;
    PatchLibrarian::alterPatchFromNimbraFormat(&dump);
    EXPECT_EQ(dump.bytes[offset], 15) << offset;
  }
}

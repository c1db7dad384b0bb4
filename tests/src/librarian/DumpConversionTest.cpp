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

uint8_t nimbra(int offset, uint8_t value) {
  PatchSysexMessage dump = blankDump();
  dump.bytes[offset] = value;
  PatchLibrarian::alterPatchFromNimbraFormat(&dump);
  return dump.bytes[offset];
}

// Runs the Vela routine with `value` at `offset` and returns the byte at `read`.
uint8_t vela(int offset, uint8_t value, int read) {
  PatchSysexMessage dump = blankDump();
  dump.bytes[offset] = value;
  PatchLibrarian::alterPatchFromVelaFormat(&dump);
  return dump.bytes[read];
}

}  // namespace

TEST(DumpConversion, NimbraWaveformsAndClearedBytes) {
  EXPECT_EQ(nimbra(17, 12), 15);
  EXPECT_EQ(nimbra(17, 11), 16);
  EXPECT_EQ(nimbra(17, 10), 11);  // mapped once, not again to 16
  EXPECT_EQ(nimbra(17, 13), 13);
  EXPECT_EQ(nimbra(289, 12), 15);
  EXPECT_EQ(nimbra(21, 99), 0);
  EXPECT_EQ(nimbra(109, 5), 0);
  EXPECT_EQ(nimbra(76, 3), 64);
  EXPECT_EQ(nimbra(151, 7), 6);
  EXPECT_EQ(nimbra(151, 9), 0);
  EXPECT_EQ(nimbra(151, 8), 8);
  EXPECT_EQ(nimbra(253, 24), 0);
  EXPECT_EQ(nimbra(254, 24), 24);
  EXPECT_EQ(nimbra(269, 31), 0);
  EXPECT_EQ(nimbra(269, 30), 30);
  EXPECT_EQ(nimbra(314, 54), 0);
  EXPECT_EQ(nimbra(314, 53), 53);
  EXPECT_EQ(nimbra(18, 12), 12);  // an offset of no rule
}

TEST(DumpConversion, VelaMovesTheTailDownWithItsMaps) {
  EXPECT_EQ(vela(270, 40, 269), 39);
  EXPECT_EQ(vela(270, 20, 269), 0);
  EXPECT_EQ(vela(270, 19, 269), 19);
  EXPECT_EQ(vela(254, 35, 253), 0);
  EXPECT_EQ(vela(254, 50, 253), 38);
  EXPECT_EQ(vela(331, 77, 330), 77);  // plain move
  EXPECT_EQ(vela(300, 40, 299), 39);  // R20 on the way
  EXPECT_EQ(vela(13, 6, 13), 0);
  EXPECT_EQ(vela(13, 3, 13), 3);
  EXPECT_EQ(vela(15, 4, 15), 5);
  EXPECT_EQ(vela(84, 17, 84), 1);
  EXPECT_EQ(vela(124, 0, 124), 1);
  EXPECT_EQ(vela(124, 5, 124), 0);
  EXPECT_EQ(vela(135, 6, 135), 5);
  EXPECT_EQ(vela(135, 4, 135), 0);
  EXPECT_EQ(vela(151, 4, 151), 7);
  EXPECT_EQ(vela(151, 33, 151), 10);
  EXPECT_EQ(vela(151, 9, 151), 0);
  // 8 or more at 13 takes the value three places on, as it stood before.
  PatchSysexMessage dump = blankDump();
  dump.bytes[13] = 9;
  dump.bytes[16] = 42;
  PatchLibrarian::alterPatchFromVelaFormat(&dump);
  EXPECT_EQ(dump.bytes[13], 42);
}

TEST(DumpConversion, EveryLengthComesOutAsAClosedSoundDump) {
  for (size_t length : {10u, 200u, 391u, 392u, 393u, 400u}) {
    SCOPED_TRACE(length);
    for (auto routine :
         {&PatchLibrarian::alterPatchFromVelaFormat, &PatchLibrarian::alterPatchFromNimbraFormat}) {
      PatchSysexMessage dump = blankDump();
      dump.bytes.resize(length, 0x55);
      dump.bytes[14] = 0x7F;  // 127 + 1 must not leave the 7-bit range
      dump.bytes[15] = 0x7F;
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

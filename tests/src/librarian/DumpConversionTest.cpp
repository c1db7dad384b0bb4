#include <gtest/gtest.h>

#include <set>

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

}  // namespace

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

namespace {

bool in(const std::set<int>& offsets, int i) {
  return offsets.count(i) != 0;
}

// The Nimbra table row by row: what offset i makes of the value v.
int nimbraExpected(int i, int v) {
  static const std::set<int> waveforms = {17,  33,  49,  57,  96,  101, 116, 121, 130,
                                          268, 271, 274, 277, 280, 283, 286, 289};
  static const std::set<int> cleared = {19, 20, 21, 22, 23, 35, 36, 37, 38, 39, 55, 89, 109};
  static const std::set<int> no24 = {252, 253, 256, 257, 260, 261, 264, 265,
                                     292, 295, 298, 301, 304, 307, 310, 313};
  static const std::set<int> below31 = {269, 272, 275, 278, 281, 284, 287, 290};
  static const std::set<int> below54 = {293, 296, 299, 302, 305, 308, 311, 314};
  if (in(waveforms, i)) return v == 12 ? 15 : v == 11 ? 16 : v == 10 ? 11 : v;
  if (in(cleared, i)) return 0;
  if (i == 76) return 64;
  if (i == 151) return v == 7 ? 6 : v >= 9 ? 0 : v;
  if (in(no24, i)) return v == 24 ? 0 : v;
  if (in(below31, i)) return v >= 31 ? 0 : v;
  if (in(below54, i)) return v >= 54 ? 0 : v;
  return v;
}

// The Vela table row by row: what lands at offset i when the value v stood
// where i reads from (i itself below 252, i + 1 from there on).
int velaExpected(int i, int v) {
  static const std::set<int> r20 = {252, 256, 260, 264, 269, 272, 275, 278, 281, 284,
                                    287, 290, 293, 296, 299, 302, 305, 308, 311, 314};
  static const std::set<int> r31 = {253, 257, 261, 265, 292, 295, 298, 301, 304, 307, 310, 313};
  if (i == 13 || i == 29 || i == 45) return v >= 5 && v <= 7 ? 0 : v >= 8 ? 42 : v;
  if (i == 15 || i == 31 || i == 47) return v + 1;
  if (i == 84 || i == 104) return v >= 17 ? 1 : v;
  if (i == 124) return v == 0 ? 1 : 0;
  if (i == 135) return v <= 3 ? v : v >= 5 && v <= 7 ? v - 1 : 0;
  if (i == 151)
    return v == 4 ? 7 : v >= 5 && v <= 7 ? v - 1 : v == 9 ? 0 : v == 32 || v == 33 ? v - 23 : v;
  if (in(r20, i)) return v == 20 ? 0 : v > 20 ? v - 1 : v;
  if (in(r31, i)) return v >= 31 && v <= 42 ? 0 : v >= 43 ? v - 12 : v;
  return v;
}

}  // namespace

TEST(DumpConversion, EveryOffsetOfTheNimbraTable) {
  for (int i = 7; i < 390; ++i)
    for (int v : {0, 7, 8, 9, 10, 11, 12, 13, 24, 30, 31, 53, 54, 99})
      ASSERT_EQ(nimbra(i, (uint8_t)v), nimbraExpected(i, v)) << "offset " << i << " value " << v;
}

TEST(DumpConversion, EveryOffsetOfTheVelaTable) {
  for (int i = 1; i < 390; ++i) {
    const int from = i < 252 ? i : i + 1;
    for (int v : {0, 3, 4, 5, 6, 8, 9, 16, 17, 19, 20, 21, 30, 31, 32, 33, 42, 43, 50}) {
      PatchSysexMessage dump = blankDump();
      dump.bytes[from] = (uint8_t)v;
      if (i < 252) dump.bytes[i + 3] = 42;  // what 13, 29 and 45 take from three places on
      PatchLibrarian::alterPatchFromVelaFormat(&dump);
      ASSERT_EQ(dump.bytes[i], velaExpected(i, v)) << "offset " << i << " value " << v;
    }
  }
}

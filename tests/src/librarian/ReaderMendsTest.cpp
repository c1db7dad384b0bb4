#include <gtest/gtest.h>

#include "BankLoading.h"

using fixtures::Bytes;

// Stray bytes between dumps change no stored number: the dumps are numbered by their slots.
TEST(ReaderMends, ProgramBytesFollowTheSlotsWhateverLiesBetweenDumps) {
  const Bytes older = fixtures::soundDump("older", 0, 1, 0, 0, 0, 0x10);
  const Bytes refused = {0x3E, 0x13, 0x7F, 0x3E, 0x55};  // device 7F, then another model
  const struct {
    const char* what;
    Bytes between;
  } cases[] = {{"an older model's dump", older}, {"refused headers", refused}, {"nothing", {}}};
  for (const auto& c : cases) {
    Bytes file = fixtures::soundDump("a", 0, 2, 0, 3, 9);
    file.insert(file.end(), c.between.begin(), c.between.end());
    const Bytes second = fixtures::soundDump("b", 0, 3, 0, 3, 50);
    file.insert(file.end(), second.begin(), second.end());
    const PatchFile bank = fixtures::load(file);
    ASSERT_EQ(bank.records.size(), 128u) << c.what;
    EXPECT_EQ(bank.records[0].messages[0].bytes[6], 0) << c.what;
    EXPECT_EQ(bank.records[1].messages[0].bytes[6], 1) << c.what;
    EXPECT_EQ(bank.records[1].messages[0].bytes, [&] {
      Bytes want = second;
      want[5] = 0;
      want[6] = 1;
      return want;
    }()) << c.what;
  }
}

// A negative position is no place to search from: nothing is read and nothing is found.
TEST(ReaderMends, FindByteRefusesNegativePositions) {
  ByteChunk chunk = fixtures::chunkOf({0x3E, 0x3E});
  for (int start : {-1, -2, -100}) {
    int position = start;
    EXPECT_FALSE(PatchLibrarian::findByte(&chunk, position, 0x3E)) << start;
    EXPECT_EQ(position, -1) << start;
  }
}

#include <gtest/gtest.h>

#include <string>

#include "BankLoading.h"

using fixtures::Bytes;

namespace {

// 64-bit FNV-1a: a change of any byte changes it.
uint64_t fingerprint(const Bytes& bytes) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
  return hash;
}

// The slot a one-dump bank of the given kind is padded with.
LibrarianPatch paddingOf(const Bytes& first) {
  PatchLibrarian librarian;
  PatchFile bank;
  bank.records.push_back(fixtures::slotOf(first));
  librarian.fillUncompletedBankFiles(&bank);
  EXPECT_EQ(bank.records.size(), 128u);
  return bank.records.back();
}

// The documented Multi: each part plays program k on channel byte k + 2 over the whole keyboard.
Bytes documentedInitMulti() {
  Bytes dump = {0xF0, 0x3E, 0x13, 0x00, 0x11, 0x00, 0x00};
  const std::string name = "Init Multi V1.15";
  dump.insert(dump.end(), name.begin(), name.end());
  const Bytes common = {0x00, 0x7F, 0x37, 0x01, 0x00, 0x02, 0x04, 0x0B,
                        0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  dump.insert(dump.end(), common.begin(), common.end());
  for (uint8_t k = 0; k < 16; ++k) {
    const Bytes part = {0x00,
                        k,
                        0x64,
                        0x40,
                        0x00,
                        0x40,
                        0x40,
                        uint8_t(k + 2),
                        0x00,
                        0x7F,
                        0x01,
                        0x7F,
                        uint8_t(k == 0 ? 0x07 : 0x03),
                        0x3F,
                        0x01,
                        0x3F};
    dump.insert(dump.end(), part.begin(), part.end());
    dump.insert(dump.end(), 8, 0x00);
  }
  dump.push_back(0x7F);
  dump.push_back(0xF7);
  return dump;
}

}  // namespace

// Banks are padded with the documented init dumps, byte for byte; numbered padding differs from
// the plain init sound in its name only.
TEST(InitDumps, PaddingSlotsHoldTheDocumentedInitDumps) {
  const LibrarianPatch sound = paddingOf(fixtures::soundDump("s"));
  const Bytes& init = sound.messages.at(0).bytes;
  ASSERT_EQ(init.size(), 392u);
  EXPECT_EQ(Bytes(init.begin(), init.begin() + 7), Bytes({0xF0, 0x3E, 0x13, 0x00, 0x10, 0, 0}));
  EXPECT_EQ(sound.name, "Init            ");
  EXPECT_EQ(sound.category, "Init");
  EXPECT_EQ(Bytes(init.end() - 6, init.end()), Bytes({0, 0, 0, 0, 0x7F, 0xF7}));
  // The documented table of all 392 bytes, fingerprinted.
  EXPECT_EQ(fingerprint(init), 0x71BDC7B1928362B4ull);

  const LibrarianPatch multi = paddingOf(fixtures::multiDump("m"));
  EXPECT_EQ(multi.messages.at(0).bytes, documentedInitMulti());
  EXPECT_EQ(multi.name, "Init Multi V1.15");
  EXPECT_EQ(multi.category, "");

  PatchLibrarian librarian;
  PatchFile numbered;
  numbered.records.push_back(fixtures::slotOf(fixtures::soundDump("s")));
  librarian.checkBankSizeAndAddData(&numbered);
  const struct {
    int slot;
    const char* name;
  } names[] = {{1, "Init          02"}, {98, "Init          99"}, {99, "Init         100"}};
  for (const auto& row : names) {
    Bytes expected = init;
    std::copy(row.name, row.name + 16, expected.begin() + 370);
    EXPECT_EQ(numbered.records[row.slot].messages.at(0).bytes, expected) << row.name;
    EXPECT_EQ(numbered.records[row.slot].name, row.name);
    EXPECT_EQ(numbered.records[row.slot].category, "Init");
  }
}

// A first dump cut before its type byte is of no kind: the bank is still padded, and nothing is
// read past the cut.
TEST(InitDumps, ABankWhoseFirstDumpIsCutBeforeItsTypeIsPadded) {
  for (size_t size : {4u, 5u}) {
    PatchLibrarian librarian;
    PatchFile bank;
    bank.records.emplace_back();
    const Bytes whole = fixtures::soundDump("s");
    // Exactly `size` bytes, so that a read past them shows.
    bank.records[0].messages.push_back(
        PatchSysexMessage{Bytes(whole.begin(), whole.begin() + size)});
    librarian.fillUncompletedBankFiles(&bank);
    ASSERT_EQ(bank.records.size(), 128u) << size;
    EXPECT_EQ(bank.records[127].messages.at(0).bytes.size(), size == 5 ? 392u : 425u) << size;
  }
}

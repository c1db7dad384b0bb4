#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "ScanFixture.h"

using fixtures::Bytes;

namespace {

// The dump the librarian stores for one read from a file: its own header, the file's body.
Bytes stored(const Bytes& inFile, int program) {
  Bytes dump = inFile;
  const uint8_t header[] = {0xF0, 0x3E, 0x13, 0x00, 0x10, 0x00, (uint8_t)program};
  std::copy(std::begin(header), std::end(header), dump.begin());
  return dump;
}

struct Expected {
  Bytes dump;
  std::string name, category;
};

void expectRecord(const LibrarianPatch& slot, const Expected& want, const std::string& where) {
  ASSERT_EQ(slot.messages.size(), 1u) << where;
  EXPECT_EQ(slot.messages[0].bytes, want.dump) << where;
  EXPECT_EQ(slot.name, want.name) << where;
  EXPECT_EQ(slot.category, want.category) << where;
}

}  // namespace

// Every record of a 100-bank folder, and of the category banks made from it, against what the
// files hold as worked out here from the bytes written (device, bank and program bytes vary).
TEST_F(ScanFixture, EveryRecordOfAHundredBanksIsWhatItsFileHolds) {
  const char* const categories[] = {"Init", "Arp ", "Atmo", "Bass", "Drum", "FX  ", "Keys",
                                    "Lead", "Mono", "Pad ", "Perc", "Poly", "Seq "};
  std::vector<std::vector<Expected>> banks(100);
  std::vector<Expected> byCategory[13];
  for (int b = 0; b < 100; ++b) {
    char folderName[16], fileName[32];
    std::snprintf(folderName, sizeof folderName, "Folder %d", b / 10);
    std::snprintf(fileName, sizeof fileName, "%s/Bank %03d.syx", folderName, b);
    folder(folderName);
    std::vector<Bytes> dumps;
    for (int s = 0; s < 128; ++s) {
      char name[17];
      std::snprintf(name, sizeof name, "B%03d S%03d", b, s);
      const uint8_t category = (uint8_t)((b * 7 + s) % 13);
      dumps.push_back(fixtures::soundDump(name, category, (uint8_t)(b + s), (uint8_t)(s % 0x7F),
                                          (uint8_t)(b % 8), (uint8_t)(127 - s)));
      const std::string padded =
          std::string(name) + std::string(16 - std::string(name).size(), ' ');
      banks[b].push_back({stored(dumps.back(), s), padded, categories[category]});
      byCategory[category].push_back(banks[b].back());
    }
    bank(fileName, fixtures::rawBank(dumps));
  }
  scan();

  ASSERT_EQ(librarian.soundFiles.size(), 100u);
  for (int b = 0; b < 100; ++b) {
    const PatchFile& file = *librarian.soundFiles[b];
    ASSERT_EQ(file.records.size(), 128u) << b;
    for (int s = 0; s < 128; ++s)
      expectRecord(file.records[s], banks[b][s], file.fileName + " " + std::to_string(s));
  }
  // Category banks keep the list and slot order, 128 to a bank, with the dump as stored.
  std::vector<const LibrarianPatch*> gathered[13];
  for (const PatchFile* piece : librarian.categoryFiles)
    for (const LibrarianPatch& slot : piece->records) gathered[piece->origin - 1].push_back(&slot);
  for (int c = 0; c < 13; ++c) {
    ASSERT_EQ(gathered[c].size(), byCategory[c].size()) << categories[c];
    for (size_t i = 0; i < gathered[c].size(); ++i)
      expectRecord(*gathered[c][i], byCategory[c][i], categories[c] + std::to_string(i));
  }
}

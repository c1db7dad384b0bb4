#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "BankLoading.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

LibrarianPatch slotWithCategory(int value, const std::string& before = "") {
  LibrarianPatch slot;
  slot.category = before;
  slot.messages.push_back(PatchSysexMessage{fixtures::soundDump("x")});
  slot.messages[0].bytes[386] = (uint8_t)value;
  slot.parseCategory(386);
  return slot;
}

}  // namespace

TEST(LibrarianRecords, CategoryBytesNameTheDocumentedCategories) {
  const std::pair<int, const char*> cases[] = {
      {0, "Init"}, {5, "FX  "}, {12, "Seq "}, {13, ""}, {127, ""}};
  for (const auto& [value, name] : cases) EXPECT_EQ(slotWithCategory(value).category, name);
  EXPECT_EQ(slotWithCategory(255, "Keep").category, "Keep");
  LibrarianPatch none;
  none.parseCategory(386);  // no message: nothing to read
  EXPECT_EQ(none.category, "");
}

TEST(LibrarianRecords, CloneNormalisesTypeAndModelAndCopiesRecordsDeeply) {
  PatchFile multi{2, 0, {}, "m.syx", "F", {"Patches", "F"}};
  multi.origin = 4;
  std::unique_ptr<PatchFile> copy(multi.clone());
  EXPECT_EQ(copy->type, 1);
  EXPECT_EQ(copy->sourceModel, 3);
  EXPECT_EQ(copy->fileName, "m.syx");
  EXPECT_TRUE(copy->folderName.empty() && copy->folderPath.empty() && copy->origin == 0);

  PatchFile sound;
  sound.sourceModel = 7;
  sound.records.push_back(slotWithCategory(3));
  copy = sound.clone();
  EXPECT_EQ(copy->sourceModel, 0);
  EXPECT_EQ(copy->records.at(0).messages[0].bytes, sound.records[0].messages[0].bytes);
  copy->records[0].messages[0].bytes[10] ^= 1;
  EXPECT_NE(copy->records[0].messages[0].bytes, sound.records[0].messages[0].bytes);
  sound.sourceModel = 2;
  copy = sound.clone();
  EXPECT_EQ(copy->sourceModel, 2);
  // The models a bank of each type may carry stay; any other becomes its type's own.
  const struct {
    int type, model, kept;
  } models[] = {{0, 0, 0}, {0, 1, 1}, {0, 2, 2}, {0, 3, 0}, {0, 4, 0},
                {2, 3, 3}, {2, 4, 4}, {2, 5, 5}, {2, 1, 3}, {2, 6, 3}};
  for (const auto& row : models) {
    PatchFile bank;
    bank.type = row.type;
    bank.sourceModel = row.model;
    EXPECT_EQ(bank.clone()->sourceModel, row.kept) << row.type << " " << row.model;
  }
}

TEST(LibrarianRecords, ClearDataStructuresEmptiesOnlyTheTreeNamed) {
  PatchLibrarian librarian;
  FolderTree* trees[] = {&librarian.soundFolders, &librarian.multiFolders,
                         &librarian.categoryFolders, &librarian.searchResultFolders};
  for (auto* tree : trees) tree->push_back(std::make_unique<FolderFiles>());
  for (int kind : {4, -1, 2}) librarian.clearDataStructures(kind);
  std::vector<size_t> sizes;
  for (auto* tree : trees) sizes.push_back(tree->size());
  EXPECT_EQ(sizes, (std::vector<size_t>{1, 1, 0, 1}));
}

TEST(LibrarianRecords, DrawnNamesStopAtZeroAndBlankWhatCannotBeShown) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string("Bass\0\0\0\0\0\0\0\0\0\0\0\0", 16), "Bass"},
      {std::string("\0Hidden", 7), ""},
      {"A\x01\x1F"
       "B\x7F\xC3\xA9",
       "A  B   "},
      {"", ""},
  };
  for (const auto& [stored, drawn] : cases) EXPECT_EQ(drawnName(stored), drawn) << stored;
  std::string folder = "a/b\\c//d\\";
  removeCharsFromString(folder, "/\\");
  EXPECT_EQ(folder, "abcd");
}

// Raw, a dump is written as it is; in a MIDI track it is an event: delta (0 for slot 0's first
// dump, else 500 ticks, 83 74), F0, the length after the F0, and those bytes.
TEST(LibrarianRecords, DumpsAreSavedRawOrAsTimedEvents) {
  using fixtures::Bytes;
  const Bytes dump = {0xF0, 0x3E, 0x01, 0x02, 0xF7};
  const struct {
    Bytes bytes;
    bool midi;
    int slot, index;
    Bytes written;
  } cases[] = {
      {dump, false, 3, 1, dump},
      {dump, true, 0, 0, {0x00, 0xF0, 0x04, 0x3E, 0x01, 0x02, 0xF7}},
      {dump, true, 0, 1, {0x83, 0x74, 0xF0, 0x04, 0x3E, 0x01, 0x02, 0xF7}},
      {dump, true, 1, 0, {0x83, 0x74, 0xF0, 0x04, 0x3E, 0x01, 0x02, 0xF7}},
      {{0x3E, 0xF7}, true, 0, 0, {0x00, 0xF0, 0x02, 0x3E, 0xF7}},  // no F0 of its own
      {{}, true, 0, 0, {}},
      {{}, false, 0, 0, {}},
  };
  for (const auto& c : cases) {
    ByteChunk out;
    PatchSysexMessage{c.bytes}.save(&out, c.midi, c.slot, c.index);
    EXPECT_EQ(fixtures::bytesOf(out), c.written)
        << c.midi << " slot " << c.slot << " dump " << c.index << " of " << c.bytes.size();
  }
}

// A name is the 16 bytes at its offset, or as many as the dump holds there.
TEST(LibrarianRecords, NamesAreReadAsFarAsTheDumpReaches) {
  const struct {
    size_t size;
    int offset;
    const char* name;
  } cases[] = {
      {392, 370, "x               "},
      {375, 370, "x    "},
      {370, 370, ""},
      {100, 370, ""},
  };
  for (const auto& c : cases) {
    LibrarianPatch slot;
    slot.messages.push_back(PatchSysexMessage{fixtures::soundDump("x")});
    slot.messages[0].bytes.resize(c.size);
    slot.name = "old";
    slot.parseName(c.offset);
    EXPECT_EQ(slot.name, c.name) << c.size;
  }
  LibrarianPatch none;
  none.name = "kept";
  none.parseName(370);
  EXPECT_EQ(none.name, "kept");
}

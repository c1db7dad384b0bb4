#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "BankFixtures.h"
#include "src/librarian/PatchLibrarian.h"

namespace {

LibrarianPatch slotWithCategory(uint8_t value) {
  LibrarianPatch slot;
  slot.messages.push_back(PatchSysexMessage{fixtures::soundDump("x", value)});
  slot.parseCategory(386);
  return slot;
}

}  // namespace

TEST(LibrarianRecords, CategoryTable) {
  EXPECT_EQ(slotWithCategory(0).category, "Init");
  EXPECT_EQ(slotWithCategory(5).category, "FX  ");
  EXPECT_EQ(slotWithCategory(12).category, "Seq ");
  EXPECT_EQ(slotWithCategory(13).category, "");
  EXPECT_EQ(slotWithCategory(127).category, "");
  LibrarianPatch high;
  high.category = "Keep";
  high.messages.push_back(PatchSysexMessage{fixtures::soundDump("x")});
  high.messages[0].bytes[386] = 255;
  high.parseCategory(386);
  EXPECT_EQ(high.category, "Keep");
  LibrarianPatch none;
  none.parseCategory(386);  // no message: nothing to read
  EXPECT_EQ(none.category, "");
}

TEST(LibrarianRecords, CloneNormalisesTypeAndModelAndCopiesRecords) {
  PatchFile multi;
  multi.type = 2;
  multi.sourceModel = 0;
  multi.fileName = "m.syx";
  multi.folderName = "F";
  multi.folderPath = {"Patches", "F"};
  multi.origin = 4;
  std::unique_ptr<PatchFile> copy(multi.clone());
  EXPECT_EQ(copy->type, 1);
  EXPECT_EQ(copy->sourceModel, 3);
  EXPECT_EQ(copy->fileName, "m.syx");
  EXPECT_TRUE(copy->records.empty());
  EXPECT_EQ(copy->folderName, "");
  EXPECT_TRUE(copy->folderPath.empty());
  EXPECT_EQ(copy->origin, 0);

  PatchFile sound;
  sound.sourceModel = 7;
  sound.records.push_back(slotWithCategory(3));
  copy.reset(sound.clone());
  EXPECT_EQ(copy->sourceModel, 0);
  ASSERT_EQ(copy->records.size(), 1u);
  EXPECT_EQ(copy->records[0].messages[0].bytes, sound.records[0].messages[0].bytes);
  copy->records[0].messages[0].bytes[10] ^= 1;  // a deep copy
  EXPECT_NE(copy->records[0].messages[0].bytes, sound.records[0].messages[0].bytes);
  sound.sourceModel = 2;
  copy.reset(sound.clone());
  EXPECT_EQ(copy->sourceModel, 2);
}

TEST(LibrarianRecords, RemoveCharsFromString) {
  std::string text = "a/b\\c//d\\";
  removeCharsFromString(text, "/\\");
  EXPECT_EQ(text, "abcd");
  removeCharsFromString(text, "");
  EXPECT_EQ(text, "abcd");
}

TEST(LibrarianRecords, ClearDataStructuresEmptiesOneTree) {
  PatchLibrarian librarian;
  for (auto* tree : {&librarian.soundFolders, &librarian.multiFolders, &librarian.categoryFolders,
                     &librarian.searchResultFolders})
    tree->push_back(new FolderFiles);
  librarian.clearDataStructures(4);
  librarian.clearDataStructures(-1);
  EXPECT_EQ(librarian.soundFolders.size() + librarian.multiFolders.size() +
                librarian.categoryFolders.size() + librarian.searchResultFolders.size(),
            4u);
  librarian.clearDataStructures(2);
  EXPECT_TRUE(librarian.categoryFolders.empty());
  EXPECT_EQ(librarian.searchResultFolders.size(), 1u);
  librarian.clearDataStructures(3);
  EXPECT_TRUE(librarian.searchResultFolders.empty());
}

TEST(LibrarianRecords, DrawnNamesStopAtZeroAndBlankWhatCannotBeShown) {
  const std::pair<std::string, std::string> cases[] = {
      {"Warm Pad        ", "Warm Pad        "},
      {std::string("Bass\0\0\0\0\0\0\0\0\0\0\0\0", 16), "Bass"},
      {std::string("\0Hidden", 7), ""},
      {"A\x01\x1F"
       "B\x7F\xC3\xA9",
       "A  B   "},
      {"", ""},
  };
  for (const auto& [stored, drawn] : cases) EXPECT_EQ(drawnName(stored), drawn) << stored;
}

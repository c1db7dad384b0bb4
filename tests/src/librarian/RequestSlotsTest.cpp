// A request's answer into the selected slot of the upper bank, and the slot put back.
#include <gtest/gtest.h>

#include <string>

#include "src/librarian/PatchLibrarian.h"
#include "tests/src/librarian/BankFixtures.h"

namespace {

LibrarianPatch recordOf(const fixtures::Bytes& dump, const std::string& name) {
  LibrarianPatch record;
  record.name = name;
  record.messages.push_back({dump});
  return record;
}

// A bank of `count` slots named by number, of sounds or Multis.
PatchFile* bank(int count, bool multi) {
  auto* file = new PatchFile;
  file->type = multi ? 1 : 0;
  const std::vector<fixtures::Bytes> dumps =
      multi ? fixtures::multis(count) : fixtures::sounds(count);
  for (int i = 0; i < count; ++i) file->records.push_back(recordOf(dumps[i], std::to_string(i)));
  return file;
}

TEST(RequestSlots, TheAnswerReplacesTheSelectedSlotOfAWholeBank) {
  struct Case {
    int slots;
    int selected;
  };
  const Case cases[] = {{128, 5}, {130, 127}, {100, 110}, {100, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.slots);
    PatchLibrarian librarian;
    librarian.soundFiles.push_back(bank(c.slots, false));
    librarian.selectedProgram = c.selected;
    const LibrarianPatch answer = recordOf(fixtures::soundDump("Answer", 3), "Answer");
    PatchLibrarian::SlotChange change;
    ASSERT_TRUE(librarian.setSysexDatatoSelectedSlot(&answer, &change));
    const std::vector<LibrarianPatch>& records = librarian.soundFiles[0]->records;
    ASSERT_EQ(records.size(), 128u);
    EXPECT_EQ(records[c.selected].name, "Answer");
    EXPECT_EQ(records[c.selected].messages[0].bytes, answer.messages[0].bytes);
    EXPECT_EQ(change.slot, c.selected);
    EXPECT_EQ(change.before.name, c.selected < c.slots ? std::to_string(c.selected) : "");

    ASSERT_TRUE(librarian.restoreSlot(change));
    EXPECT_EQ(records[c.selected].name, change.before.name);
    EXPECT_EQ(records[c.selected].messages.size(), change.before.messages.size());
  }
}

TEST(RequestSlots, NothingIsStoredWithoutASlotOfTheRightKind) {
  struct Case {
    const char* name;
    int type, upper, selected;
    bool multiAnswer;
  };
  const Case cases[] = {{"no bank at the index", 0, 1, 0, false},
                        {"a negative index", 0, -1, 0, false},
                        {"program 128", 0, 0, 128, false},
                        {"program -1", 0, 0, -1, false},
                        {"type 2", 2, 0, 0, false},
                        {"a Multi into sounds", 0, 0, 0, true},
                        {"a sound into Multis", 1, 0, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PatchLibrarian librarian;
    librarian.soundFiles.push_back(bank(128, false));
    librarian.multiFiles.push_back(bank(128, true));
    librarian.type = c.type;
    librarian.upperFileIndex = c.upper;
    librarian.selectedProgram = c.selected;
    const LibrarianPatch answer =
        recordOf(c.multiAnswer ? fixtures::multiDump("M") : fixtures::soundDump("S"), "Answer");
    EXPECT_FALSE(librarian.setSysexDatatoSelectedSlot(&answer));
    for (PatchFile* file : {librarian.soundFiles[0], librarian.multiFiles[0]})
      for (int slot = 0; slot < 128; ++slot)
        ASSERT_EQ(file->records[slot].name, std::to_string(slot));
  }
  PatchLibrarian librarian;
  librarian.soundFiles.push_back(bank(128, false));
  EXPECT_FALSE(librarian.setSysexDatatoSelectedSlot(nullptr));
  const LibrarianPatch empty;
  EXPECT_FALSE(librarian.setSysexDatatoSelectedSlot(&empty));
}

TEST(RequestSlots, ASlotOfABankNoLongerListedIsNotPutBack) {
  PatchLibrarian librarian;
  librarian.soundFiles.push_back(bank(128, false));
  const LibrarianPatch answer = recordOf(fixtures::soundDump("Answer"), "Answer");
  PatchLibrarian::SlotChange change;
  ASSERT_TRUE(librarian.setSysexDatatoSelectedSlot(&answer, &change));
  PatchFile elsewhere;
  PatchLibrarian::SlotChange unlisted = change;
  unlisted.file = &elsewhere;
  EXPECT_FALSE(librarian.restoreSlot(unlisted));
  PatchLibrarian::SlotChange pastTheEnd = change;
  pastTheEnd.slot = 128;
  EXPECT_FALSE(librarian.restoreSlot(pastTheEnd));
  EXPECT_FALSE(librarian.restoreSlot(PatchLibrarian::SlotChange()));
  EXPECT_EQ(librarian.soundFiles[0]->records[0].name, "Answer");
}

}  // namespace

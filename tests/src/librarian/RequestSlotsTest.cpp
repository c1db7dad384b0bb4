// A request's answer into the selected slot of the upper bank, and the slot put back.
#include <gtest/gtest.h>

#include <string>

#include "src/librarian/PatchLibrarian.h"
#include "tests/src/librarian/BankFixtures.h"

namespace {

LibrarianPatch recordOf(const fixtures::Bytes& dump) {
  return {"Answer", "", {PatchSysexMessage{dump}}};
}

std::unique_ptr<PatchFile> bank(int count, bool multi) {
  auto file = std::make_unique<PatchFile>();
  file->type = multi;
  for (const fixtures::Bytes& dump : multi ? fixtures::multis(count) : fixtures::sounds(count))
    file->records.push_back({"old", "", {PatchSysexMessage{dump}}});
  return file;
}

TEST(RequestSlots, TheSelectedSlotOfAWholeBankTakesTheAnswerAndCanBePutBack) {
  for (auto [slots, selected] : {std::pair{128, 5}, {130, 127}, {100, 110}}) {
    PatchLibrarian librarian;
    librarian.soundFiles.push_back(bank(slots, false));
    librarian.selectedProgram = selected;
    const LibrarianPatch answer = recordOf(fixtures::soundDump("Answer"));
    PatchLibrarian::SlotChange change;
    ASSERT_TRUE(librarian.setSysexDatatoSelectedSlot(&answer, &change));
    std::vector<LibrarianPatch>& records = librarian.soundFiles[0]->records;
    ASSERT_EQ(records.size(), 128u);
    EXPECT_EQ(records[selected].messages[0].bytes, answer.messages[0].bytes);
    ASSERT_TRUE(librarian.restoreSlot(change));
    EXPECT_EQ(records[selected].name, selected < slots ? "old" : "");
    PatchFile gone;
    change.file = &gone;
    EXPECT_FALSE(librarian.restoreSlot(change)) << "a bank no longer listed";
  }
}

TEST(RequestSlots, NothingIsStoredWithoutASlotOfTheAnswersKind) {
  struct Case {
    int type, upper, selected;
    bool multiAnswer;
  };
  // clang-format off
  for (const Case& c : {Case{0, 1, 0, false}, {0, -1, 0, false}, {0, 0, 128, false},
                        {0, 0, -1, false}, {2, 0, 0, false}, {0, 0, 0, true}, {1, 0, 0, false}}) {
    // clang-format on
    PatchLibrarian librarian;
    librarian.soundFiles.push_back(bank(128, false));
    librarian.multiFiles.push_back(bank(128, true));
    librarian.type = c.type;
    librarian.upperFileIndex = c.upper;
    librarian.selectedProgram = c.selected;
    const LibrarianPatch answer =
        recordOf(c.multiAnswer ? fixtures::multiDump("M") : fixtures::soundDump("S"));
    EXPECT_FALSE(librarian.setSysexDatatoSelectedSlot(&answer));
    for (PatchFile* file : {librarian.soundFiles[0], librarian.multiFiles[0]})
      for (const LibrarianPatch& slot : file->records) ASSERT_EQ(slot.name, "old");
  }
}

}  // namespace

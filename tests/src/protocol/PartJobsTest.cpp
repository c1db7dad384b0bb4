// A part's sound sent and asked for, as the displays and the synthesizer see it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

// A part sent alone shows its name and category in the part's name slots, and in the top
// displays when it is the current part; sent with the Multi, it shows nothing. An empty name or
// an unknown category reads "Set Name".
TEST(PartSend, TheNameAndCategoryShowWhereThePartIs) {
  const struct {
    int part;
    bool withMulti;
    const char* name;
    int category;
    const char* slotName;
    const char* slotCategory;
    bool topDisplays;
  } rows[] = {{5, false, "Warm Pad", 9, "Warm Pad", "Pad", true},
              {6, false, "Bass", 1, "Bass", "Arp", false},
              {15, false, "", 13, "Set Name", "Set Name", false},
              {0, false, "Lead", 0, "Lead", "Init", false},
              {5, true, "Warm Pad", 9, nullptr, nullptr, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.part);
    Engine e;
    e.plugin.part = 5;
    e.plugin.withMulti = row.withMulti;
    e.plugin.names[kPatchName + row.part] = row.name;
    e.plugin.values[kCategoryName + row.part] = row.category;
    ASSERT_TRUE(e.run(job(kSendPartToDevice, row.part)));
    ASSERT_EQ(e.plugin.sent.size(), 1u);
    EXPECT_EQ(e.plugin.sent[0][6], row.part);
    EXPECT_EQ(e.clock->pauses, std::vector<int>{150}) << "the synthesizer takes the sound in";
    const auto slot = [&](int n) {
      return e.plugin.nameSlots.count(n) ? e.plugin.nameSlots[n] : std::string("(none)");
    };
    EXPECT_EQ(slot(1 + row.part), row.slotName ? row.slotName : "(none)");
    EXPECT_EQ(slot(19 + row.part), row.slotCategory ? row.slotCategory : "(none)");
    EXPECT_EQ(e.plugin.last(kControlDisplayPatch), row.topDisplays ? row.name : "");
    EXPECT_EQ(e.plugin.last(kControlDisplayCategory), row.topDisplays ? "Pad" : "");
  }
}

// Asking the synthesizer's parts into the editor: a part that answers but whose sound never
// settles (no dump parsed within 100 waits of 20 ms) times out the whole request after the last
// wait; no later part and no Multi is asked for.
TEST(PartRequests, APartThatNeverSettlesTimesOutAfterItsLastWait) {
  Engine e;
  e.mode(true);
  // The answer counts for the reply; from the pause after it on, nothing more arrives.
  e.clock->onPause = [&](int n) {
    if (n >= 2) e.plugin.received = false;
  };
  ASSERT_TRUE(e.run(job(kSendActiveArrangementRequest, 0, true)));
  ASSERT_EQ(e.plugin.sent.size(), 1u) << "part 1 only";
  EXPECT_EQ(e.plugin.sent[0][6], 0);
  const std::vector<int>& pauses = e.clock->pauses;
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 20), 100);
  EXPECT_EQ(e.plugin.last(), "CONNECTION TIMED OUT!");
  EXPECT_FALSE(e.plugin.overlay);
}

// The librarian's requests: the collector is armed before the request goes, so that each answer
// lands in its slot.
TEST(LibrarianRequests, EachAnswerLandsInItsSlot) {
  {
    Engine e;
    e.librarian.selectedProgram = 30;
    ASSERT_TRUE(e.manager->sendSinglePatchRequestSysexFromLibrarian(false, 4));
    ASSERT_TRUE(e.idle());
    EXPECT_EQ(e.slot(30).name, field(simSound(4, 30)));
    EXPECT_EQ(e.slot(31).name, slotName(31));
  }
  {
    Engine e;
    e.librarian.selectedProgram = 30;
    e.plugin.part = 2;
    ASSERT_TRUE(e.manager->sendSinglePatchRequestSysexFromLibrarian(true, 4));
    ASSERT_TRUE(e.idle());
    EXPECT_EQ(e.slot(30).name, field("Edit 2"));
  }
  {
    Engine e;
    ASSERT_TRUE(e.manager->sendAllPatchRequestSysexFromLibrarian(5));
    ASSERT_TRUE(e.idle());
    for (int program : {0, 1, 64, 127})
      EXPECT_EQ(e.slot(program).name, field(simSound(5, program))) << program;
  }
}

// Job codes outside the table start nothing and say so.
TEST(Jobs, CodesOutsideTheTableStartNothing) {
  Engine e;
  for (int code : {-1, int(kJobCodeCount), int(kJobCodeCount) + 1}) {
    EXPECT_FALSE(e.manager->startJob(job(code))) << code;
    EXPECT_EQ(e.log.lines.back(), "no job " + std::to_string(code));
  }
  EXPECT_TRUE(e.plugin.sent.empty());
  EXPECT_TRUE(e.run(job(kSendDeviceIdEnquiry))) << "the last code in the table runs";
}

// A bank stored from a list is the bank that list shows, whichever file it is.
TEST(BankStore, TheListsCurrentFileIsStored) {
  const struct {
    int list, upper, lower;
    const char* stored;
  } rows[] = {{0, 1, 0, "Second"}, {1, 0, 1, "Second"}, {1, 1, 0, "Slot 7"}, {0, 0, 1, "Slot 7"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.list << " " << row.upper << " " << row.lower);
    Engine e;
    auto second = std::make_unique<PatchFile>();
    for (int slot = 0; slot < 128; ++slot)
      second->records.push_back({"Second " + std::to_string(slot),
                                 "",
                                 {PatchSysexMessage{namedDump(false, "Second", 0, slot)}}});
    e.librarian.soundFiles.push_back(std::move(second));
    e.librarian.upperFileIndex = row.upper;
    e.librarian.lowerFileIndex = row.lower;
    SenderJob store = job(kStoreAllPatchesToDeviceFromLibrarian);
    store.list = row.list;
    store.targetBank = 2;
    ASSERT_TRUE(e.run(store));
    const sysex::SoundDumpBytes stored = e.sim.storedSound(2, 7);
    EXPECT_EQ(std::string(stored.begin() + 370, stored.begin() + 386), field(row.stored));
    EXPECT_EQ(e.plugin.last(), "Data write completed!");
  }
}

}  // namespace

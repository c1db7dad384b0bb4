// A part's sound from the editor, to its edit buffer or into the selected librarian slot.
#include <gtest/gtest.h>

#include <string>

#include "src/protocol/SoundDump.h"
#include "tests/support/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

SenderJob partSend(int part, bool toLibrarian) {
  SenderJob job = jobOf(kSendPartToDevice);
  job.part = part;
  job.toLibrarian = toLibrarian;
  return job;
}

// Starts a send as its starters do: with the busy flag set.
bool send(Engine& engine, const SenderJob& job) {
  return engine.run(job, [&] { engine.manager->soundSendBusy = true; });
}

TEST(PartSend, TheEditBufferGetsTheDumpThenThePauseThenTheBusyFlagClears) {
  Engine engine;
  engine.plugin.part = 3;
  engine.plugin.setDisplayText(kPatchName + 3, "Glass Bells");
  engine.plugin.setStoredValue(kCategoryName + 3, 6);
  engine.plugin.setStoredValue(kOscillator1Octave + 3, 1);
  bool busyDuringPause = false;
  engine.clock->onPause = [&](int) { busyDuringPause = engine.manager->soundSendBusy; };
  ASSERT_TRUE(send(engine, partSend(3, false)));

  const std::vector<Bytes> sent = engine.requests();
  ASSERT_EQ(sent.size(), 1u);
  const Bytes& dump = sent[0];
  ASSERT_EQ(dump.size(), 392u);
  EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 8), Bytes({0xF0, 0x3E, 0x13, 0, 0x10, 0x7F, 3, 1}));
  EXPECT_EQ(dump[8], 28) << "octave 1";
  EXPECT_EQ(dump[390], sysex::dumpChecksum(dump.data(), 392));
  EXPECT_EQ(dump[391], 0xF7);
  // The simulator keeps only dumps whose checksum holds.
  const sysex::SoundDumpBytes kept = engine.sim.soundEditBuffer(3);
  EXPECT_EQ(Bytes(kept.begin(), kept.end()), dump);
  EXPECT_EQ(engine.clock->pauses(), std::vector<int>({150}));
  EXPECT_TRUE(busyDuringPause);
  EXPECT_FALSE(engine.manager->soundSendBusy);
  EXPECT_EQ(engine.plugin.overlayShows(), 1);
  EXPECT_FALSE(engine.plugin.overlayShown());
  EXPECT_EQ(engine.plugin.nameSlot(4), "Glass Bells");
  EXPECT_EQ(engine.plugin.nameSlot(22), "Keys");
  EXPECT_EQ(engine.plugin.lastText(kControlDisplayPatch), "Glass Bells");
  EXPECT_EQ(engine.plugin.lastText(kControlDisplayCategory), "Keys");
  EXPECT_EQ(engine.plugin.viewDirty, 2);
}

TEST(PartSend, IntoTheLibrarianTheDumpLandsInTheSelectedSlot) {
  Engine engine;
  engine.plugin.setDisplayText(kPatchName + 5, "Deep Bass");
  engine.plugin.setStoredValue(kMultiPartBank + 5, 2);
  engine.librarian.selectedProgram = 45;
  ASSERT_TRUE(send(engine, partSend(5, true)));

  EXPECT_TRUE(engine.requests().empty()) << "nothing goes to the synthesizer";
  EXPECT_TRUE(engine.clock->pauses().empty());
  const LibrarianPatch& slot = engine.slot(45);
  EXPECT_EQ(slot.name, "Deep Bass       ");
  ASSERT_EQ(slot.messages.size(), 1u);
  const std::vector<uint8_t>& dump = slot.messages[0].bytes;
  EXPECT_EQ(dump[5], 2);
  EXPECT_EQ(dump[6], 45);
  EXPECT_EQ(dump[390], 0x7F) << "the checksum place as the template has it";
  EXPECT_EQ(engine.plugin.lastText(), "Data received to slot(s)");
  EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 1.0);
  EXPECT_FALSE(engine.manager->soundSendBusy);
}

TEST(PartSend, NamesAndDisplaysFollowTheSendAndThePart) {
  struct Case {
    const char* name;
    int part;
    bool withMulti;
    std::string patchName;
    int category;
    std::string dumpName;  // bytes 370..385
    std::string slotName, slotCategory;
    bool displayed;
  };
  const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
  const Case cases[] = {
      {"current part", 0, false, "Lead", 7, "Lead            ", "Lead", "Lead", true},
      {"other part", 2, false, "Lead", 7, "Lead            ", "Lead", "Lead", false},
      {"long name", 0, false, twenty, 1, "ABCDEFGHIJKLMNOP", twenty, "Arp", true},
      {"empty name, no category", 0, false, "", 13, std::string(16, ' '), "Set Name", "Set Name",
       true},
      // With a Multi being sent, only the dump: no names, no displays, overlay left alone.
      {"with its Multi", 0, true, "Lead", 7, "Lead            ", "", "", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine engine;
    engine.plugin.withMulti = c.withMulti;
    engine.plugin.setDisplayText(kPatchName + c.part, c.patchName);
    engine.plugin.setStoredValue(kCategoryName + c.part, c.category);
    ASSERT_TRUE(send(engine, partSend(c.part, false)));
    const Bytes dump = engine.requests().at(0);
    EXPECT_EQ(std::string(dump.begin() + 370, dump.begin() + 386), c.dumpName);
    EXPECT_EQ(dump[386], c.category);
    EXPECT_EQ(engine.plugin.nameSlot(1 + c.part), c.slotName);
    EXPECT_EQ(engine.plugin.nameSlot(19 + c.part), c.slotCategory);
    EXPECT_EQ(engine.plugin.lastText(kControlDisplayPatch), c.displayed ? c.patchName : "");
    EXPECT_EQ(engine.plugin.overlayShows(), c.withMulti ? 0 : 1);
    EXPECT_FALSE(engine.plugin.overlayShown()) << "hidden at the end whatever the flags";
  }
}

TEST(PartSend, APartOutsideTheSixteenSendsNothingButFreesTheStarter) {
  Engine engine;
  ASSERT_TRUE(send(engine, partSend(16, false)));
  EXPECT_TRUE(engine.requests().empty());
  EXPECT_FALSE(engine.manager->soundSendBusy);
}

}  // namespace

#include <gtest/gtest.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

TEST(Collectors, OnlyAWholeDumpOfTheirKindCompletesAndIsKept) {
  const Bytes sound = namedDump(false, "Warm Pad", 0, 0), multi = namedDump(true, "Split", 0, 0);
  Bytes cut(sound.begin(), sound.end() - 2), longer = sound, unclosed = sound;
  cut.back() = 0xF7;
  longer.insert(longer.begin() + 8, 0x00);
  unclosed.back() = 0x00;
  const Bytes change{0xF0, 0x3E, 0x13, 0x00, 0x20, 0x00, 0x00, 0x10, 0x40, 0xF7};
  for (bool multiMode : {false, true}) {
    Engine e;
    e.mode(multiMode);
    e.manager->SetLibrarianRequestActive(true);
    for (const Bytes& wrong : {change, cut, longer, unclosed, multiMode ? sound : multi}) {
      e.fromDevice(wrong);
      EXPECT_FALSE(e.plugin.received);
    }
    e.plugin.refills.clear();
    e.manager->dumpRouting = true;  // as a program change leaves it: the next dump to the editor
    e.fromDevice(multiMode ? multi : sound);
    EXPECT_EQ(e.dispatch->parsed, 0) << "a collected dump is not loaded into the editor as well";
    EXPECT_TRUE(e.plugin.received);
    EXPECT_EQ(e.plugin.refills, std::vector<int>{0}) << "the upper list shows the slot";
    EXPECT_TRUE(e.log.lines.empty());
    const LibrarianPatch& slot = e.slot(0, multiMode);
    EXPECT_EQ(slot.name, field(multiMode ? "Split" : "Warm Pad"));
    EXPECT_EQ(slot.category, multiMode ? "" : "Init");
    EXPECT_EQ(slot.messages.size(), 1u) << "only the dump";
    e.fromDevice(namedDump(multiMode, "Too Late", 0, 0));
    EXPECT_EQ(e.slot(0, multiMode).name, slot.name) << "complete until armed again";

    // Without a bank to hold it the dump completes the request, is logged and shows nowhere.
    e.librarian.upperFileIndex = 5;
    e.manager->SetLibrarianRequestActive(true);
    e.plugin.refills.clear();
    e.fromDevice(multiMode ? multi : sound);
    EXPECT_TRUE(e.plugin.received);
    EXPECT_TRUE(e.plugin.refills.empty());
    EXPECT_EQ(e.log.lines, std::vector<std::string>{"no slot to store the received dump in"});
  }
}

TEST(RequestRouting, OffSendsDumpsToTheEditorAndUnsavedLocksTheUpperBank) {
  for (bool multi : {false, true}) {
    Engine e;
    e.mode(multi);
    e.manager->SetLibrarianRequestActive(true);
    e.manager->dumpComplete = e.plugin.received = true;
    e.manager->SetLibrarianRequestActive(false);
    EXPECT_FALSE(e.manager->dumpComplete || e.plugin.received);
    EXPECT_TRUE(e.manager->dumpRouting);
    e.fromDevice(namedDump(multi, "Editor", 0, 0));
    EXPECT_EQ(e.dispatch->parsed, 1);

    e.manager->SetLibrarianStatusUnsaved(false);
    EXPECT_TRUE(e.plugin.layers.empty());
    e.manager->SetLibrarianRequestActive(true);
    e.manager->SetLibrarianStatusUnsaved(true);
    e.fromDevice(namedDump(multi, "Stray", 0, 0));
    EXPECT_EQ(e.slot(0, multi).name, slotName(0)) << "collecting has ended";
    EXPECT_EQ(e.plugin.values[kBankEditUnsaved], 1.0);
    // The bank menu stays, and refuses itself while the edits are unsaved.
    EXPECT_EQ(e.plugin.layers,
              (std::vector<std::pair<std::string, bool>>{{"discardChangesLayerRight", false},
                                                         {"keepBankOpenLayer", true}}));
    EXPECT_TRUE(e.plugin.grayedOut[kDatatype]);
    EXPECT_EQ(e.plugin.last(), "Data received to slot(s)");
  }
}

}  // namespace

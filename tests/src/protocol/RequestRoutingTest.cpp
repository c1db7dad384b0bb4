// Where an incoming SysEx goes while a librarian request collects, and the routing and display
// operations around it.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "src/protocol/LibrarianRequests.h"
#include "tests/support/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

void deliver(Engine& engine, const Bytes& message) {
  engine.manager->ProcessSysEx(message.data(), static_cast<int>(message.size()), true);
}

Bytes parameterChange() {
  return {0xF0, 0x3E, 0x13, 0x00, 0x20, 0x00, 0x00, 0x10, 0x40, 0xF7};
}

TEST(Collectors, CompleteOnlyOnAWholeDumpOfTheirKind) {
  struct Case {
    const char* name;
    bool multiCollector;
    Bytes message;
    bool completes;
  };
  const Bytes sound = namedDump(false, "Sound", 0, 0), multi = namedDump(true, "Multi", 0, 0);
  Bytes cutSound(sound.begin(), sound.begin() + 390), cutMulti(multi.begin(), multi.end() - 1);
  cutSound.back() = cutMulti.back() = 0xF7;
  Bytes longSound = sound;
  longSound.insert(longSound.end() - 1, 0x00);
  Bytes wrongMaker = sound, unclosed = sound;
  wrongMaker[1] = 0x3F;
  unclosed.back() = 0x00;
  const Case cases[] = {{"sound dump", false, sound, true},
                        {"multi dump", true, multi, true},
                        {"390 bytes", false, cutSound, false},
                        {"393 bytes", false, longSound, false},
                        {"424 bytes", true, cutMulti, false},
                        {"a Multi for the sound collector", false, multi, false},
                        {"a sound for the Multi collector", true, sound, false},
                        {"another maker", false, wrongMaker, false},
                        {"no F7", false, unclosed, false},
                        {"parameter change", false, parameterChange(), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LibraryPatchRequest soundCollector;
    LibraryPerformanceRequest multiCollector;
    LibrarianRequest& collector =
        c.multiCollector ? static_cast<LibrarianRequest&>(multiCollector) : soundCollector;
    collector.arm();
    EXPECT_EQ(collector.addMessageData(c.message.data(), static_cast<int>(c.message.size())),
              c.completes);
    EXPECT_EQ(collector.collecting(), !c.completes);
    EXPECT_EQ(collector.record().messages.size(), c.completes ? 1u : 0u);
  }
}

TEST(Collectors, NameAndCategoryComeFromTheDump) {
  struct Case {
    int category;
    std::string text;
  };
  const Case cases[] = {{0, "Init"}, {9, "Pad "}, {12, "Seq "}, {13, ""}, {127, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.category);
    Bytes dump = namedDump(false, "Warm Pad", 0, 0);
    dump[386] = static_cast<unsigned char>(c.category);
    LibraryPatchRequest collector;
    collector.arm();
    ASSERT_TRUE(collector.addMessageData(dump.data(), static_cast<int>(dump.size())));
    EXPECT_EQ(collector.record().name, "Warm Pad        ");
    EXPECT_EQ(collector.record().category, c.text);
  }
  LibraryPerformanceRequest multis;
  multis.arm();
  const Bytes multi = namedDump(true, "Stage Split", 0, 0);
  ASSERT_TRUE(multis.addMessageData(multi.data(), static_cast<int>(multi.size())));
  EXPECT_EQ(multis.record().name, "Stage Split     ");
  EXPECT_EQ(multis.record().category, "");
}

TEST(RequestRouting, AnArmedCollectorKeepsOnlyTheDumpInTheSelectedSlot) {
  Engine engine;
  engine.librarian.selectedProgram = 20;
  engine.manager->SetLibrarianRequestActive(true);
  deliver(engine, parameterChange());
  EXPECT_FALSE(engine.manager->sysExReceived) << "a parameter change answers nothing";
  deliver(engine, namedDump(false, "Answer", 1, 2));
  EXPECT_TRUE(engine.manager->dumpComplete);
  EXPECT_TRUE(engine.manager->sysExReceived);
  EXPECT_EQ(engine.slot(20).name, "Answer          ");
  ASSERT_EQ(engine.slot(20).messages.size(), 1u);
  EXPECT_EQ(engine.slot(20).messages[0].bytes, namedDump(false, "Answer", 1, 2));
  EXPECT_EQ(engine.plugin.refills(), std::vector<int>({0}));
  EXPECT_GE(engine.plugin.viewDirty, 1);
  EXPECT_TRUE(engine.dispatch->parsed().empty());

  // Complete: the next dump is no longer the slot's.
  deliver(engine, namedDump(false, "Too Late", 1, 3));
  EXPECT_EQ(engine.slot(20).name, "Answer          ");
}

TEST(RequestRouting, OnlyTheSynthesizersMessagesCount) {
  Engine engine;
  engine.manager->SetLibrarianRequestActive(true);
  const Bytes dump = namedDump(false, "From Host", 0, 0);
  engine.manager->ProcessSysEx(dump.data(), static_cast<int>(dump.size()), false);
  engine.manager->ProcessSysEx(nullptr, 392, true);
  EXPECT_EQ(engine.slot(0).name, slotName(0));
  EXPECT_FALSE(engine.manager->dumpComplete);
}

TEST(RequestRouting, WithoutASlotTheAnswerStillEndsTheWait) {
  struct Case {
    const char* name;
    std::function<void(PatchLibrarian&)> setUp;
  };
  const Case cases[] = {
      {"no bank at the upper index", [](PatchLibrarian& l) { l.upperFileIndex = 3; }},
      {"a selected program past the bank", [](PatchLibrarian& l) { l.selectedProgram = 128; }},
      {"an unknown librarian type", [](PatchLibrarian& l) { l.type = 2; }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine engine;
    c.setUp(engine.librarian);
    engine.manager->SetLibrarianRequestActive(true);
    deliver(engine, namedDump(false, "Homeless", 0, 0));
    EXPECT_TRUE(engine.manager->sysExReceived);
    for (int slot = 0; slot < 128; ++slot) ASSERT_EQ(engine.slot(slot).name, slotName(slot));
    EXPECT_TRUE(engine.plugin.refills().empty());
  }
}

TEST(RequestRouting, RequestActiveArmsTheCollectorOfTheModeOrRoutesToTheEditor) {
  struct Case {
    const char* name;
    bool on, multi;
    bool routing;
    bool soundStored, multiStored;
  };
  const Case cases[] = {{"sounds", true, false, false, true, false},
                        {"Multis", true, true, false, false, true},
                        {"off", false, false, true, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine engine;
    engine.plugin.multi = c.multi;
    engine.librarian.type = c.multi ? 1 : 0;
    engine.manager->SetLibrarianRequestActive(!c.on);
    engine.manager->sysExReceived = true;
    engine.manager->dumpComplete = true;
    engine.manager->SetLibrarianRequestActive(c.on);
    EXPECT_EQ(engine.manager->dumpRouting, c.routing);
    EXPECT_FALSE(engine.manager->sysExReceived);
    EXPECT_FALSE(engine.manager->dumpComplete);
    deliver(engine, namedDump(c.multi, "Arrived", 0, 0));
    EXPECT_EQ(engine.slot(0).name != slotName(0), c.soundStored);
    EXPECT_EQ(engine.slot(0, true).name != slotName(0), c.multiStored);
    EXPECT_EQ(engine.dispatch->parsed().size(), c.on ? 0u : 1u);
  }
}

TEST(RequestRouting, UnsavedMarksTheBankAndLocksTheUpperSelection) {
  {
    Engine engine;
    engine.manager->SetLibrarianStatusUnsaved(false);
    EXPECT_TRUE(engine.plugin.layers().empty());
    EXPECT_TRUE(engine.plugin.texts().empty());
    EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 0.0);
  }
  for (bool multi : {false, true}) {
    SCOPED_TRACE(multi ? "Multis" : "sounds");
    Engine engine;
    engine.plugin.multi = multi;
    engine.plugin.setStoredValue(kDiscardBankData, 1.0);
    engine.manager->SetLibrarianRequestActive(true);
    engine.manager->SetLibrarianStatusUnsaved(true);
    EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 1.0);
    EXPECT_EQ(engine.plugin.getValue(kDiscardBankData), 0.0);
    const std::vector<std::pair<std::string, bool>> layers = {
        {"discardChangesLayerRight", false},
        {"keepBankOpenLayer", true},
        {multi ? "LeftPerformancePopupMenu" : "UPPERPOPUPMENU", true}};
    EXPECT_EQ(engine.plugin.layers(), layers);
    EXPECT_TRUE(engine.plugin.grayed(kDatatype));
    EXPECT_EQ(engine.plugin.lastText(), "Data received to slot(s)");
    EXPECT_FALSE(engine.manager->dumpRouting);
    deliver(engine, namedDump(multi, "Stray", 0, 0));
    EXPECT_EQ(engine.slot(0, multi).name, slotName(0)) << "collecting has ended";
  }
}

TEST(RequestRouting, RoutingOffAfterACompletedRequestSendsTheNextDumpToTheEditor) {
  Engine engine;
  engine.manager->SetLibrarianRequestActive(true);
  deliver(engine, namedDump(false, "Answer", 0, 0));
  engine.manager->SetLibrarianRequestActive(false);
  EXPECT_TRUE(engine.manager->dumpRouting);
  deliver(engine, namedDump(false, "Editor", 0, 0));
  EXPECT_EQ(engine.dispatch->parsed().size(), 1u);
}

TEST(JobTable, JobsWithoutABodyYetAreRefused) {
  Engine engine;
  for (int code : std::initializer_list<int>{
           kSendArrangementToDevice, kSendGlobalToDevice, kSendPatchToDeviceFromLibrarian,
           kStoreAllPatchesToDeviceFromLibrarian, kInitPerformance, kInitClassicPatch, kNoJob,
           kStartMIDIClockOutput, kSendContinuousMIDIClock, kStopMIDIClockOutput, 18, -1}) {
    bool prepared = false;
    EXPECT_FALSE(engine.manager->startJob(jobOf(code), [&] { prepared = true; })) << code;
    EXPECT_FALSE(prepared);
  }
}

TEST(PluginDisplays, ViewRefreshesByList) {
  struct Case {
    int which;
    std::vector<int> refills;
    int dirty;
  };
  const Case cases[] = {{0, {0}, 1}, {1, {1}, 1}, {2, {0, 1}, 1}, {3, {}, 0}, {-1, {}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.which);
    FakePlugin plugin;
    PluginDisplays displays(plugin);
    displays.updatePatchLibrarianView(c.which);
    EXPECT_EQ(plugin.refills(), c.refills);
    EXPECT_EQ(plugin.viewDirty, c.dirty);
  }
}

TEST(PluginDisplays, TextsGoToTheirDisplays) {
  FakePlugin plugin;
  PluginDisplays displays(plugin);
  displays.displayText("name", "value", "cc");
  displays.displayCategoryName("Bass");
  displays.displayPatchName("Sub");
  displays.displayBuild("1.2.3");
  EXPECT_EQ(plugin.texts(kControlDisplayName), std::vector<std::string>({"name"}));
  EXPECT_EQ(plugin.texts(kControlDisplayValue), std::vector<std::string>({"value"}));
  EXPECT_EQ(plugin.texts(kControlDisplayCC), std::vector<std::string>({"cc"}));
  EXPECT_EQ(plugin.lastText(kControlDisplayCategory), "Bass");
  EXPECT_EQ(plugin.lastText(kControlDisplayPatch), "Sub");
  EXPECT_EQ(plugin.lastText(kControlDisplayBuild), "1.2.3");
}

TEST(PluginDisplays, ValueStringsRoundHalvesToEven) {
  const std::pair<double, const char*> cases[] = {{2.5, "2"},     {3.5, "4"},
                                                  {-0.4, "-0"},   {127.0, "127"},
                                                  {-12.6, "-13"}, {1e20, "100000000000000000000"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(PluginDisplays::getValueString(value), text);
  EXPECT_EQ(PluginDisplays::getValueString(1e308).size(), 309u);
}

TEST(SyncDelay, ChosenByTheTimerParameter) {
  const std::pair<double, int> cases[] = {{0, 50},    {1, 75},  {2, 100},  {3, 150},
                                          {4, 200},   {5, 300}, {6, 400},  {7, 500},
                                          {5.9, 300}, {8, 100}, {-1, 100}, {1e9, 100}};
  for (const auto& [choice, delay] : cases) {
    FakePlugin plugin;
    plugin.setStoredValue(kLibSyncTimer, choice);
    EXPECT_EQ(MIDIMessageSender::getTimerValue(plugin), delay) << choice;
  }
}

TEST(Tempo, TheHostTempoInWholeBeats) {
  Engine engine;
  EXPECT_EQ(engine.manager->getTempoValue(), 0);
  engine.manager->setTempoValue(123.9);
  EXPECT_EQ(engine.manager->getTempoValue(), 123);
}

}  // namespace

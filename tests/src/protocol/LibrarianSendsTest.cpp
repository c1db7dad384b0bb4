#include <gtest/gtest.h>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

std::string nameIn(const Bytes& dump, int offset) {
  return std::string(dump.begin() + offset, dump.begin() + offset + 16);
}

template <class Dump>
Bytes bytesOf(const Dump& dump) {
  return Bytes(dump.begin(), dump.end());
}

TEST(MultiSend, GlobalFirstThenTheMultiThenTheActivePartsInOrder) {
  Engine e;
  e.sim.setDeviceId(5);
  e.plugin.id = 5;
  auto& v = e.plugin.values;
  v[kGlobalSysExID] = v[kDeviceID_old] = 5;
  e.plugin.globalFirst = e.plugin.withMulti = true;
  v[kMultiPartStatus + 2] = v[kMultiPartStatus + 5] = 1;
  v[kMultiPartTranspose + 2] = 48;
  v[kMultiPartVeloHigh + 2] = 126;
  e.plugin.partSounds[0][5] = 3;
  e.plugin.partSounds[1][5] = 77;
  ASSERT_TRUE(e.run(job(kSendArrangementToDevice), [&] { e.manager->soundSendBusy = true; }));
  const std::vector<Bytes>& sent = e.plugin.sent;
  ASSERT_EQ(std::vector<size_t>({sent[0].size(), sent[1].size(), sent[2].size(), sent[3].size()}),
            std::vector<size_t>({80, 425, 392, 392}));
  EXPECT_EQ(Bytes({sent[0][3], sent[2][6], sent[3][6]}), Bytes({5, 2, 5})) << "id in use; parts";
  EXPECT_EQ(v[kDeviceID_old], 5);
  const Bytes& multi = sent[1];
  EXPECT_EQ(Bytes(multi.begin() + 39 + 48 + 5, multi.begin() + 39 + 48 + 14),
            Bytes({64, 0, 0, 0, 0, 1, 127, 0x07, 0x3F}));
  EXPECT_EQ(Bytes({multi[39 + 12], multi[39 + 120], multi[39 + 121]}), Bytes({0x47, 3, 77}));
  EXPECT_EQ(nameIn(multi, 7) + e.plugin.nameSlots[0], field("") + "Set Name");
  EXPECT_EQ(bytesOf(e.sim.multiEditBuffer()), multi);
  EXPECT_EQ(bytesOf(e.sim.globalRecord()), sent[0]) << "taken without a checksum";
  EXPECT_EQ(e.clock->pauses, std::vector<int>({1000, 2350, 150, 400, 150, 400}));
  EXPECT_EQ(e.plugin.calls,
            std::vector<std::string>({"multi-send on", "multi-send off", "multi-send on"}));
  EXPECT_FALSE(e.plugin.overlay || e.manager->soundSendBusy);
}

// A send whose link was lost stops before its next dump and says how many of its sounds went out.
TEST(MultiSend, ALostLinkStopsTheSendBeforeItsNextDumpAndSaysHowFarItWent) {
  const std::string lost = "send failed, the link to the synthesizer was lost: ";
  const struct {
    bool partSounds;
    int lostAtPause;  // pauses: the Global's, the Multi's, then a settle and a pause per sound
    size_t dumps;
    std::string below, logged;
  } rows[] = {
      {true, 1, 1, "0 of 2 sounds written", lost + "0 of 2 sounds written, nor the Multi"},
      {true, 2, 2, "0 of 2 sounds written", lost + "0 of 2 sounds written, the Multi before them"},
      {true, 4, 3, "1 of 2 sounds written", lost + "1 of 2 sounds written, the Multi before them"},
      {false, 2, 2, "0 of 1 sounds written", lost + "0 of 1 sounds written, the Multi before them"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.logged + " at pause " + std::to_string(row.lostAtPause));
    Engine e;
    e.plugin.globalFirst = true;
    e.plugin.withMulti = row.partSounds;
    e.plugin.values[kMultiPartStatus + 2] = e.plugin.values[kMultiPartStatus + 5] = 1;
    e.clock->onPause = [&](int n) {
      e.plugin.linkLost = e.plugin.linkLost || n == row.lostAtPause;
    };
    ASSERT_TRUE(e.run(job(kSendArrangementToDevice), [&] { e.manager->soundSendBusy = true; }));
    EXPECT_EQ(e.plugin.sent.size(), row.dumps);
    EXPECT_EQ(e.plugin.last(), "Data write FAILED!");
    EXPECT_EQ(e.plugin.last(kControlDisplayValue), row.below);
    EXPECT_EQ(e.plugin.lossTold, 1);
    EXPECT_EQ(e.log.lines.empty() ? "" : e.log.lines.back(), row.logged);
    EXPECT_FALSE(e.plugin.overlay || e.manager->soundSendBusy);
  }
}

// The synthesizer takes a new device id from the Global dump, so the dump goes to the id it
// answers to until then; the id it carries is the one in use from then on. Without the MIDI
// ports nothing changes in the synthesizer, and the id it answers to stays.
TEST(GlobalSend, TheDumpGoesToTheIdTheSynthesizerAnswersToAndSetsTheNewOne) {
  for (bool ports : {true, false}) {
    SCOPED_TRACE(ports);
    Engine e;
    e.sim.setDeviceId(3);
    e.plugin.midiOut = ports;
    e.plugin.values[kDeviceID_old] = 3;
    e.plugin.values[kGlobalSysExID] = e.plugin.id = 11;
    ASSERT_TRUE(e.run(job(kSendGlobalToDevice), [&] { e.manager->soundSendBusy = true; }));
    const std::vector<Bytes> expected = {{0xF0, 0x3E, 0x13, 3, 0x14}};
    std::vector<Bytes> headers;
    for (const Bytes& message : e.plugin.sent)
      headers.emplace_back(message.begin(), message.begin() + 5);
    EXPECT_EQ(headers, ports ? expected : std::vector<Bytes>());
    EXPECT_EQ(e.sim.deviceId(), ports ? 11 : 3);
    EXPECT_EQ(e.plugin.values[kDeviceID_old], ports ? 11 : 3);
    EXPECT_FALSE(e.manager->soundSendBusy);
  }
}

// Without the part sounds, only the current part's sound follows the Multi, with a pause of its
// own after it.
TEST(MultiSend, WithoutThePartSoundsTheCurrentPartsSoundFollows) {
  Engine e;
  e.plugin.part = 5;
  e.plugin.values[kMultiPartStatus + 2] = 1;
  ASSERT_TRUE(e.run(job(kSendArrangementToDevice), [&] { e.manager->soundSendBusy = true; }));
  const std::vector<Bytes>& sent = e.plugin.sent;
  ASSERT_EQ(std::vector<size_t>({sent[0].size(), sent[1].size()}), std::vector<size_t>({425, 392}));
  EXPECT_EQ(sent[1][6], 5);
  EXPECT_EQ(e.clock->pauses, std::vector<int>({2350, 150, 300}));
  EXPECT_FALSE(e.plugin.overlay || e.manager->soundSendBusy);
}

TEST(PlaySlot, TheRecordGoesIntoTheEditorAndThenToTheSynthesizer) {
  for (const auto& [multi, store] : {std::pair{false, false}, {false, true}, {true, false}}) {
    Engine e;
    e.realDispatch();
    e.mode(multi);
    e.plugin.values[kMultiPartBank + 2] = 4;
    SenderJob play = job(kSendPatchToDeviceFromLibrarian, 2);
    play.record = e.slot(5, multi);
    play.slot = 5;
    ASSERT_TRUE(e.run(play, [&] { e.manager->store = store; }));
    EXPECT_EQ(e.plugin.calls.at(0), "BankChangeMessage 2");
    EXPECT_EQ(e.plugin.getDisplayText(multi ? kMultiName : kPatchName + 2), field("Slot 5"));
    EXPECT_EQ(e.plugin.values[multi ? kMultiPatch : kMultiPartPatch + 2], 5);
    if (multi) {
      EXPECT_EQ(nameIn(bytesOf(e.sim.multiEditBuffer()), 7), field("Slot 5"));
      const Bytes lastPart{0xF0, 0x3E, 0x13, 0, 0, 0x7F, 15, 0xF7};  // all 16 are on: asked for
      EXPECT_EQ(std::count(e.plugin.sent.begin(), e.plugin.sent.end(), lastPart), 1);
    } else {
      EXPECT_EQ(nameIn(bytesOf(e.sim.soundEditBuffer(2)), 370), field("Slot 5"));
      EXPECT_EQ(nameIn(bytesOf(e.sim.storedSound(4, 5)), 370),
                field(store ? "Slot 5" : simSound(4, 5)));
    }
    EXPECT_FALSE(e.manager->store || e.plugin.overlay);
  }
  Engine e;  // a record without a dump plays nothing, and the flags clear all the same
  ASSERT_TRUE(e.run(job(kSendPatchToDeviceFromLibrarian, 2),
                    [&] { e.manager->store = e.manager->soundSendBusy = true; }));
  EXPECT_TRUE(e.plugin.sent.empty());
  EXPECT_FALSE(e.manager->store || e.manager->soundSendBusy || e.plugin.overlay);
  Engine lost;  // a store whose link was lost plays nothing and says so
  lost.plugin.linkLost = true;
  SenderJob store = job(kSendPatchToDeviceFromLibrarian, 2);
  store.record = lost.slot(5);
  store.slot = 5;
  ASSERT_TRUE(lost.run(store, [&] { lost.manager->store = lost.manager->soundSendBusy = true; }));
  EXPECT_TRUE(lost.plugin.sent.empty() && lost.plugin.calls.empty());
  EXPECT_EQ(lost.plugin.last() + " " + lost.plugin.last(kControlDisplayValue),
            "Data write FAILED! 0 of 1 sounds written");
  EXPECT_FALSE(lost.manager->store || lost.manager->soundSendBusy || lost.plugin.overlay);
}

// A record plays into parts 1 to 16 and programs 0 to 127 only; elsewhere it is logged.
TEST(PlaySlot, OnlyIntoAPartAndAProgramThatExist) {
  const struct {
    int part, slot;
    bool played;
  } rows[] = {{15, 127, true}, {0, 0, true},    {16, 5, false},
              {-1, 5, false},  {2, 128, false}, {2, -1, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.part << " " << row.slot);
    Engine e;
    e.realDispatch();
    SenderJob play = job(kSendPatchToDeviceFromLibrarian, row.part);
    play.record = e.slot(5);
    play.slot = row.slot;
    ASSERT_TRUE(e.run(play, [&] { e.manager->store = true; }));
    EXPECT_EQ(e.plugin.sent.empty(), !row.played);
    EXPECT_EQ(e.log.lines, row.played ? std::vector<std::string>()
                                      : std::vector<std::string>{"no dump to play for slot " +
                                                                 std::to_string(row.slot)});
    EXPECT_FALSE(e.manager->store || e.plugin.overlay);
  }
}

// A store cut short (a cancel, the link lost) says how many it wrote below its status, and the
// log why and which programs it overwrote.
TEST(BankStore, RecordsIntoTheirProgramsUntilTheEndACancelOrAFailureAndTheOverlayHides) {
  struct Case {
    bool multi;
    std::function<void(Engine&)> setup;
    int written;
    std::string text, below, logged;
  };
  const std::string done = "Data write completed!", failed = "Data write FAILED!";
  // clang-format off
  const Case cases[] = {
      {false, [](Engine&) {}, 128, done, "", ""},
      // Padded with init Multis, whose checksum place holds 7F.
      {true, [](Engine& e) { PatchFile* bank = e.librarian.multiFiles[0]; bank->records.resize(100); e.librarian.fillUncompletedBankFiles(bank); }, 128, done, "", ""},
      {false, [](Engine& e) { e.clock->onPause = [&e](int n) { e.manager->sender().cancelRequested = n == 64; }; }, 64, "Data write CANCELLED!", "64 of 128 sounds written", "store cancelled: 64 of 128 sounds written, Bank D programs 1 to 64 overwritten"},
      {false, [](Engine& e) { e.librarian.upperFileIndex = 5; }, 0, failed, "", ""},
      {false, [](Engine& e) { e.slot(10).messages.clear(); }, 10, failed, "", ""},
      // The synthesizer restarted after 40 pauses: nothing more goes out.
      {false, [](Engine& e) { e.clock->onPause = [&e](int n) { e.plugin.linkLost = n == 40; }; }, 40, failed, "40 of 128 sounds written", "store failed, the link to the synthesizer was lost: 40 of 128 sounds written, Bank D programs 1 to 40 overwritten"},
      {true, [](Engine& e) { e.plugin.linkLost = true; }, 0, failed, "0 of 128 Multis written", "store failed, the link to the synthesizer was lost: 0 of 128 Multis written, nothing overwritten"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Engine e;
    e.mode(c.multi);
    e.librarian.selectedProgram = 9;
    c.setup(e);
    SenderJob store = job(kStoreAllPatchesToDeviceFromLibrarian);
    store.targetBank = 3;
    ASSERT_TRUE(e.run(store, [&] { e.manager->store = e.manager->soundSendBusy = true; }));
    for (int program = 0; program < c.written; ++program) {
      Bytes expected = e.slot(program, c.multi).messages[0].bytes;
      expected[5] = c.multi ? 0 : 3;
      expected[6] = static_cast<unsigned char>(program);
      EXPECT_EQ(
          c.multi ? bytesOf(e.sim.storedMulti(program)) : bytesOf(e.sim.storedSound(3, program)),
          expected);
    }
    EXPECT_EQ(e.plugin.sent.size(), size_t(c.written));
    EXPECT_EQ(e.clock->pauses, std::vector<int>(c.written, 100));
    EXPECT_EQ(e.plugin.showed("Writing 99%, please wait.."), c.written == 128);
    EXPECT_EQ(e.plugin.last(), c.text);
    EXPECT_EQ(e.plugin.last(kControlDisplayValue), c.below);
    EXPECT_EQ(e.log.lines.empty() || c.logged.empty() ? "" : e.log.lines.back(), c.logged);
    EXPECT_EQ(e.librarian.selectedProgram, 0);
    EXPECT_FALSE(e.manager->store || e.manager->soundSendBusy || e.plugin.overlay);
  }
}

// The lower list writes the files of what it shows: a category's or a search's, else the bank
// files of the mode. Each list here holds a bank of a length of its own; a file past the end of
// its list writes nothing.
TEST(BankStore, TheLowerListWritesTheFilesOfWhatItShows) {
  const struct {
    int kind;
    bool multi;
    size_t written;
    int index = 0;
  } cases[] = {{0, false, 128}, {0, true, 7},  {1, false, 3}, {1, true, 3},    {2, false, 128},
               {3, true, 7},    {4, false, 5}, {4, true, 5},  {1, false, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << (c.multi ? " Multi" : " sound"));
    Engine e;
    e.mode(c.multi);
    e.plugin.listKind = c.kind;
    e.librarian.lowerFileIndex = c.index;
    e.librarian.multiFiles[0]->records.resize(7);
    for (auto [files, size] :
         {std::pair{&e.librarian.categoryFiles, 3}, std::pair{&e.librarian.searchResultFiles, 5}}) {
      auto bank = bankOf(c.multi);
      bank->records.resize(size);
      files->push_back(std::move(bank));
    }
    SenderJob store = job(kStoreAllPatchesToDeviceFromLibrarian);
    store.list = 1;
    ASSERT_TRUE(e.run(store, [&] { e.manager->store = e.manager->soundSendBusy = true; }));
    EXPECT_EQ(e.plugin.sent.size(), c.written);
  }
}

// The editor's Multi and the init dumps as the synthesizer documents them: the init Multi's
// records of parts 0 and 15, the init sound's name and category.
TEST(IntoTheSelectedSlot, TheEditorsMultiAndTheInitDumps) {
  // clang-format off
  const Bytes part0 = {0, 0, 0x64, 0x40, 0, 0x40, 0x40, 0x02, 0, 0x7F, 0x01, 0x7F, 0x07, 0x3F, 0x01, 0x3F};
  const Bytes part15 = {0, 15, 0x64, 0x40, 0, 0x40, 0x40, 17, 0, 0x7F, 0x01, 0x7F, 0x03, 0x3F, 0x01, 0x3F};
  const Bytes init = {'I', 'n', 'i', 't', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0};
  const std::tuple<SenderJob, bool, std::string, Bytes, std::vector<std::pair<int, Bytes>>> cases[] = {
      {job(kSendArrangementToDevice, 0, true), true, field("Strings"), {0x11, 0x7F, 0}, {}},
      {job(kInitPerformance), true, "Init Multi V1.15", {0x11, 0, 0}, {{39, part0}, {39 + 24 * 15, part15}}},
      {job(kInitClassicPatch), false, field("Init"), {0x10, 3, 69}, {{370, init}}}};
  // clang-format on
  for (const auto& [run, multi, name, header, keys] : cases) {
    Engine e;
    e.mode(multi);
    e.librarian.selectedProgram = 69;
    e.plugin.values[kRequestFromBank] = 3;
    e.plugin.names[kMultiName] = "Strings";
    ASSERT_TRUE(e.run(run));
    const Bytes& dump = e.slot(69, multi).messages.at(0).bytes;
    EXPECT_EQ(e.slot(69, multi).name, name);
    EXPECT_EQ(Bytes(dump.begin() + 4, dump.begin() + 7), header);
    EXPECT_EQ(Bytes(dump.end() - 2, dump.end()), Bytes({0x7F, 0xF7}))
        << "the placeholder the synthesizer takes";
    for (const auto& [at, key] : keys)
      EXPECT_EQ(Bytes(dump.begin() + at, dump.begin() + at + key.size()), key) << at;
    EXPECT_EQ(e.plugin.values[kBankEditUnsaved], 1);
  }
}

}  // namespace

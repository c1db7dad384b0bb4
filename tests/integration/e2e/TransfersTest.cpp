// Transfers between the plug-in in kroma-host and the simulator over JACK: requests, stores,
// edits, faults of the synthesizer, two instances side by side.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <set>

#include "src/config/ParameterIds.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"
#include "tests/integration/e2e/EndToEnd.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "tools/session/BankFile.h"

namespace {

using namespace session;

constexpr const char* kCompleted = "Data request completed!";
constexpr const char* kTimedOut = "CONNECTION TIMED OUT!";
constexpr Seconds kArrival = kroma_test::kWaitCap;
// Part 1's LEVEL in the Multi dump.
constexpr int kLevel1Byte = multi_dump::kRecordBase + 2;

// The requests (sound and multi) the simulator received, one hex line each.
std::vector<Bytes> requestsReceived(SimulatorProcess& sim) {
  std::vector<Bytes> requests;
  for (const std::string& line : sim.received()) {
    const Bytes bytes = parseHex(line);
    if (bytes.size() == 8 && bytes[4] <= sysex::kMultiRequest) requests.push_back(bytes);
  }
  return requests;
}

// Every misbehaviour of the synthesizer ends the request in a status text, leaves the editor's
// sound as it was where nothing whole came (`kept`), and once it is cured the next request
// succeeds. A synthesizer set to another device id is found by the scan of part 1's request; the
// plug-in learns the id from that answer, so the rest of the request goes to it. A completed
// request has taken the Multi too: each wait ended on its own answer, not on the second answer a
// slow synthesizer gives a part that was asked again, nor on a dump from another device.
TEST_F(EndToEnd, AFaultySynthesizerEndsTheRequestAndTheNextOneSucceeds) {
  const struct {
    const char* fault;
    const char* shown;
    bool kept;
    int id;  // the device id the plug-in then uses
  } rows[] = {{"silent", kTimedOut, true, 5},
              {"truncate 100", kTimedOut, true, 5},
              {"wrong-type", kTimedOut, true, 5},
              {"other-id 9", kCompleted, false, 9},
              // Checksums are not read: the simulator's bytes are whole, only its sum is off.
              {"bad-checksum", kCompleted, false, 5},
              // Slower than a part's scan starts: each part answers twice.
              {"late 1400", kCompleted, false, 5},
              {"echo 9", kCompleted, false, 5},
              // Longer than the plug-in waits; last, as the answer still comes.
              {"late 10000", kTimedOut, true, 5}};
  auto sim = simulator("corvane-sim", 5);
  Session s(setup());
  connect(s);
  EXPECT_EQ(transfer(s, place::kGetMulti), kCompleted);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault);
    // The editor's sound and Multi differ from the synthesizer's, so that dumps taken show.
    const Bytes was = sim->record("sound 0");
    ASSERT_TRUE(s.showPage(place::kCutoff.page) && s.turn(place::kCutoff, -10)) << s.error();
    ASSERT_TRUE(within(kArrival, [&] { return sim->record("sound 0") != was; }));
    const int level = state(s).getValue(kMultiPartLevel) == 90 ? 91 : 90;
    ASSERT_TRUE(
        sim->command("reset") && sim->command("clear") &&
        sim->command("multi-byte " + std::to_string(kLevel1Byte) + " " + std::to_string(level)));
    const StateValues before = state(s);
    ASSERT_TRUE(sim->command(std::string("fault ") + row.fault));
    EXPECT_EQ(transfer(s, place::kGetMulti), row.shown);
    const StateValues after = state(s);
    EXPECT_EQ(after.getValue(kGlobalSysExID), row.id);
    if (row.shown == kCompleted) {
      EXPECT_EQ(after.getValue(kMultiPartLevel), sim->record("multi").at(kLevel1Byte));
    }
    if (row.kept) {
      const auto sound = sound_dump::buildSoundDump(before, 0, sysex::kEditBufferBank, 0);
      EXPECT_EQ(after.soundBytesDiffering(Bytes(sound.begin(), sound.end()), 0),
                std::vector<int>());
    }
    // Learnt from part 1's answer: every later request goes first to that id. An answer slower
    // than the wait (a busy machine) may still start a scan of the ids after it.
    std::set<std::pair<int, int>> asked;
    for (const Bytes& request : requestsReceived(*sim)) {
      const bool later = request[4] == sysex::kMultiRequest || request[6] > 0;
      if (later && asked.insert({request[4], request[6]}).second) {
        EXPECT_EQ(request[3], row.id);
      }
    }
    ASSERT_TRUE(sim->command("fault none"));
    EXPECT_EQ(transfer(s, place::kGetMulti), kCompleted) << s.lastStatus();
    const StateValues cured = state(s);
    EXPECT_NE(cured.getValue(kFilter1Cutoff), before.getValue(kFilter1Cutoff));
    EXPECT_EQ(cured.getValue(kGlobalSysExID), 5);
  }
}

// A control of part 1's sound pages and the wheel steps that change it.
struct Turn {
  Place place;
  int amount;
};

// Where a sound control shows on its page, when no other covers it.
std::optional<Place> placeOf(IGraphics* g, IControl* c, int page, const std::set<int>& sound) {
  const IRECT& r = c->GetTargetRECT();
  const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
  if (c->IsHidden() || !sound.count(c->ParamIdx()) || g->GetMouseControlIdx(x, y) != c)
    return std::nullopt;
  return Place{"sound control", c->ParamIdx(), page, x, y};
}

// Every sound control of the sound pages that a wheel step changes, in the order a walk over the
// pages meets them; a change may show other controls (an effect's own settings), which the walk
// then meets.
std::vector<Turn> soundTurns(Kroma* twin) {
  const std::set<int> sound = soundParameters();
  std::vector<Turn> turns;
  IMouseMod none;
  for (int page = 2; page < 6; ++page) {
    showPage(twin, page);
    IGraphics* g = twin->graphics();
    for (IControl* c : allControls(g)) {
      const std::optional<Place> place = placeOf(g, c, page, sound);
      if (!place) continue;
      const double was = twin->GetParam(place->param)->Value();
      for (int amount : {1, -1}) {
        g->OnMouseWheel(place->x, place->y, &none, amount);
        if (twin->GetParam(place->param)->Value() != was) {
          turns.push_back({*place, amount});
          break;
        }
      }
    }
  }
  return turns;
}

// Each sound control a wheel turns in the editor (found on an instance in process) reaches the
// synthesizer: the sound dump it then holds for part 1 carries every byte the editor's values give,
// SysEx and CC alike.
TEST_F(EndToEnd, EverySoundControlTurnedLandsOnItsByteInTheSynthesizer) {
  Kroma* twin = open();
  const std::vector<Turn> turns = soundTurns(twin);
  auto sim = simulator("corvane-sim", 5);
  Session s(setup());
  connect(s);
  // The editor's sounds go out first, so that the simulator starts from the twin's values. A
  // project loaded pushes them and returns when the push has ended: a push still running covers
  // the editor with its overlay, which takes the wheel turns.
  const std::string startFile = sessionData.file("start");
  ASSERT_TRUE(s.saveState(startFile)) << s.error();
  const StateValues fresh(Session::parameters(startFile));
  ASSERT_TRUE(s.loadState(startFile)) << s.error();
  ASSERT_TRUE(within(kArrival,
                     [&] { return fresh.soundBytesDiffering(sim->record("sound 0"), 0).empty(); }));
  ASSERT_TRUE(s.overlayGone(kArrival)) << s.error();
  for (const Turn& turn : turns) {
    ASSERT_TRUE(s.showPage(turn.place.page) && s.turn(turn.place, turn.amount)) << s.error();
  }
  const StateValues edited = state(s);
  int changed = 0;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    changed += sound_dump::encodeByte(row, fresh, 0) != sound_dump::encodeByte(row, edited, 0);
  // Each turn lands once the push has ended: 125 bytes as the layout stands.
  EXPECT_GE(changed, 120) << "the walk turned too few controls";
  std::vector<int> differing;
  EXPECT_TRUE(within(kArrival,
                     [&] {
                       differing = edited.soundBytesDiffering(sim->record("sound 0"), 0);
                       return differing.empty();
                     }))
      << "first differing byte " << differing.front();
}

// The Multi request brings the synthesizer's part sounds into a new instance, a sound request
// the sound of the active part.
TEST_F(EndToEnd, RequestsBringTheSynthesizersSounds) {
  auto sim = simulator("corvane-sim", 5);
  const Bytes initial = sim->record("sound 0");
  Bytes edited;
  {
    Session s(setup());
    connect(s);
    ASSERT_TRUE(s.showPage(place::kCutoff.page) && s.turn(place::kCutoff, -20) &&
                s.turn(place::kResonance, 30))
        << s.error();
    // Both steps have landed, the last one too.
    const StateValues turned = state(s);
    ASSERT_TRUE(within(kArrival, [&] {
      edited = sim->record("sound 0");
      for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
        if ((row.params[0] == kFilter1Cutoff || row.params[0] == kFilter1Resonance) &&
            (edited.size() <= static_cast<size_t>(row.offset) ||
             edited[row.offset] != sound_dump::encodeByte(row, turned, 0)))
          return false;
      return true;
    }));
    ASSERT_NE(edited, initial);
    ASSERT_TRUE(s.close()) << s.error();
  }
  Session s(setup());
  connect(s);
  EXPECT_FALSE(state(s).soundBytesDiffering(edited, 0).empty());
  EXPECT_EQ(transfer(s, place::kGetMulti), kCompleted);
  EXPECT_EQ(state(s).soundBytesDiffering(edited, 0), std::vector<int>());
  ASSERT_TRUE(sim->command("reset"));
  EXPECT_EQ(
      transfer(s, place::kLibrarianMenu, "Request Patch Data > from Active Slot to Plug-in GUI"),
      "Data request Completed!");
  EXPECT_EQ(state(s).soundBytesDiffering(initial, 0), std::vector<int>());
}

// A bank stored from the librarian lands in the synthesizer whole; requested back after another
// bank was read over it, the librarian's file holds it again. Stored once more while the
// synthesizer restarts, the store stops and says how many sounds went out before the link went.
TEST_F(EndToEnd, ABankStoredIntoTheSynthesizerComesBackWhole) {
  auto sim = simulator("corvane-sim", 5);
  ASSERT_TRUE(mkdir(sessionData.file("Patches").c_str(), 0755) == 0);
  const std::string file = sessionData.file("Patches/Demo Bank.syx");
  ASSERT_TRUE(writeBank(file, "Demo"));
  const std::vector<Bytes> demo = [&] {
    std::vector<Bytes> sounds;
    for (int p = 0; p < sysex::kProgramsPerBank; ++p) sounds.push_back(dumpInFile(file, p));
    return sounds;
  }();
  Session s(setup());
  connect(s);
  auto fileHolds = [&](int bank) {
    for (int p = 0; p < sysex::kProgramsPerBank; ++p) {
      const Bytes stored = sim->record("stored " + std::to_string(bank) + " " + std::to_string(p));
      if (!sameData(dumpInFile(file, p), stored)) return false;
    }
    return true;
  };
  EXPECT_EQ(transfer(s, place::kLibrarianMenu, "Store Patch Data > All Current Patches to Bank B"),
            "Data write completed!");
  EXPECT_TRUE(within(kArrival, [&] { return fileHolds(1); }));
  for (int bank : {0, 1}) {
    SCOPED_TRACE(bank);
    const std::string letter(1, static_cast<char>('A' + bank));
    EXPECT_NE(
        transfer(s, place::kLibrarianMenu, "Request Patch Data > All Patches from Bank " + letter),
        kTimedOut);
    ASSERT_TRUE(s.choose(place::kLibrarianMenu, "Save (Overwrite current bank)")) << s.error();
    EXPECT_TRUE(within(kArrival, [&] { return fileHolds(bank); }));
  }
  for (int p = 0; p < sysex::kProgramsPerBank; ++p)
    EXPECT_TRUE(sameData(dumpInFile(file, p), demo[p])) << p;

  const auto soundsArrived = [&] {
    const std::vector<std::string> lines = sim->received();
    return std::count_if(lines.begin(), lines.end(),
                         [](const std::string& line) { return parseHex(line).size() > 300; });
  };
  const std::string failed = "Data write FAILED!";
  ASSERT_TRUE(sim->command("clear"));
  EXPECT_EQ(s.await(
                [&] {
                  if (!s.choose(place::kLibrarianMenu,
                                "Store Patch Data > All Current Patches to Bank C") ||
                      !within(kArrival, [&] { return soundsArrived() >= 10; }))
                    return false;
                  sim->stop();
                  sim = simulator("corvane-sim", 5);
                  return true;
                },
                {"Data write completed!", failed}, kArrival),
            failed)
      << s.error();
  std::ifstream logFile(sessionData.file("Kroma Editor LOG.txt"));
  const std::string log((std::istreambuf_iterator<char>(logFile)), {});
  const std::string said = "store failed, the link to the synthesizer was lost: ";
  const size_t at = log.find(said);
  ASSERT_NE(at, std::string::npos) << log;
  const int written = std::atoi(log.c_str() + at + said.size());
  EXPECT_TRUE(written >= 10 && written < sysex::kProgramsPerBank) << written;
  const std::string rest = std::to_string(written) +
                           " of 128 sounds written, Bank C programs 1 to " +
                           std::to_string(written) + " overwritten";
  EXPECT_EQ(log.substr(at + said.size(), rest.size()), rest);
  for (int p = 0; p < sysex::kProgramsPerBank; ++p)
    EXPECT_FALSE(sameData(dumpInFile(file, p), sim->record("stored 2 " + std::to_string(p))))
        << "reached the restarted synthesizer: " << p;
}

// DEVICE ID gives the synthesizer a new id: the Global dump goes to the id it answers to, and
// the edits after it, to the new id, land. The project reopened once the synthesizer came back
// at power-on on another id: its push finds no one on 11 and says so, the project stays the
// editor's. The output port picked again finds the synthesizer on 12 and the whole project goes
// there, its Global too. A synthesizer that answers late (GET FROM SYNTH works with it) is heard
// by the push's check.
TEST_F(EndToEnd, ANewDeviceIdReachesTheSynthesizerAndTheNextEditLands) {
  constexpr int kVelocityByte = 55;  // of the Global record
  const std::string ready = "Plug-in is ready to go!";
  auto sim = simulator("corvane-sim", 5);
  Session s(setup());
  connect(s);
  ASSERT_TRUE(s.showPage(place::kDeviceId.page) && s.choose(place::kDeviceId, "11")) << s.error();
  EXPECT_TRUE(within(kArrival, [&] { return sim->record("global").at(3) == 11; }));
  // The send's overlay takes the wheel turns while it shows.
  ASSERT_TRUE(s.overlayGone(kArrival)) << s.error();
  EXPECT_TRUE(aCutoffTurnLands(s, *sim)) << s.error();
  ASSERT_TRUE(s.showPage(place::kVelocity.page) && s.choose(place::kVelocity, "Hard 2"))
      << s.error();
  EXPECT_TRUE(within(kArrival, [&] { return sim->record("global").at(kVelocityByte) == 5; }));
  ASSERT_TRUE(s.overlayGone(kArrival)) << s.error();
  const StateValues saved = state(s);
  EXPECT_EQ(saved.getValue(kGlobalSysExID), 11);

  const std::string project = sessionData.file("project"), noSynth = "NO SYNTH ANSWERED ON ID 11!";
  ASSERT_TRUE(s.saveState(project) && s.choose(place::kVelocity, "Linear")) << s.error();
  EXPECT_TRUE(within(kArrival, [&] { return sim->record("global").at(kVelocityByte) == 0; }));
  ASSERT_TRUE(sim->command("id 12") && sim->command("reset"));
  EXPECT_EQ(s.await([&] { return s.openAnother() && s.loadState(project); }, {noSynth}, kArrival),
            noSynth)
      << s.error();
  ASSERT_TRUE(s.showPage(1) && s.choose(place::kTransferPause, "50 ms")) << s.error();
  EXPECT_EQ(s.await([&] { return s.showPage(0) && s.choose(place::kPortOut, "corvane-sim:in"); },
                    {ready, "No response from corvane!"}, kArrival),
            ready)
      << s.error();
  EXPECT_TRUE(within(kArrival, [&] {
    return sim->record("global").at(kVelocityByte) == 5 &&
           saved.soundBytesDiffering(sim->record("sound 0"), 0).empty();
  })) << "the project's Global and sounds on the synthesizer";
  ASSERT_TRUE(s.overlayGone(kArrival)) << s.error();
  const StateValues reopened = state(s);
  EXPECT_TRUE(reopened.getValue(kGlobalSysExID) == 12 && reopened.getValue(kDeviceID_old) == 12);
  EXPECT_EQ(reopened.getValue(kGlobalVelocityCurve), 5);
  EXPECT_EQ(sim->record("global").at(3), 12);
  EXPECT_TRUE(aCutoffTurnLands(s, *sim)) << s.error();

  // Reopened at the start-up transfer pause, 100 ms.
  ASSERT_TRUE(s.saveState(project) && sim->command("fault late 1400")) << s.error();
  EXPECT_EQ(s.await(
                [&] {
                  return s.openAnother() && s.loadState(project) && s.showPage(0) &&
                         s.choose(place::kPortOut, "corvane-sim:in");
                },
                {"NO SYNTH ANSWERED ON ID 12!", ready}, kArrival),
            ready)
      << s.error();
}

// Two instances in one host, each on its own synthesizer: each learns its own device id, and an
// edit in one reaches only its own.
TEST_F(EndToEnd, TwoInstancesKeepTheirOwnPorts) {
  auto first = simulator("synth-a", 3);
  auto second = simulator("synth-b", 7);
  Session s(setup());
  connect(s, "synth-a");
  ASSERT_TRUE(s.openAnother() && s.showPage(1) && s.choose(place::kTransferPause, "50 ms") &&
              s.choosePorts("synth-b"))
      << s.error();
  const Bytes untouched = first->record("sound 0");
  ASSERT_TRUE(s.showPage(place::kCutoff.page) && s.turn(place::kCutoff, -20)) << s.error();
  EXPECT_EQ(state(s).getValue(kGlobalSysExID), 7);
  EXPECT_TRUE(within(kArrival, [&] { return second->record("sound 0") != untouched; }));
  EXPECT_EQ(first->record("sound 0"), untouched);
  ASSERT_TRUE(s.use(1));
  EXPECT_EQ(state(s).getValue(kGlobalSysExID), 3);
}

}  // namespace

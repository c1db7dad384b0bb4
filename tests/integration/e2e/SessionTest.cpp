// The whole system against the simulator, as a musician uses it: make run's session, the
// connection, requests, stores, faults of the synthesizer, two instances. Each test runs the real
// module in kroma-host on a JACK server of its own; waits are bounded and end on what the editor
// shows or the simulator holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "src/config/ParameterIds.h"
#include "src/protocol/DumpTemplates.h"
#include "src/protocol/SysExFormat.h"
#include "tests/integration/e2e/EndToEnd.h"

namespace {

using namespace session;
using ::testing::HasSubstr;

std::string run(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int result = pipe ? pclose(pipe) : -1;
  *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

std::string quoted(const std::string& text) {
  return "'" + text + "'";
}

// A PNG's width and height from its header.
std::pair<int, int> pngSize(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  auto big = [&](int at) {
    return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3];
  };
  return {big(16), big(20)};
}

// make run's session whole: connection, the Multi and its part sounds, turns that reach the
// synthesizer, a bank stored into it, the project saved and reloaded in a new instance that
// pushes the same sounds, a picture of each page; it says what it did and leaves nothing on the
// JACK server.
TEST_F(EndToEnd, MakeRunsSessionRunsWholeAndLeavesNothingRunning) {
  int status = -1;
  const std::string output =
      run(quoted(KROMA_SESSION) + " --host " + quoted(KROMA_HOST) + " --plugin " +
              quoted(HEADLESS_PLUGIN) + " --bundle " + quoted(BUILT_BUNDLE) + " --simulator " +
              quoted(CORVANE_SIM) + " --out " + quoted(sessionData.path()),
          &status);
  ASSERT_EQ(status, 0) << output;
  for (const char* said :
       {"the connection check found the synthesizer: device id 5",
        "the synthesizer's sound of part 1 now matches the editor's, byte for byte",
        "all 128 sounds are in the synthesizer's bank B",
        "all 7878 parameter values are the saved ones",
        "the synthesizer's edit buffers match byte for byte", "Done."})
    EXPECT_THAT(output, HasSubstr(said));
  for (const char* page :
       {"1-multi", "2-library", "3-oscillators", "4-filter-envelope", "5-lfo-mod", "6-effects-arp"})
    EXPECT_EQ(pngSize(sessionData.file(std::string("page-") + page + ".png")),
              std::make_pair(1500, 757))
        << page;
  const std::string ports = run("jack_lsp", &status);
  EXPECT_EQ(ports.find("corvane-sim"), std::string::npos) << ports;
  EXPECT_EQ(ports.find("RtMidi"), std::string::npos) << ports;
}

// The host's audioMasterUpdateDisplay calls since the last look, after two idle calls (a change
// is told once it held still from one to the next): "N" and how many came from other threads
// than the host's, as kroma-host's host-calls step prints them.
std::string projectChanges(Session& s) {
  if (!s.host().step("idle") || !s.host().step("idle") || !s.host().step("host-calls"))
    return s.host().error();
  const std::string line = s.host().line("  calls audioMasterUpdateDisplay=");
  return line.empty() ? "0" : line.substr(line.find('=') + 1);
}

// The host hears that its project changed, through its main thread only: once for a knob turned
// in the editor, never for a project loaded or a tempo taken from the host, and once for the
// synthesizer's Multi and sounds taken into the editor while they differ from what the editor
// holds.
TEST_F(EndToEnd, TheHostHearsOfEditsAndDumpsButNotOfALoad) {
  auto sim = simulator("corvane-sim", 5);
  Session s(setup());
  connect(s);
  projectChanges(s);
  ASSERT_TRUE(s.showPage(place::kCutoff.page) && s.turn(place::kCutoff, -10)) << s.error();
  EXPECT_EQ(projectChanges(s), "1 other-threads=0");
  const std::string saved = sessionData.file("project");
  ASSERT_TRUE(s.saveState(saved)) << s.error();
  ASSERT_TRUE(s.turn(place::kCutoff, -10)) << s.error();
  EXPECT_EQ(projectChanges(s), "1 other-threads=0");
  ASSERT_TRUE(s.loadState(saved)) << s.error();
  EXPECT_EQ(projectChanges(s), "0");
  // The tempo taken from the host while a song plays (OVERRIDE TEMPO on) is not the musician's.
  for (const char* tempo : {"time tempo=133 playing=1", "time tempo=97 playing=0"})
    ASSERT_TRUE(s.host().step(tempo) && s.host().step("process double 256") &&
                s.host().step("idle") && s.host().step("idle"))
        << s.host().error();
  EXPECT_EQ(projectChanges(s), "0");

  ASSERT_TRUE(sim->command("reset"));  // the synthesizer's sounds differ from the editor's
  ASSERT_EQ(transfer(s, place::kGetMulti), "Data request completed!");
  EXPECT_EQ(projectChanges(s), "1 other-threads=0") << "judged once the request ended";
  ASSERT_EQ(transfer(s, place::kGetMulti), "Data request completed!");
  EXPECT_EQ(projectChanges(s), "0") << "the same Multi again";
}

// A step that fails says why: no JACK server, a port the menus lack, a silent synthesizer.
TEST_F(EndToEnd, AFailingStepSaysWhatWentWrong) {
  {
    kroma_test::ScopedEnv elsewhere("JACK_DEFAULT_SERVER", "kroma-no-such-server");
    SimulatorProcess lost(CORVANE_SIM, "corvane-sim", 5);
    EXPECT_THAT(lost.error(), HasSubstr("no JACK server"));
  }
  auto sim = simulator("corvane-sim", 5);
  {
    Session s(setup());
    ASSERT_TRUE(s.open()) << s.error();
    EXPECT_FALSE(s.choosePorts("other-synth"));
    EXPECT_THAT(s.error(), HasSubstr("MIDI in port menu has no item \"other-synth:out\"; there "
                                     "are: OFF | corvane-sim:out"));
  }
  ASSERT_TRUE(sim->command("fault silent"));
  Session s(setup());
  ASSERT_TRUE(s.open()) << s.error();
  ASSERT_TRUE(s.showPage(1) && s.choose(place::kTransferPause, "50 ms")) << s.error();
  EXPECT_FALSE(s.choosePorts("corvane-sim"));
  EXPECT_EQ(s.error(), "the synthesizer did not answer the connection check");
}

// The synthesizer went away and came back (switched off and on): the menus still show its ports,
// and within seconds of idling the plug-in connects to them again by itself, the connection check
// finds it, and the next edit reaches it; picked again, the ports connect as well. A project
// opened while the synthesizer is off shows its ports absent; switched on, the synthesizer gets
// the project, with the edit made meanwhile, also when it goes off and on again during that push.
// Once it holds what the editor shows, it gets it again after it was switched off and on.
TEST_F(EndToEnd, ASynthesizerThatCameBackIsReachedByItselfAndOnceItsPortsArePickedAgain) {
  Session s(setup());
  auto sim = connectedThenRestarted(s);
  const std::string ready = "Plug-in is ready to go!", absent = "MIDI I/O ports ABSENT!";
  const auto idle = [&] { return s.host().step("idle"); };
  EXPECT_EQ(s.await(idle, {ready, "No response from corvane!"}, kroma_test::kWaitCap), ready)
      << s.error();
  EXPECT_TRUE(aCutoffTurnLands(s, *sim)) << s.error();
  ASSERT_TRUE(s.choosePorts("corvane-sim")) << s.error();
  EXPECT_TRUE(aCutoffTurnLands(s, *sim)) << s.error();

  const std::string project = sessionData.file("project");
  ASSERT_TRUE(s.saveState(project)) << s.error();
  sim->stop();
  EXPECT_EQ(s.await([&] { return s.loadState(project); }, {absent}, kroma_test::kWaitCap), absent)
      << s.error();
  ASSERT_TRUE(s.showPage(place::kCutoff.page) && s.turn(place::kCutoff, -10)) << s.error();
  const StateValues edited = state(s);
  const auto editorsSound = [&] {
    return edited.soundBytesDiffering(sim->record("sound 0"), 0).empty();
  };
  sim = simulator("corvane-sim", 5);
  EXPECT_TRUE(within(kroma_test::kWaitCap, [&] {
    for (const std::string& line : sim->received())
      if (parseHex(line).size() == sysex::kGlobalDumpSize) return true;
    return false;
  })) << "the push began";
  sim->stop();
  sim = simulator("corvane-sim", 5);
  EXPECT_TRUE(within(kroma_test::kWaitCap, editorsSound)) << "the push made again";

  ASSERT_TRUE(s.overlayGone(kroma_test::kWaitCap)) << s.error();
  sim->stop();
  sim = simulator("corvane-sim", 5);
  ASSERT_FALSE(editorsSound());
  EXPECT_EQ(s.await(idle, {ready, "No response from corvane!"}, kroma_test::kWaitCap), ready)
      << s.error();
  EXPECT_TRUE(within(kroma_test::kWaitCap, editorsSound))
      << "the editor's values again after a power-on";
}

// Picked again, the output port alone brings the whole link back: the input port its menu shows
// opens with it, and the connection check hears the synthesizer.
TEST_F(EndToEnd, ASynthesizerThatCameBackIsReachedOnceItsOutputIsPickedAgain) {
  Session s(setup());
  auto sim = connectedThenRestarted(s);
  const std::string ready = "Plug-in is ready to go!";
  EXPECT_EQ(s.await([&] { return s.showPage(0) && s.choose(place::kPortOut, "corvane-sim:in"); },
                    {ready, "No response from corvane!"}, kroma_test::kWaitCap),
            ready)
      << s.error();
  EXPECT_TRUE(aCutoffTurnLands(s, *sim)) << s.error();
}

// The port menus ask the MIDI system each time they open: a JACK server that came up after the
// instance, and a synthesizer after the server, are listed and connect. Until then the status line
// says what is missing.
TEST_F(EndToEnd, PortMenusListAServerAndASynthesizerThatCameAfterTheInstance) {
  server.stop();
  Session s(setup());
  ASSERT_TRUE(s.open()) << s.error();
  const auto inputMenuShows = [&](const std::string& text) {
    return s.await([&] { return s.showPage(0) && s.choose(place::kPortIn, "OFF"); }, {text},
                   kroma_test::kWaitCap);
  };
  EXPECT_EQ(inputMenuShows("No MIDI server running!"), "No MIDI server running!") << s.error();
  ASSERT_TRUE(server.startAgain()) << server.error();
  EXPECT_EQ(inputMenuShows("No MIDI ports found!"), "No MIDI ports found!") << s.error();
  auto sim = simulator("corvane-sim", 5);
  ASSERT_TRUE(s.showPage(1) && s.choose(place::kTransferPause, "50 ms")) << s.error();
  EXPECT_TRUE(s.choosePorts("corvane-sim")) << s.error();
}

// The output picked first leaves the editor free and asks for the input, whose pick then checks
// the connection and finds the synthesizer.
TEST_F(EndToEnd, AnOutputPickedFirstLeavesTheConnectionCheckToTheInput) {
  auto sim = simulator("corvane-sim", 5);
  Session s(setup());
  ASSERT_TRUE(s.open()) << s.error();
  ASSERT_TRUE(s.showPage(1) && s.choose(place::kTransferPause, "50 ms")) << s.error();
  const std::string setInput = "Now set MIDI In port!", ready = "Plug-in is ready to go!";
  EXPECT_EQ(s.await([&] { return s.showPage(0) && s.choose(place::kPortOut, "corvane-sim:in"); },
                    {setInput}, kroma_test::kWaitCap),
            setInput)
      << s.error();
  EXPECT_EQ(s.await([&] { return s.choose(place::kPortIn, "corvane-sim:out"); },
                    {ready, "No response from corvane!"}, kroma_test::kWaitCap),
            ready)
      << s.error();
  EXPECT_TRUE(aCutoffTurnLands(s, *sim)) << s.error();
}

}  // namespace

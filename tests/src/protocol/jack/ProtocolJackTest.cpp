// One librarian request over JACK to the simulator program, on the steady clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/integration/midiports/JackServer.h"
#include "tests/src/protocol/ProtocolDoubles.h"
#include "tests/support/SimulatorPorts.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

namespace {

using namespace protocol_test;
using namespace std::chrono_literals;

template <class Pred>
bool waitFor(Pred done) {
  const auto end = std::chrono::steady_clock::now() + 60s;
  while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
  return done();
}

std::atomic<int> gArrived{0};

// The plug-in's MIDI input thread: every SysEx to the plug-in's input.
void receive(double, std::vector<unsigned char>* message, void* plugin) {
  ++gArrived;
  static_cast<FakePlugin*>(plugin)->ProcessSysEx(message->data(), (int)message->size(), true);
}

TEST(ProtocolOverJack, ASoundRequestLandsInTheSelectedSlot) {
  kroma_test::ScopedEnv api("KROMA_MIDI_API", "jack");
  midi_test::JackServer server;
  ASSERT_TRUE(server.running()) << server.error();
  const pid_t sim = server.startClient({CORVANE_SIM_PATH, "--id", "3"});
  FakePlugin plugin;
  PatchLibrarian librarian;
  librarian.soundFiles.push_back(bankOf(false));
  plugin.id = 3;
  MIDIMessageManager manager(plugin, librarian);
  plugin.manager = &manager;
  IMidiPortOut out("protocol test");
  IMidiPortIn in("protocol test");
  plugin.output = [&](const Bytes& bytes) { out.send(bytes.data(), bytes.size()); };
  in.setCallback(&receive, &plugin);
  ASSERT_TRUE(waitFor([&] {
    return kroma_test::simulatorPort(out, "in") >= 0 && kroma_test::simulatorPort(in, "out") >= 0;
  }));
  ASSERT_TRUE(out.open(kroma_test::simulatorPort(out, "in")) &&
              in.open(kroma_test::simulatorPort(in, "out")));
  // A new connection carries messages only from some later cycle on: ask for the Global
  // settings until they come (nothing collects them).
  const Bytes probe{0xF0, 0x3E, 0x13, 0x03, 0x04, 0xF7};
  ASSERT_TRUE(waitFor([&] { return out.send(probe.data(), probe.size()) && gArrived > 0; }));

  librarian.selectedProgram = 17;
  ASSERT_TRUE(manager.sendSinglePatchRequestSysexFromLibrarian(false, 2));
  ASSERT_TRUE(waitFor([&] { return !manager.isLaneRunning(Lane::kTransfer); }));
  in.close();
  EXPECT_EQ(plugin.status(),
            std::vector<std::string>({"Data processing, please wait...", "Data request Completed!",
                                      "Data received to slot(s)"}));
  const LibrarianPatch& slot = librarian.soundFiles[0]->records[17];
  EXPECT_EQ(slot.name, field("Init"));
  ASSERT_EQ(slot.messages.at(0).bytes.size(), 392u);
  EXPECT_EQ(Bytes(slot.messages[0].bytes.begin(), slot.messages[0].bytes.begin() + 7),
            Bytes({0xF0, 0x3E, 0x13, 3, 0x10, 2, 17}));
  EXPECT_TRUE(midi_test::JackServer::kill(sim));
}

}  // namespace

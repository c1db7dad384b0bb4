// One librarian request over JACK to the simulator program, on the steady clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/midiports/JackServer.h"
#include "tests/support/ProtocolDoubles.h"
#include "tests/support/TempDir.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

namespace {

using namespace protocol_test;
using namespace std::chrono_literals;

template <class Pred>
bool waitFor(Pred done, std::chrono::milliseconds limit = 30s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// The index of the port whose name ends in `suffix`, or -1.
template <class Port>
int portNamed(Port& port, const std::string& suffix) {
  for (unsigned i = 0; i < port.portCount(); ++i) {
    std::string name;
    if (port.portName(i, name) && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

// The plug-in's MIDI input thread hands every SysEx to the plug-in's input.
struct Input {
  FakePlugin* plugin;
  std::atomic<int> count{0};

  static void receive(double, std::vector<unsigned char>* message, void* user) {
    auto* self = static_cast<Input*>(user);
    ++self->count;
    if (message->size() > 3)
      self->plugin->ProcessSysEx(message->data(), static_cast<int>(message->size()), true);
  }
};

TEST(ProtocolOverJack, ASoundRequestLandsInTheSelectedSlot) {
  kroma_test::ScopedEnv api("KROMA_MIDI_API", "jack");
  midi_test::JackServer server;
  ASSERT_TRUE(server.running()) << server.error();
  const pid_t sim = server.startClient({CORVANE_SIM_PATH, "--id", "3"});
  ASSERT_GT(sim, 0);

  FakePlugin plugin;
  PatchLibrarian librarian;
  librarian.soundFiles.push_back(bankOf(false));
  plugin.setStoredValue(kLibSyncTimer, 0);
  plugin.id = 3;
  MIDIMessageManager manager(plugin, librarian);
  plugin.manager = &manager;
  Input input{&plugin};
  IMidiPortOut out("kroma-protocol-test out");
  IMidiPortIn in("kroma-protocol-test in");
  plugin.output = [&](const Bytes& bytes) { out.send(bytes.data(), bytes.size()); };
  in.setCallback(&Input::receive, &input);

  int toSim = -1, fromSim = -1;
  ASSERT_TRUE(waitFor([&] {
    toSim = portNamed(out, "corvane-sim:in");
    fromSim = portNamed(in, "corvane-sim:out");
    return toSim >= 0 && fromSim >= 0;
  }));
  ASSERT_TRUE(out.open(toSim));
  ASSERT_TRUE(in.open(fromSim));
  // A new connection carries messages only from some later cycle on: ask for the Global
  // settings until they come. No collector is armed, so they are dropped.
  const Bytes probe{0xF0, 0x3E, 0x13, 0x03, 0x04, 0xF7};
  ASSERT_TRUE(waitFor([&] {
    out.send(probe.data(), probe.size());
    std::this_thread::sleep_for(20ms);
    return input.count > 0;
  }));

  librarian.selectedProgram = 17;
  ASSERT_TRUE(manager.sendSinglePatchRequestSysexFromLibrarian(false, 2));
  ASSERT_TRUE(waitFor([&] { return !manager.isLaneRunning(Lane::kTransfer); }, 60s));
  in.close();

  EXPECT_TRUE(plugin.showed("Data request Completed!"));
  EXPECT_EQ(plugin.lastText(), "Data received to slot(s)");
  const LibrarianPatch& slot = librarian.soundFiles[0]->records[17];
  EXPECT_EQ(slot.name, "Init            ");
  ASSERT_EQ(slot.messages.size(), 1u);
  const std::vector<uint8_t>& dump = slot.messages[0].bytes;
  ASSERT_EQ(dump.size(), 392u);
  EXPECT_EQ(std::vector<uint8_t>(dump.begin(), dump.begin() + 7),
            std::vector<uint8_t>({0xF0, 0x3E, 0x13, 3, 0x10, 2, 17}));
  EXPECT_TRUE(midi_test::JackServer::kill(sim));
}

}  // namespace

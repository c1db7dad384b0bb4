#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "JackServer.h"
#include "SynthSide.h"
#include "toolkit/plugin/IMidiPortIn.h"
#include "toolkit/plugin/IMidiPortOut.h"

namespace {

using midi_test::Bytes;
using midi_test::waitFor;

// Finds a port by the end of its name ("client:port" over JACK).
template <class Port>
int findPort(Port& port, const std::string& suffix) {
  for (unsigned i = 0; i < port.portCount(); ++i) {
    std::string name;
    if (port.portName(i, name) && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      return (int)i;
  }
  return -1;
}

class JackPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running()) << server.error();
    synth = std::make_unique<midi_test::SynthSide>();
    in = std::make_unique<IMidiPortIn>();
    out = std::make_unique<IMidiPortOut>();
    in->setCallback(&midi_test::Received::callback, &plugin);
    ASSERT_TRUE(in->hasClient());
    ASSERT_TRUE(out->hasClient());
  }
  void TearDown() override {
    in.reset();
    out.reset();
    synth.reset();
  }
  void openBoth() {
    const int inPort = findPort(*in, midi_test::SynthSide::kOutPort);
    const int outPort = findPort(*out, midi_test::SynthSide::kInPort);
    ASSERT_GE(inPort, 0);
    ASSERT_GE(outPort, 0);
    ASSERT_TRUE(in->open(inPort));
    ASSERT_TRUE(out->open(outPort));
    ASSERT_TRUE(linked()) << "no message got through the new connections";
  }
  // A connection carries messages only from some later JACK cycle on (much
  // later under ThreadSanitizer): tune requests go both ways until each side
  // has heard one, then the slate is wiped.
  bool linked() {
    const Bytes probe{0xF6};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (plugin.count() == 0 || synth->received.count() == 0) {
      if (std::chrono::steady_clock::now() > end) return false;
      synth->send(probe);
      send(probe);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // probes still on the way
    plugin.clear();
    synth->received.clear();
    return true;
  }
  bool send(const Bytes& bytes) { return out->send(bytes.data(), bytes.size()); }

  kroma_test::ScopedEnv api{"KROMA_MIDI_API", "jack"};
  midi_test::JackServer server;
  midi_test::LogCapture log;
  midi_test::Received plugin;
  std::unique_ptr<midi_test::SynthSide> synth;
  std::unique_ptr<IMidiPortIn> in;
  std::unique_ptr<IMidiPortOut> out;
};

TEST_F(JackPorts, ShortMessagesArriveAsShortMessagesBothWays) {
  openBoth();
  synth->send({0xC3, 0x05});
  synth->send({0xB0, 0x07, 0x64});
  synth->send({0xFE});  // active sensing is dropped
  ASSERT_TRUE(waitFor([&] { return plugin.count() == 2; }));
  EXPECT_EQ(plugin.messages(), (std::vector<Bytes>{{0xC3, 0x05}, {0xB0, 0x07, 0x64}}));

  EXPECT_TRUE(send({0x90, 0x3C, 0x40}));
  EXPECT_TRUE(send({0xD0, 0x40}));
  ASSERT_TRUE(waitFor([&] { return synth->received.count() == 2; }));
  EXPECT_EQ(synth->received.messages(), (std::vector<Bytes>{{0x90, 0x3C, 0x40}, {0xD0, 0x40}}));
}

TEST_F(JackPorts, SoundDumpAndLargeSysExArriveWhole) {
  openBoth();
  const Bytes dump = midi_test::sysEx(392), large = midi_test::sysEx(16000);
  // The synthesizer's side is plain RtMidi, whose JACK buffer holds only one
  // of the two at a time.
  synth->send(dump);
  ASSERT_TRUE(waitFor([&] { return plugin.count() == 1; }));
  synth->send(large);
  ASSERT_TRUE(waitFor([&] { return plugin.count() == 2; }));
  EXPECT_EQ(plugin.messages(), (std::vector<Bytes>{dump, large}));

  EXPECT_TRUE(send(dump));
  EXPECT_TRUE(send(large));
  EXPECT_TRUE(send(large)) << "a send waits for room in the port's buffer";
  ASSERT_TRUE(waitFor([&] { return synth->received.count() == 3; }));
  EXPECT_EQ(synth->received.messages(), (std::vector<Bytes>{dump, large, large}));
}

TEST_F(JackPorts, SysExOverTheJackLimitIsRefusedWithALogLine) {
  openBoth();
  EXPECT_FALSE(send(midi_test::sysEx(16380)));
  EXPECT_TRUE(log.contains("message of 16380 bytes not sent"));
  EXPECT_TRUE(send(midi_test::sysEx(16379)));
  ASSERT_TRUE(waitFor([&] { return synth->received.count() == 1; }));
  EXPECT_EQ(synth->received.messages()[0].size(), 16379u);
}

TEST_F(JackPorts, BurstOfAThousandArrivesCompleteAndInOrder) {
  openBoth();
  std::vector<Bytes> burst;
  for (int i = 0; i < 1000; ++i)
    burst.push_back({(uint8_t)(0xB0 | (i / 128) % 16), 20, (uint8_t)(i % 128)});
  for (const Bytes& message : burst) synth->send(message);
  for (const Bytes& message : burst) ASSERT_TRUE(send(message));
  EXPECT_TRUE(waitFor([&] { return plugin.count() == burst.size(); }));
  EXPECT_TRUE(waitFor([&] { return synth->received.count() == burst.size(); }));
  EXPECT_EQ(plugin.messages(), burst);
  EXPECT_EQ(synth->received.messages(), burst);
}

TEST_F(JackPorts, ClosingWhileMessagesArriveIsClean) {
  const int inPort = findPort(*in, midi_test::SynthSide::kOutPort);
  const int outPort = findPort(*out, midi_test::SynthSide::kInPort);
  ASSERT_GE(inPort, 0);
  std::atomic<bool> stop{false};
  std::thread device([&] {
    const Bytes dump = midi_test::sysEx(392);
    for (uint8_t n = 0; !stop; n = (n + 1) % 128) {
      synth->send({0x90, n, 0x40});
      if (n % 16 == 0) synth->send(dump);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  std::thread editor([&] {
    for (int i = 0; !stop; ++i) send({0xB0, 7, (uint8_t)(i % 128)});
  });
  for (int round = 0; round < 10; ++round) {
    ASSERT_TRUE(in->open(inPort));
    ASSERT_TRUE(out->open(outPort));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    in->close();
    out->close();
    const size_t settled = plugin.count();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(plugin.count(), settled) << "the callback ran after close";
  }
  stop = true;
  device.join();
  editor.join();
  EXPECT_GT(plugin.count(), 0u);
  for (const Bytes& message : plugin.messages())
    EXPECT_TRUE(message.size() == 3 || message == midi_test::sysEx(392));
}

TEST_F(JackPorts, PortThatDisappearsWhileOpenIsHandled) {
  // A sequencer client stands for a device that plays notes until unplugged.
  const pid_t device =
      server.startClient({"jack_midiseq", "Corvane Seq", "4800", "0", "60", "2400"});
  ASSERT_GT(device, 0);
  ASSERT_TRUE(waitFor([&] { return findPort(*in, "Corvane Seq:out") >= 0; }));
  // The sequencer registers its port before it activates, and JACK refuses
  // connections to an inactive client.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(in->open(findPort(*in, "Corvane Seq:out")));
  ASSERT_TRUE(waitFor([&] { return plugin.count() >= 2; }));

  midi_test::JackServer::kill(device);
  EXPECT_TRUE(waitFor([&] { return findPort(*in, "Corvane Seq:out") < 0; }));
  in->close();
  EXPECT_FALSE(in->isOpen());
  for (const Bytes& message : plugin.messages()) EXPECT_EQ(message[1], 60);
}

TEST(JackChoice, UnsetApiFallsBackToJack) {
  midi_test::JackServer server;
  ASSERT_TRUE(server.running()) << server.error();
  kroma_test::ScopedEnv api{"KROMA_MIDI_API", nullptr};
  midi_test::SynthSide synth;
  IMidiPortIn in;
  ASSERT_TRUE(in.hasClient());
  EXPECT_GE(findPort(in, midi_test::SynthSide::kOutPort), 0);
}

}  // namespace

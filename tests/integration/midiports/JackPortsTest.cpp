#include <RtMidi.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

#include "JackServer.h"
#include "SynthSide.h"
#include "tests/support/Patience.h"
#include "tests/toolkit/plugin/base/PortPlugin.h"

namespace {

using midi_test::Bytes;
using midi_test::waitFor;

// The full name of a listed port ("client:port" over JACK), or "".
std::string listed(const std::vector<std::string>& names, const std::string& suffix) {
  for (const std::string& name : names)
    if (name.size() >= suffix.size() && name != "OFF" &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      return name;
  return "";
}

// A host whose audio runs on a JACK client of its own, as Ardour's does: each cycle's process
// call waits for the plug-in's lock, and the server's cycle waits for the process call.
class JackHostAudio {
 public:
  explicit JackHostAudio(TK_Mutex& plugInLock)
      : mLock(plugInLock), mClient(jack_client_open("Host Audio", JackNoStartServer, nullptr)) {
    if (!mClient) return;
    jack_set_process_callback(mClient, &JackHostAudio::process, this);
    jack_activate(mClient);
  }
  ~JackHostAudio() {
    if (mClient) jack_client_close(mClient);
  }
  JackHostAudio(const JackHostAudio&) = delete;
  JackHostAudio& operator=(const JackHostAudio&) = delete;

  bool running() const { return mClient != nullptr; }
  // Runs `step` holding the plug-in's lock once a process call waits for it, as a host's editor
  // thread opens a port while its audio waits.
  template <class Step>
  void whileTheAudioWaits(Step step) {
    TK_MutexLock lock(mLock);
    ASSERT_TRUE(waitFor([&] { return mWaiting.load(); }));
    step();
  }

 private:
  static int process(jack_nframes_t, void* self) {
    auto* host = static_cast<JackHostAudio*>(self);
    host->mWaiting = true;
    TK_MutexLock lock(host->mLock);
    host->mWaiting = false;
    return 0;
  }

  TK_Mutex& mLock;
  jack_client_t* const mClient;
  std::atomic<bool> mWaiting{false};
};

// The plug-in's ports against the synthesizer's over a private JACK server.
class JackPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running()) << server.error();
    synth = std::make_unique<midi_test::SynthSide>();
    plug = std::make_unique<midi_test::PortPlugin>();
  }
  void TearDown() override {
    plug.reset();
    synth.reset();
  }

  // Selects the synthesizer's ports by name, as a restored project does.
  void selectBoth() {
    ASSERT_TRUE(selectInput());
    ASSERT_TRUE(selectOutput());
    ASSERT_TRUE(midi_test::linkAndWipe(*synth, *plug, true)) << "nothing got through";
  }
  bool selectInput(const char* suffix = midi_test::SynthSide::kOutPort) {
    int index = 1;
    return plug->setExternalMIDIIn(index, listed(plug->getExternalMIDIInNames(), suffix).c_str()) >
               0 &&
           index > 0;
  }
  bool selectOutput() {
    int index = 1;
    const std::string name = listed(plug->getExternalMIDIOutNames(), midi_test::SynthSide::kInPort);
    return plug->setExternalMIDIOut(index, name.c_str()) > 0 && index > 0;
  }
  void closeBoth() {
    int off = 0;
    plug->setExternalMIDIIn(off, nullptr);
    plug->setExternalMIDIOut(off, nullptr);
  }
  bool send(const Bytes& bytes) { return plug->SendMidiSysex2(bytes); }

  kroma_test::ScopedEnv api{"KROMA_MIDI_API", "jack"};
  midi_test::JackServer server;
  std::unique_ptr<midi_test::SynthSide> synth;
  std::unique_ptr<midi_test::PortPlugin> plug;
};

// The ports are listed after "OFF" (inputs only sources) and selected by name; short messages
// arrive as short messages both ways, a burst of a thousand complete and in order.
TEST_F(JackPorts, PortsSelectedByNameCarryShortMessagesAndABurstWholeAndInOrderBothWays) {
  const auto& inputs = plug->getExternalMIDIInNames();
  ASSERT_FALSE(inputs.empty());
  EXPECT_EQ(inputs[0], "OFF");
  EXPECT_EQ(plug->getExternalMIDIOutNames()[0], "OFF");
  EXPECT_EQ(listed(inputs, midi_test::SynthSide::kInPort), "") << "inputs list only sources";
  const std::string source = listed(inputs, midi_test::SynthSide::kOutPort);
  int index = 1;
  EXPECT_EQ(plug->setExternalMIDIIn(index, source.c_str()),
            plug->getExternalMIDIInDevice(source.c_str()));
  EXPECT_EQ(index, plug->getExternalMIDIInDevice(source.c_str()));
  selectBoth();
  synth->send({0xFE});  // dropped; sent first, so that it would show before the others
  synth->send({0xC3, 0x05});
  synth->send({0xB0, 0x07, 0x64});
  ASSERT_TRUE(waitFor([&] { return plug->count() == 2; }));
  EXPECT_EQ(plug->shortBytes(), (std::vector<Bytes>{{0xC3, 0x05, 0x00}, {0xB0, 0x07, 0x64}}));
  EXPECT_TRUE(plug->shortMessages()[0].fromDevice);
  EXPECT_TRUE(plug->sysExMessages().empty());

  IMidiMsg note(0, 0x90, 0x3C, 0x40), pressure(0, 0xD0, 0x40, 0x00);
  EXPECT_TRUE(plug->SendMidiMsg(&note));
  EXPECT_TRUE(plug->SendMidiMsg(&pressure));
  ASSERT_TRUE(waitFor([&] { return synth->received.count() == 2; }));
  EXPECT_EQ(synth->received.messages(), (std::vector<Bytes>{{0x90, 0x3C, 0x40}, {0xD0, 0x40}}));

  plug->clear();
  synth->received.clear();
  std::vector<Bytes> burst;
  for (int i = 0; i < 1000; ++i)
    burst.push_back({(uint8_t)(0xB0 | (i / 128) % 16), 20, (uint8_t)(i % 128)});
  for (const Bytes& message : burst) synth->send(message);
  for (const Bytes& message : burst) ASSERT_TRUE(send(message));
  EXPECT_TRUE(waitFor([&] { return plug->count() == burst.size(); }));
  EXPECT_TRUE(waitFor([&] { return synth->received.count() == burst.size(); }));
  EXPECT_EQ(plug->shortBytes(), burst);
  EXPECT_EQ(synth->received.messages(), burst);
}

TEST_F(JackPorts, SoundDumpsAndLargeSysExArriveWholeUpToThePortsLimit) {
  selectBoth();
  const Bytes dump = midi_test::sysEx(392), large = midi_test::sysEx(16000);
  // One after the other: a JACK cycle's buffer holds only one of the two.
  synth->send(dump);
  ASSERT_TRUE(waitFor([&] { return plug->count() == 1; }));
  synth->send(large);
  ASSERT_TRUE(waitFor([&] { return plug->count() == 2; }));
  EXPECT_EQ(plug->sysExMessages(), (std::vector<Bytes>{dump, large}));
  EXPECT_TRUE(plug->sysExFromDevice());

  EXPECT_TRUE(plug->SendMidiSysex(const_cast<uint8_t*>(dump.data()), (int)dump.size()));
  EXPECT_TRUE(send(large));
  EXPECT_TRUE(send(large)) << "a send waits for room in the port's buffer";
  ASSERT_TRUE(waitFor([&] { return synth->received.count() == 3; }));
  EXPECT_EQ(synth->received.messages(), (std::vector<Bytes>{dump, large, large}));

  // One byte over the port's limit is refused with a log line; the limit itself goes.
  synth->received.clear();
  EXPECT_FALSE(send(midi_test::sysEx(16380)));
  EXPECT_TRUE(plug->log().contains("message of 16380 bytes not sent"));
  EXPECT_TRUE(send(midi_test::sysEx(16379)));
  ASSERT_TRUE(waitFor([&] { return synth->received.count() == 1; }));
  EXPECT_EQ(synth->received.messages()[0].size(), 16379u);
}

TEST_F(JackPorts, ClosingWhileMessagesArriveIsClean) {
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
    IMidiMsg cc(0, 0xB0, 7, 0);
    while (!stop) plug->SendMidiMsg(&cc);
  });
  midi_test::StopAndJoin joinOnExit(stop, {&editor, &device});
  for (int round = 0; round < 10; ++round) {
    ASSERT_TRUE(selectInput());
    ASSERT_TRUE(selectOutput());
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    closeBoth();
    const size_t settled = plug->count();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(plug->count(), settled) << "a handler ran after close";
  }
  ASSERT_TRUE(selectInput());
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
  stop = true;
  editor.join();
  plug.reset();  // shut-down with the input open while the device still sends
  device.join();
}

TEST_F(JackPorts, PortThatDisappearsWhileOpenIsHandled) {
  // A program of its own stands for a device that plays notes until unplugged.
  plug.reset();
  const pid_t device = server.startClient({KROMA_TEST_JACK_DEVICE, "Corvane Seq", "out"});
  ASSERT_GT(device, 0);
  RtMidiIn watcher(RtMidi::UNIX_JACK, "Watcher");
  const auto deviceListed = [&] {
    for (unsigned i = 0; i < watcher.getPortCount(); ++i)
      if (watcher.getPortName(i) == "Corvane Seq:out") return true;
    return false;
  };
  ASSERT_TRUE(waitFor(deviceListed));
  plug = std::make_unique<midi_test::PortPlugin>();
  // Selecting is tried again until notes come, in case the device's port was
  // listed before its client could take connections.
  bool playing = false;
  for (const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
       !playing && std::chrono::steady_clock::now() < end;) {
    ASSERT_TRUE(selectInput("Corvane Seq:out"));
    playing = waitFor([&] { return plug->count() >= 2; }, std::chrono::seconds(1));
  }
  ASSERT_TRUE(playing);

  midi_test::JackServer::kill(device);
  // The server drops a killed client's port in its own time.
  ASSERT_TRUE(waitFor([&] { return !deviceListed(); }));
  int off = 0;
  EXPECT_EQ(plug->setExternalMIDIIn(off, nullptr), 0);
  const size_t settled = plug->count();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(plug->count(), settled) << "a handler ran after close";
  for (const auto& s : plug->shortMessages()) EXPECT_EQ(s.msg.mData1, 60);
  // The stale list still names the vanished port; selecting it fails cleanly
  // instead of connecting whatever port now has its number.
  EXPECT_FALSE(selectInput("Corvane Seq:out"));
  EXPECT_TRUE(plug->log().contains("\"Corvane Seq:out\" is gone"));
}

// The synthesizer's ports go and come back under their names: the ports opened to them report
// their links lost, before and after, until they are opened to the new ones. Also when they were
// opened while the host's audio waited for the plug-in's lock (the server then shows the new
// connections only once the cycle has gone on, after the open), and after an open that failed.
TEST_F(JackPorts, PortsThatWentAndCameBackReportTheirLinksLost) {
  JackHostAudio host(plug->GetMutex());
  ASSERT_TRUE(host.running());
  enum class Opened { kFreely, kWhileTheAudioWaits, kAfterAFailedOpen };
  const struct {
    const char* what;
    Opened how;
  } rows[] = {{"opened freely", Opened::kFreely},
              {"opened while the host's audio waits", Opened::kWhileTheAudioWaits},
              {"opened after an open that failed", Opened::kAfterAFailedOpen}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    plug->refreshExternalMIDIInNames("");
    plug->refreshExternalMIDIOutNames("");
    bool opened = false;
    const auto open = [&] { opened = selectInput() && selectOutput(); };
    if (row.how == Opened::kAfterAFailedOpen) {
      EXPECT_FALSE(plug->openOutputAt(9999));
    }
    row.how == Opened::kWhileTheAudioWaits ? host.whileTheAudioWaits(open) : open();
    ASSERT_TRUE(opened);
    ASSERT_TRUE(midi_test::linkAndWipe(*synth, *plug, true)) << "nothing got through";
    EXPECT_FALSE(plug->linkLost(true) || plug->linkLost(false));
    synth.reset();
    EXPECT_TRUE(waitFor([&] { return plug->linkLost(true) && plug->linkLost(false); }));
    synth = std::make_unique<midi_test::SynthSide>();
    EXPECT_TRUE(plug->linkLost(true) && plug->linkLost(false));
  }
  plug->refreshExternalMIDIInNames("");
  plug->refreshExternalMIDIOutNames("");
  selectBoth();
  EXPECT_FALSE(plug->linkLost(true) || plug->linkLost(false));
}

// Without a choice of MIDI system the ports are JACK's.
TEST_F(JackPorts, UnsetApiFallsBackToJack) {
  kroma_test::ScopedEnv unset{"KROMA_MIDI_API", nullptr};
  EXPECT_NE(
      listed(midi_test::PortPlugin().getExternalMIDIInNames(), midi_test::SynthSide::kOutPort), "");
}

}  // namespace

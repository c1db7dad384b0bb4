#include <gtest/gtest.h>

#include <stdexcept>

#include <atomic>
#include <thread>

#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

using midi_test::Bytes;

class PortOut : public ::testing::Test {
 protected:
  PortOut() {
    backend.addOutputPort("Synth A");
    backend.addOutputPort("Synth B");
  }
  bool send(IMidiPortOut& port, const Bytes& bytes) {
    return port.send(bytes.data(), bytes.size());
  }

  midi_test::LogCapture log;
  MidiBackendMemory backend;
};

TEST_F(PortOut, SendsFailWhenClosedAndClientErrorsAreLogged) {
  IMidiPortOut port("out", backend, &log);
  ASSERT_TRUE(port.open(0));
  port.close();
  EXPECT_FALSE(send(port, {0xB0, 0x07, 0x64})) << "closed";
  EXPECT_TRUE(backend.received("Synth A").empty());

  backend.setFailNames(true);
  std::string name = "kept";
  EXPECT_FALSE(port.portName(0, name));
  EXPECT_TRUE(log.contains("cannot read the name of output port 0"));
  backend.setFailOpen(true);
  EXPECT_FALSE(port.open(0));
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(log.contains("cannot open output port 0"));
  backend.setFailCreate(true);
  EXPECT_FALSE(IMidiPortOut("out", backend, &log).hasClient());
  EXPECT_TRUE(log.contains("cannot create the output client"));

  backend.setFailCreate(false);
  backend.setAvailable(false);  // no MIDI system: no client, nothing opens
  IMidiPortIn in("in", 100, backend, &log);
  IMidiPortOut out("out", backend, &log);
  EXPECT_EQ(in.portCount(), 0u);
  EXPECT_EQ(out.portCount(), 0u);
  EXPECT_FALSE(in.portName(0, name) || in.open(0));
  EXPECT_FALSE(out.portName(0, name) || out.open(0));
  EXPECT_EQ(name, "kept");
}

TEST_F(PortOut, MessageOverTheTransportLimitIsRefusedWithALogLine) {
  backend.setMaxMessageSize(16379);
  IMidiPortOut port("out", backend, &log);
  ASSERT_TRUE(port.open(0));
  EXPECT_TRUE(send(port, midi_test::sysEx(16379)));
  EXPECT_FALSE(send(port, midi_test::sysEx(16380)));
  EXPECT_TRUE(log.contains("message of 16380 bytes not sent"));
  EXPECT_EQ(backend.received("Synth A").size(), 1u);
  EXPECT_TRUE(send(port, {0xFA})) << "a one-byte message goes out too";
  EXPECT_EQ(backend.received("Synth A").back(), Bytes{0xFA});
  EXPECT_FALSE(port.linkLost());
  backend.removePort("Synth A");  // a port that disappears fails the sends
  EXPECT_FALSE(send(port, {0x90, 0x3C, 0x40}));
  EXPECT_TRUE(port.linkLost());
  // One of its name that comes is another port: nothing reaches it until it is opened.
  backend.addOutputPort("Synth A");
  EXPECT_TRUE(port.linkLost());
  EXPECT_FALSE(send(port, {0xFA}));
  ASSERT_TRUE(port.open(port.portCount() - 1));
  EXPECT_FALSE(port.linkLost());
  EXPECT_TRUE(send(port, {0xFA}));
  port.close();
  EXPECT_FALSE(port.linkLost()) << "a closed port has no link to lose";
}

// Two threads send while the port closes: a send reports true exactly when
// its bytes went out, and each thread's order is kept.
TEST_F(PortOut, ConcurrentSendsArriveWholeInOrderUntilClosed) {
  IMidiPortOut port("out", backend, &log);
  ASSERT_TRUE(port.open(0));
  std::atomic<int> accepted{0};
  auto sender = [&](uint8_t channel) {
    for (int i = 0; i < 500; ++i)
      if (send(port, {(uint8_t)(0xB0 | channel), 7, (uint8_t)(i % 128)})) ++accepted;
  };
  std::thread a(sender, 0), b(sender, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  port.close();
  a.join();
  b.join();
  const auto received = backend.received("Synth A");
  ASSERT_EQ(received.size(), (size_t)accepted.load());
  int perChannel[2] = {0, 0};
  for (const Bytes& message : received) {
    ASSERT_EQ(message.size(), 3u);
    ASSERT_EQ(message[2], perChannel[message[0] & 0x0F]++ % 128);
  }
}

// A MIDI system whose every call throws, once its port is open: counts are 0, names and sends
// fail, and each failure is logged.
struct ThrowingOut : MidiOutClient {
  unsigned portCount() override { throw std::runtime_error("count broke"); }
  std::string portName(unsigned) override { throw std::runtime_error("name broke"); }
  void openPort(unsigned, const std::string&) override {}
  void openVirtualPort(const std::string&) override {}
  void closePort() override { throw std::runtime_error("close broke"); }
  bool send(const uint8_t*, size_t) override { throw std::runtime_error("send broke"); }
  size_t maxMessageSize() const override { return 0; }
};
struct ThrowingIn : MidiInClient {
  unsigned portCount() override { throw std::runtime_error("count broke"); }
  std::string portName(unsigned) override { throw std::runtime_error("name broke"); }
  void openPort(unsigned, const std::string&, MidiReceiveFn, void*) override {}
  void closePort() override { throw std::runtime_error("close broke"); }
};
struct ThrowingBackend : MidiBackend {
  std::unique_ptr<MidiInClient> createInClient(const std::string&, unsigned, TK_LogSink*) override {
    return std::make_unique<ThrowingIn>();
  }
  std::unique_ptr<MidiOutClient> createOutClient(const std::string&, TK_LogSink*) override {
    return std::make_unique<ThrowingOut>();
  }
};

TEST(PortsOnABrokenSystem, CountsAreZeroAndFailuresAreLogged) {
  midi_test::LogCapture log;
  ThrowingBackend backend;
  IMidiPortOut out("out", backend, &log);
  IMidiPortIn in("in", 100, backend, &log);
  EXPECT_EQ(out.portCount(), 0u);
  EXPECT_EQ(in.portCount(), 0u);
  EXPECT_TRUE(log.contains("cannot count the output ports: count broke"));
  EXPECT_TRUE(log.contains("cannot count the input ports: count broke"));
  ASSERT_TRUE(out.open(0));
  const uint8_t cc[3] = {0xB0, 0x07, 0x64};
  EXPECT_FALSE(out.send(cc, 3));
  EXPECT_TRUE(log.contains("send failed: send broke"));
  out.close();
  EXPECT_FALSE(out.isOpen());
  ASSERT_TRUE(in.open(0));
  in.close();
  EXPECT_FALSE(in.isOpen());
  EXPECT_TRUE(log.contains("cannot close the input port: close broke"));
}

// Every failure of a broken system is one log line naming what failed; an empty send is refused
// before it reaches the system.
TEST(PortsOnABrokenSystem, EachFailureIsOneLogLine) {
  midi_test::LogCapture log;
  ThrowingBackend backend;
  IMidiPortOut out("out", backend, &log);
  IMidiPortIn in("in", 100, backend, &log);
  std::string name = "kept";
  EXPECT_FALSE(out.portName(3, name) || in.portName(4, name));
  EXPECT_EQ(name, "kept");
  ASSERT_TRUE(out.openVirtual("Kroma"));
  const uint8_t cc[3] = {0xB0, 0x07, 0x64};
  EXPECT_FALSE(out.send(cc, 0) || out.send(nullptr, 3));
  out.close();
  out.close();  // closed already: nothing to log
  EXPECT_EQ(log.lines(), (std::vector<std::string>{
                             "MIDI PORTS: cannot read the name of output port 3: name broke",
                             "MIDI PORTS: cannot read the name of input port 4: name broke",
                             "MIDI PORTS: cannot close the output port: close broke"}));
}

}  // namespace

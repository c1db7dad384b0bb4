#include <gtest/gtest.h>

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
  backend.removePort("Synth A");  // a port that disappears fails the sends
  EXPECT_FALSE(send(port, {0x90, 0x3C, 0x40}));
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

}  // namespace

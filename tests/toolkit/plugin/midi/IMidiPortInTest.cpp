#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <stdexcept>
#include <thread>

#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortInQueue.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

using midi_test::Bytes;
using midi_test::waitFor;

class PortIn : public ::testing::Test {
 protected:
  PortIn() {
    backend.addInputPort("Synth A");
    backend.addInputPort("Synth B");
    port.setCallback(&midi_test::Received::callback, &received);
  }

  midi_test::LogCapture log;
  MidiBackendMemory backend;
  midi_test::Received received;
  IMidiPortIn port{"in", 100, backend, &log};
};

// A SysEx split by the system arrives whole, on the port's own thread.
TEST_F(PortIn, MessagesReachTheCallbackOnTheInputThread) {
  ASSERT_EQ(port.portCount(), 2u);
  EXPECT_FALSE(port.open(5));
  ASSERT_TRUE(port.open(1));
  EXPECT_TRUE(backend.inputConnected("Synth B"));
  const Bytes whole = midi_test::sysEx(16000);
  const auto steadySeconds = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  const double sent = steadySeconds();
  std::thread device([&] {
    backend.deviceSend("Synth B", {0xC3, 0x05});
    for (size_t at = 0; at < whole.size(); at += 1000)
      backend.deviceSend("Synth B", Bytes(whole.begin() + at, whole.begin() + at + 1000));
  });
  const std::thread::id deviceThread = device.get_id();
  device.join();
  ASSERT_TRUE(waitFor([&] { return received.count() == 2; }));
  EXPECT_EQ(received.messages(), (std::vector<Bytes>{{0xC3, 0x05}, whole}));
  // Each message carries the steady-clock time it arrived at.
  const std::vector<double> arrivals = received.arrivals();
  const double now = steadySeconds();
  for (double arrival : arrivals) {
    EXPECT_GE(arrival, sent);
    EXPECT_LE(arrival, now);
  }
  EXPECT_LE(arrivals.front(), arrivals.back());
  EXPECT_NE(received.thread(), std::this_thread::get_id());
  EXPECT_NE(received.thread(), deviceThread);
}

// The port the input listens to goes away: its link is lost, also once one of its name came
// back, which hears nothing from it until it is opened.
TEST_F(PortIn, APortThatWentAwayLosesItsLinkUntilOpenedAgain) {
  ASSERT_TRUE(port.open(0));
  EXPECT_FALSE(port.linkLost());
  backend.removePort("Synth A");
  EXPECT_TRUE(port.linkLost());
  backend.addInputPort("Synth A");
  EXPECT_TRUE(port.linkLost());
  EXPECT_FALSE(backend.deviceSend("Synth A", {0xC3, 0x05}));
  ASSERT_TRUE(port.open(1));
  EXPECT_FALSE(port.linkLost());
  EXPECT_TRUE(backend.deviceSend("Synth A", {0xC3, 0x05}));
  ASSERT_TRUE(waitFor([&] { return received.count() == 1; }));
  port.close();
  EXPECT_FALSE(port.linkLost());
}

// A client listens on one port at a time: opening another leaves the first.
TEST(MemoryInClient, OpeningAnotherPortLeavesTheFirst) {
  MidiBackendMemory backend;
  backend.addInputPort("Synth A");
  backend.addInputPort("Synth B");
  auto client = backend.createInClient("in", 100, nullptr);
  ASSERT_TRUE(client);
  std::vector<size_t> sizes;
  const MidiReceiveFn receive = [](const uint8_t*, size_t size, void* user) {
    static_cast<std::vector<size_t>*>(user)->push_back(size);
  };
  client->openPort(0, "in", receive, &sizes);
  client->openPort(1, "in", receive, &sizes);
  EXPECT_FALSE(backend.inputConnected("Synth A"));
  EXPECT_FALSE(backend.deviceSend("Synth A", {0xF8}));
  EXPECT_TRUE(backend.deviceSend("Synth B", {0xC3, 0x05}));
  EXPECT_EQ(sizes, std::vector<size_t>{2});
  client.reset();
  EXPECT_FALSE(backend.inputConnected("Synth B"));
}

// Port numbers run from 0 to one less than the count, for opening and for names alike.
TEST(MemoryClients, ThePortPastTheLastIsNone) {
  MidiBackendMemory backend;
  backend.addInputPort("Synth A");
  backend.addOutputPort("Synth B");
  auto in = backend.createInClient("in", 100, nullptr);
  auto out = backend.createOutClient("out", nullptr);
  ASSERT_TRUE(in && out);
  const MidiReceiveFn ignore = [](const uint8_t*, size_t, void*) {};
  EXPECT_THROW(in->openPort(1, "in", ignore, nullptr), std::runtime_error);
  EXPECT_THROW(out->openPort(1, "out"), std::runtime_error);
  EXPECT_THROW(in->portName(1), std::runtime_error);
  EXPECT_THROW(out->portName(1), std::runtime_error);
  EXPECT_EQ(in->portName(0) + out->portName(0), "Synth ASynth B");
  EXPECT_FALSE(backend.inputConnected("Synth A"));
}

// A SysEx cut off by choosing another port is forgotten: the new port starts clean.
TEST_F(PortIn, AnotherPortStartsWithoutTheLastOnesSysEx) {
  ASSERT_TRUE(port.open(0));
  backend.deviceSend("Synth A", {0xF0, 0x3E, 0xFA});  // the real-time byte shows it was read
  ASSERT_TRUE(waitFor([&] { return received.count() == 1; }));
  ASSERT_TRUE(port.open(1));
  backend.deviceSend("Synth B", {0x90, 0x3C, 0x40});
  ASSERT_TRUE(waitFor([&] { return received.count() == 2; }));
  EXPECT_EQ(received.messages(), (std::vector<Bytes>{{0xFA}, {0x90, 0x3C, 0x40}}));
  EXPECT_TRUE(log.lines().empty()) << log.lines().front();
}

void throwingCallback(double, std::vector<unsigned char>* message, void* self) {
  if (message->size() == 1) throw std::runtime_error("handler broke");
  if (message->size() == 2) throw 2;
  midi_test::Received::callback(0, message, self);
}

TEST_F(PortIn, AFailingCallbackIsLoggedAndTheThreadGoesOn) {
  port.setCallback(&throwingCallback, &received);
  ASSERT_TRUE(port.open(0));
  backend.deviceSend("Synth A", {0xC0, 0x01});  // throws what is no exception class
  backend.deviceSend("Synth A", {0xFC, 0x00, 0x00});
  ASSERT_TRUE(waitFor([&] { return received.count() == 1; }));
  EXPECT_TRUE(log.contains("incoming message handler failed"));
  backend.deviceSend("Synth A", {0xFA});
  backend.deviceSend("Synth A", {0xFC, 0x00, 0x00});
  ASSERT_TRUE(waitFor([&] { return received.count() == 2; }));
  EXPECT_TRUE(log.contains("incoming message handler failed: handler broke"));
}

// What fails in the MIDI system is logged and leaves the port closed; names read well are kept.
TEST_F(PortIn, SystemErrorsAreLoggedAndLeaveThePortClosed) {
  std::string name;
  ASSERT_TRUE(port.portName(1, name));
  EXPECT_EQ(name, "Synth B");
  backend.setFailNames(true);
  EXPECT_FALSE(port.portName(0, name));
  EXPECT_EQ(name, "Synth B");
  EXPECT_TRUE(log.contains("cannot read the name of input port 0"));
  backend.setFailOpen(true);
  EXPECT_FALSE(port.open(0));
  EXPECT_FALSE(port.isOpen());
  EXPECT_FALSE(backend.inputConnected("Synth A"));
  EXPECT_TRUE(log.contains("cannot open input port 0"));
  backend.setFailOpen(false);
  ASSERT_TRUE(port.open(0));
  EXPECT_TRUE(port.isOpen());
  port.close();
  EXPECT_FALSE(port.isOpen());
  EXPECT_FALSE(backend.inputConnected("Synth A"));
  backend.setFailCreate(true);
  IMidiPortIn broken("in", 100, backend, &log);
  EXPECT_EQ(broken.portCount(), 0u);
  EXPECT_FALSE(broken.open(0));
  EXPECT_TRUE(log.contains("cannot create the input client"));
}

// Messages past the input queue's room (4 MB) are dropped and counted in the log.
TEST(PortInQueueFull, DroppedMessagesAreLogged) {
  midi_test::LogCapture log;
  MidiBackendMemory backend;
  backend.addInputPort("Synth A");
  midi_test::Received received;
  std::atomic<bool> hold{true}, holding{false};
  struct Held {
    std::atomic<bool>* hold;
    std::atomic<bool>* holding;
    midi_test::Received* received;
  } held{&hold, &holding, &received};
  IMidiPortIn port("in", 100, backend, &log);
  port.setCallback(
      [](double arrival, std::vector<unsigned char>* message, void* user) {
        Held* h = static_cast<Held*>(user);
        *h->holding = true;
        while (*h->hold) std::this_thread::yield();  // the input thread is busy
        midi_test::Received::callback(arrival, message, h->received);
      },
      &held);
  ASSERT_TRUE(port.open(0));
  backend.deviceSend("Synth A", {0xC0, 0x01});
  EXPECT_TRUE(waitFor([&] { return holding.load(); }));
  Bytes megabyte(1 << 20, 0x01);  // pieces of one (overlong) SysEx
  megabyte[0] = 0xF0;
  backend.deviceSend("Synth A", megabyte);
  megabyte[0] = 0x01;
  for (int i = 0; i < 4; ++i) backend.deviceSend("Synth A", megabyte);
  hold = false;
  EXPECT_TRUE(
      waitFor([&] { return log.contains("incoming messages dropped: the input queue is full"); }));
  port.close();
}

TEST(PortInQueue, RefusesWhileStoppedAndWhenFull) {
  IMidiPortInQueue queue(8);
  const uint8_t bytes[5] = {0xF0, 1, 2, 3, 0xF7};
  EXPECT_FALSE(queue.push(bytes, 3)) << "not started";
  queue.start();
  EXPECT_TRUE(queue.push(bytes, 5));
  EXPECT_FALSE(queue.push(bytes, 5));
  EXPECT_EQ(queue.takeRefused(), 1u);
  EXPECT_EQ(queue.takeRefused(), 0u);

  std::deque<IMidiPortInQueue::Message> out;
  queue.popAll(out, std::chrono::milliseconds(0));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].bytes.size(), 5u);
  const uint8_t whole[8] = {0xF0, 1, 2, 3, 4, 5, 6, 0xF7};
  EXPECT_TRUE(queue.push(whole, 8)) << "popping frees all the room";
  queue.popAll(out, std::chrono::milliseconds(0));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_TRUE(queue.push(bytes, 5));
  queue.stop();
  queue.popAll(out, std::chrono::seconds(5));  // returns at once once stopped
  EXPECT_EQ(out.size(), 2u) << "stopping drops what was held";
}

// A reader waiting for messages wakes when one arrives and when the queue stops, long before
// its own timeout; a message that fills the queue exactly still fits.
TEST(PortInQueue, AWaitingReaderWakesForAMessageAndForTheStop) {
  const uint8_t bytes[8] = {0xF0, 1, 2, 3, 4, 5, 6, 0xF7};
  IMidiPortInQueue queue(8);
  queue.start();
  EXPECT_TRUE(queue.push(bytes, 5));
  EXPECT_TRUE(queue.push(bytes, 3)) << "exactly full";
  std::deque<IMidiPortInQueue::Message> held;
  queue.popAll(held, std::chrono::seconds(0));
  EXPECT_EQ(held.size(), 2u);
  for (bool byStop : {false, false, false, true}) {
    std::atomic<bool> started{false}, done{false};
    std::deque<IMidiPortInQueue::Message> out;
    std::thread reader([&] {
      started = true;
      queue.popAll(out, std::chrono::minutes(5));
      done = true;
    });
    // Polling gives the reader the time to begin waiting.
    EXPECT_TRUE(waitFor([&] { return started.load(); }));
    if (byStop)
      queue.stop();
    else
      EXPECT_TRUE(queue.push(bytes, 5));
    const bool woke = waitFor([&] { return done.load(); }, std::chrono::seconds(60));
    if (!woke) queue.stop();  // lets the reader go in any case
    reader.join();
    EXPECT_TRUE(woke) << (byStop ? "the stop" : "a message");
    EXPECT_EQ(out.size(), byStop ? 0u : 1u);
  }
}

}  // namespace

// The protocol engine's tests check the simulator's answers, records and faults.
#include "tools/corvane-sim/Simulator.h"

#include <gtest/gtest.h>

#include <thread>

#include "src/protocol/SysExFormat.h"

namespace corvane_sim {
namespace {

using namespace std::chrono_literals;

// A sound dump for bank 2, program 77 with a pattern in its data bytes and a correct checksum.
Bytes soundDump(int size, int id) {
  Bytes dump{0xF0, 0x3E, 0x13, static_cast<unsigned char>(id), 0x10, 2, 77};
  for (int i = 7; i < size - 2; ++i) dump.push_back(static_cast<unsigned char>((i * 7) & 0x7F));
  dump.push_back(sysex::dumpChecksum(dump.data(), size));
  dump.push_back(0xF7);
  return dump;
}

TEST(Simulator, StoresOnlyWholeDumpsAddressedToIt) {
  Simulator sim(5);
  Bytes badSum = soundDump(392, 5), highByte = badSum;
  badSum[390] ^= 1;
  highByte[200] = 0x80;
  const sysex::SoundDumpBytes before = sim.storedSound(2, 77);
  for (const Bytes& refused : {badSum, highByte, soundDump(392, 6), soundDump(391, 5),
                               Bytes{0xF0, 0x3E, 0x13, 5, 0x10, 0xF7}})
    sim.receive(refused.data(), refused.size(), {});
  EXPECT_EQ(sim.storedSound(2, 77), before);
  const Bytes whole = soundDump(392, 5);
  sim.receive(whole.data(), whole.size(), {});
  const sysex::SoundDumpBytes stored = sim.storedSound(2, 77);
  EXPECT_EQ(Bytes(stored.begin(), stored.end()), whole);
}

// Set to another device id, it answers only requests addressed to that id, signs its answers with
// it, as a synthesizer set to that id does, and takes dumps addressed to it; "none" brings its own
// id back. Echoing, it answers as itself, and the same answer follows signed as the other id.
TEST(Simulator, SetToAnotherIdItAnswersSignsAndTakesAsThatId) {
  Simulator sim(5);
  sim.setFault({Fault::kOtherId, 9});
  std::vector<Bytes> due;
  const auto answerTo = [&](int id) {
    const Bytes request{0xF0, 0x3E, 0x13, static_cast<unsigned char>(id), 0x00, 0x7F, 0, 0xF7};
    sim.receive(request.data(), request.size(), {});
    due = sim.takeDue(Clock::time_point::max());
    return due.empty() ? -1 : due.front()[sysex::kDeviceIdOffset];
  };
  EXPECT_EQ(answerTo(5), -1);
  EXPECT_EQ(answerTo(9), 9);
  const Bytes to9 = soundDump(392, 9);
  sim.receive(to9.data(), to9.size(), {});
  const sysex::SoundDumpBytes stored = sim.storedSound(2, 77);
  EXPECT_EQ(Bytes(stored.begin(), stored.end()), to9);
  sim.setFault({Fault::kNone, 0});
  EXPECT_EQ(answerTo(9), -1);
  EXPECT_EQ(answerTo(5), 5);
  sim.setFault({Fault::kEcho, 9});
  EXPECT_EQ(answerTo(9), -1);
  EXPECT_EQ(answerTo(5), 5);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[1][sysex::kDeviceIdOffset], 9);
  due[1][sysex::kDeviceIdOffset] = 5;
  EXPECT_EQ(due[1], due[0]);
}

// A parameter change as the editor sends it: F0 3E 13 id type location high low value F7.
Bytes parameterChange(int type, int location, int high, int low, int value) {
  return {0xF0,
          0x3E,
          0x13,
          5,
          static_cast<unsigned char>(type),
          static_cast<unsigned char>(location),
          static_cast<unsigned char>(high),
          static_cast<unsigned char>(low),
          static_cast<unsigned char>(value),
          0xF7};
}

void send(Simulator& sim, const Bytes& message) {
  sim.receive(message.data(), message.size(), {});
}

// The oscillators' CC bytes follow the controller in every part listening on its channel: part 2
// on channel 3 (its default), part 0 on the Global channel, part 1 on Omni; part 3 is on 4.
TEST(Simulator, ControllersSetTheOscillatorBytesOfTheListeningParts) {
  Simulator sim(5);
  send(sim, parameterChange(0x21, 0, 0, 7, 0));  // part 0 follows the Global channel
  send(sim, parameterChange(0x21, 1, 0, 7, 1));  // part 1 hears every channel
  send(sim, parameterChange(0x24, 0, 1, 0, 3));  // the Global channel: 3
  const struct {
    int controller, offset;
  } table[] = {{27, 8}, {28, 9}, {31, 15}, {35, 24}, {36, 25}, {39, 31}, {42, 40}, {43, 41}};
  for (const auto& row : table) {
    const auto before = sim.soundEditBuffer(3);
    send(sim, {0xB2, static_cast<unsigned char>(row.controller), 0x2A});
    for (int part : {0, 1, 2})
      EXPECT_EQ(sim.soundEditBuffer(part)[row.offset], 0x2A) << row.controller;
    EXPECT_EQ(sim.soundEditBuffer(3), before) << row.controller;
  }
  const auto sound = sim.soundEditBuffer(2);
  for (const Bytes& ignored : {Bytes{0xB2, 74, 0x10}, Bytes{0xB2, 27, 0x80}, Bytes{0xB2, 27}})
    send(sim, ignored);  // no sound byte, not a data byte, short
  EXPECT_EQ(sim.soundEditBuffer(2), sound);
}

// A program change on a part's channel loads the sound stored under the bank its channel
// selected; a reset puts the edit buffers back and keeps memory and Global.
TEST(Simulator, ProgramChangesLoadStoredSoundsAndResetsKeepMemory) {
  Simulator sim(5), fresh(5);
  const Bytes stored = soundDump(392, 5);  // bank 2, program 77
  send(sim, stored);
  send(sim, {0xB2, 0, 2});  // bank C on channel 3, where part 2 listens
  send(sim, {0xC2, 77});
  EXPECT_EQ(sim.soundEditBuffer(2)[100], stored[100]);
  EXPECT_EQ(sim.soundEditBuffer(3), fresh.soundEditBuffer(3));
  const auto loaded = sim.soundEditBuffer(2);
  for (const Bytes& ignored : {Bytes{0xB2, 0, 8}, Bytes{0xC2, 77}, Bytes{0xC2, 0x80}})
    send(sim, ignored);  // no such bank, then its program; not a program
  EXPECT_EQ(sim.soundEditBuffer(2), loaded);
  send(sim, parameterChange(0x21, 2, 0, 7, 0x0B));
  send(sim, parameterChange(0x24, 0, 6, 0, 0x41));
  // A panel change reaches only the data bytes.
  const std::pair<int, int> refused[] = {{6, 1}, {423, 1}, {41, 0x80}, {41, -1}};
  for (const auto& [at, value] : refused)
    EXPECT_FALSE(sim.setMultiByte(at, value)) << at << " " << value;
  EXPECT_TRUE(sim.setMultiByte(422, 0x55) && sim.multiEditBuffer()[422] == 0x55);
  sim.resetEditBuffers();
  EXPECT_EQ(sim.soundEditBuffer(2), fresh.soundEditBuffer(2));
  EXPECT_EQ(sim.multiEditBuffer(), fresh.multiEditBuffer());
  EXPECT_EQ(sim.globalRecord()[46], 0x41);
  EXPECT_EQ(sim.storedSound(2, 77)[100], stored[100]);
}

TEST(SimulatorThreads, ReceivesAndAnswersFromSeveralThreads) {
  Simulator sim(0);
  const Bytes request{0xF0, 0x3E, 0x13, 0, 0x04, 0xF7};
  std::thread writer([&] {
    for (int i = 0; i < 200; ++i) sim.receive(request.data(), request.size(), Clock::now());
  });
  std::size_t answered = 0;
  const Clock::time_point giveUp = Clock::now() + 10s;
  while (answered < 200 && Clock::now() < giveUp) answered += sim.takeDue(Clock::now() + 1h).size();
  writer.join();
  answered += sim.takeDue(Clock::now() + 1h).size();
  EXPECT_EQ(answered, 200u);
  EXPECT_EQ(sim.received().size(), 200u);
}

}  // namespace
}  // namespace corvane_sim

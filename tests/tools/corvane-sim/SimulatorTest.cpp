// What the simulator refuses; its answers, records and faults are checked through the protocol
// engine's requests and sends.
#include "tools/corvane-sim/Simulator.h"

#include <gtest/gtest.h>

#include <thread>

#include "src/protocol/SysExFormat.h"

namespace corvane_sim {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kT0 = Clock::time_point() + 1h;

Bytes message(std::initializer_list<int> body) {
  Bytes m{0xF0, 0x3E, 0x13};
  for (int b : body) m.push_back(static_cast<unsigned char>(b));
  m.push_back(0xF7);
  return m;
}

// A dump with a pattern in its data bytes and a correct checksum.
Bytes patternDump(int size, int type, int id, int bank, int program, int seed) {
  Bytes dump = message({id, type, bank, program});
  dump.resize(size);
  for (int i = 7; i < size - 2; ++i) dump[i] = static_cast<unsigned char>((i * 7 + seed) & 0x7F);
  dump[size - 2] = sysex::dumpChecksum(dump.data(), size);
  dump[size - 1] = 0xF7;
  return dump;
}

template <std::size_t N>
Bytes bytesOf(const std::array<unsigned char, N>& dump) {
  return Bytes(dump.begin(), dump.end());
}

class SimulatorTest : public ::testing::Test {
 protected:
  void send(const Bytes& m) { sim.receive(m.data(), m.size(), kT0); }
  std::vector<Bytes> records() {
    return {bytesOf(sim.soundEditBuffer(0)), bytesOf(sim.storedSound(2, 77)),
            bytesOf(sim.multiEditBuffer()), bytesOf(sim.storedMulti(100)),
            bytesOf(sim.globalRecord())};
  }

  Simulator sim{5};
};

TEST_F(SimulatorTest, RefusesDumpsThatAreNotWholeOrNotAddressedToIt) {
  const std::vector<Bytes> before = records();
  Bytes badSum = patternDump(392, 0x10, 5, 2, 77, 1), highByte = badSum;
  badSum[390] ^= 1;
  highByte[200] = 0x80;
  for (const Bytes& refused : {badSum, highByte, patternDump(392, 0x10, 6, 2, 77, 1),
                               patternDump(391, 0x10, 5, 2, 77, 1), message({5, 0x14})})
    send(refused);
  EXPECT_EQ(records(), before);

  send(patternDump(392, 0x10, 5, 2, 77, 2));
  EXPECT_NE(records(), before) << "the same dump, whole and addressed to it, is stored";
}

TEST(SimulatorThreads, ReceivesAndAnswersFromSeveralThreads) {
  Simulator sim(0);
  const Bytes request = message({0, 0x04});
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

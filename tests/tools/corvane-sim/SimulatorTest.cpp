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

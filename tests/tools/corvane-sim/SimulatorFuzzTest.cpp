#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "src/protocol/SysExFormat.h"
#include "tests/support/Iterations.h"
#include "tools/corvane-sim/Simulator.h"

namespace corvane_sim {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kT0 = Clock::time_point() + 1h;

// A request, parameter change or checksummed dump, addressed to `id`.
Bytes validMessage(std::mt19937& rng, int id) {
  const auto b = [&](unsigned n) { return static_cast<unsigned char>(rng() % n); };
  Bytes m{0xF0, 0x3E, 0x13, static_cast<unsigned char>(id)};
  const int kind = static_cast<int>(rng() % 6), sizes[] = {0, 0, 0, 392, 425, 80};
  // clang-format off
  if (kind == 0) m.insert(m.end(), {b(2), rng() % 2 ? b(8) : (unsigned char)0x7F, b(128)});
  else if (kind == 1) m.push_back(0x04);
  else if (kind == 2) m.insert(m.end(), {(unsigned char)(rng() % 3 ? 0x20 + b(2) : 0x24), b(16), b(4), b(128), b(128)});
  else m.push_back(kind == 5 ? 0x14 : 0x10 + kind - 3);
  // clang-format on
  while (int(m.size()) < sizes[kind] - 2) m.push_back(b(128));
  if (kind >= 3 && rng() % 2) m[5] = kind == 3 ? b(8) : 0x7F;
  if (kind >= 3) m.push_back(sysex::dumpChecksum(m.data(), sizes[kind]));
  m.push_back(0xF7);
  return m;
}

// Any byte changed, the message cut, or bytes put in.
Bytes mutate(Bytes m, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  for (int s = 0, steps = static_cast<int>(pick(4)); s < steps; ++s) {
    const size_t at = pick(m.size() + 1);
    if (rng() % 3 == 0)
      m.resize(at);
    else if (rng() % 2 == 0)
      m.insert(m.begin() + static_cast<long>(at), 1 + pick(8), static_cast<unsigned char>(rng()));
    else if (at < m.size())
      m[at] = static_cast<unsigned char>(rng());
  }
  return m;
}

// Framed by F0 and F7 with seven-bit bytes between; a record also keeps its header.
template <class Dump>
bool isSevenBit(const Dump& dump, bool record = true) {
  if (dump.size() < 2 || dump.front() != 0xF0 || dump.back() != 0xF7) return false;
  if (record && (dump[1] != 0x3E || dump[2] != 0x13)) return false;
  return std::all_of(dump.begin() + 1, dump.end() - 1, [](unsigned char c) { return c < 0x80; });
}

// Whatever arrives, answers and records stay framed seven-bit dumps and everything is logged.
TEST(SimulatorFuzz, RandomAndMutatedInputsAreSafe) {
  std::mt19937 rng(20261206);
  Simulator sim(5);
  size_t fed = 0, answered = 0;
  const int rounds = kroma_test::fuzzIterations(2000);
  for (int round = 0; round < rounds; ++round) {
    if (round % 100 == 99) {
      const int amounts[] = {0, 1, -5, 3, 100000, static_cast<int>(rng())};
      sim.setFault({static_cast<Fault>(rng() % 7), amounts[rng() % 6]});
    }
    Bytes message(rng() % 40);
    for (unsigned char& byte : message) byte = static_cast<unsigned char>(rng());
    if (round % 8 != 0)
      message = mutate(validMessage(rng, rng() % 4 ? sim.deviceId() : int(rng() % 128)), rng);
    sim.receive(message.empty() ? nullptr : message.data(), message.size(), kT0);
    fed += message.empty() ? 0 : 1;

    for (const Bytes& answer : sim.takeDue(kT0 + 1h)) {
      ++answered;
      ASSERT_TRUE(isSevenBit(answer, false)) << round;
    }
    ASSERT_LT(sim.deviceId(), 0x80);
    if (round % 100 == 0) {
      ASSERT_EQ(sim.received().size(), fed);
      for (int n = 0; n < 128; ++n)
        ASSERT_TRUE(isSevenBit(sim.soundEditBuffer(n % 16)) && isSevenBit(sim.storedMulti(n)) &&
                    isSevenBit(sim.storedSound(n % 8, n)))
            << round;
      ASSERT_TRUE(isSevenBit(sim.multiEditBuffer()) && isSevenBit(sim.globalRecord())) << round;
      sim.clearReceived();
      fed = 0;
    }
  }
  // Many mutated requests still reach the answering paths.
  EXPECT_GT(answered, static_cast<size_t>(rounds / 40));
}

}  // namespace
}  // namespace corvane_sim

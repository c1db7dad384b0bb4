#include <gtest/gtest.h>

#include <random>

#include "src/protocol/SysExFormat.h"
#include "tests/support/Iterations.h"
#include "tools/corvane-sim/Simulator.h"

namespace corvane_sim {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kT0 = Clock::time_point() + 1h;

Bytes framed(Bytes body) {
  Bytes message{0xF0, 0x3E, 0x13};
  message.insert(message.end(), body.begin(), body.end());
  message.push_back(0xF7);
  return message;
}

// A valid message of any kind the synthesizer takes, addressed to `id`.
Bytes validMessage(std::mt19937& rng, int id) {
  const auto b = [&](unsigned n) { return static_cast<unsigned char>(rng() % n); };
  const unsigned char device = static_cast<unsigned char>(id);
  switch (rng() % 4) {
    case 0:
      return framed({device, b(2), rng() % 2 ? b(8) : static_cast<unsigned char>(0x7F), b(128)});
    case 1:
      return framed({device, 0x04});
    case 2:
      return framed({device, static_cast<unsigned char>(0x20 + (rng() % 3 == 0 ? 4 : b(2))), b(16),
                     b(4), b(128), b(128)});
    default: {
      const int kind = static_cast<int>(rng() % 3);
      const int size = kind == 0   ? sysex::kSoundDumpSize
                       : kind == 1 ? sysex::kMultiDumpSize
                                   : sysex::kGlobalDumpSize;
      Bytes dump(static_cast<size_t>(size));
      dump[0] = 0xF0;
      dump[1] = 0x3E;
      dump[2] = 0x13;
      dump[3] = device;
      dump[4] = static_cast<unsigned char>(kind == 2 ? 0x14 : 0x10 + kind);
      for (int i = 5; i < size - 1; ++i) dump[static_cast<size_t>(i)] = b(128);
      if (rng() % 2) dump[5] = kind == 0 ? b(8) : 0x7F;
      dump[static_cast<size_t>(size - 2)] = sysex::dumpChecksum(dump.data(), size);
      dump.back() = 0xF7;
      return dump;
    }
  }
}

Bytes mutate(Bytes message, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  for (int s = 0, steps = static_cast<int>(pick(4)); s < steps; ++s) {
    switch (pick(5)) {
      case 0:
        if (!message.empty()) message[pick(message.size())] ^= 1u << pick(8);
        break;
      case 1:
        if (!message.empty()) message[pick(message.size())] |= 0x80;
        break;
      case 2:
        message.resize(pick(message.size() + 1));
        break;
      case 3:
        message.insert(message.begin() + static_cast<long>(pick(message.size() + 1)), 1 + pick(8),
                       static_cast<unsigned char>(rng() & 0x7F));
        break;
      default:
        if (!message.empty()) message[pick(message.size())] = static_cast<unsigned char>(rng());
        break;
    }
  }
  return message;
}

template <std::size_t N>
bool isSevenBitDump(const std::array<unsigned char, N>& dump) {
  if (dump.front() != 0xF0 || dump.back() != 0xF7 || dump[1] != 0x3E || dump[2] != 0x13)
    return false;
  for (std::size_t i = 1; i + 1 < N; ++i)
    if (dump[i] >= 0x80) return false;
  return true;
}

TEST(SimulatorFuzz, RandomAndMutatedInputsAreSafe) {
  std::mt19937 rng(20261206);
  Simulator sim(5);
  size_t fed = 0, answered = 0;
  const int rounds = kroma_test::fuzzIterations(2000);
  for (int round = 0; round < rounds; ++round) {
    if (round % 100 == 99) {
      const Fault kinds[] = {Fault::kNone,      Fault::kOtherId,     Fault::kTruncate,
                             Fault::kWrongType, Fault::kBadChecksum, Fault::kLate};
      const int amounts[] = {0, 1, -5, 3, 100000, static_cast<int>(rng())};
      sim.setFault({kinds[rng() % 6], amounts[rng() % 6]});
    }
    Bytes message;
    if (round % 8 == 0) {
      message.resize(rng() % 40);
      for (unsigned char& byte : message) byte = static_cast<unsigned char>(rng());
    } else {
      message = mutate(
          validMessage(rng, rng() % 4 ? sim.deviceId() : static_cast<int>(rng() % 128)), rng);
    }
    sim.receive(message.empty() ? nullptr : message.data(), message.size(), kT0);
    fed += message.empty() ? 0 : 1;

    for (const Bytes& answer : sim.takeDue(kT0 + 1h)) {
      ++answered;
      ASSERT_GE(answer.size(), 2u);
      ASSERT_EQ(answer.front(), 0xF0);
      ASSERT_EQ(answer.back(), 0xF7);
      for (size_t i = 1; i + 1 < answer.size(); ++i) ASSERT_LT(answer[i], 0x80) << round;
    }
    ASSERT_LT(sim.deviceId(), 0x80);
    if (round % 100 == 0) {
      ASSERT_EQ(sim.received().size(), fed);
      for (int p = 0; p < 16; ++p) ASSERT_TRUE(isSevenBitDump(sim.soundEditBuffer(p))) << round;
      for (int n = 0; n < 128; ++n) ASSERT_TRUE(isSevenBitDump(sim.storedMulti(n))) << round;
      for (int b = 0; b < 8; ++b)
        for (int n = 0; n < 128; n += 7) ASSERT_TRUE(isSevenBitDump(sim.storedSound(b, n)));
      ASSERT_TRUE(isSevenBitDump(sim.multiEditBuffer())) << round;
      ASSERT_TRUE(isSevenBitDump(sim.globalRecord())) << round;
      sim.clearReceived();
      fed = 0;
    }
  }
  // Many mutated requests still reach the answering paths.
  EXPECT_GT(answered, static_cast<size_t>(rounds / 40));
}

}  // namespace
}  // namespace corvane_sim

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "src/protocol/GlobalDump.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"
#include "tests/src/protocol/FakeParameters.h"
#include "tests/support/Iterations.h"

namespace {

using Bytes = std::vector<unsigned char>;
using protocol_test::FakeParameters;

// Values of every kind a parameter may come to hold, far-out and NaN included.
double anyValue(std::mt19937& rng) {
  const double inf = std::numeric_limits<double>::infinity();
  // clang-format off
  const double kinds[] = {std::nan(""), inf, -inf, 1e300, -1e300, double(int32_t(rng())), double(rng() % 400) - 100.0 + (rng() % 100) / 100.0};
  // clang-format on
  return rng() % 2 ? static_cast<double>(rng() % 128) : kinds[rng() % 7];
}

void randomize(FakeParameters& params, std::mt19937& rng) {
  for (double& v : params.values) v = rng() % 4 == 0 ? anyValue(rng) : double(rng() % 128);
  for (int name : {kPatchName, kMultiName}) {
    params.texts[name].resize(rng() % 24);
    for (char& c : params.texts[name]) c = static_cast<char>(rng());
  }
}

// Damage of the kinds dumps show on the wire: flipped and 8-bit bytes, cuts, extensions, and
// the type byte of another dump.
Bytes mutate(Bytes dump, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  for (int s = 0, steps = 1 + static_cast<int>(pick(4)); s < steps; ++s) {
    const size_t at = pick(dump.size()), how = pick(5);
    // clang-format off
    if (how == 0 && at < dump.size()) dump[at] ^= static_cast<unsigned char>(1u << pick(8));
    else if (how == 1 && at < dump.size()) dump[at] |= 0x80;
    else if (how == 2) dump.resize(pick(dump.size() + 1));
    else if (how == 3) dump.resize(dump.size() + 1 + pick(64), static_cast<unsigned char>(rng()));
    else if (dump.size() > 4) dump[4] = static_cast<unsigned char>(0x10 + pick(6));
    // clang-format on
  }
  return dump;
}

// Framed, 7-bit data bytes, and a printable name at `nameOffset` (0: none).
template <std::size_t N>
bool wellFormed(const std::array<unsigned char, N>& dump, std::size_t nameOffset = 0) {
  for (std::size_t i = 1; i + 1 < N; ++i)
    if (dump[i] >= 0x80 || (nameOffset && i >= nameOffset && i < nameOffset + 16 &&
                            (dump[i] < 0x20 || dump[i] > 0x7E)))
      return false;
  return dump.front() == sysex::kStart && dump.back() == sysex::kEnd;
}

// Every value a reader sets comes from one byte: finite, and never far from 0..255.
bool setValuesInRange(const FakeParameters& params) {
  for (int index : params.setOrder) {
    const double v = params.values[static_cast<size_t>(index)];
    if (!std::isfinite(v) || v < -64 || v > 255) return false;
  }
  return true;
}

TEST(ProtocolFuzz, RandomAndMutatedInputsAreSafe) {
  std::mt19937 rng(20261206);
  FakeParameters source;
  const int rounds = kroma_test::fuzzIterations(250);
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE(round);
    randomize(source, rng);
    const int part = static_cast<int>(rng() % 16);
    multi_dump::PartSounds sounds;
    for (int p = 0; p < 16; ++p) {
      sounds.banks[p] = static_cast<int32_t>(rng());
      sounds.programs[p] = static_cast<int>(rng() % 300) - 100;
    }

    // Whatever the parameters hold, the dumps written keep 7-bit data bytes.
    const sysex::SoundDumpBytes sound = sound_dump::buildSoundDump(
        source, part, static_cast<int32_t>(rng()), static_cast<int32_t>(rng()));
    const sysex::MultiDumpBytes multi = multi_dump::buildMultiDump(source, sounds);
    const sysex::GlobalDumpBytes global =
        global_dump::buildGlobalDump(source, static_cast<int32_t>(rng()));
    ASSERT_TRUE(wellFormed(sound, sound_dump::kNameOffset) &&
                wellFormed(multi, multi_dump::kNameOffset) && wellFormed(global));

    const Bytes bases[] = {Bytes(sound.begin(), sound.end()), Bytes(multi.begin(), multi.end()),
                           Bytes(global.begin(), global.end())};
    const Bytes input =
        round % 10 == 0 ? mutate(Bytes(rng() % 500), rng) : mutate(bases[round % 3], rng);
    const int size = static_cast<int>(input.size());
    const unsigned char* data = input.empty() ? nullptr : input.data();

    FakeParameters target;
    const int soundPart = static_cast<int>(rng() % 20) - 2;
    sound_dump::applySoundData(data, std::min(size, sysex::kSoundDumpSize), soundPart, target);
    ASSERT_TRUE((soundPart >= 0 && soundPart < 16) || target.setOrder.empty());
    ASSERT_TRUE(setValuesInRange(target));

    FakeParameters multiTarget;
    multi_dump::ParsedMulti parsed;
    const bool multiTaken = multi_dump::parseMultiDump(data, size, multiTarget, parsed);
    const bool multiShaped = size >= sysex::kMultiDumpSize && input[1] == 0x3E &&
                             input[2] == 0x13 && input[4] == sysex::kMultiDump;
    ASSERT_EQ(multiTaken, multiShaped);
    ASSERT_TRUE(multiTaken || (multiTarget.setOrder.empty() && multiTarget.texts.empty()));
    ASSERT_TRUE(setValuesInRange(multiTarget));
    for (int p = 0; multiTaken && p < 16; ++p)
      ASSERT_TRUE(parsed.name.size() == 16 && parsed.sounds.banks[p] >= 0 &&
                  parsed.sounds.banks[p] < 256 && parsed.sounds.programs[p] >= 0 &&
                  parsed.sounds.programs[p] < 256);

    FakeParameters globalTarget;
    bool local = false;
    const bool globalTaken = global_dump::parseGlobalDump(data, size, globalTarget, local);
    const bool globalShaped = size == sysex::kGlobalDumpSize && input[1] == 0x3E &&
                              input[2] == 0x13 && input[4] == sysex::kGlobalDump;
    ASSERT_EQ(globalTaken, globalShaped);
    ASSERT_TRUE(globalTaken || globalTarget.setOrder.empty());
    ASSERT_TRUE(setValuesInRange(globalTarget));

    ASSERT_FALSE(sysex::hasDumpHeader(data, size, size + 1, sysex::kSoundDump));
  }
}

}  // namespace

#include "src/protocol/SoundDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/src/protocol/FakeParameters.h"

namespace sound_dump {
namespace {

using protocol_test::FakeParameters;

struct OffsetByte {
  int offset, index, add;
};
const OffsetByte kOffsetBytes[] = {{9, 112, 52},   {25, 256, 52},  {41, 416, 52},
                                   {11, 4529, 40}, {27, 4593, 40}, {43, 4657, 40}};
const std::pair<int, int> kOctaveBytes[] = {{8, 0}, {24, 144}, {40, 304}};
struct WaveByte {
  int offset, useSample, sample, shape, wavetable;
};
const WaveByte kWaveBytes[] = {{15, 7799, 7767, 96, 4449}, {31, 7815, 7783, 240, 4465}};
struct ModeByte {
  int offset, trigger, mode;
};
const ModeByte kModeBytes[] = {
    {203, 4961, 5057}, {215, 4977, 5089}, {227, 4993, 5121}, {239, 5009, 5153}};

// Fixed bytes other than 0, by offset.
// clang-format off
const std::pair<int, int> kFixedBytes[] = {{7, 0x01}, {19, 0x01}, {35, 0x01}, {77, 0x40}, {86, 0x40}, {90, 0x40}, {91, 0x40}, {92, 0x40},
    {106, 0x40}, {110, 0x40}, {111, 0x40}, {112, 0x40}, {125, 0x03}, {202, 0x01}, {204, 0x40}, {216, 0x40},
    {228, 0x40}, {240, 0x40}, {251, 0x01}, {316, 0x40}, {320, 0x0F}, {333, 0x37}, {366, 0x44}};
// clang-format on

int scramble(int index) {
  return static_cast<int>((static_cast<unsigned>(index + 1) * 2654435761u) >> 13);
}

// Distinct-looking values for every parameter, small enough where a byte packs several.
void fillKnownValues(FakeParameters& params) {
  for (int i = 0; i < numParams; ++i) params.values[i] = scramble(i) % 128;
  auto limit = [&](int first, int modulo) {
    for (int p = 0; p < 16; ++p) params.values[first + p] = scramble(first + p) % modulo;
  };
  for (const auto& octave : kOctaveBytes) limit(octave.second, 9);
  for (const OffsetByte& b : kOffsetBytes) limit(b.index, 70);
  for (const WaveByte& w : kWaveBytes) {
    limit(w.useSample, 2);
    limit(w.shape, 10);
    limit(w.wavetable, 60);
  }
  limit(4689, 6);  // unisono
  limit(4673, 2);  // mono/poly
  for (const ModeByte& m : kModeBytes) {
    limit(m.trigger, 2);
    limit(m.mode, 32);
  }
  for (int n = 0; n < 16; ++n) {
    limit(1809 + 80 * n, 2);   // glide
    limit(1825 + 80 * n, 8);   // accent
    limit(1841 + 80 * n, 8);   // step
    limit(1857 + 80 * n, 16);  // timing
    limit(1873 + 80 * n, 8);   // step length
  }
  limit(6773, 13);             // category
  params.values[6592] = 0x35;  // device id
}

// The packed, fixed and framing bytes these values must give, built from the numbers above; -1
// where a byte carries one parameter as it is (the layout tests check those against the
// synthesizer's addresses).
std::vector<int> expectedDump(const FakeParameters& params, int part, int bank, int program) {
  auto v = [&](int index) { return static_cast<int>(params.values[index + part]); };
  std::vector<int> dump(392, -1);
  dump[0] = 0xF0;
  dump[1] = 0x3E;
  dump[2] = 0x13;
  dump[3] = static_cast<int>(params.values[6592]);
  dump[4] = 0x10;
  dump[5] = bank;
  dump[6] = program;
  for (const auto& fixed : kFixedBytes) dump[fixed.first] = fixed.second;
  for (const auto& octave : kOctaveBytes) dump[octave.first] = 12 * v(octave.second) + 16;
  for (const OffsetByte& b : kOffsetBytes) dump[b.offset] = v(b.index) + b.add;
  for (const WaveByte& w : kWaveBytes)
    dump[w.offset] =
        v(w.useSample) == 1 ? v(w.sample) : v(w.shape) + (v(w.shape) >= 7 ? v(w.wavetable) : 0);
  dump[65] = 16 * v(4689) + v(4673);
  for (const ModeByte& m : kModeBytes) dump[m.offset] = 32 * v(m.trigger) + v(m.mode);
  for (int n = 0; n < 16; ++n) {
    const int glide = v(1809 + 80 * n);
    dump[334 + n] = (glide == 1 ? 8 : glide) + v(1825 + 80 * n) + 16 * v(1841 + 80 * n);
    dump[350 + n] = v(1857 + 80 * n) + 16 * v(1873 + 80 * n);
  }
  const std::string name = params.getDisplayText(6757 + part) + std::string(16, ' ');
  for (int i = 0; i < 16; ++i) dump[370 + i] = static_cast<unsigned char>(name[i]);
  dump[386] = v(6773);
  dump[390] = 0x7F;
  dump[391] = 0xF7;
  return dump;
}

// Bank and program come from the caller: the edit buffer or a librarian slot.
TEST(SoundDumpWriter, EveryByteForEveryPart) {
  FakeParameters params;
  fillKnownValues(params);
  for (int part = 0; part < 16; ++part) {
    params.texts[kPatchName + part] = "Sound " + std::to_string(part);
    const int bank = part % 2 ? 0x7F : part / 2, program = part % 2 ? part : 100 + part;
    const sysex::SoundDumpBytes dump = buildSoundDump(params, part, bank, program);
    const std::vector<int> expected = expectedDump(params, part, bank, program);
    for (int i = 0; i < 392; ++i)
      ASSERT_TRUE(expected[i] < 0 || dump[i] == expected[i]) << "part " << part << " byte " << i;
  }
}

TEST(SoundDumpReader, PackedBytesUnpack) {
  struct Case {
    int offset, b;
    std::vector<std::pair<int, int>> expected;  // index, value
  };
  const Case cases[] = {
      // clang-format off
      {8, 0, {{kOscillator1Octave, -1}}}, {8, 27, {{kOscillator1Octave, 0}}}, {8, 28, {{kOscillator1Octave, 1}}}, {8, 124, {{kOscillator1Octave, 9}}},
      {9, 64, {{kOscillator1Semitone, 12}}},
      {11, 40, {{kOscillator1BendRange, 0}}},
      {65, 16, {{kOscillatorUnisono, 1}, {kOscillatorMonoPolyMode, 0}}},
      {65, 96, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 1}}},
      {65, 97, {{kOscillatorUnisono, 6}, {kOscillatorMonoPolyMode, 1}}},
      {124, 0, {{kFilterRouting, 0}, {kFilterRoutingParallel, 1}, {kFilterRoutingSerial, 0}}},
      {124, 1, {{kFilterRouting, 1}, {kFilterRoutingParallel, 0}, {kFilterRoutingSerial, 1}}},
      {203, 33, {{kFilterEnvMode, 1}, {kFilterEnvTrigger, 1}}},
      {203, 4, {{kFilterEnvMode, 4}, {kFilterEnvTrigger, 0}}},
      {334, 0x5B, {{kArpPattern01Step, 5}, {kArpPattern01Glide, 1}, {kArpPattern01Accent, 3}}},
      {365, 0x31, {{kArpPattern16StepLen, 3}, {kArpPattern16Timing, 1}}},
      {15, 10, {{kOscillator1Sample, 10}, {kOscillator1Shape, 7}, {kOscillator1Wavetable, 3}}},
      {31, 5, {{kOscillator2Sample, 5}, {kOscillator2Shape, 5}, {kOscillator2Wavetable, 0}}},
      // clang-format on
  };
  for (const Case& c : cases) {
    FakeParameters params;
    sysex::SoundDumpBytes dump = sysex::soundDumpTemplate();
    dump[c.offset] = static_cast<unsigned char>(c.b);
    applySoundData(dump.data(), 392, 7, params);
    for (const auto& e : c.expected)
      EXPECT_EQ(params.values[e.first + 7], e.second) << "byte " << c.offset << " = " << c.b;
  }
}

// A short message is read up to its end; parts beyond the sixteen set nothing.
TEST(SoundDumpReader, ReadsOnlyWhatTheMessageAndThePartsHold) {
  FakeParameters params;
  sysex::SoundDumpBytes dump = sysex::soundDumpTemplate();
  dump[100] = 33;
  dump[200] = 44;
  applySoundData(dump.data(), 392, 16, params);
  applySoundData(dump.data(), 392, -1, params);
  EXPECT_TRUE(params.setOrder.empty());
  applySoundData(dump.data(), 150, 0, params);
  EXPECT_EQ(params.values[kFilter1Panning], 33);
  EXPECT_EQ(std::count(params.setOrder.begin(), params.setOrder.end(), kLFO3Speed), 0);
}

TEST(SoundCategories, TextsByNumber) {
  const std::pair<int, const char*> texts[] = {
      {0, "Init"}, {9, "Pad"}, {12, "Seq"}, {13, ""}, {-1, ""}};
  for (const auto& [number, text] : texts) EXPECT_EQ(categoryText(number), text) << number;
}

}  // namespace
}  // namespace sound_dump

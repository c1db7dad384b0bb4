#include "src/protocol/SoundDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "tests/src/protocol/FakeParameters.h"

namespace sound_dump {
namespace {

using protocol_test::FakeParameters;

// Bytes that pack or shift their parameters, as the synthesizer documents them. The plain bytes'
// offsets are checked against the synthesizer's parameter addresses by the layout tests.
TEST(SoundDump, PackedBytesUnpackAndTheCanonicalOnesAreWrittenBack) {
  struct Case {
    int offset, b;
    bool written;                               // what the writer gives for these values
    std::vector<std::pair<int, int>> expected;  // index, value
  };
  // clang-format off
  const Case cases[] = {
      {8, 0, false, {{kOscillator1Octave, -1}}}, {8, 27, false, {{kOscillator1Octave, 0}}},
      {8, 28, true, {{kOscillator1Octave, 1}}}, {8, 124, true, {{kOscillator1Octave, 9}}},
      {9, 64, true, {{kOscillator1Semitone, 12}}},
      {11, 40, true, {{kOscillator1BendRange, 0}}},
      {65, 16, true, {{kOscillatorUnisono, 1}, {kOscillatorMonoPolyMode, 0}}},
      {65, 96, false, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 1}}},
      {65, 97, true, {{kOscillatorUnisono, 6}, {kOscillatorMonoPolyMode, 1}}},
      {65, 80, true, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 0}}},
      {124, 0, true, {{kFilterRouting, 0}, {kFilterRoutingParallel, 1}, {kFilterRoutingSerial, 0}}},
      {124, 1, true, {{kFilterRouting, 1}, {kFilterRoutingParallel, 0}, {kFilterRoutingSerial, 1}}},
      {203, 33, true, {{kFilterEnvMode, 1}, {kFilterEnvTrigger, 1}}},
      {203, 4, true, {{kFilterEnvMode, 4}, {kFilterEnvTrigger, 0}}},
      {203, 31, true, {{kFilterEnvMode, 31}, {kFilterEnvTrigger, 0}}},
      {203, 32, true, {{kFilterEnvMode, 0}, {kFilterEnvTrigger, 1}}},
      {334, 0x5B, true, {{kArpPattern01Step, 5}, {kArpPattern01Glide, 1}, {kArpPattern01Accent, 3}}},
      {334, 0x35, true, {{kArpPattern01Step, 3}, {kArpPattern01Glide, 0}, {kArpPattern01Accent, 5}}},
      {365, 0x31, true, {{kArpPattern16StepLen, 3}, {kArpPattern16Timing, 1}}},
      {15, 10, true, {{kOscillator1Sample, 10}, {kOscillator1Shape, 7}, {kOscillator1Wavetable, 3}}},
      {31, 5, true, {{kOscillator2Sample, 5}, {kOscillator2Shape, 5}, {kOscillator2Wavetable, 0}}},
      // The modifiers' and modulation slots' plain bytes, first and last of each.
      {252, 5, true, {{kModifier1Source1, 5}}}, {267, 9, true, {{kModifier4SourceAmount, 9}}},
      {268, 3, true, {{kModulation01Source, 3}}}, {269, 20, true, {{kModulation01Destination, 20}}},
      {270, 70, true, {{kModulation01Amount, 70}}}, {313, 4, true, {{kModulation16Source, 4}}},
      {315, 90, true, {{kModulation16Amount, 90}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "byte " << c.offset << " = " << c.b);
    FakeParameters params;
    sysex::SoundDumpBytes dump = sysex::soundDumpTemplate();
    dump[c.offset] = static_cast<unsigned char>(c.b);
    applySoundData(dump.data(), 392, 7, params);
    for (const auto& e : c.expected) EXPECT_EQ(params.values[e.first + 7], e.second) << e.first;
    if (c.written) {
      EXPECT_EQ(buildSoundDump(params, 7, 0, 0)[c.offset], c.b);
    }
  }
}

// The wave byte written: on sample memory the sample number; otherwise the shape, and from shape
// 7 on the wavetable on top of it. Each oscillator's own parameters.
TEST(SoundDump, TheWaveByteIsTheSampleOnSampleMemoryElseShapeAndWavetable) {
  const struct {
    int offset, useSampleMemory, sample, shape, wavetable, b;
  } cases[] = {
      {15, 1, 40, 3, 5, 40}, {15, 0, 40, 3, 5, 3}, {15, 0, 40, 7, 5, 12}, {15, 0, 40, 6, 5, 6},
      {31, 1, 41, 2, 4, 41}, {31, 0, 41, 2, 4, 2}, {31, 0, 41, 7, 4, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "byte " << c.offset << " = " << c.b);
    const bool first = c.offset == 15;
    FakeParameters params;
    params.values[(first ? kOsc1UseSampleMemory : kOsc2UseSampleMemory) + 7] = c.useSampleMemory;
    params.values[(first ? kOscillator1Sample : kOscillator2Sample) + 7] = c.sample;
    params.values[(first ? kOscillator1Shape : kOscillator2Shape) + 7] = c.shape;
    params.values[(first ? kOscillator1Wavetable : kOscillator2Wavetable) + 7] = c.wavetable;
    EXPECT_EQ(buildSoundDump(params, 7, 0, 0)[c.offset], c.b);
  }
}

// Bank and program come from the caller: the edit buffer or a librarian slot.
TEST(SoundDump, TheWriterFramesNamesAndKeepsTheFixedBytes) {
  FakeParameters params;
  params.values[kGlobalSysExID] = 0x35;
  params.values[kCategoryName + 5] = 9;
  params.texts[kPatchName + 5] = "Sound\x01 five";
  const sysex::SoundDumpBytes dump = buildSoundDump(params, 5, 2, 100);
  EXPECT_EQ(std::vector<int>(dump.begin(), dump.begin() + 8),
            std::vector<int>({0xF0, 0x3E, 0x13, 0x35, 0x10, 2, 100, 0x01}));
  EXPECT_EQ(std::string(dump.begin() + 370, dump.begin() + 386), "Sound? five     ");
  EXPECT_EQ(std::vector<int>(dump.begin() + 386, dump.end()),
            std::vector<int>({9, 0, 0, 0, 0x7F, 0xF7}));
  // clang-format off
  const std::pair<int, int> fixed[] = {{19, 0x01}, {35, 0x01}, {77, 0x40}, {86, 0x40}, {90, 0x40}, {91, 0x40}, {92, 0x40},
      {106, 0x40}, {110, 0x40}, {111, 0x40}, {112, 0x40}, {125, 0x03}, {202, 0x01}, {204, 0x40}, {216, 0x40},
      {228, 0x40}, {240, 0x40}, {251, 0x01}, {316, 0x40}, {320, 0x0F}, {333, 0x37}, {366, 0x44}};
  // clang-format on
  for (const auto& [offset, b] : fixed) EXPECT_EQ(dump[offset], b) << offset;
}

// Each section lock keeps the bytes of its own section, and only those, from an incoming sound.
TEST(SoundDump, ALockedSectionKeepsItsBytesAndOnlyThose) {
  // clang-format off
  const std::pair<int, int> firstBytes[] = {
      {kSectionLockOsc1, 8}, {kSectionLockOsc2, 24}, {kSectionLockOsc3, 40}, {kSectionLockMixer, 68},
      {kSectionLockPitchMod, 57}, {kSectionLockUnisono, 65}, {kSectionLockNoiseExt, 76},
      {kSectionLockFilter1, 84}, {kSectionLockFilter2, 104}, {kSectionLockFilterEnv, 203},
      {kSectionLockAmp, 128}, {kSectionLockAmpEnv, 215}, {kSectionLockFX1, 135}, {kSectionLockFX2, 151},
      {kSectionLockArp, 318}, {kSectionLockEnv3, 227}, {kSectionLockEnv4, 239}, {kSectionLockLFO1, 167},
      {kSectionLockLFO2, 179}, {kSectionLockLFO3, 191},
      {kSectionLockM1F, 268}, {kSectionLockM2F, 271}, {kSectionLockM3F, 274}, {kSectionLockM4F, 277},
      {kSectionLockM5F, 280}, {kSectionLockM6F, 283}, {kSectionLockM7F, 286}, {kSectionLockM8F, 289},
      {kSectionLockM1S, 292}, {kSectionLockM2S, 295}, {kSectionLockM3S, 298}, {kSectionLockM4S, 301},
      {kSectionLockM5S, 304}, {kSectionLockM6S, 307}, {kSectionLockM7S, 310}, {kSectionLockM8S, 313},
      {kSectionLockMod1, 252}, {kSectionLockMod2, 256}, {kSectionLockMod3, 260}, {kSectionLockMod4, 264}};
  // clang-format on
  ASSERT_EQ(std::size(firstBytes), static_cast<size_t>(kSectionCount));
  sysex::SoundDumpBytes incoming = sysex::soundDumpTemplate();
  std::fill(incoming.begin() + 8, incoming.begin() + 366, 50);
  const sysex::SoundDumpBytes untouched = buildSoundDump(FakeParameters(), 2, 0, 0);
  for (const auto& [lock, offset] : firstBytes) {
    SCOPED_TRACE(testing::Message() << "lock " << lock);
    SectionLocks locked;
    locked[static_cast<size_t>((lock - kSectionLockOsc1) / 16)] = true;
    FakeParameters params;
    applySoundData(incoming.data(), 392, 2, params, locked);
    const sysex::SoundDumpBytes after = buildSoundDump(params, 2, 0, 0);
    for (const auto& [other, otherOffset] : firstBytes)
      EXPECT_EQ(after[otherOffset] == untouched[otherOffset], other == lock) << otherOffset;
  }
}

TEST(SoundCategories, TextsByNumber) {
  const std::pair<int, const char*> texts[] = {
      {0, "Init"}, {9, "Pad"}, {12, "Seq"}, {13, ""}, {-1, ""}};
  for (const auto& [number, text] : texts) EXPECT_EQ(categoryText(number), text) << number;
}

}  // namespace
}  // namespace sound_dump

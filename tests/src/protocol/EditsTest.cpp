#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <random>
#include <set>

#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;

// Positional target and its effect-type sources (part 0), numbered independently.
// clang-format off
const std::pair<int, std::vector<int>> kCopies[] = {
    {3985, {3089, 3121, 3185, 3393}}, {4001, {3105, 3137, 3201, 3281, 3409}}, {4017, {3297}},
    {4033, {3377}}, {4049, {3153, 3249, 3345}}, {4065, {3217, 3313, 3361}}, {4081, {3233}},
    {4113, {3169, 3265}}, {4129, {3329}}, {4225, {3425, 3457, 3521, 3825, 3905}},
    {4241, {3441, 3473, 3537, 3713, 3841, 3921}}, {4257, {3649, 3729, 3937}}, {4273, {3617, 3809}},
    {4289, {3489, 3585, 3665, 3777}}, {4305, {3553, 3697, 3745, 3793, 3873}}, {4321, {3569, 3857}},
    {4337, {3889}}, {4353, {3505, 3601, 3681, 3953}}, {4369, {3649, 3761}}, {4385, {3633}}};
// clang-format on

TEST(EffectDefaults, AnEffectTypeParameterSetsThePositionalOnesOfItsByteOnly) {
  std::map<int, std::set<int>> targets;
  for (const auto& [target, sources] : kCopies)
    for (int source : sources) targets[source].insert(target);
  Engine e;
  for (const auto& [source, expected] : targets) {
    e.plugin.values.assign(numParams, 0);
    e.manager->SetFX1ParameterChangesToDefaultParameters(source + 15, 40);
    e.manager->SetFX2ParameterChangesToDefaultParameters(source + 15, 40);
    std::set<int> changed;
    for (int i = 0; i < numParams; ++i)
      if (e.plugin.values[i] == 40) changed.insert(i - 15);
    EXPECT_EQ(changed, expected) << source;
  }
}

TEST(Randomizer, EntriesComeDownByTheMaximumAndPackedParametersSplitTheirDraw) {
  Engine e;
  SoundRandomizer& randomizer = e.manager->soundRandomizer();
  auto draw = [&](unsigned value) {
    randomizer.setSource([value] { return value; });
    randomizer.randomGenerator();
  };
  const int skip = SoundRandomizer::kSkipped;
  // Minimum, maximum, draw, and what the entry becomes.
  const std::array<int, 4> reductions[] = {
      {0, 127, 255, 1},  {0, 127, 128, 1}, {0, 127, 127, 127}, {0, 127, 300, 44},
      {0, 1, 254, 0},    {0, 1, 255, 1},   {-64, 63, 64, 64},  {-64, 63, 255, 66},
      {0, 0, 200, skip}, {-5, -1, 3, skip}};
  for (const auto& [min, max, value, reduced] : reductions) {
    e.plugin.ranges[kLFO1Speed] = {double(min), double(max)};
    draw(value);
    EXPECT_EQ(randomizer.randomizer(kLFO1Speed, 392), reduced) << value << " " << max;
  }
  // Unisono and mono/poly, amp envelope mode and trigger, step 1's step, accent and glide.
  const std::vector<double> splits[] = {{6, 5, 1, 6, 0, 0, 6, 0},
                                        {5, 5, 0, 5, 0, 0, 5, 0},
                                        {32, 31, 1, 0, 1, 2, 0, 0},
                                        {73, 72, 1, 41, 1, 4, 1, 1}};
  const std::vector<double>& v = e.plugin.values;
  for (const std::vector<double>& split : splits) {
    draw(static_cast<unsigned>(split[0]));
    randomizer.randomizePatchSettings(7);
    EXPECT_EQ(
        std::vector<double>({split[0], v[kOscillatorUnisono + 7], v[kOscillatorMonoPolyMode + 7],
                             v[kAmpEnvMode + 7], v[kAmpEnvTrigger + 7], v[kArpPattern01Step + 7],
                             v[kArpPattern01Accent + 7], v[kArpPattern01Glide + 7]}),
        split);
  }
}

// Only the sixteen parts are randomized; a number outside them changes no parameter at all.
TEST(Randomizer, PartsOutsideTheSixteenChangeNothing) {
  for (int part : {-1, 0, 15, 16}) {
    Engine e;
    std::mt19937 fixed(3);
    e.manager->soundRandomizer().setSource([&] { return static_cast<unsigned>(fixed()); });
    e.plugin.values.assign(numParams, 0.0);
    e.manager->soundRandomizer().randomizePatchSettings(part);
    const bool inside = part >= 0 && part < 16;
    EXPECT_EQ(e.plugin.values != std::vector<double>(numParams, 0.0), inside) << part;
  }
}

TEST(Randomizer, TheButtonRandomizesFreeSectionsInRangeKeepsFamiliesAndSendsThePart) {
  Engine e;
  std::mt19937 fixed(7);
  e.manager->soundRandomizer().setSource([&] { return static_cast<unsigned>(fixed()); });
  const double untouched = -7;
  std::vector<double>& v = e.plugin.values;
  v.assign(numParams, untouched);
  std::fill(v.begin() + kSectionLockOsc1, v.begin() + kSectionLockMod4 + 16, 0);
  v[kSectionLockOsc2 + 5] = v[kSectionLockArp + 5] = v[kSectionLockM1F + 16 + 5] = 1;
  v[kSectionLockM1S + 5] = v[kSectionLockM8S + 5] = 1;  // modulation slots 9 and 16
  v[kSectionLockFilterEnv + 5] = NAN;
  v[kLibSyncTimer] = v[kMainTab] = 0;
  EXPECT_FALSE(e.manager->randomize(1.0)) << "not on the first tab";
  v[kMainTab] = 2;
  e.plugin.part = 5;
  e.plugin.ranges[kFX1FlangerSpeed + 5] = {0, 1};
  ASSERT_TRUE(e.manager->randomize(1.0));
  ASSERT_TRUE(e.idle());
  // Locked sections, what is never randomized, other parts.
  for (int kept : {kOscillator2Octave + 5, kFilterEnvMode + 5, kOscillator1Wavetable + 5,
                   kFX2DelayLengthClock + 5, kCategoryName + 5, kLFO1Speed + 4, kArpMode + 5,
                   kModulation01Source + 48 + 5, kModulation01Source + 48 * 8 + 5,
                   kModulation01Source + 48 * 15 + 5})
    EXPECT_EQ(v[kept], untouched) << kept;
  for (int i = 0; i < numParams; ++i)  // the NaN lock aside
    EXPECT_TRUE(v[i] == untouched || std::isnan(v[i]) ||
                (v[i] >= 0 && v[i] <= e.plugin.paramRange(i).max))
        << i;
  EXPECT_EQ(v[kFX1ChorusSpeed + 5], v[kEffect1Param01 + 5]);
  EXPECT_EQ(v[kFX1FlangerSpeed + 5], e.manager->soundRandomizer().table()[91] % 2);
  EXPECT_EQ(e.plugin.calls, std::vector<std::string>({"mainTabSwitch 2 5", "AllSoundsOff 5"}));
  ASSERT_EQ(e.plugin.sent.size(), 1u) << "the part's sound";
  EXPECT_EQ(e.plugin.sent[0][6], 5);
  EXPECT_EQ(e.plugin.last(), "Part Randomized");
  EXPECT_EQ(v[kRandomize], 0);
}

// Each parameter takes its own entry of the table. Two tables whose entries differ in
// different ways (entry % 256, entry / 2) tell every entry apart; each parameter's range is
// wide enough to take a draw unchanged. Part 0's filter-1 cutoff, whose range the arpeggiator
// steps use, is wide; part 4's is narrow.
TEST(Randomizer, EveryParameterDrawsFromItsOwnEntry) {
  constexpr int p = 4;
  using Entry = std::pair<int, int>;  // parameter of part 0, entry
  std::vector<Entry> plain;
  auto run = [&plain](int entry, std::initializer_list<int> params) {
    for (int param : params) plain.push_back({param, entry++});
  };
  run(0, {kOscillator1Octave, kOscillator1Semitone, kOscillator1Detune, kOscillator1BendRange,
          kOscillator1Keytrack, kOscillator1FMSource, kOscillator1FMAmount, kOscillator1Shape,
          kOscillator1Pulsewidth, kOscillator1PWMSource, kOscillator1PWMAmount, kOscillator1LimitWT,
          kOscillator1Brilliance});
  run(286, {kOsc1UseSampleMemory, kOscillator1Sample, kOsc2UseSampleMemory, kOscillator2Sample});
  run(13, {kOscillator2Octave, kOscillator2Semitone, kOscillator2Detune, kOscillator2BendRange,
           kOscillator2Keytrack, kOscillator2FMSource, kOscillator2FMAmount, kOscillator2Shape,
           kOscillator2Pulsewidth, kOscillator2PWMSource, kOscillator2PWMAmount,
           kOscillator2LimitWT, kOscillator2Brilliance, kOscillator2SyncToOsc3});
  run(27, {kOscillator3Octave, kOscillator3Semitone, kOscillator3Detune, kOscillator3BendRange,
           kOscillator3Keytrack, kOscillator3FMSource, kOscillator3FMAmount, kOscillator3Shape,
           kOscillator3Pulsewidth, kOscillator3PWMSource, kOscillator3PWMAmount});
  run(56, {kOscillator3Brilliance});
  run(38, {kOscillatorPitchSource, kOscillatorPitchAmount, kOscillatorGlideOnOffSwitch,
           kOscillatorGlideMode, kOscillatorGlideRate});
  run(44, {kOscillatorUniDetune, kOscillator1Level, kOscillator1Balance, kOscillator2Level,
           kOscillator2Balance, kOscillator3Level, kOscillator3Balance, kNoiseLevel, kNoiseBalance,
           kRingModulationLevel, kRingModulationBalance, kNoiseColour});
  run(55, {kFilter1Type, kFilter1Cutoff, kFilter1Resonance, kFilter1Drive, kFilter1Keytrack,
           kFilter1EnvAmount, kFilter1EnvVelocity, kFilter1ModSource, kFilter1ModAmount,
           kFilter1FMSource, kFilter1FMAmount, kFilter1Panning, kFilter1PanSource,
           kFilter1PanAmount, kFilterRouting});
  run(71, {kFilter2Type, kFilter2Cutoff, kFilter2Resonance, kFilter2Drive, kFilter2Keytrack,
           kFilter2EnvAmount, kFilter2EnvVelocity, kFilter2ModSource, kFilter2ModAmount,
           kFilter2FMSource, kFilter2FMAmount, kFilter2Panning, kFilter2PanSource,
           kFilter2PanAmount, kAmpLevel, kAmpLevelVelocity, kAmpModSource, kAmpModAmount});
  for (int fx = 0; fx < 2; ++fx) {
    const int first = fx ? 105 : 89;
    run(first, {fx ? kEffect2Mode : kEffect1Mode, fx ? kEffect2Mix : kEffect1Mix});
    for (int n = 0; n < 14; ++n)
      run(first + 2 + n, {(fx ? kEffect2Param01 : kEffect1Param01) + 16 * n});
  }
  const std::vector<int> families[2][9] = {
      {{kFX1ChorusSpeed, kFX1FlangerSpeed, kFX1PhaserSpeed, kFX1TripleFXSpeed},
       {kFX1ChorusDepth, kFX1FlangerDepht, kFX1PhaserDepth, kFX1OverdriveDrive, kFX1TripleFXDepth},
       {kFX1OverdrivePostGain},
       {kFX1TripleFXChorusMix},
       {kFX1FlangerFeedBack, kFX1PhaserFeedback, kFX1TripleFXSampleHold},
       {kFX1PhaserCenter, kFX1OverdriveCutoff, kFX1TripleFXOverdrive},
       {kFX1PhaserSpacing},
       {},
       {kFX1FlangerPolarity, kFX1PhaserPolarity}},
      {{kFX2ChorusSpeed, kFX2FlangerSpeed, kFX2PhaserSpeed, kFX2TripleFXSpeed, kFX2ReverbSize},
       {kFX2ChorusDepth, kFX2FlangerDepht, kFX2PhaserDepth, kFX2OverdriveDrive, kFX2TripleFXDepth,
        kFX2ReverbShape},
       {kFX2DelaySpread, kFX2OverdrivePostGain, kFX2ReverbDecay},
       {kFX2DelayLength, kFX2TripleFXChorusMix},
       {kFX2FlangerFeedBack, kFX2PhaserFeedback, kFX2DelayFeedback, kFX2TripleFXSampleHold},
       {kFX2PhaserCenter, kFX2DelayCutoff, kFX2OverdriveCutoff, kFX2TripleFXOverdrive,
        kFX2ReverbLowppass},
       {kFX2PhaserSpacing, kFX2ReverbHighPass},
       {kFX2ReverbDiffusion},
       {kFX2FlangerPolarity, kFX2PhaserPolarity, kFX2DelayPolarity, kFX2ReverbDamping}}};
  for (int fx = 0; fx < 2; ++fx)
    for (int slot = 0; slot < 9; ++slot)
      for (int member : families[fx][slot]) plain.push_back({member, (fx ? 107 : 91) + slot});
  run(121, {kLFO1Shape, kLFO1Speed, kLFO1SyncOnOff, kLFO1Clock, kLFO1Startphase, kLFO1Delay,
            kLFO1Fade, kLFO1Keytrack});
  run(129, {kLFO2Shape, kLFO2Speed, kLFO2SyncOnOff, kLFO2Clock, kLFO2Startphase, kLFO2Delay,
            kLFO2Fade, kLFO2Keytrack});
  run(137, {kLFO3Shape, kLFO3Speed, kLFO3SyncOnOff, kLFO3Clock, kLFO3Startphase, kLFO3Delay,
            kLFO3Fade, kLFO3Keytrack});
  run(146, {kFilterEnvAttack, kFilterAttackLevel, kFilterEnvDecay, kFilterEnvSustain,
            kFilterEnvDecay2, kFilterEnvSustain2, kFilterEnvRelease});
  run(154, {kAmpEnvAttack, kAmpAttackLevel, kAmpEnvDecay, kAmpEnvSustain, kAmpEnvDecay2,
            kAmpEnvSustain2, kAmpEnvRelease});
  run(162, {kEnv3Attack, kEnv3AttackLevel, kEnv3Decay, kEnv3Sustain, kEnv3Decay2, kEnv3Sustain2,
            kEnv3Release});
  run(170, {kEnv4Attack, kEnv4AttackLevel, kEnv4Decay, kEnv4Sustain, kEnv4Decay2, kEnv4Sustain2,
            kEnv4Release});
  run(177, {kModifier1Source1, kModifier1Source2, kModifier1SourceType, kModifier1SourceAmount,
            kModifier2Source1, kModifier2Source2, kModifier2SourceType, kModifier2SourceAmount,
            kModifier3Source1, kModifier3Source2, kModifier3SourceType, kModifier3SourceAmount,
            kModifier4Source1, kModifier4Source2, kModifier4SourceType, kModifier4SourceAmount});
  const int slotStep = kModulation02Source - kModulation01Source;
  for (int s = 1; s <= 16; ++s)
    run(190 + 3 * s,
        {kModulation01Source + slotStep * (s - 1), kModulation01Destination + slotStep * (s - 1),
         kModulation01Amount + slotStep * (s - 1)});
  run(241, {kArpMode, kArpPattern});
  run(244, {kArpClock, kArpNoteLength, kArpOctRange, kArpDirection, kArpSortOrder, kArpVelocityMode,
            kArpTimeFactor, kArpSameNoteOverlap, kArpPatternReset, kArpPatternLength});

  for (const auto& draw : {std::function<int(int)>([](int e) { return e % 256; }),
                           std::function<int(int)>([](int e) { return e / 2; })}) {
    Engine e;
    std::vector<double>& v = e.plugin.values;
    for (int i = 0; i < numParams; ++i) e.plugin.ranges[i] = {0, 1000};
    e.plugin.ranges[kFilter1Cutoff + p] = {0, 127};
    v.assign(numParams, -7);
    std::fill(v.begin() + kSectionLockOsc1, v.begin() + kSectionLockMod4 + 16, 0);
    SoundRandomizer& randomizer = e.manager->soundRandomizer();
    int next = 0;
    randomizer.setSource([&next, &draw] { return static_cast<unsigned>(draw(next++)); });
    randomizer.randomGenerator();
    randomizer.randomizePatchSettings(p);
    const auto f = [&draw](int entry) { return static_cast<double>(draw(entry)); };
    for (const auto& [param, entry] : plain)
      EXPECT_EQ(v[param + p], f(entry)) << "parameter " << param << " entry " << entry;
    // Unisono and mono/poly from 43; each envelope's mode and trigger from its first entry.
    const double u = f(43);
    EXPECT_EQ(v[kOscillatorUnisono + p], u > 5 ? u - 1 : u);
    EXPECT_EQ(v[kOscillatorMonoPolyMode + p], u > 5 ? 1.0 : 0.0);
    const int modes[4][3] = {{kFilterEnvMode, kFilterEnvTrigger, 145},
                             {kAmpEnvMode, kAmpEnvTrigger, 153},
                             {kEnvelope3Mode, kEnv3Trigger, 161},
                             {kEnvelope4Mode, kEnv4Trigger, 169}};
    for (const auto& m : modes) {
      const double drawn = f(m[2]);
      EXPECT_EQ(v[m[0] + p], drawn >= 32 ? drawn - 32 : drawn) << m[2];
      EXPECT_EQ(v[m[1] + p], drawn >= 32 ? 1.0 : 0.0) << m[2];
    }
    // The arpeggiator's steps: byte A from 253 + s, byte B from 269 + s.
    const int stepStride = kArpPattern02Glide - kArpPattern01Glide;
    for (int s = 1; s <= 16; ++s) {
      const int at = (s - 1) * stepStride + p;
      const int a = draw(253 + s), b = draw(269 + s);
      const int lowA = a < 128 ? a % 16 : 0, lowB = b < 128 ? b % 16 : 0;
      EXPECT_EQ(v[kArpPattern01Step + at], a / 16) << s;
      EXPECT_EQ(v[kArpPattern01Accent + at], lowA >= 8 ? lowA - 8 : lowA) << s;
      EXPECT_EQ(v[kArpPattern01Glide + at], lowA >= 8 ? 1.0 : 0.0) << s;
      EXPECT_EQ(v[kArpPattern01StepLen + at], b / 16) << s;
      EXPECT_EQ(v[kArpPattern01Timing + at], lowB) << s;
    }
  }
}

}  // namespace

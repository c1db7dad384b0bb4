#include <gtest/gtest.h>

#include <cmath>
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

TEST(Randomizer, TheButtonRandomizesFreeSectionsInRangeKeepsFamiliesAndSendsThePart) {
  Engine e;
  std::mt19937 fixed(7);
  e.manager->soundRandomizer().setSource([&] { return static_cast<unsigned>(fixed()); });
  const double untouched = -7;
  std::vector<double>& v = e.plugin.values;
  v.assign(numParams, untouched);
  std::fill(v.begin() + kSectionLockOsc1, v.begin() + kSectionLockMod4 + 16, 0);
  v[kSectionLockOsc2 + 5] = v[kSectionLockArp + 5] = v[kSectionLockM1F + 16 + 5] = 1;
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
                   kModulation01Source + 48 + 5})
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

}  // namespace

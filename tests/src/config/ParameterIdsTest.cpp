#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "src/config/ParameterIds.h"

namespace {

struct Stretch {
  int start;
  int length;
};

// The named stretches plus the reserved index, in index order; shared indices appear once.
std::vector<Stretch> stretches() {
  std::map<int, int> byStart;
  for (int i = 0; i < paramIdCount; ++i)
    byStart.emplace(paramIdTable[i].index, paramIdTable[i].length);
  byStart.emplace(reservedParamIndex, 1);
  std::vector<Stretch> out;
  for (const auto& [start, length] : byStart) out.push_back({start, length});
  return out;
}

TEST(ParameterIds, NamesAreUniqueAndWellFormed) {
  ASSERT_EQ(paramIdCount, 639);
  std::set<std::string> names;
  const std::regex shape("k[A-Za-z0-9_]+");
  for (int i = 0; i < paramIdCount; ++i) {
    EXPECT_TRUE(std::regex_match(paramIdTable[i].name, shape)) << paramIdTable[i].name;
    EXPECT_TRUE(names.insert(paramIdTable[i].name).second) << paramIdTable[i].name;
  }
}

TEST(ParameterIds, OnlyIndex1648IsSharedAnd7744IsReserved) {
  std::map<int, std::vector<std::string>> byIndex;
  for (int i = 0; i < paramIdCount; ++i)
    byIndex[paramIdTable[i].index].push_back(paramIdTable[i].name);
  EXPECT_EQ(byIndex.size(), 638u);
  for (const auto& [index, names] : byIndex) {
    if (index == 1648) {
      EXPECT_EQ(names, (std::vector<std::string>{"kNumAutomatedParams", "kPatchFileDialog"}));
    } else {
      EXPECT_EQ(names.size(), 1u) << index;
    }
  }
  EXPECT_EQ(byIndex.count(reservedParamIndex), 0u);
  EXPECT_EQ(kKeepSelectedBank, reservedParamIndex - 1);
  EXPECT_EQ(kMIDIFilterDAWCCPassThrough, reservedParamIndex + 1);
}

TEST(ParameterIds, TableIsInIndexOrder) {
  for (int i = 1; i < paramIdCount; ++i)
    EXPECT_LE(paramIdTable[i - 1].index, paramIdTable[i].index) << paramIdTable[i].name;
}

TEST(ParameterIds, StretchesTileTheWholeIndexSpace) {
  const std::vector<Stretch> all = stretches();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().start, 0);
  for (size_t i = 1; i < all.size(); ++i)
    EXPECT_EQ(all[i - 1].start + all[i - 1].length, all[i].start) << "after " << all[i - 1].start;
  EXPECT_EQ(all.back().start + all.back().length, numParams);
  EXPECT_EQ(all.back().start, kDebugParts);

  std::map<int, int> lengthCounts;
  for (const Stretch& s : all) ++lengthCounts[s.length];
  EXPECT_EQ(lengthCounts,
            (std::map<int, int>{{1, 117}, {2, 1}, {3, 1}, {14, 1}, {16, 518}, {32, 1}}));
}

TEST(ParameterIds, KnownAnchors) {
  EXPECT_EQ(kOscillator1Octave, 0);
  EXPECT_EQ(kNumAutomatedParams, 1648);
  EXPECT_EQ(kPatchFileDialog, 1648);
  EXPECT_EQ(kArpPattern, 1649);
  EXPECT_EQ(kArpClock, 1681);
  EXPECT_EQ(kMultiPartMIDICh, 6433);
  EXPECT_EQ(kGlobalMidiChannel, 6591);
  EXPECT_EQ(kGlobalSysExID, 6592);
  EXPECT_EQ(kBreathControl, kModWheel + 16);
  EXPECT_EQ(kContr3, kBreathControl + 16);
  EXPECT_EQ(kNumNonAutomatedParams, 6808);
  EXPECT_EQ(kExitAboutWindow, 7957);
  EXPECT_EQ(kTriggerGlobalLocalKBDControl, 7960);
  EXPECT_EQ(kMainTab, 8450);
  EXPECT_EQ(kDebugParts, 8455);
  EXPECT_EQ(kDebugParts, numParams - 1);
}

}  // namespace

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

TEST(ParamNameTable, LookupsMatchLetterForLetterAndTheFirstRegistrationStands) {
  config_test::LoggedManager m;
  UIConfigManager& c = m.manager;
  c.initParams();
  for (int i = 0; i < paramIdCount; ++i)
    EXPECT_EQ(c.getParamByName(paramIdTable[i].name), paramIdTable[i].index);
  for (const char* name : {"kmaintab", "kMainTab ", "kOscillator1Octave+2", ""})
    EXPECT_EQ(c.getParamByName(name), -1) << name;
  EXPECT_EQ(m.lines.back(), "CONFIG READER: parameter  NOT FOUND!");
  c.mapParamToString("kMainTab", 9);
  EXPECT_EQ(c.getParamByName("kMainTab"), kMainTab);
  EXPECT_TRUE(m.logged("parameter kMainTab ALREADY EXISTS!"));
  m.lines.clear();
  m.on = false;  // logged only when debugging
  c.getParamByName("kBar");
  EXPECT_TRUE(m.lines.empty());
}

// The table as registered: 639 names over 638 indices, two log lines, the indices the numbering
// is known by, and stretches that cover all 8456 parameters in the lengths the numbering gives
// them (an entry moved by one changes them).
TEST(ParamNameTable, HoldsTheNumberingOfEveryParameter) {
  config_test::LoggedManager m;
  UIConfigManager& c = m.manager;
  c.initParams();
  EXPECT_EQ(m.lines, (std::vector<std::string>{"CONFIG READER: Started to initialize parameters...",
                                               "CONFIG READER: Completed!"}));
  EXPECT_EQ(c.paramCount(), 639u);
  const std::map<std::string, int> known = {{"kOscillator1Octave", 0},
                                            {"kGlobalMidiChannel", 6591},
                                            {"kGlobalSysExID", 6592},
                                            {"kMainTab", 8450},
                                            {"kDebugParts", 8455},
                                            {"kNumAutomatedParams", 1648},
                                            {"kPatchFileDialog", 1648},
                                            {"kNumNonAutomatedParams", 6808},
                                            {"kArpPattern", 1649},
                                            {"kArpClock", 1681},
                                            {"kBreathControl", 6806},
                                            {"kExitAboutWindow", 7957},
                                            {"kKeepSelectedBank", 7743},
                                            {"kMIDIFilterDAWCCPassThrough", 7745},
                                            {"kTriggerGlobalLocalKBDControl", 7960},
                                            {"kMultiPartMIDICh", 6433}};
  for (const auto& [name, index] : known) EXPECT_EQ(c.getParamByName(name), index) << name;

  std::set<int> starts = {7744};  // the reserved index begins a stretch of its own
  for (int i = 0; i < paramIdCount; ++i) starts.insert(c.getParamByName(paramIdTable[i].name));
  EXPECT_EQ(starts.size(), 639u) << "638 named indices and the reserved one";
  std::map<int, int> lengths;  // stretch length: how many
  for (auto it = starts.begin(); it != starts.end(); ++it) {
    const int next = std::next(it) == starts.end() ? 8456 : *std::next(it);
    ++lengths[next - *it];
  }
  EXPECT_EQ(lengths, (std::map<int, int>{{1, 117}, {2, 1}, {3, 1}, {14, 1}, {16, 518}, {32, 1}}));
  for (int unnamed : {1665, 1680, 7744, 7958, 7959})
    EXPECT_EQ(starts.count(unnamed), unnamed == 7744 ? 1u : 0u);
}

TEST(ConfigValues, CopyIntVectorAppendsInOrderAlsoOntoItself) {
  std::vector<int> source{1, 2}, destination{3};
  UIConfigManager::copyIntVector(&source, &destination);
  EXPECT_EQ(destination, (std::vector<int>{3, 1, 2}));
  UIConfigManager::copyIntVector(&source, &source);
  EXPECT_EQ(source, (std::vector<int>{1, 2, 1, 2}));
  UIConfigManager::copyIntVector(nullptr, &destination);
  EXPECT_EQ(destination.size(), 3u);
}

}  // namespace

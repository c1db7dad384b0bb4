#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

using config_test::LoggedManager;
using Names = std::vector<std::string>;

TEST(ParameterIds, NamesAreUniqueAndTheirStretchesTileTheIndexSpaceAroundTheReservedIndex) {
  ASSERT_EQ(paramIdCount, 639);
  std::set<std::string> names;
  std::map<int, Names> byIndex;
  std::map<int, int> lengthAt = {{reservedParamIndex, 1}};
  const std::regex shape("k[A-Za-z0-9_]+");
  for (int i = 0; i < paramIdCount; ++i) {
    const ParamIdEntry& e = paramIdTable[i];
    EXPECT_TRUE(std::regex_match(e.name, shape)) << e.name;
    EXPECT_TRUE(names.insert(e.name).second) << e.name;
    if (i) {
      EXPECT_LE(paramIdTable[i - 1].index, e.index) << e.name;
    }
    byIndex[e.index].push_back(e.name);
    lengthAt.emplace(e.index, e.length);
  }
  EXPECT_EQ(byIndex.size(), 638u);
  EXPECT_EQ(byIndex[1648], (Names{"kNumAutomatedParams", "kPatchFileDialog"}));
  EXPECT_EQ(byIndex.count(reservedParamIndex), 0u);
  int next = 0;
  std::map<int, int> lengthCounts;
  for (const auto& [start, length] : lengthAt) {
    EXPECT_EQ(start, next) << "a gap or overlap before " << start;
    next = start + length;
    ++lengthCounts[length];
  }
  EXPECT_EQ(next, numParams);
  EXPECT_EQ(lengthCounts,
            (std::map<int, int>{{1, 117}, {2, 1}, {3, 1}, {14, 1}, {16, 518}, {32, 1}}));
}

TEST(ParamNameTable, InitParamsRegistersEveryIdentifierOnceAndLookupsMatchLetterForLetter) {
  LoggedManager m;
  UIConfigManager& c = m.manager;
  c.initParams();
  EXPECT_EQ(m.lines, (Names{"CONFIG READER: Started to initialize parameters...",
                            "CONFIG READER: Completed!"}));
  for (int i = 0; i < paramIdCount; ++i)
    EXPECT_EQ(c.getParamByName(paramIdTable[i].name), paramIdTable[i].index);
  m.lines.clear();
  for (const char* name : {"kmaintab", "kMainTab ", "kOscillator1Octave+2", "kFX1FlangerDepth", ""})
    EXPECT_EQ(c.getParamByName(name), -1) << name;
  EXPECT_EQ(m.lines.size(), 5u);
  EXPECT_EQ(m.lines.back(), "CONFIG READER: parameter  NOT FOUND!");
  EXPECT_EQ(c.paramCount(), 639u);
}

TEST(ParamNameTable, TheFirstRegistrationStandsAndIsLoggedOnlyWhenDebugging) {
  for (bool debugging : {true, false}) {
    LoggedManager m;
    m.on = debugging;
    m.manager.mapParamToString("kFoo", 3);
    m.manager.mapParamToString("kFoo", 3);
    m.manager.mapParamToString("kFoo", 9);
    EXPECT_EQ(m.manager.getParamByName("kFoo"), 3);
    EXPECT_EQ(m.manager.getParamByName("kBar"), -1);
    const Names logged = {"CONFIG READER: parameter kFoo ALREADY EXISTS!",
                          "CONFIG READER: parameter kFoo ALREADY EXISTS!",
                          "CONFIG READER: parameter kBar NOT FOUND!"};
    EXPECT_EQ(m.lines, debugging ? logged : Names());
  }
}

}  // namespace

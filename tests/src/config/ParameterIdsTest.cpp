#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

// Every index is named once (the two names that share 1648 aside) and the stretches of the parts
// tile the index space around the reserved index.
TEST(ParameterIds, NamesAreUniqueAndTheirStretchesTileTheIndexSpace) {
  std::set<std::string> names;
  std::map<int, int> lengthAt = {{reservedParamIndex, 1}};
  for (int i = 0; i < paramIdCount; ++i) {
    const ParamIdEntry& e = paramIdTable[i];
    EXPECT_TRUE(names.insert(e.name).second) << e.name;
    EXPECT_TRUE(lengthAt.emplace(e.index, e.length).second || e.index == 1648) << e.name;
  }
  int next = 0;
  for (const auto& [start, length] : lengthAt) {
    EXPECT_EQ(start, next) << "a gap or overlap before " << start;
    next = start + length;
  }
  EXPECT_EQ(next, numParams);
}

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

}  // namespace

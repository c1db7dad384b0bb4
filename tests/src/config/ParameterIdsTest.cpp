#include <gtest/gtest.h>

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

}  // namespace

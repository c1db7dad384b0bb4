#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

using config_test::LoggedManager;

TEST(ParamNameTable, InitParamsRegistersEveryIdentifierOnceAndLogsTwoLines) {
  LoggedManager m;
  m.manager.initParams();
  EXPECT_EQ(m.manager.paramCount(), 639u);
  EXPECT_EQ(m.lines, (std::vector<std::string>{"CONFIG READER: Started to initialize parameters...",
                                               "CONFIG READER: Completed!"}));
  for (int i = 0; i < paramIdCount; ++i)
    EXPECT_EQ(m.manager.getParamByName(paramIdTable[i].name), paramIdTable[i].index);
}

TEST(ParamNameTable, LookupsMatchLetterForLetter) {
  LoggedManager m;
  m.manager.initParams();
  UIConfigManager& c = m.manager;
  EXPECT_EQ(c.getParamByName("kOscillator1Octave"), 0);
  EXPECT_EQ(c.getParamByName("kGlobalMidiChannel"), 6591);
  EXPECT_EQ(c.getParamByName("kGlobalSysExID"), 6592);
  EXPECT_EQ(c.getParamByName("kMainTab"), 8450);
  EXPECT_EQ(c.getParamByName("kDebugParts"), 8455);
  EXPECT_EQ(c.getParamByName("kNumAutomatedParams"), 1648);
  EXPECT_EQ(c.getParamByName("kPatchFileDialog"), 1648);
  EXPECT_EQ(c.getParamByName("kNumNonAutomatedParams"), 6808);
  EXPECT_EQ(c.getParamByName("kFX1FlangerDepht"), kFX1FlangerDepht);
  m.lines.clear();
  for (const char* name : {"kmaintab", "kMainTab ", "kOscillator1Octave+2", "kFX1FlangerDepth"})
    EXPECT_EQ(c.getParamByName(name), -1) << name;
  EXPECT_EQ(m.lines.size(), 4u);
  EXPECT_EQ(c.getParamByName(""), -1);
  EXPECT_EQ(m.lines.back(), "CONFIG READER: parameter  NOT FOUND!");
  EXPECT_EQ(c.paramCount(), 639u);
}

TEST(ParamNameTable, NoNameReachesTheUnnamedIndices) {
  LoggedManager m;
  UIConfigManager& c = m.manager;
  c.initParams();
  for (int i = 0; i < paramIdCount; ++i) {
    const int index = c.getParamByName(paramIdTable[i].name);
    EXPECT_NE(index, reservedParamIndex);
    EXPECT_FALSE(index >= 1665 && index <= 1680) << paramIdTable[i].name;
    EXPECT_FALSE(index == 7958 || index == 7959) << paramIdTable[i].name;
  }
}

TEST(ParamNameTable, TheFirstRegistrationStands) {
  LoggedManager m;
  m.manager.mapParamToString("kFoo", 3);
  m.manager.mapParamToString("kFoo", 3);
  m.manager.mapParamToString("kFoo", 9);
  EXPECT_EQ(m.manager.getParamByName("kFoo"), 3);
  EXPECT_EQ(m.lines,
            (std::vector<std::string>(2, "CONFIG READER: parameter kFoo ALREADY EXISTS!")));

  LoggedManager quiet;
  quiet.on = false;  // the debug switch is off
  quiet.manager.mapParamToString("kFoo", 3);
  quiet.manager.mapParamToString("kFoo", 4);
  EXPECT_EQ(quiet.manager.getParamByName("kFoo"), 3);
  EXPECT_EQ(quiet.manager.getParamByName("kBar"), -1);
  EXPECT_TRUE(quiet.lines.empty());
}

}  // namespace

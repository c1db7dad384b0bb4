#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "toolkit/plugin/vst2/Hosts.h"

namespace {

TEST(Hosts, ProductStringsAreMatchedBySubstringInAnyCase) {
  EXPECT_EQ(LookUpHost("Cubase Pro"), kHostCubase);
  EXPECT_EQ(LookUpHost("CUBASE"), kHostCubase);
  EXPECT_EQ(LookUpHost("MyLogicHost"), kHostLogic);
  EXPECT_EQ(LookUpHost("Ardour 8"), kHostArdour);
  EXPECT_EQ(LookUpHost("PreSonus Studio"), kHostStudioOne);
  EXPECT_EQ(LookUpHost("vst3plugintesthost"), kHostVST3TestHost);
}

// The host-specific set-up tests hosts by these numbers.
TEST(Hosts, EveryKnownNameHasItsNumber) {
  const std::pair<const char*, int> known[] = {
      {"cubase", 3},      {"reaper", 1},      {"nuendo", 4},
      {"cakewalk", 5},    {"samplitude", 8},  {"fruity", 7},
      {"live", 9},        {"melodyne", 12},   {"vstmanlib", 13},
      {"aulab", 14},      {"garageband", 22}, {"forte", 15},
      {"chainer", 16},    {"audition", 17},   {"orion", 18},
      {"sawstudio", 20},  {"logic", 21},      {"digital", 23},
      {"audiomulch", 25}, {"presonus", 26},   {"vst3plugintesthost", 27},
      {"protools", 2},    {"ardour", 28},     {"standalone", 24},
  };
  for (const auto& [name, number] : known)
    EXPECT_EQ((int)LookUpHost((std::string("The ") + name + " 2").c_str()), number) << name;

  const std::pair<int, const char*> shown[] = {
      {1, "Reaper"},
      {2, "ProTools"},
      {3, "Cubase"},
      {4, "Nuendo"},
      {5, "Sonar"},
      {6, "Vegas"},
      {7, "FLStudio"},
      {8, "Samplitude"},
      {9, "Live"},
      {13, "VSTScanner"},
      {14, "AULab"},
      {15, "Forte"},
      {16, "Chainer"},
      {17, "Audition"},
      {18, "Orion"},
      {20, "SAWStudio"},
      {21, "Logic"},
      {22, "GarageBand"},
      {23, "DigitalPerformer"},
      {24, "Standalone"},
      {25, "AudioMulch"},
      {26, "StudioOne"},
      {27, "VST3PluginTestHost"},
      {28, "Ardour"},
  };
  TK_String name;
  for (const auto& [number, text] : shown) {
    GetHostNameStr((EHost)number, &name);
    EXPECT_STREQ(name.Get(), text) << number;
  }
}

TEST(Hosts, TheEarlierTableEntryWinsWhenTwoMatch) {
  // "live" comes after "cubase" in the table.
  EXPECT_EQ(LookUpHost("cubase live edition"), kHostCubase);
  // "digital" is tested before "protools" and "standalone".
  EXPECT_EQ(LookUpHost("Digital ProTools Standalone"), kHostDigitalPerformer);
  // "fruity" before "live".
  EXPECT_EQ(LookUpHost("Fruity Live Loops"), kHostFL);
}

TEST(Hosts, UnmatchedEmptyAndNullStringsAreUnknown) {
  EXPECT_EQ(LookUpHost("kroma-host"), kHostUnknown);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
}

TEST(Hosts, DisplayNames) {
  TK_String name;
  GetHostNameStr(kHostSonar, &name);
  EXPECT_STREQ(name.Get(), "Sonar");
  GetHostNameStr(kHostArdour, &name);
  EXPECT_STREQ(name.Get(), "Ardour");
  for (int unnamed : {-1, 0, 10, 11, 12, 19, 29, 1000}) {
    GetHostNameStr((EHost)unnamed, &name);
    EXPECT_STREQ(name.Get(), "Unknown") << unnamed;
  }
}

}  // namespace

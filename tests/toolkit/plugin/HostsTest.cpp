#include <gtest/gtest.h>

#include "toolkit/plugin/Hosts.h"

namespace {

TEST(Hosts, ProductStringsAreMatchedBySubstringInAnyCase) {
  EXPECT_EQ(LookUpHost("Cubase Pro"), kHostCubase);
  EXPECT_EQ(LookUpHost("CUBASE"), kHostCubase);
  EXPECT_EQ(LookUpHost("MyLogicHost"), kHostLogic);
  EXPECT_EQ(LookUpHost("Ardour 8"), kHostArdour);
  EXPECT_EQ(LookUpHost("PreSonus Studio"), kHostStudioOne);
  EXPECT_EQ(LookUpHost("vst3plugintesthost"), kHostVST3TestHost);
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

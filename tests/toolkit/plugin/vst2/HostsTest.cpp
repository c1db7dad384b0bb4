#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "toolkit/plugin/vst2/Hosts.h"

namespace {

TEST(Hosts, ProductStringsAreMatchedBySubstringInAnyCaseAndTheEarlierEntryWins) {
  const std::pair<const char*, EHost> products[] = {
      {"Cubase Pro", kHostCubase},
      {"CUBASE", kHostCubase},
      {"MyLogicHost", kHostLogic},
      {"Ardour 8", kHostArdour},
      {"PreSonus Studio", kHostStudioOne},
      {"vst3plugintesthost", kHostVST3TestHost},
      {"My Audition Suite", kHostAudition},
      {"cubase live edition", kHostCubase},
      {"Digital ProTools Standalone", kHostDigitalPerformer},
      {"Fruity Live Loops", kHostFL},
      {"kroma-host", kHostUnknown},
      {"", kHostUnknown},
      {nullptr, kHostUnknown}};
  for (const auto& [product, host] : products)
    EXPECT_EQ(LookUpHost(product), host) << (product ? product : "null");
}

TEST(Hosts, DisplayNamesAndUnknownForTheGaps) {
  const std::pair<int, const char*> shown[] = {
      {kHostReaper, "Reaper"}, {kHostSonar, "Sonar"}, {kHostArdour, "Ardour"},
      {-1, "Unknown"},         {0, "Unknown"},        {kHostMelodyne, "Unknown"},
      {19, "Unknown"},         {29, "Unknown"},       {1000, "Unknown"}};
  TK_String name;
  for (const auto& [host, text] : shown) {
    GetHostNameStr((EHost)host, &name);
    EXPECT_STREQ(name.Get(), text) << host;
  }
}

}  // namespace

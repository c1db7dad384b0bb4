#include <gtest/gtest.h>

#include <utility>

#include "toolkit/plugin/vst2/Hosts.h"

namespace {

TEST(Hosts, ProductStringsAreMatchedBySubstringInAnyCaseAndTheEarlierEntryWins) {
  const std::pair<const char*, EHost> products[] = {
      {"CUBASE", kHostCubase},
      {"cubase live edition", kHostCubase},
      {"Digital ProTools Standalone", kHostDigitalPerformer},
      {"kroma-host", kHostUnknown},
      {nullptr, kHostUnknown},
  };
  for (const auto& [product, host] : products)
    EXPECT_EQ(LookUpHost(product), host) << (product ? product : "null");
}

TEST(Hosts, DisplayNamesAndUnknownForTheGaps) {
  const std::pair<int, const char*> shown[] = {
      {kHostReaper, "Reaper"},
      {-1, "Unknown"},
      {kHostMelodyne, "Unknown"},
      {1000, "Unknown"},
  };
  TK_String name;
  for (const auto& [host, text] : shown) {
    GetHostNameStr((EHost)host, &name);
    EXPECT_STREQ(name.Get(), text) << host;
  }
}

}  // namespace

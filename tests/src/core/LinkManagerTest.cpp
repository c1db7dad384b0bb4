// The filter link at the edges of the filter blocks: part 1's filters are twins too, and the
// parameter after the last filter block has no twin (none is even looked for).
#include <gtest/gtest.h>

#include "ConnectedPlugin.h"

namespace {

using FilterLink = ConnectedPlugin;

TEST_F(FilterLink, PartOnesFiltersLinkAndTheAmplifierAfterThemDoesNot) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = settled();
  plug->setStoredValue(kFilter1Cutoff, 60);
  const struct {
    int edited;
    double value;
    int other;  // a parameter the edit may move
    double otherAfter;
  } rows[] = {
      {kFilter2Cutoff, 80, kFilter1Cutoff, 60},  // link off: each alone, 20 apart
      {kFilter1Cutoff, 60, kFilter2Cutoff, 80},
      {kFilterLinkSwitch, 1, kFilter2Cutoff, 80},
      {kFilter1Cutoff, 70, kFilter2Cutoff, 90},  // the distance kept
      {kFilter2Cutoff, 100, kFilter1Cutoff, 80},
      {kAmpLevel, 50, kFilterRouting, 0},  // past the filters: no twin
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(plug->GetParam(row.edited)->GetNameForHost());
    plug->setStoredValue(kFilterRouting, 0);
    set(plug, row.edited, row.value);
    EXPECT_EQ(value(plug, row.other), row.otherAfter);
  }
  EXPECT_EQ(readData("Kroma Editor LOG.txt").find("has no binding"), std::string::npos)
      << "no link was looked for past the filters";
}

}  // namespace

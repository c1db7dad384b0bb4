#include "tools/corvane-sim/Commands.h"

#include <gtest/gtest.h>

namespace corvane_sim {
namespace {

TEST(CommandsTest, ParsesEveryFaultAndLeavesTheSettingAloneOnAnythingElse) {
  struct Case {
    const char* text;
    Fault kind;
    int amount;
  };
  const Case cases[] = {{"none", Fault::kNone, 0},
                        {"silent", Fault::kSilent, 0},
                        {"late 250", Fault::kLate, 250},
                        {"  other-id   7 ", Fault::kOtherId, 7},
                        {"truncate 100", Fault::kTruncate, 100},
                        {"wrong-type", Fault::kWrongType, 0},
                        {"bad-checksum", Fault::kBadChecksum, 0}};
  for (const Case& c : cases) {
    FaultSetting fault{Fault::kSilent, -1};
    ASSERT_TRUE(parseFault(c.text, fault)) << c.text;
    EXPECT_EQ(fault.kind, c.kind) << c.text;
    EXPECT_EQ(fault.amount, c.amount) << c.text;
  }
  for (const char* text : {"", "loud", "late", "late soon", "silent 3", "other-id 1 2"}) {
    FaultSetting fault{Fault::kLate, 9};
    EXPECT_FALSE(parseFault(text, fault)) << text;
    EXPECT_EQ(fault.kind, Fault::kLate);
    EXPECT_EQ(fault.amount, 9);
  }
}

TEST(CommandsTest, FormatsTimeAndBytes) {
  const Clock::time_point start;
  const ReceivedMessage message{start + std::chrono::microseconds(1500), {0xF0, 0x0A, 0xF8}};
  EXPECT_EQ(formatReceived(message, start), "1500 F0 0A F8");
}

}  // namespace
}  // namespace corvane_sim

#include "tools/corvane-sim/Commands.h"

#include <gtest/gtest.h>

namespace corvane_sim {
namespace {

TEST(CommandsTest, ParsesEveryFaultAndLeavesTheSettingAloneOnAnythingElse) {
  // clang-format off
  const std::tuple<const char*, bool, Fault, int> cases[] = {
      {"none", true, Fault::kNone, 0}, {"silent", true, Fault::kSilent, 0}, {"late 250", true, Fault::kLate, 250},
      {"  other-id   7 ", true, Fault::kOtherId, 7}, {"truncate 100", true, Fault::kTruncate, 100},
      {"wrong-type", true, Fault::kWrongType, 0}, {"bad-checksum", true, Fault::kBadChecksum, 0},
      {"", false, Fault::kLate, 9}, {"loud", false, Fault::kLate, 9}, {"late soon", false, Fault::kLate, 9},
      {"silent 3", false, Fault::kLate, 9}, {"other-id 1 2", false, Fault::kLate, 9}};
  // clang-format on
  for (const auto& [text, parsed, kind, amount] : cases) {
    FaultSetting fault{Fault::kLate, 9};
    EXPECT_EQ(parseFault(text, fault), parsed) << text;
    EXPECT_TRUE(fault.kind == kind && fault.amount == amount) << text;
  }
  const ReceivedMessage message{Clock::time_point() + std::chrono::microseconds(1500),
                                {0xF0, 0x0A, 0xF8}};
  EXPECT_EQ(formatReceived(message, Clock::time_point()), "1500 F0 0A F8");
}

}  // namespace
}  // namespace corvane_sim

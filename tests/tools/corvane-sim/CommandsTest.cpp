#include "tools/corvane-sim/detail/Commands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "src/protocol/SysExFormat.h"

namespace corvane_sim {
namespace {

TEST(CommandsTest, ParsesEveryFaultAndLeavesTheSettingAloneOnAnythingElse) {
  // clang-format off
  const std::tuple<const char*, bool, Fault, int> cases[] = {
      {"none", true, Fault::kNone, 0}, {"silent", true, Fault::kSilent, 0}, {"late 250", true, Fault::kLate, 250},
      {"  other-id   7 ", true, Fault::kOtherId, 7}, {"truncate 100", true, Fault::kTruncate, 100},
      {"wrong-type", true, Fault::kWrongType, 0}, {"bad-checksum", true, Fault::kBadChecksum, 0}, {"echo 9", true, Fault::kEcho, 9},
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

TEST(CommandsTest, PrintsTheNamedRecordAsHex) {
  const Simulator sim(5);
  // Addressed as sent: device, bank and program, then the checksum.
  const struct {
    const char* command;
    size_t bytes;
    const char* head;
  } named[] = {{"sound 15", 392, "F0 3E 13 05 10 7F 0F"},
               {"multi", 425, "F0 3E 13 05 11 7F 00"},
               {"global", 80, "F0 3E 13 05 14"},
               {"stored 7 127", 392, "F0 3E 13 05 10 07 7F"},
               {"stored-multi 3", 425, "F0 3E 13 05 11 00 03"}};
  for (const auto& n : named) {
    std::string text;
    ASSERT_TRUE(recordText(sim, n.command, text)) << n.command;
    ASSERT_EQ(text.size(), n.bytes * 3 - 1) << n.command;
    EXPECT_EQ(text.substr(0, std::strlen(n.head)), n.head) << n.command;
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i < text.size(); i += 3)
      bytes.push_back(std::stoi(text.substr(i, 2), nullptr, 16));
    EXPECT_EQ(bytes[n.bytes - 2], sysex::dumpChecksum(bytes.data(), static_cast<int>(n.bytes)))
        << n.command;
  }
  for (const char* wrong : {"sound", "sound 16", "sound -1", "multi 2", "stored 8 0", "stored 0",
                            "stored-multi 128", "sounds 1", ""}) {
    std::string left = "kept";
    EXPECT_FALSE(recordText(sim, wrong, left)) << wrong;
    EXPECT_EQ(left, "kept");
  }
}

}  // namespace
}  // namespace corvane_sim

#include <gtest/gtest.h>

#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortInFramer.h"

namespace {

using midi_test::Bytes;
using Messages = std::vector<Bytes>;

Messages frame(IMidiPortInFramer& framer, const Messages& pieces) {
  Messages out;
  for (const Bytes& piece : pieces)
    framer.feed(piece.data(), piece.size(),
                [&](const uint8_t* data, size_t size) { out.emplace_back(data, data + size); });
  return out;
}

// Pieces as the MIDI system hands them over, and the messages that reach the plug-in.
TEST(Framer, PiecesBecomeWholeMessagesAndDamageIsDroppedWithALogLine) {
  const Bytes longest = midi_test::sysEx(IMidiPortInFramer::kMaxSysEx);
  const struct {
    const char* name;
    Messages pieces, out;
    std::vector<const char*> logged;
  } cases[] = {
      // clang-format off
      {"plain", {{0xB0, 0x07, 0x64}, {0xC3, 0x05}, {0x90, 0x3C, 0x40, 0x00}}, {{0xB0, 0x07, 0x64}, {0xC3, 0x05}, {0x90, 0x3C, 0x40, 0x00}}, {}},
      {"ignored", {{0xF8}, {0xFE}, {0xF1, 0x12}, {0xF0, 0x3E, 0xF8, 0xFE, 0x13, 0xF7}}, {{0xF0, 0x3E, 0x13, 0xF7}}, {}},
      {"in pieces", {{0xF0, 0x3E, 0x13}, {0x00, 0x10}, {0x7F, 0xF7}}, {{0xF0, 0x3E, 0x13, 0x00, 0x10, 0x7F, 0xF7}}, {}},
      {"real-time first", {{0xF0, 0x3E, 0xFA, 0x13}, {0xFC}, {0x01, 0xF7}}, {{0xFA}, {0xFC}, {0xF0, 0x3E, 0x13, 0x01, 0xF7}}, {}},
      {"unterminated", {{0xF0, 0x3E, 0x13}, {0x90, 0x3C, 0x40}}, {{0x90, 0x3C, 0x40}}, {"unterminated SysEx of 3 bytes"}},
      {"second F0", {{0xF0, 0x01, 0xF0, 0x02, 0xF7}}, {{0xF0, 0x02, 0xF7}}, {"unterminated"}},
      {"interleaved", {{0xF0, 0x3E, 0x90, 0x3C, 0x40, 0xC1, 0x02, 0xF0, 0x3E, 0x14, 0xF7}}, {{0x90, 0x3C, 0x40}, {0xC1, 0x02}, {0xF0, 0x3E, 0x14, 0xF7}}, {"unterminated SysEx of 2 bytes"}},
      {"truncated, stray", {{0xF0, 0x3E, 0x90, 0x3C, 0xB0, 0x07, 0x64, 0x22, 0xF7}}, {{0xB0, 0x07, 0x64}}, {"unterminated SysEx of 2 bytes", "incomplete message", "2 stray data bytes"}},
      {"overlong", {midi_test::sysEx(IMidiPortInFramer::kMaxSysEx + 1), {0xF0, 0x01, 0xF7}}, {{0xF0, 0x01, 0xF7}}, {"longer than 65536 bytes dropped"}},
      {"longest", {longest}, {longest}, {}},
      {"system common", {{0xF0, 0x3E, 0xF7, 0xF2, 0x10, 0x20, 0xF3, 0x05, 0xF6, 0xF1, 0x12, 0xD0, 0x40, 0xE0, 0x01, 0x02}}, {{0xF0, 0x3E, 0xF7}, {0xF2, 0x10, 0x20}, {0xF3, 0x05}, {0xF6}, {0xD0, 0x40}, {0xE0, 0x01, 0x02}}, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    midi_test::LogCapture log;
    IMidiPortInFramer framer(&log);
    EXPECT_EQ(frame(framer, c.pieces), c.out) << c.name;
    for (const char* line : c.logged) EXPECT_TRUE(log.contains(line)) << c.name << ": " << line;
    EXPECT_EQ(log.lines().size(), c.logged.size()) << c.name;
    EXPECT_FALSE(framer.inSysEx()) << c.name;
  }
}

TEST(Framer, ResetForgetsASysExInProgress) {
  midi_test::LogCapture log;
  IMidiPortInFramer framer(&log);
  frame(framer, {{0xF0, 0x3E}});
  framer.reset();
  EXPECT_EQ(frame(framer, {{0x90, 0x3C, 0x40}}), (Messages{{0x90, 0x3C, 0x40}}));
  EXPECT_FALSE(log.contains("unterminated"));
}

}  // namespace

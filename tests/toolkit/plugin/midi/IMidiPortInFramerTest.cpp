#include <gtest/gtest.h>

#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortInFramer.h"

namespace {

using midi_test::Bytes;

std::vector<Bytes> frame(IMidiPortInFramer& framer, const std::vector<Bytes>& pieces) {
  std::vector<Bytes> out;
  for (const Bytes& piece : pieces)
    framer.feed(piece.data(), piece.size(),
                [&](const uint8_t* data, size_t size) { out.emplace_back(data, data + size); });
  return out;
}

// Pieces as the MIDI system hands them over, and the messages that reach the plug-in.
TEST(Framer, PiecesBecomeWholeMessagesAndDamageIsDroppedWithALogLine) {
  const struct {
    const char* name;
    std::vector<Bytes> pieces;
    std::vector<Bytes> out;
    const char* logged;
  } cases[] = {
      {"plain messages pass as they came",
       {{0xB0, 0x07, 0x64}, {0xC3, 0x05}, {0x90, 0x3C, 0x40, 0x00}, {0xFA}},
       {{0xB0, 0x07, 0x64}, {0xC3, 0x05}, {0x90, 0x3C, 0x40, 0x00}, {0xFA}},
       nullptr},
      {"clock, time code and sensing are dropped",
       {{0xF8}, {0xFE}, {0xF1, 0x12}, {0xF0, 0x3E, 0xF8, 0xFE, 0x13, 0xF7}},
       {{0xF0, 0x3E, 0x13, 0xF7}},
       nullptr},
      {"a SysEx in pieces arrives whole",
       {{0xF0, 0x3E, 0x13}, {0x00, 0x10}, {0x7F, 0xF7}},
       {{0xF0, 0x3E, 0x13, 0x00, 0x10, 0x7F, 0xF7}},
       nullptr},
      {"real-time bytes inside a SysEx go first",
       {{0xF0, 0x3E, 0xFA, 0x13}, {0xFC}, {0x01, 0xF7}},
       {{0xFA}, {0xFC}, {0xF0, 0x3E, 0x13, 0x01, 0xF7}},
       nullptr},
      {"an unterminated SysEx is dropped",
       {{0xF0, 0x3E, 0x13}, {0x90, 0x3C, 0x40}},
       {{0x90, 0x3C, 0x40}},
       "unterminated SysEx of 3 bytes"},
      {"a second F0 ends the first SysEx",
       {{0xF0, 0x01, 0xF0, 0x02, 0xF7}},
       {{0xF0, 0x02, 0xF7}},
       "unterminated"},
      {"messages interleaved in one block are separated",
       {{0xF0, 0x3E, 0x90, 0x3C, 0x40, 0xC1, 0x02, 0xF0, 0x3E, 0x14, 0xF7}},
       {{0x90, 0x3C, 0x40}, {0xC1, 0x02}, {0xF0, 0x3E, 0x14, 0xF7}},
       nullptr},
      {"truncated messages are dropped",
       {{0xF0, 0x3E, 0x90, 0x3C, 0xB0, 0x07, 0x64, 0x22, 0xF7}},
       {{0xB0, 0x07, 0x64}},
       "incomplete message"},
      {"stray data bytes are dropped",
       {{0xF0, 0x3E, 0x90, 0x3C, 0xB0, 0x07, 0x64, 0x22, 0xF7}},
       {{0xB0, 0x07, 0x64}},
       "2 stray data bytes"},
      {"an overlong SysEx is dropped whole",
       {midi_test::sysEx(IMidiPortInFramer::kMaxSysEx + 10), {0xF0, 0x01, 0xF7}},
       {{0xF0, 0x01, 0xF7}},
       "longer than 65536 bytes dropped"},
      {"the longest SysEx passes",
       {midi_test::sysEx(IMidiPortInFramer::kMaxSysEx)},
       {midi_test::sysEx(IMidiPortInFramer::kMaxSysEx)},
       nullptr},
  };
  for (const auto& c : cases) {
    midi_test::LogCapture log;
    IMidiPortInFramer framer(&log);
    EXPECT_EQ(frame(framer, c.pieces), c.out) << c.name;
    if (c.logged) {
      EXPECT_TRUE(log.contains(c.logged)) << c.name;
    }
    EXPECT_FALSE(framer.inSysEx()) << c.name;
  }
}

TEST(Framer, ResetForgetsASysExInProgress) {
  midi_test::LogCapture log;
  IMidiPortInFramer framer(&log);
  frame(framer, {{0xF0, 0x3E}});
  EXPECT_TRUE(framer.inSysEx());
  framer.reset();
  EXPECT_EQ(frame(framer, {{0x90, 0x3C, 0x40}}), (std::vector<Bytes>{{0x90, 0x3C, 0x40}}));
  EXPECT_FALSE(log.contains("unterminated"));
}

}  // namespace

#include <gtest/gtest.h>

#include "MidiTestSupport.h"
#include "toolkit/plugin/midi/IMidiPortInFramer.h"

namespace {

using midi_test::Bytes;

class Framer : public ::testing::Test {
 protected:
  void feed(const Bytes& bytes) {
    framer.feed(bytes.data(), bytes.size(),
                [this](const uint8_t* data, size_t size) { out.emplace_back(data, data + size); });
  }

  midi_test::LogCapture log;
  IMidiPortInFramer framer{&log};
  std::vector<Bytes> out;
};

TEST_F(Framer, PlainMessagesPassAsTheyCame) {
  feed({0xB0, 0x07, 0x64});
  feed({0xC3, 0x05});
  feed({0x90, 0x3C, 0x40, 0x00});  // four bytes without F0 stay one message
  feed({0xFA});
  EXPECT_EQ(out, (std::vector<Bytes>{
                     {0xB0, 0x07, 0x64}, {0xC3, 0x05}, {0x90, 0x3C, 0x40, 0x00}, {0xFA}}));
}

TEST_F(Framer, ClockTimeCodeAndSensingAreDropped) {
  feed({0xF8});
  feed({0xFE});
  feed({0xF1, 0x12});
  feed({0xF0, 0x3E, 0xF8, 0xFE, 0x13, 0xF7});
  EXPECT_EQ(out, (std::vector<Bytes>{{0xF0, 0x3E, 0x13, 0xF7}}));
}

TEST_F(Framer, SysExInPiecesArrivesWhole) {
  feed({0xF0, 0x3E, 0x13});
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(framer.inSysEx());
  feed({0x00, 0x10});
  feed({0x7F, 0xF7});
  EXPECT_EQ(out, (std::vector<Bytes>{{0xF0, 0x3E, 0x13, 0x00, 0x10, 0x7F, 0xF7}}));
  EXPECT_FALSE(framer.inSysEx());
}

TEST_F(Framer, RealTimeBytesInsideSysExArePassedOnBeforeIt) {
  feed({0xF0, 0x3E, 0xFA, 0x13});
  feed({0xFC});  // a real-time message between two pieces does not end the SysEx
  feed({0x01, 0xF7});
  EXPECT_EQ(out, (std::vector<Bytes>{{0xFA}, {0xFC}, {0xF0, 0x3E, 0x13, 0x01, 0xF7}}));
}

TEST_F(Framer, UnterminatedSysExIsDroppedWithALogLine) {
  feed({0xF0, 0x3E, 0x13});
  feed({0x90, 0x3C, 0x40});
  EXPECT_EQ(out, (std::vector<Bytes>{{0x90, 0x3C, 0x40}}));
  EXPECT_TRUE(log.contains("unterminated SysEx of 3 bytes"));

  out.clear();
  feed({0xF0, 0x01, 0xF0, 0x02, 0xF7});  // a second F0 ends the first SysEx, too
  EXPECT_EQ(out, (std::vector<Bytes>{{0xF0, 0x02, 0xF7}}));
}

TEST_F(Framer, MessagesInterleavedInOneBlockAreSeparated) {
  // What a MIDI system hands over when a device breaks off a SysEx: the
  // broken part, a note, a program change and a whole SysEx in one block.
  feed({0xF0, 0x3E, 0x90, 0x3C, 0x40, 0xC1, 0x02, 0xF0, 0x3E, 0x14, 0xF7});
  EXPECT_EQ(out, (std::vector<Bytes>{{0x90, 0x3C, 0x40}, {0xC1, 0x02}, {0xF0, 0x3E, 0x14, 0xF7}}));
}

TEST_F(Framer, TruncatedAndStrayBytesAfterABrokenSysExAreDropped) {
  feed({0xF0, 0x3E, 0x90, 0x3C, 0xB0, 0x07, 0x64, 0x22, 0xF7});
  EXPECT_EQ(out, (std::vector<Bytes>{{0xB0, 0x07, 0x64}}));
  EXPECT_TRUE(log.contains("incomplete message"));
  EXPECT_TRUE(log.contains("2 stray data bytes"));
}

TEST_F(Framer, OverlongSysExIsDroppedWhole) {
  Bytes huge = midi_test::sysEx(IMidiPortInFramer::kMaxSysEx + 10);
  feed(huge);
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(log.contains("longer than 65536 bytes dropped"));
  feed({0xF0, 0x01, 0xF7});
  EXPECT_EQ(out, (std::vector<Bytes>{{0xF0, 0x01, 0xF7}}));

  out.clear();
  feed(midi_test::sysEx(IMidiPortInFramer::kMaxSysEx));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].size(), IMidiPortInFramer::kMaxSysEx);
}

TEST_F(Framer, ResetForgetsASysExInProgress) {
  feed({0xF0, 0x3E});
  framer.reset();
  EXPECT_FALSE(framer.inSysEx());
  feed({0x90, 0x3C, 0x40});
  EXPECT_EQ(out, (std::vector<Bytes>{{0x90, 0x3C, 0x40}}));
  EXPECT_FALSE(log.contains("unterminated"));
}

}  // namespace

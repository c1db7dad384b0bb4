#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "toolkit/plugin/midi/IMidiMsg.h"

namespace {

void expectBytes(const IMidiMsg& msg, int status, int data1, int data2) {
  EXPECT_EQ(msg.mStatus, status);
  EXPECT_EQ(msg.mData1, data1);
  EXPECT_EQ(msg.mData2, data2);
}

TEST(MidiMsg, MakersFillAllFields) {
  IMidiMsg msg(99, 0xFF, 1, 2);
  msg.MakeNoteOnMsg(60, 100, 17, 3);
  EXPECT_EQ(msg.mOffset, 17);
  expectBytes(msg, 0x93, 60, 100);
  msg.MakeNoteOffMsg(61, 5, 2, 40);
  EXPECT_EQ(msg.mOffset, 5);
  expectBytes(msg, 0x82, 61, 40);

  msg.MakePitchWheelMsg(1.0, 0);
  EXPECT_EQ(msg.mOffset, 0) << "the other makers place at offset 0";
  expectBytes(msg, 0xE0, 0x7F, 0x7F);
  msg.MakePitchWheelMsg(0.0, 0);
  expectBytes(msg, 0xE0, 0x00, 0x40);
  msg.MakePitchWheelMsg(-1.0, 1);
  expectBytes(msg, 0xE1, 0x00, 0x00);
  msg.MakePitchWheelMsg(-7.0, 0);
  expectBytes(msg, 0xE0, 0x00, 0x00);

  msg.MakeProgramChangeMsg(5 / 127.0, 2);
  expectBytes(msg, 0xC2, 5, 0xFF);
  msg.MakeControlChangeMsg(IMidiMsg::kBankSelectLSB, 1.0, 15);
  expectBytes(msg, 0xBF, 32, 127);
  for (int n = 0; n < 128; ++n) {
    msg.MakeControlChangeMsg((IMidiMsg::EControlChangeMsg)7, n / 127.0, 0);
    ASSERT_EQ(msg.mData2, n) << "n / 127.0 must give back n";
  }
  // Out-of-range values never make a data byte with the top bit set.
  msg.MakeControlChangeMsg((IMidiMsg::EControlChangeMsg)7, 2.0, 0);
  EXPECT_EQ(msg.mData2, 127);
  msg.MakeControlChangeMsg((IMidiMsg::EControlChangeMsg)7, -0.5, 0);
  EXPECT_EQ(msg.mData2, 0);
  msg.MakeControlChangeMsg((IMidiMsg::EControlChangeMsg)7, std::nan(""), 0);
  EXPECT_EQ(msg.mData2, 0);
  msg.MakeProgramChangeMsg(1e300, 0);
  expectBytes(msg, 0xC0, 127, 0xFF);
  msg.MakeProgramChangeMsg(-3.0, 0);
  EXPECT_EQ(msg.mData1, 0);

  msg.Clear();
  EXPECT_EQ(msg.mOffset, 0);
  expectBytes(msg, 0, 0, 0);
}

TEST(MidiMsg, AccessorsDependOnTheKind) {
  EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(IMidiMsg(0, 0x45, 0, 0).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(IMidiMsg(0, 0x93, 0, 0).StatusMsg(), IMidiMsg::kNoteOn);

  const IMidiMsg noteOn(0, 0x93, 64, 90);
  EXPECT_EQ(noteOn.Channel(), 3);
  EXPECT_EQ(noteOn.MidiChannelIdx(), 0x93);
  EXPECT_EQ(noteOn.NoteNumber(), 64);
  EXPECT_EQ(noteOn.Velocity(), 90);
  EXPECT_EQ(noteOn.Program(), -1);
  EXPECT_EQ(IMidiMsg(0, 0xA0, 10, 20).NoteNumber(), 10);
  EXPECT_EQ(IMidiMsg(0, 0xA0, 10, 20).Velocity(), -1);
  EXPECT_EQ(IMidiMsg(0, 0xB0, 10, 20).NoteNumber(), -1);
  EXPECT_EQ(IMidiMsg(0, 0xC4, 9, 0).Program(), 9);

  EXPECT_EQ(IMidiMsg(0, 0xE0, 0x00, 0x40).PitchWheel(), 0.0);
  EXPECT_EQ(IMidiMsg(0, 0xE0, 0x00, 0x00).PitchWheel(), -1.0);
  EXPECT_EQ(IMidiMsg(0, 0x90, 0x00, 0x00).PitchWheel(), 0.0);

  const IMidiMsg volume(0, 0xB0, 7, 0x7F);
  EXPECT_EQ(volume.ControlChange((IMidiMsg::EControlChangeMsg)7), 1.0);
  EXPECT_EQ(volume.ControlChange((IMidiMsg::EControlChangeMsg)8), -1.0);
  EXPECT_EQ(volume.ControlChangeIdx(), 7);
  EXPECT_EQ(IMidiMsg(0, 0x90, 7, 0x7F).ControlChange((IMidiMsg::EControlChangeMsg)7), -1.0);
}

TEST(MidiMsg, StatusTexts) {
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kNone), "none");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)3), "unknown");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kNoteOn), "noteon ");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kPitchWheel), "pitchwheel");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)15), "unknown");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)-4), "unknown");
}

TEST(SysEx, RecordAndHexText) {
  const uint8_t bytes[] = {0xF0, 0x3E, 0x13, 0x0a, 0xF7};
  ISysEx sysex(12, bytes, 5);
  EXPECT_EQ(sysex.mOffset, 12);
  EXPECT_EQ(sysex.mSize, 5);
  EXPECT_EQ(sysex.mData, bytes);
  sysex.Clear();
  EXPECT_EQ(sysex.mData, nullptr);
  EXPECT_EQ(sysex.mSize, 0);

  char text[32];
  EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 3), "F0 3E 13");
  EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 5), "F0 3E 13 0A F7");
  EXPECT_STREQ(SysExStr(text, 9, bytes, 5), "F0 3E 13");
  EXPECT_STREQ(SysExStr(text, sizeof(text), nullptr, 5), "");
  EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 0), "");

  // The bound holds exactly: nothing is written at or past maxLength.
  char guarded[8];
  std::memset(guarded, '#', sizeof(guarded));
  SysExStr(guarded, 6, bytes, 5);
  EXPECT_STREQ(guarded, "F0 3E");
  EXPECT_EQ(guarded[6], '#');
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "toolkit/plugin/midi/IMidiMsg.h"

namespace {

using CC = IMidiMsg::EControlChangeMsg;

// The bytes each maker puts on the wire; values out of range are held to 7 bits.
TEST(MidiMsg, MakersWriteTheStatusAndDataBytes) {
  const struct {
    const char* name;
    void (*make)(IMidiMsg&);
    int offset, status, data1, data2;
  } cases[] = {
      {"note on", [](IMidiMsg& m) { m.MakeNoteOnMsg(60, 100, 17, 3); }, 17, 0x93, 60, 100},
      {"note on, first channel", [](IMidiMsg& m) { m.MakeNoteOnMsg(61, 1, 0); }, 0, 0x90, 61, 1},
      {"note off, first channel", [](IMidiMsg& m) { m.MakeNoteOffMsg(62, 3); }, 3, 0x80, 62, 0},
      {"note off", [](IMidiMsg& m) { m.MakeNoteOffMsg(61, 5, 2, 40); }, 5, 0x82, 61, 40},
      {"wheel up", [](IMidiMsg& m) { m.MakePitchWheelMsg(1.0, 0); }, 0, 0xE0, 0x7F, 0x7F},
      {"wheel centre", [](IMidiMsg& m) { m.MakePitchWheelMsg(0.0, 1); }, 0, 0xE1, 0, 0x40},
      {"wheel below", [](IMidiMsg& m) { m.MakePitchWheelMsg(-7.0, 0); }, 0, 0xE0, 0, 0},
      {"wheel above", [](IMidiMsg& m) { m.MakePitchWheelMsg(7.0, 0); }, 0, 0xE0, 0x7F, 0x7F},
      {"wheel half up", [](IMidiMsg& m) { m.MakePitchWheelMsg(0.5, 2); }, 0, 0xE2, 0, 0x60},
      {"wheel half down", [](IMidiMsg& m) { m.MakePitchWheelMsg(-0.5, 0); }, 0, 0xE0, 0, 0x20},
      {"wheel step", [](IMidiMsg& m) { m.MakePitchWheelMsg(3 / 8192.0, 0); }, 0, 0xE0, 3, 0x40},
      {"wheel NaN", [](IMidiMsg& m) { m.MakePitchWheelMsg(std::nan(""), 0); }, 0, 0xE0, 0, 0},
      {"program negative", [](IMidiMsg& m) { m.MakeProgramChangeMsg(-0.5, 1); }, 0, 0xC1, 0, 0xFF},
      {"cc full", [](IMidiMsg& m) { m.MakeControlChangeMsg(CC(1), 1.0, 0); }, 0, 0xB0, 1, 127},
      {"program", [](IMidiMsg& m) { m.MakeProgramChangeMsg(5 / 127.0, 2); }, 0, 0xC2, 5, 0xFF},
      {"program huge", [](IMidiMsg& m) { m.MakeProgramChangeMsg(1e300, 0); }, 0, 0xC0, 127, 0xFF},
      {"cc NaN", [](IMidiMsg& m) { m.MakeControlChangeMsg(CC(7), std::nan(""), 15); }, 0, 0xBF, 7,
       0},
      {"clear", [](IMidiMsg& m) { m.Clear(); }, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    IMidiMsg msg(99, 0xFF, 1, 2);
    c.make(msg);
    EXPECT_EQ(std::vector<int>({msg.mOffset, msg.mStatus, msg.mData1, msg.mData2}),
              std::vector<int>({c.offset, c.status, c.data1, c.data2}))
        << c.name;
  }
  IMidiMsg msg;
  for (int n = 0; n < 128; ++n) {
    msg.MakeControlChangeMsg(CC(7), n / 127.0, 0);
    ASSERT_EQ(msg.mData2, n) << "n / 127.0 must give back n";
  }
}

// Each reader answers only for its kind of message, -1 for the others.
TEST(MidiMsg, ReadersAnswerOnlyForTheirKind) {
  EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(IMidiMsg(0, 0x45, 0, 0).StatusMsg(), IMidiMsg::kNone);
  const IMidiMsg noteOn(0, 0x93, 64, 90);
  EXPECT_EQ(noteOn.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(noteOn.Channel(), 3);
  EXPECT_EQ(noteOn.Velocity(), 90);
  EXPECT_EQ(noteOn.Program(), -1);
  EXPECT_EQ(IMidiMsg(0, 0xA0, 10, 20).NoteNumber(), 10);
  EXPECT_EQ(IMidiMsg(0, 0xA0, 10, 20).Velocity(), -1);
  EXPECT_EQ(IMidiMsg(0, 0xB0, 10, 20).NoteNumber(), -1);
  EXPECT_EQ(IMidiMsg(0, 0xC4, 9, 0).Program(), 9);
  EXPECT_EQ(IMidiMsg(0, 0xE0, 0x00, 0x00).PitchWheel(), -1.0);
  EXPECT_EQ(IMidiMsg(0, 0x90, 0x00, 0x00).PitchWheel(), 0.0);
  EXPECT_EQ(IMidiMsg(0, 0xB0, 7, 0x7F).ControlChange(CC(7)), 1.0);
  EXPECT_EQ(IMidiMsg(0, 0xB0, 7, 0x7F).ControlChange(CC(8)), -1.0);
  EXPECT_EQ(IMidiMsg(0, 0x90, 7, 0x7F).ControlChange(CC(7)), -1.0);
  const std::pair<int, const char*> names[] = {
      {0, "none"},        {7, "unknown"},        {8, "noteoff"},        {9, "noteon "},
      {10, "aftertouch"}, {11, "controlchange"}, {12, "programchange"}, {13, "channelaftertouch"},
      {14, "pitchwheel"}};
  for (const auto& [kind, name] : names)
    EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)kind), name) << kind;
  EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)15), "unknown");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)-4), "unknown");
}

// Every status byte's kind, and what each reader makes of the data bytes 0x25 0x60.
TEST(MidiMsg, EveryStatusKindAndItsReaders) {
  const struct {
    uint8_t status;
    IMidiMsg::EStatusMsg kind;
    int note, velocity, program;
    double wheel, cc;
  } rows[] = {
      {0x25, IMidiMsg::kNone, -1, -1, -1, 0.0, -1.0},
      {0x7F, IMidiMsg::kNone, -1, -1, -1, 0.0, -1.0},
      {0x81, IMidiMsg::kNoteOff, 0x25, 0x60, -1, 0.0, -1.0},
      {0x9F, IMidiMsg::kNoteOn, 0x25, 0x60, -1, 0.0, -1.0},
      {0xA2, IMidiMsg::kPolyAftertouch, 0x25, -1, -1, 0.0, -1.0},
      {0xB3, IMidiMsg::kControlChange, -1, -1, -1, 0.0, 0x60 / 127.0},
      {0xC4, IMidiMsg::kProgramChange, -1, -1, 0x25, 0.0, -1.0},
      {0xD5, IMidiMsg::kChannelAftertouch, -1, -1, -1, 0.0, -1.0},
      {0xE6, IMidiMsg::kPitchWheel, -1, -1, -1, (0x60 * 128 + 0x25 - 8192) / 8192.0, -1.0},
      {0xF0, IMidiMsg::kNone, -1, -1, -1, 0.0, -1.0},
      {0xF7, IMidiMsg::kNone, -1, -1, -1, 0.0, -1.0},
  };
  for (const auto& r : rows) {
    const IMidiMsg msg(0, r.status, 0x25, 0x60);
    EXPECT_EQ(msg.StatusMsg(), r.kind) << (int)r.status;
    EXPECT_EQ(msg.NoteNumber(), r.note) << (int)r.status;
    EXPECT_EQ(msg.Velocity(), r.velocity) << (int)r.status;
    EXPECT_EQ(msg.Program(), r.program) << (int)r.status;
    EXPECT_EQ(msg.PitchWheel(), r.wheel) << (int)r.status;
    EXPECT_EQ(msg.ControlChange(CC(0x25)), r.cc) << (int)r.status;
    EXPECT_EQ(msg.Channel(), r.status & 0x0F) << (int)r.status;
  }
}

TEST(SysEx, HexTextStaysInsideItsBound) {
  const uint8_t bytes[] = {0xF0, 0x3E, 0x13, 0x0a, 0xF7};
  char text[32];
  EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 5), "F0 3E 13 0A F7");
  EXPECT_STREQ(SysExStr(text, sizeof(text), nullptr, 5), "");
  EXPECT_STREQ(SysExStr(text, sizeof(text), bytes, 0), "");
  EXPECT_EQ(SysExStr(nullptr, 8, bytes, 5), nullptr);
  char guarded[8];
  std::memset(guarded, '#', sizeof(guarded));
  EXPECT_STREQ(SysExStr(guarded, 6, bytes, 5), "F0 3E");
  EXPECT_EQ(guarded[6], '#');
  EXPECT_EQ(SysExStr(guarded + 7, 0, bytes, 5)[0], '#') << "no room, not even for the zero";

  // As many whole bytes as fit in the bound with their zero, and nothing written past it.
  const struct {
    int maxLength, size;
    const char* text;
  } bounds[] = {{1, 5, ""},
                {2, 5, ""},
                {3, 5, "F0"},
                {5, 1, "F0"},
                {11, 5, "F0 3E 13"},
                {12, 5, "F0 3E 13 0A"},
                {14, 5, "F0 3E 13 0A"},
                {15, 5, "F0 3E 13 0A F7"},
                {18, 5, "F0 3E 13 0A F7"},
                {31, 5, "F0 3E 13 0A F7"}};
  for (const auto& b : bounds) {
    std::vector<char> out((size_t)b.maxLength + 1, '#');
    EXPECT_STREQ(SysExStr(out.data(), b.maxLength, bytes, b.size), b.text) << b.maxLength;
    EXPECT_EQ(out.back(), '#') << b.maxLength;
  }
}

}  // namespace

#include "toolkit/plugin/midi/IMidiMsg.h"

#include <cstdio>

namespace {
// A data byte from a normalised value; values outside 0..1 (and NaN) are
// limited, so that no status-like byte or undefined conversion results.
int toSevenBits(double normalized) {
  if (!(normalized > 0.0)) return 0;
  if (normalized > 1.0) normalized = 1.0;
  return (int)(normalized * 127.0);
}
}  // namespace

void IMidiMsg::Set(int offset, int status, int data1, int data2) {
  mOffset = offset;
  mStatus = (uint8_t)status;
  mData1 = (uint8_t)data1;
  mData2 = (uint8_t)data2;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
  Set(offset, 0x90 | channel, noteNumber, velocity);
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel, int velocity) {
  Set(offset, 0x80 | channel, noteNumber, velocity);
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
  double k = value * 8192.0;
  if (!(k >= -8192.0)) k = -8192.0;  // also catches NaN
  if (k > 8192.0) k = 8192.0;
  int v = (int)k + 8192;
  if (v > 16383) v = 16383;
  Set(0, 0xE0 | channel, v & 0x7F, v >> 7);
}

void IMidiMsg::MakeProgramChangeMsg(double program, int channel) {
  Set(0, 0xC0 | channel, toSevenBits(program), 0xFF);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
  Set(0, 0xB0 | channel, idx, toSevenBits(value));
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
  const int nibble = HighNibble();
  if (!(mStatus & 0x80) || nibble == 0xF) return kNone;
  return (EStatusMsg)nibble;
}

int IMidiMsg::NoteNumber() const {
  switch (StatusMsg()) {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch:
      return mData1;
    default:
      return -1;
  }
}

int IMidiMsg::Velocity() const {
  const EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn ? mData2 : -1;
}

int IMidiMsg::Program() const {
  return HighNibble() == 0xC ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const {
  if (HighNibble() != 0xE) return 0.0;
  return (mData2 * 128 + mData1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const {
  if (HighNibble() != 0xB || mData1 != idx) return -1.0;
  return mData2 / 127.0;
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg msg) {
  static const char* const kTexts[] = {
      "none",       "unknown",       "unknown",       "unknown",           "unknown",
      "unknown",    "unknown",       "unknown",       "noteoff",           "noteon ",
      "aftertouch", "controlchange", "programchange", "channelaftertouch", "pitchwheel"};
  const int n = (int)(sizeof(kTexts) / sizeof(kTexts[0]));
  return msg >= 0 && msg < n ? kTexts[msg] : "unknown";
}

char* SysExStr(char* str, int maxLength, const uint8_t* data, int size) {
  if (!str || maxLength < 1) return str;
  str[0] = 0;
  if (!data || size <= 0) return str;
  const int n = size < maxLength / 3 ? size : maxLength / 3;
  char* out = str;
  for (int i = 0; i < n; ++i) {
    // Three characters per byte: two digits and a blank, or the final zero.
    std::snprintf(out, 4, i + 1 < n ? "%02X " : "%02X", data[i]);
    out += 3;
  }
  return str;
}
